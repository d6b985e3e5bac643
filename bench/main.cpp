// quillon_bench: Google Benchmark programs for the speed targets.
// `quillon_bench --memory` prints, instead of running the benchmarks, the
// peak resident memory of 1,000,000 tasks opened, all shown, sorted,
// previewed and saved through the main window against the file's size, the
// resident memory of loaded grids against their files' sizes (100,000
// tasks, 2,000,000 empty rows, one 50 MB cell) and the time a view takes to
// show that cell.
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPixmap>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <malloc.h>

#include "bench/TaskData.h"
#include "platform/DateText.h"
#include "widgets/GridView.h"

int SendMailForBench(int argc, char** argv, int at);
int PrintWindowMemory(int tasks);

// Resident memory once freed memory went back to the system.
static long SettledKb() {
    ::malloc_trim(0);
    return BenchData::ResidentKb();
}

// Loads a grid file and says how much memory the loaded grid takes, against
// the file's size.
static bool PrintLoaded(const char* what, const QString& path) {
    const long fileKb = long(QFileInfo(path).size() / 1024);
    const long before = SettledKb();
    Grid g;
    if (!g.LoadFile(path)) return false;
    const long grid = BenchData::ResidentKb() - before;
    std::printf("%s: file %ld KB, loaded grid %ld KB (%.1f times the file)\n", what, fileKb, grid,
                fileKb > 0 ? double(grid) / double(fileKb) : 0.0);
    return true;
}

static int PrintMemory() {
    if (PrintWindowMemory(1000000) != 0) return 1;
    // The last line's peak is of the loaded grids, not of the window run.
    BenchData::ResetPeakResident();
    QTemporaryDir dir;
    const QString path = dir.path() + "/mem.vkt";
    BenchData::TaskGrid(100000).SaveFile(path);
    if (!PrintLoaded("100,000 tasks", path)) return 1;

    // 2,000,000 task rows of empty cells.
    const QString empty = dir.path() + "/empty.vkt";
    {
        Grid g(1, 14);
        g.SetRows(2000001);
        if (!g.SaveFile(empty)) return 1;
    }
    if (!PrintLoaded("2,000,000 empty rows", empty)) return 1;

    // One cell of 50 MB, loaded, then shown in a view and its column fitted.
    const QString huge = dir.path() + "/huge.vkt";
    {
        Grid g(2, 14);
        std::string text;
        while (text.size() < (size_t(50) << 20)) text += "inspect the pump seals and log the readings ";
        g.SetTextUtf8(1, 2, std::move(text));
        if (!g.SaveFile(huge)) return 1;
    }
    if (!PrintLoaded("one 50 MB cell", huge)) return 1;
    {
        const long start = SettledKb();
        Grid g;
        if (!g.LoadFile(huge)) return 1;
        QElapsedTimer t;
        t.start();
        GridView view(&g);
        view.resize(1200, 600);
        const QPixmap shot = view.grab();
        g.AutoFit(2);
        std::printf("one 50 MB cell shown and its column fitted: %lld ms, resident %ld KB above the start\n",
                    t.elapsed(), BenchData::ResidentKb() - start);
    }
    std::printf("peak resident: %ld KB\n", BenchData::PeakResidentKb());
    return 0;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    DateText::ResetCache();
    Grid::SetTextMeasure(&GridView::FontTextWidth, &GridView::FontAsciiAdvances);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--memory") == 0) return PrintMemory();
        else if (std::strcmp(argv[i], "--send-mail") == 0) return SendMailForBench(argc, argv, i);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// quillon_bench: Google Benchmark programs for the speed targets.
// `quillon_bench --memory` prints the resident memory of a loaded
// 100,000-task grid instead of running the benchmarks.
#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>

#include "bench/TaskData.h"
#include "platform/DateText.h"
#include "platform/GridView.h"

int SendMailForBench(int argc, char** argv, int at);

static int PrintMemory() {
    QTemporaryDir dir;
    const QString path = dir.path() + "/mem.vkt";
    BenchData::TaskGrid(100000).SaveFile(path);
    const long before = BenchData::ResidentKb();
    Grid g;
    if (!g.LoadFile(path)) return 1;
    const long after = BenchData::ResidentKb();
    std::printf("resident before load: %ld KB\nresident with a loaded 100,000-task grid: %ld KB (grid: %ld KB)\n"
                "peak resident: %ld KB\n",
                before, after, after - before, BenchData::PeakResidentKb());
    return 0;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    DateText::ResetCache();
    Grid::SetTextMeasure(&GridView::FontTextWidth);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--memory") == 0) return PrintMemory();
        else if (std::strcmp(argv[i], "--send-mail") == 0) return SendMailForBench(argc, argv, i);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

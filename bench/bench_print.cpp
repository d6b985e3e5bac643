// Speed of printing the task grid to PDF (the grid print's page layout:
// landscape Letter, ruled, header row on every page), and of opening its
// preview, which pages the grid without painting every page.
#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/TaskData.h"
#include "platform/Grid.h"
#include "widgets/GridPrint.h"
#include "widgets/Printing.h"
#include "model/schedule/PrintSheets.h"
#include "app/Form1.h"
#include "platform/Registry.h"

static void BM_PrintGridPdf(benchmark::State& state) {
    QTemporaryDir dir;
    const Grid g = BenchData::TaskGrid(int(state.range(0)));
    const GridPrint::PageSetup setup = PrintSheets::TaskGridLayout(QStringLiteral("               Quillon"));
    Printing::SetPdfOutput(dir.path() + "/grid.pdf");
    int pages = 0;
    for (auto _ : state) {
        QString error;
        auto printer = Printing::OpenPrinter(QPageLayout::Landscape, &error);
        if (!printer || !GridPrint::Print(g, setup, *printer, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
        printer.reset();   // the file is complete once the printer is gone
        pages = GridPrint::Pager(g, setup).PageCount();
    }
    Printing::SetPdfOutput({});
    state.counters["pages"] = pages;
}
BENCHMARK(BM_PrintGridPdf)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Opening the preview: the copy of the grid, the paging and the first page.
static void BM_PrintPreviewOpen(benchmark::State& state) {
    const Grid g = BenchData::TaskGrid(int(state.range(0)));
    const GridPrint::PageSetup setup = PrintSheets::TaskGridLayout(QStringLiteral("               Quillon"));
    for (auto _ : state) {
        GridPrint::PrintPreview* preview = GridPrint::ShowPreview(g, setup, 100);
        QApplication::processEvents();
        preview->grab();
        state.PauseTiming();
        delete preview;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PrintPreviewOpen)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same as the user opens it: "Print Grid" of the main window over a
// 100,000-task database, the preview shown and painted.
static void BM_PrintPreviewOpenWindow(benchmark::State& state) {
    QTemporaryDir dir;
    qputenv("QUILLON_CONFIG_DIR", (dir.path() + "/config").toUtf8());
    const QString path = dir.path() + "/plant.vkt";
    BenchData::TaskGrid(int(state.range(0))).SaveFile(path);
    Settings::Set("Settings", "Default", path);
    Settings::Set("Settings", "Path", dir.path() + "/");
    Settings::Set("Settings", "FileTitle", "plant");
    Settings::Set("Dates", "To", "365");
    auto* f = new Form1;
    f->Form_Load();
    f->show();
    f->mnuall_Click();   // every task shown
    QApplication::processEvents();
    for (auto _ : state) {
        f->mtprint_Click();
        QApplication::processEvents();
        GridPrint::PrintPreview* preview = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<GridPrint::PrintPreview*>(w); p && p->isVisible()) preview = p;
        if (!preview) {
            state.SkipWithError("no preview");
            break;
        }
        preview->grab();
        state.PauseTiming();
        delete preview;
        state.ResumeTiming();
    }
    f->UnloadAllForms();
    delete f;
    QApplication::processEvents();
    qunsetenv("QUILLON_CONFIG_DIR");
}
BENCHMARK(BM_PrintPreviewOpenWindow)->Arg(100000)->Unit(benchmark::kMillisecond);

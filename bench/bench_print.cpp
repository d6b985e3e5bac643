// Speed of printing the task grid to PDF (the grid print's page layout:
// landscape Letter, ruled, header row on every page), and of opening its
// preview, which pages the grid without painting every page.
#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/TaskData.h"
#include "bench/Window.h"
#include "platform/Grid.h"
#include "widgets/GridPrint.h"
#include "widgets/Printing.h"
#include "model/schedule/PrintSheets.h"

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
// 100,000-task database, every task shown, the preview shown and painted.
static void BM_PrintPreviewOpenWindow(benchmark::State& state) {
    BenchData::Window w(int(state.range(0)));
    if (!w.Opened()) {
        state.SkipWithError("database not written");
        return;
    }
    for (auto _ : state) {
        GridPrint::PrintPreview* preview = w.PreviewGrid();
        if (!preview) {
            state.SkipWithError("no preview");
            break;
        }
        preview->grab();
        state.PauseTiming();
        delete preview;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PrintPreviewOpenWindow)->Arg(100000)->Unit(benchmark::kMillisecond);

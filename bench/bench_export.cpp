// Speed of the spreadsheet export on a realistic 100,000-task database.
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/TaskData.h"
#include "platform/Grid.h"
#include "platform/GridExport.h"

static void BM_ExportXlsx(benchmark::State& state) {
    QTemporaryDir dir;
    const Grid g = BenchData::TaskGrid(int(state.range(0)));
    const QString path = dir.path() + "/temp.xls";
    for (auto _ : state) {
        QString error;
        if (!ExportToExcel(g, path, &error)) state.SkipWithError(error.toStdString().c_str());
    }
}
BENCHMARK(BM_ExportXlsx)->Arg(100000)->Unit(benchmark::kMillisecond);

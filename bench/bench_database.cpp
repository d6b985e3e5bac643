// Speed of the task database object on a realistic 100,000-task database:
// what the lock and the save check add to a plain grid load and save
// (compare BM_GridLoad and BM_GridSave).
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/TaskData.h"
#include "database/TaskDatabase.h"

static void BM_DatabaseOpen(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/bench.vkt";
    BenchData::TaskGrid(int(state.range(0))).SaveFile(path);
    for (auto _ : state) {
        TaskDatabase db;   // takes the lock, reads, fingerprints; lets go at the end
        if (!db.Open(path)) state.SkipWithError("open failed");
        benchmark::DoNotOptimize(db.Tasks().Rows());
    }
}
BENCHMARK(BM_DatabaseOpen)->Arg(100000)->Unit(benchmark::kMillisecond);

static void BM_DatabaseSave(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/bench.vkt";
    BenchData::TaskGrid(int(state.range(0))).SaveFile(path);
    TaskDatabase db;
    if (!db.Open(path)) state.SkipWithError("open failed");
    for (auto _ : state) {
        if (!db.Save()) state.SkipWithError("save failed");   // checks the file, then writes it
    }
}
BENCHMARK(BM_DatabaseSave)->Arg(100000)->Unit(benchmark::kMillisecond);

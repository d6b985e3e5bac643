// Speed of the grid component on a realistic 100,000-task database.
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/TaskData.h"
#include "platform/Grid.h"

static void BM_GridSave(benchmark::State& state) {
    QTemporaryDir dir;
    Grid g = BenchData::TaskGrid(int(state.range(0)));
    const QString path = dir.path() + "/bench.vkt";
    for (auto _ : state) {
        if (!g.SaveFile(path)) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_GridSave)->Arg(100000)->Unit(benchmark::kMillisecond);

static void BM_GridLoad(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/bench.vkt";
    BenchData::TaskGrid(int(state.range(0))).SaveFile(path);
    for (auto _ : state) {
        Grid g;
        if (!g.LoadFile(path)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(g.Rows());
    }
}
BENCHMARK(BM_GridLoad)->Arg(100000)->Unit(benchmark::kMillisecond);

static void BM_GridSort(benchmark::State& state) {
    Grid base = BenchData::TaskGrid(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        Grid g = base;
        state.ResumeTiming();
        g.Sort(4, 0);   // Scheduled Start: dates
        benchmark::DoNotOptimize(g.Rows());
    }
}
BENCHMARK(BM_GridSort)->Arg(100000)->Unit(benchmark::kMillisecond);

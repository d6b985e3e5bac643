// Speed of the grid component on a realistic 100,000-task database.
#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/TaskData.h"
#include "platform/Grid.h"
#include "widgets/GridView.h"

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

// A grid with one huge cell (state.range(0) megabytes of words): showing it
// in a view and fitting its column, as View All and the column fits do.
static void BM_GridViewHugeCell(benchmark::State& state) {
    Grid g(2, 14);
    std::string text;
    text.reserve(size_t(state.range(0)) << 20);
    while (text.size() < (size_t(state.range(0)) << 20)) text += "inspect the pump seals and log the readings ";
    g.SetTextUtf8(1, 2, std::move(text));
    for (auto _ : state) {
        GridView view(&g);
        view.resize(1200, 600);
        const QPixmap shot = view.grab();   // lays out and paints the rows in view
        g.AutoFit(2);
        benchmark::DoNotOptimize(shot.width());
    }
}
BENCHMARK(BM_GridViewHugeCell)->Arg(50)->Unit(benchmark::kMillisecond);

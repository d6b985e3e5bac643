// Speed of the whole-grid passes of the main window on a realistic
// 100,000-task grid: the status views, View All, Match Only Selected, the
// past-due pass and the counter's recount. Each must stay well under 100 ms
// including the one view update at the end; the *View variants measure that
// update with a real table view attached to the grid.
#include <memory>
#include <QDate>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/TaskData.h"
#include "model/database/PastDue.h"
#include "model/database/TaskCounter.h"
#include "model/database/TaskViews.h"
#include "widgets/GridView.h"

namespace {

// Alternates between two statuses so every pass changes row heights.
void StatusFilter(benchmark::State& state, bool withView) {
    Grid g = BenchData::TaskGrid(int(state.range(0)));
    std::unique_ptr<GridView> view;
    if (withView) view = std::make_unique<GridView>(&g);
    int flip = 0;
    for (auto _ : state) {
        const int shown = TaskViews::ShowStatus(g, (flip++ & 1) ? "Complete" : "Ready");
        if (view) view->Sync();
        benchmark::DoNotOptimize(shown);
    }
}

void BM_StatusFilter(benchmark::State& state) { StatusFilter(state, false); }
void BM_StatusFilterView(benchmark::State& state) { StatusFilter(state, true); }

void ViewAll(benchmark::State& state, bool withView) {
    Grid g = BenchData::TaskGrid(int(state.range(0)));
    std::unique_ptr<GridView> view;
    if (withView) view = std::make_unique<GridView>(&g);
    for (auto _ : state) {
        state.PauseTiming();
        TaskViews::ShowStatus(g, "On Hold");   // start from a narrowed view
        state.ResumeTiming();
        benchmark::DoNotOptimize(TaskViews::ShowAll(g));
        if (view) view->Sync();
    }
}

void BM_ViewAll(benchmark::State& state) { ViewAll(state, false); }
void BM_ViewAllView(benchmark::State& state) { ViewAll(state, true); }

void BM_MatchSelected(benchmark::State& state) {
    Grid g = BenchData::TaskGrid(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        TaskViews::ShowAll(g);
        g.SetActiveCell(3, 2);   // an Equipment cell
        state.ResumeTiming();
        benchmark::DoNotOptimize(TaskViews::MatchSelected(g));
    }
}

// Every pass starts from the unmarked grid, so the "Ready" rows' dates are
// read and about a third of the rows are painted each time. Making and
// dropping that grid is not the pass: both are left out of the time.
void BM_PastDue(benchmark::State& state) {
    const Grid base = BenchData::TaskGrid(int(state.range(0)));
    const QDate today(2026, 6, 1);
    const PastDue::Colours colours{0x0000FFu, 0xFFFFFFu};
    for (auto _ : state) {
        state.PauseTiming();
        auto g = std::make_unique<Grid>(base);
        state.ResumeTiming();
        benchmark::DoNotOptimize(PastDue::Mark(*g, today, colours).marked);
        state.PauseTiming();
        g.reset();
        state.ResumeTiming();
    }
}

// A repeated pass over an already marked and coloured grid (the pass the
// main window runs after each status change).
void BM_PastDueRepeat(benchmark::State& state) {
    Grid g = BenchData::TaskGrid(int(state.range(0)));
    const QDate today(2026, 6, 1);
    const PastDue::Colours colours{0x0000FFu, 0xFFFFFFu};
    PastDue::Mark(g, today, colours);
    GridView view(&g);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PastDue::Mark(g, today, colours).pastDue);
        view.Sync();
    }
}

// The recount, including its write of the counter to the settings store
// (a temporary one, never the user's).
void BM_ResortNum(benchmark::State& state) {
    QTemporaryDir config;
    const QByteArray saved = qgetenv("QUILLON_CONFIG_DIR");
    qputenv("QUILLON_CONFIG_DIR", config.path().toUtf8());
    const Grid g = BenchData::TaskGrid(int(state.range(0)));
    for (auto _ : state) {
        if (!TaskCounter::Recount(g)) state.SkipWithError("counter not written");
    }
    if (saved.isEmpty()) qunsetenv("QUILLON_CONFIG_DIR");
    else qputenv("QUILLON_CONFIG_DIR", saved);
}

}  // namespace

BENCHMARK(BM_StatusFilter)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatusFilterView)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewAll)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewAllView)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchSelected)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PastDue)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PastDueRepeat)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResortNum)->Arg(100000)->Unit(benchmark::kMillisecond);

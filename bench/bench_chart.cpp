// Speed of the schedule chart on 100 employees and 100,000 tasks, all shown
// in the grid: the whole build from the grid and the list file, one paint
// of what a 1600x900 chart shows, and finding the bar under the mouse.
#include <QDate>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "model/lists/ListFile.h"
#include "platform/DateText.h"
#include "platform/GanttModel.h"
#include "platform/Grid.h"
#include "model/schedule/ResourceChart.h"

namespace {

const QDate kFrom(2026, 1, 5);
constexpr int kEmployees = 100;

struct ChartData {
    QTemporaryDir dir;
    QString list;
    Grid grid;
};

// Tasks spread over a year from the first day of the window, each assigned
// to one of the employees; every row shown.
ChartData& Data(int tasks) {
    static std::map<int, std::unique_ptr<ChartData>> cache;
    auto& slot = cache[tasks];
    if (slot) return *slot;
    slot = std::make_unique<ChartData>();
    slot->list = slot->dir.path() + "/plant.ini";
    ListFile list(slot->list);
    for (int e = 0; e < kEmployees; ++e)
        list.Add(ListSection::Employees, QStringLiteral("Employee %1").arg(e), QString::number(e * 2654435 & 0xFFFFFF));
    Grid& g = slot->grid;
    g = Grid(1, 14);
    g.SetRows(tasks + 1);
    for (int i = 1; i <= tasks; ++i) {
        const QDate start = kFrom.addDays((i * 7) % 365);
        g.SetTextUtf8(i, 1, "ID-" + std::to_string(i));
        g.SetTextUtf8(i, 2, "Equipment " + std::to_string(i % 40));
        g.SetText(i, 4, DateText::FormatDate(start));
        g.SetText(i, 6, DateText::FormatDate(start.addDays(i % 3)));
        g.SetTextUtf8(i, 8, "Employee " + std::to_string(i % kEmployees));
        g.SetRowHeight(i, Grid::kShownRowHeight);
    }
    return *slot;
}

GanttMetrics BenchMetrics() {
    QFont font;
    font.setPixelSize(12);
    return GanttMetrics::For(font);
}

void BM_ChartBuild(benchmark::State& state) {
    ChartData& d = Data(int(state.range(0)));
    GanttModel chart;
    for (auto _ : state) {
        ResourceChart::Build(chart, d.grid, d.list, ResourceChart::Listing::ByEmployee, kFrom);
        benchmark::DoNotOptimize(chart.RowCount());
    }
    state.counters["bars"] = chart.BarCount();
}

void BM_ChartPaint(benchmark::State& state) {
    ChartData& d = Data(int(state.range(0)));
    GanttModel chart;
    chart.ShowGrid = true;
    ResourceChart::Build(chart, d.grid, d.list, ResourceChart::Listing::ByEmployee, kFrom);
    QImage image(1600, 900, QImage::Format_ARGB32_Premultiplied);
    const GanttMetrics metrics = BenchMetrics();
    {   // the first paint sorts the rows' bars once; every later one reuses that
        QPainter p(&image);
        GanttLayout(chart, QRectF(0, 0, 1600, 900), 0, metrics).Paint(p);
    }
    for (auto _ : state) {
        QPainter p(&image);
        GanttLayout(chart, QRectF(0, 0, 1600, 900), 0, metrics).Paint(p);
    }
}

void BM_ChartHit(benchmark::State& state) {
    ChartData& d = Data(int(state.range(0)));
    GanttModel chart;
    ResourceChart::Build(chart, d.grid, d.list, ResourceChart::Listing::ByEmployee, kFrom);
    const GanttLayout layout(chart, QRectF(0, 0, 1600, 900), 0, BenchMetrics());
    for (int r = 0; r < chart.RowCount(); ++r) chart.IndexRow(r);
    int i = 0;
    for (auto _ : state) {
        const QPointF at(120 + (i * 37) % 1470, 40 + (i * 13) % 850);
        ++i;
        benchmark::DoNotOptimize(layout.ItemAt(at));
    }
}

}  // namespace

BENCHMARK(BM_ChartBuild)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartPaint)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartHit)->Arg(100000)->Unit(benchmark::kMicrosecond);

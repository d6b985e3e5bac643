// Reading the dates of 100,000 task rows, as every date-window pass does.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/DateText.h"

static void BM_ParseDates(benchmark::State& state) {
    std::vector<std::string> cells;
    for (int i = 0; i < state.range(0); ++i)
        cells.push_back(DateText::FormatDate(QDate(2020, 1, 1).addDays(i % 3000)).toStdString());
    for (auto _ : state) {
        int valid = 0;
        for (const std::string& c : cells) valid += DateText::ParseDateUtf8(c).has_value();
        benchmark::DoNotOptimize(valid);
    }
}
BENCHMARK(BM_ParseDates)->Arg(100000)->Unit(benchmark::kMillisecond);

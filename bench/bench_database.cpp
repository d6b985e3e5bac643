// Speed of the task database object on a realistic 100,000-task database:
// what the lock and the save check add to a plain grid load and save
// (compare BM_GridLoad and BM_GridSave).
#include <QLocale>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/TaskData.h"
#include "model/database/TaskDatabase.h"
#include "platform/DateText.h"

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

namespace {
// A database written under `writer`, for opening under the benchmarks' locale.
void WriteUnder(const QLocale& writer, int tasks, const QString& path, bool recordForms) {
    const QLocale reader;
    QLocale::setDefault(writer);
    DateText::ResetCache();
    Grid g = BenchData::TaskGrid(tasks);
    if (!recordForms) g.SetForms({});
    g.SaveFile(path);
    QLocale::setDefault(reader);
    DateText::ResetCache();
}

void OpenEach(benchmark::State& state, const QString& path) {
    for (auto _ : state) {
        TaskDatabase db;
        if (!db.Open(path)) state.SkipWithError("open failed");
        benchmark::DoNotOptimize(db.Tasks().Rows());
    }
}
}  // namespace

// Written day first under de_DE, opened month first: every date converted.
static void BM_DatabaseOpenOtherLocale(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/bench.vkt";
    WriteUnder(QLocale(QLocale::German, QLocale::Germany), int(state.range(0)), path, true);
    OpenEach(state, path);
}
BENCHMARK(BM_DatabaseOpenOtherLocale)->Arg(100000)->Unit(benchmark::kMillisecond);

// A file from before forms were recorded, under its own locale: its dates
// are looked over once for another order.
static void BM_DatabaseOpenUnrecorded(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/bench.vkt";
    WriteUnder(QLocale(), int(state.range(0)), path, false);
    OpenEach(state, path);
}
BENCHMARK(BM_DatabaseOpenUnrecorded)->Arg(100000)->Unit(benchmark::kMillisecond);

// Speed of a recurrence run on a realistic task database, as the program
// makes it: the database saved through its lock and its check, the per-task
// lists copied and the counter written once per occurrence, and the recount
// at the end. BM_Generate52: a year of weekly occurrences; BM_Generate1000:
// the most the front ends offer.
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/TaskData.h"
#include "model/database/DatabaseLocation.h"
#include "model/database/TaskCounter.h"
#include "model/database/TaskDatabase.h"
#include "model/tasks/Recurrence.h"
#include "platform/FileOps.h"

static void Generate(benchmark::State& state, int occurrences) {
    QTemporaryDir dir;
    QTemporaryDir config;
    // The counter is a registry value: keep the run away from the user's own.
    const QByteArray savedConfig = qgetenv("QUILLON_CONFIG_DIR");
    qputenv("QUILLON_CONFIG_DIR", config.path().toUtf8());

    const int tasks = int(state.range(0));
    const Grid base = BenchData::TaskGrid(tasks);
    const int source = tasks / 2;
    const QString id = base.Text(source, 1);
    const QString path = dir.path() + "/plant.vkt";
    DatabaseLocation::EnsureCompanion(dir.path() + "/", "plant");

    for (auto _ : state) {
        state.PauseTiming();
        // Read from its file, as the program has it.
        base.SaveFile(path);
        TaskDatabase db;
        if (!db.Open(path)) state.SkipWithError("no database");
        FileOps::WriteFileSafely(db.ItemFile(id), QByteArray(2000, 'i'));
        FileOps::WriteFileSafely(db.MaterialFile(id), QByteArray(1000, 'm'));
        db.Tasks().SelectRange(source, 1, source, 1);
        TaskCounter::WritePlain(tasks);
        state.ResumeTiming();
        const Recurrence::Result r = Recurrence::Run(db, occurrences, 7);
        if (r.made != occurrences || r.saveFailed || r.copyFailed) state.SkipWithError("run incomplete");
    }

    if (savedConfig.isEmpty()) qunsetenv("QUILLON_CONFIG_DIR");
    else qputenv("QUILLON_CONFIG_DIR", savedConfig);
}

static void BM_Generate52(benchmark::State& state) { Generate(state, 52); }
BENCHMARK(BM_Generate52)->Arg(10000)->Unit(benchmark::kMillisecond);

static void BM_Generate1000(benchmark::State& state) { Generate(state, 1000); }
BENCHMARK(BM_Generate1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

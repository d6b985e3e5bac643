// Speed of a recurrence run: a year of weekly occurrences of one task in a
// realistic database, with the database saved, the per-task lists copied and
// the counter written once per occurrence, and the recount at the end.
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "bench/TaskData.h"
#include "model/database/TaskCounter.h"
#include "platform/FileOps.h"
#include "platform/Grid.h"
#include "model/tasks/Recurrence.h"

static void BM_Generate52(benchmark::State& state) {
    QTemporaryDir dir;
    QTemporaryDir config;
    // The counter is a registry value: keep the run away from the user's own.
    const QByteArray savedConfig = qgetenv("QUILLON_CONFIG_DIR");
    qputenv("QUILLON_CONFIG_DIR", config.path().toUtf8());

    const int tasks = int(state.range(0));
    const Grid base = BenchData::TaskGrid(tasks);
    Recurrence::Location where;
    where.databaseFile = dir.path() + "/plant.vkt";
    where.tasksFolder = dir.path() + "/plant/Tasks";
    where.materialsFolder = dir.path() + "/plant/Materials";
    QDir().mkpath(where.tasksFolder);
    QDir().mkpath(where.materialsFolder);
    const int source = tasks / 2;
    const QString id = base.Text(source, 1);
    FileOps::WriteFileSafely(where.tasksFolder + "/" + id + ".tsk", QByteArray(2000, 'i'));
    FileOps::WriteFileSafely(where.materialsFolder + "/" + id + ".mts", QByteArray(1000, 'm'));

    for (auto _ : state) {
        state.PauseTiming();
        Grid g = base;
        g.SelectRange(source, 1, source, 1);
        TaskCounter::WritePlain(tasks);
        state.ResumeTiming();
        const Recurrence::Result r = Recurrence::Run(g, 52, 7, where);
        if (r.made != 52 || r.saveFailed || r.copyFailed) state.SkipWithError("run incomplete");
    }

    if (savedConfig.isEmpty()) qunsetenv("QUILLON_CONFIG_DIR");
    else qputenv("QUILLON_CONFIG_DIR", savedConfig);
}
BENCHMARK(BM_Generate52)->Arg(10000)->Unit(benchmark::kMillisecond);

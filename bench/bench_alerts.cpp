// Speed of the timed alert: the check and the filter of the "Alert" rows
// over a 100,000-task grid (target: 50 ms), and one tick of the alert timer
// that does not fire (target: 50 µs; it runs about sixteen times a second
// while Quillon is in the tray, so it must not read the settings file when
// nothing changed).
#include <QDate>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "model/alerts/AlertCheck.h"
#include "bench/TaskData.h"
#include "model/database/TaskViews.h"
#include "platform/Registry.h"

namespace {

void BM_AlertCheck(benchmark::State& state) {
    Grid g = BenchData::TaskGrid(int(state.range(0)));
    const QDate today(2026, 3, 1);
    int flip = 0;
    for (auto _ : state) {
        const int marked = Alerts::MarkDue(g, (flip++ & 1) ? "1" : "0", today);
        const int shown = TaskViews::ShowStatus(g, TaskStatus::kAlert);
        benchmark::DoNotOptimize(marked + shown);
    }
}

void BM_AlertTick(benchmark::State& state) {
    QTemporaryDir config;
    const QByteArray saved = qgetenv("QUILLON_CONFIG_DIR");
    qputenv("QUILLON_CONFIG_DIR", config.path().toUtf8());
    // A settings file of realistic size, with the alert time in it.
    for (int i = 0; i < 40; ++i)
        Settings::Set("Settings", QStringLiteral("Value%1").arg(i), QStringLiteral("some text %1").arg(i));
    Settings::Set("Settings", "AlertTime", "03:00:00");
    Alerts::AlertTimer timer;
    QDateTime now(QDate(2026, 3, 1), QTime(12, 0));
    timer.SetClock([&] { return now; });
    timer.Start();
    for (auto _ : state) {
        now = now.addMSecs(60);
        if (timer.Tick()) state.SkipWithError("the tick fired");
    }
    if (saved.isEmpty()) qunsetenv("QUILLON_CONFIG_DIR");
    else qputenv("QUILLON_CONFIG_DIR", saved);
}

}  // namespace

BENCHMARK(BM_AlertCheck)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlertTick)->Unit(benchmark::kMicrosecond);

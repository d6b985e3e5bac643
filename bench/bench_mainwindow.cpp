// The date window and the start-up over a 100,000-task database.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "app/Form1.h"
#include "bench/TaskData.h"
#include "model/database/DateWindow.h"
#include "widgets/GridView.h"
#include "platform/Registry.h"

// One refresh: the row pass over the model plus the view's update.
static void BM_DateWindow(benchmark::State& state) {
    Grid g = BenchData::TaskGrid(int(state.range(0)));
    GridView view(&g);
    view.resize(1000, 700);
    view.show();
    QApplication::processEvents();
    int day = 0;
    for (auto _ : state) {
        g.SetRedraw(false);
        DateWindow::Apply(g, QDate(2026, 1, 1).addDays(day++ % 30), 30);
        g.SetRedraw(true);
        view.viewport()->repaint();
    }
}
BENCHMARK(BM_DateWindow)->Arg(100000)->Unit(benchmark::kMillisecond);

// From the creation of the main window to the window shown, with a
// 100,000-task default database (start-up reads it, filters, marks past due
// and recounts).
static void BM_StartupShown(benchmark::State& state) {
    QTemporaryDir dir;
    qputenv("QUILLON_CONFIG_DIR", (dir.path() + "/config").toUtf8());
    const QString path = dir.path() + "/big.vkt";
    BenchData::TaskGrid(int(state.range(0))).SaveFile(path);
    Settings::Set("Settings", "Default", path);
    Settings::Set("Settings", "Path", dir.path() + "/");
    Settings::Set("Settings", "FileTitle", "big");
    Settings::Set("Dates", "To", "30");
    for (auto _ : state) {
        auto* f = new Form1;
        f->Form_Load();
        f->show();
        QApplication::processEvents();
        state.PauseTiming();
        f->UnloadAllForms();
        delete f;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    qunsetenv("QUILLON_CONFIG_DIR");
}
BENCHMARK(BM_StartupShown)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

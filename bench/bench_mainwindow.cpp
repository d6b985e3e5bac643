// The date window and the start-up over a 100,000-task database, and
// Generate through the main window.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "app/Form1.h"
#include "bench/TaskData.h"
#include "model/database/DateWindow.h"
#include "widgets/GridView.h"
#include "platform/FileOps.h"
#include "platform/Registry.h"
#include "ui/tasks/Form18.h"
#include "widgets/Forms.h"

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
BENCHMARK(BM_StartupShown)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Generate through the main window as the user starts it: the "Auto
// Generate Selected Task" window's Generate, 1,000 weekly occurrences of a
// task in the middle of the database. Besides the time, what the run reads
// and writes (per run, from /proc/self/io).
static qint64 IoCount(const QByteArray& name) {
    QFile f(QStringLiteral("/proc/self/io"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(name + ':')) return line.mid(name.size() + 1).trimmed().toLongLong();
    return 0;
}

static void BM_GenerateWindow1000(benchmark::State& state) {
    QTemporaryDir dir;
    qputenv("QUILLON_CONFIG_DIR", (dir.path() + "/config").toUtf8());
    const int tasks = int(state.range(0));
    const QString path = dir.path() + "/plant.vkt";
    Settings::Set("Settings", "Default", path);
    Settings::Set("Settings", "Path", dir.path() + "/");
    Settings::Set("Settings", "FileTitle", "plant");
    Settings::Set("Dates", "To", "30");
    QDir().mkpath(dir.path() + "/plant/Tasks");
    QDir().mkpath(dir.path() + "/plant/Materials");
    QFile(dir.path() + "/plant.ini").open(QIODevice::WriteOnly);
    double written = 0, read = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BenchData::TaskGrid(tasks).SaveFile(path);
        auto* f = new Form1;
        f->Form_Load();
        f->show();
        QApplication::processEvents();
        f->Grid1.SelectRange(tasks / 2, 1, tasks / 2, 1);
        const QString id = f->Grid1.Text(tasks / 2, 1);
        FileOps::WriteFileSafely(f->Database.ItemFile(id), QByteArray(2000, 'i'));
        FileOps::WriteFileSafely(f->Database.MaterialFile(id), QByteArray(1000, 'm'));
        f->mnudup_Click();
        Form18* generator = Forms::Loaded<Form18>();
        generator->Combo1->setEditText(QStringLiteral("7"));
        generator->Combo2->setEditText(QStringLiteral("1000"));
        const qint64 wrote0 = IoCount("wchar"), read0 = IoCount("rchar");
        state.ResumeTiming();
        generator->Command1->click();
        state.PauseTiming();
        written += double(IoCount("wchar") - wrote0);
        read += double(IoCount("rchar") - read0);
        if (f->Grid1.Rows() != tasks + 1001) state.SkipWithError("run incomplete");
        f->UnloadAllForms();
        delete f;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["written_MB"] = benchmark::Counter(written / 1e6, benchmark::Counter::kAvgIterations);
    state.counters["read_MB"] = benchmark::Counter(read / 1e6, benchmark::Counter::kAvgIterations);
    qunsetenv("QUILLON_CONFIG_DIR");
}
BENCHMARK(BM_GenerateWindow1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The commands a user waits for on a large database, taken through the main
// window as the user takes them: a sort from the task row's menu until the
// grid has repainted, and the task editor's Save of one task (its durable
// write included) until the window is back.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <iterator>

#include "app/Form1.h"
#include "bench/TaskData.h"
#include "bench/Window.h"
#include "ui/tasks/Form6.h"
#include "widgets/Forms.h"
#include "widgets/GridPrint.h"
#include "widgets/GridView.h"

using BenchData::Window;

// "Sort Ascending" and "Sort Descending" chosen from the task row's menu
// on each shown column in turn (texts, dates, times, numbers), until the
// view has repainted. Besides the mean, the slowest sort.
static void BM_WindowSort(benchmark::State& state) {
    Window w(int(state.range(0)));
    if (!w.Opened()) {
        state.SkipWithError("database not written");
        return;
    }
    const int tasks = int(state.range(0));
    static const int kColumns[] = {Col::TaskId,     Col::Equipment, Col::RequestDate,  Col::ScheduledStart,
                                   Col::StartTime,  Col::ScheduledEnd, Col::EndTime,   Col::AssignedTo,
                                   Col::RequestedBy, Col::Type,     Col::Frequency,    Col::Status};
    int turn = 0;
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const int col = kColumns[(turn / 2) % std::size(kColumns)];
        w.Click(tasks / 2, col);
        QAction* sort = w->MenuItem(turn++ % 2 ? QStringLiteral("mnusort2") : QStringLiteral("mnusort"));
        QApplication::processEvents();
        QElapsedTimer took;
        took.start();
        state.ResumeTiming();
        sort->trigger();
        QApplication::processEvents();
        w->Grid1View->viewport()->repaint();
        state.PauseTiming();
        slowest = std::max(slowest, double(took.nsecsElapsed()) / 1e6);
        state.ResumeTiming();
    }
    state.counters["slowest_ms"] = slowest;
}
BENCHMARK(BM_WindowSort)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(24);

// The task editor's "&Save Task" on a task in the middle of the database,
// one field changed: the checks, the row written, the columns fitted and the
// whole database written safely (temporary file, fsync, rename).
static void BM_WindowSaveTask(benchmark::State& state) {
    Window w(int(state.range(0)));
    if (!w.Opened()) {
        state.SkipWithError("database not written");
        return;
    }
    const int tasks = int(state.range(0));
    int turn = 0;
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Form6* editor = w.EditTask(tasks / 2 + turn % 7, QStringLiteral("Inspector %1").arg(turn));
        ++turn;
        if (!editor) {
            state.SkipWithError("no editor");
            break;
        }
        QElapsedTimer took;
        took.start();
        state.ResumeTiming();
        Window::ClickSave(editor);
        state.PauseTiming();
        slowest = std::max(slowest, double(took.nsecsElapsed()) / 1e6);
        if (Forms::Loaded<Form6>()) state.SkipWithError("the editor did not save");
        state.ResumeTiming();
    }
    state.counters["slowest_ms"] = slowest;
}
BENCHMARK(BM_WindowSaveTask)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(10);

// The memory a large database takes through the main window: opened at
// start-up (past-due colours chosen, so every row is painted), every task
// shown (View All), sorted, its print preview opened, one task saved. Prints
// the peak resident memory of that sequence against the file's size.
int PrintWindowMemory(int tasks) {
    // The peak counts from here, not from anything before.
    BenchData::ResetPeakResident();
    Window w(tasks, false, true, true);
    if (!w.Opened()) {
        std::fprintf(stderr, "could not write the benchmark database %s\n", qPrintable(w.Path()));
        return 1;
    }
    const long fileKb = long(QFileInfo(w.Path()).size() / 1024);

    const long opened = BenchData::PeakResidentKb();
    // Start-up shows the date window's rows only; what follows works on all.
    w.ViewAll();
    w.Click(tasks / 2, Col::ScheduledStart);
    w->MenuItem(QStringLiteral("mnusort"))->trigger();
    QApplication::processEvents();
    w->Grid1View->viewport()->repaint();
    const long sorted = BenchData::PeakResidentKb();
    GridPrint::PrintPreview* preview = w.PreviewGrid();
    if (!preview) return 1;
    preview->grab();
    delete preview;
    const long previewed = BenchData::PeakResidentKb();
    if (!w.SaveTask(tasks / 3, QStringLiteral("Inspector"))) return 1;
    const long saved = BenchData::PeakResidentKb();
    const auto times = [&](long kb) { return fileKb > 0 ? double(kb) / double(fileKb) : 0.0; };
    std::printf("%d tasks through the main window: file %ld KB; peak resident after opening %ld KB (%.2f times the "
                "file), sorting %ld KB (%.2f), previewing %ld KB (%.2f), saving %ld KB (%.2f)\n",
                tasks, fileKb, opened, times(opened), sorted, times(sorted), previewed, times(previewed), saved,
                times(saved));
    return 0;
}

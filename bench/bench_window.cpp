// The commands a user waits for on a large database, taken through the main
// window as the user takes them: a sort from the task row's menu until the
// grid has repainted, and the task editor's Save of one task (its durable
// write included) until the window is back.
#include <QAction>
#include <algorithm>
#include <functional>
#include <iterator>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "app/Form1.h"
#include "bench/TaskData.h"
#include "widgets/GridPrint.h"
#include "platform/Registry.h"
#include "ui/tasks/Form6.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"

namespace {

// A main window started on a default database of `tasks` tasks, all rows
// shown (View All), as the user has it before the command.
class Window {
public:
    // `apart`: the database is made by a child process, so this process's
    // memory holds nothing of its making when the window opens it.
    // `coloured`: past-due colours chosen, so start-up paints every row.
    explicit Window(int tasks, bool viewAll = true, bool apart = false, bool coloured = false) {
        qputenv("QUILLON_CONFIG_DIR", (dir_.path() + "/config").toUtf8());
        if (coloured) {
            Settings::Set("Colors", "PastDue", "255");
            Settings::Set("Colors", "ForeDue", "16777215");
        }
        path_ = dir_.path() + "/plant.vkt";
        bool made = false;
        if (!apart) {
            made = BenchData::TaskGrid(tasks).SaveFile(path_);
        } else if (const pid_t child = ::fork(); child == 0) {
            ::_exit(BenchData::TaskGrid(tasks).SaveFile(path_) ? 0 : 1);
        } else {
            int status = 0;
            made = ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        // Timing a window over an empty database would report a figure for
        // work that never ran.
        if (!made) {
            std::fprintf(stderr, "could not write the benchmark database %s\n", qPrintable(path_));
            std::exit(1);
        }
        QDir().mkpath(dir_.path() + "/plant/Tasks");
        QDir().mkpath(dir_.path() + "/plant/Materials");
        QFile(dir_.path() + "/plant.ini").open(QIODevice::WriteOnly);
        Settings::Set("Settings", "Default", path_);
        Settings::Set("Settings", "Path", dir_.path() + "/");
        Settings::Set("Settings", "FileTitle", "plant");
        Settings::Set("Dates", "To", "30");
        form_ = new Form1;
        form_->Form_Load();
        form_->resize(1280, 800);
        form_->show();
        if (viewAll) form_->MenuItem(QStringLiteral("mnuall"))->trigger();
        QApplication::processEvents();
    }
    ~Window() {
        form_->UnloadAllForms();
        delete form_;
        QApplication::processEvents();
        qunsetenv("QUILLON_CONFIG_DIR");
    }
    Form1* operator->() const { return form_; }
    Form1* form() const { return form_; }
    QString Path() const { return path_; }

    // The task editor's Save of the task at `row`, one field changed; false
    // when the editor did not save.
    bool SaveTask(int row, const QString& assignedTo) const {
        Click(row, Col::TaskId);
        Form6* editor = form_->EditorForEdit();
        if (!editor) return false;
        editor->Text3->setText(assignedTo);
        QApplication::processEvents();
        editor->Command3->click();
        QApplication::processEvents();
        return !Forms::Loaded<Form6>();
    }

    // A left click on a shown cell, as the user picks the cell to act on.
    void Click(int row, int col) const {
        GridView* view = form_->Grid1View;
        const auto* model = qobject_cast<const GridModel*>(view->model());
        const QModelIndex cell = model->index(model->ViewRow(row), col);
        view->scrollTo(cell);
        const QRect at = view->visualRect(cell);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at.center());
    }

private:
    QTemporaryDir dir_;
    QString path_;
    Form1* form_ = nullptr;
};

}  // namespace

// "Sort Ascending" and "Sort Descending" chosen from the task row's menu
// on each shown column in turn (texts, dates, times, numbers), until the
// view has repainted. Besides the mean, the slowest sort.
static void BM_WindowSort(benchmark::State& state) {
    Window w(int(state.range(0)));
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
    const int tasks = int(state.range(0));
    int turn = 0;
    double slowest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.Click(tasks / 2 + turn % 7, Col::TaskId);
        Form6* editor = w->EditorForEdit();
        if (!editor) {
            state.SkipWithError("no editor");
            break;
        }
        editor->Text3->setText(QStringLiteral("Inspector %1").arg(turn++));
        QApplication::processEvents();
        QElapsedTimer took;
        took.start();
        state.ResumeTiming();
        editor->Command3->click();
        QApplication::processEvents();
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
    const long fileKb = long(QFileInfo(w.Path()).size() / 1024);

    const long opened = BenchData::PeakResidentKb();
    // Start-up shows the date window's rows only; what follows works on all.
    w->MenuItem(QStringLiteral("mnuall"))->trigger();
    QApplication::processEvents();
    w.Click(tasks / 2, Col::ScheduledStart);
    w->MenuItem(QStringLiteral("mnusort"))->trigger();
    QApplication::processEvents();
    w->Grid1View->viewport()->repaint();
    const long sorted = BenchData::PeakResidentKb();
    w->MenuItem(QStringLiteral("mnusht"))->trigger();
    QApplication::processEvents();
    GridPrint::PrintPreview* preview = w->findChild<GridPrint::PrintPreview*>();
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

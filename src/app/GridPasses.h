#pragma once
// The main window's long passes over the task grid: the date window, the
// status views, the status changes of the active task, alert clearing,
// past-due marking and removal. The row loops live in model/database
// (DateWindow, TaskViews, PastDue, TaskCounter, TaskRemoval); this adds the frame every pass shares: the
// hourglass and the busy mark (so no command starts until the pass ends),
// the progress bar scaled to the row count, the pass text and "Done", and
// the saves and messages that follow.

#include <QString>
#include <functional>

class QDate;
class QObject;
class StatusPanels;
class TaskDatabase;

class GridPasses {
public:
    // `holder` holds the database (the pass's busy mark goes with it);
    // `refresh` applies the date window again.
    GridPasses(TaskDatabase& db, StatusPanels& status, QObject* holder, std::function<void()> refresh);

    // Only the task rows whose Scheduled Start lies in the `length` days
    // from `from`; the progress bar ends full.
    void ShowDateWindow(const QDate& from, double length);
    // Only the rows of `status`. The list bar's pass lets pending window
    // events run once before it walks the rows (user input stays queued);
    // the menu's does not.
    void ShowStatus(const QString& status, bool yieldFirst);
    void ShowAll();
    void MatchSelected();
    // The active task's status, saved, then the past-due marks.
    void SetActiveStatus(const QString& status);
    // Every "Alert" back to "Ready", the date window again, then the save.
    void ClearAlerts(bool yieldFirst);
    void MarkPastDue();
    void Recount();
    // The selected tasks (asked first), their lists with them once saved.
    void Remove();

private:
    TaskDatabase& db_;
    StatusPanels& status_;
    QObject* holder_;
    std::function<void()> refresh_;
};

#pragma once
// Marks a long pass over the task database: the hourglass shows, and the
// commands that would change the grid wait (YieldToEvents leaves user input
// queued) until the pass ends. The window that holds the database may go
// during a pass that yields; the mark then goes with it.

#include <QPointer>

class Form1;
class TaskDatabase;

class BusyGuard {
public:
    BusyGuard(TaskDatabase& database, QObject* holder);
    explicit BusyGuard(Form1* form);
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    TaskDatabase* database_;
    QPointer<QObject> holder_;
};

// Lets pending paint and timer events run, but no user input.
void YieldToEvents();

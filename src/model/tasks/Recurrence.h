#pragma once
// Recurring occurrences of a task. A run appends copies of the grid's active
// row, each the interval later than the row it was copied from, with the next
// task ID, the status "Ready" and its own copy of the item and material
// lists. Every occurrence is written through as it is made: the database is
// saved, the per-task files copied, and the task counter advanced, so a run
// cut short leaves a consistent database behind.
//
// No window here: the main window's Generate adds the progress display and
// the busy mark through the hooks; tests call Run directly.

#include <QString>
#include <functional>
#include <optional>

#include "platform/Grid.h"

namespace Recurrence {

// The front ends' lists run from 1 to these; typed values beyond are refused.
constexpr int kMaxCount = 1000;
constexpr int kMaxInterval = 10000;

// The count and the interval as handed over in text. Only whole numbers
// (blanks around them allowed) within 0..kMaxCount / 0..kMaxInterval are
// taken; anything else (empty, negative, a fraction, a word) is refused with
// nullopt, so a run never sets off on a value it cannot finish.
std::optional<int> ReadCount(const QString& text);
std::optional<int> ReadInterval(const QString& text);
// The messages shown when a value is refused.
QString CountRefused();
QString IntervalRefused();

// A stored date text moved by whole calendar days, its time of day kept
// (also across a daylight-saving change), written back in the general date
// form. A text that is not a date (an empty Scheduled End) comes back as it
// was.
QString MoveDate(const QString& text, int days);

// The first task number a run hands out less one: the counter, recomputed
// from the grid when it is not a number, and never below the largest task
// number already in the grid (an ID handed out twice would make two tasks
// share their item and material files).
qint64 StartingNumber(const Grid& grid);

struct Location {
    QString databaseFile;
    QString tasksFolder;       // <companion>/Tasks
    QString materialsFolder;   // <companion>/Materials
};

// Copies the item and material lists of one task to another ID. A list the
// source lacks is removed from the target, so a stale file left under the
// new ID never becomes its list. False when a copy or removal failed.
bool CopyTaskFiles(const QString& fromId, const QString& toId, const Location& where);

struct Hooks {
    // Saves the grid; false stops the run. Default: Grid::SaveFile to
    // where.databaseFile.
    std::function<bool()> save;
    // Called once per occurrence, between occurrences.
    std::function<void()> yield;
    // Runs of two or more: after the first occurrence, then the value per
    // further occurrence, then (after the recount) the end.
    std::function<void(int total)> showProgress;
    std::function<void(int value)> progress;
    std::function<void()> finishProgress;
    // Recomputes the counter after runs of two or more. Default:
    // TaskCounter::Recount on the grid.
    std::function<void()> recount;
};

struct Result {
    int made = 0;              // occurrences appended
    bool saveFailed = false;   // the run stopped at a failed save
    bool copyFailed = false;   // some per-task list could not be copied
};

// Appends `count` occurrences of the active row, each `interval` days after
// the one before. Nothing happens when count is not positive, when the active
// row is not a task row, or when the grid is not a task grid.
Result Run(Grid& grid, int count, int interval, const Location& where, const Hooks& hooks = {});

}  // namespace Recurrence

#pragma once
// Recurring occurrences of a task. A run appends copies of the grid's active
// row, each the interval later than the row it was copied from, with the next
// task ID, the status "Ready" and its own copy of the item and material
// lists. Every occurrence is written through as it is made: the database is
// saved, the per-task files copied, and the task counter advanced, so a run
// cut short leaves a consistent database behind.
//
// A run works on the task database as every command does: its saves go
// through the database's lock and its check that nobody else changed the
// file, and the database is busy while the run lasts. No window here: the
// main window's Generate shows the progress through the Progress interface.

#include <QString>
#include <optional>

#include "platform/Grid.h"

class TaskDatabase;

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

// Copies the item and material lists of one task to another ID. A list the
// source lacks is removed from the target, so a stale file left under the
// new ID never becomes its list. False when a copy or removal failed.
bool CopyTaskFiles(const QString& fromId, const QString& toId, const TaskDatabase& db);

// What a run tells whoever started it; each does nothing unless overridden.
class Progress {
public:
    virtual ~Progress() = default;
    // Before each occurrence: pending work of the window may run.
    virtual void Yield() {}
    // Runs of two or more: after the first occurrence, with the run's length;
    // then after each further one, the value (0 after the second); after
    // the counter's recount at the end, End.
    virtual void Begin(int total) { (void)total; }
    virtual void Step(int value) { (void)value; }
    virtual void End() {}
};

struct Result {
    int made = 0;              // occurrences appended
    bool saveFailed = false;   // the run stopped at a failed save
    QString saveError;         // why, in words for the user
    bool saveReplaced = false; // its file was replaced all the same
    bool copyFailed = false;   // some per-task list could not be copied
};

// Appends `count` occurrences of the active row of the database's grid, each
// `interval` days after the one before. Nothing happens when count is not
// positive, when the active row is not a task row, when the grid is not a
// task grid, or when no database is open (saveFailed then says so). Each
// new ID takes the next number of the counter, which is recomputed from the
// grid when it is not a number and never falls below the largest task number
// already there (an ID handed out twice would make two tasks share their item
// and material files).
Result Run(TaskDatabase& db, int count, int interval, Progress* progress = nullptr);

}  // namespace Recurrence

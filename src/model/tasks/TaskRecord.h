#pragma once
// The task editor's work on the task grid, without a window: checking the
// fields of a task before it is saved, writing its row, finding the row an
// editor is bound to, fitting the columns, and taking and giving back the
// task number the editor proposes.

#include <QString>
#include <QStringList>
#include <optional>

#include "model/database/TaskColumns.h"

class Grid;

namespace TaskRecord {

// Columns 1..13 of a task row, in column order (Task ID to Status).
constexpr int kCells = Col::Status;

// Why a Task ID cannot be saved or name files ("" when it can): empty,
// not usable as a file name, or already the ID of another task (any row
// but `ownRow`, the task being edited; -1 in add mode).
QString IdProblem(const Grid& tasks, const QString& id, int ownRow);

// The Save checks in their order; "" when the task may be saved.
QString SaveProblem(const Grid& tasks, const QStringList& cells, int ownRow);

// Appends the task (cell by cell, so tabs in a text stay in their cell),
// makes its Task ID cell active and returns the new row.
int Append(Grid& tasks, const QStringList& cells);
// Rewrites columns 1..13 of a row.
void Write(Grid& tasks, int row, const QStringList& cells);

// The row of the task an editor was opened on: `row` if it still holds
// `id`, else the row that now holds `id` (after a sort or a removal), else -1.
int Locate(const Grid& tasks, int row, const QString& id);

// After a save: columns with an empty header hidden, hidden columns left
// hidden, the others fitted; the document column always hidden.
void FitColumns(Grid& tasks);

// The task number an editor takes when it loads: 1 for a grid without task
// rows, otherwise the counter plus 1 (a counter that is not a number is
// replaced by the largest task number in the grid). The counter is written
// at once; the number is returned.
qint64 TakeNumber(const Grid& tasks);
// The number TakeNumber would take, with the counter left as it is: what an
// editor proposes where no database is open, since the counter is shared
// with the copy of Quillon that holds the database.
qint64 ProposedNumber(const Grid& tasks);
// Gives the number back (counter minus 1), but only while the counter still
// holds it: after a recount or another editor's take it is not ours.
void GiveBack(qint64 taken);

// The count box's text as the number of further occurrences (count - 1);
// nullopt unless it is a whole number from 1 to 1000.
std::optional<int> FurtherOccurrences(const QString& countText);

}  // namespace TaskRecord

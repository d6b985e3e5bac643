#pragma once
// The date window of the task list: a task row is shown when its Scheduled
// Start falls on one of `length` days from `from` (the first day included).

#include <QDate>
#include <QString>

class Grid;

namespace DateWindow {
// The number at the start of a text ("30", " 7 days", "2.5"); 0 when none.
double LeadingNumber(const QString& text);
// Sets row heights (18 shown, 0 hidden) for rows 1.. of the task grid.
// A row whose Scheduled Start is not a date is shown in every window that is
// not empty.
// Returns the number of rows shown.
int Apply(Grid& grid, const QDate& from, double length);
}

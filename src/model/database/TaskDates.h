#pragma once
// The dates and times of a task database, read as the day and time they
// were written under whatever locale wrote them, and held in the current
// locale's forms, so that every reader (date window, past-due, sort, chart,
// alerts, editor, printing, exports) sees the same day.
//
// A file that records its forms is converted by pattern when they are not
// the current ones. A file from before forms were recorded is read in the
// current order as it always was, unless its dates show another: cells that
// are no dates in the current order but are in another, alone or beside
// cells of the current order. What was taken is reported, so the user is
// told once; nothing is ever dropped: a cell that reads in no order keeps
// its text and is reported.

#include <QString>
#include <QStringList>
#include <optional>

#include "platform/DateText.h"

class Grid;

namespace TaskDates {

struct Report {
    int converted = 0;                        // cells rewritten into the current forms
    // A file without recorded forms whose dates were read in another order
    // than the current one: all of them (mixed false) or those that read
    // in that order alone (mixed true).
    std::optional<DateText::Order> otherOrder;
    bool mixed = false;
    int otherOrderCells = 0;                  // cells that read only in the other order
    int currentOnlyCells = 0;                 // cells that read only in the current order
    int otherOrderTaskCount = 0;              // tasks with dates read in the other order (mixed)
    QStringList otherOrderTasks;              // the first few of them
    int unreadableCount = 0;                  // date and time cells that read in no order
    QStringList unreadable;                   // the first few, described for the user
};

// Brings the date and time cells of a task grid just read from its file
// into the current forms and records those forms in the grid. A grid
// without the task columns is left alone.
Report Adopt(Grid& grid);

// What the user is told once after opening `file`; "" when nothing.
QString Notice(const Report& report, const QString& file);

}  // namespace TaskDates

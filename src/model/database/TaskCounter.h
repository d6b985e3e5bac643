#pragma once
// The task-number counter: the number of the task ID last handed out, kept
// as text in the registry value Count\Tasks (one counter per user, shared by
// every database). It is written either as plain digits ("13") or, by the
// recount, right-aligned to six characters ("    12"); every reader turns
// the text into a number first.
//
// Task IDs are "ID-" followed by decimal digits. Only IDs of that form count
// towards the recount: a foreign ID ("Pump-3", "A") names no task number and
// must not win over the real ones.

#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "platform/Grid.h"

namespace TaskCounter {
// Largest task number the counter holds; larger IDs are not task numbers
// (the counter is incremented by readers that work in 32 bits).
constexpr qint64 kMaxNumber = 2147483646;

// The number of an ID of the form "ID-<digits>", or nullopt.
std::optional<qint64> TaskNumber(const std::string& id);
// Largest task number among the Task IDs of rows 1..Rows-1 (hidden rows
// included); nullopt when no row carries one.
std::optional<qint64> LargestTaskNumber(const Grid& grid);

// Right-aligned to six characters with leading blanks; longer numbers are
// written whole.
QString RightAligned(qint64 number);

// The stored text as it is, and as a number (leading and trailing blanks
// ignored; nullopt when empty or not a number).
QString ReadText();
std::optional<qint64> Read();
bool WriteText(const QString& text);
bool WritePlain(qint64 number);

// Read, change and write in one step under the settings lock, so two running
// copies never hand out one number twice. `next` gets the counter as a
// number (nullopt when empty or not a number) and returns the number to
// store as plain digits, or nullopt to leave the counter alone. Returns what
// was stored, or nullopt when nothing was (or it could not be written).
std::optional<qint64> Update(const std::function<std::optional<qint64>(std::optional<qint64> current)>& next);

// After a database was opened: the number of task rows, as plain digits.
bool WriteRowCount(const Grid& grid);
// The recount: the largest task number in the grid, right-aligned. A grid
// whose rows carry no task number gives 0 (the next ID is then ID-1); a grid
// without task rows leaves the counter as it is.
bool Recount(const Grid& grid);
}

#pragma once
// The task database's failures told to the user, in the same words from
// every window that writes to it (through the Dialogs interface, so tests
// answer and record them).

#include <QString>

class TaskDatabase;

namespace DatabaseNotices {
// Says that no database is open and returns false when none is.
bool RequireOpen(const TaskDatabase& db);
// Saves the open database. A failure (or no open database) is told here,
// once, and false is returned so the caller can stop.
bool Save(TaskDatabase& db);
// Tells that a save of the database failed, and why; `replaced`: the file
// on disk was replaced all the same (TaskDatabase::Result::replaced).
void SaveFailed(const TaskDatabase& db, const QString& reason, bool replaced);
}

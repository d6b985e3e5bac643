#pragma once
// What the main window asks and tells the user about the open database as a
// whole, apart from its pages: the default database at start-up, changes a
// failed save left, files an older Quillon named for it, the folder and list
// file that belong beside it, and a restore over it. Each works on the task database alone.

#include <QString>
#include <QStringList>

class TaskDatabase;

namespace DatabaseQuestions {
// Before the grid is closed or replaced: with unsaved changes, asks to
// retry the save, save to another file, or discard them. False when the
// user keeps the window as it is (or the changes are still unsaved).
bool ResolveUnsaved(TaskDatabase& db);
// The task lists an older Quillon kept under another name come over to the
// database's folder; a failure is said.
void AdoptLegacyFiles(TaskDatabase& db);
// Makes the companion folder (with Tasks and Materials) when it is missing.
// Returns what the user must be told: that the folder (and the list file)
// were not found beside the database, as after a database was moved alone;
// "" when the folder was there.
QString EnsureCompanionFolder(const TaskDatabase& db);
// The default database at start-up, read when it can be. A file that is
// missing or cannot be read is left alone with an empty grid and nothing
// named, so no command can save over it. Returns what the user must be
// told once the window is up, or "".
QString OpenAtStart(TaskDatabase& db);
// The open database is among `files`.
bool OpenAmong(const TaskDatabase& db, const QStringList& files);
// Before a restore replaces `files`: false when the open database is among
// them and the user keeps its unsaved changes.
bool ConfirmRestoreOver(const TaskDatabase& db, const QStringList& files);
}  // namespace DatabaseQuestions

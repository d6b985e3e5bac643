#pragma once
// Where a task database lives: its folder (ending with '/'), its name (the
// file title up to its first dot: stored databases rely on that rule), and
// the companion folder beside it with Tasks and Materials.

#include <QString>
#include <QStringList>

namespace DatabaseLocation {
struct Parts {
    QString folder;   // ends with '/'
    QString name;     // title before its first '.', "" when it has none
};
Parts Derive(const QString& fullPath);
QString CompanionFolder(const QString& folder, const QString& name);
// Creates the companion folder and its Tasks and Materials subfolders,
// each when missing. False when one of them could not be made.
bool EnsureCompanion(const QString& folder, const QString& name);
// Removes only the per-task files of the given Task IDs (any extension): a
// new database replacing an old file must not inherit the old tasks' lists,
// and the lists of another database sharing the companion folder stay.
bool ClearPerTaskFiles(const QString& folder, const QString& name, const QStringList& taskIds);
// A Task ID names its per-task files: not empty, and usable as a file name
// (with the longest extension) inside the task folders.
bool IdNamesFiles(const QString& id);
// A task's file in a task folder ("" without a folder or a usable ID).
QString TaskFile(const QString& folder, const QString& id, const QString& extension);
}

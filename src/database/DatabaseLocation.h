#pragma once
// Where a task database lives: its folder (ending with '/'), its name (the
// file title up to its first dot: stored databases rely on that rule), and
// the companion folder beside it with Tasks and Materials.

#include <QString>

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
// Empties the Tasks and Materials subfolders (a new database replacing an
// old file must not inherit its per-task lists). False on a failure.
bool ClearPerTaskFiles(const QString& folder, const QString& name);
}

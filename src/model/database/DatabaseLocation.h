#pragma once
// Where a task database lives: its folder (ending with '/'), its name (the
// file title without its extension), and the companion folder beside it
// with Tasks and Materials; the list file is <name>.ini beside it.
//
// The name keeps every dot but the extension's, so plant.vkt and
// plant.2027.vkt each have their own companion folder and list file.
// Databases were once named by the title up to its first dot (both of those
// were "plant"); AdoptLegacyFiles brings such a database's files over.

#include <QString>
#include <QStringList>

namespace DatabaseLocation {
struct Parts {
    QString folder;   // ends with '/'
    QString name;     // title without its extension
};
Parts Derive(const QString& fullPath);
// The name an older Quillon gave the database: the title up to its first dot.
QString LegacyName(const QString& fullPath);
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

// Copies the list file and the given tasks' item and material files of one
// database to another's location (files already there are kept). False,
// with the reason, when one could not be copied.
bool CopyCompanion(const Parts& from, const Parts& to, const QStringList& taskIds, QString* error = nullptr);

// For a database that has neither a companion folder nor a list file under
// its own name but has them under its older name: its list file and its
// tasks' files are brought to its own name. They are moved when no other
// database in the folder carries that older name, and copied otherwise, so
// the other database keeps its files. Returns what was done.
enum class Adopted { Nothing, Moved, Copied, Failed };
Adopted AdoptLegacyFiles(const QString& databaseFile, const QStringList& taskIds, QString* error = nullptr);
}

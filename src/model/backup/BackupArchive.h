#pragma once
// Backup of a database folder into one zip archive, and the listing of an
// archive, as plain functions the windows and tests call (the windows run
// them on a worker thread and read the progress meanwhile).

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/StagedRestore.h"
#include "platform/ZipArchive.h"

namespace BackupArchive {

struct Pattern {
    QString pattern;     // folder and wildcard
    bool recursive = false;
};

// What a backup takes, in order: every database file and every list file
// of the database folder, the Photos folder, and the open database's
// companion folder (with its Tasks and Materials subfolders). The Docs
// folder is not among them.
QList<Pattern> Patterns(const QString& databaseFolder, const QString& databaseName);

struct Result {
    bool ok = false;
    int entries = 0;
    QString message;     // why it failed, for the user
    // What the backup met and did not take (links, pipes, sockets,
    // devices, unreadable folders, names a restore could not take back).
    QList<LeftOutEntry> leftOut;
    QStringList notices; // interrupted restores put right before the backup
    StagedRestore::Notes notes;   // theirs on the disk: held until told
};

// Why `archivePath` must not receive a backup of the database folder, or
// "": a file the backup's own patterns would take (a task database, a list
// file, anything in Photos or in a database's companion folder), reached
// by its own name or through a link, or an existing file that is not a zip
// archive. Either would be replaced by the archive.
QString RefusedTarget(const QString& archivePath, const QString& databaseFolder, const QString& databaseName);

// Writes the archive at `archivePath` (replacing an existing one only once
// the new one is complete). Entries are named relative to the database
// folder, or by their full path with `fullPaths`. The archive itself is
// never added to itself, and a refused target is not touched. A restore
// that was interrupted in the database folder is put right first (`held`:
// the databases this copy has open); leftovers there and beside the archive
// are removed.
Result Run(const QString& archivePath, const QString& databaseFolder, const QString& databaseName,
           bool fullPaths, ZipProgress* progress = nullptr, const QStringList& held = {});

// Every entry of an archive, in archive order; false with a reason when it
// cannot be read.
bool List(const QString& archivePath, QList<ZipEntry>* entries, QString* error = nullptr);

}

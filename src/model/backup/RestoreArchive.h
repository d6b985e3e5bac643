#pragma once
// Restore of a backup archive into a folder, as plain functions the restore
// window, tests and fuzzing call.
//
// Nothing is written outside the chosen folder: entries whose names would
// leave it (absolute paths, "..", drive letters, backslashes), symbolic-link
// entries, duplicates and names that are both a file and a folder are
// refused, and the whole restore with them. So is an archive that would
// unpack to far more than it holds (a zip bomb) or more than the disk has
// room for, and a restore over a task database another copy of Quillon has
// open. Every destination is checked before anything is written.
//
// Entries go to a staging folder inside the target first, each checked
// against its length and CRC; only when all of them are sound are they put
// in place, all or nothing, through a journal that lets the next open
// finish a restore that was killed half-way (StagedRestore).

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/StagedRestore.h"
#include "platform/ZipArchive.h"

class Grid;

namespace RestoreArchive {

// An entry name made safe to join under a folder: its parts without "." and
// empty ones. Empty with `reason` set when the entry must be refused.
// With `fullPaths`, only absolute names are accepted (their parts are then
// taken from the root). `folderItself`, when given, says whether the name
// is refused only for being the folder everything goes under ("./", "."
// parts and slashes, or "/" with full paths): a folder entry so named is
// that folder, which is there already.
QString SafeRelativeName(const QString& entryName, bool fullPaths, QString* reason, bool* folderItself = nullptr);

struct Item {
    int index = 0;             // entry index in the archive
    QString relative;          // below `Plan::root`
    bool directory = false;
    qint64 size = 0;           // as the archive states it
    qint64 compressed = 0;
};

struct Plan {
    QString archive;
    QString root;              // the folder every item goes under
    QList<Item> items;
    QStringList refused;       // "name: reason", one per refused entry
    QString error;             // the archive could not be read at all
    // Task databases this copy of Quillon holds open: a restore over them
    // is allowed (the opener reloads them); any other one that is held
    // refuses the restore.
    QStringList held;
    // The folders files will be written into, for the full-path question.
    QStringList Folders() const;
    // The full paths of the files it writes.
    QStringList Files() const;
    bool Ok() const { return error.isEmpty() && refused.isEmpty(); }
};

// Reads the archive's listing and decides where every entry goes.
Plan Prepare(const QString& archivePath, const QString& targetFolder, bool fullPaths);

struct Result {
    bool ok = false;
    QString message;           // for the user when !ok
    QStringList written;       // full paths of the files put in place
    // Interrupted restores found in the folder and put right first.
    QStringList notices;
    // The notes on the disk that this restore completed (and of the
    // notices): hold them until the user has been told, so that a kill
    // before then leaves them for the next open to say.
    StagedRestore::Notes notes;
};

// Writers extracting at once. Measured on ext4 (BM_RestoreWriters, 95 MB
// in 20,000 files, six runs): one writer mostly took a third longer than
// two; three and four were at best a few percent faster than two, and up to
// twice as slow when the disk was busy, contending for the same folders.
constexpr int kWriters = 2;

// Extracts, checks and moves the plan's entries into place.
Result Run(const Plan& plan, ZipProgress* progress = nullptr, int threads = kWriters);

// Why the plan's entries cannot be written to a disk with `freeBytes` and
// `freeFiles` left (-1: not known) in blocks of `block` bytes, or "" when
// they can: an entry that claims to unpack to over 100 MB at more than 1000
// times its packed size, or more than the disk holds: the bytes of every
// file in whole blocks, a block per folder, and a few percent more. The
// refusal says how much is needed and how much is free.
QString SpaceProblem(const Plan& plan, qint64 freeBytes, qint64 freeFiles, qint64 block = 4096);

// The whole restore of `archivePath` under `targetFolder` (entries by
// their relative names): Prepare, then Run when nothing was refused.
Result Restore(const QString& archivePath, const QString& targetFolder, ZipProgress* progress = nullptr);

// The message that names refused entries (at most a screenful of them).
QString RefusedMessage(const Plan& plan);

// True when the grid holds the same cells as the grid file at `path`, so a
// reload from the file loses nothing.
bool GridMatchesFile(const Grid& grid, const QString& path);

}

#pragma once
// Many files put in place all or nothing, and put right after a crash.
//
// The new files are written into a staging folder inside the folder they go
// to (".quillon-restore-<pid>-XXXXXX", on the same file system, so putting
// a file in place is a rename) and synced. Then the plan, one line per
// "unit" (a file that replaces one, or a whole folder that is missing), is
// written to a journal in the staging folder and synced, and only then is
// anything moved: each original is moved aside into the staging folder and
// the new file renamed into its place. A failure moves everything back.
//
// Every step is a rename whose outcome can be seen afterwards (is the new
// file still in the staging folder? is the original aside?), so a restore
// killed or cut off by a power failure is finished, or undone when it was
// being undone, by Sweep the next time Quillon passes by, and doing a step
// twice does no harm. A staging folder is locked (flock) while its restore
// runs, so a sweep never touches one that is alive.
//
// Once every file is in place, and before its working files are removed,
// the restore leaves a note beside them (its journal, renamed): "this
// restore completed". The note stays, locked, until whoever tells the user
// lets it go; a process killed before it told leaves it, and the next sweep
// says so, once, however far the removal got.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace StagedRestore {

// One thing the restore puts in place, relative to the base folder.
struct Entry {
    QString relative;
    bool folder = false;
};

// What is wrong with putting `entries` into `base` now, one line each, or
// nothing: a folder on the way that is a file or a link, a file where a
// folder must go or the reverse, a folder that cannot be written, a file
// marked unchangeable, another file system. Checked for every destination
// before the first file is written and again before the first move.
QStringList Check(const QString& base, const QList<Entry>& entries);

// Decides whether the files an interrupted restore would replace may be
// touched now (another program may hold one), holding what it took while
// the returned object lives. Null, with `why` set, means not now.
using Claim = std::function<std::shared_ptr<void>(const QStringList& files, QString* why)>;

// Notes on the disk that restores completed, held by whoever is to tell the
// user: each goes when the last copy of what holds it goes.
using Notes = std::shared_ptr<void>;
// Both held together (either may be null).
Notes Together(Notes a, Notes b);

class Transaction {
public:
    // Makes and locks the staging folder in `base`, an existing folder.
    static std::unique_ptr<Transaction> Begin(const QString& base, QString* error);
    // Without a successful Commit nothing was moved: the staging folder goes.
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Where the new files are written, by their paths relative to the base.
    QString NewFolder() const;
    // Puts everything below NewFolder in place, all or nothing. False with
    // `error` set when nothing was changed (or, when even moving back
    // failed, with the staging folder kept for the next sweep to finish).
    bool Commit(QString* error);
    // After a failed Commit: the files could not all be put back, and the
    // staging folder stays for the next sweep.
    bool Kept() const;
    // After a successful Commit: the note that the restore completed (null
    // when it could not be left). Let it go once the user has been told.
    Notes Note() const;

private:
    Transaction() = default;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Finishes (or, where it was being undone, undoes) every restore that was
// interrupted in `folder`, and removes our leftovers there: staging folders
// no process holds, and temporaries of archives whose writers were killed.
// Returns what the user is to be told, one message per interrupted restore,
// notes of restores whose processes were killed before they told included.
// With `keep`, the notes of what is said stay until it lets them go (after
// telling the user); without, they go before Sweep returns.
QStringList Sweep(const QString& folder, const Claim& claim = {}, Notes* keep = nullptr);

// The staging folders of restores in `folder` (for tests and checks).
QStringList StagingFolders(const QString& folder);

}  // namespace StagedRestore

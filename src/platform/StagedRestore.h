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

private:
    Transaction() = default;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Finishes (or, where it was being undone, undoes) every restore that was
// interrupted in `folder`, and removes our leftovers there: staging folders
// no process holds, and temporaries of archives whose writers were killed.
// Returns what the user is to be told, one message per interrupted restore.
QStringList Sweep(const QString& folder, const Claim& claim = {});

// The staging folders of restores in `folder` (for tests and checks).
QStringList StagingFolders(const QString& folder);

}  // namespace StagedRestore

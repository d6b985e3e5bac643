#pragma once
// The task database: the task grid in memory, where it lives (file, folder,
// name and the companion folders beside it), whether it was read and may be
// written, and the count of long passes working on it. Open, Create and Save
// return a result with the reason of a failure; telling the user is the
// caller's part.
//
// One database, one writer: an open database holds a lock file beside it
// (`<file>.lock`, beside the file a link points to), so a second copy of the program is refused with the
// process and machine that hold it; a lock left by a process that died is
// taken over. It also holds a lock on the file itself, which every name of
// the file shares, so a copy that reaches it under another name (a hard
// link) is refused too.
//
// A path given to Open or Create is resolved once (every link on the way),
// and the database lives under its real name from then on; its folder is
// guarded, so nothing Quillon derives from it (the list file, the companion
// folder and its lists, Docs, Photos) is read or written through a link.
//
// Every save first checks that the file on disk is still the one
// this object read or wrote last; when another program changed it, the save
// is refused and the file keeps the other program's content. What the file
// system says of the file (size, times, identity) settles that when it can
// (FileOps::Stamp); otherwise the file's bytes are read and compared with a
// hash of those read or written.
//
// Opening a database first finishes (or undoes) a restore that was
// interrupted in its folder and removes our leftovers there; what was done
// is kept for the caller to tell (TakeNotices).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/FileOps.h"
#include "platform/FolderLock.h"
#include "platform/StagedRestore.h"
#include "platform/Grid.h"

class QLockFile;

class TaskDatabase {
public:
    struct Result {
        bool ok = true;
        QString reason;   // why not, in words for the user; "" when ok
        bool inUse = false;   // another copy of Quillon holds the database
        bool replaced = false;   // failed, yet the file on disk already holds the grid
        explicit operator bool() const { return ok; }
        static Result Ok() { return {}; }
        static Result Fail(const QString& why) { return {false, why}; }
        static Result InUse(const QString& why) { return {false, why, true}; }
        static Result Replaced(const QString& why) { return {false, why, false, true}; }
    };

    TaskDatabase();
    ~TaskDatabase();
    TaskDatabase(const TaskDatabase&) = delete;
    TaskDatabase& operator=(const TaskDatabase&) = delete;

    Grid& Tasks() { return grid_; }
    const Grid& Tasks() const { return grid_; }

    // ---- location ----
    QString File() const { return file_; }
    QString Folder() const { return folder_; }     // ends with '/'
    QString Name() const { return name_; }         // the file title without its extension
    QString CompanionFolder() const;               // Folder + Name; "" without a folder
    QString TasksFolder() const;                   // companion/Tasks
    QString MaterialsFolder() const;               // companion/Materials
    QString ListFilePath() const;                  // Folder + Name + ".ini"
    // A task's item list and material list; "" when the folder is not known
    // or the Task ID cannot name a file.
    QString ItemFile(const QString& taskId) const;
    QString MaterialFile(const QString& taskId) const;
    // Names the database without reading it (the default from the settings
    // before start-up reads it). Called whenever the location changes.
    void SetLocation(const QString& file, const QString& folder, const QString& name);
    void SetLocationChanged(std::function<void()> listener) { locationChanged_ = std::move(listener); }

    // A database file is named and was read (or created) by this object.
    bool IsOpen() const { return readable_ && !file_.isEmpty(); }

    // ---- long passes ----
    bool Busy() const { return busy_ > 0; }
    void BeginBusy() { ++busy_; }
    void EndBusy() { if (busy_ > 0) --busy_; }

    // ---- open, create, save ----
    // Reads a task database; on success it is the open database, located
    // at `path` (folder and name derived from it). On any failure nothing
    // changes: the grid, the location and the open database's lock stay.
    // Its dates and times are read as the day and time written, whatever
    // locale wrote them, and held in the current locale's forms.
    Result Open(const QString& path);
    // What the user should be told about the dates of the database last
    // opened (an order taken, dates that cannot be read); "" when nothing.
    QString DateNotice() const { return dateNotice_; }
    // Writes a new, empty task database at `path` (replacing a file there)
    // and makes it the open one, with its companion folders. The per-task
    // files of the tasks in a replaced file go with it. On failure nothing
    // changes.
    Result Create(const QString& path);
    // Writes the grid to the open database's file, unless that file was
    // changed by someone else since it was read or last written.
    Result Save();
    // Releases the lock; the database is no longer open (the grid stays).
    void Close();
    // What the last Open found and put right in the database's folder (an
    // interrupted restore finished or undone), for the user; emptied here.
    // With `notes`, the notes on the disk behind them go to the caller, to
    // hold until the user has read them (a kill before then leaves them for
    // the next open to say); without, they go now.
    QStringList TakeNotices(StagedRestore::Notes* notes = nullptr) {
        if (notes) *notes = StagedRestore::Together(*notes, std::exchange(notes_, {}));
        notes_.reset();
        return std::exchange(notices_, {});
    }
    // This object holds the lock of the database at `path`.
    bool HoldsLock(const QString& path) const;

    // A save failed since the grid was last written or read: the grid holds
    // changes its file does not have. A save that succeeds, an open and a
    // create end that; so does the user giving the changes up.
    bool Unsaved() const { return unsaved_; }
    void ForgetUnsaved() { SetUnsaved(false); }
    void SetUnsavedChanged(std::function<void(bool)> listener) { unsavedChanged_ = std::move(listener); }

    // The empty task grid: the header row with the column captions.
    static void SetHeaders(Grid& grid);
    // Who holds the lock on a database file, in words ("" when nobody does).
    static QString LockHolder(const QString& path);
    static QString LockFilePath(const QString& path);
    // For work on the files of a folder (a restore): takes the lock of every
    // task database (".vkt") among `files`, except those named in `held`
    // (the ones this copy holds already), as opening would. Null, with `why`
    // naming the database and its holder, when another copy holds one; the
    // locks last as long as the returned object.
    static std::shared_ptr<void> LockDatabases(const QStringList& files, const QStringList& held, QString* why);

private:
    struct Fingerprint {
        FileOps::FileStamp stamp;
        QByteArray hash;
    };
    // The locks of one database: its lock file and the lock on the file.
    struct Locks {
        std::unique_ptr<QLockFile> name;
        std::unique_ptr<FileLock> file;
    };
    // The file as it is now on disk, holding the bytes of `hash` (those read
    // or written). `written`: by this object, just now; bytes that were read may have
    // changed before the stamp was taken, so only their hash can vouch.
    static Fingerprint Take(const QString& path, QByteArray hash, bool written);
    // After the file was written with bytes of this hash.
    Result Saved(QByteArray hash);
    // The file on disk is now one this object wrote with bytes of this hash.
    void Written(QByteArray hash);
    // Why the file on disk is not the one read or written last ("" when it is).
    QString ChangedOnDisk(QByteArray* bytes) const;
    Result Lock(const QString& path, Locks& locks) const;
    static Result TakeLock(const QString& path, Locks& locks);
    void Adopt(const QString& path, Locks locks, Fingerprint print);
    void SetUnsaved(bool unsaved);

    Grid grid_;
    QString file_, folder_, name_;
    bool readable_ = false;
    int busy_ = 0;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<FileLock> fileLock_;
    QString lockedPath_;    // the file lock_ guards
    std::unique_ptr<FileOps::GuardedFolder> guard_;   // folder_, against links
    Fingerprint onDisk_;    // the file as this object last read or wrote it
    // The file on disk records no date forms (it predates them): a save
    // that would change nothing else leaves it as it is.
    bool formsUnrecorded_ = false;
    QString dateNotice_;
    std::function<void()> locationChanged_;
    bool unsaved_ = false;
    std::function<void(bool)> unsavedChanged_;
    QStringList notices_;
    StagedRestore::Notes notes_;
};

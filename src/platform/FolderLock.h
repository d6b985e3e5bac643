#pragma once
// One lock for every read-change-write of a shared file (the settings store,
// a list file, the task counter): an advisory lock on the file's folder, so
// no lock file is left behind and the kernel releases it when the holder
// dies. Two running copies of Quillon that change the same file take turns,
// and neither works from a copy the other has already replaced.

#include <QString>

class FolderLock {
public:
    // Waits up to `waitMs` for the lock, in the kernel's queue. A holder
    // that never lets go (a hung copy) makes the caller give up after the
    // wait (TimedOut): writing without the lock could lose the holder's
    // change, which is worse than telling the user to try again.
    explicit FolderLock(const QString& folder, int waitMs = 10000);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return held_; }
    // The folder could be opened but the lock not taken in time. (A folder
    // that cannot be opened at all has nothing to lock; the file operation
    // that follows reports the real problem.)
    bool TimedOut() const { return fd_ >= 0 && !held_; }

    // The folder a file lies in, locked as above.
    static QString FolderOf(const QString& filePath);

private:
    int fd_ = -1;
    bool held_ = false;
};

// An advisory lock on one file itself, taken at once or not at all. The
// kernel keys it on the file, not on its name, so every name of the file
// (hard links) meets the same lock; it goes when the holder closes or dies.
class FileLock {
public:
    explicit FileLock(const QString& path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return fd_ >= 0; }
    // Someone else holds the file's lock.
    bool Busy() const { return busy_; }
    // `path` names the file this lock holds.
    bool Same(const QString& path) const;
    // The file under `path` was replaced (a save writes a new file and
    // renames it over the old): its lock is taken and the old one let go.
    // False when it could not be taken; the old one is then kept.
    bool Follow(const QString& path);

private:
    int fd_ = -1;
    bool busy_ = false;
    quint64 device_ = 0, inode_ = 0;
};

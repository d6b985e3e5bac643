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

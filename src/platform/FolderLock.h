#pragma once
// One lock for every read-change-write of a shared file (the settings store,
// a list file, the task counter): an advisory lock on the file's folder, so
// no lock file is left behind and the kernel releases it when the holder
// dies. Two running copies of Quillon that change the same file take turns,
// and neither works from a copy the other has already replaced.

#include <QString>

class FolderLock {
public:
    // Waits up to `waitMs` for the lock. A holder that never lets go (a hung
    // copy) only delays the caller: after the wait it goes ahead without the
    // lock, as losing the user's change would be worse.
    explicit FolderLock(const QString& folder, int waitMs = 2000);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return held_; }

    // The folder a file lies in, locked as above.
    static QString FolderOf(const QString& filePath);

private:
    int fd_ = -1;
    bool held_ = false;
};

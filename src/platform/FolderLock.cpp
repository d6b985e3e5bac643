#include "platform/FolderLock.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FolderLock::FolderLock(const QString& folder, int waitMs) {
    fd_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) return;
    for (int waited = 0;; waited += 5) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= waitMs) return;
        ::usleep(5000);
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);   // closing releases the lock
}

QString FolderLock::FolderOf(const QString& filePath) {
    return QFileInfo(filePath).absolutePath();
}

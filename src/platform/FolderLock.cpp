#include "platform/FolderLock.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The signal that ends a wait: a real-time one Qt does not use, whose
// handler does nothing and does not restart the call, so the blocked flock
// returns with EINTR.
int WakeSignal() {
    static const int sig = [] {
        const int s = SIGRTMIN + 7;
        struct sigaction sa {};
        sa.sa_handler = [](int) {};
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;
        return ::sigaction(s, &sa, nullptr) == 0 ? s : 0;
    }();
    return sig;
}

// Blocks in flock until the lock is free or `waitMs` pass. A blocking wait
// is queued by the kernel, so a writer that keeps taking the lock again
// cannot starve another that is waiting, as polling could.
bool LockWithin(int fd, int waitMs) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK) return false;
    const int sig = WakeSignal();
    timer_t timer {};
    struct sigevent ev {};
    ev.sigev_notify = SIGEV_THREAD_ID;
    ev.sigev_signo = sig;
#ifdef sigev_notify_thread_id
    ev.sigev_notify_thread_id = ::gettid();
#else
    ev._sigev_un._tid = ::gettid();
#endif
    if (sig != 0 && ::timer_create(CLOCK_MONOTONIC, &ev, &timer) == 0) {
        struct itimerspec when {};
        when.it_value.tv_sec = waitMs / 1000;
        when.it_value.tv_nsec = long(waitMs % 1000) * 1000000L;
        // Re-armed every 50 ms after the first expiry, so a wake-up that
        // came just before the call blocked cannot leave it waiting forever.
        when.it_interval.tv_nsec = 50 * 1000000L;
        ::timer_settime(timer, 0, &when, nullptr);
        int got = -1;
        timespec start {};
        ::clock_gettime(CLOCK_MONOTONIC, &start);
        for (;;) {
            got = ::flock(fd, LOCK_EX);
            if (got == 0 || errno != EINTR) break;
            timespec now {};
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            const long long elapsed = (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000;
            if (elapsed >= waitMs) break;
        }
        ::timer_delete(timer);
        return got == 0;
    }
    // No timer to be had: poll.
    for (int waited = 0; waited < waitMs; waited += 2) {
        ::usleep(2000);
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
    }
    return false;
}

}  // namespace

FolderLock::FolderLock(const QString& folder, int waitMs) {
    fd_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) return;
    held_ = LockWithin(fd_, waitMs);
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);   // closing releases the lock
}

QString FolderLock::FolderOf(const QString& filePath) {
    return QFileInfo(filePath).absolutePath();
}

namespace {

// The file opened for its lock, or -1; `busy` when another holds it.
int OpenLocked(const QString& path, bool& busy, quint64& device, quint64& inode) {
    busy = false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        busy = errno == EWOULDBLOCK;
        ::close(fd);
        return -1;
    }
    device = quint64(st.st_dev);
    inode = quint64(st.st_ino);
    return fd;
}

}  // namespace

FileLock::FileLock(const QString& path) { fd_ = OpenLocked(path, busy_, device_, inode_); }

FileLock::~FileLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileLock::Same(const QString& path) const {
    struct stat st {};
    return fd_ >= 0 && ::stat(QFile::encodeName(path).constData(), &st) == 0 && quint64(st.st_dev) == device_ &&
           quint64(st.st_ino) == inode_;
}

bool FileLock::Follow(const QString& path) {
    if (Same(path)) return true;
    bool busy = false;
    quint64 device = 0, inode = 0;
    const int fd = OpenLocked(path, busy, device, inode);
    if (fd < 0) return false;
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    busy_ = false;
    device_ = device;
    inode_ = inode;
    return true;
}

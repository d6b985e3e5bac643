#include "platform/FileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QHash>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <linux/magic.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path ToPath(const QString& path) { return fs::path(QFile::encodeName(path).toStdString()); }

void SetError(QString* error, const QString& text) {
    if (error) *error = text;
}

// Our temporaries: hidden, beside the target, named after it and marked so
// that nothing but a temporary of ours can ever match ".<name>.XXXXXX.qtmp".
constexpr char kTempSuffix[] = ".qtmp";
constexpr int kRandomChars = 6;
// Only so much of the target's name goes into a temporary's name, so the
// temporary of a 255-byte name still fits the file system's limit.
constexpr int kTempNameBytes = 200;

QByteArray TempPrefix(const QByteArray& name) {
    return '.' + name.left(kTempNameBytes) + '.';
}

bool IsOurTemporary(const QByteArray& entry, const QByteArray& prefix) {
    const qsizetype suffix = qsizetype(sizeof kTempSuffix - 1);
    if (entry.size() != prefix.size() + kRandomChars + suffix) return false;
    if (!entry.startsWith(prefix) || !entry.endsWith(kTempSuffix)) return false;
    for (qsizetype i = prefix.size(); i < prefix.size() + kRandomChars; ++i) {
        const char c = entry[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

// A temporary left by a writer that died (killed between writing and the
// rename) is no longer locked; one younger than a few seconds is left alone
// in case its writer has created it but not yet taken the lock. Where locks
// do not work at all, only a temporary older than a few minutes goes.
constexpr int kUnlockedAgeSeconds = 2;
constexpr int kAnyAgeSeconds = 300;

// Any file's temporary: ".<name>.XXXXXX.qtmp".
bool IsAnyTemporary(const QByteArray& entry) {
    const qsizetype suffix = qsizetype(sizeof kTempSuffix - 1);
    const qsizetype dot = entry.size() - suffix - kRandomChars - 1;
    if (dot < 2 || entry[0] != '.' || entry[dot] != '.') return false;
    return IsOurTemporary(entry, entry.left(dot + 1));
}

template <class Matches>
void RemoveStaleTemporariesNow(const QByteArray& folder, Matches matches, size_t& entries) {
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    const time_t now = ::time(nullptr);
    while (dirent* e = ::readdir(dir)) {
        ++entries;
        const QByteArray entry(e->d_name);
        if (!matches(entry)) continue;
        const int fd = ::openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st {};
        bool stale = false;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            const time_t age = now - st.st_mtime;
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0) stale = age >= kUnlockedAgeSeconds;
            else if (errno != EWOULDBLOCK) stale = age >= kAnyAgeSeconds;
        }
        if (stale) ::unlinkat(dirFd, e->d_name, 0);
        ::close(fd);   // after the unlink, so no writer can take it in between
    }
    ::closedir(dir);
}

// A folder of many files (the per-task lists of a large database) is not
// listed at every write: after a pass that saw more than this many entries,
// the next pass over it waits a while. A run that writes the lists of a
// thousand new tasks one after another would otherwise list a growing
// folder a thousand times.
constexpr size_t kLargeFolder = 256;
constexpr qint64 kLargeFolderPauseMs = 30000;

struct LargeFolders {
    std::mutex mutex;
    QHash<QByteArray, qint64> scannedAt;   // folder -> when it was last listed
};
LargeFolders& Large() {
    static LargeFolders large;
    return large;
}

void RemoveStaleTemporaries(const QByteArray& folder, const QByteArray& name) {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    {
        LargeFolders& large = Large();
        const std::lock_guard<std::mutex> lock(large.mutex);
        const auto it = large.scannedAt.constFind(folder);
        if (it != large.scannedAt.constEnd() && now - *it < kLargeFolderPauseMs) return;
    }
    size_t entries = 0;
    const QByteArray prefix = TempPrefix(name);
    RemoveStaleTemporariesNow(folder, [&](const QByteArray& entry) { return IsOurTemporary(entry, prefix); }, entries);
    LargeFolders& large = Large();
    const std::lock_guard<std::mutex> lock(large.mutex);
    if (entries > kLargeFolder) large.scannedAt.insert(folder, now);
    else large.scannedAt.remove(folder);
}

// Writes a file whole under a temporary name beside it and renames it over
// the target only once every byte is on the disk; the folder is synced after
// the rename, so a save reported done survives a power cut. The temporary is
// locked while it is written, which tells a later writer it is not stale.
class AtomicFile {
public:
    ~AtomicFile() { Cancel(); }

    // `mode`: the permissions the file ends with; -1 keeps those of the file
    // it replaces (or gives a new one the usual 0666 less the umask).
    bool Open(const QString& path, QString* error, int mode = -1) {
        placed_ = false;
        if (const QString link = FileOps::LinkProblem(path); !link.isEmpty()) {
            SetError(error, link);
            return false;
        }
        QString target = path;
        // Outside a guarded folder a link is kept: the file it points to is
        // the one replaced.
        const QFileInfo info(path);
        if (info.isSymLink() && info.exists()) target = info.canonicalFilePath();
        const QFileInfo t(target);
        folder_ = QFile::encodeName(t.absolutePath());
        target_ = QFile::encodeName(t.absoluteFilePath());
        const QByteArray name = QFile::encodeName(t.fileName());
        RemoveStaleTemporaries(folder_, name);

        struct stat old {};
        const bool hadOld = ::stat(target_.constData(), &old) == 0;
        if (mode < 0 && hadOld) mode = int(old.st_mode & 07777);
        // Created with no more than its final permissions, so nobody the
        // final file shuts out can open the temporary meanwhile.
        const mode_t createMode = mode < 0 ? 0666 : mode_t(mode);
        static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            QByteArray random(kRandomChars, 'x');
            for (char& c : random) c = kChars[QRandomGenerator::global()->bounded(62)];
            temp_ = folder_ + '/' + TempPrefix(name) + random + kTempSuffix;
            fd_ = ::open(temp_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, createMode);
            if (fd_ >= 0) break;
            if (errno != EEXIST) return Fail(error, errno, false);
        }
        if (fd_ < 0) return Fail(error, EEXIST, false);
        ::flock(fd_, LOCK_EX | LOCK_NB);
        // The umask may have taken bits the file is to have (a shared file
        // the user made group-writable): given back now, which only widens.
        if (mode >= 0) {
            struct stat made {};
            if (::fstat(fd_, &made) == 0 && (made.st_mode & 07777) != mode_t(mode)) ::fchmod(fd_, mode_t(mode));
        }
        return true;
    }

    bool Write(const char* data, qint64 size, QString* error) {
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size_t(std::min<qint64>(size, 1 << 30)));
            if (n < 0) {
                if (errno == EINTR) continue;
                return Fail(error, errno);
            }
            if (n == 0) return Fail(error, ENOSPC);
            data += n;
            size -= n;
        }
        return true;
    }

    qint64 Seek(qint64 offset, int whence) { return fd_ < 0 ? -1 : qint64(::lseek(fd_, off_t(offset), whence)); }

    bool Commit(QString* error) {
        if (::fsync(fd_) != 0 && errno != EINVAL) return Fail(error, errno);
        if (::rename(temp_.constData(), target_.constData()) != 0) return Fail(error, errno);
        placed_ = true;
        temp_.clear();
        ::close(fd_);   // only now: the temporary stayed locked until it was renamed
        fd_ = -1;
        const int dir = ::open(folder_.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            const int synced = ::fsync(dir);
            const int why = errno;
            ::close(dir);
            // A folder that cannot be synced (some network file systems)
            // is no failure; an input/output error is.
            if (synced != 0 && why == EIO) return Fail(error, why, false);
        }
        return true;
    }

    // Commit renamed the file over the target, even if it failed after
    // that: the target then holds the new bytes, which a power cut may
    // still take back.
    bool Placed() const { return placed_; }

    void Cancel() {
        if (!temp_.isEmpty()) ::unlink(temp_.constData());
        temp_.clear();
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    bool Fail(QString* error, int why, bool cancel = true) {
        SetError(error, FileOps::ErrorText(why));
        if (cancel) Cancel();
        return false;
    }
    QByteArray folder_, target_, temp_;
    int fd_ = -1;
    bool placed_ = false;
};

// The guarded folders, by real name, with the number of holders of each.
struct Guards {
    std::mutex mutex;
    QHash<QString, int> folders;
};
Guards& Guarded() {
    // Never destroyed: a guard held by a static object is let go after
    // every other static is gone.
    static Guards* guards = new Guards;
    return *guards;
}

QString LinkMessage(const QString& link) {
    return QStringLiteral("\"%1\" is a link. Quillon does not read or write its files through links; "
                          "put the file or folder itself in the link's place.")
        .arg(link);
}

// The problem of the folder a file lies in: for a file that is removed or
// replaced by name, a link in its own place is no way elsewhere.
QString FolderLinkProblem(const QString& path) {
    return FileOps::LinkProblem(QFileInfo(path).absolutePath());
}

}  // namespace

namespace FileOps {

GuardedFolder::GuardedFolder(const QString& folder) {
    const QString real = QFileInfo(folder).canonicalFilePath();
    folder_ = real.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : real;
    Guards& guards = Guarded();
    const std::lock_guard<std::mutex> lock(guards.mutex);
    ++guards.folders[folder_];
}

GuardedFolder::~GuardedFolder() {
    Guards& guards = Guarded();
    const std::lock_guard<std::mutex> lock(guards.mutex);
    const auto it = guards.folders.find(folder_);
    if (it != guards.folders.end() && --*it <= 0) guards.folders.erase(it);
}

QString LinkProblem(const QString& path) {
    if (path.isEmpty()) return QString();
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // The deepest guarded folder the path lies in.
    QString root;
    {
        Guards& guards = Guarded();
        const std::lock_guard<std::mutex> lock(guards.mutex);
        for (auto it = guards.folders.constBegin(); it != guards.folders.constEnd(); ++it) {
            const QString& folder = it.key();
            const bool inside = absolute == folder ||
                                (absolute.startsWith(folder) &&
                                 (folder.endsWith(QLatin1Char('/')) || absolute.at(folder.size()) == QLatin1Char('/')));
            if (inside && folder.size() > root.size()) root = folder;
        }
    }
    if (root.isEmpty() || absolute.size() == root.size()) return QString();
    // Each name below the guarded folder, from the top down; the walk ends
    // where nothing exists any more.
    const QStringList parts = absolute.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString at = root;
    for (const QString& part : parts) {
        at = Join(at, part);
        struct stat st {};
        if (::lstat(QFile::encodeName(at).constData(), &st) != 0) break;
        if (S_ISLNK(st.st_mode)) return LinkMessage(at);
    }
    return QString();
}

QString Resolve(const QString& path) {
    QFileInfo info(path);
    // A link that leads nowhere yet names the file it would make.
    for (int hops = 0; hops < 40 && info.isSymLink() && !info.exists(); ++hops)
        info = QFileInfo(info.symLinkTarget());
    const QString real = info.canonicalFilePath();
    if (!real.isEmpty()) return real;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : Join(folder, info.fileName());
}

QString DataFolder() {
    static std::once_flag once;
    static QString folder;
    static std::unique_ptr<GuardedFolder> guard;
    std::call_once(once, [] {
        const QString wanted = Join(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                                    QStringLiteral("Quillon"));
        const QByteArray name = QFile::encodeName(wanted);
        QDir().mkpath(QFileInfo(wanted).absolutePath());
        ::mkdir(name.constData(), 0700);
        // The logs in it hold addresses and whole messages.
        struct stat st {};
        if (::lstat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
            (st.st_mode & 077) != 0)
            ::chmod(name.constData(), st.st_mode & 0700);
        const QString real = QFileInfo(wanted).canonicalFilePath();
        folder = real.isEmpty() ? wanted : real;
        // Quillon once kept these files one folder deeper (organisation and
        // program name both): what it left there comes over, and a file of
        // the same name already here is kept as it is.
        const QString earlier = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!earlier.isEmpty() && QFileInfo(earlier).canonicalFilePath() != folder && QFileInfo(earlier).isDir()) {
            QDir old(earlier);
            for (const QString& entry : old.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
                const QString to = Join(folder, entry);
                struct stat there {};
                if (::lstat(QFile::encodeName(to).constData(), &there) == 0) continue;
                if (::rename(QFile::encodeName(old.filePath(entry)).constData(), QFile::encodeName(to).constData()) == 0)
                    ::chmod(QFile::encodeName(to).constData(), 0600);
            }
            old.rmdir(earlier);
        }
        guard = std::make_unique<GuardedFolder>(folder);
    });
    return folder;
}

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool FolderExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool MakeFolder(const QString& path, QString* error) {
    if (path.isEmpty()) return false;
    if (const QString link = LinkProblem(path); !link.isEmpty()) {
        SetError(error, link);
        return false;
    }
    QDir().mkpath(path);
    return FolderExists(path);
}

bool RemoveFile(const QString& path) {
    if (path.isEmpty() || !FolderLinkProblem(path).isEmpty()) return false;
    std::error_code ec;
    // symlink_status: a link is removed itself, never what it points to, and
    // a dangling link still counts as present.
    const fs::file_status st = fs::symlink_status(ToPath(path), ec);
    if (ec || st.type() == fs::file_type::not_found) return true;
    if (st.type() == fs::file_type::directory) return false;
    fs::remove(ToPath(path), ec);
    return !fs::exists(fs::symlink_status(ToPath(path), ec));
}

bool RemoveFolder(const QString& path) {
    if (path.isEmpty() || !FolderLinkProblem(path).isEmpty()) return false;
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(ToPath(path), ec);
    if (st.type() == fs::file_type::not_found) return true;
    // Only a folder (or a link, which goes alone) is removed here; a plain
    // file passed by mistake is left in place.
    if (st.type() != fs::file_type::directory && st.type() != fs::file_type::symlink) return false;
    fs::remove_all(ToPath(path), ec);
    return !fs::exists(fs::symlink_status(ToPath(path), ec));
}

bool CopyFile(const QString& src, const QString& dst, bool overwrite, QString* error) {
    // The copy's own place is checked as every write's is; its source here.
    if (const QString link = LinkProblem(src); !link.isEmpty()) {
        SetError(error, link);
        return false;
    }
    if (!FileExists(src)) {
        SetError(error, QStringLiteral("%1 does not exist").arg(src));
        return false;
    }
    if (dst.isEmpty() || FolderExists(dst)) {
        SetError(error, QStringLiteral("%1 is not a file name").arg(dst));
        return false;
    }
    if (!overwrite && QFileInfo::exists(dst)) {
        SetError(error, QStringLiteral("%1 already exists").arg(dst));
        return false;
    }
    QFile in(src);
    if (!in.open(QIODevice::ReadOnly)) {
        SetError(error, in.errorString());
        return false;
    }
    // The copy is complete under a temporary name before it takes the
    // target's name, so a failed copy never leaves a partial file; it has
    // the source's permissions from the start, so a private file stays so.
    AtomicFile out;
    struct stat source {};
    const int mode = ::fstat(in.handle(), &source) == 0 ? int(source.st_mode & 0777) : -1;
    if (!out.Open(dst, error, mode)) return false;
    QByteArray buffer;
    while (!in.atEnd()) {
        buffer = in.read(1 << 20);
        if (buffer.isEmpty() && in.error() != QFileDevice::NoError) break;
        if (!out.Write(buffer.constData(), buffer.size(), error)) return false;
    }
    if (in.error() != QFileDevice::NoError) {
        SetError(error, in.errorString());
        return false;
    }
    return out.Commit(error);
}

bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* error, Access access) {
    return WriteFileSafely(path, bytes.constData(), bytes.size(), error, access);
}

bool WriteFileSafely(const QString& path, const char* data, qint64 size, QString* error, Access access) {
    if (path.isEmpty() || FolderExists(path)) {
        SetError(error, QStringLiteral("%1 is not a file name").arg(path));
        return false;
    }
    AtomicFile file;
    return file.Open(path, error, access == Access::OwnerOnly ? 0600 : -1) && file.Write(data, size, error) &&
           file.Commit(error);
}

struct SafeFile::Impl {
    AtomicFile file;
    bool open = false;
};

SafeFile::SafeFile() : d(std::make_unique<Impl>()) {}
SafeFile::~SafeFile() = default;

bool SafeFile::Open(const QString& path, QString* error) {
    Cancel();
    if (path.isEmpty() || FolderExists(path)) {
        SetError(error, QStringLiteral("%1 is not a file name").arg(path));
        return false;
    }
    d->open = d->file.Open(path, error);
    return d->open;
}

bool SafeFile::Write(const char* data, qint64 size, QString* error) {
    if (!d->open) return false;
    d->open = d->file.Write(data, size, error);
    return d->open;
}

qint64 SafeFile::Seek(qint64 offset, int whence) { return d->open ? d->file.Seek(offset, whence) : -1; }

bool SafeFile::Commit(QString* error) {
    if (!d->open) return false;
    d->open = false;
    return d->file.Commit(error);
}

bool SafeFile::Placed() const { return d->file.Placed(); }

void SafeFile::Cancel() {
    d->file.Cancel();
    d->open = false;
}

void RemoveStaleTemporaries(const QString& folder) {
    size_t entries = 0;
    RemoveStaleTemporariesNow(QFile::encodeName(folder), IsAnyTemporary, entries);
}

bool ReadFile(const QString& path, QByteArray* bytes, QString* error) {
    QByteArray data;
    const bool read = ReadFilePieces(path, [&](const char* piece, qint64 size) {
        // Room for the whole file at once, as far as its size is known.
        if (data.isEmpty()) data.reserve(qsizetype(std::max(QFileInfo(path).size(), size)));
        data.append(piece, qsizetype(size));
    }, error);
    if (read && bytes) *bytes = std::move(data);
    return read;
}

bool ReadFilePieces(const QString& path, const Piece& piece, QString* error) {
    if (const QString link = LinkProblem(path); !link.isEmpty()) {
        SetError(error, link);
        return false;
    }
    if (FolderExists(path)) {
        SetError(error, QStringLiteral("%1 is a folder").arg(path));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, file.errorString());
        return false;
    }
    // Most files read are small lists: they get no megabyte of room.
    const qint64 room = std::clamp<qint64>(file.size(), 4096, qint64(1) << 20);
    const auto buffer = std::make_unique_for_overwrite<char[]>(size_t(room));
    while (true) {
        const qint64 got = file.read(buffer.get(), room);
        if (got < 0) {
            SetError(error, file.errorString());
            return false;
        }
        if (got == 0) return true;
        piece(buffer.get(), got);
    }
}

FileStamp Stamp(const QString& path) {
    FileStamp stamp;
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) return stamp;
    // Read after the file's times: a change time older than this tick
    // cannot be handed out again.
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    const auto ns = [](const struct timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    stamp.exists = true;
    stamp.device = quint64(st.st_dev);
    stamp.inode = quint64(st.st_ino);
    stamp.size = qint64(st.st_size);
    stamp.modifiedNs = ns(st.st_mtim);
    stamp.changedNs = ns(st.st_ctim);
    // Only a local file system's times come from this machine's clock; a
    // network file system's come from a server whose clock and caching say
    // nothing here.
    struct statfs fs {};
    bool local = false;
    if (::statfs(QFile::encodeName(path).constData(), &fs) == 0) {
        switch (static_cast<unsigned long>(fs.f_type)) {
        case EXT4_SUPER_MAGIC:   // ext2, ext3 and ext4 alike
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case TMPFS_MAGIC:
        case F2FS_SUPER_MAGIC:
            local = true;
            break;
        default:
            break;
        }
    }
    // Equal: stamped in the tick that is still running, and a change in it
    // may get the same time.
    stamp.conclusive = local && stamp.changedNs != ns(now);
    return stamp;
}

bool Unchanged(const FileStamp& then, const FileStamp& now) {
    return then.conclusive && then.exists && now.exists && then.device == now.device && then.inode == now.inode &&
           then.size == now.size && then.modifiedNs == now.modifiedNs && then.changedNs == now.changedNs;
}

QString Join(const QString& folder, const QString& name) {
    // An empty folder leaves the name as it is, so "" and "Tasks" never
    // become the root-level "/Tasks".
    if (folder.isEmpty()) return name;
    qsizetype end = folder.size();
    while (end > 1 && folder[end - 1] == QLatin1Char('/')) --end;
    QString head = folder.left(end);
    qsizetype start = 0;
    while (start < name.size() && name[start] == QLatin1Char('/')) ++start;
    if (head == QLatin1String("/")) return head + name.mid(start);
    return head + QLatin1Char('/') + name.mid(start);
}

QString WithTrailingSlash(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/'))) return folder;
    return folder + QLatin1Char('/');
}

QString ErrorText(int errnoValue) {
    switch (errnoValue) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:   // a file-size limit: for the user the same as no room left
        return QStringLiteral("The disk is full.");
    default:
        return QString::fromLocal8Bit(std::strerror(errnoValue));
    }
}

bool IsSafeFileName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        // The backslash is refused too: names that came from Windows paths
        // would otherwise carry a folder part inside one file name.
        if (u == '/' || u == '\\' || u < 0x20 || u == 0x7F) return false;
    }
    // Longer names cannot be created on the usual Linux file systems.
    return name.toUtf8().size() <= 255;
}

}  // namespace FileOps

#include "platform/ZipArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QPair>
#include <QSet>

#include <zip.h>
#include <zlib.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/FileOps.h"

namespace {

constexpr int kDeflateLevel = 6;
// Compressed data waiting for libzip to write it is bounded, so a folder of
// large pictures does not end up in memory whole.
constexpr qint64 kMaxBytesAhead = 64LL * 1024 * 1024;
constexpr qint64 kChunk = 1024 * 1024;
// Each entry counts at least this much towards the overall progress, so a
// folder of many small files still moves the bar evenly.
constexpr qint64 kEntryWeight = 4096;

QString LibzipError(zip_t* za) {
    return za ? QString::fromUtf8(zip_strerror(za)) : QString();
}

QString ErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

// Everything libzip needs to write one entry: the compressed bytes, filled
// by a worker thread, taken by libzip's writer in archive order.
struct Slot {
    std::string path;
    qint64 weight = 0;
    std::vector<unsigned char> data;
    quint32 crc = 0;
    quint64 size = 0;
    time_t mtime = 0;
    bool ready = false;
    bool failed = false;
    QString error;
    size_t readPos = 0;
    bool streamed = false;   // a large file libzip compresses itself
    int fd = -1;
    quint64 streamedBytes = 0;
};

struct Job;
struct SourceContext {
    Job* job;
    size_t index;
};

struct Job {
    std::vector<Slot> items;
    std::vector<SourceContext> contexts;
    std::mutex mutex;
    std::condition_variable changed;
    size_t next = 0;          // next slot a worker takes
    qint64 bytesAhead = 0;    // compressed, not yet written
    bool stop = false;
    qint64 totalWeight = 1;
    std::atomic<qint64> doneWeight{0};   // read by the workers for the overall bar
    ZipProgress* progress = nullptr;
    QString firstError;

    bool Cancelled() const { return progress && progress->cancel.load(); }

    void Work() {
        z_stream zs{};
        if (deflateInit2(&zs, kDeflateLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            Fail(QStringLiteral("the compressor could not start"));
            return;
        }
        std::vector<unsigned char> input;
        for (;;) {
            size_t i;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= items.size() || bytesAhead < kMaxBytesAhead; });
                if (stop || next >= items.size()) break;
                i = next++;
            }
            if (!items[i].streamed) Compress(items[i], zs, input);
            {
                std::lock_guard lock(mutex);
                items[i].ready = true;
                bytesAhead += qint64(items[i].data.size());
            }
            changed.notify_all();
        }
        deflateEnd(&zs);
    }

    void Fail(const QString& error) {
        {
            std::lock_guard lock(mutex);
            if (firstError.isEmpty()) firstError = error;
            stop = true;
        }
        changed.notify_all();
    }

    void Compress(Slot& slot, z_stream& zs, std::vector<unsigned char>& input) {
        const QString shown = QString::fromStdString(slot.path);
        const int fd = ::open(slot.path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        struct stat st{};
        if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            if (fd >= 0) ::close(fd);
            slot.failed = true;
            slot.error = QStringLiteral("\"%1\" could not be read: %2").arg(shown, QString::fromLocal8Bit(strerror(errno ? errno : EINVAL)));
            return;
        }
        slot.mtime = st.st_mtime;
        input.resize(size_t(st.st_size));
        size_t have = 0;
        while (have < input.size()) {
            const ssize_t n = ::read(fd, input.data() + have, input.size() - have);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            have += size_t(n);
        }
        const int readErrno = errno;
        ::close(fd);
        if (have != input.size()) {
            slot.failed = true;
            slot.error = QStringLiteral("\"%1\" could not be read completely: %2").arg(shown, QString::fromLocal8Bit(strerror(readErrno)));
            return;
        }
        slot.size = have;
        slot.crc = quint32(crc32_z(0L, input.data(), have));
        deflateReset(&zs);
        slot.data.resize(deflateBound(&zs, uLong(have)) + 16);
        zs.next_out = slot.data.data();
        zs.avail_out = uInt(slot.data.size());
        size_t fed = 0;
        int rc = Z_OK;
        do {
            const size_t piece = std::min<size_t>(size_t(kChunk), have - fed);
            zs.next_in = input.data() + fed;
            zs.avail_in = uInt(piece);
            fed += piece;
            rc = deflate(&zs, fed == have ? Z_FINISH : Z_NO_FLUSH);
            if (progress && have > size_t(kChunk)) {
                progress->file = int(fed * 100 / have);
                progress->RaiseOverall(int(std::min<qint64>(99, (doneWeight.load() + qint64(fed)) * 100 / totalWeight)));
            }
            if (Cancelled()) break;
        } while (fed < have);
        if (rc != Z_STREAM_END) {
            slot.failed = true;
            slot.error = Cancelled() ? QStringLiteral("the backup was cancelled")
                                     : QStringLiteral("\"%1\" could not be compressed").arg(shown);
            return;
        }
        slot.data.resize(zs.total_out);
        if (progress) progress->file = 100;
    }

    // The writer's side: waits for the slot's bytes (or its failure).
    bool WaitFor(size_t i) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return items[i].ready || stop; });
        return items[i].ready && !items[i].failed;
    }

    void Written(size_t i) {
        {
            std::lock_guard lock(mutex);
            bytesAhead -= qint64(items[i].data.size());
            doneWeight += items[i].weight;
            std::vector<unsigned char>().swap(items[i].data);
        }
        changed.notify_all();
        if (progress) progress->RaiseOverall(int(std::min<qint64>(100, doneWeight.load() * 100 / totalWeight)));
    }
};

zip_int64_t StreamedCallback(Job& job, size_t index, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    Slot& slot = job.items[index];
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
        if (job.Cancelled()) {
            job.Fail(QStringLiteral("the backup was cancelled"));
            return -1;
        }
        slot.fd = ::open(slot.path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (slot.fd < 0) {
            job.Fail(QStringLiteral("\"%1\" could not be read: %2").arg(QString::fromStdString(slot.path), QString::fromLocal8Bit(strerror(errno))));
            return -1;
        }
        slot.streamedBytes = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        if (job.Cancelled()) {
            job.Fail(QStringLiteral("the backup was cancelled"));
            return -1;
        }
        ssize_t n;
        do {
            n = ::read(slot.fd, data, size_t(std::min<zip_uint64_t>(len, kChunk)));
        } while (n < 0 && errno == EINTR);
        if (n < 0) {
            job.Fail(QStringLiteral("\"%1\" could not be read: %2").arg(QString::fromStdString(slot.path), QString::fromLocal8Bit(strerror(errno))));
            return -1;
        }
        slot.streamedBytes += quint64(n);
        if (job.progress) {
            job.progress->file = int(std::min<quint64>(100, slot.streamedBytes * 100 / std::max<quint64>(1, slot.size)));
            job.progress->RaiseOverall(
                int(std::min<qint64>(99, (job.doneWeight.load() + qint64(slot.streamedBytes)) * 100 / job.totalWeight)));
        }
        return n;
    }
    case ZIP_SOURCE_CLOSE:
        if (slot.fd >= 0) ::close(slot.fd);
        slot.fd = -1;
        job.Written(index);
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->valid = ZIP_STAT_MTIME;
        st->mtime = slot.mtime;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_FREE:
        if (slot.fd >= 0) ::close(slot.fd);
        slot.fd = -1;
        return 0;
    default:
        return -1;
    }
}

zip_int64_t SourceCallback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* ctx = static_cast<SourceContext*>(userdata);
    Job& job = *ctx->job;
    Slot& slot = job.items[ctx->index];
    // What every entry answers alike; the rest depends on how it is fed.
    if (cmd == ZIP_SOURCE_ERROR) {
        int* e = static_cast<int*>(data);
        e[0] = ZIP_ER_READ;
        e[1] = EIO;
        return 2 * sizeof(int);
    }
    if (cmd == ZIP_SOURCE_SUPPORTS)
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    if (slot.streamed) return StreamedCallback(job, ctx->index, data, len, cmd);
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
        if (job.Cancelled()) {
            job.Fail(QStringLiteral("the backup was cancelled"));
            return -1;
        }
        if (!job.WaitFor(ctx->index)) {
            if (slot.failed) job.Fail(slot.error);
            return -1;
        }
        slot.readPos = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const size_t n = std::min<size_t>(size_t(len), slot.data.size() - slot.readPos);
        if (n) memcpy(data, slot.data.data() + slot.readPos, n);
        slot.readPos += n;
        return zip_int64_t(n);
    }
    case ZIP_SOURCE_CLOSE:
        job.Written(ctx->index);
        return 0;
    case ZIP_SOURCE_STAT: {
        if (!job.WaitFor(ctx->index)) {
            if (slot.failed) job.Fail(slot.error);
            return -1;
        }
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC |
                    ZIP_STAT_ENCRYPTION_METHOD | ZIP_STAT_MTIME;
        st->size = slot.size;
        st->comp_size = slot.data.size();
        st->comp_method = ZIP_CM_DEFLATE;
        st->encryption_method = ZIP_EM_NONE;
        st->crc = slot.crc;
        st->mtime = slot.mtime;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_FREE:
        return 0;
    default:
        return -1;
    }
}

// The new archive on its way to the disk. libzip writes it, seeking back
// to finish each entry's header; the bytes go through FileOps::SafeFile
// (buffered, so libzip's small writes cost few calls), which puts the
// archive in place only when libzip commits it.
constexpr size_t kSinkBuffer = 1 << 20;

struct ArchiveSink {
    QString path;
    FileOps::SafeFile file;
    std::vector<char> buffer;
    qint64 bufferStart = 0;   // where buffer[0] goes in the file
    bool open = false;
    zip_error_t error;
    QString message;          // why a write failed, for the user

    ArchiveSink() { zip_error_init(&error); }
    ~ArchiveSink() { zip_error_fini(&error); }

    zip_int64_t Fail(int zipError, int systemError) {
        zip_error_set(&error, zipError, systemError);
        return -1;
    }
    bool Flush() {
        if (buffer.empty()) return true;
        if (!file.Write(buffer.data(), qint64(buffer.size()), &message)) {
            open = false;
            return false;
        }
        bufferStart += qint64(buffer.size());
        buffer.clear();
        return true;
    }
};

zip_int64_t SinkCallback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* sink = static_cast<ArchiveSink*>(userdata);
    switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_WRITABLE;
    case ZIP_SOURCE_STAT:
        // A new archive: whatever is at the path is not read.
        return sink->Fail(ZIP_ER_READ, ENOENT);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&sink->error, data, len);
    case ZIP_SOURCE_BEGIN_WRITE:
        sink->buffer.clear();
        sink->buffer.reserve(kSinkBuffer + 65536);
        sink->bufferStart = 0;
        sink->open = sink->file.Open(sink->path, &sink->message);
        return sink->open ? 0 : sink->Fail(ZIP_ER_TMPOPEN, EIO);
    case ZIP_SOURCE_WRITE: {
        if (!sink->open) return sink->Fail(ZIP_ER_WRITE, EIO);
        const char* bytes = static_cast<const char*>(data);
        sink->buffer.insert(sink->buffer.end(), bytes, bytes + len);
        if (sink->buffer.size() >= kSinkBuffer && !sink->Flush()) return sink->Fail(ZIP_ER_WRITE, EIO);
        return zip_int64_t(len);
    }
    case ZIP_SOURCE_TELL_WRITE:
        return sink->bufferStart + zip_int64_t(sink->buffer.size());
    case ZIP_SOURCE_SEEK_WRITE: {
        auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, len, &sink->error);
        if (!args) return -1;
        if (!sink->open || !sink->Flush()) return sink->Fail(ZIP_ER_WRITE, EIO);
        const qint64 at = sink->file.Seek(args->offset, args->whence);
        if (at < 0) return sink->Fail(ZIP_ER_SEEK, errno);
        sink->bufferStart = at;
        return 0;
    }
    case ZIP_SOURCE_COMMIT_WRITE:
        if (!sink->open || !sink->Flush() || !sink->file.Commit(&sink->message)) {
            sink->open = false;
            return sink->Fail(ZIP_ER_WRITE, EIO);
        }
        sink->open = false;
        return 0;
    case ZIP_SOURCE_ROLLBACK_WRITE:
        sink->file.Cancel();
        sink->open = false;
        return 0;
    case ZIP_SOURCE_FREE:
        return 0;
    default:
        // Nothing is read back, and an empty archive is never written.
        return sink->Fail(ZIP_ER_OPNOTSUPP, 0);
    }
}

struct Pending {
    QString path;
    QString name;
    qint64 size = 0;
    time_t mtime = 0;
    mode_t mode = 0644;
};

}  // namespace

struct ZipArchive::Impl {
    zip_t* za = nullptr;
    std::unique_ptr<ArchiveSink> sink;   // outlives za, which calls it
    bool writing = false;
    QString path;
    std::vector<Pending> pending;
    QSet<QString> names;
    QSet<QPair<quint64, quint64>> excluded;   // device and inode of each excluded file

    void Exclude(const QStringList& paths) {
        excluded.clear();
        for (const QString& e : paths) {
            struct stat st {};
            if (::stat(QFile::encodeName(e).constData(), &st) == 0) excluded.insert({quint64(st.st_dev), quint64(st.st_ino)});
        }
    }
    // Queues a regular file (as lstat saw it) under its entry name.
    void Queue(const QString& path, const QString& name, const struct stat& st) {
        if (!S_ISREG(st.st_mode) || excluded.contains({quint64(st.st_dev), quint64(st.st_ino)}) || names.contains(name))
            return;
        names.insert(name);
        pending.push_back({path, name, qint64(st.st_size), st.st_mtime, mode_t((st.st_mode & S_IWUSR) ? 0644 : 0444)});
    }
};

ZipArchive::ZipArchive() : d(std::make_unique<Impl>()) {}

ZipArchive::~ZipArchive() { Discard(); }

bool ZipArchive::IsOpen() const { return d->za != nullptr; }

void ZipArchive::Discard() {
    if (d->za) zip_discard(d->za);
    d->za = nullptr;
    d->sink.reset();
    d->writing = false;
    d->pending.clear();
    d->names.clear();
}

bool ZipArchive::CreateArchive(const QString& path) {
    Discard();
    error_.clear();
    diskFull_ = false;
    if (path.isEmpty() || QFileInfo(path).isDir()) {
        error_ = QStringLiteral("\"%1\" is not a file name").arg(path);
        return false;
    }
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
        error_ = QStringLiteral("the folder of \"%1\" does not exist").arg(path);
        return false;
    }
    // An existing file is not read; nothing is written until Close.
    d->sink = std::make_unique<ArchiveSink>();
    d->sink->path = path;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_function_create(SinkCallback, d->sink.get(), &error);
    if (src) {
        d->za = zip_open_from_source(src, ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (!d->za) zip_source_free(src);
    }
    if (!d->za) {
        error_ = QStringLiteral("\"%1\" could not be created: %2").arg(path, QString::fromUtf8(zip_error_strerror(&error)));
        zip_error_fini(&error);
        d->sink.reset();
        return false;
    }
    zip_error_fini(&error);
    d->writing = true;
    d->path = path;
    return true;
}

bool ZipArchive::OpenArchive(const QString& path) {
    Discard();
    error_.clear();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        error_ = QStringLiteral("\"%1\" was not found").arg(path);
        return false;
    }
    int code = 0;
    d->za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!d->za) {
        error_ = QStringLiteral("\"%1\" is not a readable zip archive: %2").arg(path, ErrorText(code));
        return false;
    }
    d->path = path;
    return true;
}

bool ZipArchive::AddFile(const QString& path, const QString& entryName) {
    if (!d->za || !d->writing) {
        error_ = QStringLiteral("no new archive is open");
        return false;
    }
    d->Exclude(Exclude);
    struct stat st {};
    // A link is never followed: lstat sees the link, which is no regular file.
    const QString abs = QFileInfo(path).absoluteFilePath();
    if (::lstat(QFile::encodeName(abs).constData(), &st) == 0) d->Queue(abs, entryName, st);
    return true;
}

namespace {

// What a directory entry that is not a file or a folder is, for the user.
QString KindOf(mode_t mode) {
    if (S_ISFIFO(mode)) return QStringLiteral("a named pipe (FIFO), not a file");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket, not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device, not a file");
    return QStringLiteral("not a file");
}

// The files below `folder` (absolute and clean, no trailing separator) whose
// names match, each with what lstat says of it; what matches and is no file
// goes to `left` (a link to a folder, or a folder that cannot be read, only
// where folders are walked).
void Walk(const QByteArray& folder, bool recursive, const QRegularExpression& match,
          std::vector<std::pair<QByteArray, struct stat>>& found, QList<LeftOutEntry>& left, bool top = true) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir) {
        const int error = errno;   // before anything below can change it
        if (!top || error != ENOENT)
            left.push_back({QFile::decodeName(folder),
                            QStringLiteral("a folder that cannot be read: %1").arg(FileOps::ErrorText(error))});
        return;
    }
    const int fd = ::dirfd(dir);
    std::vector<QByteArray> subfolders;
    for (;;) {
        errno = 0;   // readdir ends a listing and fails alike, told apart only by errno
        const dirent* e = ::readdir(dir);
        if (!e) {
            // A listing that broke off leaves the rest of the folder out of the
            // backup, which the user must be told like any other left-out entry.
            if (const int error = errno)
                left.push_back({QFile::decodeName(folder),
                                QStringLiteral("a folder that could not be read to its end: %1")
                                    .arg(FileOps::ErrorText(error))});
            break;
        }
        if (::strcmp(e->d_name, ".") == 0 || ::strcmp(e->d_name, "..") == 0) continue;
        const QByteArray path = folder + '/' + e->d_name;
        const QString name = QFile::decodeName(e->d_name);
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            const int error = errno;   // the match below may change it
            if (match.match(name).hasMatch())
                left.push_back({QFile::decodeName(path), QStringLiteral("cannot be read: %1").arg(FileOps::ErrorText(error))});
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            struct stat target {};
            const bool toFolder = ::fstatat(fd, e->d_name, &target, 0) == 0 && S_ISDIR(target.st_mode);
            if (toFolder ? recursive : match.match(name).hasMatch())
                left.push_back({QFile::decodeName(path), toFolder ? QStringLiteral("a link to a folder, not followed")
                                                                  : QStringLiteral("a link, not followed")});
        } else if (S_ISDIR(st.st_mode)) {
            if (recursive) subfolders.push_back(path);
        } else if (match.match(name).hasMatch()) {
            if (!S_ISREG(st.st_mode)) {
                left.push_back({QFile::decodeName(path), KindOf(st.st_mode)});
                continue;
            }
            // A file this user may not read (a picture another user keeps
            // private) would fail the whole archive once it is being
            // written; found now, it is left out and named, and the rest is
            // backed up. Asked as the kernel checks the reader, without the
            // cost of a second open per file.
            if (::faccessat(fd, e->d_name, R_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0) {
                const int error = errno;
                left.push_back({QFile::decodeName(path), QStringLiteral("cannot be read: %1").arg(FileOps::ErrorText(error))});
                continue;
            }
            found.emplace_back(path, st);
        }
    }
    ::closedir(dir);
    for (const QByteArray& sub : subfolders) Walk(sub, recursive, match, found, left, false);
}

}  // namespace

bool ZipArchive::AddFiles(const QString& pattern, bool recursive) {
    if (!d->za || !d->writing) {
        error_ = QStringLiteral("no new archive is open");
        return false;
    }
    d->Exclude(Exclude);
    const int slash = pattern.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash >= 0 ? pattern.left(slash + 1) : QStringLiteral("./");
    const QString wildcard = slash >= 0 ? pattern.mid(slash + 1) : pattern;
    const QString basePath = QDir::cleanPath(QFileInfo(BaseFolder.isEmpty() ? folder : BaseFolder).absoluteFilePath());
    // The base folder is where the user keeps the database, link or not; a
    // folder below it that is a link leads out of it.
    const QString cleanFolder = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QFileInfo folderInfo(cleanFolder);
    if (folderInfo.isSymLink() && cleanFolder != basePath) {
        LeftOut.push_back({cleanFolder, QStringLiteral("a link to a folder, not followed")});
        return true;
    }
    if (!folderInfo.isDir()) return true;

    std::vector<std::pair<QByteArray, struct stat>> found;
    Walk(QFile::encodeName(cleanFolder == QLatin1String("/") ? QString() : cleanFolder), recursive,
         ZipNames::Expression(wildcard), found, LeftOut);
    // A stable order: folder by folder, names sorted.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const QString prefix = basePath == QLatin1String("/") ? basePath : basePath + QLatin1Char('/');
    for (const auto& [local, st] : found) {
        const QString abs = QFile::decodeName(local);
        // An entry name is UTF-8: bytes that are no text would come back
        // under another name.
        if (QFile::encodeName(abs) != local) {
            LeftOut.push_back({abs, QStringLiteral("its name is not UTF-8 text, so the backup could not keep it")});
            continue;
        }
        QString name = abs;
        if (!UseFullPaths) {
            if (!abs.startsWith(prefix)) {
                error_ = QStringLiteral("\"%1\" lies outside the base folder \"%2\"").arg(abs, basePath);
                return false;
            }
            name = abs.mid(prefix.size());
        }
        // Of the control characters, an entry name marked UTF-8 carries
        // only tab, newline and carriage return.
        const auto unfit = std::find_if(name.cbegin(), name.cend(), [](QChar c) {
            return c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r');
        });
        if (unfit != name.cend()) {
            LeftOut.push_back({abs, QStringLiteral("its name holds a control character (code %1) that a zip archive "
                                                   "cannot carry").arg(unfit->unicode())});
            continue;
        }
        if (NameProblem) {
            const QString why = NameProblem(name);
            if (!why.isEmpty()) {
                LeftOut.push_back({abs, why});
                continue;
            }
        }
        d->Queue(abs, name, st);
    }
    return true;
}

int ZipArchive::PendingCount() const { return int(d->pending.size()); }

int ZipArchive::EntryCount() const {
    if (!d->za || d->writing) return 0;
    const zip_int64_t n = zip_get_num_entries(d->za, 0);
    return int(std::clamp<zip_int64_t>(n, 0, INT32_MAX));
}

ZipEntry ZipArchive::Entry(int index) const {
    ZipEntry e;
    if (!d->za || d->writing) return e;
    zip_stat_t st;
    if (zip_stat_index(d->za, zip_uint64_t(index), 0, &st) != 0) return e;
    if (st.valid & ZIP_STAT_NAME) e.name = QString::fromUtf8(st.name);
    if (st.valid & ZIP_STAT_MTIME) e.date = QDateTime::fromSecsSinceEpoch(st.mtime);
    if (st.valid & ZIP_STAT_SIZE) e.size = qint64(st.size);
    if (st.valid & ZIP_STAT_COMP_SIZE) e.compressedSize = qint64(st.comp_size);
    if (st.valid & ZIP_STAT_CRC) e.crc = st.crc;
    zip_uint32_t length = 0;
    if (const char* comment = zip_file_get_comment(d->za, zip_uint64_t(index), &length, 0))
        e.comment = QString::fromUtf8(comment, int(length));
    e.directory = e.name.endsWith(QLatin1Char('/'));
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(d->za, zip_uint64_t(index), 0, &opsys, &attributes) == 0 &&
        opsys == ZIP_OPSYS_UNIX) {
        e.symlink = S_ISLNK(attributes >> 16);
    }
    return e;
}

void ZipArchive::SetWriteError(const QString& path, int errnoValue) {
    const QString why = FileOps::ErrorText(errnoValue);
    diskFull_ = why == FileOps::ErrorText(ENOSPC);
    error_ = QStringLiteral("\"%1\" could not be written: %2").arg(path, why);
}

bool ZipArchive::ExtractEntry(int index, const QString& path, std::atomic<qint64>* bytesDone) {
    error_.clear();
    diskFull_ = false;
    if (!d->za || d->writing) {
        error_ = QStringLiteral("no archive is open");
        return false;
    }
    zip_stat_t st;
    if (zip_stat_index(d->za, zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        error_ = LibzipError(d->za);
        return false;
    }
    const QString name = QString::fromUtf8(st.name);
    zip_file_t* zf = zip_fopen_index(d->za, zip_uint64_t(index), 0);
    if (!zf) {
        error_ = QStringLiteral("\"%1\" could not be read from the archive: %2").arg(name, LibzipError(d->za));
        return false;
    }
    const QByteArray local = QFile::encodeName(path);
    const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        SetWriteError(path, errno);
        zip_fclose(zf);
        return false;
    }
    static thread_local std::vector<char> buffer(256 * 1024);
    quint64 total = 0;
    bool ok = true;
    for (;;) {
        // Reading on to the end is what makes libzip check the CRC. No more
        // than one byte past the stated size is ever inflated: an entry that
        // claims a few bytes and holds gigabytes stops there.
        const zip_uint64_t want = std::min<zip_uint64_t>(buffer.size(), st.size - total + 1);
        const zip_int64_t n = zip_fread(zf, buffer.data(), want);
        if (n < 0) {
            error_ = QStringLiteral("\"%1\" is damaged in the archive: %2").arg(name, QString::fromUtf8(zip_file_strerror(zf)));
            ok = false;
            break;
        }
        if (n == 0) break;
        total += quint64(n);
        if (total > st.size) {
            error_ = QStringLiteral("\"%1\" is damaged in the archive: it is longer than its stated size").arg(name);
            ok = false;
            break;
        }
        const char* p = buffer.data();
        zip_int64_t left = n;
        while (left > 0) {
            const ssize_t w = ::write(fd, p, size_t(left));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                SetWriteError(path, w < 0 ? errno : ENOSPC);
                ok = false;
                break;
            }
            p += w;
            left -= w;
        }
        if (!ok) break;
        if (bytesDone) *bytesDone += n;
        if (Progress) Progress->file = int(total * 100 / std::max<quint64>(1, st.size));
        if (Progress && bytesDone && OverallBytes > 0)
            Progress->RaiseOverall(int(std::min<qint64>(99, *bytesDone * 100 / OverallBytes)));
        if (Progress && Progress->cancel) {
            error_ = QStringLiteral("the restore was cancelled");
            ok = false;
            break;
        }
    }
    if (ok && total != st.size) {
        error_ = QStringLiteral("\"%1\" is damaged in the archive: %2 of %3 bytes").arg(name).arg(total).arg(quint64(st.size));
        ok = false;
    }
    zip_fclose(zf);
    if (::close(fd) != 0 && ok) {
        SetWriteError(path, errno);
        ok = false;
    }
    if (ok && (st.valid & ZIP_STAT_MTIME)) {
        const struct timespec times[2] = {{st.mtime, 0}, {st.mtime, 0}};
        utimensat(AT_FDCWD, local.constData(), times, AT_SYMLINK_NOFOLLOW);
    }
    if (!ok) ::unlink(local.constData());
    return ok;
}

bool ZipArchive::CloseArchive() {
    if (!d->za) return true;
    if (!d->writing) {
        zip_discard(d->za);
        d->za = nullptr;
        return true;
    }
    error_.clear();
    diskFull_ = false;
    if (d->pending.empty()) {
        // libzip would delete the file at the path for an empty archive.
        error_ = QStringLiteral("there were no files to add");
        Discard();
        return false;
    }

    Job job;
    job.progress = Progress;
    job.items.resize(d->pending.size());
    job.contexts.resize(d->pending.size());
    qint64 total = 0;
    for (size_t i = 0; i < d->pending.size(); ++i) {
        job.items[i].path = QFile::encodeName(d->pending[i].path).toStdString();
        job.items[i].weight = d->pending[i].size + kEntryWeight;
        job.items[i].streamed = d->pending[i].size > StreamAbove;
        job.items[i].size = quint64(d->pending[i].size);
        job.items[i].mtime = d->pending[i].mtime;
        total += job.items[i].weight;
        job.contexts[i] = {&job, i};
    }
    job.totalWeight = std::max<qint64>(1, total);

    bool ok = true;
    for (size_t i = 0; i < d->pending.size() && ok; ++i) {
        zip_source_t* src = zip_source_function(d->za, SourceCallback, &job.contexts[i]);
        if (!src) {
            ok = false;
            break;
        }
        const QByteArray name = d->pending[i].name.toUtf8();
        const zip_int64_t idx = zip_file_add(d->za, name.constData(), src, ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(src);
            ok = false;
            break;
        }
        if (job.items[i].streamed) zip_set_file_compression(d->za, zip_uint64_t(idx), ZIP_CM_DEFLATE, kDeflateLevel);
        zip_file_set_mtime(d->za, zip_uint64_t(idx), d->pending[i].mtime, 0);
        zip_file_set_external_attributes(d->za, zip_uint64_t(idx), 0, ZIP_OPSYS_UNIX,
                                         zip_uint32_t(S_IFREG | d->pending[i].mode) << 16);
    }
    if (!ok) {
        error_ = LibzipError(d->za);
        Discard();
        return false;
    }

    int threads = Threads > 0 ? Threads : int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    threads = std::max(1, std::min<int>(threads, int(d->pending.size())));
    std::vector<std::thread> workers;
    workers.reserve(size_t(threads));
    for (int t = 0; t < threads; ++t) workers.emplace_back([&job] { job.Work(); });

    ok = zip_close(d->za) == 0;
    if (!ok) error_ = LibzipError(d->za);
    {
        std::lock_guard lock(job.mutex);
        job.stop = true;
    }
    job.changed.notify_all();
    for (auto& w : workers) w.join();
    if (!ok) {
        // What went wrong first: the disk, a file being read, or libzip.
        if (!d->sink->message.isEmpty()) error_ = d->sink->message;
        else if (!job.firstError.isEmpty()) error_ = job.firstError;
        diskFull_ = error_ == FileOps::ErrorText(ENOSPC);
        zip_discard(d->za);
    }
    d->za = nullptr;
    d->sink.reset();
    d->writing = false;
    d->pending.clear();
    d->names.clear();
    if (ok && Progress) Progress->overall = 100;
    return ok;
}

namespace {

// A zip archive written to its end: its last bytes are the end record
// (signature "PK\5\6", 18 bytes, then a comment of the length it states).
// A writer killed on its way never wrote that record; a user's own archive,
// however it is named, has it. A file whose end cannot be read counts as
// complete, so it is left alone.
bool WrittenToItsEnd(int fd, off_t size) {
    constexpr off_t kRecord = 22, kLongestComment = 0xFFFF;
    if (size < kRecord) return false;
    const off_t from = std::max<off_t>(0, size - kRecord - kLongestComment);
    std::vector<unsigned char> tail(size_t(size - from));
    if (::pread(fd, tail.data(), tail.size(), from) != ssize_t(tail.size())) return true;
    for (off_t at = off_t(tail.size()) - kRecord; at >= 0; --at) {
        const unsigned char* p = tail.data() + at;
        const off_t comment = off_t(p[20]) | off_t(p[21]) << 8;
        if (p[0] == 'P' && p[1] == 'K' && p[2] == 5 && p[3] == 6 && at + kRecord + comment == off_t(tail.size()))
            return true;
    }
    return false;
}

}  // namespace

void ZipArchive::RemoveLeftovers(const QString& folder) {
    FileOps::RemoveStaleTemporaries(folder);
    // What libzip named its temporaries before archives went the safe way.
    static const QRegularExpression legacy(QStringLiteral("^.+\\.zip\\.[A-Za-z0-9]{6}$"),
                                           QRegularExpression::CaseInsensitiveOption);
    constexpr int kQuietSeconds = 60;
    const QByteArray local = QFile::encodeName(folder);
    const int dirFd = ::open(local.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    const time_t now = ::time(nullptr);
    for (const QString& name : names) {
        if (!legacy.match(name).hasMatch()) continue;
        const QByteArray entry = QFile::encodeName(name);
        const int fd = ::openat(dirFd, entry.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        char head[4] = {};
        const bool ours = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime >= kQuietSeconds &&
                          (st.st_size == 0 || (::pread(fd, head, 4, 0) == 4 && memcmp(head, "PK\3\4", 4) == 0 &&
                                                !WrittenToItsEnd(fd, st.st_size))) &&
                          ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (ours) ::unlinkat(dirFd, entry.constData(), 0);
        ::close(fd);
    }
    ::close(dirFd);
}

namespace ZipNames {

QRegularExpression Expression(const QString& wildcard) {
    if (wildcard == QLatin1String("*.*") || wildcard == QLatin1String("*"))
        return QRegularExpression(QStringLiteral(".*"), QRegularExpression::DotMatchesEverythingOption);
    // '*' and '?' only; everything else is literal.
    QString rx;
    rx.reserve(wildcard.size() * 2);
    for (const QChar c : wildcard) {
        if (c == QLatin1Char('*')) rx += QLatin1String(".*");
        else if (c == QLatin1Char('?')) rx += QLatin1Char('.');
        else rx += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(rx), QRegularExpression::CaseInsensitiveOption);
}

bool Matches(const QString& wildcard, const QString& name) {
    return Expression(wildcard).match(name).hasMatch();
}

}  // namespace ZipNames

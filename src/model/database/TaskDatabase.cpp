#include "model/database/TaskDatabase.h"

#include <QHashFunctions>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QSysInfo>
#include <QThread>

#include <algorithm>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "model/database/DatabaseLocation.h"
#include "model/database/TaskColumns.h"
#include "model/database/TaskDates.h"
#include "platform/FileOps.h"
#include "platform/GridFile.h"
#include "platform/StagedRestore.h"

namespace {

// A lock file that names no holder (its maker was killed between making it
// and writing its process into it) is never taken for stale by QLockFile.
// QLockFile holds a native lock on the file while it is alive: when nobody
// holds that, nobody holds the database.
bool Abandoned(const QString& lockFile) {
    for (int look = 0; look < 2; ++look) {
        if (look) QThread::msleep(20);   // its maker may be between the two steps
        const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return false;
        const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        ::close(fd);
        if (!free) return false;
    }
    return true;
}

// Detects a change, not an attack, and is compared only within this
// process (beside the size and time): Qt's fast table hash with a fixed
// seed, over the bytes a megabyte at a time, so a file is hashed as it is
// written or read in pieces and gives the same hash as hashed whole. A
// cryptographic digest would add tens of milliseconds to every open and
// save of a large database.
class StreamHash {
public:
    void Add(const char* data, size_t size) {
        total_ += size;
        if (!pending_.empty()) {
            const size_t take = std::min(size, kBlock - pending_.size());
            pending_.append(data, take);
            data += take;
            size -= take;
            if (pending_.size() < kBlock) return;
            Mix(pending_.data(), kBlock);
            pending_.clear();
        }
        for (; size >= kBlock; data += kBlock, size -= kBlock) Mix(data, kBlock);
        pending_.append(data, size);
    }
    QByteArray Result() {
        if (!pending_.empty()) Mix(pending_.data(), pending_.size());
        pending_.clear();
        const size_t h = qHash(total_, hash_);
        return QByteArray(reinterpret_cast<const char*>(&h), sizeof h);
    }

private:
    static constexpr size_t kBlock = size_t(1) << 20;
    void Mix(const char* data, size_t size) { hash_ = qHash(QByteArrayView(data, qsizetype(size)), hash_); }
    size_t hash_ = 0x51ed270b;
    size_t total_ = 0;
    std::string pending_;
};

QByteArray HashOf(QByteArrayView bytes) {
    StreamHash hash;
    hash.Add(bytes.data(), size_t(bytes.size()));
    return hash.Result();
}

// The hash of a file's bytes, read a piece at a time; false when it
// cannot be read whole.
bool HashOfFile(const QString& path, QByteArray* hash, QString* error) {
    StreamHash stream;
    const auto add = [&stream](const char* data, qint64 size) { stream.Add(data, size_t(size)); };
    if (!FileOps::ReadFilePieces(path, add, error)) return false;
    *hash = stream.Result();
    return true;
}

QString Absolute(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

TaskDatabase::TaskDatabase() = default;
TaskDatabase::~TaskDatabase() = default;

// ---------------------------------------------------------------- location

QString TaskDatabase::CompanionFolder() const {
    return folder_.isEmpty() ? QString() : DatabaseLocation::CompanionFolder(folder_, name_);
}

QString TaskDatabase::TasksFolder() const {
    return folder_.isEmpty() ? QString() : FileOps::Join(CompanionFolder(), "Tasks");
}

QString TaskDatabase::MaterialsFolder() const {
    return folder_.isEmpty() ? QString() : FileOps::Join(CompanionFolder(), "Materials");
}

QString TaskDatabase::ListFilePath() const {
    return folder_.isEmpty() ? QString() : folder_ + name_ + ".ini";
}

QString TaskDatabase::ItemFile(const QString& taskId) const {
    return DatabaseLocation::TaskFile(TasksFolder(), taskId, QStringLiteral(".tsk"));
}

QString TaskDatabase::MaterialFile(const QString& taskId) const {
    return DatabaseLocation::TaskFile(MaterialsFolder(), taskId, QStringLiteral(".mts"));
}

void TaskDatabase::SetLocation(const QString& file, const QString& folder, const QString& name) {
    file_ = file;
    folder_ = folder;
    name_ = name;
    if (folder_.isEmpty()) guard_.reset();
    else if (!guard_ || guard_->Folder() != QFileInfo(folder_).canonicalFilePath())
        guard_ = std::make_unique<FileOps::GuardedFolder>(folder_);
    if (locationChanged_) locationChanged_();
}

// ---------------------------------------------------------------- lock

// Beside the file itself, so that two copies reaching it by different paths
// (a link, a relative path) meet at the same lock.
QString TaskDatabase::LockFilePath(const QString& path) { return Absolute(path) + QStringLiteral(".lock"); }

QString TaskDatabase::LockHolder(const QString& path) {
    QLockFile lock(LockFilePath(path));
    qint64 pid = 0;
    QString host, app;
    if (!lock.getLockInfo(&pid, &host, &app)) return QString();
    const QString who = app.startsWith(QLatin1String("quillon"), Qt::CaseInsensitive)
                            ? QStringLiteral("another copy of Quillon")
                            : app.isEmpty() ? QStringLiteral("another program")
                                            : QStringLiteral("the program \"%1\"").arg(app);
    return QStringLiteral("%1 (process %2 on the computer \"%3\")")
        .arg(who)
        .arg(pid)
        .arg(host.isEmpty() ? QStringLiteral("unknown") : host);
}

bool TaskDatabase::HoldsLock(const QString& path) const {
    // Under any of the file's names.
    return lock_ && (Absolute(path) == lockedPath_ || (fileLock_ && fileLock_->Same(path)));
}

TaskDatabase::Result TaskDatabase::Lock(const QString& path, Locks& locks) const {
    locks = {};
    // The open database's own locks serve a reopening of the same file.
    if (HoldsLock(path)) return Result::Ok();
    return TakeLock(path, locks);
}

std::shared_ptr<void> TaskDatabase::LockDatabases(const QStringList& files, const QStringList& held, QString* why) {
    QSet<QString> ours;
    for (const QString& f : held) ours.insert(Absolute(f));
    auto locks = std::make_shared<std::vector<Locks>>();
    for (const QString& file : files) {
        if (!file.endsWith(QLatin1String(".vkt"), Qt::CaseInsensitive) || ours.contains(Absolute(file))) continue;
        Locks lock;
        const Result taken = TakeLock(file, lock);
        if (!taken) {
            if (why) *why = QStringLiteral("The database \"%1\" cannot be replaced: %2").arg(file, taken.reason);
            return nullptr;
        }
        if (lock.name) locks->push_back(std::move(lock));
    }
    return locks;
}

TaskDatabase::Result TaskDatabase::TakeLock(const QString& path, Locks& locks) {
    locks = {};
    auto candidate = std::make_unique<QLockFile>(LockFilePath(path));
    // Never stale by age: a copy may keep a database open for weeks. A lock
    // whose process is gone (same machine) is recognised and taken over.
    candidate->setStaleLockTime(0);
    // The lock file is found by name; another copy may hold the same file
    // under another name (a hard link), which only the file's own lock shows.
    const auto take = [&]() -> Result {
        auto file = std::make_unique<FileLock>(path);
        if (file->Busy())
            return Result::InUse(QStringLiteral("it is in use by another copy of Quillon, which opened the same file "
                                                "under another name (a hard link to it). Close it there first."));
        locks.name = std::move(candidate);
        locks.file = std::move(file);
        return Result::Ok();
    };
    if (candidate->tryLock(0)) return take();
    const bool namesNoHolder = [&] {
        qint64 pid = 0;
        QString host, app;
        return !candidate->getLockInfo(&pid, &host, &app);
    }();
    if (candidate->error() == QLockFile::LockFailedError && namesNoHolder && Abandoned(LockFilePath(path)) &&
        candidate->removeStaleLockFile() && candidate->tryLock(0))
        return take();
    switch (candidate->error()) {
    case QLockFile::LockFailedError: {
        const QString holder = LockHolder(path);
        QString why = QStringLiteral("it is in use by %1. Close it there first.")
                          .arg(holder.isEmpty() ? QStringLiteral("another copy of Quillon") : holder);
        // A lock of a process on this computer is checked and taken over when
        // that process is gone; one from another computer cannot be checked.
        qint64 pid = 0;
        QString host, app;
        if (candidate->getLockInfo(&pid, &host, &app) && !host.isEmpty() && host != QSysInfo::machineHostName())
            why += QStringLiteral(" If it no longer runs there, delete the file \"%1\" and open the database again.")
                       .arg(LockFilePath(path));
        return Result::InUse(why);
    }
    case QLockFile::PermissionError:
        // A folder nobody may write to: no copy can save there, so there is
        // nothing to guard. The database opens; a save reports the failure.
        return Result::Ok();
    default:
        return Result::Fail(QStringLiteral("its lock file \"%1\" could not be made.").arg(LockFilePath(path)));
    }
}

void TaskDatabase::Adopt(const QString& path, Locks locks, Fingerprint print) {
    const QString absolute = Absolute(path);
    if (locks.name) {
        lock_ = std::move(locks.name);
        fileLock_ = std::move(locks.file);
        lockedPath_ = absolute;
    } else if (lockedPath_ != absolute && !(fileLock_ && fileLock_->Same(path))) {
        lock_.reset();
        fileLock_.reset();
        lockedPath_.clear();
    }
    // A new file (Create) or one a save replaced is locked as it now is.
    if (fileLock_) fileLock_->Follow(path);
    onDisk_ = std::move(print);
    readable_ = true;
}

void TaskDatabase::Close() {
    lock_.reset();
    fileLock_.reset();
    lockedPath_.clear();
    onDisk_ = {};
    readable_ = false;
}

// ---------------------------------------------------------------- fingerprint

TaskDatabase::Fingerprint TaskDatabase::Take(const QString& path, QByteArray hash, bool written) {
    Fingerprint print;
    print.stamp = FileOps::Stamp(path);
    if (!print.stamp.exists) return {};
    if (!written) print.stamp.conclusive = false;
    print.hash = std::move(hash);
    return print;
}

QString TaskDatabase::ChangedOnDisk(QByteArray* bytes) const {
    // A file that is gone holds nothing to overwrite; one that differs from
    // what was read holds someone else's work.
    const FileOps::FileStamp now = FileOps::Stamp(file_);
    if (!now.exists && !QFileInfo::exists(file_)) return QString();
    const QString changed = QStringLiteral(
        "the file was changed by another program (or another copy of Quillon) after it was opened here. "
        "Saving would overwrite those changes. Open the database again to see them.");
    const FileOps::FileStamp& then = onDisk_.stamp;
    if (!then.exists || !now.exists || now.size != then.size || now.modifiedNs != then.modifiedNs) return changed;
    // The bytes are needed anyway to tell a file from before date forms.
    if (FileOps::Unchanged(then, now) && !formsUnrecorded_) return QString();
    QString error;
    // Unread, it cannot be told apart from someone else's version. Only
    // its hash is needed, unless the bytes are compared later.
    QByteArray hash;
    if (formsUnrecorded_ ? !FileOps::ReadFile(file_, bytes, &error) : !HashOfFile(file_, &hash, &error))
        return QStringLiteral("the file could not be read to check it before writing: %1").arg(error);
    if (formsUnrecorded_) hash = HashOf(*bytes);
    return hash == onDisk_.hash ? QString() : changed;
}

// ---------------------------------------------------------------- open, create, save

void TaskDatabase::SetHeaders(Grid& grid) {
    static const char* kHeaders[] = {"", "Task ID", "Equipment", "Request Date", "Scheduled Start",
                                     "Start Time", "Scheduled End", "End Time", "Assigned To",
                                     "Requested By", "Type", "Frequency (Days)", "", "Status"};
    grid.SetRedraw(false);
    grid.ClearRows();
    grid.SetCols(Col::Count);
    grid.SetRows(1);
    grid.SetColumnWidth(0, 0);
    for (int c = 1; c < Col::Count; ++c) grid.SetText(0, c, QLatin1String(kHeaders[c]));
    for (int c = 1; c <= 11; ++c) grid.AutoFit(c);
    grid.SetColumnWidth(Col::Document, 0);
    grid.AutoFit(Col::Status);
    grid.SetRedraw(true);
}

TaskDatabase::Result TaskDatabase::Open(const QString& named) {
    if (named.isEmpty()) return Result::Fail(QStringLiteral("no file was named."));
    const QString path = FileOps::Resolve(named);
    Locks lock;
    if (Result locked = Lock(path, lock); !locked) return locked;
    // A restore interrupted in the folder is finished before the file is
    // read: the database and its lists then come from one backup. The
    // database being opened is held here already; so is the open one.
    QStringList held{path};
    if (lock_) held << lockedPath_;
    notes_.reset();
    notices_ = StagedRestore::Sweep(QFileInfo(path).absolutePath(), [&held](const QStringList& files, QString* why) {
        return LockDatabases(files, held, why);
    }, &notes_);
    Grid loaded;
    QString error;
    QByteArray hash;
    if (!GridFile::Load(loaded, path, &error, [&hash](std::string_view bytes) {
            hash = HashOf(bytes);
        }))
        return Result::Fail(error);
    // Any grid file reads (an item or material list too); only one with the
    // task columns is a database that later commands can write through.
    if (loaded.Cols() != Col::Count || loaded.Rows() < 1)
        return Result::Fail(QStringLiteral("it is not a Quillon task database."));
    // The fingerprint is of the bytes parsed: a change made while they were
    // read shows at the next save.
    Fingerprint print = Take(path, std::move(hash), false);
    const bool unrecorded = !loaded.Forms().Known();
    dateNotice_ = TaskDates::Notice(TaskDates::Adopt(loaded), QFileInfo(path).fileName());
    formsUnrecorded_ = unrecorded;
    grid_ = std::move(loaded);
    Adopt(path, std::move(lock), std::move(print));
    SetUnsaved(false);
    const auto parts = DatabaseLocation::Derive(path);
    SetLocation(path, parts.folder, parts.name);
    return Result::Ok();
}

TaskDatabase::Result TaskDatabase::Create(const QString& named) {
    if (named.isEmpty()) return Result::Fail(QStringLiteral("no file was named."));
    const QString path = FileOps::Resolve(named);
    Locks lock;
    if (Result locked = Lock(path, lock); !locked) return locked;
    const auto parts = DatabaseLocation::Derive(path);
    // The tasks of a replaced database go with it: their per-task lists must
    // not turn up under the new database's IDs. Only its own tasks' lists: a
    // companion folder made by an older Quillon may also hold another
    // database's. An old file that cannot be read names no task, so nothing
    // goes.
    QStringList replacedIds;
    if (FileOps::FileExists(path)) {
        Grid old;
        if (GridFile::Load(old, path))
            for (int r = 1; r < old.Rows(); ++r) replacedIds << old.Text(r, Col::TaskId);
    }
    Grid fresh;
    SetHeaders(fresh);
    fresh.SetForms({DateText::DateFormat(), DateText::TimeFormat()});
    const std::string data = GridFile::Serialize(fresh);
    QString error;
    // The open database stays open until the new file is on disk.
    if (!FileOps::WriteFileSafely(path, data.data(), qint64(data.size()), &error)) return Result::Fail(error);
    grid_ = std::move(fresh);
    formsUnrecorded_ = false;
    dateNotice_.clear();
    Adopt(path, std::move(lock), Take(path, HashOf(data), true));
    SetUnsaved(false);
    DatabaseLocation::ClearPerTaskFiles(parts.folder, parts.name, replacedIds);
    SetLocation(path, parts.folder, parts.name);
    DatabaseLocation::EnsureCompanion(parts.folder, parts.name);
    return Result::Ok();
}

TaskDatabase::Result TaskDatabase::Save() {
    if (!IsOpen()) return Result::Fail(QStringLiteral("no database is open."));
    QByteArray bytes;   // the file as it is, when it had to be read
    if (const QString why = ChangedOnDisk(&bytes); !why.isEmpty()) {
        SetUnsaved(true);
        return Result::Fail(why);
    }
    QString error;
    if (formsUnrecorded_ && !bytes.isEmpty()) {
        // A file from before date forms were recorded is not rewritten for
        // the forms alone: opened and saved with no change, it keeps its
        // bytes. Telling that takes the new file whole.
        const std::string data = GridFile::Serialize(grid_);
        const size_t ours = data.find('\n');
        const qsizetype theirs = bytes.indexOf('\n');
        if (ours != std::string::npos && theirs >= 0 &&
            std::string_view(data).substr(ours) == std::string_view(bytes.constData() + theirs, size_t(bytes.size() - theirs))) {
            SetUnsaved(false);
            return Result::Ok();
        }
    }
    bytes = {};
    StreamHash hash;
    const auto hashed = [&hash](std::string_view piece) { hash.Add(piece.data(), piece.size()); };
    bool placed = false;
    if (GridFile::Save(grid_, file_, &error, hashed, &placed)) return Saved(hash.Result());
    SetUnsaved(true);
    if (!placed) return Result::Fail(error);
    // The new file is in place though the disk did not confirm it: the next
    // save must know it for this object's own, not another program's.
    Written(hash.Result());
    return Result::Replaced(QStringLiteral("the disk reported a failure while storing it (%1). The file on disk already "
                                           "holds the tasks as they are now, but may lose them if the computer stops; "
                                           "save again.")
                                .arg(error));
}

TaskDatabase::Result TaskDatabase::Saved(QByteArray hash) {
    Written(std::move(hash));
    SetUnsaved(false);
    return Result::Ok();
}

void TaskDatabase::Written(QByteArray hash) {
    formsUnrecorded_ = false;
    onDisk_ = Take(file_, std::move(hash), true);
    // The save put a new file in the old one's place: its lock follows.
    if (fileLock_) fileLock_->Follow(file_);
}

void TaskDatabase::SetUnsaved(bool unsaved) {
    if (unsaved_ == unsaved) return;
    unsaved_ = unsaved;
    if (unsavedChanged_) unsavedChanged_(unsaved);
}

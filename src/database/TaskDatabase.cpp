#include "database/TaskDatabase.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include "database/DatabaseLocation.h"
#include "database/TaskColumns.h"
#include "platform/FileOps.h"
#include "platform/GridFile.h"

namespace {

QByteArray HashOf(QByteArrayView bytes) {
    // Detects a change, not an attack: the fastest of Qt's digests will do.
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5);
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
    if (locationChanged_) locationChanged_();
}

// ---------------------------------------------------------------- lock

QString TaskDatabase::LockFilePath(const QString& path) { return path + QStringLiteral(".lock"); }

QString TaskDatabase::LockHolder(const QString& path) {
    QLockFile lock(LockFilePath(path));
    qint64 pid = 0;
    QString host, app;
    if (!lock.getLockInfo(&pid, &host, &app)) return QString();
    return QStringLiteral("%1 (process %2 on the computer \"%3\")")
        .arg(app.isEmpty() ? QStringLiteral("another program") : app)
        .arg(pid)
        .arg(host.isEmpty() ? QStringLiteral("unknown") : host);
}

TaskDatabase::Result TaskDatabase::Lock(const QString& path, std::unique_ptr<QLockFile>& lock) const {
    lock.reset();
    // The open database's own lock serves a reopening of the same file.
    if (lock_ && Absolute(path) == lockedPath_) return Result::Ok();
    auto candidate = std::make_unique<QLockFile>(LockFilePath(path));
    // Never stale by age: a copy may keep a database open for weeks. A lock
    // whose process is gone (same machine) is recognised and taken over.
    candidate->setStaleLockTime(0);
    if (candidate->tryLock(0)) {
        lock = std::move(candidate);
        return Result::Ok();
    }
    switch (candidate->error()) {
    case QLockFile::LockFailedError: {
        const QString holder = LockHolder(path);
        return Result::Fail(QStringLiteral("it is in use by %1. Close it there first.")
                                .arg(holder.isEmpty() ? QStringLiteral("another copy of Quillon") : holder));
    }
    case QLockFile::PermissionError:
        // A folder nobody may write to: no copy can save there, so there is
        // nothing to guard. The database opens; a save reports the failure.
        return Result::Ok();
    default:
        return Result::Fail(QStringLiteral("its lock file \"%1\" could not be made.").arg(LockFilePath(path)));
    }
}

void TaskDatabase::Adopt(const QString& path, std::unique_ptr<QLockFile> lock, Fingerprint print) {
    const QString absolute = Absolute(path);
    if (lock) {
        lock_ = std::move(lock);
        lockedPath_ = absolute;
    } else if (lockedPath_ != absolute) {
        lock_.reset();
        lockedPath_.clear();
    }
    onDisk_ = std::move(print);
    readable_ = true;
}

void TaskDatabase::Close() {
    lock_.reset();
    lockedPath_.clear();
    onDisk_ = {};
    readable_ = false;
}

// ---------------------------------------------------------------- fingerprint

TaskDatabase::Fingerprint TaskDatabase::Take(const QString& path, const QByteArray* knownBytes) {
    Fingerprint print;
    const QFileInfo info(path);
    if (!info.isFile()) return print;
    print.exists = true;
    print.size = info.size();
    print.modified = info.lastModified();
    if (knownBytes) {
        print.hash = HashOf(*knownBytes);
    } else {
        QByteArray bytes;
        if (FileOps::ReadFile(path, &bytes)) print.hash = HashOf(bytes);
    }
    return print;
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

TaskDatabase::Result TaskDatabase::Open(const QString& path) {
    if (path.isEmpty()) return Result::Fail(QStringLiteral("no file was named."));
    std::unique_ptr<QLockFile> lock;
    if (Result locked = Lock(path, lock); !locked) return locked;
    Grid loaded;
    QString error;
    std::string bytes;
    if (!GridFile::Load(loaded, path, &error, &bytes)) return Result::Fail(error);
    // Any grid file reads (an item or material list too); only one with the
    // task columns is a database that later commands can write through.
    if (loaded.Cols() != Col::Count || loaded.Rows() < 1)
        return Result::Fail(QStringLiteral("it is not a Quillon task database."));
    // The fingerprint is of the bytes parsed: a change made while they were
    // read shows at the next save.
    Fingerprint print = Take(path, nullptr);
    print.hash = HashOf(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    grid_ = std::move(loaded);
    Adopt(path, std::move(lock), std::move(print));
    const auto parts = DatabaseLocation::Derive(path);
    SetLocation(path, parts.folder, parts.name);
    return Result::Ok();
}

TaskDatabase::Result TaskDatabase::Create(const QString& path) {
    if (path.isEmpty()) return Result::Fail(QStringLiteral("no file was named."));
    std::unique_ptr<QLockFile> lock;
    if (Result locked = Lock(path, lock); !locked) return locked;
    const auto parts = DatabaseLocation::Derive(path);
    // The tasks of a replaced database go with it: their per-task lists must
    // not turn up under the new database's IDs. Only its own tasks' lists:
    // databases whose names agree up to the first dot share the companion
    // folder. An old file that cannot be read names no task, so nothing goes.
    QStringList replacedIds;
    if (FileOps::FileExists(path)) {
        Grid old;
        if (GridFile::Load(old, path))
            for (int r = 1; r < old.Rows(); ++r) replacedIds << old.Text(r, Col::TaskId);
    }
    Grid fresh;
    SetHeaders(fresh);
    const std::string data = GridFile::Serialize(fresh);
    QString error;
    // The open database stays open until the new file is on disk.
    if (!FileOps::WriteFileSafely(path, data.data(), qint64(data.size()), &error)) return Result::Fail(error);
    const QByteArray written = QByteArray::fromRawData(data.data(), qsizetype(data.size()));
    grid_ = std::move(fresh);
    Adopt(path, std::move(lock), Take(path, &written));
    DatabaseLocation::ClearPerTaskFiles(parts.folder, parts.name, replacedIds);
    SetLocation(path, parts.folder, parts.name);
    DatabaseLocation::EnsureCompanion(parts.folder, parts.name);
    return Result::Ok();
}

TaskDatabase::Result TaskDatabase::Save() {
    if (!IsOpen()) return Result::Fail(QStringLiteral("no database is open."));
    // A file that is gone holds nothing to overwrite; one that differs from
    // what was read holds someone else's work.
    const QFileInfo info(file_);
    if (info.exists()) {
        bool same = onDisk_.exists && info.isFile() && info.size() == onDisk_.size &&
                    info.lastModified() == onDisk_.modified;
        if (same) same = Take(file_, nullptr).hash == onDisk_.hash;
        if (!same)
            return Result::Fail(QStringLiteral(
                "the file was changed by another program (or another copy of Quillon) after it was opened here. "
                "Saving would overwrite those changes. Open the database again to see them."));
    }
    const std::string data = GridFile::Serialize(grid_);
    QString error;
    if (!FileOps::WriteFileSafely(file_, data.data(), qint64(data.size()), &error)) return Result::Fail(error);
    const QByteArray written = QByteArray::fromRawData(data.data(), qsizetype(data.size()));
    onDisk_ = Take(file_, &written);
    return Result::Ok();
}

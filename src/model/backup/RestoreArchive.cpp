#include "model/backup/RestoreArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "model/database/TaskDatabase.h"
#include "model/database/TaskDates.h"
#include "platform/Dialogs.h"
#include "platform/FileOps.h"
#include "platform/Grid.h"
#include "platform/StagedRestore.h"

namespace RestoreArchive {

namespace {

constexpr qint64 kEntryWeight = 4096;   // progress: each file counts at least this

enum class Kind { Missing, Folder, File, Link };

Kind KindOf(const QString& path) {
    struct stat st;
    if (lstat(QFile::encodeName(path).constData(), &st) != 0) return Kind::Missing;
    if (S_ISLNK(st.st_mode)) return Kind::Link;
    if (S_ISDIR(st.st_mode)) return Kind::Folder;
    return Kind::File;
}

QString Join(const QString& folder, const QString& relative) {
    if (relative.isEmpty()) return folder;
    return folder.endsWith(QLatin1Char('/')) ? folder + relative : folder + QLatin1Char('/') + relative;
}

QString ParentOf(const QString& relative) {
    const int slash = relative.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : relative.left(slash);
}

// The deepest folder every item's path starts with.
QString CommonFolder(const QList<Item>& items) {
    QStringList common;
    bool first = true;
    for (const Item& item : items) {
        QStringList parts = item.relative.split(QLatin1Char('/'));
        if (!item.directory) parts.removeLast();
        if (first) {
            common = parts;
            first = false;
            continue;
        }
        int n = 0;
        while (n < common.size() && n < parts.size() && common[n] == parts[n]) ++n;
        common = common.mid(0, n);
    }
    return common.join(QLatin1Char('/'));
}

}  // namespace

QString SafeRelativeName(const QString& entryName, bool fullPaths, QString* reason, bool* folderItself) {
    if (folderItself) *folderItself = false;
    auto refuse = [&](const QString& why) {
        if (reason) *reason = why;
        return QString();
    };
    if (entryName.isEmpty()) return refuse(QStringLiteral("has no name"));
    // A newline or a tab is a legal letter of a file name here (a backup
    // takes such files); only NUL would cut the name short.
    if (entryName.contains(QChar(0))) return refuse(QStringLiteral("has a NUL character in its name"));
    if (entryName.contains(QLatin1Char('\\'))) return refuse(QStringLiteral("uses backslashes as folder separators"));
    if (entryName.size() >= 2 && entryName[1] == QLatin1Char(':') && entryName[0].isLetter())
        return refuse(QStringLiteral("names a Windows drive"));
    const bool absolute = entryName.startsWith(QLatin1Char('/'));
    if (absolute && !fullPaths) return refuse(QStringLiteral("is a full path (tick \"Restore to Full Path\" to restore it there)"));
    if (!absolute && fullPaths) return refuse(QStringLiteral("is not a full path"));
    QStringList parts;
    for (const QString& part : entryName.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) return refuse(QStringLiteral("leaves the restore folder (\"..\")"));
        if (part.toUtf8().size() > 255) return refuse(QStringLiteral("has a name part longer than 255 bytes"));
        if (part.startsWith(QLatin1String(".quillon-restore-")))
            return refuse(QStringLiteral("uses a name Quillon keeps for its own restores"));
        parts << part;
    }
    if (parts.isEmpty()) {
        if (folderItself) *folderItself = true;
        return refuse(QStringLiteral("names no file"));
    }
    if (reason) reason->clear();
    return parts.join(QLatin1Char('/'));
}

QStringList Plan::Folders() const {
    QStringList folders;
    QSet<QString> seen;
    for (const Item& item : items) {
        const QString folder = Join(root, item.directory ? item.relative : ParentOf(item.relative));
        if (!seen.contains(folder)) {
            seen.insert(folder);
            folders << folder;
        }
    }
    folders.sort();
    return folders;
}

QStringList Plan::Files() const {
    QStringList files;
    for (const Item& item : items) {
        if (!item.directory) files << Join(root, item.relative);
    }
    return files;
}

Plan Prepare(const QString& archivePath, const QString& targetFolder, bool fullPaths) {
    Plan plan;
    plan.archive = archivePath;
    if (!fullPaths) {
        if (targetFolder.isEmpty() || KindOf(targetFolder) == Kind::Missing || !QFileInfo(targetFolder).isDir()) {
            plan.error = QStringLiteral("The restore folder \"%1\" does not exist.").arg(targetFolder);
            return plan;
        }
        // The folder the user chose, by its real name: one reached through a
        // link is restored into as any other, and the files written are
        // named as the open database is (its name is resolved too).
        plan.root = FileOps::Resolve(targetFolder);
    }
    ZipArchive zip;
    if (!zip.OpenArchive(archivePath)) {
        plan.error = QStringLiteral("The backup file cannot be restored: %1.").arg(zip.Error());
        return plan;
    }
    const int n = zip.EntryCount();
    QHash<QString, bool> taken;   // relative name -> is a folder
    plan.items.reserve(n);
    for (int i = 0; i < n; ++i) {
        const ZipEntry entry = zip.Entry(i);
        QString reason;
        bool folderItself = false;
        const QString relative = SafeRelativeName(entry.name, fullPaths, &reason, &folderItself);
        if (relative.isEmpty()) {
            // "./" (archivers that pack "." name the folder itself so): the
            // restore folder, which is there already.
            if (!(entry.directory && folderItself)) plan.refused << QStringLiteral("%1: %2").arg(entry.name, reason);
            continue;
        }
        if (entry.symlink) {
            plan.refused << QStringLiteral("%1: is a symbolic link").arg(entry.name);
            continue;
        }
        const auto found = taken.constFind(relative);
        if (found != taken.constEnd()) {
            if (!(entry.directory && found.value())) plan.refused << QStringLiteral("%1: appears twice in the archive").arg(entry.name);
            continue;
        }
        taken.insert(relative, entry.directory);
        plan.items.push_back({i, relative, entry.directory, entry.size, entry.compressedSize});
    }
    zip.CloseArchive();
    // A name that is a file in one entry and a folder of another.
    for (const Item& item : plan.items) {
        for (QString parent = ParentOf(item.relative); !parent.isEmpty(); parent = ParentOf(parent)) {
            const auto found = taken.constFind(parent);
            if (found != taken.constEnd() && !found.value()) {
                plan.refused << QStringLiteral("%1: is both a file and a folder in the archive").arg(parent);
                taken[parent] = true;   // named once
            }
        }
    }
    if (fullPaths) plan.root = QStringLiteral("/");
    if (fullPaths && !plan.items.isEmpty()) {
        // Every item then lies under one folder; rebase onto it.
        const QString common = CommonFolder(plan.items);
        plan.root = QLatin1Char('/') + common;
        const int cut = common.isEmpty() ? 0 : common.size() + 1;
        for (Item& item : plan.items) item.relative = item.relative.mid(cut);
    }
    return plan;
}

QString RefusedMessage(const Plan& plan) {
    return QStringLiteral("The backup file \"%1\" holds entries that cannot be restored safely:\n\n%2\n\nNothing was restored.")
        .arg(plan.archive, MessageLines(plan.refused).join(QLatin1Char('\n')));
}

namespace {

constexpr qint64 kAbsurdSize = 100LL * 1000 * 1000;
constexpr qint64 kAbsurdRatio = 1000;
// Room kept beyond the blocks the files take: a few percent (folders grow,
// the file system keeps some for itself) and a few blocks for the journal
// and the staging folder.
constexpr qint64 kMarginDivisor = 32;
constexpr qint64 kMarginBlocks = 16;

qint64 Megabytes(qint64 bytes) { return (bytes + 1024 * 1024 - 1) / (1024 * 1024); }

// A size for the user, rounded up (what is needed) or down (what is free),
// so a refusal never reads as if the two were the same.
QString SizeText(qint64 bytes, bool up) {
    constexpr qint64 KB = 1024, MB = 1024 * KB, GB = 1024 * MB;
    const auto rounded = [up](qint64 value, qint64 unit) { return up ? (value + unit - 1) / unit : value / unit; };
    if (bytes < MB) return QStringLiteral("%1 KB").arg(rounded(bytes, KB));
    if (bytes >= 10 * GB) return QStringLiteral("%1 GB").arg(double(rounded(bytes, GB / 10)) / 10, 0, 'f', 1);
    if (bytes >= 100 * MB) return QStringLiteral("%1 MB").arg(rounded(bytes, MB));
    return QStringLiteral("%1 MB").arg(double(rounded(bytes, MB / 10)) / 10, 0, 'f', 1);
}

// The nearest folder at or above `path` that exists (full-path restores
// may create the folders below it).
QString ExistingFolder(QString path) {
    while (KindOf(path) == Kind::Missing && path != QLatin1String("/")) path = QFileInfo(path).path();
    return path;
}

QString NothingRestored(const QString& text) { return text + QStringLiteral("\nNothing was restored."); }

}  // namespace

QString SpaceProblem(const Plan& plan, qint64 freeBytes, qint64 freeFiles, qint64 block) {
    block = std::max<qint64>(512, block);
    qint64 needed = 0;
    for (const Item& item : plan.items) {
        if (!item.directory && item.size > kAbsurdSize && item.size / std::max<qint64>(1, item.compressed) > kAbsurdRatio)
            return QStringLiteral("The backup file \"%1\" cannot be restored: its entry \"%2\" claims to unpack to %3 MB "
                                  "from %4 bytes, more than %5 times its packed size. An archive made that way (a \"zip "
                                  "bomb\") would fill the disk.")
                .arg(plan.archive, item.relative)
                .arg(Megabytes(item.size))
                .arg(item.compressed)
                .arg(kAbsurdRatio);
        // Every file takes whole blocks. The files it replaces are moved
        // aside, not freed, until the restore is over.
        if (!item.directory) needed += (item.size + block - 1) / block * block;
    }
    needed += plan.Folders().size() * block;
    const qint64 wanted = needed + needed / kMarginDivisor + kMarginBlocks * block;
    if (freeBytes >= 0 && wanted > freeBytes)
        return QStringLiteral("There is not enough free space on the disk. Restoring \"%1\" into \"%2\" needs about %3, "
                              "and %4 are free.")
            .arg(plan.archive, plan.root, SizeText(wanted, true), SizeText(freeBytes, false));
    const qint64 files = plan.items.size();
    if (freeFiles >= 0 && files + files / 20 + 64 > freeFiles)
        return QStringLiteral("The disk is full. Restoring \"%1\" makes %2 files and folders in \"%3\", and only %4 "
                              "more fit on that disk.")
            .arg(plan.archive)
            .arg(files)
            .arg(plan.root)
            .arg(freeFiles);
    return QString();
}

Result Run(const Plan& plan, ZipProgress* progress, int threads) {
    Result result;
    if (!plan.error.isEmpty()) {
        result.message = plan.error;
        return result;
    }
    if (!plan.refused.isEmpty()) {
        result.message = RefusedMessage(plan);
        return result;
    }
    if (plan.items.isEmpty()) {
        result.message = QStringLiteral("The backup file \"%1\" holds no files to restore.").arg(plan.archive);
        return result;
    }
    // Staging goes inside the nearest existing folder of the destination:
    // the same file system, so putting the files in place is a rename.
    const QString existing = ExistingFolder(plan.root);
    if (KindOf(existing) != Kind::Folder) {
        result.message = QStringLiteral("\"%1\" is not a folder.").arg(existing);
        return result;
    }
    const QString relativeRoot = QDir(existing).relativeFilePath(plan.root);   // "." or the folders to create
    auto claim = [&plan](const QStringList& files, QString* why) { return TaskDatabase::LockDatabases(files, plan.held, why); };
    // A restore killed here before is put right before this one starts.
    result.notices = StagedRestore::Sweep(existing, claim, &result.notes);

    // Every destination, with the folders still to be made above the items.
    QList<StagedRestore::Entry> entries;
    entries.reserve(plan.items.size());
    for (const Item& item : plan.items)
        entries.push_back({relativeRoot == QLatin1String(".") ? item.relative : relativeRoot + QLatin1Char('/') + item.relative,
                           item.directory});
    const QStringList problems = StagedRestore::Check(existing, entries);
    if (!problems.isEmpty()) {
        result.message = NothingRestored(QStringLiteral("The backup cannot be restored into \"%1\":\n%2\n")
                                             .arg(plan.root, MessageLines(problems).join(QLatin1Char('\n'))));
        return result;
    }
    struct statvfs fs {};
    const bool known = ::statvfs(QFile::encodeName(existing).constData(), &fs) == 0;
    const QString space = SpaceProblem(plan, known ? qint64(fs.f_bavail) * qint64(fs.f_frsize) : -1,
                                       known && fs.f_files > 0 ? qint64(fs.f_favail) : -1,
                                       known ? qint64(fs.f_frsize) : 4096);
    if (!space.isEmpty()) {
        result.message = NothingRestored(space);
        return result;
    }
    // A database another copy has open is not replaced under it; those
    // replaced here stay locked until the restore is over.
    QString why;
    const std::shared_ptr<void> locks = claim(plan.Files(), &why);
    if (!locks) {
        result.message = NothingRestored(why);
        return result;
    }

    std::unique_ptr<StagedRestore::Transaction> transaction = StagedRestore::Transaction::Begin(existing, &why);
    if (!transaction) {
        result.message = NothingRestored(QStringLiteral("The restore folder %1.").arg(why));
        return result;
    }
    const QString stageRoot = relativeRoot == QLatin1String(".") ? transaction->NewFolder()
                                                                  : Join(transaction->NewFolder(), relativeRoot);

    // Folders first, then the files on several threads.
    QSet<QString> folders;
    qint64 total = 0;
    std::vector<int> files;
    for (int i = 0; i < plan.items.size(); ++i) {
        const Item& item = plan.items[i];
        const QString folder = item.directory ? item.relative : ParentOf(item.relative);
        folders.insert(folder);
        if (!item.directory) {
            files.push_back(i);
            total += item.size + kEntryWeight;
        }
    }
    for (const QString& folder : folders) {
        if (!QDir().mkpath(Join(stageRoot, folder))) {
            result.message = NothingRestored(QStringLiteral("The folder \"%1\" could not be made for the restore.").arg(Join(stageRoot, folder)));
            return result;
        }
    }
    std::atomic<qint64> bytes{0};
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::atomic<bool> diskFull{false};
    std::mutex errorMutex;
    QString firstError;
    auto fail = [&](const QString& error) {
        std::lock_guard lock(errorMutex);
        if (firstError.isEmpty()) firstError = error;
        failed = true;
    };
    auto work = [&] {
        ZipArchive zip;
        zip.Progress = progress;
        zip.OverallBytes = total;
        if (!zip.OpenArchive(plan.archive)) {
            fail(zip.Error());
            return;
        }
        for (;;) {
            if (failed || (progress && progress->cancel)) return;
            const size_t k = next++;
            if (k >= files.size()) return;
            const Item& item = plan.items[files[k]];
            if (!zip.ExtractEntry(item.index, Join(stageRoot, item.relative), &bytes)) {
                if (zip.DiskFull()) diskFull = true;
                fail(zip.Error());
                return;
            }
            bytes += kEntryWeight;
            if (progress) progress->RaiseOverall(int(std::min<qint64>(99, bytes * 100 / std::max<qint64>(1, total))));
        }
    };
    int count = threads > 0 ? threads : kWriters;
    count = std::max(1, std::min<int>(count, int(files.size())));
    std::vector<std::thread> workers;
    for (int t = 1; t < count; ++t) workers.emplace_back(work);
    work();
    for (auto& w : workers) w.join();
    if (progress && progress->cancel && !failed) fail(QStringLiteral("the restore was cancelled"));
    if (failed) {
        result.message = NothingRestored(
            diskFull ? QStringLiteral("The disk is full. The backup file \"%1\" could not be restored into \"%2\".").arg(plan.archive, plan.root)
                     : QStringLiteral("The backup file \"%1\" could not be restored: %2.").arg(plan.archive, firstError));
        return result;
    }

    const bool committed = transaction->Commit(&why);
    result.notes = StagedRestore::Together(result.notes, transaction->Note());
    if (!committed) {
        const QString text = QStringLiteral("The backup could not be restored into \"%1\":\n%2").arg(plan.root, why);
        result.message = transaction->Kept() ? text : NothingRestored(text);
        return result;
    }
    if (progress) {
        progress->overall = 100;
        progress->file = 100;
    }
    result.ok = true;
    result.written = plan.Files();
    return result;
}

Result Restore(const QString& archivePath, const QString& targetFolder, ZipProgress* progress) {
    return Run(Prepare(archivePath, targetFolder, false), progress);
}

bool GridMatchesFile(const Grid& grid, const QString& path) {
    Grid onDisk;
    if (!onDisk.LoadFile(path)) return false;
    // Read as the open database was: its dates in this desktop's forms.
    TaskDates::Adopt(onDisk);
    if (onDisk.Rows() != grid.Rows() || onDisk.Cols() != grid.Cols()) return false;
    for (int r = 0; r < grid.Rows(); ++r) {
        for (int c = 0; c < grid.Cols(); ++c) {
            if (onDisk.TextUtf8(r, c) != grid.TextUtf8(r, c)) return false;
        }
    }
    return true;
}

}

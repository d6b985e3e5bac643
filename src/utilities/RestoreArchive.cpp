#include "utilities/RestoreArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "database/TaskDates.h"
#include "platform/Grid.h"

namespace RestoreArchive {

namespace {

constexpr qint64 kEntryWeight = 4096;
constexpr int kMaxNamedInMessage = 15;

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

QString SafeRelativeName(const QString& entryName, bool fullPaths, QString* reason) {
    auto refuse = [&](const QString& why) {
        if (reason) *reason = why;
        return QString();
    };
    if (entryName.isEmpty()) return refuse(QStringLiteral("has no name"));
    for (const QChar c : entryName) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return refuse(QStringLiteral("has control characters in its name"));
    }
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
        parts << part;
    }
    if (parts.isEmpty()) return refuse(QStringLiteral("names no file"));
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
        plan.root = QDir::cleanPath(QFileInfo(targetFolder).absoluteFilePath());
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
        const QString relative = SafeRelativeName(entry.name, fullPaths, &reason);
        if (relative.isEmpty()) {
            plan.refused << QStringLiteral("%1: %2").arg(entry.name, reason);
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
        plan.items.push_back({i, relative, entry.directory, entry.size});
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
    QStringList shown = plan.refused.mid(0, kMaxNamedInMessage);
    if (plan.refused.size() > kMaxNamedInMessage)
        shown << QStringLiteral("... and %1 more").arg(plan.refused.size() - kMaxNamedInMessage);
    return QStringLiteral("The backup file \"%1\" holds entries that cannot be restored safely:\n\n%2\n\nNothing was restored.")
        .arg(plan.archive, shown.join(QLatin1Char('\n')));
}

namespace {

// Folders and files already at the destination that an item would have to
// pass through or replace in a way that is not a plain file write.
QStringList Conflicts(const Plan& plan, const QString& base) {
    QStringList conflicts;
    QHash<QString, Kind> kinds;
    auto kind = [&](const QString& relative) {
        auto it = kinds.constFind(relative);
        if (it != kinds.constEnd()) return it.value();
        const Kind k = KindOf(Join(base, relative));
        kinds.insert(relative, k);
        return k;
    };
    for (const Item& item : plan.items) {
        // Every folder on the way must be a real folder (a link there would
        // lead the write outside) or not exist yet.
        QStringList parts = item.relative.split(QLatin1Char('/'));
        QString prefix;
        for (int i = 0; i + 1 < parts.size(); ++i) {
            prefix = prefix.isEmpty() ? parts[i] : prefix + QLatin1Char('/') + parts[i];
            const Kind k = kind(prefix);
            if (k == Kind::Missing) break;
            if (k != Kind::Folder) {
                conflicts << QStringLiteral("\"%1\" is a file or a link, not a folder").arg(Join(base, prefix));
                break;
            }
        }
        const Kind k = kind(item.relative);
        if (item.directory && k != Kind::Missing && k != Kind::Folder)
            conflicts << QStringLiteral("\"%1\" is a file or a link, not a folder").arg(Join(base, item.relative));
        if (!item.directory && k == Kind::Folder)
            conflicts << QStringLiteral("\"%1\" is a folder").arg(Join(base, item.relative));
    }
    conflicts.removeDuplicates();
    return conflicts;
}

// Moves what the staging folder holds into `to`: a folder missing there
// moves whole, an existing one is merged, a file replaces the one there.
bool MoveInto(const QString& from, const QString& to, QString* error) {
    const QFileInfoList children = QDir(from).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& child : children) {
        const QString source = child.absoluteFilePath();
        const QString target = Join(to, child.fileName());
        if (child.isDir() && KindOf(target) == Kind::Folder) {
            if (!MoveInto(source, target, error)) return false;
            continue;
        }
        if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0) {
            *error = QStringLiteral("\"%1\" could not be put in place: %2").arg(target, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
    }
    return true;
}

// The nearest folder at or above `path` that exists (full-path restores
// may create the folders below it).
QString ExistingFolder(QString path) {
    while (KindOf(path) == Kind::Missing && path != QLatin1String("/")) path = QFileInfo(path).path();
    return path;
}

}  // namespace

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
    // The folders still to be made above the items count as the items'
    // folders too: none may be a file or a link.
    auto blocked = [&] {
        Plan whole = plan;
        if (relativeRoot != QLatin1String(".")) {
            for (Item& item : whole.items) item.relative = relativeRoot + QLatin1Char('/') + item.relative;
        }
        const QStringList conflicts = Conflicts(whole, existing);
        if (conflicts.isEmpty()) return false;
        result.message = QStringLiteral("The backup cannot be restored into \"%1\":\n%2\n\nNothing was restored.")
                             .arg(plan.root, conflicts.mid(0, kMaxNamedInMessage).join(QLatin1Char('\n')));
        return true;
    };
    if (blocked()) return result;
    QTemporaryDir staging(Join(existing, QStringLiteral(".quillon-restore-XXXXXX")));
    if (!staging.isValid()) {
        result.message = QStringLiteral("The restore folder \"%1\" cannot be written: %2").arg(existing, staging.errorString());
        return result;
    }
    const QString stageRoot = relativeRoot == QLatin1String(".") ? staging.path() : Join(staging.path(), relativeRoot);

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
            result.message = QStringLiteral("The folder \"%1\" could not be made for the restore.").arg(Join(stageRoot, folder));
            return result;
        }
    }
    std::atomic<qint64> bytes{0};
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
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
                fail(zip.Error());
                return;
            }
            bytes += kEntryWeight;
            if (progress) progress->overall = int(std::min<qint64>(99, bytes * 100 / std::max<qint64>(1, total)));
        }
    };
    int count = threads > 0 ? threads : int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    count = std::max(1, std::min<int>(count, int(files.size())));
    std::vector<std::thread> workers;
    for (int t = 1; t < count; ++t) workers.emplace_back(work);
    work();
    for (auto& w : workers) w.join();
    if (progress && progress->cancel && !failed) fail(QStringLiteral("the restore was cancelled"));
    if (failed) {
        result.message = QStringLiteral("The backup file \"%1\" could not be restored: %2.\nNothing was restored.").arg(plan.archive, firstError);
        return result;
    }

    // The destination may have changed while the files were extracted.
    if (blocked()) return result;
    QString error;
    if (!MoveInto(staging.path(), existing, &error)) {
        result.message = QStringLiteral("The restore stopped: %1.\nSome files may already have been replaced.").arg(error);
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

#include "model/backup/BackupArchive.h"

#include <QDir>
#include <QFileInfo>

#include "model/backup/RestoreArchive.h"
#include "model/database/DatabaseLocation.h"
#include "model/database/TaskDatabase.h"
#include "platform/FileOps.h"
#include "platform/StagedRestore.h"

namespace BackupArchive {

QList<Pattern> Patterns(const QString& databaseFolder, const QString& databaseName) {
    const QString folder = FileOps::WithTrailingSlash(databaseFolder);
    QList<Pattern> patterns{
        {folder + QStringLiteral("*.vkt"), false},
        {folder + QStringLiteral("*.ini"), false},
        {folder + QStringLiteral("Photos/*.*"), true},
    };
    // Without a safe database name the companion pattern would name the
    // database folder itself, and with it every document.
    if (FileOps::IsSafeFileName(databaseName))
        patterns.push_back({folder + databaseName + QStringLiteral("/*.*"), true});
    return patterns;
}

namespace {

QString Real(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

// The file at `path` by the name it has in its real folder (its folder's
// links resolved, not its own).
QString InRealFolder(const QString& path) {
    const QFileInfo info(path);
    return FileOps::Join(Real(info.absolutePath()), info.fileName());
}

bool Below(const QString& path, const QString& folder) { return path.startsWith(folder + QLatin1Char('/')); }

}  // namespace

QString RefusedTarget(const QString& archivePath, const QString& databaseFolder, const QString& databaseName) {
    const QString folder = Real(databaseFolder);
    // The names the archive would be written under: its own, and the file a
    // link there leads to.
    QStringList names{InRealFolder(archivePath)};
    if (QFileInfo(archivePath).isSymLink()) names << InRealFolder(QFileInfo(archivePath).symLinkTarget());
    // Every companion folder beside a database of the folder, not only the
    // open one's.
    QStringList companions{FileOps::Join(folder, databaseName)};
    for (const QString& db : QDir(folder).entryList({QStringLiteral("*.vkt")}, QDir::Files | QDir::Hidden))
        companions << FileOps::Join(folder, DatabaseLocation::Derive(FileOps::Join(folder, db)).name);
    const QString photos = FileOps::Join(folder, QStringLiteral("Photos"));
    const QString tail = QFileInfo::exists(archivePath)
                             ? QStringLiteral("\nA backup written there would replace it. Choose another file for the "
                                              "backup; nothing was replaced.")
                             : QStringLiteral("\nA backup written there would be taken into the backups themselves. "
                                              "Choose another file for the backup; nothing was written.");
    for (const QString& name : names) {
        const QString file = QFileInfo(name).fileName();
        const QString parent = QFileInfo(name).path();
        if (parent == folder && ZipNames::Matches(QStringLiteral("*.vkt"), file))
            return QStringLiteral("The backup file \"%1\" is a task database of the folder being backed up.").arg(archivePath) + tail;
        if (parent == folder && ZipNames::Matches(QStringLiteral("*.ini"), file))
            return QStringLiteral("The backup file \"%1\" is a list file of the folder being backed up.").arg(archivePath) + tail;
        if (Below(name, photos))
            return QStringLiteral("The backup file \"%1\" lies in the Photos folder, which the backup takes.").arg(archivePath) + tail;
        for (const QString& companion : companions) {
            if (companion != folder && Below(name, companion))
                return QStringLiteral("The backup file \"%1\" lies in the companion folder \"%2\" of a task database.")
                           .arg(archivePath, companion) + tail;
        }
    }
    const QFileInfo info(archivePath);
    if (info.exists() && !info.isFile())
        return QStringLiteral("The backup file \"%1\" is not a file.").arg(archivePath) + tail;
    if (info.isFile() && info.size() > 0) {
        ZipArchive zip;
        if (!zip.OpenArchive(archivePath))
            return QStringLiteral("The backup file \"%1\" exists and is not a zip archive.").arg(archivePath) + tail;
    }
    return QString();
}

Result Run(const QString& archivePath, const QString& databaseFolder, const QString& databaseName,
           bool fullPaths, ZipProgress* progress, const QStringList& held) {
    Result result;
    if (archivePath.isEmpty()) {
        result.message = QStringLiteral("No backup file was chosen.");
        return result;
    }
    if (databaseFolder.isEmpty() || !QFileInfo(databaseFolder).isDir()) {
        result.message = QStringLiteral("The database folder \"%1\" was not found; no database is open.").arg(databaseFolder);
        return result;
    }
    result.message = RefusedTarget(archivePath, databaseFolder, databaseName);
    if (!result.message.isEmpty()) return result;
    // A restore killed half-way in the folder is finished first, so the
    // backup never takes a mix of two states.
    result.notices = StagedRestore::Sweep(databaseFolder, [&held](const QStringList& files, QString* why) {
        return TaskDatabase::LockDatabases(files, held, why);
    }, &result.notes);
    const QString archiveFolder = QFileInfo(archivePath).absolutePath();
    if (Real(archiveFolder) != Real(databaseFolder)) ZipArchive::RemoveLeftovers(archiveFolder);
    ZipArchive zip;
    zip.Progress = progress;
    if (!zip.CreateArchive(archivePath)) {
        result.message = QStringLiteral("The backup file could not be created: %1.").arg(zip.Error());
        return result;
    }
    zip.UseFullPaths = fullPaths;
    zip.BaseFolder = databaseFolder;
    zip.Exclude = {archivePath};
    // What this backup writes, its restore takes back: a file it could not
    // is left out and named.
    zip.NameProblem = [fullPaths](const QString& entryName) {
        QString why;
        if (!RestoreArchive::SafeRelativeName(entryName, fullPaths, &why).isEmpty()) return QString();
        return QStringLiteral("a restore could not take it back: its entry name %1").arg(why);
    };
    for (const Pattern& p : Patterns(databaseFolder, databaseName)) {
        if (!zip.AddFiles(p.pattern, p.recursive)) {
            result.message = QStringLiteral("The backup failed: %1.").arg(zip.Error());
            return result;
        }
    }
    result.entries = zip.PendingCount();
    result.leftOut = zip.LeftOut;
    if (result.entries == 0) {
        zip.Discard();
        result.message = QStringLiteral("There are no files to back up in \"%1\".\nThe backup file was not written.").arg(databaseFolder);
        return result;
    }
    if (!zip.CloseArchive()) {
        result.message = zip.DiskFull()
                             ? QStringLiteral("The disk is full. The backup file \"%1\" could not be written.").arg(archivePath)
                             : QStringLiteral("The backup failed: %1.").arg(zip.Error());
        if (QFileInfo::exists(archivePath)) result.message += QStringLiteral("\n\"%1\" was not changed.").arg(archivePath);
        return result;
    }
    result.ok = true;
    return result;
}

bool List(const QString& archivePath, QList<ZipEntry>* entries, QString* error) {
    ZipArchive zip;
    if (!zip.OpenArchive(archivePath)) {
        if (error) *error = zip.Error();
        return false;
    }
    const int n = zip.EntryCount();
    entries->clear();
    entries->reserve(n);
    for (int i = 0; i < n; ++i) entries->push_back(zip.Entry(i));
    zip.CloseArchive();
    return true;
}

}

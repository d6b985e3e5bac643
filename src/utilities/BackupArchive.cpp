#include "utilities/BackupArchive.h"

#include <QDir>
#include <QFileInfo>

#include "platform/FileOps.h"

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

Result Run(const QString& archivePath, const QString& databaseFolder, const QString& databaseName,
           bool fullPaths, ZipProgress* progress) {
    Result result;
    if (archivePath.isEmpty()) {
        result.message = QStringLiteral("No backup file was chosen.");
        return result;
    }
    if (databaseFolder.isEmpty() || !QFileInfo(databaseFolder).isDir()) {
        result.message = QStringLiteral("The database folder \"%1\" was not found; no database is open.").arg(databaseFolder);
        return result;
    }
    ZipArchive zip;
    zip.Progress = progress;
    if (!zip.CreateArchive(archivePath)) {
        result.message = QStringLiteral("The backup file could not be created: %1.").arg(zip.Error());
        return result;
    }
    zip.UseFullPaths = fullPaths;
    zip.BaseFolder = databaseFolder;
    zip.Exclude = {archivePath};
    for (const Pattern& p : Patterns(databaseFolder, databaseName)) {
        if (!zip.AddFiles(p.pattern, p.recursive)) {
            result.message = QStringLiteral("The backup failed: %1.").arg(zip.Error());
            return result;
        }
    }
    result.entries = zip.PendingCount();
    if (result.entries == 0) {
        zip.Discard();
        result.message = QStringLiteral("There are no files to back up in \"%1\".\nThe backup file was not written.").arg(databaseFolder);
        return result;
    }
    if (!zip.CloseArchive()) {
        result.message = QStringLiteral("The backup failed: %1.\n\"%2\" was not changed.").arg(zip.Error(), archivePath);
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

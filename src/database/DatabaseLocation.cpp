#include "database/DatabaseLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "platform/FileOps.h"

namespace DatabaseLocation {

Parts Derive(const QString& fullPath) {
    const QFileInfo info(fullPath);
    const QString title = info.fileName();
    Parts p;
    p.folder = FileOps::WithTrailingSlash(fullPath.left(fullPath.size() - title.size()));
    const int dot = title.indexOf('.');
    p.name = dot < 0 ? QString() : title.left(dot);
    return p;
}

QString CompanionFolder(const QString& folder, const QString& name) {
    return FileOps::WithTrailingSlash(folder) + name;
}

bool EnsureCompanion(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return false;
    const QString companion = CompanionFolder(folder, name);
    bool ok = FileOps::MakeFolder(companion);
    ok = FileOps::MakeFolder(FileOps::Join(companion, "Tasks")) && ok;
    ok = FileOps::MakeFolder(FileOps::Join(companion, "Materials")) && ok;
    return ok;
}

bool ClearPerTaskFiles(const QString& folder, const QString& name, const QStringList& taskIds) {
    if (folder.isEmpty() || taskIds.isEmpty()) return true;
    QSet<QString> ids(taskIds.begin(), taskIds.end());
    ids.remove(QString());
    const QString companion = CompanionFolder(folder, name);
    bool ok = true;
    for (const char* sub : {"Tasks", "Materials"}) {
        QDir dir(FileOps::Join(companion, sub));
        if (!dir.exists()) continue;
        for (const QString& f : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (ids.contains(QFileInfo(f).completeBaseName())) ok = FileOps::RemoveFile(dir.filePath(f)) && ok;
    }
    return ok;
}

bool IdNamesFiles(const QString& id) {
    return !id.isEmpty() && FileOps::IsSafeFileName(id) && FileOps::IsSafeFileName(id + QStringLiteral(".tsk"));
}

QString TaskFile(const QString& folder, const QString& id, const QString& extension) {
    if (folder.isEmpty() || !IdNamesFiles(id)) return QString();
    return FileOps::Join(folder, id + extension);
}

}  // namespace DatabaseLocation

#include "model/database/DatabaseLocation.h"

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
    const int dot = title.lastIndexOf('.');
    p.name = dot > 0 ? title.left(dot) : QString();
    // A title that is all extension (".vkt") or has none names no folder of
    // its own by itself: the companion would be the file's own name.
    if (p.name.isEmpty() && !title.isEmpty()) p.name = title + QStringLiteral("_data");
    return p;
}

QString LegacyName(const QString& fullPath) {
    const QString title = QFileInfo(fullPath).fileName();
    const int dot = title.indexOf('.');
    return dot < 0 ? QString() : title.left(dot);
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

namespace {
QString ListFile(const Parts& p) { return FileOps::WithTrailingSlash(p.folder) + p.name + QStringLiteral(".ini"); }

// The files of one database: the list file, then each task's two lists.
QList<QPair<QString, QString>> FilePairs(const Parts& from, const Parts& to, const QStringList& taskIds) {
    QList<QPair<QString, QString>> pairs{{ListFile(from), ListFile(to)}};
    const QString a = CompanionFolder(from.folder, from.name), b = CompanionFolder(to.folder, to.name);
    for (const QString& id : taskIds) {
        if (!IdNamesFiles(id)) continue;
        for (const auto& [sub, extension] : {std::pair{"Tasks", ".tsk"}, std::pair{"Materials", ".mts"}})
            pairs.append({TaskFile(FileOps::Join(a, sub), id, extension), TaskFile(FileOps::Join(b, sub), id, extension)});
    }
    return pairs;
}

bool Transfer(const Parts& from, const Parts& to, const QStringList& taskIds, bool move, QString* error) {
    if (!EnsureCompanion(to.folder, to.name)) {
        if (error) *error = QStringLiteral("The folder %1 could not be made.").arg(CompanionFolder(to.folder, to.name));
        return false;
    }
    bool ok = true;
    for (const auto& [src, dst] : FilePairs(from, to, taskIds)) {
        if (!FileOps::FileExists(src) || FileOps::FileExists(dst)) continue;
        QString why;
        if (!FileOps::CopyFile(src, dst, false, &why)) {
            ok = false;
            if (error && error->isEmpty()) *error = why;
            continue;
        }
        // The original goes only once its copy is complete.
        if (move) FileOps::RemoveFile(src);
    }
    return ok;
}
}  // namespace

bool CopyCompanion(const Parts& from, const Parts& to, const QStringList& taskIds, QString* error) {
    return Transfer(from, to, taskIds, false, error);
}

Adopted AdoptLegacyFiles(const QString& databaseFile, const QStringList& taskIds, QString* error) {
    const Parts own = Derive(databaseFile);
    const Parts legacy{own.folder, LegacyName(databaseFile)};
    if (own.folder.isEmpty() || legacy.name.isEmpty() || legacy.name == own.name) return Adopted::Nothing;
    if (FileOps::FolderExists(CompanionFolder(own.folder, own.name)) || FileOps::FileExists(ListFile(own)))
        return Adopted::Nothing;
    const bool legacyFolder = FileOps::FolderExists(CompanionFolder(legacy.folder, legacy.name));
    if (!legacyFolder && !FileOps::FileExists(ListFile(legacy))) return Adopted::Nothing;
    // Any other database that the older rule gave the same name still
    // relies on these files.
    bool shared = false;
    const QString self = QFileInfo(databaseFile).fileName();
    for (const QString& f : QDir(own.folder).entryList(QDir::Files | QDir::Hidden))
        if (f != self && QFileInfo(f).suffix().compare(QLatin1String("vkt"), Qt::CaseInsensitive) == 0 &&
            LegacyName(f) == legacy.name)
            shared = true;
    if (!Transfer(legacy, own, legacyFolder ? taskIds : QStringList(), !shared, error)) return Adopted::Failed;
    return shared ? Adopted::Copied : Adopted::Moved;
}

}  // namespace DatabaseLocation

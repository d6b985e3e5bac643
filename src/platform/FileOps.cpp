#include "platform/FileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path ToPath(const QString& path) { return fs::path(QFile::encodeName(path).toStdString()); }

void SetError(QString* error, const QString& text) {
    if (error) *error = text;
}

// QSaveFile::commit() renames the temporary file over the target even when
// the last buffered bytes could not be written (a full disk): the error of
// that final flush is not kept. Flushing first and checking catches it, so
// a short file never replaces a good one.
bool Commit(QSaveFile& file, QString* error) {
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        SetError(error, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        SetError(error, file.errorString());
        return false;
    }
    return true;
}

}  // namespace

namespace FileOps {

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool FolderExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool MakeFolder(const QString& path) {
    if (path.isEmpty()) return false;
    QDir().mkpath(path);
    return FolderExists(path);
}

bool RemoveFile(const QString& path) {
    if (path.isEmpty()) return false;
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
    if (path.isEmpty()) return false;
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
    // target's name, so a failed copy never leaves a partial file.
    QSaveFile out(dst);
    if (!out.open(QIODevice::WriteOnly)) {
        SetError(error, out.errorString());
        return false;
    }
    QByteArray buffer;
    while (!in.atEnd()) {
        buffer = in.read(1 << 20);
        if (buffer.isEmpty() && in.error() != QFileDevice::NoError) break;
        if (out.write(buffer) != buffer.size()) {
            SetError(error, out.errorString());
            out.cancelWriting();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError) {
        SetError(error, in.errorString());
        out.cancelWriting();
        return false;
    }
    if (!Commit(out, error)) return false;
    QFile::setPermissions(dst, QFile::permissions(src));
    return true;
}

bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* error) {
    return WriteFileSafely(path, bytes.constData(), bytes.size(), error);
}

bool WriteFileSafely(const QString& path, const char* data, qint64 size, QString* error) {
    if (path.isEmpty() || FolderExists(path)) {
        SetError(error, QStringLiteral("%1 is not a file name").arg(path));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        SetError(error, file.errorString());
        return false;
    }
    if (file.write(data, size) != size) {
        SetError(error, file.errorString());
        file.cancelWriting();
        return false;
    }
    return Commit(file, error);
}

bool ReadFile(const QString& path, QByteArray* bytes, QString* error) {
    if (FolderExists(path)) {
        SetError(error, QStringLiteral("%1 is a folder").arg(path));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, file.errorString());
        return false;
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        SetError(error, file.errorString());
        return false;
    }
    if (bytes) *bytes = std::move(data);
    return true;
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

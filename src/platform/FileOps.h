#pragma once
// File-system operations the windows use, in one place.

#include <QByteArray>
#include <QString>
#include <memory>

namespace FileOps {
bool FileExists(const QString& path);
bool FolderExists(const QString& path);
bool MakeFolder(const QString& path);           // with missing parents
bool RemoveFile(const QString& path);            // true when gone afterwards
bool RemoveFolder(const QString& path);          // whole tree
// Copies src to dst; when dst exists it is replaced only if `overwrite`.
bool CopyFile(const QString& src, const QString& dst, bool overwrite, QString* error = nullptr);
// Writes the bytes to a temporary file beside `path`, syncs it, renames it
// over the target and syncs the folder. Temporaries that earlier writers of
// the same file left behind (killed mid-write) are removed on the way. On a
// failure the old file is untouched and `error` says why in words the user
// understands ("The disk is full.").
bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* error = nullptr);
bool WriteFileSafely(const QString& path, const char* data, qint64 size, QString* error = nullptr);
// A file written in pieces (an archive as it is packed), by the same route:
// the locked temporary beside the target is synced and renamed over it
// only by Commit. Destroyed or cancelled before that, it leaves the target
// as it was and no temporary behind. After a failed Write the file is
// cancelled.
class SafeFile {
public:
    SafeFile();
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;
    bool Open(const QString& path, QString* error = nullptr);
    bool Write(const char* data, qint64 size, QString* error = nullptr);
    qint64 Seek(qint64 offset, int whence);   // as lseek; -1 on failure
    bool Commit(QString* error = nullptr);
    void Cancel();
private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
// Removes from `folder` the temporaries of every file that writers killed
// mid-write left there (a write removes only those of its own file).
void RemoveStaleTemporaries(const QString& folder);
bool ReadFile(const QString& path, QByteArray* bytes, QString* error = nullptr);
// The reason for a failed system call, for a message to the user.
QString ErrorText(int errnoValue);
// Joins a folder and a name with exactly one separator between them.
QString Join(const QString& folder, const QString& name);
// Makes sure a folder text ends with the separator.
QString WithTrailingSlash(const QString& folder);
// A name that may be used as one file name inside a folder: not empty, no
// separator ("/", nor "\" which Windows-born names use as one), not "." or
// "..", no control characters, at most 255 bytes in UTF-8.
bool IsSafeFileName(const QString& name);
}

#pragma once
// File-system operations the windows use, in one place.

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

namespace FileOps {
// Who may read a file that is written: everyone the folder lets in (a file
// that is replaced keeps its permissions), or its owner alone (settings,
// mail logs: they hold passwords and whole messages).
enum class Access { Shared, OwnerOnly };

bool FileExists(const QString& path);
bool FolderExists(const QString& path);
// With missing parents; false (with the reason when one is known) when the
// folder is not there afterwards.
bool MakeFolder(const QString& path, QString* error = nullptr);
bool RemoveFile(const QString& path);            // true when gone afterwards
bool RemoveFolder(const QString& path);          // whole tree
// Copies src to dst; when dst exists it is replaced only if `overwrite`.
bool CopyFile(const QString& src, const QString& dst, bool overwrite, QString* error = nullptr);
// Writes the bytes to a temporary file beside `path`, syncs it, renames it
// over the target and syncs the folder. The temporary is created with the
// file's final permissions, so no other user can open it in between.
// Temporaries that earlier writers of the same file left behind (killed
// mid-write) are removed on the way. On a failure `error` says why in words
// the user understands ("The disk is full.") and the old file is untouched,
// unless only the folder's sync after the rename failed (SafeFile::Placed
// tells that one apart).
bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                     Access access = Access::Shared);
bool WriteFileSafely(const QString& path, const char* data, qint64 size, QString* error = nullptr,
                     Access access = Access::Shared);
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
    // The file took the target's place, even when Commit then failed to
    // sync the folder: the target holds the new bytes, not the old ones.
    bool Placed() const;
    void Cancel();
private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
// Removes from `folder` the temporaries of every file that writers killed
// mid-write left there (a write removes only those of its own file).
void RemoveStaleTemporaries(const QString& folder);
bool ReadFile(const QString& path, QByteArray* bytes, QString* error = nullptr);
// The same file handed to `piece` a part at a time (a megabyte at most), in
// order, so it is never held whole; false, with the reason, when it cannot
// be read to its end.
using Piece = std::function<void(const char* data, qint64 size)>;
bool ReadFilePieces(const QString& path, const Piece& piece, QString* error = nullptr);

// What the file system says of a file, to tell later whether it changed.
// Every change of a file's bytes moves its change time, which no program can
// set back; the one change a stamp can miss is one made within the same tick
// of the file system's clock as the stamp's own time. `conclusive` says that
// cannot happen: the file lies on a local file system and either the clock
// had moved past the file's change time when the stamp was taken, or the
// file system stamps with finer times than that clock (and then gives a file
// looked at since its last change a new time at its next one). When it is
// false, only the file's bytes can tell.
struct FileStamp {
    bool exists = false;   // a regular file
    quint64 device = 0, inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0, changedNs = 0;
    bool conclusive = false;
};
FileStamp Stamp(const QString& path);
// Both stamps are of the same file, unchanged in between, as far as `then`
// being conclusive lets the stamps alone tell.
bool Unchanged(const FileStamp& then, const FileStamp& now);
// The reason for a failed system call, for a message to the user.
QString ErrorText(int errnoValue);

// Below a guarded folder (the folder of an open database, Quillon's own data
// folder) every name is one Quillon derives itself, and no file there is
// read, written, copied, made or removed through a symbolic link: a link
// planted beside a database must not send its list file, its task lists or
// its documents somewhere else, nor bring a foreign file in. Such an access
// fails with a message that names the link. The folder is guarded (under
// its real name, links resolved) while the object lives.
class GuardedFolder {
public:
    explicit GuardedFolder(const QString& folder);
    ~GuardedFolder();
    GuardedFolder(const GuardedFolder&) = delete;
    GuardedFolder& operator=(const GuardedFolder&) = delete;
    QString Folder() const { return folder_; }

private:
    QString folder_;
};
// Why `path` may not be used: it lies below a guarded folder and the path,
// or a folder on the way to it, is a link. "" when it may be used.
QString LinkProblem(const QString& path);
// The file a path names, every link on the way resolved; for a file that
// does not exist (yet), its resolved folder and its own name.
QString Resolve(const QString& path);
// The per-user folder of the files Quillon writes for itself (the current
// skin, the mail logs): its owner's alone (0700), real name, guarded.
// Files an older Quillon left in its earlier place are brought over once.
QString DataFolder();

// Joins a folder and a name with exactly one separator between them.
QString Join(const QString& folder, const QString& name);
// Makes sure a folder text ends with the separator.
QString WithTrailingSlash(const QString& folder);
// A name that may be used as one file name inside a folder: not empty, no
// separator ("/", nor "\" which Windows-born names use as one), not "." or
// "..", no control characters, at most 255 bytes in UTF-8.
bool IsSafeFileName(const QString& name);
}

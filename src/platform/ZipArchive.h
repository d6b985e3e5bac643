#pragma once
// Zip archives on libzip: the operations the backup and restore windows use
// (create, add files by pattern, list, extract one entry, close) with
// progress that another thread may read while the work runs.
//
// A new archive is written through FileOps' safe route (a locked temporary
// beside its path, synced and renamed over it only when complete), so an
// existing archive survives a failed, empty or killed backup. The
// entries are compressed in parallel (raw deflate, level 6) and handed to
// libzip already compressed, which writes them as they come.

#include <QDateTime>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// Read by the window's timer while a worker thread runs; `cancel` is the
// only field the window writes.
struct ZipProgress {
    std::atomic<int> overall{0};   // whole operation, 0..100
    std::atomic<int> file{0};      // current file, 0..100
    std::atomic<bool> cancel{false};
    void Reset() { overall = 0; file = 0; cancel = false; }
    // Moves the overall bar up to `percent`, never down: several workers
    // report, and a large file moves it while it is written.
    void RaiseOverall(int percent) {
        int now = overall.load();
        while (now < percent && !overall.compare_exchange_weak(now, percent)) {
        }
    }
};

struct ZipEntry {
    QString name;            // as stored ("Tasks/T1.tsk", "/home/me/db/a.vkt", "Photos/")
    QDateTime date;          // modification time, local
    qint64 size = 0;
    qint64 compressedSize = 0;
    QString comment;
    quint32 crc = 0;
    bool directory = false;  // name ends with '/'
    bool symlink = false;    // stored as a symbolic link (Unix attributes)
};

// A file or folder a backup met and did not take, and why ("a link, not
// followed", "a named pipe (FIFO), not a file").
struct LeftOutEntry {
    QString path;
    QString why;
};

class ZipArchive {
public:
    ZipArchive();
    ~ZipArchive();   // an archive still open is discarded, never half-written
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Entries carry full paths (true) or paths relative to BaseFolder.
    bool UseFullPaths = false;
    QString BaseFolder;
    // Files that are never added (the archive being written, for one).
    QStringList Exclude;
    // What AddFiles met and did not take, for the user to be told: links
    // (a file that is one, a folder below the base folder that is one),
    // anything that is neither a file nor a folder (a pipe, a socket, a
    // device), a folder or a file that cannot be read, a name that is not UTF-8 text
    // (its entry could not carry it), and a name NameProblem refuses.
    QList<LeftOutEntry> LeftOut;
    // Why an entry name could not be taken back by a restore, or "".
    std::function<QString(const QString& entryName)> NameProblem;
    ZipProgress* Progress = nullptr;
    // Worker threads for compressing (0: up to four, as the machine has).
    int Threads = 0;
    // Files larger than this are not compressed ahead in memory: libzip
    // reads them from the disk and compresses them as it writes.
    qint64 StreamAbove = 32LL * 1024 * 1024;

    // Begins a new, empty archive at `path`; nothing is written until Close.
    bool CreateArchive(const QString& path);
    // Opens an existing archive for listing and extracting.
    bool OpenArchive(const QString& path);

    // Adds every file in the pattern's folder whose name matches its
    // wildcard (case ignored; "*.*" takes every name), and with `recursive`
    // those in its subfolders too. Only files are added: links are not
    // followed, and they, whatever else matches that is no file, and the
    // pattern's folder when it is a link (other than BaseFolder itself) go
    // to LeftOut. A pattern that matches nothing adds nothing and is no
    // failure.
    bool AddFiles(const QString& pattern, bool recursive = false);
    // Adds one file under the given entry name.
    bool AddFile(const QString& path, const QString& entryName);
    int PendingCount() const;   // files added to a new archive so far

    int EntryCount() const;
    ZipEntry Entry(int index) const;
    QString EntryName(int index) const { return Entry(index).name; }
    QDateTime EntryDate(int index) const { return Entry(index).date; }
    qint64 EntrySize(int index) const { return Entry(index).size; }
    qint64 EntryCompressedSize(int index) const { return Entry(index).compressedSize; }

    // Writes entry `index` to the new file `path` (which must not exist)
    // and checks its length and CRC; on any failure the file is removed.
    // No more than the entry's stated size is ever written, whatever its
    // data inflates to. Adds the bytes written to `*bytesDone` as it goes.
    bool ExtractEntry(int index, const QString& path, std::atomic<qint64>* bytesDone = nullptr);
    // The bytes the whole restore writes: with it, `bytesDone` moves the
    // overall bar while a large entry is written.
    qint64 OverallBytes = 0;

    // For a new archive: compresses and writes every added file, then puts
    // the archive in place. An archive with no entries is not written (and
    // an existing file at the path is left alone). Always releases the
    // archive; false with Error() set when it could not be finished.
    bool CloseArchive();
    // Releases the archive without writing anything.
    void Discard();

    bool IsOpen() const;
    QString Error() const { return error_; }
    // The last failure was a write that found no room (or a file-size limit).
    bool DiskFull() const { return diskFull_; }

    // Removes from `folder` the temporaries of archives whose writers were
    // killed: ours, and the "<name>.zip.XXXXXX" files older versions left
    // (nothing in them, or the start of a zip archive that never got its
    // end, not written to for a minute). Files another process is writing,
    // and whole archives whatever their names, are left alone.
    static void RemoveLeftovers(const QString& folder);

private:
    void SetWriteError(const QString& text, int errnoValue);
    struct Impl;
    std::unique_ptr<Impl> d;
    QString error_;
    bool diskFull_ = false;
};

namespace ZipNames {
QRegularExpression Expression(const QString& wildcard);
// Wildcard match as Windows does it on file names: '*' and '?', case
// ignored, and "*.*" matching every name, with or without a dot.
bool Matches(const QString& wildcard, const QString& name);
}

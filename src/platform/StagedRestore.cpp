#include "platform/StagedRestore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileOps.h"
#include "platform/ZipArchive.h"

namespace StagedRestore {

namespace {

const QString kPrefix = QStringLiteral(".quillon-restore-");
const QString kDoneSuffix = QStringLiteral("-done");
// Notes beside the staging folder's name: completed by the restore itself,
// or finished by a sweep after a crash.
const QString kCompleteSuffix = QStringLiteral("-complete");
const QString kFinishedSuffix = QStringLiteral("-finished");
const QString kJournal = QStringLiteral("journal");
const QString kUndoMarker = QStringLiteral("undo");
const QString kNew = QStringLiteral("new");
const QString kOld = QStringLiteral("old");
// Version 1 journals held the names as they are; a name with a newline in
// it broke its line. Version 2 writes '%', CR and LF as %25, %0D and %0A.
const QByteArray kHeader = "quillon-restore 2";
const QByteArray kHeaderPlain = "quillon-restore 1";
// A staging folder this young, of a process that is alive, may not be
// locked yet: its restore is starting.
constexpr int kYoungSeconds = 10;

QByteArray Local(const QString& path) { return QFile::encodeName(path); }

enum class Kind { Missing, Folder, File, Link };

Kind KindOf(const QString& path, struct stat* out = nullptr) {
    struct stat st {};
    if (::lstat(Local(path).constData(), &st) != 0) return Kind::Missing;
    if (out) *out = st;
    if (S_ISLNK(st.st_mode)) return Kind::Link;
    if (S_ISDIR(st.st_mode)) return Kind::Folder;
    return Kind::File;
}

// A rename that never replaces what is at the target: a file that turned up
// there meanwhile is not lost, the step fails instead.
int Rename(const QString& from, const QString& to) {
    const QByteArray a = Local(from), b = Local(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the flag.
    if (KindOf(to) != Kind::Missing) return EEXIST;
    return ::rename(a.constData(), b.constData()) == 0 ? 0 : errno;
}

void SyncFolder(const QString& folder) {
    const int fd = ::open(Local(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Everything written on the staging folder's file system reaches the disk:
// one call instead of one per file.
bool SyncFileSystem(int fd, QString* error) {
    if (::syncfs(fd) == 0 || errno != EIO) return true;
    if (error) *error = FileOps::ErrorText(EIO);
    return false;
}

bool Alive(qint64 pid) { return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM); }

qint64 PidOf(const QString& name) {
    static const QRegularExpression rx(QStringLiteral("^\\.quillon-restore-(\\d+)-[A-Za-z0-9]{6}(-done)?$"));
    const auto m = rx.match(name);
    return m.hasMatch() ? m.captured(1).toLongLong() : 0;
}

struct Paths {
    QString dest, fresh, aside;
};

Paths PathsOf(const QString& base, const QString& staging, const QString& relative) {
    return {FileOps::Join(base, relative), FileOps::Join(FileOps::Join(staging, kNew), relative),
            FileOps::Join(FileOps::Join(staging, kOld), relative)};
}

QString Failed(const QString& what, const QString& path, int why) {
    return QStringLiteral("\"%1\" could not be %2: %3").arg(path, what, FileOps::ErrorText(why));
}

// One unit put in place: the original (if any) aside, the new one in.
// Done already, it does nothing.
bool Forward(const Paths& p, QString* error) {
    if (KindOf(p.fresh) == Kind::Missing) return true;
    if (KindOf(p.dest) != Kind::Missing) {
        QDir().mkpath(QFileInfo(p.aside).path());
        if (const int e = Rename(p.dest, p.aside)) {
            *error = Failed(QStringLiteral("moved aside"), p.dest, e);
            return false;
        }
    }
    if (const int e = Rename(p.fresh, p.dest)) {
        *error = Failed(QStringLiteral("put in place"), p.dest, e);
        return false;
    }
    return true;
}

// One unit taken back: the new one out, the original back in. Undone
// already (or never done), it does nothing.
bool Back(const Paths& p, QString* error) {
    if (KindOf(p.fresh) == Kind::Missing && KindOf(p.dest) != Kind::Missing) {
        if (const int e = Rename(p.dest, p.fresh)) {
            *error = Failed(QStringLiteral("taken back"), p.dest, e);
            return false;
        }
    }
    if (KindOf(p.aside) != Kind::Missing) {
        if (const int e = Rename(p.aside, p.dest)) {
            *error = Failed(QStringLiteral("put back"), p.dest, e);
            return false;
        }
    }
    return true;
}

bool BackAll(const QString& base, const QString& staging, const QStringList& units, QString* error) {
    bool ok = true;
    // Every unit is tried, so one that cannot go back keeps no other from it.
    for (auto it = units.crbegin(); it != units.crend(); ++it) {
        QString why;
        if (!Back(PathsOf(base, staging, *it), &why)) {
            if (ok && error) *error = why;
            ok = false;
        }
    }
    return ok;
}

// The staging folder goes: first renamed to a name that says it is done
// (and that rename synced), so that a removal cut short can never leave a
// journal beside half of the files it speaks of.
void Remove(const QString& base, const QString& staging) {
    QString target = staging;
    if (!staging.endsWith(kDoneSuffix)) {
        target = staging + kDoneSuffix;
        if (Rename(staging, target) != 0) target = staging;
        SyncFolder(base);
    }
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(Local(target).toStdString()), ec);
}

// A note on the disk, locked while held; it goes when the holder lets go.
struct NoteFile {
    QString path;   // set once the note is this holder's to remove
    int fd = -1;
    ~NoteFile() {
        if (!path.isEmpty()) ::unlink(Local(path).constData());
        if (fd >= 0) ::close(fd);   // after the unlink, so no sweep takes it in between
    }
};

QString NoteText(const QString& base, const QString& suffix) {
    if (suffix == kFinishedSuffix)
        return QStringLiteral("A restore into \"%1\" was interrupted (Quillon was stopped or the computer lost power). "
                              "It has now been finished: every file of the backup is in place.")
            .arg(base);
    return QStringLiteral("A restore into \"%1\" was interrupted after it had put every file of the backup in place. "
                          "It is complete.")
        .arg(base);
}

// Every unit of the restore is in place: its journal becomes the note that
// says so, beside the staging folder, before anything of it is removed.
// Locked first, so no sweep takes it while this process holds it.
Notes LeaveNote(const QString& base, const QString& staging, const QString& suffix) {
    const QString journal = FileOps::Join(staging, kJournal);
    auto note = std::make_shared<NoteFile>();
    note->fd = ::open(Local(journal).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (note->fd < 0 || ::flock(note->fd, LOCK_EX | LOCK_NB) != 0 || Rename(journal, staging + suffix) != 0) return nullptr;
    note->path = staging + suffix;
    SyncFolder(base);
    return note;
}

bool HasNote(const QString& staging) {
    return KindOf(staging + kCompleteSuffix) == Kind::File || KindOf(staging + kFinishedSuffix) == Kind::File;
}

// Every entry below `folder`, folders included, relative to it.
QList<Entry> Walk(const QString& folder) {
    QList<Entry> entries;
    const QDir root(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo& info = it.fileInfo();
        entries.push_back({root.relativeFilePath(it.filePath()), info.isDir() && !info.isSymLink()});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.relative < b.relative; });
    return entries;
}

// The units that put `entries` into `base`: each file that replaces one,
// and each topmost folder that is missing there (it moves whole).
QStringList Units(const QString& base, const QList<Entry>& entries) {
    QStringList units;
    QSet<QString> seen;
    QHash<QString, bool> exists;
    auto there = [&](const QString& relative) {
        auto it = exists.constFind(relative);
        if (it != exists.constEnd()) return it.value();
        const bool e = KindOf(FileOps::Join(base, relative)) != Kind::Missing;
        exists.insert(relative, e);
        return e;
    };
    for (const Entry& e : entries) {
        const QStringList parts = e.relative.split(QLatin1Char('/'));
        QString prefix;
        bool missing = false;
        for (int i = 0; i < parts.size() && !missing; ++i) {
            prefix = i == 0 ? parts[i] : prefix + QLatin1Char('/') + parts[i];
            missing = !there(prefix);
        }
        const QString unit = missing ? prefix : e.folder ? QString() : e.relative;
        if (!unit.isEmpty() && !seen.contains(unit)) {
            seen.insert(unit);
            units << unit;
        }
    }
    return units;
}

bool ValidUnit(const QString& relative) {
    if (relative.isEmpty() || relative.startsWith(QLatin1Char('/'))) return false;
    const QStringList parts = relative.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..")) return false;
    }
    return !parts.first().startsWith(kPrefix);
}

QByteArray JournalOf(const QStringList& units) {
    QByteArray journal = kHeader + '\n';
    for (const QString& unit : units)
        journal += unit.toUtf8().replace('%', "%25").replace('\r', "%0D").replace('\n', "%0A") + '\n';
    journal += "end " + QByteArray::number(units.size()) + '\n';
    return journal;
}

bool ParseJournal(const QByteArray& bytes, QStringList* units) {
    QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 3 || !lines.last().isEmpty()) return false;
    const bool escaped = lines.first() == kHeader;
    if (!escaped && lines.first() != kHeaderPlain) return false;
    lines.removeLast();
    const QByteArray end = lines.takeLast();
    lines.removeFirst();
    if (end != "end " + QByteArray::number(lines.size())) return false;
    for (const QByteArray& line : lines) {
        const QString unit = QString::fromUtf8(escaped ? QByteArray::fromPercentEncoding(line) : line);
        if (!ValidUnit(unit)) return false;
        *units << unit;
    }
    return true;
}

unsigned FlagsOf(const QString& path) {
    const int fd = ::open(Local(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return 0;
    unsigned flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) flags = 0;
    ::close(fd);
    return flags;
}

QString Unchangeable(const QString& path) {
    const unsigned flags = FlagsOf(path);
    if (flags & FS_IMMUTABLE_FL) return QStringLiteral("\"%1\" is marked unchangeable (immutable)").arg(path);
    if (flags & FS_APPEND_FL) return QStringLiteral("\"%1\" is marked append-only").arg(path);
    return QString();
}

}  // namespace

// ------------------------------------------------------------------ Check

QStringList Check(const QString& base, const QList<Entry>& entries) {
    QStringList problems;
    struct stat baseSt {};
    if (KindOf(base, &baseSt) != Kind::Folder) return {QStringLiteral("\"%1\" is not a folder").arg(base)};
    QHash<QString, Kind> kinds{{QString(), Kind::Folder}};
    QHash<QString, struct stat> stats{{QString(), baseSt}};
    auto kind = [&](const QString& relative) {
        auto it = kinds.constFind(relative);
        if (it != kinds.constEnd()) return it.value();
        struct stat st {};
        const Kind k = KindOf(FileOps::Join(base, relative), &st);
        kinds.insert(relative, k);
        stats.insert(relative, st);
        return k;
    };
    QSet<QString> checkedFolders;
    // A folder that receives a unit must take a new name and let one go.
    auto checkFolder = [&](const QString& relative) {
        if (checkedFolders.contains(relative)) return;
        checkedFolders.insert(relative);
        const QString path = relative.isEmpty() ? base : FileOps::Join(base, relative);
        if (::access(Local(path).constData(), W_OK | X_OK) != 0) {
            problems << QStringLiteral("\"%1\" cannot be written: %2").arg(path, FileOps::ErrorText(errno));
            return;
        }
        if (stats.value(relative).st_dev != baseSt.st_dev) {
            problems << QStringLiteral("\"%1\" lies on another disk than \"%2\"").arg(path, base);
            return;
        }
        const QString locked = Unchangeable(path);
        if (!locked.isEmpty()) problems << locked;
    };
    checkFolder(QString());
    for (const Entry& e : entries) {
        const QStringList parts = e.relative.split(QLatin1Char('/'));
        QString prefix;
        bool blocked = false, missing = false;
        for (int i = 0; i + 1 < parts.size() && !blocked && !missing; ++i) {
            const QString next = i == 0 ? parts[i] : prefix + QLatin1Char('/') + parts[i];
            const Kind k = kind(next);
            if (k == Kind::Missing) {
                missing = true;
            } else if (k != Kind::Folder) {
                problems << QStringLiteral("\"%1\" is a file or a link, not a folder").arg(FileOps::Join(base, next));
                blocked = true;
            } else {
                prefix = next;
            }
        }
        if (blocked) continue;
        // `prefix` is now the deepest folder on the way that exists: the one
        // the unit is renamed into.
        checkFolder(prefix);
        if (missing) continue;
        const QString dest = FileOps::Join(base, e.relative);
        const Kind k = kind(e.relative);
        if (e.folder && k != Kind::Missing && k != Kind::Folder) {
            problems << QStringLiteral("\"%1\" is a file or a link, not a folder").arg(dest);
        } else if (!e.folder && k == Kind::Folder) {
            problems << QStringLiteral("\"%1\" is a folder").arg(dest);
        } else if (!e.folder && k == Kind::File) {
            const struct stat& st = stats[e.relative];
            const struct stat& folder = stats[prefix];
            const uid_t me = ::geteuid();
            if ((folder.st_mode & S_ISVTX) && me != 0 && st.st_uid != me && folder.st_uid != me)
                problems << QStringLiteral("\"%1\" belongs to another user").arg(dest);
            else if (S_ISREG(st.st_mode) && !Unchangeable(dest).isEmpty())
                problems << Unchangeable(dest);
        }
    }
    problems.removeDuplicates();
    return problems;
}

// ------------------------------------------------------------------ Transaction

struct Transaction::Impl {
    QString base, staging;
    int fd = -1;
    bool finished = false;   // committed, or rolled back and removed
    bool kept = false;       // could not be undone: left for the next sweep
    Notes note;              // committed: the note that says so
};

std::unique_ptr<Transaction> Transaction::Begin(const QString& base, QString* error) {
    const QByteArray pattern = Local(FileOps::Join(base, kPrefix + QString::number(::getpid()) + QStringLiteral("-XXXXXX")));
    std::vector<char> name(pattern.constData(), pattern.constData() + pattern.size() + 1);
    if (!::mkdtemp(name.data())) {
        if (error) *error = QStringLiteral("\"%1\" cannot be written: %2").arg(base, FileOps::ErrorText(errno));
        return nullptr;
    }
    std::unique_ptr<Transaction> t(new Transaction);
    t->d = std::make_unique<Impl>();
    t->d->base = base;
    t->d->staging = QFile::decodeName(name.data());
    t->d->fd = ::open(name.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (t->d->fd < 0 || ::flock(t->d->fd, LOCK_EX) != 0 || !QDir().mkdir(t->NewFolder())) {
        if (error) *error = QStringLiteral("\"%1\" cannot be written: %2").arg(base, FileOps::ErrorText(errno));
        return nullptr;   // the destructor removes what was made
    }
    return t;
}

Transaction::~Transaction() {
    if (!d) return;
    if (!d->finished && !d->kept) Remove(d->base, d->staging);
    if (d->fd >= 0) ::close(d->fd);   // releases the lock, last
}

bool Transaction::Kept() const { return d->kept; }

Notes Transaction::Note() const { return d->note; }

QString Transaction::NewFolder() const { return FileOps::Join(d->staging, kNew); }

bool Transaction::Commit(QString* error) {
    QString why;
    // The new files are on the disk before any name points at them.
    if (!SyncFileSystem(d->fd, &why)) {
        *error = why;
        return false;
    }
    const QList<Entry> entries = Walk(NewFolder());
    const QStringList problems = Check(d->base, entries);
    if (!problems.isEmpty()) {
        *error = problems.join(QLatin1Char('\n'));
        return false;
    }
    const QStringList units = Units(d->base, entries);
    // The plan is on the disk before the first move: from here on a crash
    // is finished by the next sweep.
    if (!FileOps::WriteFileSafely(FileOps::Join(d->staging, kJournal), JournalOf(units), &why)) {
        *error = QStringLiteral("the restore could not write its journal: %1").arg(why);
        return false;
    }
    for (const QString& unit : units) {
        if (Forward(PathsOf(d->base, d->staging, unit), &why)) continue;
        // Undo. A crash while undoing is undone by the sweep too.
        FileOps::WriteFileSafely(FileOps::Join(d->staging, kUndoMarker), QByteArray());
        QString backWhy;
        if (!BackAll(d->base, d->staging, units, &backWhy)) {
            d->kept = true;
            *error = QStringLiteral("%1. Putting the original files back failed too: %2. Quillon tries again the next "
                                    "time it opens a database or restores in \"%3\".")
                         .arg(why, backWhy, d->base);
            return false;
        }
        SyncFileSystem(d->fd, nullptr);
        *error = why;
        return false;
    }
    if (!SyncFileSystem(d->fd, &why)) {
        // Every file is in place; only the disk's confirmation is missing.
        d->kept = true;
        *error = why;
        return false;
    }
    d->note = LeaveNote(d->base, d->staging, kCompleteSuffix);
    Remove(d->base, d->staging);
    d->finished = true;
    return true;
}

// ------------------------------------------------------------------ Sweep

namespace {

// What a look at a folder finds of restores: the names of the staging
// folders (links to folders are none), and of everything else under the
// prefix, which may be a note.
struct Listing {
    QStringList staging, others;
};

Listing ListRestores(const QString& folder) {
    Listing listing;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        {kPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (!entry.isDir()) listing.others << entry.fileName();
        else if (!entry.isSymLink()) listing.staging << entry.fileName();
    }
    return listing;
}

QStringList Joined(const QString& folder, const QStringList& names) {
    QStringList paths;
    for (const QString& name : names) paths << FileOps::Join(folder, name);
    return paths;
}

}  // namespace

QStringList StagingFolders(const QString& folder) { return Joined(folder, ListRestores(folder).staging); }

namespace {

QString Recover(const QString& base, const QString& staging, const Claim& claim, Notes* note) {
    const QString name = QFileInfo(staging).fileName();
    const int fd = ::open(Local(staging).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return QString();
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    // Another user's restore, or one still running: not ours to touch.
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || ::flock(fd, LOCK_EX | LOCK_NB) != 0) return QString();
    if (name.endsWith(kDoneSuffix)) {
        // Ended already; only its working files were left. One that had put
        // every file in place left a note first, which says so.
        Remove(base, staging);
        return QString();
    }
    const qint64 pid = PidOf(name);
    const QString journalPath = FileOps::Join(staging, kJournal);
    const bool journaled = KindOf(journalPath) == Kind::File;
    if (!journaled && Alive(pid) && ::time(nullptr) - st.st_mtime < kYoungSeconds) return QString();
    if (!journaled) {
        const bool noted = HasNote(staging);
        Remove(base, staging);
        // Its journal became the note that it completed: the note speaks.
        if (noted) return QString();
        // Older versions' staging folders carry no process number and no
        // journal: nothing can be said of them.
        if (pid == 0) return QString();
        return QStringLiteral("A restore into \"%1\" was interrupted before it had replaced any file. The folder is as it "
                              "was before that restore.")
            .arg(base);
    }
    QByteArray bytes;
    QStringList units;
    if (!FileOps::ReadFile(journalPath, &bytes) || !ParseJournal(bytes, &units))
        return QStringLiteral("A restore into \"%1\" was interrupted, and its journal \"%2\" cannot be read, so Quillon "
                              "cannot tell which files it replaced. Its files are kept in \"%3\".")
            .arg(base, journalPath, staging);
    QStringList files;
    for (const QString& unit : units) files << FileOps::Join(base, unit);
    QString why;
    std::shared_ptr<void> held = claim ? claim(files, &why) : std::make_shared<int>(0);
    if (!held)
        return QStringLiteral("A restore into \"%1\" was interrupted and cannot be finished now: %2\nQuillon finishes it "
                              "the next time it opens a database or restores in that folder.")
            .arg(base, why);

    bool undo = KindOf(FileOps::Join(staging, kUndoMarker)) != Kind::Missing;
    QString forwardWhy;
    if (!undo) {
        for (const QString& unit : units) {
            if (!Forward(PathsOf(base, staging, unit), &forwardWhy)) {
                FileOps::WriteFileSafely(FileOps::Join(staging, kUndoMarker), QByteArray());
                undo = true;
                break;
            }
        }
    }
    if (undo && !BackAll(base, staging, units, &why))
        return QStringLiteral("A restore into \"%1\" was interrupted, and could neither be finished nor undone: %2. "
                              "The files it moved are kept in \"%3\"; Quillon tries again the next time it opens a "
                              "database or restores in that folder.")
            .arg(base, why, staging);
    if (!SyncFileSystem(fd, &why))
        return QStringLiteral("A restore into \"%1\" was interrupted, and putting it right could not be saved to the "
                              "disk: %2").arg(base, why);
    if (!undo) {
        *note = LeaveNote(base, staging, kFinishedSuffix);
        Remove(base, staging);
        return NoteText(base, kFinishedSuffix);
    }
    Remove(base, staging);
    if (!forwardWhy.isEmpty())
        return QStringLiteral("A restore into \"%1\" was interrupted and could not be finished: %2. It has been undone: "
                              "every file is as it was before the restore.")
            .arg(base, forwardWhy);
    return QStringLiteral("A restore into \"%1\" was interrupted while it was being undone. It has now been undone: "
                          "every file is as it was before the restore.")
        .arg(base);
}

// The notes among `names` in `folder` that no process holds: each one's
// message, its note held in `keep`.
void ReadNotes(const QString& folder, const QStringList& names, QStringList* told, Notes* keep) {
    for (const QString& name : names) {
        const QString suffix = name.endsWith(kCompleteSuffix)   ? kCompleteSuffix
                               : name.endsWith(kFinishedSuffix) ? kFinishedSuffix
                                                                : QString();
        if (suffix.isEmpty()) continue;
        const QString path = FileOps::Join(folder, name);
        auto note = std::make_shared<NoteFile>();
        note->fd = ::open(Local(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat st {};
        // Another user's, held by the process telling of it now, or gone
        // since it was listed: not this sweep's to say.
        if (note->fd < 0 || ::flock(note->fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(note->fd, &st) != 0 ||
            !S_ISREG(st.st_mode) || st.st_nlink == 0 || st.st_uid != ::geteuid())
            continue;
        note->path = path;
        *told << NoteText(folder, suffix);
        *keep = Together(*keep, note);
    }
}

}  // namespace

Notes Together(Notes a, Notes b) {
    if (!a) return b;
    if (!b) return a;
    return std::make_shared<std::pair<Notes, Notes>>(std::move(a), std::move(b));
}

QStringList Sweep(const QString& folder, const Claim& claim, Notes* keep) {
    QStringList told;
    if (folder.isEmpty() || KindOf(folder) == Kind::Missing) return told;
    ZipArchive::RemoveLeftovers(folder);
    const QString base = QDir::cleanPath(folder);
    // One look for both: a note a recovery below leaves is held by it, so a
    // look after the recoveries would pass it over all the same.
    const Listing listing = ListRestores(folder);
    Notes notes;
    for (const QString& staging : Joined(folder, listing.staging)) {
        Notes note;
        const QString message = Recover(base, staging, claim, &note);
        if (!message.isEmpty()) told << message;
        notes = Together(notes, note);
    }
    ReadNotes(base, listing.others, &told, &notes);
    if (keep) *keep = Together(*keep, notes);
    return told;
}

}  // namespace StagedRestore

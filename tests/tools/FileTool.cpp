// quillon_filetool: drives the file layer from several processes at once and
// kills writers mid-save, to show that nothing is lost or damaged.
//
//   quillon_filetool two-process list|counter N
//       Two processes add N list entries each to one list file (1..N each;
//       every entry must be there) or take N task numbers each from the
//       counter (2N distinct numbers).
//   quillon_filetool crash-test grid|settings|list|backup|restore|all KILLS [FOLDER]
//       Starts a writer that saves in a loop, kills it with SIGKILL at a
//       random moment, and checks that the file loads and holds the last
//       save the writer reported or the one it was making; KILLS times.
//       backup: the archive is the last complete backup or the one being
//       made, never a part of one. restore: after the kill the database is
//       opened (which finishes or undoes the interrupted restore; now and
//       then that open is killed too, and the next one puts it right), and
//       every file then comes from one and the same backup, the last one
//       restored or the one being restored, and a restore that completed
//       unreported is said complete. removal: kills a restore at points
//       spread over the removal of its working files; the next open says
//       it completed, once. No leftover remains after the next save, backup
//       or open.
//
// The worker commands the two above start: list-add FILE PREFIX N,
// counter-take N, save-loop KIND PATH FROM, restore-loop FOLDER FROM
// ARCHIVE..., restore-once FOLDER ARCHIVE, open-db PATH.
// Exit status 0 when every check held; the summary goes to stdout.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <functional>
#include <iostream>
#include <sys/inotify.h>
#include <unistd.h>

#include "model/database/TaskColumns.h"
#include "model/database/TaskDatabase.h"
#include "model/lists/ListFile.h"
#include "platform/Grid.h"
#include "platform/GridFile.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "platform/StagedRestore.h"
#include "model/tasks/TaskRecord.h"
#include "model/backup/BackupArchive.h"
#include "model/backup/RestoreArchive.h"
#include "support/Inotify.h"

namespace {

constexpr int kFixedEntries = 200;   // entries every generation keeps
constexpr int kGridRows = 200;
constexpr int kGridCols = 6;

void Say(const QByteArray& line) {
    const QByteArray out = line + '\n';
    // Unbuffered: whatever was printed before a kill is what the parent sees.
    if (::write(STDOUT_FILENO, out.constData(), size_t(out.size())) < 0) {}
}

QString Self() { return QCoreApplication::applicationFilePath(); }

// ------------------------------------------------------------ what is saved

QString SettingsFile(const QString& folder) { return folder + "/HKEY_CURRENT_USER.ini"; }

Grid GridOf(qint64 gen) {
    Grid g(1, kGridCols);
    g.SetText(0, 1, "Generation");
    g.SetText(0, 2, QString::number(gen));
    g.SetRows(kGridRows + 1);
    for (int r = 1; r <= kGridRows; ++r)
        for (int c = 1; c < kGridCols; ++c)
            g.SetText(r, c, QStringLiteral("g%1 r%2 c%3 \t\\ ü").arg(gen).arg(r).arg(c));
    return g;
}

// ------------------------------------------------------------ database folders

constexpr int kTasks = 150;
constexpr int kPhotos = 4;

// A task database whose tasks carry the generation.
Grid DatabaseOf(qint64 gen) {
    Grid g;
    TaskDatabase::SetHeaders(g);
    g.SetRows(kGridRows + 1);
    for (int r = 1; r <= kGridRows; ++r) {
        g.SetText(r, Col::TaskId, QStringLiteral("ID-%1").arg(r));
        g.SetText(r, Col::Equipment, QStringLiteral("generation %1").arg(gen));
    }
    return g;
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

QByteArray Serialized(const Grid& g) { return QByteArray::fromStdString(GridFile::Serialize(g)); }

// A database folder of one generation: the database, its list file, its
// tasks' files and photos, every one of them saying which generation it is.
// (Written plainly: these are the backups' sources, not what is tested.)
void MakeDatabaseFolder(const QString& folder, int gen) {
    QDir().mkpath(folder + "/plant/Tasks");
    QDir().mkpath(folder + "/plant/Materials");
    QDir().mkpath(folder + "/Photos");
    Put(folder + "/plant.vkt", Serialized(DatabaseOf(gen)));
    Put(folder + "/plant.ini", QByteArray("[Equipment]\nGeneration=") + QByteArray::number(gen) + "\n");
    for (int t = 1; t <= kTasks; ++t) {
        Put(folder + QStringLiteral("/plant/Tasks/ID-%1.tsk").arg(t), Serialized(GridOf(gen * 1000 + t)));
        Put(folder + QStringLiteral("/plant/Materials/ID-%1.mts").arg(t), Serialized(GridOf(gen * 1000 + t + 500)));
    }
    for (int p = 1; p <= kPhotos; ++p) {
        QByteArray bytes(50 * 1024, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = char((i * 131 + gen * 17 + p) % 251);
        // One name a restore's journal must keep on one line.
        Put(folder + (p == 1 ? QStringLiteral("/Photos/p 1\n\t%0A.jpg") : QStringLiteral("/Photos/p%1.jpg").arg(p)), bytes);
    }
}

QStringList FilesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

QByteArray Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

// The generation every file of `folder` comes from, or -1 (with `why`) when
// they do not all come from one of `sources`.
int GenerationOfFolder(const QString& folder, const QStringList& sources, const QStringList& names, QString* why) {
    int found = -1;
    for (const QString& name : names) {
        const QByteArray bytes = Bytes(folder + "/" + name);
        int gen = -1;
        for (int g = 0; g < sources.size() && gen < 0; ++g)
            if (Bytes(sources[g] + "/" + name) == bytes) gen = g;
        if (gen < 0) return *why = name + " is from no backup", -1;
        if (found >= 0 && gen != found) return *why = name + QStringLiteral(" is from backup %1, others from %2").arg(gen).arg(found), -1;
        found = gen;
    }
    return found;
}

// Saves generation `gen` of one kind; true when the save reported success.
// A backup is of the database folder the archive lies in.
bool SaveGeneration(const QString& kind, const QString& path, qint64 gen) {
    if (kind == "grid") return GridOf(gen).SaveFile(path);
    if (kind == "backup") {
        const QString folder = QFileInfo(path).path();
        return DatabaseOf(gen).SaveFile(folder + "/plant.vkt") && BackupArchive::Run(path, folder + "/", "plant", false).ok;
    }
    if (kind == "settings") return Settings::Set("Crash", "Generation", QString::number(gen));
    ListFile list(path);
    return list.Add(ListSection::Equipment, "Generation", QString::number(gen));
}

void Prepare(const QString& kind, const QString& path) {
    if (kind == "backup") MakeDatabaseFolder(QFileInfo(path).path(), 0);
    if (kind == "grid" || kind == "backup") return;
    for (int i = 0; i < kFixedEntries; ++i) {
        const QString name = QStringLiteral("Entry %1 ü").arg(i);
        if (kind == "settings") Settings::Set("Fixed", name, QString::number(i));
        else ListFile(path).Add(ListSection::Employees, name, QString::number(i));
    }
}

// The generation the file holds, or -1 when it is damaged or inconsistent.
// An archive is whole when every entry reads back with its CRC.
qint64 CheckGeneration(const QString& kind, const QString& path, QString* why) {
    if (kind == "backup") {
        QTemporaryDir check;
        auto restored = RestoreArchive::Restore(path, check.path());
        restored.notes.reset();
        Grid db;
        if (!restored.ok || !db.LoadFile(check.path() + "/plant.vkt")) return *why = restored.message, -1;
        if (FilesBelow(check.path()).size() != 2 * kTasks + kPhotos + 2) return *why = "files missing", -1;
        return db.Text(1, Col::Equipment).mid(QStringLiteral("generation ").size()).toLongLong();
    }
    if (kind == "grid") {
        Grid g;
        if (!g.LoadFile(path, why)) return -1;
        bool ok = false;
        const qint64 gen = g.Text(0, 2).toLongLong(&ok);
        if (!ok || g.Rows() != kGridRows + 1 || g.Cols() != kGridCols) return *why = "wrong shape", -1;
        const Grid expected = GridOf(gen);
        for (int r = 0; r <= kGridRows; ++r)
            for (int c = 0; c < kGridCols; ++c)
                if (g.TextUtf8(r, c) != expected.TextUtf8(r, c)) return *why = "mixed cells", -1;
        return gen;
    }
    IniDocument doc;
    if (!doc.Load(path, why)) return -1;
    const QString section = kind == "settings" ? "Software\\Quillon\\Fixed" : ListSection::Employees;
    const auto fixed = doc.Entries(section);
    if (fixed.size() != size_t(kFixedEntries)) return *why = "fixed entries lost", -1;
    for (int i = 0; i < kFixedEntries; ++i) {
        const QString expected = kind == "settings" ? "sz:" + QString::number(i) : QString::number(i);
        if (fixed[size_t(i)].first != QStringLiteral("Entry %1 ü").arg(i) || fixed[size_t(i)].second != expected)
            return *why = "fixed entry changed", -1;
    }
    const auto gen = doc.Value(kind == "settings" ? "Software\\Quillon\\Crash" : ListSection::Equipment, "Generation");
    if (!gen) return *why = "no generation", -1;
    bool ok = false;
    const qint64 n = QString(*gen).remove("sz:").toLongLong(&ok);
    return ok ? n : (*why = "generation unreadable", -1);
}

QString TargetOf(const QString& kind, const QString& folder) {
    if (kind == "grid") return folder + "/plant.vkt";
    if (kind == "backup") return folder + "/backup.zip";
    if (kind == "settings") return SettingsFile(folder);
    return folder + "/plant.ini";
}

int Temporaries(const QString& folder) {
    return int(QDir(folder).entryList({"*.qtmp"}, QDir::Files | QDir::Hidden).size());
}

// Our temporaries younger than a few seconds are spared by the next writer
// (their writer may be alive and about to lock them); killed writers' ones
// are made old enough, as a later open would find them.
void AgeTemporaries(const QString& folder) {
    for (const QString& name : QDir(folder).entryList({"*.qtmp"}, QDir::Files | QDir::Hidden)) {
        QFile f(folder + "/" + name);
        if (f.open(QIODevice::ReadWrite))
            f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    }
}

int RestoreLoop(const QString& folder, qint64 from, const QStringList& archives) {
    Say("ready");
    for (qint64 i = from;; ++i) {
        const auto result = RestoreArchive::Restore(archives[int(i % archives.size())], folder);
        if (!result.ok) return Say("failed: " + result.message.toUtf8()), 1;
        Say(QByteArray::number(i));
    }
}

// One restore; then, as the window does while its message is read, it
// holds the note that it completed until its standard input gives a line.
int RestoreOnce(const QString& folder, const QString& archive) {
    const auto result = RestoreArchive::Restore(archive, folder);
    if (!result.ok) return Say("failed: " + result.message.toUtf8()), 1;
    Say("restored");
    std::string line;
    std::getline(std::cin, line);
    return 0;
}

int OpenDatabase(const QString& path) {
    TaskDatabase db;
    const auto opened = db.Open(path);
    StagedRestore::Notes notes;   // let go once said
    for (const QString& notice : db.TakeNotices(&notes)) Say("notice: " + notice.toUtf8());
    return opened ? 0 : 1;
}

// ------------------------------------------------------------ workers

int ListAdd(const QString& file, const QString& prefix, int n) {
    int failed = 0;
    for (int i = 1; i <= n; ++i)
        if (!ListFile(file).Add(ListSection::Employees, prefix + QString::number(i), QString::number(i))) ++failed;
    return failed == 0 ? 0 : 1;
}

int CounterTake(int n) {
    Grid tasks(1, 14);
    tasks.AddItem("ID-1");   // a database with a task: numbers come from the counter
    for (int i = 0; i < n; ++i) Say(QByteArray::number(TaskRecord::TakeNumber(tasks)));
    return 0;
}

int SaveLoop(const QString& kind, const QString& path, qint64 from) {
    Say("ready");
    for (qint64 gen = from;; ++gen) {
        if (!SaveGeneration(kind, path, gen)) {
            Say("failed");
            return 1;
        }
        Say(QByteArray::number(gen));
    }
}

// ------------------------------------------------------------ the tests

QProcess* StartWorker(const QStringList& args, const QString& configFolder) {
    auto* p = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUILLON_CONFIG_DIR", configFolder);
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::SeparateChannels);
    p->start(Self(), args);
    return p;
}

int TwoProcess(const QString& what, int n) {
    QTemporaryDir dir;
    const QString list = dir.path() + "/plant.ini";
    QList<QProcess*> workers;
    for (const QString& prefix : {QStringLiteral("A"), QStringLiteral("B")}) {
        workers << StartWorker(what == "list" ? QStringList{"list-add", list, prefix, QString::number(n)}
                                              : QStringList{"counter-take", QString::number(n)},
                               dir.path());
    }
    bool ok = true;
    QList<QByteArray> outputs;
    for (QProcess* p : workers) {
        p->waitForFinished(300000);
        ok &= p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0;
        outputs << p->readAllStandardOutput();
        delete p;
    }
    if (what == "list") {
        const auto names = ListFile(list).Names(ListSection::Employees);
        const int expected = 2 * n;
        std::printf("two-process list: %lld of %d names kept\n", qlonglong(names.size()), expected);
        return ok && names.size() == expected && QSet<QString>(names.begin(), names.end()).size() == expected ? 0 : 1;
    }
    QSet<QByteArray> distinct;
    int taken = 0;
    for (const QByteArray& out : outputs)
        for (const QByteArray& line : out.split('\n'))
            if (!line.isEmpty()) distinct.insert(line), ++taken;
    std::printf("two-process counter: %d numbers taken, %lld distinct of %d\n", taken, qlonglong(distinct.size()),
                2 * n);
    return ok && taken == 2 * n && distinct.size() == 2 * n ? 0 : 1;
}

QString CrashFolder(const QString& base) {
    return (base.isEmpty() ? QDir::tempPath() : base) + "/quillon-crash-XXXXXX";
}

// Starts a worker, lets it run a random while after it said it is ready,
// kills it and returns everything it printed.
QByteArray RunAndKill(const QStringList& args, const QString& configFolder, int maxMicroseconds) {
    QProcess* p = StartWorker(args, configFolder);
    QByteArray out;
    while (!out.contains("ready\n") && p->waitForReadyRead(10000)) out += p->readAllStandardOutput();
    QThread::usleep(QRandomGenerator::global()->bounded(1, maxMicroseconds));
    p->kill();
    p->waitForFinished(10000);
    out += p->readAllStandardOutput();
    delete p;
    return out;
}

// The last generation the worker reported done (`last` when none).
qint64 LastReported(const QByteArray& out, qint64 last, int* failures) {
    for (const QByteArray& line : out.split('\n')) {
        bool ok = false;
        const qint64 g = line.toLongLong(&ok);
        if (ok) last = g;
        if (line.startsWith("failed")) {
            ++*failures;
            std::printf("the worker failed: %s\n", line.constData());
        }
    }
    return last;
}

// Kills fall anywhere in one run of the first save and a little beyond; 0
// when that run failed.
int KillWindow(const std::function<bool()>& first) {
    QElapsedTimer timer;
    timer.start();
    return first() ? int(std::max<qint64>(5000, timer.nsecsElapsed() / 1000 * 3 / 2)) : 0;
}

int CrashTest(const QString& kind, int kills, const QString& base) {
    QTemporaryDir tmp(CrashFolder(base));
    const QString folder = tmp.path();
    qputenv("QUILLON_CONFIG_DIR", folder.toUtf8());
    const QString target = TargetOf(kind, folder);
    Prepare(kind, target);
    // A random moment: anywhere within the next few saves.
    const int first = KillWindow([&] { return SaveGeneration(kind, target, 0); });
    if (!first) return std::printf("crash-test %s: the first save failed\n", qPrintable(kind)), 1;
    const int window = std::max(20000, first);
    qint64 last = 0;   // the last generation known to be on disk
    int failures = 0;
    for (int k = 0; k < kills; ++k) {
        const QByteArray out = RunAndKill({"save-loop", kind, target, QString::number(last + 1)}, folder, window);
        const qint64 reported = LastReported(out, last, &failures);
        QString why;
        const qint64 onDisk = CheckGeneration(kind, target, &why);
        if (onDisk != reported && onDisk != reported + 1) {
            ++failures;
            std::printf("kill %d: file holds %lld, the writer reported %lld (%s)\n", k, qlonglong(onDisk),
                        qlonglong(reported), qPrintable(why));
        }
        last = std::max(onDisk, reported);
    }
    // Temporaries the killed writers left are cleared by the next save.
    const int left = Temporaries(folder);
    AgeTemporaries(folder);
    if (!SaveGeneration(kind, target, last + 1)) ++failures;
    const int remaining = Temporaries(folder);
    if (remaining != 0) ++failures;
    std::printf("crash-test %s: %d kills, %d failures, %d temporaries left by kills (%d after the next save)\n",
                qPrintable(kind), kills, failures, left, remaining);
    return failures == 0 ? 0 : 1;
}

// `count` database folders of different generations under `dir`, each
// backed up, and the empty folder "db" they are restored to.
bool MakeBackups(const QString& dir, int count, QStringList* sources, QStringList* archives) {
    for (int g = 0; g < count; ++g) {
        *sources << dir + QStringLiteral("/source%1").arg(g);
        *archives << dir + QStringLiteral("/backup%1.zip").arg(g);
        MakeDatabaseFolder(sources->back(), g);
        if (!BackupArchive::Run(archives->back(), sources->back() + "/", "plant", false).ok) return false;
    }
    return QDir().mkpath(dir + "/db");
}

int CrashRestore(int kills, const QString& base) {
    QTemporaryDir tmp(CrashFolder(base));
    QStringList sources, archives;
    if (!MakeBackups(tmp.path(), 3, &sources, &archives)) return std::printf("crash-test restore: a backup failed\n"), 1;
    const QStringList names = FilesBelow(sources[0]);
    const QString folder = tmp.path() + "/db";
    const int window = KillWindow([&] { return RestoreArchive::Restore(archives[0], folder).ok; });
    if (!window) return std::printf("crash-test restore: the first restore failed\n"), 1;
    qint64 last = 0;   // the last restore known to be complete
    int failures = 0, finished = 0, undone = 0, untouched = 0, openKills = 0;
    int said = 0;   // restores said complete after the current kill
    QStringList args{"restore-loop", folder, QString()};
    args << archives;
    auto tally = [&](const QStringList& notices) {
        for (const QString& n : notices) {
            if (n.contains("has now been finished") || n.contains("It is complete")) ++finished, ++said;
            else if (n.contains("undone")) ++undone;
            else if (n.contains("before it had replaced any file")) ++untouched;
            else std::printf("notice: %s\n", qPrintable(n)), ++failures;
        }
    };
    for (int k = 0; k < kills; ++k) {
        args[2] = QString::number(last + 1);
        const qint64 reported = LastReported(RunAndKill(args, tmp.path(), window), last, &failures);
        said = 0;
        // Now and then the open that puts it right is killed too.
        if (k % 4 == 3) {
            ++openKills;
            QStringList notices;
            for (const QByteArray& line : RunAndKill({"open-db", folder + "/plant.vkt"}, tmp.path(), 3000).split('\n'))
                if (line.startsWith("notice: ")) notices << QString::fromUtf8(line.mid(8));
            tally(notices);
        }
        TaskDatabase db;
        const auto opened = db.Open(folder + "/plant.vkt");
        tally(db.TakeNotices());
        QString why;
        const int gen = GenerationOfFolder(folder, sources, names, &why);
        const int expected = int(reported % 3), next = int((reported + 1) % 3);
        if (!opened || (gen != expected && gen != next)) {
            ++failures;
            std::printf("kill %d: the folder holds backup %d, the last restored was %d (%s %s)\n", k, gen, expected,
                        qPrintable(why), qPrintable(opened.reason));
        }
        // A restore that put every file in place before the kill and was not
        // reported is said complete by the open.
        if (gen == next && said == 0) {
            ++failures;
            std::printf("kill %d: restore %lld put every file in place, and the open did not say so\n", k, qlonglong(reported + 1));
        }
        if (!StagedRestore::StagingFolders(folder).isEmpty() || Temporaries(folder) != 0 ||
            !QDir(folder).entryList({".quillon-restore-*"}, QDir::Files | QDir::Hidden).isEmpty()) {
            ++failures;
            std::printf("kill %d: leftovers after the open: %s\n", k,
                        qPrintable(QDir(folder).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot).join(' ')));
        }
        last = gen == next ? reported + 1 : reported;
    }
    std::printf("crash-test restore: %d kills (%d of the opens after them killed too), %d failures; at the next open "
                "%d restores were said finished or complete, %d undone, %d had replaced nothing yet\n",
                kills, openKills, failures, finished, undone, untouched);
    return failures == 0 ? 0 : 1;
}

// Kills a restore at points spread over the removal of its working files
// (from the moment it renames them done to the moment it has told), and
// checks that the next open says it completed, once.
int CrashRemoval(int kills, const QString& base) {
    QTemporaryDir tmp(CrashFolder(base));
    QStringList sources, archives;
    if (!MakeBackups(tmp.path(), 2, &sources, &archives)) return std::printf("crash-test removal: a backup failed\n"), 1;
    const QStringList names = FilesBelow(sources[0]);
    const QString folder = tmp.path() + "/db";
    if (!RestoreArchive::Restore(archives[0], folder).ok) return std::printf("crash-test removal: the first restore failed\n"), 1;
    // Runs restore `gen` and kills it `delay` microseconds after it began
    // removing (-1: once it has said it is done); returns the microseconds
    // from the start of the removal to "restored", or -1.
    auto run = [&](int gen, qint64 delay) -> qint64 {
        const int in = inotify_init1(IN_CLOEXEC);
        inotify_add_watch(in, QFile::encodeName(folder).constData(), IN_MOVED_TO);
        QProcess* p = StartWorker({"restore-once", folder, archives[gen]}, tmp.path());
        QElapsedTimer timer;
        const bool removing = Inotify::WaitFor(in, 20000, [](const inotify_event& e) {
            return e.len && QByteArray(e.name).endsWith("-done");
        });
        timer.start();
        ::close(in);
        qint64 took = -1;
        if (delay >= 0) {
            QThread::usleep(delay);
        } else {
            QByteArray out;
            while (!out.contains("restored") && p->waitForReadyRead(20000)) out += p->readAllStandardOutput();
            took = timer.nsecsElapsed() / 1000;
        }
        p->kill();
        p->waitForFinished(10000);
        delete p;
        return removing ? std::max<qint64>(took, 0) : -1;
    };
    const qint64 removal = run(1, -1);
    if (removal < 0) return std::printf("crash-test removal: the restore was never seen removing\n"), 1;
    int failures = 0, notBegun = 0, part = 0, gone = 0;
    auto check = [&](int k, int gen) {
        // How far the removal got: its files all there, some, or none.
        int left = -1;
        for (const QString& staging : QDir(folder).entryList({".quillon-restore-*"}, QDir::Dirs | QDir::Hidden))
            left = std::max(left, int(FilesBelow(folder + "/" + staging).size()));
        if (k >= 0) left < 0 ? ++gone : left >= int(names.size()) ? ++notBegun : ++part;
        TaskDatabase db;
        const auto opened = db.Open(folder + "/plant.vkt");
        const QStringList first = db.TakeNotices();
        TaskDatabase again;
        again.Open(folder + "/plant.vkt");
        const QStringList second = again.TakeNotices();
        QString why;
        const int onDisk = GenerationOfFolder(folder, sources, names, &why);
        const bool ok = opened && first.size() == 1 && first[0].contains("It is complete") && second.isEmpty() &&
                        onDisk == gen && StagedRestore::StagingFolders(folder).isEmpty() &&
                        QDir(folder).entryList({".quillon-restore-*"}, QDir::Files | QDir::Hidden).isEmpty();
        if (!ok) {
            ++failures;
            std::printf("kill %d: the folder holds backup %d of %d (%s); the open said: %s; the next: %s\n", k, onDisk,
                        gen, qPrintable(why), qPrintable(first.join(" | ")), qPrintable(second.join(" | ")));
        }
    };
    check(-1, 1);
    for (int k = 0; k < kills; ++k) {
        const int gen = k % 2;
        // Evenly over the removal, the last kill after it.
        run(gen, k + 1 < kills ? removal * k / std::max(1, kills - 1) : -1);
        check(k, gen);
    }
    std::printf("crash-test removal: %d kills within a removal of %lld microseconds (%d before a file of it was "
                "removed, %d part way, %d after all), %d failures\n",
                kills, qlonglong(removal), notBegun, part, gone, failures);
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments().mid(1);
    const QString cmd = a.value(0);
    if (cmd == "list-add" && a.size() == 4) return ListAdd(a[1], a[2], a[3].toInt());
    if (cmd == "counter-take" && a.size() == 2) return CounterTake(a[1].toInt());
    if (cmd == "save-loop" && a.size() == 4) return SaveLoop(a[1], a[2], a[3].toLongLong());
    if (cmd == "restore-loop" && a.size() >= 4) return RestoreLoop(a[1], a[2].toLongLong(), a.mid(3));
    if (cmd == "open-db" && a.size() == 2) return OpenDatabase(a[1]);
    if (cmd == "restore-once" && a.size() == 3) return RestoreOnce(a[1], a[2]);
    if (cmd == "two-process" && a.size() == 3 && (a[1] == "list" || a[1] == "counter"))
        return TwoProcess(a[1], a[2].toInt());
    if (cmd == "crash-test" && a.size() >= 3) {
        const QStringList kinds =
            a[1] == "all" ? QStringList{"grid", "settings", "list", "backup", "restore", "removal"} : QStringList{a[1]};
        int status = 0;
        for (const QString& kind : kinds) {
            if (kind == "restore") status |= CrashRestore(a[2].toInt(), a.value(3));
            else if (kind == "removal") status |= CrashRemoval(a[2].toInt(), a.value(3));
            else status |= CrashTest(kind, a[2].toInt(), a.value(3));
        }
        return status;
    }
    std::fprintf(stderr,
                 "usage: quillon_filetool two-process list|counter N\n"
                 "       quillon_filetool crash-test grid|settings|list|backup|restore|removal|all KILLS [FOLDER]\n");
    return 2;
}

// quillon_filetool: drives the file layer from several processes at once and
// kills writers mid-save, to show that nothing is lost or damaged.
//
//   quillon_filetool two-process list|counter N
//       Two processes add N list entries each to one list file (1..N each;
//       every entry must be there) or take N task numbers each from the
//       counter (2N distinct numbers).
//   quillon_filetool crash-test grid|settings|list|all KILLS [FOLDER]
//       Starts a writer that saves in a loop, kills it with SIGKILL at a
//       random moment, and checks that the file loads and holds the last
//       save the writer reported or the one it was making; KILLS times.
//
// The worker commands the two above start: list-add FILE PREFIX N,
// counter-take N, save-loop KIND PATH FROM.
// Exit status 0 when every check held; the summary goes to stdout.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <unistd.h>

#include "lists/ListFile.h"
#include "platform/Grid.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "tasks/TaskRecord.h"

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

// Saves generation `gen` of one kind; true when the save reported success.
bool SaveGeneration(const QString& kind, const QString& path, qint64 gen) {
    if (kind == "grid") return GridOf(gen).SaveFile(path);
    if (kind == "settings") return Settings::Set("Crash", "Generation", QString::number(gen));
    ListFile list(path);
    return list.Add(ListSection::Equipment, "Generation", QString::number(gen));
}

void Prepare(const QString& kind, const QString& path) {
    if (kind == "grid") return;
    for (int i = 0; i < kFixedEntries; ++i) {
        const QString name = QStringLiteral("Entry %1 ü").arg(i);
        if (kind == "settings") Settings::Set("Fixed", name, QString::number(i));
        else ListFile(path).Add(ListSection::Employees, name, QString::number(i));
    }
}

// The generation the file holds, or -1 when it is damaged or inconsistent.
qint64 CheckGeneration(const QString& kind, const QString& path, QString* why) {
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
    if (kind == "settings") return SettingsFile(folder);
    return folder + "/plant.ini";
}

int Temporaries(const QString& folder) {
    return int(QDir(folder).entryList({"*.qtmp"}, QDir::Files | QDir::Hidden).size());
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

int CrashTest(const QString& kind, int kills, const QString& base) {
    QTemporaryDir tmp(base.isEmpty() ? QDir::tempPath() + "/quillon-crash-XXXXXX" : base + "/quillon-crash-XXXXXX");
    const QString folder = tmp.path();
    qputenv("QUILLON_CONFIG_DIR", folder.toUtf8());
    const QString target = TargetOf(kind, folder);
    Prepare(kind, target);
    if (!SaveGeneration(kind, target, 0)) {
        std::printf("crash-test %s: the first save failed\n", qPrintable(kind));
        return 1;
    }
    qint64 last = 0;   // the last generation known to be on disk
    int failures = 0, leftovers = 0;
    auto* rng = QRandomGenerator::global();
    for (int k = 0; k < kills; ++k) {
        QProcess* p = StartWorker({"save-loop", kind, target, QString::number(last + 1)}, folder);
        QByteArray out;
        while (!out.contains("ready\n") && p->waitForReadyRead(10000)) out += p->readAllStandardOutput();
        // A random moment: anywhere within the next few saves.
        QThread::usleep(rng->bounded(1, 20000));
        p->kill();
        p->waitForFinished(10000);
        out += p->readAllStandardOutput();
        delete p;
        qint64 reported = last;
        for (const QByteArray& line : out.split('\n')) {
            bool ok = false;
            const qint64 g = line.toLongLong(&ok);
            if (ok) reported = g;
            if (line == "failed") ++failures;
        }
        QString why;
        const qint64 onDisk = CheckGeneration(kind, target, &why);
        if (onDisk != reported && onDisk != reported + 1) {
            ++failures;
            std::printf("kill %d: file holds %lld, the writer reported %lld (%s)\n", k, qlonglong(onDisk),
                        qlonglong(reported), qPrintable(why));
        }
        last = std::max(onDisk, reported);
        leftovers = std::max(leftovers, Temporaries(folder));
    }
    // Temporaries the killed writers left are cleared by the next save once
    // they are old enough not to belong to a live writer.
    const int left = Temporaries(folder);
    for (const QString& name : QDir(folder).entryList({"*.qtmp"}, QDir::Files | QDir::Hidden)) {
        QFile f(folder + "/" + name);
        if (f.open(QIODevice::ReadWrite))
            f.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    }
    if (!SaveGeneration(kind, target, last + 1)) ++failures;
    const int remaining = Temporaries(folder);
    if (remaining != 0) ++failures;
    std::printf("crash-test %s: %d kills, %d failures, %d temporaries left by kills (%d after the next save)\n",
                qPrintable(kind), kills, failures, left, remaining);
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
    if (cmd == "two-process" && a.size() == 3 && (a[1] == "list" || a[1] == "counter"))
        return TwoProcess(a[1], a[2].toInt());
    if (cmd == "crash-test" && a.size() >= 3) {
        const QStringList kinds = a[1] == "all" ? QStringList{"grid", "settings", "list"} : QStringList{a[1]};
        int status = 0;
        for (const QString& kind : kinds) status |= CrashTest(kind, a[2].toInt(), a.value(3));
        return status;
    }
    std::fprintf(stderr,
                 "usage: quillon_filetool two-process list|counter N\n"
                 "       quillon_filetool crash-test grid|settings|list|all KILLS [FOLDER]\n");
    return 2;
}

// Speed of backup and restore of a database folder: a 100,000-task database
// with 10,000 task item and 10,000 material files (about 95 MB). With
// QUILLON_BENCH_FOLDER set, that folder (its .vkt file as the open
// database) is used instead.
//
// BM_BackupVsInfoZip and BM_RestoreVsUnzip compare with Info-ZIP's
// `zip -r -6` and `unzip` on the same folder and archive, fairly: the two
// take turns (which goes first alternates), each writes into a target that
// was not just deleted (a new name or an empty folder made beforehand) and
// each is followed by `sync`, which its time includes, so that neither
// leaves the writing to the disk to the other; the medians of the rounds
// (QUILLON_BENCH_ROUNDS, at least 5) are reported. BM_RestoreWriters times
// the restore with 1 to 4 writers the same way.
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <functional>
#include <memory>
#include <unistd.h>

#include "bench/TaskData.h"
#include "platform/Grid.h"
#include "model/backup/BackupArchive.h"
#include "model/backup/RestoreArchive.h"

namespace {

struct Folder {
    QString path;     // ends with '/'
    QString name;     // the open database
};

// An item or material list of a task: some fifty rows of text.
Grid ItemGrid(int task, int rows) {
    Grid g(rows + 1, 6);
    for (int r = 1; r <= rows; ++r) {
        g.SetText(r, 1, QStringLiteral("Step %1 of task %2: check the seal and the bearing").arg(r).arg(task));
        g.SetText(r, 2, QStringLiteral("%1").arg((task * 7 + r) % 1000));
        g.SetText(r, 3, QStringLiteral("Part-%1-%2").arg(task % 97).arg(r));
        g.SetText(r, 4, QStringLiteral("%1.%2").arg(r * 3).arg(task % 100));
        g.SetText(r, 5, r % 3 ? QStringLiteral("Done") : QStringLiteral("Open"));
    }
    return g;
}

const Folder& BenchFolder() {
    static std::unique_ptr<QTemporaryDir> dir;
    static Folder folder;
    if (!folder.path.isEmpty()) return folder;
    const QByteArray given = qgetenv("QUILLON_BENCH_FOLDER");
    if (!given.isEmpty()) {
        folder.path = QDir(QString::fromLocal8Bit(given)).absolutePath() + '/';
        const QStringList databases = QDir(folder.path).entryList({"*.vkt"}, QDir::Files, QDir::Name);
        folder.name = databases.isEmpty() ? QString() : QFileInfo(databases.first()).completeBaseName();
        return folder;
    }
    dir = std::make_unique<QTemporaryDir>();
    folder.path = dir->path() + "/db/";
    folder.name = "plant";
    QDir().mkpath(folder.path + "plant/Tasks");
    QDir().mkpath(folder.path + "plant/Materials");
    BenchData::TaskGrid(100000).SaveFile(folder.path + "plant.vkt");
    for (int i = 1; i <= 10000; ++i) {
        ItemGrid(i, 50).SaveFile(folder.path + QStringLiteral("plant/Tasks/T%1.tsk").arg(i));
        ItemGrid(i + 5, 50).SaveFile(folder.path + QStringLiteral("plant/Materials/T%1.mts").arg(i));
    }
    return folder;
}

QString Scratch() {
    static QTemporaryDir scratch;
    return scratch.path();
}

bool Run(const QString& program, const QStringList& args, const QString& folder) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, args);
    return p.waitForStarted() && p.waitForFinished(-1) && p.exitCode() == 0;
}

qint64 FolderBytes(const QString& folder) {
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) total += QFileInfo(it.next()).size();
    return total;
}

QString OurArchive() {
    static QString archive;
    if (archive.isEmpty()) {
        archive = Scratch() + "/ours.zip";
        BackupArchive::Run(archive, BenchFolder().path, BenchFolder().name, false);
    }
    return archive;
}

}  // namespace

static void BM_Backup(benchmark::State& state) {
    const Folder& f = BenchFolder();
    const QString archive = Scratch() + "/backup.zip";
    for (auto _ : state) {
        const auto result = BackupArchive::Run(archive, f.path, f.name, false);
        if (!result.ok) state.SkipWithError(result.message.toStdString().c_str());
    }
    state.counters["MB_in"] = double(FolderBytes(f.path)) / 1e6;
    state.counters["MB_out"] = double(QFileInfo(archive).size()) / 1e6;
}
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

static void BM_Restore(benchmark::State& state) {
    const QString archive = OurArchive();
    const QString target = Scratch() + "/restore";
    for (auto _ : state) {
        state.PauseTiming();
        QDir(target).removeRecursively();
        QDir().mkpath(target);
        state.ResumeTiming();
        const auto result = RestoreArchive::Restore(archive, target);
        if (!result.ok) state.SkipWithError(result.message.toStdString().c_str());
    }
}
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

namespace {

int Rounds() { return std::max(5, qEnvironmentVariableIntValue("QUILLON_BENCH_ROUNDS")); }

// Milliseconds of `work` and the sync after it.
double Timed(const std::function<bool()>& work, bool* ok) {
    QElapsedTimer timer;
    timer.start();
    *ok = work() && *ok;
    ::sync();
    return double(timer.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Rounds of two contenders taking turns; their median times in ms.
std::pair<double, double> Alternate(const std::function<bool(int)>& ours, const std::function<bool(int)>& theirs,
                                    bool* ok) {
    std::vector<double> a, b;
    for (int round = 0; round < Rounds(); ++round) {
        if (round % 2 == 0) {
            a.push_back(Timed([&] { return ours(round); }, ok));
            b.push_back(Timed([&] { return theirs(round); }, ok));
        } else {
            b.push_back(Timed([&] { return theirs(round); }, ok));
            a.push_back(Timed([&] { return ours(round); }, ok));
        }
    }
    return {Median(a), Median(b)};
}

// Empty folders to restore into, made (and synced) before any is timed.
QStringList FreshFolders(const QString& name, int count) {
    QStringList folders;
    for (int i = 0; i < count; ++i) {
        folders << Scratch() + QStringLiteral("/%1-%2").arg(name).arg(i);
        QDir(folders.last()).removeRecursively();
        QDir().mkpath(folders.last());
    }
    ::sync();
    return folders;
}

void RemoveAll(const QStringList& paths) {
    for (const QString& p : paths) {
        if (QFileInfo(p).isDir()) QDir(p).removeRecursively();
        else QFile::remove(p);
    }
    ::sync();
}

void Report(benchmark::State& state, double ours, double theirs) {
    state.SetIterationTime(ours / 1000);
    state.counters["ours_ms"] = ours;
    state.counters["infozip_ms"] = theirs;
    state.counters["ratio"] = ours / theirs;
}

}  // namespace

static void BM_BackupVsInfoZip(benchmark::State& state) {
    const Folder& f = BenchFolder();
    QStringList written;
    for (auto _ : state) {
        bool ok = true;
        const auto [ours, theirs] = Alternate(
            [&](int round) {
                written << Scratch() + QStringLiteral("/ours-%1.zip").arg(round);
                return BackupArchive::Run(written.last(), f.path, f.name, false).ok;
            },
            [&](int round) {
                written << Scratch() + QStringLiteral("/infozip-%1.zip").arg(round);
                return Run("zip", {"-q", "-r", "-6", written.last(), "."}, f.path);
            },
            &ok);
        if (!ok) state.SkipWithError("a backup failed (is zip installed?)");
        Report(state, ours, theirs);
        RemoveAll(written);
    }
}
BENCHMARK(BM_BackupVsInfoZip)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

static void BM_RestoreVsUnzip(benchmark::State& state) {
    const QString archive = OurArchive();
    for (auto _ : state) {
        const QStringList mine = FreshFolders("ours", Rounds()), theirs = FreshFolders("unzip", Rounds());
        bool ok = true;
        const auto [a, b] = Alternate([&](int round) { return RestoreArchive::Restore(archive, mine[round]).ok; },
                                      [&](int round) {
                                          return Run("unzip", {"-q", "-o", archive, "-d", theirs[round]}, Scratch());
                                      },
                                      &ok);
        if (!ok) state.SkipWithError("a restore failed (is unzip installed?)");
        Report(state, a, b);
        RemoveAll(mine + theirs);
    }
}
BENCHMARK(BM_RestoreVsUnzip)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The restore with 1 to 4 writers, the counts taking turns round by round;
// the time is that of the writers the restore uses (RestoreArchive::kWriters).
static void BM_RestoreWriters(benchmark::State& state) {
    const QString archive = OurArchive();
    for (auto _ : state) {
        std::vector<std::vector<double>> times(5);
        bool ok = true;
        const QStringList folders = FreshFolders(QStringLiteral("writers"), 4 * Rounds());
        for (int round = 0; round < Rounds(); ++round) {
            for (int k = 0; k < 4; ++k) {
                const int writers = 1 + (k + round) % 4;
                const auto plan = RestoreArchive::Prepare(archive, folders[4 * round + k], false);
                times[size_t(writers)].push_back(Timed([&] { return RestoreArchive::Run(plan, nullptr, writers).ok; }, &ok));
            }
        }
        RemoveAll(folders);
        if (!ok) state.SkipWithError("a restore failed");
        for (int w = 1; w <= 4; ++w) state.counters[QStringLiteral("writers%1_ms").arg(w).toStdString()] = Median(times[size_t(w)]);
        state.SetIterationTime(Median(times[size_t(RestoreArchive::kWriters)]) / 1000);
    }
}
BENCHMARK(BM_RestoreWriters)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

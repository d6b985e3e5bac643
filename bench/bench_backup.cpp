// Speed of backup and restore of a database folder: a 100,000-task database
// with 10,000 task item and 10,000 material files (about 95 MB). With
// QUILLON_BENCH_FOLDER set, that folder (its .vkt file as the open
// database) is used instead. BM_ZipTool and BM_UnzipTool time Info-ZIP's
// `zip -r -6` and `unzip` on the same folder and archive in the same run.
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

#include "bench/TaskData.h"
#include "platform/Grid.h"
#include "utilities/BackupArchive.h"
#include "utilities/RestoreArchive.h"

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

static void BM_ZipTool(benchmark::State& state) {
    const Folder& f = BenchFolder();
    const QString archive = Scratch() + "/infozip.zip";
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(archive);
        state.ResumeTiming();
        if (!Run("zip", {"-q", "-r", "-6", archive, "."}, f.path)) state.SkipWithError("zip is not installed or failed");
    }
    state.counters["MB_out"] = double(QFileInfo(archive).size()) / 1e6;
}
BENCHMARK(BM_ZipTool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

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

static void BM_UnzipTool(benchmark::State& state) {
    const QString archive = OurArchive();
    const QString target = Scratch() + "/unzip";
    for (auto _ : state) {
        state.PauseTiming();
        QDir(target).removeRecursively();
        QDir().mkpath(target);
        state.ResumeTiming();
        if (!Run("unzip", {"-q", "-o", archive, "-d", target}, Scratch())) state.SkipWithError("unzip is not installed or failed");
    }
}
BENCHMARK(BM_UnzipTool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

// The task database object: open, create and save with their failures, the
// lock against a second copy (in this process and in another one), and the
// save that refuses to overwrite a file someone else changed.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <cerrno>
#include <csignal>
#include <functional>
#include <vector>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/database/TaskColumns.h"
#include "model/database/TaskDatabase.h"
#include "platform/GridFile.h"
#include "support/TestEnv.h"

namespace {

class TaskDatabaseTest : public QuillonTest {
protected:
    QString Path(const QString& name) const { return temp_ + "/" + name; }

    static void AddTask(TaskDatabase& db, const QString& id) {
        Grid& g = db.Tasks();
        g.SetRows(g.Rows() + 1);
        g.SetText(g.Rows() - 1, Col::TaskId, id);
    }

    static QStringList IdsOnDisk(const QString& path) {
        Grid g;
        QStringList ids;
        if (!GridFile::Load(g, path)) return {QStringLiteral("<unreadable>")};
        for (int r = 1; r < g.Rows(); ++r) ids << g.Text(r, Col::TaskId);
        return ids;
    }
};

TEST_F(TaskDatabaseTest, CreateWritesAnEmptyDatabaseWithItsCompanionFoldersAndLocation) {
    TaskDatabase db;
    int changes = 0;
    db.SetLocationChanged([&] { ++changes; });
    const QString path = Path("plant.2010.vkt");
    ASSERT_TRUE(db.Create(path));
    EXPECT_TRUE(db.IsOpen());
    EXPECT_GE(changes, 1);
    EXPECT_EQ(db.File(), path);
    EXPECT_EQ(db.Folder(), temp_ + "/");
    // The whole name but the extension: plant.vkt beside it has its own.
    EXPECT_EQ(db.Name(), "plant.2010");
    EXPECT_EQ(db.ListFilePath(), temp_ + "/plant.2010.ini");
    EXPECT_TRUE(QFileInfo(temp_ + "/plant.2010/Tasks").isDir());
    EXPECT_TRUE(QFileInfo(temp_ + "/plant.2010/Materials").isDir());
    EXPECT_EQ(db.ItemFile("ID-1"), temp_ + "/plant.2010/Tasks/ID-1.tsk");
    EXPECT_EQ(db.MaterialFile("ID-1"), temp_ + "/plant.2010/Materials/ID-1.mts");
    EXPECT_EQ(db.ItemFile("../ID-1"), "");   // an ID cannot leave its folder
    EXPECT_EQ(db.ItemFile(""), "");

    Grid onDisk;
    ASSERT_TRUE(GridFile::Load(onDisk, path));
    EXPECT_EQ(onDisk.Cols(), int(Col::Count));
    EXPECT_EQ(onDisk.Rows(), 1);
    EXPECT_EQ(onDisk.Text(0, Col::TaskId), "Task ID");
    EXPECT_EQ(onDisk.Text(0, Col::Status), "Status");
}

TEST_F(TaskDatabaseTest, AFailedSaveLeavesTheDatabaseUnsavedUntilASaveSucceeds) {
    TaskDatabase db;
    std::vector<bool> told;
    db.SetUnsavedChanged([&](bool unsaved) { told.push_back(unsaved); });
    ASSERT_TRUE(db.Create(Path("plant.vkt")));
    AddTask(db, "ID-1");
    {
        TestEnv::DiskFull full(8);
        EXPECT_FALSE(db.Save());
    }
    EXPECT_TRUE(db.Unsaved());
    EXPECT_TRUE(db.Save());
    EXPECT_FALSE(db.Unsaved());
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
    // Given up by the user, or replaced by another database: not unsaved.
    {
        TestEnv::DiskFull full(8);
        EXPECT_FALSE(db.Save());
    }
    db.ForgetUnsaved();
    EXPECT_FALSE(db.Unsaved());
    {
        TestEnv::DiskFull full(8);
        EXPECT_FALSE(db.Save());
    }
    ASSERT_TRUE(db.Open(Path("plant.vkt")));
    EXPECT_FALSE(db.Unsaved());
}

// Every fsync of this test program passes through here, so a test can have
// the disk fail a folder's sync, which comes after the rename.
namespace {
bool g_folderSyncFails = false;
}  // namespace

extern "C" int fsync(int fd) {
    using Fn = int (*)(int);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fsync"));
    struct stat st {};
    if (g_folderSyncFails && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) return errno = EIO, -1;
    return real(fd);
}

TEST_F(TaskDatabaseTest, ASaveThatFailsAfterReplacingTheFileIsToldSoAndDoesNotBlockTheNext) {
    TaskDatabase db;
    ASSERT_TRUE(db.Create(Path("plant.vkt")));
    AddTask(db, "ID-1");
    g_folderSyncFails = true;
    const TaskDatabase::Result failed = db.Save();
    g_folderSyncFails = false;
    ASSERT_FALSE(failed);
    EXPECT_TRUE(failed.replaced);
    EXPECT_TRUE(db.Save());
}

TEST_F(TaskDatabaseTest, SavedTasksReadBackAndCreateOverAFileDropsItsTasksFiles) {
    const QString path = Path("plant.vkt");
    {
        TaskDatabase db;
        ASSERT_TRUE(db.Create(path));
        AddTask(db, "ID-1");
        AddTask(db, "ID-2");
        ASSERT_TRUE(db.Save());
        ASSERT_TRUE(TestEnv::WriteAll(db.ItemFile("ID-1"), "items"));
        ASSERT_TRUE(TestEnv::WriteAll(db.ItemFile("ID-9"), "another database's task"));
    }
    TaskDatabase db;
    ASSERT_TRUE(db.Open(path));
    EXPECT_EQ(db.Tasks().Rows(), 3);
    EXPECT_EQ(db.Tasks().Text(2, Col::TaskId), "ID-2");

    ASSERT_TRUE(db.Create(path));   // the open file itself, replaced
    EXPECT_EQ(db.Tasks().Rows(), 1);
    EXPECT_EQ(IdsOnDisk(path), QStringList());
    EXPECT_FALSE(QFile::exists(temp_ + "/plant/Tasks/ID-1.tsk"));
    EXPECT_TRUE(QFile::exists(temp_ + "/plant/Tasks/ID-9.tsk"));
    AddTask(db, "ID-3");
    EXPECT_TRUE(db.Save());
    EXPECT_EQ(IdsOnDisk(path), QStringList{"ID-3"});
}

TEST_F(TaskDatabaseTest, FailedOpensAndCreatesChangeNothing) {
    const QString path = Path("plant.vkt");
    TaskDatabase db;
    ASSERT_TRUE(db.Create(path));
    AddTask(db, "ID-1");
    ASSERT_TRUE(db.Save());

    const QString damaged = Path("damaged.vkt");
    ASSERT_TRUE(TestEnv::WriteAll(damaged, "QUILLON-GRID 1\n5 14\n"));
    Grid list(1, 2);   // an item list: a grid file, but not a task database
    const QString foreign = Path("items.tsk");
    ASSERT_TRUE(GridFile::Save(list, foreign));

    struct Case { QString path; QString reasonPart; };
    for (const Case& c : {Case{Path("missing.vkt"), "does not exist"}, Case{damaged, ""},
                          Case{foreign, "not a Quillon task database"}, Case{QString(), "no file"}}) {
        const TaskDatabase::Result r = db.Open(c.path);
        EXPECT_FALSE(r) << c.path.toStdString();
        EXPECT_FALSE(r.reason.isEmpty());
        EXPECT_TRUE(r.reason.contains(c.reasonPart)) << r.reason.toStdString();
    }
    const TaskDatabase::Result r = db.Create(temp_ + "/no such folder/new.vkt");
    EXPECT_FALSE(r);
    EXPECT_FALSE(r.reason.isEmpty());

    // Still the first database, whole, and still the one saves go to.
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(db.File(), path);
    ASSERT_EQ(db.Tasks().Rows(), 2);
    EXPECT_EQ(db.Tasks().Text(1, Col::TaskId), "ID-1");
    AddTask(db, "ID-2");
    EXPECT_TRUE(db.Save());
    EXPECT_EQ(IdsOnDisk(path), (QStringList{"ID-1", "ID-2"}));
    EXPECT_EQ(TestEnv::ReadAll(damaged), "QUILLON-GRID 1\n5 14\n");
}

TEST_F(TaskDatabaseTest, SaveFailuresAreReported) {
    TaskDatabase none;
    EXPECT_FALSE(none.Save());
    none.SetLocation(Path("named.vkt"), temp_ + "/", "named");   // named, never read
    EXPECT_FALSE(none.IsOpen());
    EXPECT_FALSE(none.Save());
    EXPECT_FALSE(QFile::exists(Path("named.vkt")));

    const QString folder = temp_ + "/gone";
    ASSERT_TRUE(QDir().mkpath(folder));
    TaskDatabase db;
    ASSERT_TRUE(db.Create(folder + "/plant.vkt"));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    const TaskDatabase::Result r = db.Save();
    EXPECT_FALSE(r);
    EXPECT_FALSE(r.reason.isEmpty());
}

TEST_F(TaskDatabaseTest, ADeletedFileIsWrittenAgain) {
    const QString path = Path("plant.vkt");
    TaskDatabase db;
    ASSERT_TRUE(db.Create(path));
    AddTask(db, "ID-1");
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_TRUE(db.Save());
    EXPECT_EQ(IdsOnDisk(path), QStringList{"ID-1"});
}

TEST_F(TaskDatabaseTest, ASecondOpenerIsRefusedUntilTheFirstCloses) {
    const QString path = Path("plant.vkt");
    TaskDatabase first;
    ASSERT_TRUE(first.Create(path));
    EXPECT_TRUE(QFile::exists(TaskDatabase::LockFilePath(path)));

    TaskDatabase second;
    TaskDatabase::Result r = second.Open(path);
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.reason.contains(QString::number(QCoreApplication::applicationPid()))) << r.reason.toStdString();
    EXPECT_TRUE(r.reason.contains(QSysInfo::machineHostName())) << r.reason.toStdString();
    EXPECT_FALSE(second.IsOpen());
    EXPECT_FALSE(second.Create(path));   // nor written over
    EXPECT_TRUE(first.Save());

    first.Close();
    EXPECT_FALSE(first.IsOpen());
    EXPECT_FALSE(first.Save());
    EXPECT_TRUE(second.Open(path));

    // Moving on to another database lets the first go.
    ASSERT_TRUE(second.Create(Path("other.vkt")));
    EXPECT_TRUE(first.Open(path));

    // Reached through a link, it is the same database and the same lock.
    const QString link = Path("link.vkt");
    ASSERT_TRUE(QFile::link(path, link));
    EXPECT_FALSE(second.Open(link));
    EXPECT_FALSE(QFile::exists(link + ".lock"));
}

TEST_F(TaskDatabaseTest, SaveRefusesAFileChangedBehindItsBack) {
    const QString path = Path("plant.vkt");
    TaskDatabase db;
    ASSERT_TRUE(db.Create(path));
    AddTask(db, "ID-1");
    ASSERT_TRUE(db.Save());

    // Same size, same time to the nanosecond, other bytes: only the bytes
    // can tell.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    QByteArray bytes = f.readAll();
    const qsizetype at = bytes.indexOf("ID-1");
    ASSERT_GE(at, 0);
    bytes[at + 3] = '7';
    f.seek(0);
    f.write(bytes);
    f.close();
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    ASSERT_EQ(QFileInfo(path).size(), bytes.size());

    AddTask(db, "ID-2");
    const TaskDatabase::Result r = db.Save();
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.reason.contains("changed")) << r.reason.toStdString();
    EXPECT_EQ(IdsOnDisk(path), QStringList{"ID-7"});   // the other writer's content stays

    // Opened again, it saves again.
    ASSERT_TRUE(db.Open(path));
    AddTask(db, "ID-3");
    EXPECT_TRUE(db.Save());
    EXPECT_EQ(IdsOnDisk(path), (QStringList{"ID-7", "ID-3"}));
}

TEST_F(TaskDatabaseTest, ALargeDatabaseIsWrittenAndCheckedInPieces) {
    // Several megabytes: written a piece at a time, and checked against
    // the file by a hash read in pieces.
    const QString path = Path("plant.vkt");
    TaskDatabase db;
    ASSERT_TRUE(db.Create(path));
    Grid& g = db.Tasks();
    g.SetRows(60001);
    for (int r = 1; r < g.Rows(); ++r) {
        g.SetText(r, Col::TaskId, QStringLiteral("ID-%1").arg(r));
        g.SetText(r, Col::Equipment, r % 997 ? QStringLiteral("Chiller North %1").arg(r)
                                             : QStringLiteral("tab\there\nline\\end %1").arg(r));
    }
    ASSERT_TRUE(db.Save());
    ASSERT_GT(QFileInfo(path).size(), 2 << 20);
    ASSERT_TRUE(db.Open(path));
    g.SetText(30000, Col::Status, QStringLiteral("Ready"));
    ASSERT_TRUE(db.Save());   // the file read back in pieces is the one written
    Grid onDisk;
    ASSERT_TRUE(GridFile::Load(onDisk, path));
    EXPECT_EQ(onDisk.Serialize(), g.Serialize());

    // One byte changed near the end, same size and time: the save refuses.
    ASSERT_TRUE(db.Open(path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    const qint64 at = f.size() - 40;
    f.seek(at);
    const char was = f.read(1).at(0);
    f.seek(at);
    f.write(QByteArray(1, was == 'x' ? 'y' : 'x'));
    f.close();
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    EXPECT_FALSE(db.Save());
}

TEST_F(TaskDatabaseTest, ChangesThatLeaveTheBytesAloneDoNotBlockASave) {
    // What a backup tool or the user may do to the file between two saves:
    // its change time moves, its bytes stay.
    const std::vector<std::pair<const char*, std::function<bool(const QByteArray&)>>> changes = {
        {"permissions", [](const QByteArray& file) { return ::chmod(file.constData(), 0640) == 0; }},
        {"times set to what they were",
         [](const QByteArray& file) {
             struct stat st {};
             if (::stat(file.constData(), &st) != 0) return false;
             const struct timespec times[2] = {st.st_atim, st.st_mtim};
             return ::utimensat(AT_FDCWD, file.constData(), times, 0) == 0;
         }},
        {"a second name", [](const QByteArray& file) { return ::link(file.constData(), (file + ".bak").constData()) == 0; }},
    };
    for (const auto& [what, change] : changes) {
        const QString path = Path(QString("%1.vkt").arg(what));
        TaskDatabase db;
        ASSERT_TRUE(db.Create(path)) << what;
        AddTask(db, "ID-1");
        ASSERT_TRUE(db.Save()) << what;
        ASSERT_TRUE(change(QFile::encodeName(path))) << what;
        AddTask(db, "ID-2");
        EXPECT_TRUE(db.Save()) << what;
        EXPECT_EQ(IdsOnDisk(path), (QStringList{"ID-1", "ID-2"})) << what;
    }
}

// ---------------------------------------------------------------- two processes

class TaskDatabaseProcessTest : public TaskDatabaseTest {
protected:
    void TearDown() override {
        for (QProcess* p : helpers_) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
            delete p;
        }
        helpers_.clear();
        TaskDatabaseTest::TearDown();
    }

    QProcess* StartHelper(const QStringList& args) {
        auto* p = new QProcess;
        helpers_.push_back(p);
        p->start(QStringLiteral(QUILLON_TASKDB_HELPER), args);
        EXPECT_TRUE(p->waitForStarted(10000));
        return p;
    }

    // Runs the helper to its end; its one line of output.
    QString RunHelper(const QStringList& args) {
        QProcess* p = StartHelper(args);
        p->closeWriteChannel();
        EXPECT_TRUE(p->waitForFinished(20000));
        return QString::fromUtf8(p->readAllStandardOutput()).trimmed();
    }

    static QString FirstLine(QProcess* p) {
        while (!p->canReadLine())
            if (!p->waitForReadyRead(20000)) return QString();
        return QString::fromUtf8(p->readLine()).trimmed();
    }

    std::vector<QProcess*> helpers_;
};

TEST_F(TaskDatabaseProcessTest, AnotherProcessHoldingTheDatabaseRefusesThisOneUntilItEnds) {
    const QString path = Path("plant.vkt");
    {
        TaskDatabase db;
        ASSERT_TRUE(db.Create(path));
    }
    QProcess* holder = StartHelper({"open", path});
    ASSERT_EQ(FirstLine(holder), "opened");

    TaskDatabase db;
    const TaskDatabase::Result r = db.Open(path);
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.reason.contains(QString::number(holder->processId()))) << r.reason.toStdString();
    EXPECT_TRUE(r.reason.contains(QSysInfo::machineHostName())) << r.reason.toStdString();
    EXPECT_FALSE(db.IsOpen());

    // A clean end releases the lock.
    holder->closeWriteChannel();
    ASSERT_TRUE(holder->waitForFinished(20000));
    EXPECT_FALSE(QFile::exists(TaskDatabase::LockFilePath(path)));
    EXPECT_TRUE(db.Open(path));
}

TEST_F(TaskDatabaseProcessTest, ALockLeftByAKilledProcessIsTakenOver) {
    const QString path = Path("plant.vkt");
    {
        TaskDatabase db;
        ASSERT_TRUE(db.Create(path));
    }
    QProcess* holder = StartHelper({"open", path});
    ASSERT_EQ(FirstLine(holder), "opened");
    ::kill(pid_t(holder->processId()), SIGKILL);
    ASSERT_TRUE(holder->waitForFinished(20000));
    ASSERT_TRUE(QFile::exists(TaskDatabase::LockFilePath(path)));   // left behind

    TaskDatabase db;
    EXPECT_TRUE(db.Open(path));
    AddTask(db, "ID-1");
    EXPECT_TRUE(db.Save());
    db.Close();

    // Killed while it made the lock file, before writing itself into it: the
    // file names nobody, and nobody holds it.
    ASSERT_TRUE(TestEnv::WriteAll(TaskDatabase::LockFilePath(path), ""));
    EXPECT_TRUE(db.Open(path));
}

TEST_F(TaskDatabaseProcessTest, TwoCopiesAddingTasksLoseNothing) {
    const QString path = Path("plant.vkt");
    TaskDatabase db;
    ASSERT_TRUE(db.Create(path));
    AddTask(db, "ID-1");
    ASSERT_TRUE(db.Save());

    // While this copy has it open, the other copy is refused and writes nothing.
    const QString refused = RunHelper({"add", path, "ID-2"});
    EXPECT_TRUE(refused.startsWith("refused: it is in use by")) << refused.toStdString();
    EXPECT_TRUE(refused.contains(QString::number(QCoreApplication::applicationPid()))) << refused.toStdString();
    EXPECT_EQ(IdsOnDisk(path), QStringList{"ID-1"});

    // Once this copy lets go, the other adds its task, and reopening shows both.
    db.Close();
    EXPECT_EQ(RunHelper({"add", path, "ID-2"}), "saved");
    ASSERT_TRUE(db.Open(path));
    AddTask(db, "ID-3");
    EXPECT_TRUE(db.Save());
    EXPECT_EQ(IdsOnDisk(path), (QStringList{"ID-1", "ID-2", "ID-3"}));
}

TEST_F(TaskDatabaseProcessTest, TwoNamesOfOneFileAreOneDatabase) {
    // A hard link gives the database a second name, in another folder; a
    // copy reaching it there is refused as under its own name, before and
    // after saves have replaced the file, and from either side.
    const QString path = Path("plant.vkt");
    QDir().mkpath(Path("sub"));
    TaskDatabase db;
    ASSERT_TRUE(db.Create(path));
    AddTask(db, "ID-1");
    ASSERT_TRUE(db.Save());
    const auto linkTo = [&](const QString& alias) {
        return ::link(QFile::encodeName(path).constData(), QFile::encodeName(Path(alias)).constData()) == 0;
    };
    QStringList ids{"ID-1"};
    for (const char* alias : {"sub/alias.vkt", "sub/later.vkt"}) {
        ASSERT_TRUE(linkTo(alias));
        const QString refused = RunHelper({"add", Path(alias), "ID-2"});
        EXPECT_TRUE(refused.startsWith("refused: it is in use by another copy")) << refused.toStdString();
        EXPECT_EQ(IdsOnDisk(path), ids);
        AddTask(db, "ID-3");
        ids << "ID-3";
        ASSERT_TRUE(db.Save());   // a new file in the old one's place: the next link is made to it
    }
    db.Close();

    ASSERT_TRUE(linkTo("sub/last.vkt"));
    QProcess* holder = StartHelper({"open", Path("sub/last.vkt")});
    ASSERT_EQ(FirstLine(holder), "opened");
    EXPECT_TRUE(db.Open(path).inUse);
    holder->closeWriteChannel();
    ASSERT_TRUE(holder->waitForFinished(20000));
    EXPECT_TRUE(db.Open(path));
}

TEST_F(TaskDatabaseProcessTest, ASaveNeverOverwritesWhatAnotherProgramWrote) {
    const QString path = Path("plant.vkt");
    TaskDatabase db;
    ASSERT_TRUE(db.Create(path));
    AddTask(db, "ID-1");
    ASSERT_TRUE(db.Save());

    // A program that ignores the lock (or a copy on another machine whose
    // lock this one cannot see) writes the file.
    ASSERT_EQ(RunHelper({"overwrite", path, "ID-50"}), "written");
    AddTask(db, "ID-2");
    const TaskDatabase::Result r = db.Save();
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.reason.contains("Open the database again")) << r.reason.toStdString();
    EXPECT_EQ(IdsOnDisk(path), QStringList{"ID-50"});
    // The tasks of this copy are still in memory.
    EXPECT_EQ(db.Tasks().Text(db.Tasks().Rows() - 1, Col::TaskId), "ID-2");
}

TEST_F(TaskDatabaseTest, ALockFromAnotherComputerIsNeverTakenOverAndSaysHowToClearIt) {
    const QString path = Path("plant.vkt");
    {
        TaskDatabase db;
        ASSERT_TRUE(db.Create(path));
    }
    // As a copy on another computer leaves it on a shared folder.
    ASSERT_TRUE(TestEnv::WriteAll(TaskDatabase::LockFilePath(path), "4242\nquillon\nworkshop-pc\n"));
    TaskDatabase db;
    const TaskDatabase::Result r = db.Open(path);
    EXPECT_FALSE(r);
    EXPECT_TRUE(r.reason.contains("process 4242 on the computer \"workshop-pc\"")) << r.reason.toStdString();
    EXPECT_TRUE(r.reason.contains(TaskDatabase::LockFilePath(path))) << r.reason.toStdString();

    ASSERT_TRUE(QFile::remove(TaskDatabase::LockFilePath(path)));
    EXPECT_TRUE(db.Open(path));
}

}  // namespace

#include "model/backup/BackupArchive.h"
#include "model/backup/RestoreArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "model/database/TaskDatabase.h"
#include "platform/FileOps.h"
#include "platform/Grid.h"
#include "support/Inotify.h"
#include "support/TestEnv.h"

namespace {

using TestEnv::MakeZip;
using TestEnv::RawEntry;
using TestEnv::ReadAll;
using TestEnv::Snapshot;
using TestEnv::WriteAll;

// A refused backup or restore: it says so, naming `named` and saying `said`.
template <class Result>
void ExpectRefused(const Result& result, const QString& named, const char* said = "") {
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains(named)) << result.message.toStdString();
    EXPECT_TRUE(result.message.contains(said)) << result.message.toStdString();
}

}  // namespace

class BackupRestoreTest : public QuillonTest {
protected:
    // A database folder with two databases; "plant" is the open one.
    void MakeDatabaseFolder() {
        db_ = temp_ + "/db/";
        const std::pair<const char*, const char*> files[] = {
            {"plant.vkt", "plant grid"}, {"mill.vkt", "mill grid"}, {"plant.ini", "[Employees]\n"},
            {"mill.ini", "[Employees]\n"}, {"notes.txt", "not in any pattern"}, {"plant/Tasks/T1.tsk", "items of T1"},
            {"plant/Materials/T1.mts", "materials of T1"}, {"mill/Tasks/M1.tsk", "items of M1"},
            {"Photos/pump.jpg", "jpeg"}, {"Photos/2024/valve.png", "png"}, {"Docs/manual.pdf", "pdf"}};
        for (const auto& [name, text] : files) WriteAll(db_ + name, text);
    }
    QStringList Names(const QString& archive) {
        QList<ZipEntry> entries;
        EXPECT_TRUE(BackupArchive::List(archive, &entries));
        QStringList names;
        for (const ZipEntry& e : entries) names << e.name;
        return names;
    }
    QString db_;
};

TEST_F(BackupRestoreTest, BackupTakesThePatternsInOrderAndRestoresWhereTaken) {
    MakeDatabaseFolder();
    const QString archive = temp_ + "/backup.zip";
    ZipProgress progress;
    const auto result = BackupArchive::Run(archive, db_, "plant", false, &progress);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(progress.overall.load(), 100);
    EXPECT_EQ(Names(archive), QStringList({"mill.vkt", "plant.vkt", "mill.ini", "plant.ini", "Photos/2024/valve.png",
                                           "Photos/pump.jpg", "plant/Materials/T1.mts", "plant/Tasks/T1.tsk"}));

    // Back into the folder it came from, after the files changed.
    const auto before = Snapshot(db_);
    WriteAll(db_ + "plant.vkt", "changed since");
    QFile::remove(db_ + "plant/Tasks/T1.tsk");
    auto restored = RestoreArchive::Restore(archive, db_);
    ASSERT_TRUE(restored.ok) << restored.message.toStdString();
    restored.notes.reset();   // told: its note that it completed goes
    EXPECT_EQ(Snapshot(db_), before);
    EXPECT_TRUE(restored.written.contains(QDir::cleanPath(db_ + "plant.vkt")));

    // And into an empty folder: exactly the archive's files.
    const QString elsewhere = temp_ + "/new";
    QDir().mkpath(elsewhere);
    ASSERT_TRUE(RestoreArchive::Restore(archive, elsewhere).ok);
    EXPECT_EQ(ReadAll(elsewhere + "/plant/Materials/T1.mts"), "materials of T1");
    EXPECT_FALSE(QFileInfo::exists(elsewhere + "/Docs"));
    EXPECT_FALSE(QFileInfo::exists(elsewhere + "/mill"));
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 6);
}

// A picture another user keeps private is left out and named with its
// reason; everything else is backed up and comes back whole.
TEST_F(BackupRestoreTest, AFileThatCannotBeReadIsLeftOutAndTheRestBackedUp) {
    MakeDatabaseFolder();
    const QString secret = db_ + "Photos/private.jpg";
    WriteAll(secret, "not for this user");
    ASSERT_EQ(::chmod(QFile::encodeName(secret).constData(), 0), 0);
    const QString archive = temp_ + "/backup.zip";
    BackupArchive::Result result;
    {
        TestEnv::AnotherUser user(temp_);
        result = BackupArchive::Run(archive, db_, "plant", false);
    }
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    ASSERT_EQ(result.leftOut.size(), 1);
    EXPECT_EQ(result.leftOut[0].path, secret);
    EXPECT_EQ(result.leftOut[0].why, "cannot be read: " + FileOps::ErrorText(EACCES));

    const QString empty = temp_ + "/empty";
    QDir().mkpath(empty);
    auto restored = RestoreArchive::Restore(archive, empty);
    ASSERT_TRUE(restored.ok) << restored.message.toStdString();
    restored.notes.reset();
    auto expected = Snapshot(db_);
    for (const char* notTaken : {"notes.txt", "Docs", "Docs/manual.pdf", "mill", "mill/Tasks", "mill/Tasks/M1.tsk",
                                 "Photos/private.jpg"})
        expected.remove(notTaken);
    EXPECT_EQ(Snapshot(empty), expected);
}

TEST_F(BackupRestoreTest, FullPathBackupRestoresOnlyWithFullPaths) {
    MakeDatabaseFolder();
    const QString archive = db_ + "inside.zip";   // inside the database folder
    ASSERT_TRUE(BackupArchive::Run(archive, db_, "plant", true).ok);
    ASSERT_TRUE(BackupArchive::Run(archive, db_, "plant", true).ok);   // not added to itself the second time
    const QStringList names = Names(archive);
    EXPECT_EQ(names.size(), 8);
    EXPECT_TRUE(names.contains(QDir::cleanPath(db_ + "plant/Tasks/T1.tsk")));

    // Relative restore: every entry refused, named, nothing written.
    const QString target = temp_ + "/target";
    QDir().mkpath(target);
    const auto plan = RestoreArchive::Prepare(archive, target, false);
    EXPECT_EQ(plan.refused.size(), 8);
    ExpectRefused(RestoreArchive::Run(plan), "plant.vkt");
    EXPECT_TRUE(QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

    // Full paths: back where they were, folders named for the question.
    WriteAll(db_ + "mill.vkt", "changed");
    QDir(db_ + "plant").removeRecursively();
    const auto full = RestoreArchive::Prepare(archive, target, true);
    ASSERT_TRUE(full.Ok());
    EXPECT_EQ(full.Folders(), QStringList({QDir::cleanPath(db_), QDir::cleanPath(db_ + "Photos"),
                                           QDir::cleanPath(db_ + "Photos/2024"), QDir::cleanPath(db_ + "plant/Materials"),
                                           QDir::cleanPath(db_ + "plant/Tasks")}));
    ASSERT_TRUE(RestoreArchive::Run(full).ok);
    EXPECT_EQ(ReadAll(db_ + "mill.vkt"), "mill grid");
    EXPECT_EQ(ReadAll(db_ + "plant/Tasks/T1.tsk"), "items of T1");
    EXPECT_TRUE(QDir(db_).entryList({".quillon-restore-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
}

TEST_F(BackupRestoreTest, NothingToBackUpKeepsTheOldArchive) {
    const QString empty = temp_ + "/empty/";
    WriteAll(empty + "Docs/a.pdf", "x");
    const QString archive = temp_ + "/old.zip";
    MakeZip(archive, {{"old.txt", "older backup"}});
    const QByteArray older = ReadAll(archive);
    ExpectRefused(BackupArchive::Run(archive, empty, "plant", false), "no files to back up");
    EXPECT_EQ(ReadAll(archive), older);

    // A database name that is no file name never widens the companion
    // pattern to the whole folder.
    EXPECT_EQ(BackupArchive::Patterns(empty, "").size(), 3);
    EXPECT_EQ(BackupArchive::Patterns(empty, "../x").size(), 3);
    EXPECT_FALSE(BackupArchive::Run(archive, temp_ + "/missing/", "plant", false).ok);
}

TEST_F(BackupRestoreTest, HostileNamesAreRefusedAndNothingIsWritten) {
    const QString target = temp_ + "/target";
    WriteAll(target + "/keep/a.txt", "mine");
    struct Case {
        const char* label;
        std::vector<RawEntry> entries;
        const char* named;
    };
    const std::vector<Case> cases = {
        {"dot-dot", {{"ok.txt", "fine"}, {"../evil", "x"}}, "../evil"},
        {"nested dot-dot", {{"keep/../../evil", "x"}}, "keep/../../evil"},
        {"absolute", {{"/tmp/evil", "x"}}, "/tmp/evil"},
        {"drive", {{"C:\\evil", "x"}}, "C:\\evil"},
        {"backslash", {{"..\\evil", "x"}}, "..\\evil"},
        {"symlink", {{"link", "/tmp", true}, {"link/evil", "x"}}, "link"},
        {"duplicate", {{"twin.txt", "one"}, {"twin.txt", "two"}}, "twin.txt"},
        {"file and folder", {{"keep2", "file"}, {"keep2/b.txt", "x"}}, "keep2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QString archive = temp_ + "/hostile.zip";
        MakeZip(archive, c.entries);
        const auto before = Snapshot(temp_);
        ExpectRefused(RestoreArchive::Restore(archive, target), QString::fromUtf8(c.named), "Nothing was restored");
        EXPECT_EQ(Snapshot(temp_), before);
        EXPECT_FALSE(QFileInfo::exists("/tmp/evil"));
    }
}

TEST_F(BackupRestoreTest, DamagedArchivesChangeNothing) {
    const QString target = temp_ + "/target";
    WriteAll(target + "/a.txt", "old a");
    const QString good = temp_ + "/good.zip";
    const QByteArray content = QByteArray("new content of b, long enough to find. ").repeated(50);
    MakeZip(good, {{"a.txt", "new a"}, {"b.txt", content, false, true}});
    const QByteArray bytes = ReadAll(good);

    // Flip one byte of b.txt's (stored) data: its CRC no longer fits.
    QByteArray wrongCrc = bytes;
    const int at = wrongCrc.indexOf(content);
    ASSERT_GT(at, 0);
    wrongCrc[at + 100] = char(wrongCrc[at + 100] ^ 0x55);
    for (const auto& [label, damaged] : {std::pair{"truncated", bytes.left(bytes.size() - 30)},
                                         std::pair{"zero bytes", QByteArray()}, std::pair{"wrong crc", wrongCrc}}) {
        SCOPED_TRACE(label);
        const QString archive = temp_ + "/damaged.zip";
        WriteAll(archive, damaged);
        const auto before = Snapshot(target);
        ExpectRefused(RestoreArchive::Restore(archive, target), "damaged.zip");
        EXPECT_EQ(Snapshot(target), before);
    }

    // A zero-byte entry is a file like any other.
    MakeZip(good, {{"empty.txt", ""}, {"sub/", ""}});
    ASSERT_TRUE(RestoreArchive::Restore(good, target).ok);
    EXPECT_TRUE(QFileInfo(target + "/empty.txt").isFile());
    EXPECT_EQ(QFileInfo(target + "/empty.txt").size(), 0);
    EXPECT_TRUE(QFileInfo(target + "/sub").isDir());
}

TEST_F(BackupRestoreTest, LinksAlreadyInTheTargetAreNotWrittenThrough) {
    const QString target = temp_ + "/target";
    const QString outside = temp_ + "/outside";
    QDir().mkpath(target);
    QDir().mkpath(outside);
    ASSERT_TRUE(QFile::link(outside, target + "/Photos"));
    const QString archive = temp_ + "/a.zip";
    MakeZip(archive, {{"Photos/pump.jpg", "jpeg"}});
    ExpectRefused(RestoreArchive::Restore(archive, target), "Photos");
    EXPECT_TRUE(QDir(outside).isEmpty());

    // A file already where the archive has a folder, and the reverse.
    QFile::remove(target + "/Photos");
    WriteAll(target + "/Photos", "a file");
    EXPECT_FALSE(RestoreArchive::Restore(archive, target).ok);
    EXPECT_EQ(ReadAll(target + "/Photos"), "a file");
    MakeZip(archive, {{"keep", "a file"}});
    QDir().mkpath(target + "/keep/inner");
    EXPECT_FALSE(RestoreArchive::Restore(archive, target).ok);
    EXPECT_TRUE(QFileInfo(target + "/keep/inner").isDir());
    // No target folder at all.
    EXPECT_FALSE(RestoreArchive::Restore(archive, temp_ + "/nowhere").ok);
    EXPECT_FALSE(QFileInfo::exists(temp_ + "/nowhere"));
}

TEST_F(BackupRestoreTest, EntryNamesAreCheckedPartByPart) {
    QString why;
    EXPECT_EQ(RestoreArchive::SafeRelativeName("./a//b/./c.txt", false, &why), "a/b/c.txt");
    EXPECT_EQ(RestoreArchive::SafeRelativeName("/home/me/a.vkt", true, &why), "home/me/a.vkt");
    EXPECT_TRUE(RestoreArchive::SafeRelativeName("a.vkt", true, &why).isEmpty());
    EXPECT_FALSE(why.isEmpty());
    EXPECT_TRUE(RestoreArchive::SafeRelativeName("/home/../etc/x", true, &why).isEmpty());
    // Control characters are letters of Linux file names; NUL is not.
    EXPECT_EQ(RestoreArchive::SafeRelativeName("a\nb/\tc\r", false, &why), "a\nb/\tc\r");
    EXPECT_TRUE(RestoreArchive::SafeRelativeName(QString("a") + QChar(0) + "b", false, &why).isEmpty());
    EXPECT_TRUE(RestoreArchive::SafeRelativeName("d:x", false, &why).isEmpty());
    EXPECT_TRUE(RestoreArchive::SafeRelativeName("./", false, &why).isEmpty());
    EXPECT_TRUE(RestoreArchive::SafeRelativeName(QString(256, 'a'), false, &why).isEmpty());
    EXPECT_EQ(RestoreArchive::SafeRelativeName("..a/b..", false, &why), "..a/b..");
}

TEST_F(BackupRestoreTest, GridComparedWithItsFileByCells) {
    Grid grid(3, 4);
    grid.SetText(1, 1, "T1");
    const QString path = temp_ + "/g.vkt";
    ASSERT_TRUE(grid.SaveFile(path));
    grid.SetRowHeight(2, 0);   // a view change is not an unsaved change
    EXPECT_TRUE(RestoreArchive::GridMatchesFile(grid, path));
    grid.SetText(2, 3, "edited");
    EXPECT_FALSE(RestoreArchive::GridMatchesFile(grid, path));
    EXPECT_FALSE(RestoreArchive::GridMatchesFile(grid, temp_ + "/missing.vkt"));
}

// ---------------------------------------------------------------- hostile folders and archives

namespace {

// Sets the uncompressed size every header of the archive states for its
// (one) entry, as a hostile archive would.
void StateSize(const QString& archive, quint32 size) {
    QByteArray bytes = ReadAll(archive);
    auto put = [&](qsizetype at) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = char((size >> (8 * i)) & 0xFF);
    };
    ASSERT_TRUE(bytes.startsWith("PK\x03\x04"));
    put(22);
    const qsizetype central = bytes.indexOf(QByteArray("PK\x01\x02", 4));
    ASSERT_GT(central, 0);
    put(central + 24);
    ASSERT_TRUE(WriteAll(archive, bytes));
}

// Marks a file immutable (chattr +i) or not; false where the file system or
// the user cannot.
bool SetImmutable(const QString& path, bool on) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    unsigned flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

TEST_F(BackupRestoreTest, BackupRefusesATargetItWouldTakeOrThatIsNoArchive) {
    MakeDatabaseFolder();
    const QString elsewhere = temp_ + "/elsewhere/";
    WriteAll(elsewhere + "notes.txt", "my notes");
    ASSERT_TRUE(QFile::link(db_ + "plant.vkt", elsewhere + "link.zip"));
    ASSERT_TRUE(QFile::link(db_, temp_ + "/db-link"));
    const QStringList targets = {
        db_ + "mill.vkt",                  // another database of the folder
        db_ + "plant.vkt",                 // the open one
        db_ + "plant.ini",                 // a list file
        db_ + "new.VKT",                   // a name the pattern takes, not there yet
        db_ + "Photos/2024/b.zip",         // in Photos
        db_ + "plant/Tasks/b.zip",         // in the open database's companion folder
        db_ + "mill/b.zip",                // in another database's
        elsewhere + "link.zip",            // a link to the database
        temp_ + "/db-link/plant.ini",      // the folder reached through a link
        elsewhere + "notes.txt",           // a file that is no archive
        elsewhere,                         // a folder
    };
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        const auto before = Snapshot(temp_);
        // Said as it is: a file there would be replaced, a new one taken in.
        ExpectRefused(BackupArchive::Run(target, db_, "plant", false), target,
                      QFileInfo::exists(target) ? "nothing was replaced" : "nothing was written");
        EXPECT_EQ(Snapshot(temp_), before);
    }
}

// One large picture: the overall bar moves while it is compressed and while
// it is written back, not only when it is done.
TEST_F(BackupRestoreTest, TheOverallBarMovesWithinALargeFile) {
    MakeDatabaseFolder();
    QByteArray picture(48 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < picture.size(); i += 4) {
        const quint32 r = QRandomGenerator::global()->generate();
        memcpy(picture.data() + i, &r, 4);
    }
    WriteAll(db_ + "Photos/big.png", picture);
    // True when the overall bar stood between its ends while a file was
    // still under way.
    const auto moves = [](const std::function<bool(ZipProgress*)>& work) {
        ZipProgress progress;
        std::atomic<bool> running{true}, seen{false};
        std::thread watcher([&] {
            while (running) {
                const int file = progress.file, overall = progress.overall;
                if (file > 0 && file < 100 && overall > 0 && overall < 100) seen = true;
                std::this_thread::yield();
            }
        });
        const bool ok = work(&progress);
        running = false;
        watcher.join();
        return ok && seen;
    };
    const QString archive = temp_ + "/backup.zip";
    EXPECT_TRUE(moves([&](ZipProgress* p) { return BackupArchive::Run(archive, db_, "plant", false, p).ok; }));
    const QString single = temp_ + "/single.zip";
    TestEnv::MakeZip(single, {{"Photos/big.png", picture}});
    const QString target = temp_ + "/target";
    QDir().mkpath(target);
    EXPECT_TRUE(moves([&](ZipProgress* p) {
        return RestoreArchive::Run(RestoreArchive::Prepare(single, target, false), p).ok;
    }));
}

TEST_F(BackupRestoreTest, BackupLeavesOutWhatIsNoFileAndNamesEveryOne) {
    MakeDatabaseFolder();
    const QString outside = temp_ + "/outside";
    WriteAll(outside + "/secret.txt", "not the database's");
    QDir(db_ + "Photos").removeRecursively();
    // Files linked to a file outside, folders to the folder.
    QMap<QString, QString> expected;   // path -> what the user reads of it
    for (const QString link : {"Photos", "other.vkt", "plant/Materials/more", "plant/Tasks/T9.tsk"}) {
        ASSERT_TRUE(QFile::link(link.contains('.') ? outside + "/secret.txt" : outside, db_ + link));
        expected[QDir::cleanPath(db_ + link)] = link.contains('.') ? "a link, not followed" : "a link to a folder, not followed";
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(db_ + "plant/Tasks/pipe").constData(), 0600), 0);
    expected[db_ + "plant/Tasks/pipe"] = "a named pipe (FIFO), not a file";
    // A name a restore would take for a Windows path.
    WriteAll(db_ + "plant/Tasks/a\\b.tsk", "x");
    expected[db_ + "plant/Tasks/a\\b.tsk"] = "a restore could not take it back: its entry name uses backslashes";
    WriteAll(db_ + "plant/Tasks/bell\a.tsk", "x");
    expected[db_ + "plant/Tasks/bell\a.tsk"] = "its name holds a control character (code 7)";
    const QString archive = temp_ + "/backup.zip";
    const auto result = BackupArchive::Run(archive, db_, "plant", false);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(Names(archive), QStringList({"mill.vkt", "plant.vkt", "mill.ini", "plant.ini", "plant/Materials/T1.mts",
                                           "plant/Tasks/T1.tsk"}));
    QMap<QString, QString> said;
    for (const LeftOutEntry& e : result.leftOut) said[e.path] = e.why.left(expected.value(e.path).size());
    EXPECT_EQ(said, expected);
}

TEST_F(BackupRestoreTest, AFullDiskIsSaidAndChangesNothing) {
    MakeDatabaseFolder();
    QByteArray big(300000, '\0');   // noise: it does not compress
    QRandomGenerator(1).fillRange(reinterpret_cast<quint32*>(big.data()), big.size() / 4);
    WriteAll(db_ + "Photos/big.jpg", big);
    const QString archive = temp_ + "/backup.zip", target = temp_ + "/target";
    MakeZip(archive, {{"old.txt", "older backup"}});
    WriteAll(target + "/plant.vkt", "mine");
    auto before = Snapshot(temp_);   // the older archive, and no temporary beside it
    const auto backup = [&] {
        TestEnv::DiskFull full(100000);
        return BackupArchive::Run(archive, db_, "plant", false);
    }();
    ExpectRefused(backup, archive, "The disk is full.");
    EXPECT_EQ(Snapshot(temp_), before);

    ASSERT_TRUE(BackupArchive::Run(archive, db_, "plant", false).ok);
    before = Snapshot(target);
    const auto restore = [&] {
        TestEnv::DiskFull full(100000);
        return RestoreArchive::Restore(archive, target);
    }();
    ExpectRefused(restore, target, "The disk is full.");
    EXPECT_EQ(Snapshot(target), before);
}

TEST_F(BackupRestoreTest, ZipBombsAreRefusedBeforeAnythingIsWritten) {
    const QString target = temp_ + "/target", archive = temp_ + "/bomb.zip";
    WriteAll(target + "/plant.vkt", "mine");
    const auto before = Snapshot(target);
    // 100 KB of zeros packs into a few hundred bytes.
    for (const auto& [stated, said] : {std::pair{200000000u, "zip bomb"}, std::pair{1000u, "damaged"}}) {
        SCOPED_TRACE(said);
        MakeZip(archive, {{"Photos/bomb.jpg", QByteArray(100000, '\0')}});
        StateSize(archive, stated);
        ExpectRefused(RestoreArchive::Restore(archive, target), "bomb.jpg", said);
        EXPECT_EQ(Snapshot(target), before);
    }

    // The sums behind it: a ratio and a size, and the room on the disk.
    struct Sums {
        const char* label;
        std::vector<std::pair<qint64, qint64>> entries;   // stated and packed size
        qint64 freeBytes, freeFiles;
        const char* said;   // "" when it fits
    };
    constexpr qint64 MB = 1024 * 1024;
    const std::vector<Sums> sums = {
        {"fits", {{1000, 400}, {2000, 900}}, 10000 * MB, 1000000, ""},
        {"large, packed soundly", {{200 * MB, 50 * MB}}, 10000 * MB, 1000000, ""},
        {"large, packed absurdly", {{200 * MB, 100 * 1024}}, 10000 * MB, 1000000, "zip bomb"},
        {"absurd ratio, small", {{50 * MB, 1000}}, 10000 * MB, 1000000, ""},
        {"more than is free", {{300 * MB, 200 * MB}}, 250 * MB, 1000000, "needs about 310 MB, and 250 MB are free"},
        {"within the margin", {{10 * MB, 9 * MB}}, 10 * MB, 1000000, "needs about 10.4 MB, and 10.0 MB are free"},
        {"a few MB, well within", {{6 * MB, 6 * MB}}, 8 * MB, 1000000, ""},
        {"free space unknown", {{10 * MB, 9 * MB}}, -1, -1, ""},
        {"more files than fit", std::vector<std::pair<qint64, qint64>>(200, {10, 10}), 10000 * MB, 100, "The disk is full."},
    };
    for (const Sums& s : sums) {
        RestoreArchive::Plan plan;
        plan.archive = archive;
        plan.root = target;
        for (const auto& [size, packed] : s.entries) plan.items.push_back({0, "x", false, size, packed});
        const QString problem = RestoreArchive::SpaceProblem(plan, s.freeBytes, s.freeFiles);
        EXPECT_EQ(problem.isEmpty(), !*s.said) << s.label;
        EXPECT_TRUE(problem.contains(s.said)) << s.label << ": " << problem.toStdString();
    }
}

TEST_F(BackupRestoreTest, ADestinationThatCannotBeChangedRefusesTheRestoreUpFront) {
    MakeDatabaseFolder();
    const QString archive = temp_ + "/backup.zip";
    ASSERT_TRUE(BackupArchive::Run(archive, db_, "plant", false).ok);
    for (const bool folder : {true, false}) {
        const char* what = folder ? "a read-only folder" : "an immutable file";
        SCOPED_TRACE(what);
        const QString target = TestEnv::NewTempFolder();
        for (const char* f : {"plant.vkt", "plant.ini", "plant/Tasks/T1.tsk"}) WriteAll(target + "/" + f, "old");
        const QString path = target + (folder ? "/plant/Tasks" : "/plant.ini");
        if (!(folder ? TestEnv::MakeReadOnly(path) : SetImmutable(path, true))) {
            if (folder) TestEnv::MakeWritable(path);
            std::printf("skipped %s: this user or file system cannot make one\n", what);
            continue;
        }
        const auto before = Snapshot(target);
        const auto result = RestoreArchive::Restore(archive, target);
        const auto after = Snapshot(target);
        if (folder) TestEnv::MakeWritable(path);
        else SetImmutable(path, false);
        ExpectRefused(result, path, "Nothing was restored");
        EXPECT_EQ(after, before);
    }
}

TEST_F(BackupRestoreTest, AFailureWhileMovingPutsEveryOriginalBack) {
    // Many files go in first; the last one's file is made unchangeable the
    // moment the restore has written its journal and starts moving.
    const QString target = temp_ + "/target", archive = temp_ + "/many.zip", late = target + "/late/zz.txt";
    std::vector<RawEntry> entries;
    for (int i = 0; i <= 1500; ++i) {
        const QString n = i < 1500 ? QStringLiteral("f%1.txt").arg(i, 4, 10, QLatin1Char('0')) : "late/zz.txt";
        WriteAll(target + "/" + n, "old " + n.toUtf8());
        entries.push_back({n.toUtf8(), "new " + n.toUtf8()});
    }
    MakeZip(archive, entries);
    const bool root = ::geteuid() == 0;
    if (root && !(SetImmutable(late, true) && SetImmutable(late, false)))
        GTEST_SKIP() << "this file system cannot mark a file immutable, and permissions do not bind root";
    const auto strike = [&](bool on) {
        if (root) SetImmutable(late, on);
        else ::chmod(QFile::encodeName(target + "/late").constData(), on ? 0555 : 0755);
    };
    const auto before = Snapshot(target);

    std::atomic<bool> struck{false};
    std::thread meddler([&] {
        const int in = inotify_init1(IN_CLOEXEC);
        inotify_add_watch(in, QFile::encodeName(target).constData(), IN_CREATE);
        int stagingWatch = -1;
        Inotify::WaitFor(in, 20000, [&](const inotify_event& e) {
            const QByteArray name = e.len ? QByteArray(e.name) : QByteArray();
            if (e.wd != stagingWatch && name.startsWith(".quillon-restore-"))
                stagingWatch = inotify_add_watch(in, QFile::encodeName(target + "/" + name).constData(), IN_MOVED_TO);
            else if (e.wd == stagingWatch && name == "journal") {
                strike(true);
                struck = true;
            }
            return bool(struck);
        });
        ::close(in);
    });
    const auto result = RestoreArchive::Restore(archive, target);
    meddler.join();
    strike(false);
    ASSERT_TRUE(struck);
    ExpectRefused(result, late, "Nothing was restored");
    EXPECT_EQ(Snapshot(target), before);
}

TEST_F(BackupRestoreTest, ARestoreOverADatabaseAnotherCopyHoldsIsRefused) {
    MakeDatabaseFolder();
    const QString path = db_ + "plant.vkt", archive = temp_ + "/backup.zip";
    ASSERT_TRUE(TaskDatabase().Create(path));
    ASSERT_TRUE(BackupArchive::Run(archive, db_, "plant", false).ok);
    WriteAll(db_ + "plant.ini", "[Employees]\nchanged since=1\n");

    QProcess holder;
    holder.start(QStringLiteral(QUILLON_TASKDB_HELPER), {"open", path});
    ASSERT_TRUE(holder.waitForReadyRead(20000));
    ASSERT_EQ(holder.readLine().trimmed(), "opened");
    const auto before = Snapshot(db_);
    ExpectRefused(RestoreArchive::Restore(archive, db_), path,
                  qPrintable(QStringLiteral("another copy of Quillon (process %1").arg(holder.processId())));
    EXPECT_EQ(Snapshot(db_), before);
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(20000));
}

TEST_F(BackupRestoreTest, LeftoversGoAtTheNextBackupRestoreOrOpen) {
    MakeDatabaseFolder();
    const QString archive = temp_ + "/backup.zip";
    ASSERT_TRUE(BackupArchive::Run(archive, db_, "plant", false).ok);
    const pid_t dead = TestEnv::DeadPid();
    const struct {
        const char* name;
        QByteArray bytes;
        int age;   // seconds since it was written to
        bool stays;
    } leftovers[] = {
        {".backup.zip.Ab3dE9.qtmp", "PK\x03\x04 half an archive", 60, false},
        {"nightly.zip.Zx81Qa", "PK\x03\x04 half an archive", 120, false},   // as older versions named them
        {"weekly.zip.Zx81Qb", "PK\x03\x04 half an archive", 0, true},       // a backup writing it now
        {"report.zip.draft1", "the user's own", 120, true},
        {"plant.zip.backup", TestEnv::ReadAll(archive), 120, true},        // a whole archive the user renamed
    };
    for (const char* trigger : {"backup", "restore", "open"}) {
        SCOPED_TRACE(trigger);
        const QString folder = TestEnv::NewTempFolder() + "/";
        ASSERT_TRUE(TaskDatabase().Create(folder + "plant.vkt"));
        const QString killedRestore = folder + QStringLiteral(".quillon-restore-%1-aBcDeF").arg(dead);
        WriteAll(killedRestore + "/new/plant.vkt", "half a restore");
        for (const auto& l : leftovers) {
            WriteAll(folder + l.name, l.bytes);
            if (l.age) TestEnv::Age(folder + l.name, l.age);
        }
        const QByteArray how(trigger);
        ASSERT_TRUE(how == "backup"    ? BackupArchive::Run(folder + "b.zip", folder, "plant", false).ok
                    : how == "restore" ? RestoreArchive::Restore(archive, folder).ok
                                       : bool(TaskDatabase().Open(folder + "plant.vkt")));
        EXPECT_FALSE(QFileInfo::exists(killedRestore));
        for (const auto& l : leftovers) EXPECT_EQ(QFileInfo::exists(folder + l.name), l.stays) << l.name;
    }
}

// Whatever a backup takes, or bsdtar packs ("./", "./Photos/"), a restore
// into an empty folder gives back byte for byte, odd names and all.
TEST_F(BackupRestoreTest, EveryFileComesBackUnderItsOwnName) {
    db_ = temp_ + "/db/";
    const QStringList names = {"plant.vkt", "plant.ini", "Photos/pump\nline two.jpg", "Photos/tab\there.jpg",
                               "Photos/with  spaces .jpg", "Photos/ünï 写真.jpg", "Photos/-dash.jpg",
                               "plant/Tasks/-T1.tsk", "plant/Materials/\r.mts"};
    for (const QString& name : names) WriteAll(db_ + name, "bytes of " + name.toUtf8());
    const auto taken = TestEnv::Snapshot(db_);
    const QString ours = temp_ + "/backup.zip", theirs = temp_ + "/bsdtar.zip";
    const auto backup = BackupArchive::Run(ours, db_, "plant", false);
    ASSERT_TRUE(backup.ok) << backup.message.toStdString();
    EXPECT_TRUE(backup.leftOut.isEmpty());
    QProcess bsdtar;
    bsdtar.setWorkingDirectory(db_);
    bsdtar.start("bsdtar", {"-a", "-cf", theirs, "./"});
    ASSERT_TRUE(bsdtar.waitForFinished(20000) && bsdtar.exitCode() == 0)
        << "bsdtar (package libarchive-tools) is needed: " << bsdtar.errorString().toStdString();
    ASSERT_TRUE(Names(theirs).contains("./Photos/"));
    for (const QString& archive : {ours, theirs}) {
        SCOPED_TRACE(archive.toStdString());
        const QString target = TestEnv::NewTempFolder();
        auto restored = RestoreArchive::Restore(archive, target);
        ASSERT_TRUE(restored.ok) << restored.message.toStdString();
        restored.notes.reset();
        EXPECT_EQ(TestEnv::Snapshot(target), taken);
    }
}

// A restore onto a small disk: one that fits goes through; one that does
// not is refused before a byte is written, with the room it needs and the
// room that is free as the disk has them.
TEST_F(BackupRestoreTest, ARestoreAsksForTheRoomItTakes) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small disk (tmpfs) needs root";
    ASSERT_EQ(::unshare(CLONE_NEWNS), 0);
    ASSERT_EQ(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
    // 6 MB of pictures that do not compress, and a database.
    std::vector<RawEntry> entries{{"plant.vkt", "grid"}};
    qint64 bytes = 4;
    for (int i = 0; i < 60; ++i) {
        QByteArray picture(100 * 1024 + i * 37, Qt::Uninitialized);
        QRandomGenerator(i).fillRange(reinterpret_cast<quint32*>(picture.data()), picture.size() / 4);
        bytes += picture.size();
        entries.push_back({QStringLiteral("Photos/p%1.jpg").arg(i).toUtf8(), picture});
    }
    const QString archive = temp_ + "/backup.zip";
    MakeZip(archive, entries);
    constexpr double MB = 1024 * 1024;
    for (const auto& [size, fits] : {std::pair{bytes * 11 / 10 + 256 * 1024, true}, std::pair{bytes * 9 / 10, false}}) {
        SCOPED_TRACE(fits ? "fits" : "does not fit");
        const QString disk = TestEnv::NewTempFolder();
        ASSERT_EQ(::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0,
                          QStringLiteral("size=%1").arg(size).toLatin1().constData()), 0);
        struct statvfs before {}, after {};
        ::statvfs(QFile::encodeName(disk).constData(), &before);
        auto result = RestoreArchive::Restore(archive, disk);
        result.notes.reset();
        ::statvfs(QFile::encodeName(disk).constData(), &after);
        if (fits) {
            EXPECT_TRUE(result.ok) << result.message.toStdString();
            EXPECT_EQ(TestEnv::Snapshot(disk).size(), 61 + 1);
        } else {
            ExpectRefused(result, "needs about", "Nothing was restored");
            const auto said = QRegularExpression("needs about ([0-9.]+) MB, and ([0-9.]+) MB are free").match(result.message);
            ASSERT_TRUE(said.hasMatch()) << result.message.toStdString();
            const double free = double(before.f_bavail) * double(before.f_frsize) / MB;
            EXPECT_NEAR(said.captured(2).toDouble(), free, 0.1);
            EXPECT_GE(said.captured(1).toDouble(), bytes / MB);
            EXPECT_LE(said.captured(1).toDouble(), bytes * 1.1 / MB);
            EXPECT_EQ(after.f_bfree, before.f_bfree);
        }
        ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH);
    }
}

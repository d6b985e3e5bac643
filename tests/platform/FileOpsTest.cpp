#include "platform/FileOps.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

#include "support/TestEnv.h"

namespace {

using TestEnv::Mode;
using TestEnv::ReadAll;

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

}  // namespace

class FileOpsTest : public QuillonTest {};

TEST_F(FileOpsTest, WriteAndReadBack) {
    const QString path = temp_ + "/a.bin";
    const QByteArray bytes("one\0two\r\n", 9);
    ASSERT_TRUE(FileOps::WriteFileSafely(path, bytes));
    EXPECT_EQ(ReadAll(path), bytes);
    ASSERT_TRUE(FileOps::WriteFileSafely(path, "new"));
    EXPECT_EQ(ReadAll(path), "new");
    ASSERT_TRUE(FileOps::WriteFileSafely(path, QByteArray()));
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(FilesIn(temp_), QStringList({"a.bin"}));

    QString error;
    EXPECT_FALSE(FileOps::WriteFileSafely(temp_ + "/missing/a.bin", "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(FileOps::WriteFileSafely(temp_, "x", &error));   // a folder
    QByteArray out = "untouched";
    EXPECT_FALSE(FileOps::ReadFile(temp_ + "/nothing", &out, &error));
    EXPECT_FALSE(FileOps::ReadFile(temp_, &out, &error));
    EXPECT_EQ(out, "untouched");
}

TEST_F(FileOpsTest, FailedWriteLeavesTheOldFile) {
    const QString path = temp_ + "/tasks.vkt";
    ASSERT_TRUE(FileOps::WriteFileSafely(path, "old contents"));
    QString error;
    bool ok = false, copied = false;
    {
        TestEnv::DiskFull full(64);
        ok = FileOps::WriteFileSafely(path, QByteArray(4096, 'x'), &error);
        copied = FileOps::CopyFile(path, temp_ + "/copy.vkt", false, &error);
    }
    EXPECT_FALSE(ok);
    EXPECT_TRUE(copied);   // small enough to fit
    EXPECT_EQ(ReadAll(path), "old contents");
    EXPECT_EQ(FilesIn(temp_), QStringList({"copy.vkt", "tasks.vkt"}));
}

TEST_F(FileOpsTest, CopyReplacesOnlyWhenAsked) {
    const QString src = temp_ + "/src.txt", dst = temp_ + "/dst.txt";
    ASSERT_TRUE(FileOps::WriteFileSafely(src, "source"));
    ASSERT_TRUE(FileOps::CopyFile(src, dst, false));
    EXPECT_EQ(ReadAll(dst), "source");

    ASSERT_TRUE(FileOps::WriteFileSafely(dst, "keep me"));
    QString error;
    EXPECT_FALSE(FileOps::CopyFile(src, dst, false, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadAll(dst), "keep me");
    ASSERT_TRUE(FileOps::CopyFile(src, dst, true));
    EXPECT_EQ(ReadAll(dst), "source");
    ASSERT_TRUE(FileOps::CopyFile(src, src, true));   // onto itself: unchanged
    EXPECT_EQ(ReadAll(src), "source");

    EXPECT_FALSE(FileOps::CopyFile(temp_ + "/none", dst, true, &error));
    EXPECT_FALSE(FileOps::CopyFile(temp_, dst, true, &error));        // a folder is no source
    EXPECT_FALSE(FileOps::CopyFile(src, temp_, true, &error));        // nor a target
    EXPECT_EQ(ReadAll(dst), "source");
    EXPECT_EQ(FilesIn(temp_), QStringList({"dst.txt", "src.txt"}));
}

TEST_F(FileOpsTest, ExistenceAndRemoval) {
    const QString folder = temp_ + "/a/b/c";
    ASSERT_TRUE(FileOps::MakeFolder(folder));
    EXPECT_TRUE(FileOps::MakeFolder(folder));   // already there
    const QString file = folder + "/f.txt";
    ASSERT_TRUE(FileOps::WriteFileSafely(file, "x"));
    EXPECT_TRUE(FileOps::FileExists(file));
    EXPECT_FALSE(FileOps::FolderExists(file));
    EXPECT_TRUE(FileOps::FolderExists(folder));
    EXPECT_FALSE(FileOps::FileExists(folder));
    EXPECT_FALSE(FileOps::FileExists(""));
    EXPECT_FALSE(FileOps::FolderExists(""));
    EXPECT_FALSE(FileOps::MakeFolder(file + "/sub"));   // under a file

    EXPECT_FALSE(FileOps::RemoveFile(folder));   // a folder is not removed as a file
    EXPECT_FALSE(FileOps::RemoveFolder(file));   // nor a file as a folder
    EXPECT_TRUE(FileOps::FileExists(file));

    // A link to a folder goes alone; what it points to stays.
    const QString keep = temp_ + "/keep";
    ASSERT_TRUE(FileOps::MakeFolder(keep));
    ASSERT_TRUE(FileOps::WriteFileSafely(keep + "/precious", "y"));
    ASSERT_TRUE(QFile::link(keep, temp_ + "/a/b/link"));
    ASSERT_TRUE(QFile::link(temp_ + "/gone", temp_ + "/dangling"));

    EXPECT_TRUE(FileOps::RemoveFolder(temp_ + "/a"));
    EXPECT_FALSE(QFileInfo::exists(temp_ + "/a"));
    EXPECT_TRUE(FileOps::FileExists(keep + "/precious"));
    EXPECT_TRUE(FileOps::RemoveFile(temp_ + "/dangling"));
    EXPECT_FALSE(QFileInfo(temp_ + "/dangling").isSymLink());
    EXPECT_TRUE(FileOps::RemoveFile(temp_ + "/never-there"));
    EXPECT_TRUE(FileOps::RemoveFolder(temp_ + "/never-there"));
}

TEST_F(FileOpsTest, JoiningNeverInventsARootPath) {
    EXPECT_EQ(FileOps::Join("", "Tasks"), "Tasks");
    EXPECT_EQ(FileOps::Join("/data", "Tasks"), "/data/Tasks");
    EXPECT_EQ(FileOps::Join("/data/", "Tasks"), "/data/Tasks");
    EXPECT_EQ(FileOps::Join("/data//", "/Tasks"), "/data/Tasks");
    EXPECT_EQ(FileOps::Join("/", "Tasks"), "/Tasks");
    EXPECT_EQ(FileOps::Join("rel", "x.ini"), "rel/x.ini");
    EXPECT_EQ(FileOps::WithTrailingSlash("/data"), "/data/");
    EXPECT_EQ(FileOps::WithTrailingSlash("/data/"), "/data/");
    EXPECT_EQ(FileOps::WithTrailingSlash(""), "");
}

TEST_F(FileOpsTest, SafeFileNames) {
    for (const QString& ok : {QString("ID-1"), QString("Pump 3.vkt"), QString("..hidden"), QString("a..b"),
                              QString::fromUtf8("Größe €"), QString(255, 'a')})
        EXPECT_TRUE(FileOps::IsSafeFileName(ok)) << ok.toStdString();
    for (const QString& bad : {QString(""), QString("."), QString(".."), QString("../x"), QString("a/b"),
                               QString("/abs"), QString("a\\b"), QString("tab\there"), QString("nl\n"),
                               QString("nul") + QChar(0), QString(256, 'a')})
        EXPECT_FALSE(FileOps::IsSafeFileName(bad)) << bad.toStdString();
}

TEST_F(FileOpsTest, StaleTemporariesOfOurOwnAreClearedAtTheNextWrite) {
    const QString path = temp_ + "/plant.vkt";
    ASSERT_TRUE(FileOps::WriteFileSafely(path, "v1"));
    // What a writer killed before its rename leaves, and look-alikes that
    // are not ours or not stale.
    const QString stale = temp_ + "/.plant.vkt.Ab3dE9.qtmp";
    const QString young = temp_ + "/.plant.vkt.Zz9yY8.qtmp";
    const QString locked = temp_ + "/.plant.vkt.Lk0ck1.qtmp";
    const QString otherFile = temp_ + "/.other.vkt.Ab3dE9.qtmp";
    const QStringList usersOwn = {temp_ + "/plant.vkt.backup", temp_ + "/.plant.vkt.Ab3dE9.qtmp.keep",
                                  temp_ + "/.plant.vkt.Ab_dE9.qtmp"};
    for (const QString& f : QStringList{stale, young, locked, otherFile} + usersOwn) {
        ASSERT_TRUE(TestEnv::WriteAll(f, "partial"));
        ASSERT_TRUE(f == young || TestEnv::Age(f, 60));
    }
    const int holder = ::open(QFile::encodeName(locked).constData(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);   // a writer still at work

    ASSERT_TRUE(FileOps::WriteFileSafely(path, "v2"));
    EXPECT_FALSE(QFile::exists(stale));
    EXPECT_TRUE(QFile::exists(young));
    EXPECT_TRUE(QFile::exists(locked));
    EXPECT_TRUE(QFile::exists(otherFile));   // another file's: its own writer clears it
    for (const QString& f : usersOwn) EXPECT_TRUE(QFile::exists(f)) << f.toStdString();
    ::close(holder);
    ASSERT_TRUE(TestEnv::Age(young, 60));
    ASSERT_TRUE(FileOps::CopyFile(path, path, true));   // a copy writes the same way
    EXPECT_FALSE(QFile::exists(young));
    EXPECT_FALSE(QFile::exists(locked));
    EXPECT_EQ(ReadAll(path), "v2");
}

TEST_F(FileOpsTest, AFullDiskIsNamedAndPermissionsAndLinksAreKept) {
    const QString path = temp_ + "/tasks.vkt";
    ASSERT_TRUE(FileOps::WriteFileSafely(path, "old"));
    QString error;
    {
        TestEnv::DiskFull full(16);
        EXPECT_FALSE(FileOps::WriteFileSafely(path, QByteArray(4096, 'x'), &error));
    }
    EXPECT_EQ(error, "The disk is full.");
    EXPECT_EQ(FileOps::ErrorText(ENOSPC), "The disk is full.");
    EXPECT_EQ(FileOps::ErrorText(EACCES), QString::fromLocal8Bit(strerror(EACCES)));
    EXPECT_FALSE(FileOps::WriteFileSafely(temp_ + "/missing/x", "x", &error));
    EXPECT_EQ(error, QString::fromLocal8Bit(strerror(ENOENT)));

    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(FileOps::WriteFileSafely(path, "new"));
    EXPECT_EQ(QFile::permissions(path) & 0x70FF, QFile::ReadOwner | QFile::WriteOwner);   // owner, group, others

    // A database reached through a link: the file behind it is replaced.
    ASSERT_TRUE(QFile::link(path, temp_ + "/link.vkt"));
    ASSERT_TRUE(FileOps::WriteFileSafely(temp_ + "/link.vkt", "through the link"));
    EXPECT_TRUE(QFileInfo(temp_ + "/link.vkt").isSymLink());
    EXPECT_EQ(ReadAll(path), "through the link");
    EXPECT_EQ(FilesIn(temp_), QStringList({"link.vkt", "tasks.vkt"}));
}

// Every fsync of this test program passes through here, so a test can see
// what the safe-write routine syncs, and when.
namespace {
struct SyncRecord {
    bool folder;
    QByteArray targetThen;   // the target's bytes at the moment of the sync
};
std::vector<SyncRecord>* g_syncs = nullptr;
QString g_syncTarget;
}  // namespace

extern "C" int fsync(int fd) {
    using Fn = int (*)(int);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fsync"));
    if (g_syncs) {
        struct stat st {};
        ::fstat(fd, &st);
        g_syncs->push_back({S_ISDIR(st.st_mode), TestEnv::ReadAll(g_syncTarget)});
    }
    return real(fd);
}

TEST_F(FileOpsTest, TheFileIsSyncedBeforeTheRenameAndTheFolderAfterIt) {
    const QString path = temp_ + "/plant.vkt";
    ASSERT_TRUE(FileOps::WriteFileSafely(path, "old"));
    for (int copy = 0; copy < 2; ++copy) {
        std::vector<SyncRecord> syncs;
        g_syncTarget = path;
        g_syncs = &syncs;
        if (copy == 0) {
            ASSERT_TRUE(FileOps::WriteFileSafely(path, "new"));
        } else {
            ASSERT_TRUE(FileOps::WriteFileSafely(temp_ + "/src", "copied"));
            syncs.clear();
            ASSERT_TRUE(FileOps::CopyFile(temp_ + "/src", path, true));
        }
        g_syncs = nullptr;
        const QByteArray before = copy == 0 ? "old" : "new";
        const QByteArray after = copy == 0 ? "new" : "copied";
        ASSERT_EQ(syncs.size(), 2u) << copy;
        EXPECT_FALSE(syncs[0].folder);
        EXPECT_EQ(syncs[0].targetThen, before);   // the temporary, before it takes the name
        EXPECT_TRUE(syncs[1].folder);
        EXPECT_EQ(syncs[1].targetThen, after);    // the folder, once the rename is done
    }
}

// Every permission change of this test program passes through here too, so
// a test can see a file made wider than it ends up and narrowed afterwards:
// the moment in between is one in which another user may open it.
namespace {
std::vector<std::string>* g_narrowed = nullptr;
void NoteNarrowing(mode_t before, mode_t after, const std::string& what) {
    if (g_narrowed && (before & ~after & 0777) != 0) g_narrowed->push_back(what);
}
}  // namespace

extern "C" int fchmod(int fd, mode_t mode) {
    using Fn = int (*)(int, mode_t);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fchmod"));
    struct stat st {};
    if (g_narrowed && ::fstat(fd, &st) == 0) NoteNarrowing(st.st_mode, mode, "fchmod of a descriptor");
    return real(fd, mode);
}

extern "C" int chmod(const char* path, mode_t mode) {
    using Fn = int (*)(const char*, mode_t);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "chmod"));
    struct stat st {};
    if (g_narrowed && ::stat(path, &st) == 0) NoteNarrowing(st.st_mode, mode, std::string("chmod of ") + path);
    return real(path, mode);
}

TEST_F(FileOpsTest, EveryFileIsMadeWithNoMorePermissionsThanItKeeps) {
    const mode_t oldMask = ::umask(022);
    const QString source = temp_ + "/private.jpg";
    ASSERT_TRUE(TestEnv::WriteAll(source, "picture"));
    ::chmod(QFile::encodeName(source).constData(), 0600);
    enum How { Private, Plain, Copy };
    const struct {
        const char* what;
        mode_t before;   // 0: no file yet
        How how;
        mode_t after;
    } cases[] = {
        {"a new private file", 0, Private, 0600},
        {"a private file over a readable one", 0644, Private, 0600},
        {"a file that keeps its private mode", 0600, Plain, 0600},
        {"a file that keeps a mode the umask would take", 0664, Plain, 0664},
        {"a copy of a private file", 0, Copy, 0600},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = temp_ + QStringLiteral("/file%1").arg(++n);
        if (c.before) {
            ASSERT_TRUE(TestEnv::WriteAll(path, "old"));
            ::chmod(QFile::encodeName(path).constData(), c.before);
        }
        std::vector<std::string> narrowed;
        g_narrowed = &narrowed;
        EXPECT_TRUE(c.how == Copy ? FileOps::CopyFile(source, path, true)
                                  : FileOps::WriteFileSafely(path, "x", nullptr,
                                                             c.how == Private ? FileOps::Access::OwnerOnly
                                                                              : FileOps::Access::Shared));
        g_narrowed = nullptr;
        EXPECT_EQ(Mode(path), c.after);
        EXPECT_TRUE(narrowed.empty()) << narrowed.front();
    }
    ::umask(oldMask);
}

TEST_F(FileOpsTest, TheDataFolderIsOnePrivateFolderAndKeepsWhatTheEarlierOneHeld) {
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (QFileInfo::exists(data + "/Quillon")) GTEST_SKIP() << "the data folder was made earlier in this process";
    // Named as the program names itself, Quillon once wrote to Quillon/Quillon.
    const QString org = QCoreApplication::organizationName(), app = QCoreApplication::applicationName();
    QCoreApplication::setOrganizationName("Quillon");
    QCoreApplication::setApplicationName("Quillon");
    const QString earlier = data + "/Quillon/Quillon";
    ASSERT_TRUE(TestEnv::WriteAll(earlier + "/current.skm", "QWidget { color: red; }"));
    ASSERT_TRUE(TestEnv::WriteAll(earlier + "/mail.xml", "<mail/>"));
    ASSERT_TRUE(TestEnv::WriteAll(earlier + "/log.xml", "earlier log"));
    ASSERT_TRUE(TestEnv::WriteAll(data + "/Quillon/log.xml", "newer log"));

    const QString folder = FileOps::DataFolder();
    QCoreApplication::setOrganizationName(org);
    QCoreApplication::setApplicationName(app);

    EXPECT_EQ(folder, QFileInfo(data + "/Quillon").canonicalFilePath());
    EXPECT_EQ(Mode(folder), 0700u);
    EXPECT_EQ(ReadAll(folder + "/current.skm"), "QWidget { color: red; }");
    EXPECT_EQ(ReadAll(folder + "/mail.xml"), "<mail/>");
    EXPECT_EQ(Mode(folder + "/mail.xml"), 0600u);
    // Of two files of one name, the one already in place stays; the other is
    // left where it was, so nothing is lost.
    EXPECT_EQ(ReadAll(folder + "/log.xml"), "newer log");
    EXPECT_EQ(FilesIn(earlier), QStringList{"log.xml"});
}

TEST_F(FileOpsTest, BelowAGuardedFolderNothingGoesThroughALink) {
    const QString guarded = temp_ + "/db", outside = temp_ + "/out";
    ASSERT_TRUE(QDir().mkpath(guarded));
    ASSERT_TRUE(TestEnv::WriteAll(outside + "/secret.txt", "secret"));
    ASSERT_TRUE(TestEnv::WriteAll(temp_ + "/plain.txt", "plain"));
    ASSERT_TRUE(QFile::link(outside + "/secret.txt", guarded + "/list.ini"));
    ASSERT_TRUE(QFile::link(outside, guarded + "/Docs"));
    auto guard = std::make_unique<FileOps::GuardedFolder>(guarded);

    QString error;
    const struct {
        const char* what;
        QString link;
        std::function<bool()> access;
    } cases[] = {
        {"write into a linked folder", guarded + "/Docs", [&] { return FileOps::WriteFileSafely(guarded + "/Docs/new.txt", "x", &error); }},
        {"copy from a linked file", guarded + "/list.ini", [&] { return FileOps::CopyFile(guarded + "/list.ini", guarded + "/copy.ini", true, &error); }},
        {"copy into a linked folder", guarded + "/Docs", [&] { return FileOps::CopyFile(temp_ + "/plain.txt", guarded + "/Docs/plain.txt", true, &error); }},
        {"make a folder in a linked folder", guarded + "/Docs", [&] { return FileOps::MakeFolder(guarded + "/Docs/sub", &error); }},
        {"remove a file in a linked folder", QString(), [&] { return FileOps::RemoveFile(guarded + "/Docs/secret.txt"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        error.clear();
        EXPECT_FALSE(c.access());
        if (!c.link.isEmpty()) {
            EXPECT_TRUE(error.contains("\"" + c.link + "\" is a link")) << error.toStdString();
        }
        EXPECT_EQ(FilesIn(outside), QStringList{"secret.txt"});
        EXPECT_EQ(ReadAll(outside + "/secret.txt"), "secret");
    }
    EXPECT_EQ(FilesIn(guarded), QStringList{"list.ini"});

    // A link itself may go; what it points to stays.
    EXPECT_TRUE(FileOps::RemoveFile(guarded + "/list.ini"));
    EXPECT_EQ(ReadAll(outside + "/secret.txt"), "secret");
    // Once the folder is no longer guarded, a link there is followed again.
    guard.reset();
    EXPECT_TRUE(FileOps::WriteFileSafely(guarded + "/Docs/new.txt", "x"));
    EXPECT_EQ(ReadAll(outside + "/new.txt"), "x");
}

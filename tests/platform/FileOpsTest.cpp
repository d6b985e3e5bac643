#include "platform/FileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <sys/resource.h>

#include "support/TestEnv.h"

namespace {

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

#include "utilities/BackupArchive.h"
#include "utilities/RestoreArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <sys/stat.h>
#include <zip.h>

#include "platform/Grid.h"
#include "support/TestEnv.h"

namespace {

using TestEnv::ReadAll;
using TestEnv::WriteAll;

// Every file, folder and link below a folder with its content, to see that
// a refused restore changed nothing.
QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QString rel = QDir(folder).relativeFilePath(it.filePath());
        const QFileInfo& info = it.fileInfo();
        tree[rel] = info.isSymLink() ? "link:" + info.symLinkTarget().toUtf8()
                  : info.isDir()     ? QByteArray("dir")
                                     : ReadAll(it.filePath());
    }
    return tree;
}

struct RawEntry {
    QByteArray name;
    QByteArray data;
    bool symlink = false;
    bool stored = false;
};

// Builds an archive exactly as given, the way a hostile one would be made.
void MakeZip(const QString& path, const std::vector<RawEntry>& entries) {
    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_TRUE(za);
    for (const RawEntry& e : entries) {
        zip_source_t* src = zip_source_buffer(za, e.data.constData(), zip_uint64_t(e.data.size()), 0);
        // Duplicate names need the overwrite flag to get past libzip, so add
        // the second one under a stand-in and rename it afterwards.
        zip_int64_t idx = zip_file_add(za, e.name.constData(), src, ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            idx = zip_file_add(za, "stand-in", src, 0);
            ASSERT_GE(idx, 0);
        }
        if (e.stored) zip_set_file_compression(za, zip_uint64_t(idx), ZIP_CM_STORE, 0);
        if (e.symlink)
            zip_file_set_external_attributes(za, zip_uint64_t(idx), 0, ZIP_OPSYS_UNIX, zip_uint32_t(S_IFLNK | 0777) << 16);
    }
    ASSERT_EQ(zip_close(za), 0);
    // libzip will not store two entries of one name: rename in the bytes.
    QByteArray bytes = ReadAll(path);
    if (bytes.contains("stand-in")) {
        for (const RawEntry& e : entries) {
            if (e.name.size() == 8) bytes.replace("stand-in", e.name);
        }
        ASSERT_TRUE(WriteAll(path, bytes));
    }
}

}  // namespace

class BackupRestoreTest : public QuillonTest {
protected:
    // A database folder with two databases; "plant" is the open one.
    void MakeDatabaseFolder() {
        db_ = temp_ + "/db/";
        for (const char* folder : {"plant/Tasks", "plant/Materials", "mill/Tasks", "Photos/2024", "Docs"})
            QDir().mkpath(db_ + folder);
        WriteAll(db_ + "plant.vkt", "plant grid");
        WriteAll(db_ + "mill.vkt", "mill grid");
        WriteAll(db_ + "plant.ini", "[Employees]\n");
        WriteAll(db_ + "mill.ini", "[Employees]\n");
        WriteAll(db_ + "notes.txt", "not in any pattern");
        WriteAll(db_ + "plant/Tasks/T1.tsk", "items of T1");
        WriteAll(db_ + "plant/Materials/T1.mts", "materials of T1");
        WriteAll(db_ + "mill/Tasks/M1.tsk", "items of M1");
        WriteAll(db_ + "Photos/pump.jpg", "jpeg");
        WriteAll(db_ + "Photos/2024/valve.png", "png");
        WriteAll(db_ + "Docs/manual.pdf", "pdf");
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
    const auto restored = RestoreArchive::Restore(archive, db_);
    ASSERT_TRUE(restored.ok) << restored.message.toStdString();
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
    const auto relative = RestoreArchive::Run(plan);
    EXPECT_FALSE(relative.ok);
    EXPECT_TRUE(relative.message.contains("plant.vkt")) << relative.message.toStdString();
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
    QDir().mkpath(empty + "Docs");
    WriteAll(empty + "Docs/a.pdf", "x");
    const QString archive = temp_ + "/old.zip";
    MakeZip(archive, {{"old.txt", "older backup"}});
    const QByteArray older = ReadAll(archive);
    const auto result = BackupArchive::Run(archive, empty, "plant", false);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains("no files to back up")) << result.message.toStdString();
    EXPECT_EQ(ReadAll(archive), older);

    // A database name that is no file name never widens the companion
    // pattern to the whole folder.
    EXPECT_EQ(BackupArchive::Patterns(empty, "").size(), 3);
    EXPECT_EQ(BackupArchive::Patterns(empty, "../x").size(), 3);
    EXPECT_FALSE(BackupArchive::Run(archive, temp_ + "/missing/", "plant", false).ok);
}

TEST_F(BackupRestoreTest, HostileNamesAreRefusedAndNothingIsWritten) {
    const QString target = temp_ + "/target";
    QDir().mkpath(target + "/keep");
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
        const auto result = RestoreArchive::Restore(archive, target);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.message.contains(QString::fromUtf8(c.named))) << result.message.toStdString();
        EXPECT_TRUE(result.message.contains("Nothing was restored"));
        EXPECT_EQ(Snapshot(temp_), before);
        EXPECT_FALSE(QFileInfo::exists("/tmp/evil"));
    }
}

TEST_F(BackupRestoreTest, DamagedArchivesChangeNothing) {
    const QString target = temp_ + "/target";
    QDir().mkpath(target);
    WriteAll(target + "/a.txt", "old a");
    const QString good = temp_ + "/good.zip";
    const QByteArray content = QByteArray("new content of b, long enough to find. ").repeated(50);
    MakeZip(good, {{"a.txt", "new a"}, {"b.txt", content, false, true}});
    const QByteArray bytes = ReadAll(good);

    struct Case {
        const char* label;
        QByteArray archive;
    };
    QByteArray truncated = bytes.left(bytes.size() - 30);
    QByteArray zeroBytes;
    // Flip one byte of b.txt's (stored) data: its CRC no longer fits.
    QByteArray wrongCrc = bytes;
    const int at = wrongCrc.indexOf(content);
    ASSERT_GT(at, 0);
    wrongCrc[at + 100] = char(wrongCrc[at + 100] ^ 0x55);
    for (const Case& c : {Case{"truncated", truncated}, Case{"zero bytes", zeroBytes}, Case{"wrong crc", wrongCrc}}) {
        SCOPED_TRACE(c.label);
        const QString archive = temp_ + "/damaged.zip";
        WriteAll(archive, c.archive);
        const auto before = Snapshot(target);
        const auto result = RestoreArchive::Restore(archive, target);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.message.contains("damaged.zip")) << result.message.toStdString();
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
    const auto result = RestoreArchive::Restore(archive, target);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains("Photos")) << result.message.toStdString();
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
    EXPECT_TRUE(RestoreArchive::SafeRelativeName("a\nb", false, &why).isEmpty());
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

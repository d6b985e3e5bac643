#include "platform/ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <zip.h>

#include "support/TestEnv.h"

namespace {

using TestEnv::ReadAll;
using TestEnv::WriteAll;

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// Bytes that do not compress, to see stored-like deflate blocks survive.
QByteArray Noise(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator gen(7);
    for (int i = 0; i < size; ++i) bytes[i] = char(gen.generate() & 0xff);
    return bytes;
}

// Info-ZIP's own test of the archive, when the tool is there.
bool UnzipAccepts(const QString& archive) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive});
    if (!p.waitForStarted()) return true;
    p.waitForFinished();
    return p.exitCode() == 0;
}

}  // namespace

class ZipArchiveTest : public QuillonTest {};

TEST_F(ZipArchiveTest, WrittenArchiveReadsBackByPatternAndIsValid) {
    const QString base = temp_ + "/db/";
    QDir().mkpath(base + "Photos/old");
    QDir().mkpath(base + "Docs");
    const QByteArray big = QByteArray("task line\t1\n").repeated(300000);   // several compressor chunks
    const QByteArray noise = Noise(200000);
    ASSERT_TRUE(WriteAll(base + "plant.vkt", big));
    ASSERT_TRUE(WriteAll(base + "Other.VKT", "x"));
    ASSERT_TRUE(WriteAll(base + "empty.ini", ""));
    ASSERT_TRUE(WriteAll(base + "Photos/pump.jpg", noise));
    ASSERT_TRUE(WriteAll(base + "Photos/old/README", "no dot"));
    const QByteArray log = QByteArray("a long log line\n").repeated(300000);
    ASSERT_TRUE(WriteAll(base + "Photos/log.txt", log));
    ASSERT_TRUE(WriteAll(base + "Docs/manual.pdf", "not wanted"));

    const QString archive = temp_ + "/out.zip";
    ZipProgress progress;
    {
        ZipArchive zip;
        zip.Progress = &progress;
        zip.StreamAbove = 4000000;   // the log goes through libzip's own compressor
        ASSERT_TRUE(zip.CreateArchive(archive));
        zip.BaseFolder = base;
        ASSERT_TRUE(zip.AddFiles(base + "*.vkt"));
        ASSERT_TRUE(zip.AddFiles(base + "*.ini"));
        ASSERT_TRUE(zip.AddFiles(base + "Photos/*.*", true));
        ASSERT_TRUE(zip.AddFiles(base + "Nothing/*.*", true));   // no such folder: no failure
        EXPECT_EQ(zip.PendingCount(), 6);
        EXPECT_FALSE(QFileInfo::exists(archive));   // nothing written before closing
        ASSERT_TRUE(zip.CloseArchive()) << zip.Error().toStdString();
    }
    EXPECT_EQ(progress.overall.load(), 100);
    EXPECT_TRUE(UnzipAccepts(archive));
    EXPECT_EQ(FilesIn(temp_), QStringList({"out.zip"}));   // no temporary left

    ZipArchive zip;
    ASSERT_TRUE(zip.OpenArchive(archive));
    ASSERT_EQ(zip.EntryCount(), 6);
    QStringList names;
    for (int i = 0; i < zip.EntryCount(); ++i) names << zip.EntryName(i);
    EXPECT_EQ(names, QStringList({"Other.VKT", "plant.vkt", "empty.ini", "Photos/log.txt", "Photos/old/README", "Photos/pump.jpg"}));
    EXPECT_LT(zip.EntryCompressedSize(3), log.size() / 20);
    EXPECT_EQ(zip.EntrySize(1), big.size());
    EXPECT_LT(zip.EntryCompressedSize(1), big.size() / 20);
    EXPECT_EQ(zip.EntrySize(2), 0);
    EXPECT_LE(qAbs(zip.EntryDate(1).secsTo(QFileInfo(base + "plant.vkt").lastModified())), 2);

    const QString out = temp_ + "/x";
    QDir().mkpath(out);
    const QByteArray expected[] = {"x", big, "", log, "no dot", noise};
    for (int i = 0; i < 6; ++i) {
        const QString file = out + "/" + QString::number(i);
        ASSERT_TRUE(zip.ExtractEntry(i, file)) << zip.Error().toStdString();
        EXPECT_EQ(ReadAll(file), expected[i]) << i;
    }
    // Extraction never replaces what is there.
    EXPECT_FALSE(zip.ExtractEntry(0, out + "/0"));
    EXPECT_EQ(ReadAll(out + "/0"), "x");
}

TEST_F(ZipArchiveTest, FullPathsAndExclusionsAndLinks) {
    const QString base = temp_ + "/db";
    QDir().mkpath(base + "/Photos");
    ASSERT_TRUE(WriteAll(base + "/a.vkt", "a"));
    ASSERT_TRUE(WriteAll(temp_ + "/secret.txt", "outside"));
    ASSERT_TRUE(QFile::link(temp_ + "/secret.txt", base + "/Photos/link.jpg"));
    ASSERT_TRUE(QFile::link(temp_, base + "/Photos/loop"));
    const QString archive = base + "/Photos/self.zip";
    ASSERT_TRUE(WriteAll(archive, "previous archive"));

    ZipArchive zip;
    ASSERT_TRUE(zip.CreateArchive(archive));
    zip.UseFullPaths = true;
    zip.BaseFolder = base;
    zip.Exclude = {archive};
    ASSERT_TRUE(zip.AddFiles(base + "/*.vkt"));
    ASSERT_TRUE(zip.AddFiles(base + "/Photos/*.*", true));
    EXPECT_EQ(zip.PendingCount(), 1);   // neither the links nor the archive itself
    ASSERT_TRUE(zip.CloseArchive());

    ASSERT_TRUE(zip.OpenArchive(archive));
    ASSERT_EQ(zip.EntryCount(), 1);
    EXPECT_EQ(zip.EntryName(0), QDir::cleanPath(base + "/a.vkt"));
    EXPECT_FALSE(zip.Entry(0).symlink);
}

TEST_F(ZipArchiveTest, EmptyOrFailedArchiveLeavesTheOldOneAlone) {
    const QString archive = temp_ + "/keep.zip";
    ASSERT_TRUE(WriteAll(archive, "the previous backup"));
    {
        ZipArchive zip;
        ASSERT_TRUE(zip.CreateArchive(archive));
        ASSERT_TRUE(zip.AddFiles(temp_ + "/*.vkt"));
        EXPECT_FALSE(zip.CloseArchive());
        EXPECT_FALSE(zip.Error().isEmpty());
    }
    EXPECT_EQ(ReadAll(archive), "the previous backup");

    // A file that goes away between listing and writing fails the archive,
    // whether compressed ahead or streamed.
    for (const qint64 streamAbove : {qint64(1) << 30, qint64(0)}) {
        ASSERT_TRUE(WriteAll(temp_ + "/a.vkt", "a"));
        ASSERT_TRUE(WriteAll(temp_ + "/b.vkt", "b"));
        {
            ZipArchive zip;
            zip.StreamAbove = streamAbove;
            ASSERT_TRUE(zip.CreateArchive(archive));
            zip.BaseFolder = temp_;
            ASSERT_TRUE(zip.AddFiles(temp_ + "/*.vkt"));
            ASSERT_TRUE(QFile::remove(temp_ + "/b.vkt"));
            EXPECT_FALSE(zip.CloseArchive());
            EXPECT_TRUE(zip.Error().contains("b.vkt")) << zip.Error().toStdString();
        }
        EXPECT_EQ(ReadAll(archive), "the previous backup");
        EXPECT_EQ(FilesIn(temp_), QStringList({"a.vkt", "keep.zip"}));
    }

    ZipArchive zip;
    EXPECT_FALSE(zip.CreateArchive(temp_ + "/no/such/folder.zip"));
    EXPECT_FALSE(zip.OpenArchive(archive));   // not a zip file
    EXPECT_FALSE(zip.Error().isEmpty());
    EXPECT_FALSE(zip.OpenArchive(temp_ + "/missing.zip"));
}

TEST_F(ZipArchiveTest, DamagedEntryIsRefusedAndItsFileRemoved) {
    // A stored entry, so one flipped byte in the file is a data byte.
    const QString archive = temp_ + "/bad.zip";
    const QByteArray content = "0123456789abcdefghij-the-content";
    {
        int code = 0;
        zip_t* za = zip_open(QFile::encodeName(archive).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
        ASSERT_TRUE(za);
        zip_source_t* src = zip_source_buffer(za, content.constData(), zip_uint64_t(content.size()), 0);
        const zip_int64_t idx = zip_file_add(za, "a.txt", src, 0);
        zip_set_file_compression(za, zip_uint64_t(idx), ZIP_CM_STORE, 0);
        ASSERT_EQ(zip_close(za), 0);
    }
    QByteArray bytes = ReadAll(archive);
    const int at = bytes.indexOf(content);
    ASSERT_GT(at, 0);
    bytes[at + 5] = 'X';
    ASSERT_TRUE(WriteAll(archive, bytes));

    ZipArchive zip;
    ASSERT_TRUE(zip.OpenArchive(archive));
    EXPECT_FALSE(zip.ExtractEntry(0, temp_ + "/a.txt"));
    EXPECT_TRUE(zip.Error().contains("damaged")) << zip.Error().toStdString();
    EXPECT_FALSE(QFileInfo::exists(temp_ + "/a.txt"));
}

TEST_F(ZipArchiveTest, WildcardsAsWindowsMatchThem) {
    EXPECT_TRUE(ZipNames::Matches("*.vkt", "Plant.VKT"));
    EXPECT_FALSE(ZipNames::Matches("*.vkt", "plant.vkt.bak"));
    EXPECT_TRUE(ZipNames::Matches("*.*", "README"));
    EXPECT_TRUE(ZipNames::Matches("a?c.ini", "abc.ini"));
    EXPECT_FALSE(ZipNames::Matches("a?c.ini", "ac.ini"));
    EXPECT_FALSE(ZipNames::Matches("[a].ini", "a.ini"));   // brackets are literal
    EXPECT_TRUE(ZipNames::Matches("[a].ini", "[a].ini"));
}

// The restore of a backup archive. Whatever the archive holds, nothing is
// written outside the chosen folder; a restore that fails leaves the folder
// as it was; one that succeeds leaves the files that were there and not in
// the archive alone.
#include "FuzzTarget.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include "platform/ZipArchive.h"
#include "model/backup/RestoreArchive.h"

namespace {
QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Every file and folder below `root`, as relative paths.
QStringList Tree(const QString& root) {
    QStringList all;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) all << QDir(root).relativeFilePath(it.next());
    all.sort();
    return all;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QTemporaryDir jail;
    if (!jail.isValid()) return 0;
    const QString archive = jail.filePath("archive.zip");
    const QString target = jail.filePath("target/inner");
    const QString outside = jail.filePath("outside");
    QDir().mkpath(target);
    QDir().mkpath(outside);
    const QByteArray kept = "kept before the restore";
    if (!Write(archive, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))) ||
        !Write(target + "/keep.txt", kept))
        return 0;
    const QStringList before = Tree(jail.path());

    const RestoreArchive::Result result = RestoreArchive::Restore(archive, target);

    // Nothing beside the target changed, whatever the outcome.
    QStringList after = Tree(jail.path());
    after.erase(std::remove_if(after.begin(), after.end(),
                               [](const QString& p) { return p.startsWith("target/inner/"); }),
                after.end());
    QStringList beforeOutside = before;
    beforeOutside.erase(std::remove_if(beforeOutside.begin(), beforeOutside.end(),
                                       [](const QString& p) { return p.startsWith("target/inner/"); }),
                        beforeOutside.end());
    FUZZ_CHECK(after == beforeOutside);
    if (!result.ok) {
        FUZZ_CHECK(!result.message.isEmpty());
        FUZZ_CHECK(Tree(target) == QStringList{"keep.txt"});
        FUZZ_CHECK(Read(target + "/keep.txt") == kept);
    } else {
        for (const QString& path : result.written) FUZZ_CHECK(path.startsWith(target + "/"));
        FUZZ_CHECK(QFile::exists(target + "/keep.txt"));
    }
    return 0;
}

std::vector<std::string> QuillonFuzzSeeds() {
    std::vector<std::string> seeds;
    QTemporaryDir folder;
    if (!folder.isValid()) return seeds;
    QDir().mkpath(folder.filePath("db/Tasks"));
    QDir().mkpath(folder.filePath("db/Photos"));
    Write(folder.filePath("db/plant.vkt"), "QUILLON-GRID 1\n");
    Write(folder.filePath("db/plant.ini"), "[Employees]\nAnn=255\n");
    Write(folder.filePath("db/Tasks/ID-1.tsk"), "items");
    Write(folder.filePath("db/Photos/pump.png"), QByteArray(300, '\x89'));
    for (bool full : {false, true}) {
        const QString path = folder.filePath(full ? "full.zip" : "relative.zip");
        ZipArchive zip;
        if (!zip.CreateArchive(path)) continue;
        for (const char* name : {"plant.vkt", "plant.ini", "Tasks/ID-1.tsk", "Photos/pump.png"}) {
            const QString file = folder.filePath(QStringLiteral("db/") + name);
            zip.AddFile(file, full ? file : QString::fromLatin1(name));
        }
        if (!zip.CloseArchive()) continue;
        const QByteArray bytes = Read(path);
        seeds.emplace_back(bytes.constData(), size_t(bytes.size()));
    }
    return seeds;
}

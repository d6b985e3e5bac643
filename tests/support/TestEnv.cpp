#include "support/TestEnv.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <csignal>
#include <sched.h>
#include <sys/fsuid.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <memory>

#include "platform/DateText.h"
#include "widgets/Printing.h"
#include "platform/Registry.h"
#include "model/schedule/ExcelPath.h"
#include "support/ScriptedDialogs.h"

namespace {
QTemporaryDir* g_root = nullptr;
ScriptedDialogs* g_dialogs = nullptr;
RecordingShell* g_shell = nullptr;
int g_counter = 0;
}

namespace TestEnv {

void PrepareProcess() {
    g_root = new QTemporaryDir(QDir::tempPath() + "/quillon-test-XXXXXX");
    const QString root = g_root->path();
    QDir().mkpath(root + "/config");
    QDir().mkpath(root + "/data");
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    QDir().mkpath(root + "/runtime");
    QFile::setPermissions(root + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (root + "/runtime").toUtf8());
    qunsetenv("QUILLON_CONFIG_DIR");
    // The machine's own spreadsheet program never counts in a test.
    ExcelPath::SetSearchPath({root + "/no-programs"});
    // Nor do its printers: no test sends a page to paper.
    Printing::HideSystemPrinters(true);
}

QString NewTempFolder() {
    const QString path = g_root->path() + QStringLiteral("/t%1").arg(++g_counter);
    QDir().mkpath(path);
    return path;
}

ScriptedDialogs& Dialogs() { return *g_dialogs; }
RecordingShell& Shell() { return *g_shell; }

void ClearRegistry() {
    QDir(RegistryStore::ConfigFolder()).removeRecursively();
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void UseLocale(const QString& name) {
    QLocale::setDefault(QLocale(name));
    DateText::ResetCache();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QMap<QString, QByteArray> Snapshot(const QString& folder) {
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        tree[QDir(folder).relativeFilePath(info.filePath())] = info.isSymLink() ? "link:" + info.symLinkTarget().toUtf8()
                                                               : info.isDir()   ? QByteArray("dir")
                                                                                : ReadAll(info.filePath());
    }
    return tree;
}

unsigned Mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0u;
}

bool Age(const QString& path, int seconds) {
    QFile f(path);
    return f.open(QIODevice::ReadWrite) &&
           f.setFileTime(QDateTime::currentDateTime().addSecs(-seconds), QFileDevice::FileModificationTime);
}

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

pid_t DeadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

DiskFull::DiskFull(unsigned long bytes) {
    rlimit lim{};
    getrlimit(RLIMIT_FSIZE, &lim);
    oldSoft_ = lim.rlim_cur;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    lim.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lim);
}

DiskFull::~DiskFull() {
    rlimit lim{};
    getrlimit(RLIMIT_FSIZE, &lim);
    lim.rlim_cur = oldSoft_;
    setrlimit(RLIMIT_FSIZE, &lim);
    std::signal(SIGXFSZ, oldHandler_);
}

AnotherUser::AnotherUser(const QString& open) {
    if (::geteuid() != 0) return;
    ::chmod(QFile::encodeName(open).constData(), 0777);
    // The test folders above it let that user through.
    const QString temp = QDir::tempPath() + QLatin1Char('/');
    for (QString up = QFileInfo(open).absolutePath(); up.startsWith(temp); up = QFileInfo(up).absolutePath())
        ::chmod(QFile::encodeName(up).constData(), Mode(up) | 0111);
    QDirIterator folders(open, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (folders.hasNext()) ::chmod(QFile::encodeName(folders.next()).constData(), 0777);
    constexpr uid_t kNobody = 65534;
    ::setfsgid(kNobody);
    ::setfsuid(kNobody);
    switched_ = true;
}

AnotherUser::~AnotherUser() {
    if (!switched_) return;
    ::setfsuid(0);
    ::setfsgid(0);
}

bool MakeReadOnly(const QString& folder) {
    const QByteArray f = QFile::encodeName(folder);
    if (::geteuid() == 0) {
        return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount(f.constData(), f.constData(), nullptr, MS_BIND, nullptr) == 0 &&
               ::mount(nullptr, f.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    }
    ::chmod(f.constData(), 0555);
    return ::access(f.constData(), W_OK) != 0;
}

void MakeWritable(const QString& folder) {
    const QByteArray f = QFile::encodeName(folder);
    if (::geteuid() == 0) ::umount2(f.constData(), MNT_DETACH);
    else ::chmod(f.constData(), 0755);
}

void GlobalEnvironment::SetUp() {
    UseLocale(QStringLiteral("en_US"));
    auto d = std::make_unique<ScriptedDialogs>();
    g_dialogs = d.get();
    Dialogs::Install(std::move(d));
    auto s = std::make_unique<RecordingShell>();
    g_shell = s.get();
    Shell::Install(std::move(s));
}

}  // namespace TestEnv

void QuillonTest::SetUp() {
    TestEnv::ClearRegistry();
    TestEnv::Dialogs().Reset();
    TestEnv::Shell().Reset();
    temp_ = TestEnv::NewTempFolder();
}

void QuillonTest::TearDown() { TestEnv::UseLocale(QStringLiteral("en_US")); }

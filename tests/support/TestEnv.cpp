#include "support/TestEnv.h"

#include <QDir>
#include <csignal>
#include <sys/resource.h>
#include <QFile>
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
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
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

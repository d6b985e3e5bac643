#pragma once
// Per-process test environment: temporary XDG folders so the registry and
// the program's own files never touch the real user's, a fixed locale, and
// the scripted dialogs and recording shell installed.

#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/types.h>
#include <vector>

class ScriptedDialogs;
class RecordingShell;

namespace TestEnv {
// Makes `folder` unwritable for this process: a read-only bind mount of it
// in a mount namespace of the process's own (as root, whom permissions do
// not bind), or its permissions. False when neither holds.
bool MakeReadOnly(const QString& folder);
void MakeWritable(const QString& folder);
void PrepareProcess();
// A fresh temporary folder for one test's files.
QString NewTempFolder();
ScriptedDialogs& Dialogs();
RecordingShell& Shell();
// Empties the registry store between tests of one process.
void ClearRegistry();
// Dates and numbers as on a desktop of this locale ("de_DE"); every test
// ends back on en_US.
void UseLocale(const QString& name);
// A file's bytes ("" when it cannot be read), and a plain write of them
// (making the folders it goes in).
QByteArray ReadAll(const QString& path);
bool WriteAll(const QString& path, const QByteArray& bytes);
// Every file, folder and link below a folder with its bytes (a link: where
// it points), to see that a refused change changed nothing.
QMap<QString, QByteArray> Snapshot(const QString& folder);
// The permission bits of a file or folder (0 when there is none).
unsigned Mode(const QString& path);
// Sets a file's modification time `seconds` into the past.
bool Age(const QString& path, int seconds);
// The process number of a process that has ended.
pid_t DeadPid();
// An archive entry exactly as given: a hostile archive may hold a link, a
// name twice or one that climbs out.
struct RawEntry {
    QByteArray name;
    QByteArray data;
    bool symlink = false;
    bool stored = false;   // not compressed
};
void MakeZip(const QString& path, const std::vector<RawEntry>& entries);

// While alive, files this process writes stop growing after `bytes`, as if
// the disk had filled up (works as root too, unlike folder permissions).
class DiskFull {
public:
    explicit DiskFull(unsigned long bytes);
    ~DiskFull();
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;
private:
    unsigned long oldSoft_ = 0;
    void (*oldHandler_)(int) = nullptr;
};

// While alive, this thread and the threads it starts reach files as a user
// who owns none of the test's, so a file of mode 000 cannot be read, as a
// file another user keeps private cannot. As root that is the file-system
// user id of "nobody" (which permissions bind), with the folders below
// `open` opened to every user; otherwise the owner's own mode 000 does it.
class AnotherUser {
public:
    explicit AnotherUser(const QString& open);
    ~AnotherUser();
    AnotherUser(const AnotherUser&) = delete;
    AnotherUser& operator=(const AnotherUser&) = delete;
private:
    bool switched_ = false;
};

class GlobalEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
};
}

// Failures print texts and bytes as text.
inline void PrintTo(const QByteArray& bytes, std::ostream* os) { *os << '"' << bytes.toStdString() << '"'; }
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

// Base fixture: clears the registry and the scripted answers before each
// test, and goes back to en_US after it.
class QuillonTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    QString temp_;   // a fresh folder for this test
};

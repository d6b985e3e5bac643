#pragma once
// Per-process test environment: temporary XDG folders so the registry and
// the program's own files never touch the real user's, a fixed locale, and
// the scripted dialogs and recording shell installed.

#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class ScriptedDialogs;
class RecordingShell;

namespace TestEnv {
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
// A file's bytes ("" when it cannot be read), and a plain write of them.
QByteArray ReadAll(const QString& path);
bool WriteAll(const QString& path, const QByteArray& bytes);

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

class GlobalEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
};
}

// Base fixture: clears the registry and the scripted answers before each
// test, and goes back to en_US after it.
class QuillonTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    QString temp_;   // a fresh folder for this test
};

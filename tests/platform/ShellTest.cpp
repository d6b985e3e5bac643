// Starting a program as the export starts the spreadsheet program: one that
// cannot run is refused at once; one that starts and gives up is reported
// with what it said; one that runs gets its arguments in its folder.
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/Shell.h"
#include "support/TestEnv.h"

namespace {

class ShellTest : public QuillonTest {
protected:
    QString Script(const QString& name, const QByteArray& body, bool executable = true) {
        const QString path = temp_ + "/" + name;
        EXPECT_TRUE(TestEnv::WriteAll(path, "#!/bin/sh\n" + body + "\n"));
        QFile::setPermissions(path, executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                               : QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }
};

TEST_F(ShellTest, AProgramThatGivesUpAtOnceIsReportedWithWhatItSaid) {
    const struct {
        const char* body;
        const char* reason;
    } cases[] = {
        {"echo 'starting' >&2; echo 'cannot open display: :0' >&2; exit 1", "cannot open display: :0"},
        {"exit 3", "It stopped at once with the exit code 3."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        QString reason;
        ASSERT_TRUE(DesktopShell().StartProgram(Script("calc", c.body), {"temp.xls"}, temp_,
                                                [&](const QString& why) { reason = why; }));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !reason.isEmpty(); }, 10000));
        EXPECT_EQ(reason, c.reason);
    }
}

TEST_F(ShellTest, AProgramThatRunsGetsItsArgumentsInItsFolderAndNothingIsSaid) {
    const QString record = temp_ + "/record.txt";
    const QString program =
        Script("calc prog", QString("{ pwd; echo \"$1\"; } > '%1.part'; mv '%1.part' '%1'; sleep 1").arg(record).toUtf8());
    bool called = false;
    ASSERT_TRUE(DesktopShell().StartProgram(program, {"temp.xls"}, temp_, [&](const QString&) { called = true; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(record); }, 10000));
    EXPECT_EQ(TestEnv::ReadAll(record), (temp_ + "\ntemp.xls\n").toUtf8());
    QTest::qWait(1500);   // it ends well after a second
    EXPECT_FALSE(called);

    // Not a program that can run: refused at once, nothing said later.
    EXPECT_FALSE(DesktopShell().StartProgram(Script("plain", "exit 0", false), {}, temp_, [&](const QString&) { called = true; }));
    EXPECT_FALSE(DesktopShell().StartProgram(temp_ + "/missing", {}, temp_, [&](const QString&) { called = true; }));
    QTest::qWait(300);
    EXPECT_FALSE(called);
}

}  // namespace

// Finding the spreadsheet program: the desktop's default for spreadsheets
// (through xdg-mime, or the mimeapps.list files when it is missing), the
// Exec line's program, the usual programs on the PATH; and the window
// "Set Path To Excel" worked through its buttons.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "model/schedule/ExcelPath.h"
#include "ui/schedule/frmExcel.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnv.h"

namespace {

class ExcelPathTest : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        oldDataHome_ = qgetenv("XDG_DATA_HOME");
        oldConfigHome_ = qgetenv("XDG_CONFIG_HOME");
        oldDataDirs_ = qgetenv("XDG_DATA_DIRS");
        bin_ = temp_ + "/bin";
        QDir().mkpath(bin_);
        QDir().mkpath(temp_ + "/data/applications");
        QDir().mkpath(temp_ + "/config");
        // Only our folders: no program or desktop file of the machine counts.
        ExcelPath::SetSearchPath({bin_});
        qputenv("XDG_DATA_HOME", (temp_ + "/data").toUtf8());
        qputenv("XDG_DATA_DIRS", (temp_ + "/nodata").toUtf8());
        qputenv("XDG_CONFIG_HOME", (temp_ + "/config").toUtf8());
    }
    void TearDown() override {
        ExcelPath::SetSearchPath({temp_ + "/no-programs"});
        qputenv("XDG_DATA_HOME", oldDataHome_);
        qputenv("XDG_CONFIG_HOME", oldConfigHome_);
        if (oldDataDirs_.isEmpty()) qunsetenv("XDG_DATA_DIRS");
        else qputenv("XDG_DATA_DIRS", oldDataDirs_);
        QuillonTest::TearDown();
    }
    QString Program(const QString& path, const QByteArray& body = "#!/bin/sh\nexit 0\n") {
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(TestEnv::WriteAll(path, body));
        QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    void Desktop(const QString& id, const QString& exec) {
        QDir().mkpath(QFileInfo(temp_ + "/data/applications/" + id).absolutePath());
        TestEnv::WriteAll(temp_ + "/data/applications/" + id,
                          ("[Desktop Entry]\nType=Application\nName=Calc\n" + QString("Exec=%1\n").arg(exec) +
                           "[Desktop Action New]\nExec=/bin/false\n")
                              .toUtf8());
    }
    // An xdg-mime that answers `id` for the spreadsheet types only.
    void XdgMime(const QString& id, const QString& forType) {
        Program(bin_ + "/xdg-mime", QString("#!/bin/sh\n[ \"$1 $2\" = \"query default\" ] || exit 2\n"
                                            "[ \"$3\" = \"%1\" ] && echo %2\nexit 0\n")
                                        .arg(forType, id)
                                        .toUtf8());
    }
    QByteArray oldDataHome_, oldConfigHome_, oldDataDirs_;
    QString bin_;
};

TEST_F(ExcelPathTest, CommandLinesGiveTheirProgramNotTheirArguments) {
    const QString spaced = Program(temp_ + "/opt/My Calc/calc");
    const QString bare = Program(bin_ + "/fakecalc");
    EXPECT_EQ(ExcelPath::CommandExecutable("\"" + spaced + "\" --calc %U"), spaced);
    EXPECT_EQ(ExcelPath::CommandExecutable("fakecalc --calc %U"), bare) << "a bare name is found on the PATH";
    EXPECT_EQ(ExcelPath::CommandExecutable("fakecalc"), bare);
    EXPECT_EQ(ExcelPath::CommandExecutable("env LANG=C GDK_BACKEND=x11 fakecalc %F"), bare);
    EXPECT_EQ(ExcelPath::CommandExecutable(bare + " /o"), bare) << "a slash switch is an argument";
    EXPECT_EQ(ExcelPath::CommandExecutable("%U"), "");
    EXPECT_EQ(ExcelPath::CommandExecutable(""), "");
    EXPECT_EQ(ExcelPath::CommandExecutable("nosuchcalc %U"), "");
    EXPECT_EQ(ExcelPath::CommandExecutable(temp_ + "/opt/missing %U"), "");
    const QString plainFile = temp_ + "/notes.txt";
    TestEnv::WriteAll(plainFile, "x");
    EXPECT_EQ(ExcelPath::CommandExecutable(plainFile), "") << "a file that is not a program";

    // Without folders of its own the lookup searches the PATH.
    const QByteArray path = qgetenv("PATH");
    ExcelPath::SetSearchPath({});
    qputenv("PATH", (temp_ + "/elsewhere:" + bin_).toUtf8());
    EXPECT_EQ(ExcelPath::CommandExecutable("fakecalc %U"), bare);
    qputenv("PATH", path);
}

TEST_F(ExcelPathTest, DesktopDefaultComesFirstThenTheKnownProgramsOnThePath) {
    const QString spaced = Program(temp_ + "/opt/My Calc/calc");
    Desktop("fakecalc.desktop", "\"" + QString(spaced).replace(" ", "\\s") + "\" --calc %U");
    XdgMime("fakecalc.desktop", "application/vnd.ms-excel");
    EXPECT_EQ(ExcelPath::DefaultDesktopFile("application/vnd.ms-excel"), "fakecalc.desktop");
    EXPECT_EQ(ExcelPath::DefaultDesktopFile("text/plain"), "");
    EXPECT_EQ(ExcelPath::GetServerPath("application/vnd.ms-excel"), spaced);
    // The xlsx type has no default here, so the xls default answers.
    Program(bin_ + "/localc");
    EXPECT_EQ(ExcelPath::GetExcelPath(), spaced);

    // A default whose desktop file is gone falls through to the PATH, in order.
    QFile::remove(temp_ + "/data/applications/fakecalc.desktop");
    const QString soffice = Program(bin_ + "/soffice");
    EXPECT_EQ(ExcelPath::GetExcelPath(), bin_ + "/localc");
    QFile::remove(bin_ + "/localc");
    EXPECT_EQ(ExcelPath::GetExcelPath(), soffice);
    QFile::remove(soffice);
    EXPECT_EQ(ExcelPath::GetExcelPath(), "");
}

TEST_F(ExcelPathTest, WithoutXdgMimeTheMimeappsListsAreRead) {
    const QString calc = Program(temp_ + "/opt/calc");
    Desktop("sheets.desktop", calc + " %F");
    Desktop("vendor/calc.desktop", "/bin/false");
    TestEnv::WriteAll(temp_ + "/config/mimeapps.list",
                      "[Added Associations]\napplication/vnd.ms-excel=other.desktop;\n"
                      "[Default Applications]\n"
                      "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet=gone.desktop;sheets.desktop;\n");
    EXPECT_EQ(ExcelPath::DefaultDesktopFile("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"),
              "sheets.desktop");
    EXPECT_EQ(ExcelPath::DefaultDesktopFile("application/vnd.ms-excel"), "") << "only default applications count";
    EXPECT_EQ(ExcelPath::GetExcelPath(), calc);
    EXPECT_EQ(ExcelPath::DesktopFilePath("vendor-calc.desktop"), temp_ + "/data/applications/vendor/calc.desktop");
    EXPECT_EQ(ExcelPath::DesktopFilePath("../applications/sheets.desktop"), "");
}

TEST_F(ExcelPathTest, TheWindowShowsFindsBrowsesAndStoresOnlyOnApply) {
    ExcelPath::Store("/opt/old/calc");
    const QString found = Program(bin_ + "/gnumeric");
    auto* w = new frmExcel;
    w->show();
    EXPECT_EQ(w->windowTitle(), "Set Path To Excel");
    EXPECT_EQ(w->Text1->text(), "/opt/old/calc");

    QTest::mouseClick(w->Command4, Qt::LeftButton);   // Auto Find
    EXPECT_EQ(w->Text1->text(), found);
    EXPECT_EQ(ExcelPath::Stored(), "/opt/old/calc") << "Auto Find stores nothing";

    TestEnv::Dialogs().AnswerOpen("");                 // Browse, cancelled
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    EXPECT_EQ(w->Text1->text(), found);
    ASSERT_EQ(TestEnv::Dialogs().Calls().back().kind, "Open");
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().prompt, "Find Excel:");
    TestEnv::Dialogs().AnswerOpen("/usr/bin/picked");
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    EXPECT_EQ(w->Text1->text(), "/usr/bin/picked");

    w->Text1->selectAll();
    QTest::keyClicks(w->Text1, "/opt/typed calc");
    QTest::mouseClick(w->Command2, Qt::LeftButton);    // Apply
    EXPECT_EQ(ExcelPath::Stored(), "/opt/typed calc");
    EXPECT_TRUE(w->isVisible()) << "Apply leaves the window open";

    w->Text1->selectAll();
    QTest::keyClick(w->Text1, Qt::Key_Delete);
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    EXPECT_EQ(ExcelPath::Stored(), "") << "an empty path is stored as such";

    QTest::keyClicks(w->Text1, "/not/applied");
    QTest::mouseClick(w->Command3, Qt::LeftButton);    // Close
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(ExcelPath::Stored(), "");
    delete w;
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

}  // namespace

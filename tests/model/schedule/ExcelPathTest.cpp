// Finding the spreadsheet program: the desktop's default for spreadsheets
// (from the mimeapps.list files of a made-up XDG tree), the Exec line's
// program, the usual programs on the PATH; and the window "Set Path To
// Excel" worked through its buttons.
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
        for (const char* name : kXdg) old_.emplace_back(name, qgetenv(name));
        bin_ = temp_ + "/bin";
        QDir().mkpath(bin_);
        // Only our folders: no program, list or desktop file of the machine counts.
        ExcelPath::SetSearchPath({bin_});
        Tree(temp_);
    }
    void TearDown() override {
        ExcelPath::SetSearchPath({temp_ + "/no-programs"});
        for (const auto& [name, value] : old_) {
            if (value.isNull()) qunsetenv(name);
            else qputenv(name, value);
        }
        QuillonTest::TearDown();
    }
    // An XDG tree under `root`: config, etc1:etc2, data, share1:share2.
    void Tree(const QString& root, const QByteArray& desktop = {}) {
        root_ = root;
        qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
        qputenv("XDG_CONFIG_DIRS", (root + "/etc1:" + root + "/etc2").toUtf8());
        qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
        qputenv("XDG_DATA_DIRS", (root + "/share1:" + root + "/share2").toUtf8());
        if (desktop.isEmpty()) qunsetenv("XDG_CURRENT_DESKTOP");
        else qputenv("XDG_CURRENT_DESKTOP", desktop);
    }
    QString Program(const QString& path, const QByteArray& body = "#!/bin/sh\nexit 0\n") {
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(TestEnv::WriteAll(path, body));
        QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    // A file of the tree, by its path under the root.
    void File(const QString& relative, const QString& text) {
        QDir().mkpath(QFileInfo(root_ + "/" + relative).absolutePath());
        TestEnv::WriteAll(root_ + "/" + relative, text.toUtf8());
    }
    void Desktop(const QString& id, const QString& exec, const QString& extra = {}) {
        File("data/applications/" + id, "[Desktop Entry]\nType=Application\nName=Calc\n" + extra +
                                            QString("Exec=%1\n").arg(exec) +
                                            "[Desktop Action New]\nExec=/bin/false\n");
    }
    static constexpr const char* kXdg[] = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS",
                                           "XDG_CURRENT_DESKTOP"};
    std::vector<std::pair<const char*, QByteArray>> old_;
    QString bin_, root_;
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
    File("config/mimeapps.list", "[Default Applications]\napplication/vnd.ms-excel=fakecalc.desktop\n");
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

TEST_F(ExcelPathTest, TheDesktopsListsAreReadInTheirOrderOfWeight) {
    const QString xls = "application/vnd.ms-excel";
    struct Case {
        const char* what;
        QByteArray desktop;                       // $XDG_CURRENT_DESKTOP
        std::vector<std::pair<QString, QString>> lists;   // path under the root, [group] and line
        QString expected;                         // desktop file id
    };
    auto defaults = [&](const QString& ids) { return "[Default Applications]\n" + xls + "=" + ids + "\n"; };
    auto added = [&](const QString& ids) { return "[Added Associations]\n" + xls + "=" + ids + "\n"; };
    const std::vector<Case> cases = {
        {"the user's list before the system's", {},
         {{"config/mimeapps.list", defaults("a.desktop")}, {"etc1/mimeapps.list", defaults("b.desktop")}}, "a.desktop"},
        {"the system folders in their order", {},
         {{"etc2/mimeapps.list", defaults("b.desktop")}, {"etc1/mimeapps.list", defaults("c.desktop")}}, "c.desktop"},
        {"configuration before application folders", {},
         {{"share1/applications/mimeapps.list", defaults("a.desktop")}, {"etc2/mimeapps.list", defaults("b.desktop")}},
         "b.desktop"},
        {"the application folders, the user's first", {},
         {{"share1/applications/mimeapps.list", defaults("a.desktop")},
          {"data/applications/mimeapps.list", defaults("c.desktop")}},
         "c.desktop"},
        {"the current desktop's own list first, its case aside", "ubuntu:GNOME",
         {{"config/mimeapps.list", defaults("a.desktop")}, {"config/gnome-mimeapps.list", defaults("b.desktop")}},
         "b.desktop"},
        {"another desktop's list is not read", "KDE",
         {{"config/gnome-mimeapps.list", defaults("b.desktop")}, {"etc1/mimeapps.list", defaults("c.desktop")}},
         "c.desktop"},
        {"a default not installed, or whose TryExec is missing, is passed over", {},
         {{"config/mimeapps.list", defaults("gone.desktop;tried.desktop;c.desktop")}}, "c.desktop"},
        {"any default before any added association", {},
         {{"config/mimeapps.list", added("a.desktop")}, {"share2/applications/mimeapps.list", defaults("b.desktop")}},
         "b.desktop"},
        {"added associations in order, less those removed at the same or more weight", {},
         {{"config/mimeapps.list", "[Removed Associations]\n" + xls + "=a.desktop\n"},
          {"etc1/mimeapps.list", added("a.desktop;b.desktop")}},
         "b.desktop"},
        {"a removal of less weight does not count", {},
         {{"config/mimeapps.list", added("a.desktop")},
          {"etc1/mimeapps.list", "[Removed Associations]\n" + xls + "=a.desktop\n"}},
         "a.desktop"},
        {"another type's entries do not count", {},
         {{"config/mimeapps.list", "[Default Applications]\ntext/csv=a.desktop\n"}}, ""},
    };
    Program(bin_ + "/calc");
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        Tree(temp_ + QString("/case%1").arg(i), c.desktop);
        for (const char* id : {"a.desktop", "b.desktop", "c.desktop"}) Desktop(id, "calc %U");
        Desktop("tried.desktop", "calc %U", "TryExec=" + temp_ + "/opt/not-there\n");
        for (const auto& [path, text] : c.lists) File(path, text);
        EXPECT_EQ(ExcelPath::DefaultDesktopFile(xls), c.expected);
    }
    Desktop("vendor/calc.desktop", "/bin/false");
    EXPECT_EQ(ExcelPath::DesktopFilePath("vendor-calc.desktop"), root_ + "/data/applications/vendor/calc.desktop");
    EXPECT_EQ(ExcelPath::DesktopFilePath("../applications/c.desktop"), "");
    // Nor does its nested form climb out of the folder.
    File("x.desktop", "[Desktop Entry]\nExec=calc\n");
    EXPECT_EQ(ExcelPath::DesktopFilePath("..-..-x.desktop"), "");
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

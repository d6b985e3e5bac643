// The preferences window, skins, the About box and the help, worked through
// the main window's menus and the windows' own buttons.
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>
#include <functional>
#include <optional>
#include <gtest/gtest.h>

#include "ui/alerts/Form10.h"
#include "widgets/Forms.h"
#include "platform/Autostart.h"
#include "widgets/GanttChart.h"
#include "platform/FileOps.h"
#include "platform/Help.h"
#include "platform/Registry.h"
#include "widgets/Skin.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/SmtpServer.h"
#include "ui/utilities/Form8.h"
#include "ui/utilities/frmpref.h"

namespace {

void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

void Click(QAbstractButton* button) {
    // A check box takes clicks on its box and caption only, at its left.
    const QPoint at = qobject_cast<QCheckBox*>(button) ? QPoint(8, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
    Settle();
}

// The Exec line of a desktop entry, unescaped as a desktop reads it: the
// string escapes first, then the quoting of one argument.
QStringList ExecArguments(const QByteArray& entry) {
    QString exec;
    for (const QString& line : QString::fromUtf8(entry).split('\n'))
        if (line.startsWith("Exec=")) exec = line.mid(5);
    QString unescaped;
    for (int i = 0; i < exec.size(); ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size()) {
            const QChar n = exec[++i];
            unescaped += n == 's' ? QChar(' ') : n == 'n' ? QChar('\n') : n == 't' ? QChar('\t') : n;
        } else {
            unescaped += exec[i];
        }
    }
    QStringList args;
    QString current;
    bool quoted = false, any = false;
    for (int i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (quoted) {
            if (c == '\\' && i + 1 < unescaped.size()) current += unescaped[++i];
            else if (c == '"') quoted = false;
            else current += c;
        } else if (c == '"') {
            quoted = any = true;
        } else if (c == ' ') {
            if (any || !current.isEmpty()) args << current;
            current.clear();
            any = false;
        } else if (c == '%' && i + 1 < unescaped.size() && unescaped[i + 1] == '%') {
            current += '%';
            ++i;
            any = true;
        } else {
            current += c;
            any = true;
        }
    }
    if (any || !current.isEmpty()) args << current;
    return args;
}

bool DesktopFileValid(const QString& path, QString* output) {
    if (QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) return true;
    QProcess p;
    p.start("desktop-file-validate", {path});
    p.waitForFinished(10000);
    *output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

class UtilitiesTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // The per-user files outlive a test when several run in one process.
        QFile::remove(Skin::CurrentSkinPath());
        QFile::remove(Autostart::EntryPath());
    }
    frmpref* OpenPreferences() {
        form_->MenuItem("mnupref")->trigger();
        Settle();
        frmpref* w = Forms::Loaded<frmpref>();
        EXPECT_NE(w, nullptr);
        return w;
    }
};

TEST_F(UtilitiesTest, StartAtLogOnWritesAndRemovesTheAutostartEntry) {
    Start();
    frmpref* pref = OpenPreferences();
    ASSERT_NE(pref, nullptr);
    EXPECT_TRUE(pref->isVisible());
    EXPECT_EQ(pref->windowTitle(), "Preferences");
    ASSERT_FALSE(QFile::exists(Autostart::EntryPath()));

    Click(pref->Check1);
    EXPECT_EQ(Settings::Get("Settings", "Startup"), "1");
    ASSERT_TRUE(QFile::exists(Autostart::EntryPath()));
    EXPECT_TRUE(Autostart::EntryPath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/"));
    const QByteArray entry = TestEnv::ReadAll(Autostart::EntryPath());
    EXPECT_EQ(ExecArguments(entry),
              QStringList{QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath()});
    QString why;
    EXPECT_TRUE(DesktopFileValid(Autostart::EntryPath(), &why)) << why.toStdString();

    Click(pref->Check1);
    EXPECT_EQ(Settings::Get("Settings", "Startup"), "0");
    EXPECT_FALSE(QFile::exists(Autostart::EntryPath()));

    Click(pref->Check2);
    EXPECT_EQ(Settings::Get("Settings", "Today"), "1");
    Click(pref->Check2);
    EXPECT_EQ(Settings::Get("Settings", "Today"), "0");
    // Nothing else was asked or said.
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(UtilitiesTest, OpeningWithStartupOnWritesAMissingAutostartEntryAgain) {
    Settings::Set("Settings", "Startup", "1");
    Settings::Set("Settings", "Today", "0");
    // Startup "1" would send the window to the tray at start: open the
    // preferences on a window started without it.
    Settings::Set("Settings", "Startup", "0");
    Start();
    Settings::Set("Settings", "Startup", "1");
    ASSERT_FALSE(QFile::exists(Autostart::EntryPath()));
    frmpref* pref = OpenPreferences();
    ASSERT_NE(pref, nullptr);
    EXPECT_TRUE(pref->Check1->isChecked());
    EXPECT_FALSE(pref->Check2->isChecked());
    EXPECT_TRUE(QFile::exists(Autostart::EntryPath()));
}

TEST_F(UtilitiesTest, AutostartEntryQuotesEveryPathItCanBeGiven) {
    const QStringList paths = {"/opt/quillon/bin/quillon", "/home/ann/my programs/quillon",
                               "/home/ann/\"odd\" $HOME `x` back\\slash/quillon", "/tmp/100%/quillon",
                               "/home/jürgen/quillon"};
    for (const QString& path : paths) {
        const QByteArray text = Autostart::EntryText(path);
        EXPECT_EQ(ExecArguments(text), QStringList{path}) << text.toStdString();
        const QString file = temp_ + "/quillon.desktop";
        ASSERT_TRUE(TestEnv::WriteAll(file, text));
        QString why;
        EXPECT_TRUE(DesktopFileValid(file, &why)) << path.toStdString() << ": " << why.toStdString();
    }
}

TEST_F(UtilitiesTest, ColourButtonsStoreApplyAndCancelStoresNothing) {
    NewDatabase();
    // A task whose start has passed becomes past due.
    const int row = AddTask("ID-1", QDate::currentDate().addDays(-10));
    form_->Getpast();
    ASSERT_EQ(form_->Grid1.Text(row, Col::Status), "Past Due");
    Settings::Set("Colors", "PastDue", "65535");
    frmpref* pref = OpenPreferences();
    ASSERT_NE(pref, nullptr);

    // Cancel keeps what was stored.
    TestEnv::Dialogs().AnswerColor(std::nullopt);
    Click(pref->Command1);
    EXPECT_EQ(Settings::Get("Colors", "PastDue"), "65535");

    TestEnv::Dialogs().AnswerColor(QColor(255, 0, 0));
    Click(pref->Command1);
    EXPECT_EQ(Settings::Get("Colors", "PastDue"), "255");
    EXPECT_EQ(form_->Grid1.BackColor(row, Col::TaskId), 255u);

    TestEnv::Dialogs().AnswerColor(QColor(0, 0, 255));
    Click(pref->Command2);
    EXPECT_EQ(Settings::Get("Colors", "ForeDue"), "16711680");
    EXPECT_EQ(form_->Grid1.ForeColor(row, Col::Status), 16711680u);

    TestEnv::Dialogs().AnswerColor(QColor(0, 128, 0));
    Click(pref->Command3);
    EXPECT_EQ(Settings::Get("Chart", "BackColor"), "32768");
    EXPECT_EQ(form_->phGantX1->BackColor, 32768);
    TestEnv::Dialogs().AnswerColor(QColor(1, 2, 3));
    Click(pref->Command4);
    EXPECT_EQ(Settings::Get("Chart", "ForeColor"), QString::number(1 + 2 * 256 + 3 * 65536));
    EXPECT_EQ(form_->phGantX1->PyjamasColor, 1 + 2 * 256 + 3 * 65536);
    // The button shows the stored colour.
    EXPECT_TRUE(pref->Command3->styleSheet().contains("#008000")) << pref->Command3->styleSheet().toStdString();

    // The chart colours hold at the next start.
    Stop();
    Start();
    EXPECT_EQ(form_->phGantX1->BackColor, 32768);
    EXPECT_EQ(form_->phGantX1->PyjamasColor, 1 + 2 * 256 + 3 * 65536);
}

// A screen reader names each colour button after its own label.
TEST_F(UtilitiesTest, ColourButtonsAreAnnouncedByTheirOwnLabels) {
    Start();
    frmpref* pref = OpenPreferences();
    ASSERT_NE(pref, nullptr);
    const std::pair<QPushButton*, QString> buttons[] = {{pref->Command1, "Past Due Back Color"},
                                                        {pref->Command2, "Past Due Fore Color"},
                                                        {pref->Command3, "Gannt Back Color"},
                                                        {pref->Command4, "Gantt Pyjamas Color"}};
    for (const auto& [button, label] : buttons) {
        QAccessibleInterface* said = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(said, nullptr);
        EXPECT_EQ(said->text(QAccessible::Name), label);
    }
}

TEST_F(UtilitiesTest, ChangeSkinDressesTheMainWindowAndLaterWindows) {
    Start();
    const QString skin = temp_ + "/blue.skn";
    const QByteArray sheet = "QWidget { background-color: #0000ff; }\n";
    ASSERT_TRUE(TestEnv::WriteAll(skin, sheet));

    // Cancel changes nothing.
    TestEnv::Dialogs().AnswerOpen(QString());
    form_->MenuItem("mnuskin")->trigger();
    EXPECT_TRUE(form_->styleSheet().isEmpty());
    EXPECT_FALSE(QFile::exists(Skin::CurrentSkinPath()));

    TestEnv::Dialogs().AnswerOpen(skin);
    form_->MenuItem("mnuskin")->trigger();
    const auto& call = TestEnv::Dialogs().Calls().back();
    EXPECT_EQ(call.kind, "Open");
    EXPECT_EQ(call.prompt, "Open Skin");
    EXPECT_EQ(form_->styleSheet(), QString::fromUtf8(sheet));
    EXPECT_EQ(TestEnv::ReadAll(Skin::CurrentSkinPath()), sheet);
    EXPECT_TRUE(Skin::CurrentSkinPath().startsWith(qEnvironmentVariable("XDG_DATA_HOME")));

    // A window opened afterwards takes the current skin.
    form_->MenuItem("mnuabout")->trigger();
    Settle();
    ASSERT_NE(Forms::Loaded<Form8>(), nullptr);
    EXPECT_EQ(Forms::Loaded<Form8>()->styleSheet(), QString::fromUtf8(sheet));

    // Choosing the current skin itself keeps it whole.
    TestEnv::Dialogs().AnswerOpen(Skin::CurrentSkinPath());
    form_->MenuItem("mnuskin")->trigger();
    EXPECT_EQ(TestEnv::ReadAll(Skin::CurrentSkinPath()), sheet);
    EXPECT_EQ(form_->styleSheet(), QString::fromUtf8(sheet));

    // The toolbar's "Edit" takes the same steps.
    const QString dark = QCoreApplication::applicationDirPath() + "/dark.skn";
    ASSERT_TRUE(QFile::exists(dark));
    TestEnv::Dialogs().AnswerOpen(dark);
    form_->Toolbar1_ButtonClick("Edit");
    EXPECT_EQ(form_->styleSheet(), QString::fromUtf8(TestEnv::ReadAll(dark)));
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(UtilitiesTest, AnUnreadableSkinLeavesTheLookAndSaysSo) {
    Start();
    const QString missing = temp_ + "/gone.skn";
    TestEnv::Dialogs().AnswerOpen(missing);
    form_->MenuItem("mnuskin")->trigger();
    EXPECT_TRUE(form_->styleSheet().isEmpty());
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("cannot be read"));

    const QString binary = temp_ + "/picture.skn";
    ASSERT_TRUE(TestEnv::WriteAll(binary, QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11)));
    TestEnv::Dialogs().AnswerOpen(binary);
    form_->MenuItem("mnuskin")->trigger();
    EXPECT_TRUE(form_->styleSheet().isEmpty());
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("is not a skin file"));
    EXPECT_FALSE(QFile::exists(Skin::CurrentSkinPath()));
}

TEST_F(UtilitiesTest, ACurrentSkinThatIsALinkIsNeitherWornNorWrittenThrough) {
    const QString theirs = temp_ + "/theirs.skn";
    const QByteArray sheet = "QWidget { background-color: #ff0000; }\n";
    ASSERT_TRUE(TestEnv::WriteAll(theirs, sheet));
    QDir().mkpath(QFileInfo(Skin::CurrentSkinPath()).absolutePath());
    ASSERT_TRUE(QFile::link(theirs, Skin::CurrentSkinPath()));
    Start();
    EXPECT_TRUE(form_->styleSheet().isEmpty());

    const QString skin = temp_ + "/blue.skn";
    ASSERT_TRUE(TestEnv::WriteAll(skin, "QWidget { background-color: #0000ff; }\n"));
    TestEnv::Dialogs().AnswerOpen(skin);
    form_->MenuItem("mnuskin")->trigger();
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("\"" + Skin::CurrentSkinPath() + "\" is a link"))
        << TestEnv::Dialogs().LastMessage().toStdString();
    EXPECT_EQ(TestEnv::ReadAll(theirs), sheet);
    EXPECT_TRUE(QFileInfo(Skin::CurrentSkinPath()).isSymLink());
}

TEST_F(UtilitiesTest, AboutBoxShowsTheVersionAndOpensTheWebPage) {
    Start();
    form_->MenuItem("mnuabout")->trigger();
    Settle();
    Form8* about = Forms::Loaded<Form8>();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), "About...");
    EXPECT_EQ(about->SkinLabel1->text(), "Quillon 4.3.2");
    Click(about->Command2);
    ASSERT_EQ(TestEnv::Shell().opened.size(), 1u);
    EXPECT_EQ(TestEnv::Shell().opened[0].what, Help::WebPageUrl());
    Click(about->Command1);
    EXPECT_EQ(Forms::Loaded<Form8>(), nullptr);
    // The next About is a fresh window.
    form_->MenuItem("mnuabout")->trigger();
    Settle();
    EXPECT_NE(Forms::Loaded<Form8>(), nullptr);
}

TEST_F(UtilitiesTest, HelpContentsAndTheWebPageOpenOrSaySo) {
    Start();
    form_->MenuItem("mnucont")->trigger();
    ASSERT_EQ(TestEnv::Shell().opened.size(), 1u);
    EXPECT_EQ(QUrl(TestEnv::Shell().opened[0].what).toLocalFile(), Help::HelpFile());
    // The help is the one shipped with the program, whatever the database folder.
    EXPECT_EQ(QFileInfo(Help::HelpFile()).absolutePath(), QCoreApplication::applicationDirPath());

    form_->MenuItem("mnuvisit")->trigger();
    ASSERT_EQ(TestEnv::Shell().opened.size(), 2u);
    EXPECT_EQ(TestEnv::Shell().opened[1].what, Help::WebPageUrl());
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());

    TestEnv::Shell().failOpen = true;
    form_->MenuItem("mnuvisit")->trigger();
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not be opened"));
    form_->MenuItem("mnucont")->trigger();
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("help could not be shown"));
}

// Where xdg-open knows no desktop it drops everything after "#" from a file
// address; Help still opens at the section asked for. The desktop's browser
// for web pages is one that writes down what it is given.
TEST_F(UtilitiesTest, HelpOpensAtItsSectionThroughXdgOpenWithoutAKnownDesktop) {
    ASSERT_FALSE(QStandardPaths::findExecutable("xdg-open").isEmpty()) << "xdg-open (xdg-utils) is needed";
    const QString log = temp_ + "/browser.log", browser = temp_ + "/browser";
    ASSERT_TRUE(TestEnv::WriteAll(browser, ("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + log + "'\n").toUtf8()));
    QFile::setPermissions(browser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString mimeapps = qEnvironmentVariable("XDG_CONFIG_HOME") + "/mimeapps.list";
    const QString entry = qEnvironmentVariable("XDG_DATA_HOME") + "/applications/quillon-test-browser.desktop";
    ASSERT_TRUE(TestEnv::WriteAll(mimeapps, "[Default Applications]\ntext/html=quillon-test-browser.desktop\n"));
    ASSERT_TRUE(TestEnv::WriteAll(
        entry, ("[Desktop Entry]\nType=Application\nName=Logging Browser\nExec=" + browser + " %u\nMimeType=text/html;\n")
                   .toUtf8()));
    // No desktop xdg-open knows, on a display: its generic mode.
    const char* const names[] = {"DISPLAY", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID", "LXQT_SESSION_CONFIG",
                                 "DESKTOP", "BROWSER", "WAYLAND_DISPLAY"};
    std::vector<std::optional<QByteArray>> saved;
    for (const char* name : names) {
        saved.push_back(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qunsetenv(name);
    }
    qputenv("DISPLAY", ":0");
    TestEnv::Shell().openForReal = true;

    Start();
    form_->MenuItem("mnunot")->trigger();
    ASSERT_NE(Forms::Loaded<Form10>(), nullptr);
    QTest::mouseClick(Forms::Loaded<Form10>()->Command3, Qt::LeftButton);   // Alert Options' Help
    ASSERT_TRUE(WaitUntil([&] { return TestEnv::ReadAll(log).endsWith('\n'); }, 10000));
    const QString given = QString::fromUtf8(TestEnv::ReadAll(log)).trimmed();
    EXPECT_EQ(QUrl::fromUserInput(PageLeadsTo(given)), QUrl(Help::HelpUrl(Help::AlertSettings)))
        << "the browser was given " << given.toStdString();
    // The forwarding page lies in Quillon's one data folder, not in a second one beside it.
    EXPECT_TRUE(QUrl::fromUserInput(given).toLocalFile().startsWith(FileOps::DataFolder() + "/")) << given.toStdString();
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());

    for (size_t i = 0; i < saved.size(); ++i) {
        if (saved[i]) qputenv(names[i], *saved[i]);
        else qunsetenv(names[i]);
    }
    QFile::remove(mimeapps);
    QFile::remove(entry);
}

// Every context number a window passes has its section in the shipped page,
// and no window passes a number that is not in the table.
TEST(HelpFile, EveryContextHasItsAnchor) {
    const QString html = QString::fromUtf8(TestEnv::ReadAll(QString(QUILLON_TEST_DIR) + "/../resources/quillontask.html"));
    ASSERT_FALSE(html.isEmpty());
    for (int context : {Help::TaskEditor, Help::Recurrence, Help::MailSetup, Help::SendMailAndBackup,
                        Help::RestoreAndAddressBook, Help::AlertSettings})
        EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(context))) << context;

    const QRegularExpression call(R"(Help::Show\(([^)]*)\))");
    const QRegularExpression named(R"(^Help::([A-Za-z]+)$)");
    int calls = 0;
    const QDir src(QString(QUILLON_TEST_DIR) + "/../src");
    std::function<void(const QDir&)> scan = [&](const QDir& dir) {
        for (const QFileInfo& f : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (f.isDir()) { scan(QDir(f.filePath())); continue; }
            if (!f.fileName().endsWith(".cpp") || f.fileName() == "Help.cpp") continue;
            const QString code = QString::fromUtf8(TestEnv::ReadAll(f.filePath()));
            for (auto it = call.globalMatch(code); it.hasNext();) {
                const QString arg = it.next().captured(1).trimmed();
                ++calls;
                if (arg.isEmpty()) continue;
                EXPECT_TRUE(named.match(arg).hasMatch())
                    << f.fileName().toStdString() << " passes " << arg.toStdString() << ": name a context of the table";
            }
        }
    };
    scan(src);
    EXPECT_GE(calls, 3);
}

}  // namespace

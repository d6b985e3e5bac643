// Start-up with damaged or hostile files: the program says what is wrong,
// keeps running, and changes none of them.
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "platform/FileOps.h"
#include "platform/Registry.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"

namespace {

class Form1HostileFiles : public MainWindowTest {};

// A grid file of about 150 KB whose header claims 400 million cells.
QByteArray HostileGridFile() {
    QByteArray out = "QUILLON-GRID 1\n40000 10000\n";
    for (int c = 0; c < 10000; ++c) out += c ? " 9" : "9";
    out += "\n";
    for (int r = 0; r < 40000; ++r) out += r ? " 1" : "1";
    return out + "\nEND\n";
}

TEST_F(Form1HostileFiles, AHostileDefaultDatabaseIsRefusedAtEveryStartAndAnotherOneOpens) {
    Start();
    const QString good = NewDatabase("good.vkt", false);
    AddTask("ID-1", QDate::currentDate());
    const QString hostile = NewDatabase("plant.vkt", true);
    Stop();
    const QByteArray bytes = HostileGridFile();
    ASSERT_TRUE(TestEnv::WriteAll(hostile, bytes));

    for (int start = 0; start < 2; ++start) {
        TestEnv::Dialogs().Reset();
        Start();
        EXPECT_FALSE(form_->DatabaseOpen());
        ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
        EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not be read")) << start;
        EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("counts")) << start;
        EXPECT_EQ(form_->Grid1.Rows(), 1);
        EXPECT_FALSE(form_->SaveDatabase());
        Stop();
    }
    EXPECT_EQ(TestEnv::ReadAll(hostile), bytes);

    // The user can still open a good database.
    Start();
    TestEnv::Dialogs().AnswerOpen(good);
    form_->mnuopend_Click();
    EXPECT_TRUE(form_->DatabaseOpen());
    ASSERT_EQ(form_->Grid1.Rows(), 2);
    EXPECT_EQ(form_->Grid1.Text(1, 1), "ID-1");
}

TEST_F(Form1HostileFiles, OneStrayByteInTheSettingsLosesNoAccentedPath) {
    // The database lives under an accented folder; someone wrote one line of
    // the settings file in Windows-1252.
    const QString folder = temp_ + QString::fromUtf8("/jürgen");
    ASSERT_TRUE(QDir().mkpath(folder));
    Start();
    const QString path = NewDatabase(QString::fromUtf8("jürgen/plant.vkt"), true);
    AddTask("ID-1", QDate::currentDate());
    Stop();
    const QString settings = RegistryStore::ConfigFolder() + "/HKEY_CURRENT_USER.ini";
    QByteArray bytes = TestEnv::ReadAll(settings);
    ASSERT_TRUE(bytes.contains(QString::fromUtf8("jürgen").toUtf8()));
    bytes += "[Software\\Quillon\\Note]\nText=sz:Stra\xDF" "e\n";
    ASSERT_TRUE(TestEnv::WriteAll(settings, bytes));

    // A setting written now leaves the accented lines as they were...
    ASSERT_TRUE(Settings::Set("Dates", "To", "14"));
    const QByteArray after = TestEnv::ReadAll(settings);
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.startsWith("To=")) continue;
        EXPECT_TRUE(after.contains(line + '\n')) << line.toStdString();
    }
    EXPECT_TRUE(after.contains(QString::fromUtf8("jürgen").toUtf8()));
    EXPECT_TRUE(after.contains("Stra\xDF" "e"));
    EXPECT_EQ(Settings::Get("Note", "Text"), QString::fromUtf8("Straße"));

    // ...and the default database is still found at the next start.
    TestEnv::Dialogs().Reset();
    Start();
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty()) << TestEnv::Dialogs().LastMessage().toStdString();
    EXPECT_TRUE(form_->DatabaseOpen());
    EXPECT_EQ(form_->DatabaseFile(), path);
    EXPECT_EQ(form_->Grid1.Rows(), 2);
}

}  // namespace

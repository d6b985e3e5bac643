// A setting that cannot be written (the disk is full) is said where the
// user changed it, in the words the rest of the program uses for a full disk.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

#include "widgets/Forms.h"
#include "platform/Registry.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/Ui.h"
#include "ui/utilities/frmpref.h"

namespace {

class Form1SettingsWrites : public MainWindowTest {};

TEST_F(Form1SettingsWrites, EverySettingTheUserChangesOnAFullDiskIsSaidToBeLost) {
    Start();
    NewDatabase();
    const struct {
        const char* what;
        std::function<void(Form1*)> act;   // what the user does
    } cases[] = {
        {"The Show Tip setting",
         [](Form1* f) {
             f->SSTab1->setCurrentIndex(1);
             QTest::mouseClick(f->Check1, Qt::LeftButton);
         }},
        {"The date window",
         [](Form1* f) {
             f->DatePicker1->setFocus();
             QTest::keyClick(f->DatePicker1, Qt::Key_A, Qt::ControlModifier);
             QTest::keyClicks(f->DatePicker1, "2027-01-02");
             QTest::keyClick(f->DatePicker1, Qt::Key_Return);
         }},
        {"The date window", [](Form1* f) { QTest::keyClick(f->Combo3, Qt::Key_Down); }},
        {"The alert switch", [](Form1* f) { f->MenuItem("mnuaon")->trigger(); }},
        {"The start-up option",
         [](Form1* f) {
             f->MenuItem("mnupref")->trigger();
             TestUi::Settle();
             QCheckBox* today = Forms::Loaded<frmpref>()->Check2;
             QTest::mouseClick(today, Qt::LeftButton, {}, QPoint(8, today->height() / 2));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestEnv::Dialogs().Reset();
        {
            TestEnv::DiskFull full(8);
            c.act(form_);
        }
        TestUi::Settle();
        ASSERT_FALSE(TestEnv::Dialogs().Messages().isEmpty());
        EXPECT_EQ(TestEnv::Dialogs().Messages().first(),
                  QStringLiteral("%1 could not be saved: The disk is full.").arg(c.what));
    }
}

TEST_F(Form1SettingsWrites, AStartUpThatCannotWriteItsSettingsSaysSoOverTheWindow) {
    Start();
    NewDatabase("plant.vkt", true);
    AddTask("ID-1", QDate::currentDate());
    Stop();
    TestEnv::Dialogs().Reset();
    {
        // Room for the database's lock file, none for a settings file that grows.
        TestEnv::DiskFull full(QFileInfo(RegistryStore::ConfigFolder() + "/HKEY_CURRENT_USER.ini").size());
        Start();   // the recount of the task counter is written at every start
    }
    EXPECT_TRUE(form_->DatabaseOpen());
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "Some of Quillon's settings could not be saved: The disk is full.");
}

}  // namespace

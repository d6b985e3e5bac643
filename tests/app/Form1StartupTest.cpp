#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/Form25.h"
#include "app/Form7.h"
#include "model/database/TaskCounter.h"
#include "model/database/TaskDatabase.h"
#include "platform/DateText.h"
#include "platform/FileOps.h"
#include "widgets/Forms.h"
#include "widgets/GanttChart.h"
#include "widgets/GridView.h"
#include "platform/Registry.h"
#include "widgets/Tray.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/Ui.h"
#include "ui/tasks/Form6.h"

namespace {

class Form1Startup : public MainWindowTest {};

QStringList VisibleHeaders(const Grid& g) {
    QStringList out;
    for (int c = 0; c < g.Cols(); ++c)
        if (g.ColumnWidth(c) > 0) out << g.Text(0, c);
    return out;
}

TEST_F(Form1Startup, FirstStartShowsAnEmptyGridAndWritesNothing) {
    Form1* f = Start();
    EXPECT_EQ(f->Grid1.Rows(), 1);
    EXPECT_EQ(f->Grid1.Cols(), 14);
    EXPECT_EQ(VisibleHeaders(f->Grid1),
              (QStringList{"Task ID", "Equipment", "Request Date", "Scheduled Start", "Start Time", "Scheduled End",
                           "End Time", "Assigned To", "Requested By", "Type", "Frequency (Days)", "Status"}));
    EXPECT_EQ(f->Grid1.ColumnWidth(12), 0);
    // No day count stored yet: the box shows a usable count, not an empty
    // one that would hide every row of the first database opened.
    EXPECT_EQ(f->Combo3->currentText(), "7");
    EXPECT_EQ(f->Combo3->count(), 365);
    EXPECT_EQ(f->DatePicker1->date(), QDate::currentDate());
    EXPECT_EQ(f->SSTab1->currentIndex(), 0);
    EXPECT_FALSE(f->Timer1->isActive());
    EXPECT_FALSE(f->DatabaseOpen());
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
    EXPECT_FALSE(QFile::exists(RegistryStore::ConfigFolder()));
    EXPECT_TRUE(f->mnuoff->isChecked());
    EXPECT_FALSE(f->mnuaon->isChecked());
    // The menu bar shows the seven menus; the three pop-ups are not there.
    QStringList bar;
    for (QAction* a : f->menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&Setup", "&Print Menu", "&Utilities", "&Alerts", "&Network", "&Help"}));
    // With no database open, a command that would save refuses with a message.
    EXPECT_FALSE(f->SaveDatabase());
    EXPECT_EQ(TestEnv::Dialogs().Messages().size(), 1);
}

TEST_F(Form1Startup, NewDatabaseCreatesTheFileAndItsCompanionFolder) {
    Start();
    const QString path = NewDatabase("plant.2010.vkt", false);
    EXPECT_TRUE(QFile::exists(path));
    // Named without the extension only: another plant.*.vkt has its own.
    EXPECT_TRUE(FileOps::FolderExists(temp_ + "/plant.2010/Tasks"));
    EXPECT_TRUE(FileOps::FolderExists(temp_ + "/plant.2010/Materials"));
    EXPECT_EQ(form_->DatabaseFile(), path);
    EXPECT_EQ(form_->DatabaseFolder(), temp_ + "/");
    EXPECT_EQ(form_->DatabaseName(), "plant.2010");
    EXPECT_EQ(form_->ListFilePath(), temp_ + "/plant.2010.ini");
    EXPECT_TRUE(form_->DatabaseOpen());
    ASSERT_EQ(TestEnv::Dialogs().Messages(), QStringList{"Set This Database To Load Each Time You Start Quillon?"});
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style, vb::vbYesNo | vb::vbCritical | vb::vbDefaultButton2);
    // Answer No: no default, but the date window is stored.
    EXPECT_EQ(Settings::Get("Settings", "Default"), "");
    EXPECT_EQ(Settings::Get("Dates", "To"), "30");
    EXPECT_EQ(Settings::Get("Dates", "From"), DateText::FormatSettingDate(QDate::currentDate()));
    EXPECT_EQ(form_->Combo3->currentText(), "30");
}

TEST_F(Form1Startup, CancelledNewDatabaseChangesNothing) {
    Start();
    form_->mnunewd_Click();   // no answer queued: the dialog was cancelled
    EXPECT_FALSE(form_->DatabaseOpen());
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
    EXPECT_EQ(Settings::Get("Dates", "To"), "");
}

TEST_F(Form1Startup, DefaultDatabaseOpensAgainAfterARestartWithHiddenColumnsAndRows) {
    Start();
    const QString path = NewDatabase("plant.vkt", true);
    EXPECT_EQ(Settings::Get("Settings", "Default"), path);
    EXPECT_EQ(Settings::Get("Settings", "Path"), temp_ + "/");
    EXPECT_EQ(Settings::Get("Settings", "FileTitle"), "plant");
    AddTask("ID-1", QDate::currentDate());
    AddTask("ID-2", QDate::currentDate().addDays(1));
    form_->Grid1.SetColumnWidth(2, 0);
    form_->Grid1.SetText(0, 2, "");
    form_->Grid1.SetRowHeight(2, 0);
    ASSERT_TRUE(form_->SaveDatabase());
    Stop();

    Start();
    EXPECT_TRUE(form_->DatabaseOpen());
    EXPECT_EQ(form_->Grid1.Rows(), 3);
    EXPECT_EQ(form_->Grid1.Text(1, 1), "ID-1");
    EXPECT_EQ(form_->Grid1.ColumnWidth(2), 0);
    EXPECT_EQ(form_->Grid1.ColumnWidth(12), 0);
    EXPECT_EQ(form_->DatabaseName(), "plant");
    EXPECT_EQ(form_->Combo3->currentText(), "30");
    // The start shows the stored date window; both tasks lie in it.
    EXPECT_GT(form_->Grid1.RowHeight(1), 0);
    EXPECT_GT(form_->Grid1.RowHeight(2), 0);
}

TEST_F(Form1Startup, AMissingDefaultDatabaseIsSaidAndNeverRecreated) {
    Start();
    const QString path = NewDatabase("plant.vkt", true);
    Stop();
    QFile::remove(path);
    TestEnv::Dialogs().Reset();
    Start();
    EXPECT_FALSE(form_->DatabaseOpen());
    EXPECT_EQ(form_->Grid1.Rows(), 1);
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    // Said over the main window, not on an empty screen before it.
    EXPECT_TRUE(TestEnv::Dialogs().Calls().front().overMainWindow);
    // No database is open, so none is named.
    EXPECT_EQ(form_->DatabaseName(), "");
    EXPECT_EQ(form_->Label7->text(), "");
    EXPECT_EQ(form_->lblpath->text(), "");
    EXPECT_FALSE(form_->SaveDatabase());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(Form1Startup, ADamagedDefaultDatabaseIsNeverOverwritten) {
    Start();
    const QString path = NewDatabase("plant.vkt", true);
    Stop();
    FileOps::WriteFileSafely(path, "this is not a task database");
    Start();
    EXPECT_FALSE(form_->DatabaseOpen());
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not be read"));
    EXPECT_FALSE(form_->SaveDatabase());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "this is not a task database");
}

TEST_F(Form1Startup, OpenDatabaseLoadsAGoodFileAndKeepsTheOldOneOnADamagedFile) {
    Start();
    const QString first = NewDatabase("first.vkt");
    AddTask("ID-1", QDate::currentDate());
    const QString second = NewDatabase("second.vkt");
    AddTask("ID-7", QDate::currentDate());
    AddTask("ID-8", QDate::currentDate());

    FileOps::RemoveFolder(temp_ + "/first");   // the companion went missing
    TestEnv::Dialogs().AnswerOpen(first);
    form_->mnuopend_Click();
    EXPECT_EQ(form_->DatabaseFile(), first);
    EXPECT_EQ(form_->Grid1.Rows(), 2);
    EXPECT_TRUE(FileOps::FolderExists(temp_ + "/first/Tasks"));
    EXPECT_EQ(Settings::Get("Settings", "Default"), "");   // opening changes no default

    const QString bad = temp_ + "/bad.vkt";
    FileOps::WriteFileSafely(bad, "QUILLON-GRID 1\n5 14\n");
    TestEnv::Dialogs().AnswerOpen(bad);
    form_->mnuopend_Click();
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not be opened"));
    EXPECT_EQ(form_->DatabaseFile(), first);
    EXPECT_EQ(form_->Grid1.Text(1, 1), "ID-1");
    ASSERT_TRUE(form_->SaveDatabase());
    QFile f(bad);
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), "QUILLON-GRID 1\n5 14\n");
}

TEST_F(Form1Startup, NewDatabaseOverAnOldFileLeavesNoPerTaskFilesBehind) {
    Start();
    NewDatabase("plant.vkt");
    AddTask("ID-1", QDate::currentDate());
    FileOps::WriteFileSafely(temp_ + "/plant/Tasks/ID-1.tsk", "old items");
    FileOps::WriteFileSafely(temp_ + "/plant/Materials/ID-1.mts", "old materials");
    NewDatabase("plant.vkt");
    EXPECT_EQ(form_->Grid1.Rows(), 1);
    EXPECT_FALSE(QFile::exists(temp_ + "/plant/Tasks/ID-1.tsk"));
    EXPECT_FALSE(QFile::exists(temp_ + "/plant/Materials/ID-1.mts"));
}

TEST_F(Form1Startup, ADatabaseMovedWithoutItsFolderAndListFileIsSaidOnceWhenOpened) {
    Start();
    const QString made = NewDatabase("plant.vkt");
    AddTask("ID-1", QDate::currentDate());
    ASSERT_TRUE(TestEnv::WriteAll(temp_ + "/plant.ini", "[Employees]\nAnn=255\n"));
    // A database made here finds its folder beside it: no word about it.
    EXPECT_EQ(TestEnv::Dialogs().Messages(), QStringList{"Set This Database To Load Each Time You Start Quillon?"});

    // The file alone moved elsewhere, opened through the menu or as the
    // default database at start; the second time its folder is there.
    for (const bool atStart : {false, true}) {
        const QString folder = temp_ + (atStart ? "/default" : "/moved"), path = folder + "/plant.vkt";
        ASSERT_TRUE(QDir().mkpath(folder) && QFile::copy(made, path));
        for (int time = 1; time <= 2; ++time) {
            SCOPED_TRACE((path + (time == 1 ? " first" : " again")).toStdString());
            TestEnv::Dialogs().Reset();
            if (atStart) {
                Settings::Set("Settings", "Default", path);
                Start();
            } else {
                TestEnv::Dialogs().AnswerOpen(path);
                form_->mnuopend_Click();
            }
            ASSERT_EQ(form_->DatabaseFile(), path);
            EXPECT_TRUE(FileOps::FolderExists(folder + "/plant/Tasks"));
            const QStringList said = TestEnv::Dialogs().Messages();
            ASSERT_EQ(said.size(), time == 1 ? 1 : 0);
            if (time == 2) continue;
            for (const char* part : {"\"plant\" and the list file \"plant.ini\"", "not found beside",
                                     "moved needs its folder and its list file moved with it"})
                EXPECT_TRUE(said[0].contains(part)) << said[0].toStdString();
        }
    }
}

TEST_F(Form1Startup, SetDefaultDatabaseTakesEffectAtTheNextStart) {
    Start();
    const QString a = NewDatabase("a.vkt", true);
    const QString b = NewDatabase("b.vkt", false);
    form_->mnudef_Click();
    Form7* f7 = Forms::Loaded<Form7>();
    ASSERT_NE(f7, nullptr);
    EXPECT_EQ(f7->windowTitle(), "Load By Default ");
    EXPECT_EQ(f7->Text1->text(), a);
    // Choosing the existing database is an open, not a save: no question
    // about replacing it.
    TestEnv::Dialogs().Reset();
    TestEnv::Dialogs().AnswerOpen(b);
    QTest::mouseClick(f7->Command1, Qt::LeftButton);
    EXPECT_EQ(TestEnv::Dialogs().Calls().front().kind, "Open");
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "You must exit and restart");
    EXPECT_EQ(Forms::Loaded<Form7>(), nullptr);
    EXPECT_EQ(form_->DatabaseFile(), b);   // in use until the restart anyway
    EXPECT_EQ(Settings::Get("Settings", "Default"), b);
    Stop();
    Start();
    EXPECT_EQ(form_->DatabaseFile(), b);
    EXPECT_EQ(form_->DatabaseName(), "b");

    // Close writes nothing.
    form_->mnudef_Click();
    QTest::mouseClick(Forms::Loaded<Form7>()->Command3, Qt::LeftButton);
    EXPECT_EQ(Forms::Loaded<Form7>(), nullptr);
    EXPECT_EQ(Settings::Get("Settings", "Default"), b);
}

TEST_F(Form1Startup, DateWindowControlsRefreshAndStoreAsTheUserActs) {
    Start();
    NewDatabase();
    const QDate today = QDate::currentDate();
    AddTask("ID-1", today.addDays(-1));
    AddTask("ID-2", today);
    AddTask("ID-3", today.addDays(6));
    AddTask("ID-4", today.addDays(7));
    form_->Combo3->setEditText("7");
    QTest::mouseClick(form_->Command6, Qt::LeftButton);   // "&Today"
    EXPECT_EQ(form_->Grid1.RowHeight(1), 0);
    EXPECT_GT(form_->Grid1.RowHeight(2), 0);
    EXPECT_GT(form_->Grid1.RowHeight(3), 0);
    EXPECT_EQ(form_->Grid1.RowHeight(4), 0);
    EXPECT_EQ(form_->StatusText(), "Done");
    EXPECT_EQ(Settings::Get("Dates", "From"), DateText::FormatSettingDate(today));   // from New only

    // The user's own pick of a length is stored and applied.
    form_->Combo3->setCurrentIndex(0);   // "1"
    emit form_->Combo3->activated(0);
    EXPECT_EQ(Settings::Get("Dates", "To"), "1");
    EXPECT_GT(form_->Grid1.RowHeight(2), 0);
    EXPECT_EQ(form_->Grid1.RowHeight(3), 0);

    // "Select As From Date" moves the window without storing it.
    form_->Grid1.SetActiveCell(1, 1);
    form_->mnuselstart_Click();
    EXPECT_EQ(form_->DatePicker1->date(), today.addDays(-1));
    EXPECT_GT(form_->Grid1.RowHeight(1), 0);
    EXPECT_EQ(Settings::Get("Dates", "From"), DateText::FormatSettingDate(today));

    // A change of the picker by the user is stored.
    form_->DatePicker1->setDate(today.addDays(6));
    EXPECT_EQ(Settings::Get("Dates", "From"), DateText::FormatSettingDate(today.addDays(6)));
    EXPECT_GT(form_->Grid1.RowHeight(3), 0);
    EXPECT_EQ(form_->Grid1.RowHeight(2), 0);
}

TEST_F(Form1Startup, ShowTipIsStoredAndReadBack) {
    Start();
    form_->SSTab1->setCurrentIndex(1);
    QTest::mouseClick(form_->Check1, Qt::LeftButton);
    EXPECT_EQ(Settings::Get("Tips", "DateFlag"), "1");
    Stop();
    Start();
    EXPECT_TRUE(form_->Check1->isChecked());
}

TEST_F(Form1Startup, SettingsLoadReadsAlertAndKeepsControlsOnBadValues) {
    Settings::Set("Dates", "To", "30");
    Settings::Set("Dates", "From", "not a date");
    Settings::Set("Settings", "Alert", "1");
    Settings::Set("Tips", "DateFlag", "x");
    Start();
    EXPECT_EQ(form_->Combo3->currentText(), "30");
    EXPECT_EQ(form_->DatePicker1->date(), QDate::currentDate());
    EXPECT_TRUE(form_->mnuaon->isChecked());
    EXPECT_FALSE(form_->mnuoff->isChecked());
    EXPECT_EQ(form_->SkinLabel1->text(), "1");
    EXPECT_FALSE(form_->Check1->isChecked());
}

TEST_F(Form1Startup, SortKeepsTheHeaderAndIsNotSavedUntilTheNextSave) {
    Start();
    const QString path = NewDatabase("plant.vkt", true);
    AddTask("ID-2", QDate::currentDate());
    AddTask("ID-10", QDate::currentDate());
    form_->Grid1.SetActiveCell(1, 1);
    form_->mnusort_Click();
    EXPECT_EQ(form_->Grid1.Text(0, 1), "Task ID");
    EXPECT_EQ(form_->Grid1.Text(1, 1), "ID-10");
    form_->Grid1.SetActiveCell(1, 1);
    form_->mnusort2_Click();
    EXPECT_EQ(form_->Grid1.Text(1, 1), "ID-2");
    form_->mnusort_Click();
    Stop();
    Start();
    EXPECT_EQ(form_->Grid1.Text(1, 1), "ID-2");   // the order of the last save
}

TEST_F(Form1Startup, RightClickOnTheGridOpensTheTaskMenuAndALeftClickDoesNot) {
    Start();
    NewDatabase();
    AddTask("ID-1", QDate::currentDate());
    form_->Command7_Click();
    form_->Grid1.SetRowHeight(1, 18);
    form_->Grid1View->Sync();
    const QRect cell = TestUi::CellRect(form_->Grid1View, 1, 2);
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(form_->Grid1View->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_FALSE(form_->mnuhid->isVisible());
    QTest::mousePress(form_->Grid1View->viewport(), Qt::RightButton, {}, cell.center());
    EXPECT_TRUE(form_->mnuhid->isVisible());
    form_->mnuhid->hide();
    EXPECT_EQ(form_->Grid1.ActiveRow(), 1);
}

TEST_F(Form1Startup, ExitUnloadsEveryWindowAndWritesNothing) {
    Start();
    NewDatabase("plant.vkt", true);
    const QString before = [&] {
        QFile f(RegistryStore::ConfigFolder() + "/HKEY_CURRENT_USER.ini");
        f.open(QIODevice::ReadOnly);
        return QString::fromUtf8(f.readAll());
    }();
    const QDateTime modified = QFileInfo(form_->DatabaseFile()).lastModified();
    form_->mnudef_Click();
    ASSERT_NE(Forms::Loaded<Form7>(), nullptr);
    form_->Timer1->start();
    form_->mnuexit2_Click();
    EXPECT_FALSE(form_->Timer1->isActive());
    EXPECT_EQ(Forms::Loaded<Form7>(), nullptr);
    EXPECT_FALSE(form_->isVisible());
    QFile f(RegistryStore::ConfigFolder() + "/HKEY_CURRENT_USER.ini");
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(QString::fromUtf8(f.readAll()), before);
    EXPECT_EQ(QFileInfo(form_->DatabaseFile()).lastModified(), modified);

    // The window's close button takes the same road.
    Stop();
    Start();
    form_->mnudef_Click();
    form_->close();
    EXPECT_EQ(Forms::Loaded<Form7>(), nullptr);
}

TEST_F(Form1Startup, TheWindowCoversTheScreensAvailableArea) {
    Start();
    const QRect avail = form_->screen()->availableGeometry();
    // The frame, where there is one, lies around the client area.
    EXPECT_LE(std::abs(form_->geometry().top() - avail.top()), 30);
    EXPECT_LE(std::abs(form_->geometry().left() - avail.left()), 30);
    EXPECT_EQ(form_->geometry().height(), avail.height());
    // (The test screen is narrower than the window can shrink.)
    EXPECT_EQ(form_->geometry().width(), std::max(avail.width(), form_->minimumSizeHint().width()));
}

}  // namespace

namespace {
TEST_F(Form1Startup, ZoomButtonsWidenAndNarrowTheChartWindowWithoutARebuild) {
    Start();
    form_->SSTab1->setCurrentIndex(1);
    QTest::mouseClick(form_->Command2, Qt::LeftButton);   // rebuild: eleven days
    const QDateTime first = form_->DatePicker1->date().startOfDay();
    EXPECT_EQ(form_->phGantX1->StartDate, first);
    EXPECT_EQ(form_->phGantX1->EndDate, first.addDays(11));
    QTest::mouseClick(form_->Command3, Qt::LeftButton);   // zoom in: one day
    EXPECT_EQ(form_->phGantX1->EndDate, first.addDays(1));
    QTest::mouseClick(form_->Command3, Qt::LeftButton);   // zoom in on one day: nothing
    EXPECT_EQ(form_->phGantX1->EndDate, first.addDays(1));
    QTest::mouseClick(form_->Command4, Qt::LeftButton);
    EXPECT_EQ(form_->phGantX1->EndDate, first.addDays(11));
    form_->MenuItem("mnuout")->trigger();
    EXPECT_EQ(form_->phGantX1->EndDate, first.addDays(21));
    QTest::mouseClick(form_->Command3, Qt::LeftButton);
    QTest::mouseClick(form_->Command3, Qt::LeftButton);
    EXPECT_EQ(form_->phGantX1->EndDate, first.addDays(1));
    EXPECT_EQ(form_->phGantX1->StartDate, first);
    EXPECT_EQ(form_->DatePicker1->date(), first.date());
}
}  // namespace

namespace {

TEST_F(Form1Startup, AMessageOfTheStartUpIsNotCoveredByTheSplash) {
    Form25* splash = Forms::Show<Form25>();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(splash));
    QMessageBox box(QMessageBox::Information, "Quillon", "A message of the start-up");
    box.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_FALSE(splash->isVisible());
    box.close();
    Forms::Unload<Form25>();
}

TEST_F(Form1Startup, TheSplashHoldsTheHourglassAndStartUpShowsTheWindowItself) {
    Forms::Load<Form25>();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Forms::Unload<Form25>();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    form_ = new Form1;
    form_->Form_Load();
    EXPECT_TRUE(form_->isVisible());
    EXPECT_EQ(Forms::Loaded<Form25>(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Form1Startup, StartShowsTheStoredWindowUnlessTodaysViewIsChosen) {
    Start();
    NewDatabase("plant.vkt", true);
    const QDate today = QDate::currentDate();
    AddTask("ID-1", today.addDays(-10));
    AddTask("ID-2", today);
    Settings::Set("Dates", "From", DateText::FormatDate(today.addDays(-10)));
    Settings::Set("Dates", "To", "1");
    Stop();

    // The stored window filters the rows, and the picker shows that window.
    Start();
    EXPECT_GT(form_->Grid1.RowHeight(1), 0);
    EXPECT_EQ(form_->Grid1.RowHeight(2), 0);
    EXPECT_EQ(form_->DatePicker1->date(), today.addDays(-10));
    EXPECT_EQ(Settings::Get("Dates", "From"), DateText::FormatDate(today.addDays(-10)));

    Settings::Set("Settings", "Today", "x");   // not the number 1
    Start();
    EXPECT_GT(form_->Grid1.RowHeight(1), 0);

    Settings::Set("Settings", "Today", "1");
    Start();
    EXPECT_EQ(form_->Grid1.RowHeight(1), 0);
    EXPECT_GT(form_->Grid1.RowHeight(2), 0);
    EXPECT_EQ(form_->StatusText(), "Done");
    EXPECT_TRUE(form_->isVisible());
}

TEST_F(Form1Startup, DatabaseDialogsCarryTheirTitlesAndFilter) {
    Start();
    NewDatabase("plant.vkt");
    form_->mnuopend_Click();   // cancelled
    const auto& calls = TestEnv::Dialogs().Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front().kind, "Save");
    EXPECT_EQ(calls.front().prompt, "Create Or Overwrite A Database:");
    EXPECT_EQ(calls.front().title, "Quillon Task(*.vkt)");
    EXPECT_EQ(calls.back().kind, "Open");
    EXPECT_EQ(calls.back().prompt, "Open A Database:");
    EXPECT_EQ(calls.back().title, "Quillon Task(*.vkt)");
    EXPECT_EQ(form_->DatabaseName(), "plant");
}

TEST_F(Form1Startup, ANewDatabaseThatCannotBeWrittenKeepsTheOpenOneAndAsksNothing) {
    Start();
    const QString first = NewDatabase("first.vkt", true);
    AddTask("ID-1", QDate::currentDate());
    FileOps::WriteFileSafely(temp_ + "/first/Tasks/ID-1.tsk", "items");
    const QByteArray before = TestEnv::ReadAll(first);
    Settings::Set("Dates", "To", "12");
    TestEnv::Dialogs().Reset();

    for (const QString& target : {temp_ + "/second.vkt", first}) {
        TestEnv::Dialogs().AnswerSave(target);
        {
            TestEnv::DiskFull full(8);
            form_->mnunewd_Click();
        }
        ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1) << target.toStdString();
        EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not be created"));
        TestEnv::Dialogs().Reset();
        EXPECT_EQ(form_->DatabaseFile(), first);
        EXPECT_EQ(form_->DatabaseName(), "first");
        EXPECT_TRUE(form_->DatabaseOpen());
        ASSERT_EQ(form_->Grid1.Rows(), 2);
        EXPECT_EQ(form_->Grid1.Text(1, 1), "ID-1");
    }
    EXPECT_FALSE(QFile::exists(temp_ + "/second.vkt"));
    EXPECT_EQ(TestEnv::ReadAll(first), before);
    EXPECT_TRUE(QFile::exists(temp_ + "/first/Tasks/ID-1.tsk"));
    EXPECT_EQ(Settings::Get("Settings", "Default"), first);
    EXPECT_EQ(Settings::Get("Dates", "To"), "12");
    EXPECT_EQ(form_->Combo3->currentText(), "30");
    // The open database still saves where it lives.
    form_->Grid1.SetText(1, 2, "Pump 9");
    ASSERT_TRUE(form_->SaveDatabase());
    Grid back;
    ASSERT_TRUE(back.LoadFile(first));
    EXPECT_EQ(back.Text(1, 2), "Pump 9");
}

TEST_F(Form1Startup, NewDatabaseOverAFileRemovesOnlyItsOwnTasksLists) {
    Start();
    // Each name has its own companion folder.
    NewDatabase("plant.2011.vkt");
    AddTask("ID-1", QDate::currentDate());
    const QString old = NewDatabase("plant.2010.vkt");
    AddTask("ID-2", QDate::currentDate());
    for (const char* f : {"/plant.2011/Tasks/ID-1.tsk", "/plant.2011/Tasks/ID-1.ini", "/plant.2011/Materials/ID-1.mts",
                          "/plant.2010/Tasks/ID-2.tsk", "/plant.2010/Tasks/ID-2.ini", "/plant.2010/Materials/ID-2.mts"})
        ASSERT_TRUE(FileOps::WriteFileSafely(temp_ + f, "x"));

    NewDatabase("plant.2010.vkt");
    EXPECT_EQ(form_->DatabaseFile(), old);
    EXPECT_EQ(form_->Grid1.Rows(), 1);
    EXPECT_FALSE(QFile::exists(temp_ + "/plant.2010/Tasks/ID-2.tsk"));
    EXPECT_FALSE(QFile::exists(temp_ + "/plant.2010/Tasks/ID-2.ini"));
    EXPECT_FALSE(QFile::exists(temp_ + "/plant.2010/Materials/ID-2.mts"));
    EXPECT_TRUE(QFile::exists(temp_ + "/plant.2011/Tasks/ID-1.tsk"));
    EXPECT_TRUE(QFile::exists(temp_ + "/plant.2011/Tasks/ID-1.ini"));
    EXPECT_TRUE(QFile::exists(temp_ + "/plant.2011/Materials/ID-1.mts"));

    // An old file that cannot be read names no task: every list stays.
    FileOps::WriteFileSafely(old, "not a grid");
    NewDatabase("plant.2010.vkt");
    EXPECT_TRUE(form_->DatabaseOpen());
    EXPECT_TRUE(QFile::exists(temp_ + "/plant.2011/Tasks/ID-1.tsk"));
}

TEST_F(Form1Startup, SetDefaultDatabaseSaysSoWhenTheSettingCannotBeStored) {
    Start();
    const QString a = NewDatabase("a.vkt", true);
    const QString b = NewDatabase("b.vkt", false);
    form_->mnudef_Click();
    Form7* f7 = Forms::Loaded<Form7>();
    ASSERT_NE(f7, nullptr);
    TestEnv::Dialogs().Reset();
    TestEnv::Dialogs().AnswerOpen(b);
    {
        TestEnv::DiskFull full(8);
        QTest::mouseClick(f7->Command1, Qt::LeftButton);
    }
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "The default database could not be saved: The disk is full.");
    EXPECT_EQ(Forms::Loaded<Form7>(), f7);   // left open to try again or close
    EXPECT_EQ(Settings::Get("Settings", "Default"), a);
}

// Level, name and caption of every item below a menu, depth first.
void Walk(QMenu* menu, int level, QStringList& out) {
    for (QAction* a : menu->actions()) {
        out << QStringLiteral("%1 %2 %3").arg(level).arg(a->objectName(), a->text());
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->objectName().toStdString();
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
        EXPECT_FALSE(a->isSeparator());
        if (a->menu()) Walk(a->menu(), level + 1, out);
    }
}

TEST_F(Form1Startup, TheMenuTreeHoldsEveryItemInDesignOrder) {
    Start();
    QStringList bar;
    for (QAction* a : form_->menuBar()->actions()) {
        bar << QStringLiteral("menu %1 %2").arg(a->objectName(), a->text());
        Walk(a->menu(), 1, bar);
    }
    EXPECT_EQ(bar, (QStringList{
        "menu mnufile &File", "1 mnunewd New Database", "1 mnuopend Open Database", "1 mnuskin Change Skin",
        "1 mnusht Print Task Grid", "1 mnupref Preferences", "1 mnudef Set Default Database",
        "1 mnuexit Exit Quillon",
        "menu mnusetup &Setup", "1 mnuequip Add Equipment", "1 mnueploy Add Employees",
        "1 mnuptype Add Task Types", "1 mnuexcel Set Path To Excel",
        "menu mnuprint1 &Print Menu", "1 mnuporder Print Selected Work Order",
        "1 mnupcost Print Selected Material List", "1 mnupgantt Print Gantt Chart", "1 mtprint Print Grid",
        "menu mnuutil &Utilities", "1 mnubackup Backup", "1 mnures Restore", "1 mnutray System Tray",
        "menu mnualert &Alerts", "1 mnuaon Alert On", "1 mnuoff Alert Off", "1 mnunot Alert Options",
        "1 mnusetemail Setup Up Email Alert", "1 mnuptray Position Notifier", "1 mnualert2 Clea",
        "menu mnunet &Network", "1 mnumap Map A Network Drive", "1 mnunetpath Set Network Path",
        "menu mnuhelp &Help", "1 mnuupdate Check For Update", "1 mnucont Help Contents",
        QStringLiteral("1 mnuvisit ") + form_->MenuItem("mnuvisit")->text(), "1 mnuabout About"}));

    QStringList hid;
    Walk(form_->mnuhid, 1, hid);
    EXPECT_EQ(form_->mnuhid->title(), "&Selected Menu");
    EXPECT_EQ(hid, (QStringList{
        "1 mnuselstart Select As From Date", "1 mnufilt Filters", "2 mnusel Match Only Selected",
        "2 mnuall View All", "2 mnuready View Ready", "2 mnuprog View In Progress", "2 mnuhold2 View On Hold",
        "2 mnucomplete View Complete", "2 mnucanceled View Canceled", "2 mnupastdue View Past Due",
        "1 mnustat Change Status", "2 mnured Ready", "2 mnuhold On Hold", "2 mnucancel Canceled",
        "2 mnucomp Complete", "2 mnupast Past Due", "2 mnuprog2 In Progress", "1 mnutype Change Type",
        "1 mnuassigned Change Assigned To", "1 mnudates Change Dates", "2 mnurequest Request Date",
        "2 mnustart Scheduled Start", "2 mnuebd Scheduled End", "1 mnudesc Change Equipment",
        "1 mnudup Auto Generate Duplicate Tasks", "1 mnurem Remove Selected", "1 mnumatre Print Material List",
        "1 mnupp Print Work Order", "1 mnusrt Sort Selected Column", "2 mnusort Sort Ascending",
        "2 mnusort2 Sort Descending"}));
    QStringList gan, tray;
    Walk(form_->mnugan, 1, gan);
    Walk(form_->mnutray1, 1, tray);
    EXPECT_EQ(form_->mnugan->title(), "&Gantt");
    EXPECT_EQ(gan, (QStringList{"1 mnuin Zoom In", "1 mnuout Zoom Out", "1 mnugrefresh Refresh",
                                "1 mnupchart Print Chart"}));
    EXPECT_EQ(form_->mnutray1->title(), "&Tray");
    EXPECT_EQ(tray, (QStringList{"1 mnurestore Restore", "1 mnuexit2 Exit Quillon"}));
    EXPECT_EQ(form_->MenuItem("mnufile")->text(), "&File");
    EXPECT_EQ(form_->MenuItem("mnuprint1")->menu(), form_->mnuprint1);

    // The network items have no handler: choosing them changes nothing.
    form_->MenuItem("mnumap")->trigger();
    form_->MenuItem("mnunetpath")->trigger();
    EXPECT_TRUE(TestEnv::Dialogs().Calls().empty());
}

TEST_F(Form1Startup, TheMainWindowCarriesTheComponentsOtherWindowsUse) {
    Start();
    ASSERT_EQ(form_->ImageList2.size(), 4);
    for (const QIcon& frame : form_->ImageList2) {
        EXPECT_FALSE(frame.isNull());
        EXPECT_EQ(frame.availableSizes().value(0), QSize(32, 32));
    }
    EXPECT_EQ(form_->Balloon1, form_->csSysTray1);
    EXPECT_FALSE(form_->csSysTray1->isVisible());
    EXPECT_EQ(form_->Timer1->interval(), 60);
    EXPECT_EQ(form_->windowTitle(), "               Quillon");
    EXPECT_TRUE(form_->Option1->isChecked());

    const QString path = NewDatabase("plant.vkt", true);
    EXPECT_TRUE(form_->ArclabFileIOSystemToolbox1.FileExists(path));
    EXPECT_FALSE(form_->ArclabFileIOSystemToolbox1.FileExists(temp_ + "/none.vkt"));
    form_->aaxRegistry1.Root("HKEY_CURRENT_USER");
    form_->aaxRegistry1.OpenKey("Software\\Quillon\\Settings");
    EXPECT_EQ(form_->aaxRegistry1.GetValue("Default"), path);
    form_->aaxIniFile1.FileName(form_->ListFilePath());
    EXPECT_TRUE(form_->aaxIniFile1.WriteValue("Types", "Inspection", ""));
    QString value = "?";
    EXPECT_EQ(form_->aaxIniFile1.ReadValue("Types", "Inspection", value), 0);

    const QScreen* s = QGuiApplication::primaryScreen();
    EXPECT_EQ(taskbarsize::GetTaskbarHeight(), s->geometry().bottom() - s->availableGeometry().bottom());
}

}  // namespace

namespace {
TEST_F(Form1Startup, AGridFileThatIsNoTaskDatabaseIsRefusedOnOpen) {
    Start();
    NewDatabase("plant.vkt");
    AddTask("ID-1", QDate::currentDate());
    Grid items(1, 2);
    items.SetText(0, 1, "Task Items");
    items.AddItem("Check the belts");
    const QString list = temp_ + "/plant/Tasks/ID-1.tsk";
    ASSERT_TRUE(items.SaveFile(list));
    TestEnv::Dialogs().Reset();
    TestEnv::Dialogs().AnswerOpen(list);
    form_->mnuopend_Click();
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("not a Quillon task database"));
    EXPECT_EQ(form_->DatabaseFile(), temp_ + "/plant.vkt");
    EXPECT_EQ(form_->Grid1.Text(1, 1), "ID-1");
    EXPECT_EQ(TestEnv::ReadAll(list), QByteArray(items.Serialize().c_str()));
}
}  // namespace

namespace {

QStringList IdsIn(const QString& path) {
    Grid g;
    QStringList ids;
    if (!g.LoadFile(path)) return {QStringLiteral("<unreadable>")};
    for (int r = 1; r < g.Rows(); ++r) ids << g.Text(r, Col::TaskId);
    return ids;
}

TEST_F(Form1Startup, ADatabaseAnotherCopyHoldsIsRefusedAtStartAndOnOpenAndNeverWritten) {
    Start();
    const QString path = NewDatabase("plant.vkt", true);
    AddTask("ID-1", QDate::currentDate());
    Stop();
    const QByteArray bytes = TestEnv::ReadAll(path);

    TaskDatabase other;   // another copy of the program, holding the database
    ASSERT_TRUE(other.Open(path));
    Start();
    EXPECT_FALSE(form_->DatabaseOpen());
    const QString said = TestEnv::Dialogs().LastMessage();
    EXPECT_TRUE(said.contains("in use by")) << said.toStdString();
    EXPECT_FALSE(said.contains("could not be read")) << said.toStdString();
    EXPECT_TRUE(said.contains(QString::number(QCoreApplication::applicationPid()))) << said.toStdString();
    EXPECT_FALSE(form_->SaveDatabase());
    TestEnv::Dialogs().AnswerOpen(path);
    form_->mnuopend_Click();
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not be opened"));
    EXPECT_FALSE(form_->DatabaseOpen());
    EXPECT_EQ(TestEnv::ReadAll(path), bytes);

    // Once the other copy lets go, the user opens it; now the other is refused.
    other.Close();
    TestEnv::Dialogs().AnswerOpen(path);
    form_->mnuopend_Click();
    ASSERT_TRUE(form_->DatabaseOpen());
    EXPECT_EQ(form_->Grid1.Text(1, Col::TaskId), "ID-1");
    EXPECT_FALSE(other.Open(path));
}

TEST_F(Form1Startup, ACopyRefusedTheDatabaseLeavesTheSharedTaskCounterAlone) {
    Start();
    const QString path = NewDatabase("plant.vkt", true);
    AddTask("ID-1", QDate::currentDate());
    AddTask("ID-2", QDate::currentDate());
    Stop();
    TaskDatabase other;   // the copy that holds the database, recounted at its start
    ASSERT_TRUE(other.Open(path));
    ASSERT_TRUE(TaskCounter::Recount(other.Tasks()));

    Start();
    ASSERT_FALSE(form_->DatabaseOpen());
    ClickListItem("Add");
    Form6* editor = Forms::Loaded<Form6>();
    ASSERT_NE(editor, nullptr);
    QTest::mouseClick(editor->Command2, Qt::LeftButton);   // "&Close"
    ASSERT_EQ(Forms::Loaded<Form6>(), nullptr);
    EXPECT_EQ(TaskCounter::ReadText(), "     2");
}

TEST_F(Form1Startup, AStatusChangeNeverOverwritesWhatAnotherProgramSaved) {
    Start();
    const QString path = NewDatabase("plant.vkt");
    AddTask("ID-1", QDate::currentDate());
    // Another program rewrites the file meanwhile (one that ignores the lock).
    Grid theirs;
    ASSERT_TRUE(theirs.LoadFile(path));
    theirs.AddItem("ID-99");
    ASSERT_TRUE(theirs.SaveFile(path));

    QTest::mouseClick(form_->Command7, Qt::LeftButton);   // "&View All"
    SelectTask(1);
    ASSERT_EQ(form_->Grid1.ActiveRow(), 1);
    TestEnv::Dialogs().Reset();
    form_->MenuItem("mnucomp")->trigger();
    const QString said = TestEnv::Dialogs().LastMessage();
    EXPECT_TRUE(said.contains("could not be saved")) << said.toStdString();
    EXPECT_TRUE(said.contains("changed by another program")) << said.toStdString();
    EXPECT_EQ(IdsIn(path), (QStringList{"ID-1", "ID-99"}));

    // Opened again, it shows the other program's task and saves again; the
    // change that could not be saved is given up when asked.
    TestEnv::Dialogs().AnswerOpen(path);
    TestEnv::Dialogs().AnswerChoose(2);   // "Discard Changes"
    form_->mnuopend_Click();
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().kind, "Choose");
    ASSERT_EQ(form_->Grid1.Rows(), 3);
    EXPECT_EQ(form_->Grid1.Text(2, Col::TaskId), "ID-99");
    EXPECT_TRUE(form_->SaveDatabase());
}

}  // namespace

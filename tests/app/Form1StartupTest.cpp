#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/Form7.h"
#include "app/Forms.h"
#include "platform/DateText.h"
#include "platform/FileOps.h"
#include "platform/GanttChart.h"
#include "platform/GridView.h"
#include "platform/Registry.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"

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
    EXPECT_EQ(f->Combo3->currentText(), "");
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
    EXPECT_TRUE(FileOps::FolderExists(temp_ + "/plant/Tasks"));
    EXPECT_TRUE(FileOps::FolderExists(temp_ + "/plant/Materials"));
    EXPECT_EQ(form_->DatabaseFile(), path);
    EXPECT_EQ(form_->DatabaseFolder(), temp_ + "/");
    EXPECT_EQ(form_->DatabaseName(), "plant");
    EXPECT_TRUE(form_->DatabaseOpen());
    ASSERT_EQ(TestEnv::Dialogs().Messages(), QStringList{"Set This Database To Load Each Time You Start Quillon?"});
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style, vb::vbYesNo | vb::vbCritical | vb::vbDefaultButton2);
    // Answer No: no default, but the date window is stored.
    EXPECT_EQ(Settings::Get("Settings", "Default"), "");
    EXPECT_EQ(Settings::Get("Dates", "To"), "30");
    EXPECT_EQ(Settings::Get("Dates", "From"), DateText::FormatDate(QDate::currentDate()));
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
    EXPECT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_EQ(form_->DatabaseName(), "plant");   // the stored location still shows
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

TEST_F(Form1Startup, SetDefaultDatabaseTakesEffectAtTheNextStart) {
    Start();
    const QString a = NewDatabase("a.vkt", true);
    const QString b = NewDatabase("b.vkt", false);
    form_->mnudef_Click();
    Form7* f7 = Forms::Loaded<Form7>();
    ASSERT_NE(f7, nullptr);
    EXPECT_EQ(f7->windowTitle(), "Load By Default ");
    EXPECT_EQ(f7->Text1->text(), a);
    TestEnv::Dialogs().AnswerSave(b);
    QTest::mouseClick(f7->Command1, Qt::LeftButton);
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
    EXPECT_EQ(Settings::Get("Dates", "From"), DateText::FormatDate(today));   // from New only

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
    EXPECT_EQ(Settings::Get("Dates", "From"), DateText::FormatDate(today));

    // A change of the picker by the user is stored.
    form_->DatePicker1->setDate(today.addDays(6));
    EXPECT_EQ(Settings::Get("Dates", "From"), DateText::FormatDate(today.addDays(6)));
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
    const QRect cell = form_->Grid1View->CellRect(1, 2);
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
    QTest::mouseClick(form_->Command2, Qt::LeftButton);   // rebuild: one day
    const QDate first = form_->DatePicker1->date();
    EXPECT_EQ(form_->phGantX1->StartDate, first);
    EXPECT_EQ(form_->phGantX1->EndDate, first.addDays(1));
    QTest::mouseClick(form_->Command3, Qt::LeftButton);   // zoom in: nothing
    EXPECT_EQ(form_->phGantX1->EndDate, first.addDays(1));
    QTest::mouseClick(form_->Command4, Qt::LeftButton);
    EXPECT_EQ(form_->phGantX1->EndDate, first.addDays(11));
    form_->MenuItem("mnuout")->trigger();
    EXPECT_EQ(form_->phGantX1->EndDate, first.addDays(21));
    QTest::mouseClick(form_->Command3, Qt::LeftButton);
    QTest::mouseClick(form_->Command3, Qt::LeftButton);
    EXPECT_EQ(form_->phGantX1->EndDate, first.addDays(1));
    EXPECT_EQ(form_->DatePicker1->date(), first);
}
}  // namespace

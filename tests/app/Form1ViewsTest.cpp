// The main window's status views, status changes, past-due marking, alert
// clearing and task removal, driven through its menus, buttons and grid.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "model/database/TaskCounter.h"
#include "platform/DateText.h"
#include "widgets/GridView.h"
#include "platform/Registry.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"

namespace {

class Form1Views : public MainWindowTest {
protected:
    // A started window with a new, empty database.
    void Open() {
        Start();
        NewDatabase();
        TestEnv::Dialogs().Reset();
    }
    void Trigger(const char* item) {
        QAction* a = form_->MenuItem(item);
        ASSERT_NE(a, nullptr) << item;
        a->trigger();
    }
    std::vector<int> Shown() const {
        std::vector<int> rows;
        for (int r = 1; r < form_->Grid1.Rows(); ++r)
            if (form_->Grid1.RowHeight(r) > 0) rows.push_back(r);
        return rows;
    }
    Grid Stored() const {
        Grid g;
        EXPECT_TRUE(g.LoadFile(form_->DatabaseFile()));
        return g;
    }
    // Records the status text and the bar when the pass hands its one view
    // update to the grid's observers.
    void WatchPass() {
        form_->Grid1.AddObserver([this](Grid::Change c, int, int) {
            if (c != Grid::Change::Reset) return;
            passTexts_ << form_->StatusText();
            barShown_ = form_->Bar1->isVisible();
        });
    }
    void Touch(const QString& path) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        f.write("x");
    }
    QStringList passTexts_;
    bool barShown_ = false;
};

TEST_F(Form1Views, ViewReadyShowsExactReadyRowsOnlyFromMenuAndListBar) {
    Open();
    const QDate today = QDate::currentDate();
    const int ready = AddTask("ID-1", today);
    AddTask("ID-2", today, "Ready ");
    AddTask("ID-3", today, "ready");
    const int farReady = AddTask("ID-4", today.addDays(400));
    AddTask("ID-5", today, "Complete");
    form_->Command1_Click();   // the date window hides ID-4
    ASSERT_EQ(form_->Grid1.RowHeight(farReady), 0);
    const QByteArray before = [&] { QFile f(form_->DatabaseFile()); f.open(QIODevice::ReadOnly); return f.readAll(); }();

    WatchPass();
    Trigger("mnuready");
    EXPECT_EQ(Shown(), (std::vector<int>{ready, farReady}));
    EXPECT_EQ(passTexts_.value(0), "Processing.....");
    EXPECT_TRUE(barShown_);
    EXPECT_EQ(form_->StatusText(), "Done");
    EXPECT_FALSE(form_->Bar1->isVisible());
    form_->Grid1View->Sync();
    EXPECT_EQ(form_->Grid1View->model()->rowCount(), 2);

    // View All (the button) shows every row again, with its own pass text.
    passTexts_.clear();
    QTest::mouseClick(form_->Command7, Qt::LeftButton);
    EXPECT_EQ(Shown().size(), 5u);
    EXPECT_EQ(passTexts_.value(0), "Processing Rows....");
    EXPECT_EQ(form_->StatusText(), "Done");

    // The list bar's view runs the same row loop.
    passTexts_.clear();
    form_->ViewStatus("Complete");
    EXPECT_EQ(Shown(), (std::vector<int>{5}));
    EXPECT_EQ(passTexts_.value(0), "Processing.....");
    EXPECT_EQ(form_->StatusText(), "Done");
    EXPECT_FALSE(form_->Bar1->isVisible());

    // No view saves.
    QFile f(form_->DatabaseFile());
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), before);
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(Form1Views, MatchOnlySelectedNarrowsTheViewToTheClickedValue) {
    Open();
    const QDate today = QDate::currentDate();
    AddTask({"ID-1", "Boiler", "", DateText::FormatDate(today), "", "", "", "", "", "", "", "", "Ready"});
    AddTask({"ID-2", "Pump", "", DateText::FormatDate(today), "", "", "", "", "", "", "", "", "Ready"});
    AddTask({"ID-3", "Boiler", "", DateText::FormatDate(today), "", "", "", "", "", "", "", "", "Complete"});
    AddTask({"ID-4", "Boiler", "", DateText::FormatDate(today), "", "", "", "", "", "", "", "", "Ready"});
    Trigger("mnuready");
    RowMenu(1, 2, "mnusel");
    EXPECT_EQ(Shown(), (std::vector<int>{1, 4}));
    EXPECT_EQ(form_->StatusText(), "Done");
}

TEST_F(Form1Views, EveryViewEndsWithDoneEvenWithNothingToMatch) {
    Open();
    // Only the header row: each view and alert clearing runs its frame.
    for (const char* item : {"mnusel", "mnuall", "mnuready", "mnuprog", "mnuhold2", "mnucomplete",
                             "mnucanceled", "mnupastdue", "mnualert2"}) {
        form_->SetStatusText("before");
        Trigger(item);
        EXPECT_EQ(form_->StatusText(), "Done") << item;
        EXPECT_FALSE(form_->Bar1->isVisible()) << item;
        EXPECT_EQ(form_->Grid1.Rows(), 1) << item;
    }

    // Tasks, one hidden, and the header row active: Match Only Selected
    // compares nothing, so every row keeps its height.
    AddTask("ID-1", QDate::currentDate(), "Ready");
    AddTask("ID-2", QDate::currentDate(), "Complete");
    form_->Grid1.SetRowHeight(2, 0);
    form_->Grid1.SetActiveCell(0, 2);
    form_->SetStatusText("before");
    Trigger("mnusel");
    EXPECT_EQ(form_->StatusText(), "Done");
    EXPECT_EQ(Shown(), std::vector<int>{1});
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(Form1Views, WithTheHeaderRowActiveTaskCommandsChangeNothing) {
    Open();
    AddTask("ID-1", QDate::currentDate().addDays(-5));
    AddTask("ID-2", QDate::currentDate(), "Complete");
    const Grid before = Stored();
    form_->Grid1.SetActiveCell(0, 2);

    for (const char* item : {"mnured", "mnuhold", "mnucancel", "mnucomp", "mnupast", "mnuprog2", "mnusel"})
        Trigger(item);
    EXPECT_EQ(form_->Grid1.Text(0, 13), "Status");
    EXPECT_EQ(form_->Grid1.Text(1, 13), "Ready");
    EXPECT_EQ(Shown().size(), 2u);
    EXPECT_EQ(Stored().Serialize(), before.Serialize());
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());

    Trigger("mnurem");
    EXPECT_EQ(TestEnv::Dialogs().Messages(), QStringList{"No Tasks Found"});
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style, vb::vbCritical);
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().title, "Quillon");
    EXPECT_EQ(form_->Grid1.Rows(), 3);
    EXPECT_EQ(Stored().Serialize(), before.Serialize());
}

TEST_F(Form1Views, ChangeStatusSavesThenMarksPastDueInTheUsersColours) {
    Settings::Set("Colors", "PastDue", "255");
    Settings::Set("Colors", "ForeDue", "16777215");
    Open();
    const QDate today = QDate::currentDate();
    const int yesterday = AddTask("ID-1", today.addDays(-1), "On Hold");
    const int todays = AddTask("ID-2", today, "On Hold");
    // Narrower than their texts.
    form_->Grid1.SetColumnWidth(11, 40);
    form_->Grid1.SetColumnWidth(13, 40);

    RowMenu(yesterday, 2, "mnured");
    EXPECT_EQ(form_->Grid1.Text(yesterday, 13), "Past Due");
    for (int c = 1; c < 14; ++c) {
        EXPECT_EQ(form_->Grid1.BackColor(yesterday, c), 255u) << c;
        EXPECT_EQ(form_->Grid1.ForeColor(yesterday, c), 0xFFFFFFu) << c;
    }
    // Frequency is fitted; the Status column keeps the width it had.
    form_->Grid1View->Sync();
    EXPECT_GT(form_->Grid1View->columnWidth(Col::Frequency), 40);
    EXPECT_EQ(form_->Grid1View->columnWidth(Col::Status), 40);
    // Saved before the past-due pass: the file still says "Ready".
    EXPECT_EQ(Stored().Text(yesterday, 13), "Ready");

    RowMenu(todays, 2, "mnured");
    EXPECT_EQ(form_->Grid1.Text(todays, 13), "Ready");
    EXPECT_EQ(form_->Grid1.BackColor(todays, 3), Grid::kWhite);
    EXPECT_EQ(Stored().Text(yesterday, 13), "Past Due");

    // Completing the past-due task paints it black on white at once.
    RowMenu(yesterday, 2, "mnucomp");
    EXPECT_EQ(form_->Grid1.Text(yesterday, 13), "Complete");
    EXPECT_EQ(form_->Grid1.BackColor(yesterday, 3), Grid::kWhite);
    EXPECT_EQ(form_->Grid1.ForeColor(yesterday, 3), Grid::kBlack);
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(Form1Views, ClearAlertsTurnsAlertsToReadyAppliesTheDateWindowAndSaves) {
    Open();
    const QDate today = QDate::currentDate();
    const int past = AddTask("ID-1", today.addDays(-2), "Alert");
    const int far = AddTask("ID-2", today.addDays(400), "Alert");
    const int inWindow = AddTask("ID-3", today, "alert");
    form_->Grid1.SetRowHeight(inWindow, 0);   // as the alert view leaves it

    QTest::mouseClick(form_->Command5, Qt::LeftButton);
    EXPECT_EQ(form_->Grid1.Text(past, 13), "Ready");   // not "Past Due"
    EXPECT_EQ(form_->Grid1.Text(far, 13), "Ready");
    EXPECT_GT(form_->Grid1.RowHeight(inWindow), 0);
    EXPECT_EQ(form_->Grid1.RowHeight(far), 0);          // outside the date window
    EXPECT_GT(form_->Grid1.RowHeight(inWindow), 0) << form_->Combo3->currentText().toStdString() << " " << form_->DatePicker1->date().toString().toStdString() << " " << form_->Grid1.Text(inWindow, 4).toStdString();
    EXPECT_EQ(form_->StatusText(), "Done");
    EXPECT_EQ(Stored().Text(far, 13), "Ready");
    EXPECT_EQ(Stored().RowHeight(far), 0);

    // The menu item does the same; with no "Alert" left it still saves.
    QFile::remove(form_->DatabaseFile());
    Trigger("mnualert2");
    EXPECT_TRUE(QFile::exists(form_->DatabaseFile()));
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(Form1Views, RemovingSelectedTasksDeletesRowsFilesAndRecountsAfterTheSave) {
    Open();
    const QDate today = QDate::currentDate();
    for (int i = 1; i <= 5; ++i) AddTask(QStringLiteral("ID-%1").arg(i), today);
    AddTask("ID-2", today);   // the same ID twice: its files stay with row 6
    const QString tasks = form_->TasksFolder(), materials = form_->MaterialsFolder();
    for (const char* id : {"ID-2", "ID-3", "ID-5"}) {
        Touch(tasks + "/" + id + ".tsk");
        Touch(materials + "/" + id + ".mts");
    }
    Touch(tasks + "/ID-4.tsk");   // ID-4 has no material file

    // A shift-click selects rows 2 to 4; a right click inside the selection
    // keeps all three for the menu.
    ClickCell(2, 1);
    ClickCell(4, 1, Qt::ShiftModifier);
    EXPECT_EQ(form_->Grid1.SelectionFirstRow(), 2);
    EXPECT_EQ(form_->Grid1.SelectionLastRow(), 4);
    TestEnv::Dialogs().AnswerMsgBox(vb::vbNo);
    RowMenu(3, 1, "mnurem");
    EXPECT_EQ(form_->Grid1.Rows(), 7);
    EXPECT_TRUE(QFile::exists(tasks + "/ID-3.tsk"));
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style, vb::vbYesNo | vb::vbCritical | vb::vbDefaultButton2);
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "Delete The 3 Selected Tasks?");
    EXPECT_EQ(form_->Grid1.SelectionFirstRow(), 2);
    EXPECT_EQ(form_->Grid1.SelectionLastRow(), 4);

    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    RowMenu(2, 1, "mnurem");
    ASSERT_EQ(form_->Grid1.Rows(), 4);
    QStringList left;
    for (int r = 1; r < form_->Grid1.Rows(); ++r) left << form_->Grid1.Text(r, 1);
    EXPECT_EQ(left, (QStringList{"ID-1", "ID-5", "ID-2"}));
    EXPECT_EQ(Stored().Rows(), 4);
    EXPECT_FALSE(QFile::exists(tasks + "/ID-3.tsk"));
    EXPECT_FALSE(QFile::exists(materials + "/ID-3.mts"));
    EXPECT_FALSE(QFile::exists(tasks + "/ID-4.tsk"));
    EXPECT_TRUE(QFile::exists(tasks + "/ID-2.tsk"));
    EXPECT_TRUE(QFile::exists(materials + "/ID-2.mts"));
    EXPECT_TRUE(QFile::exists(tasks + "/ID-5.tsk"));
    EXPECT_EQ(Settings::Get("Count", "Tasks"), "     5");

    // Removing the task with the largest ID gives its number back; the
    // question names the one task.
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    RowMenu(2, 1, "mnurem");
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "Delete Task \"ID-5\"?");
    EXPECT_EQ(Settings::Get("Count", "Tasks"), "     2");
    EXPECT_FALSE(QFile::exists(tasks + "/ID-5.tsk"));
}

TEST_F(Form1Views, RemovalKeepsFilesWhenTheSaveFailsOrTheIdLeavesTheFolder) {
    Open();
    AddTask("../plant", QDate::currentDate());
    AddTask("ID-7", QDate::currentDate());
    const QString tasks = form_->TasksFolder();
    Touch(tasks + "/ID-7.tsk");
    const QString outside = QDir(tasks + "/..").absoluteFilePath("plant.tsk");   // what "../plant" would name
    Touch(outside);

    form_->Grid1.SelectRange(1, 1, 1, 1);
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    form_->Removeit();
    EXPECT_EQ(form_->Grid1.Rows(), 2);
    EXPECT_TRUE(QFile::exists(outside));

    // A database file that cannot be replaced: the save fails, said once,
    // and the task's files stay.
    QFile::remove(form_->DatabaseFile());
    ASSERT_TRUE(QDir().mkdir(form_->DatabaseFile()));
    TestEnv::Dialogs().Reset();
    form_->Grid1.SelectRange(1, 1, 1, 1);
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    form_->Removeit();
    EXPECT_EQ(TestEnv::Dialogs().Messages().size(), 2);   // the question and one failure
    EXPECT_TRUE(QFile::exists(tasks + "/ID-7.tsk"));
}

TEST_F(Form1Views, NoCommandStartsWhileAPassIsRunning) {
    Open();
    AddTask("ID-1", QDate::currentDate(), "Complete");
    const Grid before = Stored();
    {
        BusyGuard busy(form_);
        Trigger("mnured");
        Trigger("mnuready");
        Trigger("mnuall");
        form_->ViewStatus("Ready");
        Trigger("mnualert2");
        TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
        Trigger("mnurem");
    }
    EXPECT_EQ(form_->Grid1.Rows(), 2);
    EXPECT_EQ(form_->Grid1.Text(1, 13), "Complete");
    EXPECT_EQ(form_->Grid1.RowHeight(1), Grid::kShownRowHeight);
    EXPECT_EQ(Stored().Serialize(), before.Serialize());
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

}  // namespace

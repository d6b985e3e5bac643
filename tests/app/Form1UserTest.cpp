// What a user sees and loses in the main window, driven as the user works
// it: hidden rows, unsaved changes, two databases side by side, the Photo
// page, the date window's controls, the exports and the toolbar.
#include <QAction>
#include <QApplication>
#include <QLockFile>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include "app/Form5.h"
#include "widgets/Forms.h"
#include "model/database/DatabaseLocation.h"
#include "model/database/TaskDatabase.h"
#include "ui/lists/ListWindows.h"
#include "platform/DateText.h"
#include "platform/FileOps.h"
#include "widgets/GridView.h"
#include "widgets/PictureViewer.h"
#include "platform/Registry.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/Ui.h"
#include "ui/tasks/Form18.h"
#include "ui/tasks/Form6.h"

namespace {

class Form1User : public MainWindowTest {
protected:
    void Open(const QString& name = QStringLiteral("plant.vkt")) {
        if (!form_) Start();
        db_ = NewDatabase(name);
        TestEnv::Dialogs().Reset();
    }
    static void Settle() { TestUi::Settle(); }
    std::vector<int> Shown() const {
        std::vector<int> rows;
        for (int r = 1; r < form_->Grid1.Rows(); ++r)
            if (form_->Grid1.RowShown(r)) rows.push_back(r);
        return rows;
    }
    Grid Stored(const QString& path = {}) const {
        Grid g;
        EXPECT_TRUE(g.LoadFile(path.isEmpty() ? db_ : path));
        return g;
    }
    // Types into "# Days" and clicks the Tasks page's Refresh.
    void WindowDays(const QString& days) {
        QLineEdit* edit = form_->Combo3->lineEdit();
        edit->selectAll();
        QTest::keyClicks(edit, days);
        QTest::mouseClick(form_->Command1, Qt::LeftButton);
        Settle();
    }
    QString Picture(const QString& name) {
        QImage image(60, 40, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString path = temp_ + "/" + name;
        EXPECT_TRUE(image.save(path));
        return path;
    }
    void Touch(const QString& path) {
        FileOps::MakeFolder(QFileInfo(path).absolutePath());
        ASSERT_TRUE(FileOps::WriteFileSafely(path, "x")) << path.toStdString();
    }
    QString db_;
};

// ---- commands on rows the user cannot see ----

TEST_F(Form1User, AHiddenActiveTaskIsNoTaskForAnyCommand) {
    Open();
    const QDate today = QDate::currentDate();
    AddTask("ID-1", today);
    AddTask("ID-2", today.addDays(20));
    AddTask("ID-3", today);
    form_->Grid1.SetText(2, Col::Document, Picture("pump.png"));
    ASSERT_TRUE(form_->SaveDatabase());

    // The user selects ID-2, then narrows the window so that it goes out of
    // sight.
    ClickCell(2, 2);
    Settle();
    EXPECT_FALSE(form_->IHViewPortX1->IsEmpty());
    WindowDays("7");
    ASSERT_EQ(Shown(), (std::vector<int>{1, 3}));
    auto& dialogs = TestEnv::Dialogs();
    dialogs.Reset();
    for (const char* item : {"Delete", "Edit", "Generate"}) {
        ClickListItem(item);
        Settle();
        EXPECT_EQ(dialogs.LastMessage(), "No Tasks Found") << item;
    }
    EXPECT_EQ(dialogs.Messages().size(), 3);
    EXPECT_EQ(Forms::Loaded<Form6>(), nullptr);
    EXPECT_EQ(Forms::Loaded<Form18>(), nullptr);
    EXPECT_EQ(Stored().Rows(), 4);
    // The Photo page does not keep showing the hidden task's picture.
    ClickToolButton("Photo");
    Settle();
    EXPECT_TRUE(form_->IHViewPortX1->IsEmpty());

    // A status view that hides the selected task: the same.
    ClickCell(1, 1);
    ClickListItem("Complete");
    Settle();
    ASSERT_TRUE(Shown().empty());
    dialogs.Reset();
    ClickListItem("Delete");
    EXPECT_EQ(dialogs.Messages(), QStringList{"No Tasks Found"});
    EXPECT_EQ(Stored().Rows(), 4);
}

TEST_F(Form1User, AfterAStartThatFiltersOutRowOneNothingActsOnIt) {
    Start();
    db_ = NewDatabase("plant.vkt", true);
    const QDate today = QDate::currentDate();
    AddTask("ID-1", today.addDays(-30));
    AddTask("ID-2", today);
    Settings::Set("Dates", "From", DateText::FormatDate(today));
    Settings::Set("Dates", "To", "7");
    Stop();
    Start();
    ASSERT_EQ(Shown(), (std::vector<int>{2}));
    TestEnv::Dialogs().Reset();
    ClickListItem("Delete");
    EXPECT_EQ(TestEnv::Dialogs().Messages(), QStringList{"No Tasks Found"});
    EXPECT_EQ(Stored().Rows(), 3);
}

TEST_F(Form1User, DeletingASelectionSpanningHiddenRowsRemovesOnlyTheShownOnes) {
    Open();
    const QDate today = QDate::currentDate();
    AddTask("ID-1", today);
    AddTask("ID-2", today.addDays(20));
    AddTask("ID-3", today);
    WindowDays("7");
    ClickCell(1, 1);
    ClickCell(3, 1, Qt::ShiftModifier);
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    ClickListItem("Delete");
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "Delete The 2 Selected Tasks?");
    const Grid g = Stored();
    ASSERT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.Text(1, Col::TaskId), "ID-2");
}

TEST_F(Form1User, ACtrlClickOnTheTaskGridDeletesWhatItShowsSelected) {
    Open();
    for (const char* id : {"ID-1", "ID-2", "ID-3", "ID-4"}) AddTask(id, QDate::currentDate());
    ClickCell(1, 1);
    ClickCell(3, 1, Qt::ControlModifier);
    QStringList shownSelected;
    for (const QModelIndex& i : form_->Grid1View->selectionModel()->selectedIndexes())
        shownSelected << i.siblingAtColumn(Col::TaskId).data().toString();
    shownSelected.removeDuplicates();
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    ClickListItem("Delete");
    QStringList left{"ID-1", "ID-2", "ID-3", "ID-4"};
    for (const QString& id : shownSelected) left.removeAll(id);
    QStringList stored;
    const Grid g = Stored();
    for (int r = 1; r < g.Rows(); ++r) stored << g.Text(r, Col::TaskId);
    EXPECT_EQ(stored, left) << shownSelected.join(",").toStdString();
}

TEST_F(Form1User, ANewDatabaseNamedWithoutExtensionGetsOneAndReplacesNothingUnasked) {
    Open("plant.vkt");
    AddTask("ID-1", QDate::currentDate());
    auto& dialogs = TestEnv::Dialogs();
    // "plant" typed in the dialog: the database would be plant.vkt, which
    // holds a task; No keeps it.
    dialogs.AnswerSave(temp_ + "/plant");
    dialogs.AnswerMsgBox(vb::vbNo);
    form_->MenuItem("mnunewd")->trigger();
    EXPECT_EQ(dialogs.LastMessage(), temp_ + "/plant.vkt already exists.\nDo you want to replace it?");
    EXPECT_EQ(Stored().Rows(), 2);
    EXPECT_EQ(form_->Grid1.Rows(), 2);
    // A new name gets the extension, a name with a dot of its own too.
    dialogs.AnswerSave(temp_ + "/boilers");
    dialogs.AnswerMsgBox(vb::vbNo);
    form_->MenuItem("mnunewd")->trigger();
    EXPECT_EQ(form_->DatabaseFile(), temp_ + "/boilers.vkt");
    EXPECT_TRUE(QFile::exists(temp_ + "/boilers.vkt"));
    EXPECT_EQ(form_->DatabaseName(), "boilers");
    dialogs.AnswerSave(temp_ + "/plant.2027");
    dialogs.AnswerMsgBox(vb::vbNo);
    form_->MenuItem("mnunewd")->trigger();
    EXPECT_EQ(form_->DatabaseFile(), temp_ + "/plant.2027.vkt");
    EXPECT_EQ(form_->DatabaseName(), "plant.2027");
}

// ---- two databases in one folder ----

TEST_F(Form1User, TwoDatabasesInOneFolderKeepTheirOwnTaskFiles) {
    Open("plant.vkt");
    AddTask("ID-1", QDate::currentDate());
    const QString first = form_->TasksFolder() + "/ID-1.tsk";
    ASSERT_TRUE(FileOps::WriteFileSafely(first, "first database's items"));
    const QString firstList = form_->ListFilePath();

    Open("plant.2027.vkt");
    EXPECT_EQ(form_->DatabaseName(), "plant.2027");
    EXPECT_NE(form_->ListFilePath(), firstList);
    AddTask("ID-1", QDate::currentDate());
    ASSERT_TRUE(FileOps::WriteFileSafely(form_->TasksFolder() + "/ID-1.tsk", "second database's items"));
    EXPECT_EQ(TestEnv::ReadAll(first), "first database's items");
    // Creating the second again over itself leaves the first one's alone.
    NewDatabase("plant.2027.vkt");
    EXPECT_EQ(TestEnv::ReadAll(first), "first database's items");
}

TEST_F(Form1User, ADatabaseNamedUnderTheOldRuleIsOpenedWithItsFiles) {
    // plant.2010.vkt as an older Quillon left it: its files under "plant".
    Grid old;
    {
        Start();
        Open("scratch.vkt");
        AddTask("ID-5", QDate::currentDate());
        AddTask("ID-6", QDate::currentDate());
        old = form_->Grid1;
    }
    const QString path = temp_ + "/plant.2010.vkt";
    ASSERT_TRUE(old.SaveFile(path));
    Touch(temp_ + "/plant/Tasks/ID-5.tsk");
    Touch(temp_ + "/plant/Materials/ID-6.mts");
    Touch(temp_ + "/plant/Tasks/ID-9.tsk");   // no task of this database
    ASSERT_TRUE(FileOps::WriteFileSafely(temp_ + "/plant.ini", "[Employees]\nAnn=1\n"));

    // No other database uses "plant": the files move to the database's own.
    TestEnv::Dialogs().AnswerOpen(path);
    form_->MenuItem("mnuopend")->trigger();
    EXPECT_EQ(form_->DatabaseName(), "plant.2010");
    EXPECT_TRUE(QFile::exists(temp_ + "/plant.2010/Tasks/ID-5.tsk"));
    EXPECT_TRUE(QFile::exists(temp_ + "/plant.2010/Materials/ID-6.mts"));
    EXPECT_FALSE(QFile::exists(temp_ + "/plant/Tasks/ID-5.tsk"));
    EXPECT_TRUE(QFile::exists(temp_ + "/plant/Tasks/ID-9.tsk"));
    EXPECT_EQ(TestEnv::ReadAll(temp_ + "/plant.2010.ini"), "[Employees]\nAnn=1\n");

    // With plant.vkt beside it, the older name is shared: copies only, and
    // plant.vkt keeps every file.
    const QString other = temp_ + "/plant.2011.vkt";
    ASSERT_TRUE(old.SaveFile(other));
    ASSERT_TRUE(old.SaveFile(temp_ + "/plant.vkt"));
    Touch(temp_ + "/plant/Tasks/ID-5.tsk");
    EXPECT_EQ(DatabaseLocation::AdoptLegacyFiles(other, {"ID-5", "ID-6"}), DatabaseLocation::Adopted::Copied);
    EXPECT_TRUE(QFile::exists(temp_ + "/plant.2011/Tasks/ID-5.tsk"));
    EXPECT_TRUE(QFile::exists(temp_ + "/plant/Tasks/ID-5.tsk"));
    // Once it has its own folder, nothing is brought again.
    EXPECT_EQ(DatabaseLocation::AdoptLegacyFiles(other, {"ID-5"}), DatabaseLocation::Adopted::Nothing);
}

// ---- a failed save ----

TEST_F(Form1User, AFailedSaveIsShownAndExitAsksWhatToDoWithTheChange) {
    Open();
    AddTask("ID-1", QDate::currentDate(), "On Hold");
    enum { Retry, Elsewhere, Discard, Cancel };
    auto& dialogs = TestEnv::Dialogs();
    auto failedChange = [&](const char* status) {
        TestEnv::DiskFull full(8);
        RowMenu(1, 2, status);
    };
    failedChange("mnucomp");
    ASSERT_TRUE(form_->Unsaved());
    ASSERT_NE(form_->PanelUnsaved, nullptr);
    EXPECT_TRUE(form_->PanelUnsaved->isVisible());
    EXPECT_FALSE(form_->PanelUnsaved->text().isEmpty());

    // Cancel keeps the window and the change.
    dialogs.Reset();
    dialogs.AnswerChoose(Cancel);
    form_->MenuItem("mnuexit")->trigger();
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].kind, "Choose");
    EXPECT_TRUE(form_->isVisible());
    EXPECT_EQ(form_->Grid1.Text(1, Col::Status), "Complete");
    // Closing the window by its title bar asks the same.
    dialogs.AnswerChoose(Cancel);
    form_->close();
    EXPECT_TRUE(form_->isVisible());

    // Retry: the save now succeeds and the program ends.
    dialogs.AnswerChoose(Retry);
    form_->MenuItem("mnuexit")->trigger();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(Stored().Text(1, Col::Status), "Complete");
}

TEST_F(Form1User, AnUnsavedChangeCanBeSavedElsewhereOrDiscarded) {
    Open();
    AddTask("ID-1", QDate::currentDate(), "On Hold");
    ASSERT_TRUE(FileOps::WriteFileSafely(form_->TasksFolder() + "/ID-1.tsk", "items"));
    enum { Retry, Elsewhere, Discard, Cancel };
    {
        TestEnv::DiskFull full(8);
        RowMenu(1, 2, "mnucomp");
    }
    ASSERT_TRUE(form_->Unsaved());
    // "Elsewhere" is never the file whose save was refused, nor a database
    // another copy holds: both are said, and the question comes back.
    const QString held = temp_ + "/held.vkt";
    ASSERT_TRUE(Stored().SaveFile(held));
    QLockFile otherCopy(TaskDatabase::LockFilePath(held));
    ASSERT_TRUE(otherCopy.tryLock(0));
    const QByteArray heldBytes = TestEnv::ReadAll(held);
    TestEnv::Dialogs().AnswerChoose(Elsewhere);
    TestEnv::Dialogs().AnswerSave(db_);
    TestEnv::Dialogs().AnswerChoose(Elsewhere);
    TestEnv::Dialogs().AnswerSave(held);
    TestEnv::Dialogs().AnswerChoose(Cancel);
    form_->MenuItem("mnuexit")->trigger();
    EXPECT_TRUE(form_->isVisible());
    const QStringList said = TestEnv::Dialogs().Messages().mid(TestEnv::Dialogs().Messages().size() - 2);
    ASSERT_EQ(said.size(), 2);
    EXPECT_TRUE(said[0].contains("could not be saved")) << said[0].toStdString();
    EXPECT_TRUE(said[1].contains("is in use by")) << said[1].toStdString();
    EXPECT_EQ(Stored().Text(1, Col::Status), "On Hold");
    EXPECT_EQ(TestEnv::ReadAll(held), heldBytes);
    otherCopy.unlock();
    // Elsewhere: the tasks and their lists go to the new file.
    const QString elsewhere = temp_ + "/rescued.vkt";
    TestEnv::Dialogs().AnswerChoose(Elsewhere);
    TestEnv::Dialogs().AnswerSave(elsewhere);
    form_->MenuItem("mnuexit")->trigger();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(Stored(elsewhere).Text(1, Col::Status), "Complete");
    EXPECT_EQ(TestEnv::ReadAll(temp_ + "/rescued/Tasks/ID-1.tsk"), "items");
    EXPECT_EQ(Stored().Text(1, Col::Status), "On Hold");

    // Discard: the program ends and the file keeps what it had.
    Start();
    TestEnv::Dialogs().AnswerOpen(db_);
    form_->MenuItem("mnuopend")->trigger();
    {
        TestEnv::DiskFull full(8);
        RowMenu(1, 2, "mnucancel");
    }
    ASSERT_TRUE(form_->Unsaved());
    TestEnv::Dialogs().AnswerChoose(Discard);
    form_->MenuItem("mnuexit")->trigger();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(Stored().Text(1, Col::Status), "On Hold");
}

// ---- the Photo page follows the active row ----

TEST_F(Form1User, ThePhotoPageFollowsEveryMoveOfTheActiveRow) {
    Open();
    AddTask("ID-1", QDate::currentDate());
    AddTask("ID-2", QDate::currentDate());
    form_->Grid1.SetText(1, Col::Document, Picture("one.png"));
    ASSERT_TRUE(form_->SaveDatabase());
    ClickCell(1, 2);
    Settle();
    ASSERT_FALSE(form_->IHViewPortX1->IsEmpty());
    // The delete moves the active row to ID-2, which has no picture.
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    ClickListItem("Delete");
    Settle();
    ASSERT_EQ(form_->Grid1.Text(form_->Grid1.ActiveRow(), Col::TaskId), "ID-2");
    EXPECT_TRUE(form_->IHViewPortX1->IsEmpty());

    // A load moves it too.
    form_->Grid1.SetText(1, Col::Document, Picture("two.png"));
    ASSERT_TRUE(form_->SaveDatabase());
    ClickCell(1, 2);
    Settle();
    ASSERT_FALSE(form_->IHViewPortX1->IsEmpty());
    Open("other.vkt");
    Settle();
    EXPECT_TRUE(form_->IHViewPortX1->IsEmpty());
}

// ---- the date window's controls ----

TEST_F(Form1User, AnOpenedDatabaseShowsTheRowsOfTheWindowThePickerShows) {
    Open();
    const QDate today = QDate::currentDate();
    AddTask("ID-1", today);
    AddTask("ID-2", today.addDays(40));
    ASSERT_EQ(Shown().size(), 2u);   // saved with both rows shown
    WindowDays("7");
    form_->Grid1.SetRowHeight(2, Grid::kShownRowHeight);
    ASSERT_TRUE(form_->SaveDatabase());

    TestEnv::Dialogs().AnswerOpen(db_);
    form_->MenuItem("mnuopend")->trigger();
    EXPECT_EQ(form_->DatePicker1->date(), today);
    EXPECT_EQ(Shown(), std::vector<int>{1});
}

TEST_F(Form1User, ADatabaseOpenedAtTheFirstStartShowsItsRows) {
    Open();
    AddTask("ID-1", QDate::currentDate());
    Stop();
    TestEnv::ClearRegistry();
    Start();
    TestEnv::Dialogs().AnswerOpen(db_);
    form_->MenuItem("mnuopend")->trigger();
    EXPECT_EQ(Shown(), std::vector<int>{1});
}

TEST_F(Form1User, ADayCountThatIsNoNumberIsRefusedAndTheRowsStay) {
    Open();
    AddTask("ID-1", QDate::currentDate());
    AddTask("ID-2", QDate::currentDate().addDays(2));
    WindowDays("30");
    ASSERT_EQ(Shown().size(), 2u);
    TestEnv::Dialogs().Reset();
    WindowDays("abc");
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("abc"));
    EXPECT_EQ(Shown().size(), 2u);
    EXPECT_EQ(form_->Combo3->currentText(), "30");
    EXPECT_EQ(Settings::Get("Dates", "To"), "30");
    // Enter in the box on such a text changes nothing either.
    form_->Combo3->lineEdit()->selectAll();
    QTest::keyClicks(form_->Combo3->lineEdit(), "x7");
    QTest::keyClick(form_->Combo3->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(Shown().size(), 2u);
    EXPECT_EQ(Settings::Get("Dates", "To"), "30");
}

TEST_F(Form1User, ADateTypedWholeIntoThePickerIsTheDateApplied) {
    Open();
    const QDate later(2027, 1, 2);
    AddTask("ID-1", later);
    AddTask("ID-2", QDate::currentDate());
    WindowDays("7");
    form_->DatePicker1->setFocus();
    QTest::keyClick(form_->DatePicker1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(form_->DatePicker1, "2027-01-02");
    QTest::keyClick(form_->DatePicker1, Qt::Key_Return);
    Settle();
    EXPECT_EQ(form_->DatePicker1->date(), later);
    EXPECT_EQ(Settings::Get("Dates", "From"), DateText::FormatSettingDate(later));
    EXPECT_EQ(Shown(), std::vector<int>{1});
}

// ---- exports and the toolbar ----

TEST_F(Form1User, TheHtmlPageGetsItsExtensionAndIsPlacedWhenNothingShowsIt) {
    Open();
    AddTask("ID-1", QDate::currentDate());
    TestEnv::Dialogs().AnswerSave(temp_ + "/task report");
    ClickListItem("HTML");
    EXPECT_TRUE(QFile::exists(temp_ + "/task report.html"));
    ASSERT_EQ(TestEnv::Shell().opened.size(), 1u);
    EXPECT_EQ(TestEnv::Shell().opened[0].what, temp_ + "/task report.html");
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());

    TestEnv::Shell().failOpen = true;
    TestEnv::Dialogs().AnswerSave(temp_ + "/again.html");
    ClickListItem("HTML");
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains(temp_ + "/again.html"));
}

TEST_F(Form1User, EachToolbarButtonHasAPictureOfItsOwn) {
    Start();
    auto image = [](const QIcon& icon) { return icon.pixmap(24, 24).toImage(); };
    QList<QImage> seen;
    QImage print, add;
    for (QAction* a : form_->Toolbar1->actions()) {
        ASSERT_FALSE(a->icon().isNull()) << a->data().toString().toStdString();
        const QImage i = image(a->icon());
        EXPECT_FALSE(seen.contains(i)) << a->data().toString().toStdString();
        seen << i;
        if (a->data() == "Print") print = i;
        if (a->data() == "Add") add = i;
    }
    // Not a floppy disk for printing, not a blank page for a new database.
    EXPECT_NE(print, image(form_->style()->standardIcon(QStyle::SP_DialogSaveButton)));
    EXPECT_NE(add, image(form_->style()->standardIcon(QStyle::SP_FileIcon)));
}

TEST_F(Form1User, ListWindowsFitTheirColumnsToTheNamesTheyShow) {
    Open();
    const QString name = "Alexandra Montgomery-Fitzwilliam of the Night Shift";
    ASSERT_TRUE(FileOps::WriteFileSafely(form_->ListFilePath(), ("[Employees]\n" + name + "=1\n").toUtf8()));
    form_->MenuItem("mnueploy")->trigger();
    Form2* list = Forms::Loaded<Form2>();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Grid1.Rows(), 2);
    EXPECT_GE(list->Grid1.ColumnWidth(1), QFontMetrics(QApplication::font()).horizontalAdvance(name));
}

}  // namespace

TEST_F(Form1User, TheHighContrastSkinLeavesTheFittedGridColumnsReadable) {
    Start();
    NewDatabase();
    AddTask("ID-1", QDate::currentDate(), "In Progress");
    AddTask("ID-2", QDate::currentDate(), "Complete");
    form_->Command7_Click();
    // The column chooser's Apply fits every shown column to its texts.
    ClickToolButton("Column");
    Form5* chooser = Forms::Loaded<Form5>();
    ASSERT_NE(chooser, nullptr);
    QTest::mouseClick(chooser->Command1, Qt::LeftButton);
    Settle();

    const QString skin = QCoreApplication::applicationDirPath() + "/high-contrast.skn";
    ASSERT_TRUE(QFile::exists(skin));
    TestEnv::Dialogs().AnswerOpen(skin);
    ClickToolButton("Edit");                 // the toolbar's skin button
    Settle();
    ASSERT_FALSE(form_->styleSheet().isEmpty());

    GridView* view = form_->Grid1View;
    view->ensurePolished();
    view->Sync();
    const QFontMetrics metrics(view->font());
    for (int r = 1; r <= 2; ++r) {
        const QString text = form_->Grid1.Text(r, Col::Status);
        EXPECT_LE(metrics.horizontalAdvance(text), TestUi::CellRect(view, r, Col::Status).width() - 4)
            << text.toStdString() << " is cut off";
    }
}

TEST_F(Form1User, EveryToolbarPictureShowsOnTheBlackHighContrastToolbar) {
    Start();
    const QString skin = QCoreApplication::applicationDirPath() + "/high-contrast.skn";
    TestEnv::Dialogs().AnswerOpen(skin);
    ClickToolButton("Edit");
    Settle();
    ASSERT_FALSE(form_->styleSheet().isEmpty());
    for (QAction* a : form_->Toolbar1->actions()) {
        QWidget* button = form_->Toolbar1->widgetForAction(a);
        if (!button) continue;
        const QImage shot = button->grab().toImage();
        int visible = 0;   // pixels that stand out from the black toolbar
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (QColor(shot.pixel(x, y)).lightness() > 90) ++visible;
        EXPECT_GT(visible, 40) << a->toolTip().toStdString() << " cannot be seen";
    }
}

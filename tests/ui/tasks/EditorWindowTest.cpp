// The task editor driven through its real windows, offscreen, on a database
// made through the main window.
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "model/database/TaskCounter.h"
#include "platform/DateText.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "support/Keyboard.h"
#include "support/MainWindow.h"
#include "support/Ui.h"
#include "support/ScriptedDialogs.h"
#include "ui/tasks/Form6.h"
#include "ui/tasks/frmcost.h"

namespace {

class EditorTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Start();
        db_ = NewDatabase();
        TestEnv::Dialogs().Reset();
    }

    static void Settle() { TestUi::Settle(); }
    static void Click(QPushButton* button) { TestUi::ClickSettled(button); }
    static void ClickRow(GridView* view, int row, int col = 1) { TestUi::ClickRow(view, row, col); }
    static void Type(QLineEdit* box, const QString& text) {
        box->clear();
        QTest::keyClicks(box, text);
    }
    // The fields Save requires, on an open editor.
    static void FillRequired(Form6* f, const QString& equipment = "Pump 4", const QString& type = "Lubrication") {
        Type(f->Text2, equipment);
        Type(f->Combo1, type);
    }
    Grid Stored() const {
        Grid g;
        EXPECT_TRUE(g.LoadFile(db_));
        return g;
    }
    QByteArray Bytes(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString ItemFile(const QString& id) const { return form_->TasksFolder() + "/" + id + ".tsk"; }
    QString MaterialFile(const QString& id) const { return form_->MaterialsFolder() + "/" + id + ".mts"; }
    // Two tasks on file, the counter recomputed as after an open.
    void TwoTasks() {
        AddTask("ID-1", QDate::currentDate());
        AddTask("ID-2", QDate::currentDate().addDays(2));
        form_->ResortNum();
    }
    Form6* EditRow(int row) {
        ClickRow(form_->Grid1View, row);
        Form6* f = form_->EditorForEdit();
        Settle();
        return f;
    }

    QString db_;
};

TEST_F(EditorTest, AddingATaskOnAnEmptyDatabase) {
    Form6* f = form_->EditorForAdd();
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->windowTitle(), "Add Task");
    EXPECT_EQ(form_->Label3->text(), "1");
    EXPECT_EQ(f->Text1->text(), "ID-1");
    EXPECT_EQ(TaskCounter::ReadText(), "1");
    EXPECT_EQ(f->DatePicker1->date(), QDate::currentDate());
    EXPECT_EQ(f->DatePicker2->date(), QDate::currentDate());
    EXPECT_EQ(f->Combo2->currentText(), "");
    EXPECT_EQ(f->Combo2->count(), 6);
    EXPECT_EQ(f->Combo3->currentText(), "1");
    EXPECT_EQ(f->Combo3->count(), 10000);
    EXPECT_EQ(f->Combo4->count(), 1000);
    EXPECT_EQ(f->Grid1.Text(0, 1), "Task Items");
    EXPECT_EQ(f->Grid2.Text(0, 2), "Cost");

    FillRequired(f);
    Type(f->Text3, "Ann");
    Type(f->Text5, "Bob");
    f->Combo3->setEditText("14");
    TestEnv::Dialogs().AnswerInput(QString("Drain the sump"));
    Click(f->Command4);
    Click(f->Command3);

    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty()) << TestEnv::Dialogs().LastMessage().toStdString();
    EXPECT_EQ(Forms::Loaded<Form6>(), nullptr);
    Grid& g = form_->Grid1;
    ASSERT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.ActiveRow(), 1);
    const QString today = DateText::FormatDate(QDate::currentDate());
    const QStringList expected = {"ID-1", "Pump 4", today, today, "", today, "", "Ann", "Bob", "Lubrication",
                                  "14", "", ""};
    for (int c = 1; c <= 13; ++c)
        if (c != Col::StartTime && c != Col::EndTime) {
            EXPECT_EQ(g.Text(1, c), expected[c - 1]) << "column " << c;
        }
    EXPECT_TRUE(DateText::ParseTime(g.Text(1, Col::StartTime)).has_value());
    EXPECT_EQ(g.ColumnWidth(Col::Document), 0);
    EXPECT_EQ(form_->Text3->text(), "14");
    EXPECT_EQ(form_->Text4->text(), "0");
    EXPECT_EQ(TaskCounter::ReadText(), "1");   // saved: the number stays taken
    const Grid stored = Stored();
    ASSERT_EQ(stored.Rows(), 2);
    EXPECT_EQ(stored.Text(1, 2), "Pump 4");
    EXPECT_TRUE(QFileInfo::exists(ItemFile("ID-1")));
}

TEST_F(EditorTest, ACountAboveOneAddsFurtherOccurrences) {
    Form6* f = form_->EditorForAdd();
    FillRequired(f);
    f->Combo4->setEditText("3");
    f->Combo3->setEditText("7");
    Click(f->Command3);
    EXPECT_EQ(form_->Text4->text(), "2");
    EXPECT_EQ(form_->Grid1.Rows(), 4);
    EXPECT_EQ(Stored().Rows(), 4);
}

TEST_F(EditorTest, ClosingWithoutSavingGivesTheNumberBackWhileItIsStillOurs) {
    TwoTasks();
    EXPECT_EQ(TaskCounter::Read(), 2);
    Form6* f = form_->EditorForAdd();
    EXPECT_EQ(f->Text1->text(), "ID-3");
    QPointer<Form6> closed(f);
    Click(f->Command2);
    EXPECT_EQ(Forms::Loaded<Form6>(), nullptr);
    EXPECT_TRUE(closed.isNull());
    EXPECT_EQ(TaskCounter::ReadText(), "2");

    // The counter moved on while the editor was open: it is left alone.
    f = form_->EditorForAdd();
    EXPECT_EQ(f->Text1->text(), "ID-3");
    TaskCounter::WritePlain(9);
    closed = f;
    QTest::keyClick(f, Qt::Key_Escape);
    Settle();
    EXPECT_TRUE(closed.isNull());
    EXPECT_EQ(TaskCounter::ReadText(), "9");

    // Shutdown unloads the editor and gives its number back too.
    TaskCounter::WritePlain(2);
    form_->EditorForAdd();
    EXPECT_EQ(TaskCounter::ReadText(), "3");
    Stop();
    EXPECT_EQ(TaskCounter::ReadText(), "2");
}

TEST_F(EditorTest, SaveChecksTheFieldsInOrderAndWritesNothingOnARefusal) {
    TwoTasks();
    const QByteArray before = Bytes(db_);
    const auto counter = TaskCounter::Read();
    Form6* f = form_->EditorForAdd();
    auto& dialogs = TestEnv::Dialogs();
    auto refusal = [&](const QString& id) {
        dialogs.Reset();
        Type(f->Text1, id);
        Click(f->Command3);
        EXPECT_EQ(dialogs.Messages().size(), 1) << id.toStdString();
        EXPECT_EQ(Forms::Loaded<Form6>(), f);
        return dialogs.LastMessage();
    };
    EXPECT_EQ(refusal(""), "You must enter a Task ID");
    EXPECT_EQ(refusal("ID-3"), "You must enter Equipment");
    Type(f->Text2, "Pump");
    EXPECT_EQ(refusal("ID-3"), "You must enter a Type");
    Type(f->Combo1, "Oil");
    EXPECT_TRUE(refusal("ID-2").contains("already used"));
    EXPECT_TRUE(refusal("../ID-3").contains("cannot name"));
    f->Combo4->setEditText("0");
    EXPECT_TRUE(refusal("ID-3").contains("number of tasks"));
    EXPECT_EQ(dialogs.Calls().back().title, "Quillon");
    EXPECT_EQ(form_->Grid1.Rows(), 3);
    EXPECT_EQ(Bytes(db_), before);
    // Nothing was saved: closing gives the proposed number back.
    Click(f->Command2);
    EXPECT_EQ(TaskCounter::Read(), counter);
}

TEST_F(EditorTest, ATabTypedIntoAFieldStaysInItsCell) {
    Form6* f = form_->EditorForAdd();
    FillRequired(f);
    f->Text2->setText("Pump\tNorth");
    f->Text5->setText("Bob\tand\tAnn");
    Click(f->Command3);
    const Grid& g = form_->Grid1;
    EXPECT_EQ(g.Text(1, Col::Equipment), "Pump\tNorth");
    EXPECT_EQ(g.Text(1, Col::RequestDate), DateText::FormatDate(QDate::currentDate()));
    EXPECT_EQ(g.Text(1, Col::RequestedBy), "Bob\tand\tAnn");
    EXPECT_EQ(g.Text(1, Col::Type), "Lubrication");
    EXPECT_EQ(Stored().Text(1, Col::Equipment), "Pump\tNorth");
}

TEST_F(EditorTest, EditShowsTheTaskAndSaveRewritesItsRow) {
    TwoTasks();
    Form6* f = EditRow(2);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->windowTitle(), "Edit Task");
    EXPECT_EQ(form_->Label3->text(), "2");
    EXPECT_EQ(f->Text1->text(), "ID-2");
    EXPECT_EQ(f->Text2->text(), "Boiler 1");
    EXPECT_EQ(f->Combo1->text(), "Inspection");
    EXPECT_EQ(f->Combo2->currentText(), "Ready");
    EXPECT_EQ(f->Combo3->currentText(), "7");
    EXPECT_EQ(f->DatePicker2->date(), QDate::currentDate().addDays(2));
    EXPECT_EQ(f->DatePicker4->time(), QTime(8, 0));
    EXPECT_EQ(f->Combo4->currentText(), "1");

    Type(f->Text2, "Boiler 2");
    f->Combo2->setEditText("On Hold");
    Click(f->Command3);
    const Grid& g = form_->Grid1;
    ASSERT_EQ(g.Rows(), 3);
    EXPECT_EQ(g.Text(2, Col::Equipment), "Boiler 2");
    EXPECT_EQ(g.Text(2, Col::Status), "On Hold");
    EXPECT_EQ(g.Text(2, Col::StartTime), "08:00:00");
    EXPECT_EQ(g.Text(1, Col::Equipment), "Boiler 1");
    EXPECT_EQ(Stored().Text(2, Col::Status), "On Hold");
    EXPECT_EQ(TaskCounter::Read(), 3);   // an edit that is saved keeps its number
}

TEST_F(EditorTest, TheEditorStaysWithItsTaskWhenAnotherRowIsClicked) {
    TwoTasks();
    form_->Grid1.SetText(1, Col::Document, "/elsewhere/Docs/one.bmp");
    form_->Grid1.SetText(2, Col::Document, "/elsewhere/Docs/two.bmp");
    form_->SaveDatabase();
    Form6* f = EditRow(1);
    ClickRow(form_->Grid1View, 2);
    ASSERT_EQ(form_->Grid1.ActiveRow(), 2);

    // Clear takes the document of the edited task only, and saves at once.
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    Click(f->Command10[2]);
    EXPECT_EQ(f->Label8->text(), "");
    EXPECT_EQ(form_->Grid1.Text(1, Col::Document), "");
    EXPECT_EQ(form_->Grid1.Text(2, Col::Document), "/elsewhere/Docs/two.bmp");
    EXPECT_EQ(Stored().Text(1, Col::Document), "");

    Type(f->Text2, "Chiller");
    Click(f->Command3);
    EXPECT_EQ(form_->Grid1.Text(1, Col::Equipment), "Chiller");
    EXPECT_EQ(form_->Grid1.Text(2, Col::Equipment), "Boiler 1");
    EXPECT_EQ(form_->Grid1.Text(2, Col::TaskId), "ID-2");
    EXPECT_EQ(form_->Grid1.ActiveRow(), 1);   // what a generation would copy

    // The task moved (a sort) while its editor was open: Save still finds it.
    f = EditRow(1);
    form_->Grid1.Sort(Col::TaskId, 1);   // ID-2, ID-1
    Type(f->Text2, "Chiller 2");
    Click(f->Command3);
    EXPECT_EQ(form_->Grid1.Text(2, Col::Equipment), "Chiller 2");
    EXPECT_EQ(form_->Grid1.Text(1, Col::Equipment), "Boiler 1");
}

TEST_F(EditorTest, ItemsAndMaterialsSurviveAReopen) {
    TwoTasks();
    Form6* f = EditRow(1);
    auto& dialogs = TestEnv::Dialogs();
    for (const char* item : {"Isolate power", "Drain tank", "Refill"}) {
        dialogs.AnswerInput(QString(item));
        Click(f->Command4);
    }
    dialogs.AnswerInput(std::nullopt);   // Cancel changes nothing
    Click(f->Command4);
    EXPECT_EQ(f->Grid1.Rows(), 4);

    ClickRow(f->Grid1View, 2);
    dialogs.AnswerInput(QString("Drain and flush tank"));
    Click(f->Command6);
    ClickRow(f->Grid1View, 1);
    dialogs.AnswerMsgBox(vb::vbYes);
    Click(f->Command12);

    for (auto [name, cost] : {std::pair{"Gasket", " 12.50 "}, std::pair{"Oil", "about ten"}}) {
        Click(f->Command9);
        frmcost* c = Forms::Loaded<frmcost>();
        ASSERT_TRUE(c);
        EXPECT_EQ(c->SkinLabel4->text(), "0");
        c->Text1->setText(name);
        c->Text2->setText(cost);
        Click(c->Command2);
        EXPECT_EQ(Forms::Loaded<frmcost>(), nullptr);
    }
    EXPECT_EQ(f->Text4->text(), "about ten");
    Click(f->Command2);   // closed without saving the task: the lists are on file already

    f = EditRow(1);
    ASSERT_EQ(f->Grid1.Rows(), 3);
    EXPECT_EQ(f->Grid1.Text(1, 1), "Drain and flush tank");
    EXPECT_EQ(f->Grid1.Text(2, 1), "Refill");
    ASSERT_EQ(f->Grid2.Rows(), 3);
    EXPECT_EQ(f->Grid2.Text(1, 2), " 12.50 ");
    EXPECT_EQ(f->Grid2.Text(2, 1), "Oil");
    EXPECT_EQ(f->Grid2.Text(2, 2), "about ten");

    // Another task shows its own (empty) lists.
    f = EditRow(2);
    EXPECT_EQ(f->Text1->text(), "ID-2");
    EXPECT_EQ(f->Grid1.Rows(), 1);
    EXPECT_EQ(f->Grid2.Rows(), 1);
}

TEST_F(EditorTest, TheMaterialDialogChangesTheRowItWasOpenedOn) {
    TwoTasks();
    Form6* f = EditRow(1);
    for (auto name : {"Belt", "Filter"}) {
        Click(f->Command9);
        frmcost* c = Forms::Loaded<frmcost>();
        c->Text1->setText(name);
        Click(c->Command2);
    }
    ClickRow(f->Grid2View, 1);
    Click(f->Command11);
    frmcost* c = Forms::Loaded<frmcost>();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->SkinLabel4->text(), "1");
    EXPECT_EQ(c->Text1->text(), "Belt");
    EXPECT_EQ(c->Text2->text(), "0");
    c->Text1->setText("V-belt");
    c->Text2->setText("9.99");
    ClickRow(f->Grid2View, 2);   // the user looks at another material meanwhile
    Click(c->Command2);
    EXPECT_EQ(f->Grid2.Text(1, 1), "V-belt");
    EXPECT_EQ(f->Grid2.Text(1, 2), "9.99");
    EXPECT_EQ(f->Grid2.Text(2, 1), "Filter");

    // A material deleted while its dialog was open is not written back over
    // whichever row took its place.
    ClickRow(f->Grid2View, 2);
    Click(f->Command11);
    c = Forms::Loaded<frmcost>();
    c->Text1->setText("Filter 2");
    ClickRow(f->Grid2View, 2);
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    Click(f->Command13);
    Click(c->Command2);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("no longer in the list"));
    EXPECT_EQ(f->Grid2.Rows(), 2);
    EXPECT_EQ(f->Grid2.Text(1, 1), "V-belt");

    Grid onFile;
    ASSERT_TRUE(onFile.LoadFile(MaterialFile("ID-1")));
    EXPECT_EQ(onFile.Rows(), 2);
    EXPECT_EQ(onFile.Text(1, 1), "V-belt");
}

TEST_F(EditorTest, ACellThatIsNoDateLeavesItsPickerAtTheLoadValue) {
    const QDate start = QDate::currentDate().addDays(10);
    AddTask("ID-1", start);
    AddTask({"ID-2", "Pump", "", "", "", "", "", "", "", "Oil", "", "", "Ready"});
    form_->ResortNum();
    Form6* f = form_->EditorForAdd();
    const QDate loadDate = f->DatePicker3->date();
    const QTime loadTime = f->DatePicker5->time();

    f = EditRow(1);
    EXPECT_EQ(f->DatePicker3->date(), start.addDays(1));
    EXPECT_EQ(f->DatePicker5->time(), QTime(16, 0));
    // The same editor shown on a task without dates: none of the first
    // task's values is carried over into it.
    f = EditRow(2);
    EXPECT_EQ(f->DatePicker1->date(), loadDate);
    EXPECT_EQ(f->DatePicker3->date(), loadDate);
    EXPECT_EQ(f->DatePicker4->time(), loadTime);
    EXPECT_EQ(f->DatePicker5->time(), loadTime);
    // Saved untouched, the empty cells stay empty: a save writes only what
    // the user changed.
    Click(f->Command3);
    EXPECT_EQ(form_->Grid1.Text(2, Col::ScheduledEnd), "");
    EXPECT_EQ(form_->Grid1.Text(2, Col::EndTime), "");
}

TEST_F(EditorTest, ANewTaskKeepsTheListsItShowsAndNoOneElses) {
    TwoTasks();
    auto& dialogs = TestEnv::Dialogs();
    // An editor closed unsaved leaves its list under the number it gave back.
    Form6* f = form_->EditorForAdd();
    ASSERT_EQ(f->Text1->text(), "ID-3");
    dialogs.AnswerInput(QString("Abandoned item"));
    Click(f->Command4);
    ASSERT_TRUE(QFileInfo::exists(ItemFile("ID-3")));
    Click(f->Command2);

    // The next task gets that number: it does not inherit that list.
    f = form_->EditorForAdd();
    ASSERT_EQ(f->Text1->text(), "ID-3");
    FillRequired(f);
    Click(f->Command3);
    EXPECT_TRUE(dialogs.Messages().isEmpty()) << dialogs.LastMessage().toStdString();
    EXPECT_FALSE(QFileInfo::exists(ItemFile("ID-3")));
    f = EditRow(3);
    EXPECT_EQ(f->Grid1.Rows(), 1);
    Click(f->Command2);

    // Lists written before the ID was changed go with the task to its new
    // ID (the earlier file stays), in time for the occurrences to copy them.
    f = form_->EditorForAdd();
    ASSERT_EQ(f->Text1->text(), "ID-4");
    dialogs.AnswerInput(QString("Check belts"));
    Click(f->Command4);
    Click(f->Command9);
    frmcost* c = Forms::Loaded<frmcost>();
    ASSERT_TRUE(c);
    c->Text1->setText("Belt");
    Click(c->Command2);
    Type(f->Text1, "ID-40");
    FillRequired(f);
    f->Combo4->setEditText("2");
    Click(f->Command3);
    EXPECT_TRUE(dialogs.Messages().isEmpty()) << dialogs.LastMessage().toStdString();
    ASSERT_EQ(form_->Grid1.Rows(), 6);
    EXPECT_EQ(form_->Grid1.Text(5, Col::TaskId), "ID-41");
    for (const QString id : {"ID-4", "ID-40", "ID-41"}) {
        Grid items, materials;
        ASSERT_TRUE(items.LoadFile(ItemFile(id))) << id.toStdString();
        EXPECT_EQ(items.Text(1, 1), "Check belts");
        ASSERT_TRUE(materials.LoadFile(MaterialFile(id))) << id.toStdString();
        EXPECT_EQ(materials.Text(1, 1), "Belt");
    }

    // A leftover that cannot be removed is reported; the task is saved.
    QDir().mkpath(ItemFile("ID-42"));
    QFile(ItemFile("ID-42") + "/x").open(QIODevice::WriteOnly);
    f = form_->EditorForAdd();
    ASSERT_EQ(f->Text1->text(), "ID-42");
    FillRequired(f);
    Click(f->Command3);
    EXPECT_TRUE(dialogs.LastMessage().contains("could not be saved"));
    EXPECT_EQ(Stored().Text(Stored().Rows() - 1, Col::TaskId), "ID-42");
}

TEST_F(EditorTest, AddWhileEditingStartsAFreshTaskWithItsOwnFiles) {
    TwoTasks();
    Form6* f = EditRow(1);
    TestEnv::Dialogs().AnswerInput(QString("Inspect seals"));
    Click(f->Command4);
    const QByteArray itemsOfOne = Bytes(ItemFile("ID-1"));
    ASSERT_FALSE(itemsOfOne.isEmpty());

    f = form_->EditorForAdd();
    Settle();
    EXPECT_EQ(f->windowTitle(), "Add Task");
    // The edit's number went back when its editor closed unsaved.
    EXPECT_EQ(f->Text1->text(), "ID-3");
    EXPECT_EQ(f->Grid1.Rows(), 1);
    TestEnv::Dialogs().AnswerInput(QString("New task item"));
    Click(f->Command4);
    EXPECT_EQ(Bytes(ItemFile("ID-1")), itemsOfOne);
    EXPECT_TRUE(QFileInfo::exists(ItemFile("ID-3")));

    // A second Add keeps the task being added, with its list.
    f = form_->EditorForAdd();
    EXPECT_EQ(f->Text1->text(), "ID-3");
    EXPECT_EQ(f->Grid1.Rows(), 2);
}

TEST_F(EditorTest, ListsAreNeverWrittenUnderAnUnusableOrForeignId) {
    TwoTasks();
    const QByteArray itemsOfTwo = [&] {
        Form6* f = EditRow(2);
        TestEnv::Dialogs().AnswerInput(QString("Task two's item"));
        Click(f->Command4);
        Click(f->Command2);
        return Bytes(ItemFile("ID-2"));
    }();
    Form6* f = form_->EditorForAdd();
    auto& dialogs = TestEnv::Dialogs();
    for (const QString& id : {QString(""), QString("../escaped"), QString("ID-2")}) {
        dialogs.Reset();
        Type(f->Text1, id);
        dialogs.AnswerInput(QString("item"));
        Click(f->Command4);
        ASSERT_EQ(dialogs.Messages().size(), 1) << id.toStdString();
        EXPECT_EQ(dialogs.Calls().size(), 1u) << "no input box";
        Click(f->Command9);
        EXPECT_EQ(Forms::Loaded<frmcost>(), nullptr);
    }
    EXPECT_EQ(f->Grid1.Rows(), 1);
    EXPECT_FALSE(QFileInfo::exists(form_->CompanionFolder() + "/escaped.tsk"));
    EXPECT_FALSE(QFileInfo::exists(ItemFile("")));
    EXPECT_EQ(Bytes(ItemFile("ID-2")), itemsOfTwo);
}

TEST_F(EditorTest, AFailedListWriteIsReported) {
    Form6* f = form_->EditorForAdd();
    QDir(form_->TasksFolder()).removeRecursively();
    QFile blocker(form_->TasksFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TestEnv::Dialogs().AnswerInput(QString("item"));
    Click(f->Command4);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not be saved"));
}

TEST_F(EditorTest, DocumentLoadViewAndClear) {
    const QString picture = temp_ + "/pics/pump.bmp";
    QDir().mkpath(temp_ + "/pics");
    {
        QFile p(picture);
        ASSERT_TRUE(p.open(QIODevice::WriteOnly));
        p.write("BM picture");
    }
    Form6* f = form_->EditorForAdd();
    auto& dialogs = TestEnv::Dialogs();
    EXPECT_TRUE(f->Picture1->pixmap().isNull());
    Click(f->Command10[1]);   // View without a document does nothing
    EXPECT_TRUE(TestEnv::Shell().opened.empty());

    dialogs.AnswerOpen("");   // Cancel
    Click(f->Command10[0]);
    EXPECT_EQ(f->Label8->text(), "");

    const QString copy = form_->DatabaseFolder() + "Docs/pump.bmp";
    dialogs.AnswerOpen(picture);
    Click(f->Command10[0]);
    EXPECT_EQ(f->Label8->text(), copy);
    EXPECT_EQ(Bytes(copy), "BM picture");
    EXPECT_FALSE(f->Picture1->pixmap().isNull());
    EXPECT_TRUE(dialogs.Messages().isEmpty());

    Click(f->Command10[1]);
    ASSERT_EQ(TestEnv::Shell().opened.size(), 1u);
    EXPECT_EQ(TestEnv::Shell().opened[0].what, copy);
    f->showNormal();

    // Another picture of that name: copied beside the first under a free
    // name, with no question; the first task's picture stays as it was.
    {
        QFile p(picture);
        ASSERT_TRUE(p.open(QIODevice::WriteOnly));
        p.write("BM changed");
    }
    const QString second = form_->DatabaseFolder() + "Docs/pump (2).bmp";
    dialogs.AnswerOpen(picture);
    Click(f->Command10[0]);
    EXPECT_TRUE(dialogs.Messages().isEmpty()) << dialogs.LastMessage().toStdString();
    EXPECT_EQ(f->Label8->text(), second);
    EXPECT_EQ(Bytes(copy), "BM picture");
    EXPECT_EQ(Bytes(second), "BM changed");

    // A copy that fails leaves the document as it was and says so.
    dialogs.Reset();
    dialogs.AnswerOpen(temp_ + "/pics/gone.bmp");
    Click(f->Command10[0]);
    EXPECT_EQ(dialogs.Messages().size(), 1);
    EXPECT_TRUE(dialogs.LastMessage().contains("could not be copied"));
    EXPECT_EQ(f->Label8->text(), second);

    dialogs.AnswerMsgBox(vb::vbNo);
    Click(f->Command10[2]);
    EXPECT_EQ(f->Label8->text(), second);
    dialogs.AnswerMsgBox(vb::vbYes);
    Click(f->Command10[2]);
    EXPECT_EQ(f->Label8->text(), "");
    EXPECT_TRUE(f->Picture1->pixmap().isNull());
    EXPECT_TRUE(QFileInfo::exists(second));   // the copy stays on disk

    // The same picture again shares its copy.
    dialogs.AnswerOpen(picture);
    Click(f->Command10[0]);
    EXPECT_EQ(f->Label8->text(), second);
    EXPECT_EQ(QDir(form_->DatabaseFolder() + "Docs").entryList(QDir::Files).size(), 2);
    FillRequired(f);
    Click(f->Command3);
    EXPECT_EQ(form_->Grid1.Text(1, Col::Document), second);
    EXPECT_EQ(Bytes(copy), "BM picture");
}

TEST_F(EditorTest, ClearWhileAddingLeavesTheSelectedTaskAlone) {
    const QString doc = temp_ + "/Docs/one.bmp";
    QDir().mkpath(temp_ + "/Docs");
    {
        QFile p(doc);
        ASSERT_TRUE(p.open(QIODevice::WriteOnly));
        p.write("BM");
    }
    TwoTasks();
    form_->Grid1.SetText(1, Col::Document, doc);
    form_->SaveDatabase();
    ClickRow(form_->Grid1View, 1);
    const QByteArray before = Bytes(db_);

    Form6* f = form_->EditorForAdd();
    EXPECT_EQ(f->Label8->text(), doc);   // a new task takes over the selected one's document
    EXPECT_FALSE(f->Picture1->pixmap().isNull());
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    Click(f->Command10[2]);
    EXPECT_EQ(f->Label8->text(), "");
    EXPECT_EQ(form_->Grid1.Text(1, Col::Document), doc);
    EXPECT_EQ(Bytes(db_), before);

    FillRequired(f);
    Click(f->Command3);
    EXPECT_EQ(form_->Grid1.Text(3, Col::TaskId), "ID-3");
    EXPECT_EQ(form_->Grid1.Text(3, Col::Document), "");
    EXPECT_EQ(form_->Grid1.Text(1, Col::Document), doc);
}

TEST_F(EditorTest, AListWindowAppliedBeforeAddFillsTheEditorsBox) {
    TwoTasks();
    // A picker writes into the editor while it is not open: it loads hidden
    // with a number taken, and Add shows it with the name in its box.
    form_->TaskEditor()->Text2->setText("Compressor");
    EXPECT_EQ(TaskCounter::Read(), 3);
    Form6* f = form_->EditorForAdd();
    EXPECT_EQ(f->Text2->text(), "Compressor");
    EXPECT_EQ(f->Text1->text(), "ID-3");
    EXPECT_EQ(TaskCounter::Read(), 3);
}

TEST_F(EditorTest, EditWithoutATaskRowSaysSo) {
    EXPECT_EQ(form_->EditorForEdit(), nullptr);
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "No Tasks Found");
    EXPECT_EQ(Forms::Loaded<Form6>(), nullptr);
}

}  // namespace

namespace {

class EditorUserTest : public EditorTest {
protected:
    static void SelectAllAndType(QWidget* field, const QString& text) {
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }
    // Four items through the editor's own "Add Task" button.
    void FourItems(Form6* f) {
        for (const char* item : {"Drain", "Flush", "Refill", "Test"}) {
            TestEnv::Dialogs().AnswerInput(QString(item));
            Click(f->Command4);
        }
        ASSERT_GE(f->Grid1.Rows(), 5);
    }
    static QStringList Items(const Grid& g) {
        QStringList out;
        for (int r = 1; r < g.Rows(); ++r) out << g.Text(r, 1);
        return out;
    }
};

TEST_F(EditorUserTest, DeleteSelectedItemRemovesOnlyTheRowsShownSelected) {
    TwoTasks();
    Form6* f = EditRow(1);
    FourItems(f);
    // A ctrl-click cannot make a selection with gaps (which the list could
    // only read as the rows in between too): the rows it shows selected are
    // exactly the rows that go.
    ClickRow(f->Grid1View, 1);
    QTest::mouseClick(f->Grid1View->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      TestUi::CellRect(f->Grid1View, 3, 1).center());
    QStringList selected;
    for (const QModelIndex& i : f->Grid1View->selectionModel()->selectedIndexes())
        selected << i.siblingAtColumn(1).data().toString();
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    Click(f->Command12);
    QStringList expected{"Drain", "Flush", "Refill", "Test"};
    for (const QString& gone : selected) expected.removeAll(gone);
    EXPECT_EQ(Items(f->Grid1), expected) << selected.join(",").toStdString();
    EXPECT_FALSE(selected.isEmpty());
    Grid onFile;
    ASSERT_TRUE(onFile.LoadFile(ItemFile("ID-1")));
    EXPECT_EQ(Items(onFile), Items(f->Grid1));

    // A shift-click selects the unbroken block, and all of it goes.
    FourItems(f);
    const int before = f->Grid1.Rows();
    ClickRow(f->Grid1View, 1);
    QTest::mouseClick(f->Grid1View->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      TestUi::CellRect(f->Grid1View, 2, 1).center());
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    Click(f->Command12);
    EXPECT_EQ(f->Grid1.Rows(), before - 2);
}

TEST_F(EditorUserTest, SavingWithoutChangesKeepsTheTimesInTheDateCells) {
    const QDate start = QDate::currentDate().addDays(3);
    const QString request = DateText::FormatDate(start.addDays(-2)) + " 09:15:00";
    const QString begin = DateText::FormatDate(start) + " 07:30:00";
    const QString end = DateText::FormatDate(start.addDays(1)) + " 17:45:00";
    AddTask({"ID-1", "Pump", request, begin, "7:30", end, "17:45", "Ann", "Bob", "Oil", "7", "", "Ready"});
    form_->ResortNum();

    Form6* f = EditRow(1);
    Click(f->Command3);
    EXPECT_EQ(form_->Grid1.Text(1, Col::RequestDate), request);
    EXPECT_EQ(form_->Grid1.Text(1, Col::ScheduledStart), begin);
    EXPECT_EQ(form_->Grid1.Text(1, Col::ScheduledEnd), end);
    EXPECT_EQ(form_->Grid1.Text(1, Col::StartTime), "7:30");
    EXPECT_EQ(form_->Grid1.Text(1, Col::EndTime), "17:45");
    EXPECT_EQ(Stored().Text(1, Col::ScheduledStart), begin);

    // What the user changes is written; the rest keeps its text.
    f = EditRow(1);
    SelectAllAndType(f->DatePicker3, start.addDays(5).toString(Qt::ISODate));
    SelectAllAndType(f->DatePicker4, "08:05");
    Click(f->Command3);
    EXPECT_EQ(form_->Grid1.Text(1, Col::ScheduledEnd), DateText::FormatDate(start.addDays(5)));
    EXPECT_EQ(form_->Grid1.Text(1, Col::StartTime), "08:05:00");
    EXPECT_EQ(form_->Grid1.Text(1, Col::ScheduledStart), begin);
    EXPECT_EQ(form_->Grid1.Text(1, Col::EndTime), "17:45");
}

TEST_F(EditorUserTest, AddAsksBeforeDroppingAnEditorsUnsavedChanges) {
    TwoTasks();
    auto& dialogs = TestEnv::Dialogs();
    // Untouched: Add goes straight to a new task.
    EditRow(1);
    ClickListItem("Add");
    Settle();
    EXPECT_TRUE(dialogs.Messages().isEmpty());
    Form6* f = Forms::Loaded<Form6>();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "Add Task");
    Click(f->Command2);

    f = EditRow(1);
    Type(f->Text2, "Compressor 7");
    // Cancel: the editor stays on the task, the typing with it.
    dialogs.AnswerMsgBox(vb::vbCancel);
    ClickListItem("Add");
    Settle();
    ASSERT_EQ(dialogs.Messages().size(), 1);
    EXPECT_EQ(dialogs.LastMessage(), "The changes to task \"ID-1\" are not saved.\nSave them first?");
    EXPECT_EQ(dialogs.Calls().back().style & 7, int(vb::vbYesNoCancel));
    ASSERT_EQ(Forms::Loaded<Form6>(), f);
    EXPECT_EQ(f->windowTitle(), "Edit Task");
    EXPECT_EQ(f->Text2->text(), "Compressor 7");

    // Yes: saved, then the new task.
    dialogs.AnswerMsgBox(vb::vbYes);
    ClickListItem("Add");
    Settle();
    EXPECT_EQ(form_->Grid1.Text(1, Col::Equipment), "Compressor 7");
    EXPECT_EQ(Stored().Text(1, Col::Equipment), "Compressor 7");
    f = Forms::Loaded<Form6>();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "Add Task");
    Click(f->Command2);

    // No: the change is dropped and the task stays as it was.
    f = EditRow(2);
    Type(f->Text2, "Never saved");
    dialogs.AnswerMsgBox(vb::vbNo);
    ClickListItem("Add");
    Settle();
    EXPECT_EQ(form_->Grid1.Text(2, Col::Equipment), "Boiler 1");
    ASSERT_NE(Forms::Loaded<Form6>(), nullptr);
    EXPECT_EQ(Forms::Loaded<Form6>()->windowTitle(), "Add Task");
}

TEST_F(EditorUserTest, EditAsksBeforeRefillingAnEditorWithUnsavedFields) {
    TwoTasks();
    auto& dialogs = TestEnv::Dialogs();
    // A new task typed but not saved, then Edit on a task: asked first.
    ClickListItem("Add");
    Settle();
    Form6* f = Forms::Loaded<Form6>();
    ASSERT_NE(f, nullptr);
    Type(f->Text2, "Chiller 2");
    ClickRow(form_->Grid1View, 2);
    dialogs.AnswerMsgBox(vb::vbCancel);
    ClickListItem("Edit");
    Settle();
    EXPECT_EQ(dialogs.LastMessage(), "The new task \"ID-3\" is not saved.\nSave it first?");
    EXPECT_EQ(f->windowTitle(), "Add Task");
    EXPECT_EQ(f->Text2->text(), "Chiller 2");

    // An edit with typed changes, Edit again on the same task: asked too.
    dialogs.AnswerMsgBox(vb::vbNo);
    ClickListItem("Edit");
    Settle();
    f = Forms::Loaded<Form6>();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "Edit Task");
    Type(f->Text2, "Typed");
    dialogs.Reset();
    dialogs.AnswerMsgBox(vb::vbCancel);
    ClickListItem("Edit");
    Settle();
    EXPECT_EQ(dialogs.Messages().size(), 1);
    EXPECT_EQ(f->Text2->text(), "Typed");
}

TEST_F(EditorUserTest, TypedTimesAndDatesSurviveTheShiftKeyAndAreSaved) {
    Form6* f = form_->EditorForAdd();
    Settle();
    FillRequired(f);
    // Clicked, all selected, typed with a Shift press for ":" and for each
    // capital (and `alone` pressed before the last key), left by Tab.
    auto type = [](QWidget* field, const QString& text, Qt::Key alone = Qt::Key_unknown) {
        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        TestKeys::Type(field, text.chopped(1));
        if (alone != Qt::Key_unknown) TestKeys::PressAlone(field, alone);
        TestKeys::Type(field, text.right(1));
        QTest::keyClick(field, Qt::Key_Tab);
    };
    const std::tuple<QWidget*, const char*, int, QString> typed[] = {
        {f->DatePicker4, "16:30:00", Col::StartTime, "16:30:00"},
        {f->DatePicker5, "17:45:10", Col::EndTime, "17:45:10"},
        {f->DatePicker1, "Saturday, January 2, 2027", Col::RequestDate, DateText::FormatDate(QDate(2027, 1, 2))},
        {f->DatePicker3, "Monday, February 1, 2027", Col::ScheduledEnd, DateText::FormatDate(QDate(2027, 2, 1))},
    };
    for (const auto& [field, text, col, stored] : typed) type(field, text);
    // A modifier pressed alone in the middle of the typing (a Shift that
    // changed its mind, Caps Lock, AltGr held for a separator) ends nothing.
    int day = 0;
    for (Qt::Key modifier : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_AltGr, Qt::Key_CapsLock,
                             Qt::Key_Meta}) {
        type(f->DatePicker2, QStringLiteral("2027-03-0%1").arg(++day), modifier);
        EXPECT_EQ(f->DatePicker2->date(), QDate(2027, 3, day)) << "key " << modifier;
    }
    Click(f->Command3);
    const Grid stored = Stored();
    ASSERT_EQ(stored.Rows(), 2);
    for (const auto& [field, text, col, value] : typed) EXPECT_EQ(stored.Text(1, col), value) << text;
    EXPECT_EQ(stored.Text(1, Col::ScheduledStart), DateText::FormatDate(QDate(2027, 3, day)));
}

// Clicked into the first section, the arrows pressed (which select it), and
// typed section by section: a separator after a section that moved on by
// itself moves no further, and none leaves the field for the next one.
TEST_F(EditorUserTest, DatesAndTimesTypedSectionBySectionStayInTheirField) {
    Form6* f = form_->EditorForAdd();
    Settle();
    FillRequired(f);
    const auto boxes = [f] {
        QStringList texts;
        for (const QLineEdit* box : f->findChildren<QLineEdit*>())
            if (!qobject_cast<QAbstractSpinBox*>(box->parentWidget())) texts << box->text();
        return texts;
    };
    const QStringList before = boxes();
    const QDate date(2028, 5, 6);
    const std::tuple<QDateTimeEdit*, QString, QString> typed[] = {
        {f->DatePicker1, DateText::FormatDate(date), DateText::FormatDate(date)},
        {f->DatePicker4, "7:05:09", "07:05:09"},
    };
    for (const auto& [field, text, shown] : typed) {
        QLineEdit* edit = field->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(3, edit->height() / 2));
        TestKeys::Press(Qt::Key_Up);
        TestKeys::Press(Qt::Key_Down);
        TestKeys::TypeHere(text);
        EXPECT_EQ(TestKeys::Focused(), field) << text.toStdString();
        TestKeys::Press(Qt::Key_Tab);
        EXPECT_EQ(field->text(), shown);
    }
    EXPECT_EQ(boxes(), before);
}

TEST_F(EditorUserTest, ReturnInAFieldOpensNoPickList) {
    Form6* f = form_->EditorForAdd();
    Settle();
    const auto shown = [] {
        QSet<QWidget*> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) windows.insert(w);
        return windows;
    };
    const QSet<QWidget*> before = shown();
    for (const QPushButton* b : f->findChildren<QPushButton*>()) EXPECT_FALSE(b->isDefault()) << b->text().toStdString();
    QTest::mouseClick(f->Text2, Qt::LeftButton);
    TestKeys::Press(Qt::Key_Return);
    Settle();
    EXPECT_EQ(shown(), before);
    // Return on a button that has the focus still presses it.
    ASSERT_TRUE(TestKeys::TabTo(f->Command2));
    const QPointer<Form6> editor = f;   // Close lets the window go
    TestKeys::Press(Qt::Key_Return);
    Settle();
    EXPECT_TRUE(editor.isNull() || !editor->isVisible());
}

TEST_F(EditorUserTest, TypedDatesAndTimesAreTakenWhole) {
    Form6* f = form_->EditorForAdd();
    Settle();
    SelectAllAndType(f->DatePicker1, "2027-01-02");
    EXPECT_EQ(f->DatePicker1->date(), QDate(2027, 1, 2));
    // The program's own short date form too.
    SelectAllAndType(f->DatePicker2, DateText::FormatDate(QDate(2028, 11, 30)));
    EXPECT_EQ(f->DatePicker2->date(), QDate(2028, 11, 30));
    SelectAllAndType(f->DatePicker5, "6:07");
    EXPECT_EQ(f->DatePicker5->time(), QTime(6, 7));
    // A text that is no date puts the field back as it was.
    SelectAllAndType(f->DatePicker1, "soon");
    EXPECT_EQ(f->DatePicker1->date(), QDate(2027, 1, 2));
    // Escape abandons the typing; leaving the field by Tab takes it.
    f->DatePicker3->setFocus();
    QTest::keyClick(f->DatePicker3, Qt::Key_A, Qt::ControlModifier);
    const QDate before = f->DatePicker3->date();
    QTest::keyClicks(f->DatePicker3, "2030-05-06");
    QTest::keyClick(f->DatePicker3, Qt::Key_Escape);
    EXPECT_EQ(f->DatePicker3->date(), before);
    QTest::keyClick(f->DatePicker3, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(f->DatePicker3, "2030-05-06");
    QTest::keyClick(f->DatePicker3, Qt::Key_Tab);
    EXPECT_EQ(f->DatePicker3->date(), QDate(2030, 5, 6));
}

TEST_F(EditorUserTest, ALongItemLeavesTheListCaptionInSight) {
    TwoTasks();
    Form6* f = EditRow(1);
    TestEnv::Dialogs().AnswerInput(QString(300, QChar('x')));
    Click(f->Command4);
    f->Grid1View->Sync();
    Settle();
    QHeaderView* header = f->Grid1View->horizontalHeader();
    // The column is wider than the list: its caption sits at the column's
    // start, in the part the list shows, not in the middle of the width.
    ASSERT_GT(header->sectionSize(1), f->Grid1View->viewport()->width());
    EXPECT_EQ(header->sectionViewportPosition(1), 0);
    EXPECT_TRUE(header->defaultAlignment() & Qt::AlignLeft);
}

TEST_F(EditorUserTest, TheDocumentDialogOffersEveryPictureTheProgramShows) {
    TwoTasks();
    Form6* f = EditRow(1);
    TestEnv::Dialogs().AnswerOpen(QString());
    Click(f->Command10[0]);
    const auto& call = TestEnv::Dialogs().Calls().back();
    ASSERT_EQ(call.kind, "Open");
    for (const char* pattern : {"*.png", "*.jpg", "*.jpeg", "*.bmp", "*.gif"})
        EXPECT_TRUE(call.title.contains(pattern)) << pattern << " in " << call.title.toStdString();
}

}  // namespace

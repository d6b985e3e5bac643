// The "Auto Generate Selected Task" window and the main window's Generate.
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>

#include "app/Form1.h"
#include "model/database/TaskCounter.h"
#include "platform/DateText.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "support/MainWindow.h"
#include "support/Ui.h"
#include "support/ScriptedDialogs.h"
#include "ui/tasks/Form18.h"
#include "ui/tasks/OneFieldEditors.h"

namespace {

using TestUi::Click;
using TestUi::Settle;

void TypeInto(QComboBox* combo, const QString& text) {
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), text);
}

class Form18Test : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        db_ = NewDatabase();
        TestEnv::Dialogs().Reset();
    }
    void SelectTask(int row) {
        MainWindowTest::SelectTask(row);
        ASSERT_EQ(form_->Grid1.ActiveRow(), row);
    }
    Form18* OpenFromMenu() {
        form_->MenuItem("mnudup")->trigger();
        return Forms::Loaded<Form18>();
    }
    QString db_;
};

TEST_F(Form18Test, MenuOpensOnlyWithTasksAndPresetsTheTasksStart) {
    form_->MenuItem("mnudup")->trigger();
    EXPECT_EQ(TestEnv::Dialogs().Messages(), QStringList{"Nothing to generate"});
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style, vb::vbOKOnly);
    EXPECT_EQ(Forms::Loaded<Form18>(), nullptr);

    AddTask("ID-1", QDate(2026, 3, 2));
    AddTask("ID-2", QDate(2025, 12, 24));
    form_->Grid1.SelectRange(0, 1, 0, 1);
    Form18* f = OpenFromMenu();
    ASSERT_TRUE(f && f->isVisible());
    // Header row active: the picker keeps its own start, today.
    EXPECT_EQ(f->DatePicker1->date(), QDate::currentDate());
    EXPECT_FALSE(f->DatePicker1->isEnabled());
    EXPECT_EQ(f->Combo1->itemText(f->Combo1->count() - 1), "10000");
    EXPECT_EQ(f->Combo2->itemText(f->Combo2->count() - 1), "1000");

    TypeInto(f->Combo2, "5");
    SelectTask(2);
    EXPECT_EQ(OpenFromMenu(), f);   // the same window, the date set anew
    EXPECT_EQ(f->DatePicker1->date(), QDate(2025, 12, 24));
    EXPECT_EQ(f->DatePicker1->text(), "12/24/2025");
    EXPECT_EQ(f->Combo2->currentText(), "5");
}

TEST_F(Form18Test, DefaultsMakeOneTaskADayLaterAndTypedTextsASeries) {
    AddTask("ID-3", QDate(2026, 3, 2));   // a Monday
    TaskCounter::WritePlain(3);
    SelectTask(1);
    Click(OpenFromMenu()->Command1);
    Settle();
    EXPECT_EQ(Forms::Loaded<Form18>(), nullptr);
    ASSERT_EQ(form_->Grid1.Rows(), 3);
    EXPECT_EQ(form_->Grid1.Text(2, Col::ScheduledStart), DateText::FormatDate(QDate(2026, 3, 3)));
    EXPECT_EQ(form_->Grid1.Text(2, Col::ScheduledEnd), DateText::FormatDate(QDate(2026, 3, 4)));
    EXPECT_EQ(TaskCounter::ReadText(), "4");

    SelectTask(1);
    Form18* f = OpenFromMenu();
    TypeInto(f->Combo1, "7");
    TypeInto(f->Combo2, "4");
    Click(f->Command1);
    Settle();
    ASSERT_EQ(form_->Grid1.Rows(), 7);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(*DateText::ParseDate(form_->Grid1.Text(2 + k, Col::ScheduledStart)), QDate(2026, 3, 2).addDays(7 * k));
        EXPECT_EQ(form_->Grid1.Text(2 + k, Col::TaskId), QString("ID-%1").arg(4 + k));
    }
    EXPECT_EQ(TaskCounter::ReadText(), "     8");
    EXPECT_EQ(form_->StatusText(), "Done");
    EXPECT_FALSE(form_->Bar1->isVisible());
    Grid saved;
    EXPECT_TRUE(saved.LoadFile(db_) && saved.Rows() == 7);
}

TEST_F(Form18Test, PickingFromAListHandsTheTextsOverAndCancelMakesNothing) {
    AddTask("ID-1", QDate(2026, 3, 2));
    SelectTask(1);
    Form18* f = OpenFromMenu();
    f->Combo1->setFocus();
    for (int i = 0; i < 29; ++i) QTest::keyClick(f->Combo1, Qt::Key_Down);
    EXPECT_EQ(f->Combo1->currentText(), "30");
    EXPECT_EQ(form_->Text3->text(), "30");
    EXPECT_EQ(form_->Text4->text(), "1");
    Click(f->Command2);
    Settle();
    EXPECT_EQ(Forms::Loaded<Form18>(), nullptr);
    EXPECT_EQ(form_->Grid1.Rows(), 2);
    EXPECT_EQ(form_->Text3->text(), "30");
}

TEST_F(Form18Test, CountsAndIntervalsThatCannotEndWellAreRefused) {
    AddTask("ID-1", QDate(2026, 3, 2));
    SelectTask(1);
    Form18* f = OpenFromMenu();
    for (const char* count : {"-2", "2.5", "abc"}) {
        TypeInto(f->Combo2, count);
        Click(f->Command1);
        EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("number of tasks")) << count;
        EXPECT_EQ(Forms::Loaded<Form18>(), f);   // kept up, as it was, for a correction
        EXPECT_FALSE(f->isMinimized());
    }
    TypeInto(f->Combo2, "2");
    TypeInto(f->Combo1, "-7");
    Click(f->Command1);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("days between tasks"));
    TypeInto(f->Combo1, "7");
    form_->Grid1.SelectRange(0, 1, 0, 1);
    Click(f->Command1);
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "No Tasks Found");
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style, vb::vbCritical);
    EXPECT_EQ(form_->Grid1.Rows(), 2);

    // What the task editor hands over is checked by Generate itself.
    const auto messages = TestEnv::Dialogs().Messages().size();
    form_->Grid1.SelectRange(1, 1, 1, 1);
    form_->Text4->setText("1.5");
    form_->Generate();
    EXPECT_EQ(TestEnv::Dialogs().Messages().size(), messages + 1);
    form_->Text4->setText("0");   // the editor's "one task, no more": silently nothing
    form_->Generate();
    EXPECT_EQ(TestEnv::Dialogs().Messages().size(), messages + 1);
    EXPECT_EQ(form_->Grid1.Rows(), 2);
}

// Records, for each paint of a progress bar, how many rows the grid had
// then and the value the bar showed.
class PaintLog : public QObject {
public:
    struct Paint {
        int rows;
        int value;
    };
    PaintLog(QProgressBar* watched, const Grid& grid) : grid_(grid) { watched->installEventFilter(this); }
    std::vector<Paint> paints;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) paints.push_back({grid_.Rows(), static_cast<QProgressBar*>(o)->value()});
        return false;
    }

private:
    const Grid& grid_;
};

TEST_F(Form18Test, ALongRunPaintsItsProgressInStepsWhileItWorks) {
    AddTask("ID-1", QDate(2026, 3, 2));
    TaskCounter::WritePlain(1);
    SelectTask(1);
    ClickListItem("Generate");
    Form18* f = Forms::Loaded<Form18>();
    ASSERT_NE(f, nullptr);
    constexpr int kRun = 300;
    TypeInto(f->Combo1, "7");
    TypeInto(f->Combo2, QString::number(kRun));

    PaintLog bar(form_->Bar1, form_->Grid1);
    Click(f->Command1);
    Settle();
    const int done = 2 + kRun;   // header, the task and its occurrences
    ASSERT_EQ(form_->Grid1.Rows(), done);

    // The bar is painted at every hundredth of the run at least, however
    // fast or slow the machine: never more than three occurrences apart.
    std::vector<PaintLog::Paint> during;
    for (const auto& p : bar.paints)
        if (p.rows < done) during.push_back(p);
    ASSERT_GE(during.size(), 2u);
    EXPECT_LE(during.front().rows, 2 + 3);
    for (size_t i = 1; i < during.size(); ++i) {
        EXPECT_LE(during[i].rows - during[i - 1].rows, 3) << "after " << during[i - 1].rows << " rows";
        EXPECT_GE(during[i].value, during[i - 1].value);
    }
    EXPECT_GE(during.back().rows, done - 3);
    // The last task made is the active one, in view as it was made.
    form_->Grid1View->Sync();
    EXPECT_TRUE(form_->Grid1View->viewport()->rect().contains(TestUi::CellRect(form_->Grid1View, done - 1, Col::TaskId)));
    EXPECT_EQ(form_->StatusText(), "Done");
}

TEST_F(Form18Test, CommandsArrivingDuringARunWaitForIt) {
    AddTask("ID-1", QDate(2026, 3, 2));
    TaskCounter::WritePlain(1);
    form_->Grid1.SelectRange(1, 1, 1, 1);
    form_->MenuItem("mnuassigned")->trigger();
    form_->MenuItem("mnustart")->trigger();
    Form12* assign = Forms::Loaded<Form12>();
    Form14* start = Forms::Loaded<Form14>();
    ASSERT_TRUE(assign && start);
    assign->List1->addItem("Zoe");
    assign->List1->setCurrentRow(0);
    start->DatePicker1->setDate(QDate(2030, 1, 1));

    // Timers still run while the generator yields; what they start must not
    // reach the grid before the run is over.
    bool fired = false;
    QTimer::singleShot(0, form_, [&] {
        fired = true;
        EXPECT_TRUE(form_->Busy());
        form_->Generate();
        Click(assign->Command3);
        Click(start->Command1);
    });
    form_->Text3->setText("1");
    form_->Text4->setText("3");
    form_->Generate();
    EXPECT_TRUE(fired);
    EXPECT_EQ(form_->Grid1.Rows(), 5);
    for (int r = 1; r < 5; ++r) {
        EXPECT_EQ(form_->Grid1.Text(r, Col::AssignedTo), "Ann");
        EXPECT_NE(form_->Grid1.Text(r, Col::ScheduledStart), DateText::FormatDate(QDate(2030, 1, 1)));
    }
    // Once it is over, the same commands work.
    Click(assign->Command3);
    EXPECT_EQ(form_->Grid1.Text(4, Col::AssignedTo), "Zoe");
}

}  // namespace

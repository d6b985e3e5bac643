// The one-field editors of the active task, driven through their widgets.
#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <gtest/gtest.h>

#include "app/Form1.h"
#include "model/lists/ListFile.h"
#include "platform/DateText.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "support/MainWindow.h"
#include "support/Ui.h"
#include "support/ScriptedDialogs.h"
#include "ui/tasks/OneFieldEditors.h"

namespace {

using TestUi::Click;
using TestUi::Settle;

void ClickEntry(QListWidget* list, int index, bool twice = false) {
    const QRect r = list->visualItemRect(list->item(index));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

QStringList Entries(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

QString Day(int y, int m, int d) { return DateText::FormatDate(QDate(y, m, d)); }

class OneFieldEditorsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        db_ = NewDatabase();
        AddListEntries(ListSection::Equipment, {{"Chiller North", "255"}, {"Boiler 2", "65280"}});
        AddListEntries(ListSection::Employees, {{"Zoe", "16711680"}, {"Yann", "255"}});
        AddListEntries(ListSection::Types, {{"Lubrication", ""}, {"Calibration", ""}});
        AddTask("ID-1", QDate(2026, 3, 2), "Past Due");
        AddTask("ID-2", QDate(2026, 4, 6), "Ready");
        TestEnv::Dialogs().Reset();
    }
    void SelectTask(int row) {
        MainWindowTest::SelectTask(row);
        ASSERT_EQ(form_->Grid1.ActiveRow(), row);
    }
    // The database file as saved, to tell a save from none.
    Grid Saved() {
        Grid g;
        EXPECT_TRUE(g.LoadFile(db_));
        return g;
    }
    QStringList Row(const Grid& g, int row) {
        QStringList out;
        for (int c = 1; c < g.Cols(); ++c) out << g.Text(row, c);
        return out;
    }
    QString db_;
};

TEST_F(OneFieldEditorsTest, ListPickersWriteTheirColumnOfTheTaskActiveAtApply) {
    SelectTask(2);
    form_->Grid1.SetColumnWidth(Col::Equipment, 5);
    form_->MenuItem("mnudesc")->trigger();
    frme2* w = Forms::Loaded<frme2>();
    ASSERT_TRUE(w && w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Equipment");
    EXPECT_EQ(Entries(w->List1), (QStringList{"Chiller North", "Boiler 2"}));   // names only, file order
    QStringList expected = Row(form_->Grid1, 2);
    expected[Col::Equipment - 1] = "Boiler 2";
    ClickEntry(w->List1, 1);
    Click(w->Command3);
    Settle();
    EXPECT_EQ(Forms::Loaded<frme2>(), nullptr);   // the equipment picker closes
    EXPECT_EQ(Row(form_->Grid1, 2), expected);     // nothing else, the status least of all
    EXPECT_EQ(Row(Saved(), 2), expected);
    EXPECT_GT(form_->Grid1.ColumnWidth(Col::Equipment), 5);

    // The assignee stays open: one name for one task after another.
    SelectTask(1);
    form_->MenuItem("mnuassigned")->trigger();
    Form12* a = Forms::Loaded<Form12>();
    EXPECT_EQ(a->windowTitle(), "Assign To");
    EXPECT_EQ(Entries(a->List1), (QStringList{"Zoe", "Yann"}));
    ClickEntry(a->List1, 1);
    Click(a->Command3);
    SelectTask(2);
    Click(a->Command3);
    EXPECT_EQ(form_->Grid1.Text(1, Col::AssignedTo), "Yann");
    EXPECT_EQ(Saved().Text(2, Col::AssignedTo), "Yann");

    // A double click on a type applies it at once.
    form_->MenuItem("mnutype")->trigger();
    Form16* t = Forms::Loaded<Form16>();
    EXPECT_EQ(t->windowTitle(), "Type");
    ClickEntry(t->List1, 1, true);
    Settle();
    EXPECT_EQ(Saved().Text(2, Col::Type), "Calibration");
    EXPECT_EQ(Forms::Loaded<Form12>(), a);
    EXPECT_EQ(Forms::Loaded<Form16>(), t);
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(OneFieldEditorsTest, ApplyWithoutAChoiceSavesAndTheListIsReadOncePerOpening) {
    SelectTask(1);
    form_->MenuItem("mnudesc")->trigger();
    frme2* w = Forms::Loaded<frme2>();
    AddListEntries(ListSection::Equipment, {{"Fire Pump", "0"}});
    form_->MenuItem("mnudesc")->trigger();
    EXPECT_EQ(Forms::Loaded<frme2>(), w);
    EXPECT_EQ(w->List1->count(), 2);

    form_->Grid1.SetText(1, Col::Type, "changed in memory");
    Click(w->Command3);
    Settle();
    EXPECT_EQ(Forms::Loaded<frme2>(), nullptr);
    EXPECT_EQ(Saved().Text(1, Col::Type), "changed in memory");
    EXPECT_EQ(form_->Grid1.Text(1, Col::Equipment), "Boiler 1");
    form_->MenuItem("mnudesc")->trigger();
    EXPECT_EQ(Forms::Loaded<frme2>()->List1->count(), 3);
}

TEST_F(OneFieldEditorsTest, HeaderRowActiveWritesAndSavesNothing) {
    form_->MenuItem("mnudesc")->trigger();
    form_->MenuItem("mnurequest")->trigger();
    form_->Grid1.SelectRange(0, 1, 0, 1);
    QFile::remove(db_);
    frme2* w = Forms::Loaded<frme2>();
    ClickEntry(w->List1, 0);
    Click(w->Command3);
    Click(Forms::Loaded<Form13>()->Command1);
    Settle();
    EXPECT_EQ(form_->Grid1.Text(0, Col::Equipment), "Equipment");
    EXPECT_EQ(form_->Grid1.Text(0, Col::RequestDate), "Request Date");
    EXPECT_FALSE(QFile::exists(db_));
    EXPECT_EQ(Forms::Loaded<frme2>(), w);   // still there to try again on a task
}

TEST_F(OneFieldEditorsTest, DateEditorsWriteDateAndTimeButNeverTheStatus) {
    SelectTask(1);   // "Past Due"
    form_->MenuItem("mnurequest")->trigger();
    Form13* q = Forms::Loaded<Form13>();
    EXPECT_EQ(q->DatePicker1->date(), QDate(2026, 2, 27));   // opens on the task's own date
    QStringList expected = Row(form_->Grid1, 1);
    q->DatePicker1->setDateTime(QDateTime(QDate(2026, 1, 16), QTime(14, 5), Qt::UTC));
    Click(q->Command1);
    expected[Col::RequestDate - 1] = Day(2026, 1, 16) + " 14:05:00";
    EXPECT_EQ(Row(Saved(), 1), expected);   // its column only

    form_->MenuItem("mnustart")->trigger();
    Form14* s = Forms::Loaded<Form14>();
    EXPECT_EQ(s->Label1->text(), "Scheduled Start Date");
    EXPECT_EQ(s->Label2->text(), "Scheduled Start Time");
    EXPECT_EQ(s->DatePicker2->time(), QTime(8, 0));
    s->DatePicker1->setDate(QDate::currentDate().addDays(30));
    form_->Grid1.SetText(1, Col::StartTime, "typed over");
    Click(s->Command1);   // only the date changed: both columns are written
    EXPECT_EQ(form_->Grid1.Text(1, Col::ScheduledStart), DateText::FormatDate(QDate::currentDate().addDays(30)));
    EXPECT_EQ(form_->Grid1.Text(1, Col::StartTime), "08:00:00");
    EXPECT_EQ(form_->Grid1.Text(1, Col::Status), "Past Due");

    SelectTask(2);
    form_->MenuItem("mnuebd")->trigger();
    Form15* e = Forms::Loaded<Form15>();
    EXPECT_EQ(e->windowTitle(), "Scheduled End");
    EXPECT_EQ(e->DatePicker1->date(), QDate(2026, 4, 7));
    e->DatePicker1->setDate(QDate(2020, 1, 1));
    e->DatePicker2->setTime(QTime(17, 30, 10));
    Click(e->Command1);
    const Grid saved = Saved();
    EXPECT_EQ(saved.Text(2, Col::ScheduledEnd), Day(2020, 1, 1));
    EXPECT_EQ(saved.Text(2, Col::EndTime), "17:30:10");
    EXPECT_EQ(saved.Text(2, Col::Status), "Ready");   // no past-due marking here
    EXPECT_EQ(Forms::Loaded<Form15>(), e);
}

TEST_F(OneFieldEditorsTest, EditorsOpenWithoutTasksAndPickersOnToday) {
    form_->Grid1.SetText(2, Col::EndTime, "soon");
    form_->Grid1.SetText(2, Col::ScheduledEnd, "");
    SelectTask(2);
    form_->MenuItem("mnuebd")->trigger();
    Form15* e = Forms::Loaded<Form15>();
    EXPECT_EQ(e->DatePicker1->date(), QDate::currentDate());
    const int apart = qAbs(e->DatePicker2->time().secsTo(QTime::currentTime()));
    EXPECT_LE(std::min(apart, 86400 - apart), 120);   // now, give or take, also around midnight

    Stop();
    Start();   // no database, no task row
    for (const char* item : {"mnutype", "mnuassigned", "mnurequest", "mnustart", "mnudesc"})
        form_->MenuItem(item)->trigger();
    EXPECT_TRUE(Forms::Loaded<Form16>()->isVisible());
    EXPECT_EQ(Forms::Loaded<Form12>()->List1->count(), 0);
    EXPECT_EQ(Forms::Loaded<Form14>()->DatePicker1->date(), QDate::currentDate());
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

}  // namespace

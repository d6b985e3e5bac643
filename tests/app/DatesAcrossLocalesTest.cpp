// A database written on a desktop of one language and used on a desktop of
// another: every reader of its dates (date window, past-due marking, sort,
// recurrence, chart, alert check, the main window and the editor) sees the
// days and times that were written, in the form of the desktop it runs on.
// (Prints and exports copy the cells' texts.)
#include <QDateEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "model/alerts/AlertCheck.h"
#include "widgets/Forms.h"
#include "model/database/DatabaseLocation.h"
#include "model/database/DateWindow.h"
#include "model/database/PastDue.h"
#include "model/database/TaskDatabase.h"
#include "model/lists/ListFile.h"
#include "platform/DateText.h"
#include "widgets/GanttChart.h"
#include "platform/GridFile.h"
#include "widgets/GridView.h"
#include "platform/Registry.h"
#include "model/schedule/ResourceChart.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/Ui.h"
#include "ui/tasks/Form6.h"
#include "model/tasks/Recurrence.h"

namespace {

// The tasks every test writes: a weekly task (3 April 2027, whose day and
// month read either way round, and two occurrences), a task with its time of
// day in the start cell, and one long past.
struct Task {
    QDateTime start;
    QDate end;
};
const std::map<QString, Task> kTasks = {
    {"ID-1", {QDateTime(QDate(2027, 4, 3), QTime(0, 0)), QDate(2027, 4, 4)}},
    {"ID-2", {QDateTime(QDate(2027, 4, 10), QTime(0, 0)), QDate(2027, 4, 11)}},
    {"ID-3", {QDateTime(QDate(2027, 4, 17), QTime(0, 0)), QDate(2027, 4, 18)}},
    {"ID-4", {QDateTime(QDate(2027, 4, 12), QTime(14, 30)), QDate(2027, 4, 13)}},
    {"ID-5", {QDateTime(QDate(2027, 2, 1), QTime(0, 0)), QDate(2027, 2, 2)}},
};
const QDate kRequested(2027, 3, 28);

// Appends a task as the editor writes one.
void AppendTask(Grid& g, const QString& id, const Task& task) {
    g.AddItem(QStringList{id, "Boiler", DateText::FormatDate(kRequested), DateText::FormatGeneral(task.start),
                          DateText::FormatTime(QTime(8, 15)), DateText::FormatDate(task.end),
                          DateText::FormatTime(QTime(16, 45, 30)), "Ann", "Bob", "Inspection", "7", "", "Ready"}
                  .join('\t'));
}

// Writes the database under the current locale: ID-1 by the editor, its two
// weekly occurrences by the recurrence, then ID-4 and ID-5.
void WriteDatabase(const QString& path) {
    TaskDatabase db;
    ASSERT_TRUE(db.Create(path));
    Grid& g = db.Tasks();
    AppendTask(g, "ID-1", kTasks.at("ID-1"));
    g.SetActiveCell(1, Col::TaskId);
    ASSERT_EQ(Recurrence::Run(db, 2, 7).made, 2);
    ASSERT_EQ(g.Text(3, Col::TaskId), "ID-3");
    AppendTask(g, "ID-4", kTasks.at("ID-4"));
    AppendTask(g, "ID-5", kTasks.at("ID-5"));
    ASSERT_TRUE(db.Save());
}

QStringList Ids(const Grid& g, const std::function<bool(int row)>& which) {
    QStringList out;
    for (int r = 1; r < g.Rows(); ++r)
        if (which(r)) out << g.Text(r, Col::TaskId);
    return out;
}

class DatesAcrossLocales : public QuillonTest {
protected:
    // What every reader makes of the database under the current locale.
    void CheckEveryReader(const Grid& g) {
        ASSERT_EQ(g.Rows(), 6);
        for (int r = 1; r < g.Rows(); ++r) {
            const Task& t = kTasks.at(g.Text(r, Col::TaskId));
            SCOPED_TRACE(g.Text(r, Col::TaskId).toStdString());
            // What the grid, the status views and the editor show.
            EXPECT_EQ(g.Text(r, Col::RequestDate), DateText::FormatDate(kRequested));
            EXPECT_EQ(g.Text(r, Col::ScheduledStart), DateText::FormatGeneral(t.start));
            EXPECT_EQ(g.Text(r, Col::ScheduledEnd), DateText::FormatDate(t.end));
            EXPECT_EQ(g.Text(r, Col::StartTime), "08:15:00");
            EXPECT_EQ(g.Text(r, Col::EndTime), "16:45:30");
        }
        Grid window = g;
        DateWindow::Apply(window, QDate(2027, 4, 4), 10);
        EXPECT_EQ(Ids(window, [&](int r) { return window.RowShown(r); }), QStringList({"ID-2", "ID-4"}));

        Grid due = g;
        PastDue::Mark(due, QDate(2027, 4, 11), {});
        EXPECT_EQ(Ids(due, [&](int r) { return due.Text(r, Col::Status) == "Past Due"; }),
                  QStringList({"ID-1", "ID-2", "ID-5"}));

        Grid sorted = g;
        sorted.Sort(Col::ScheduledStart, 0);
        EXPECT_EQ(Ids(sorted, [](int) { return true; }), QStringList({"ID-5", "ID-1", "ID-2", "ID-4", "ID-3"}));

        TaskDatabase scratch;
        ASSERT_TRUE(scratch.Create(temp_ + "/repeated.vkt"));
        Grid& repeated = scratch.Tasks();
        repeated = g;
        repeated.SetActiveCell(4, Col::TaskId);
        ASSERT_EQ(Recurrence::Run(scratch, 1, 7).made, 1);
        EXPECT_EQ(repeated.Text(6, Col::ScheduledStart),
                  DateText::FormatGeneral(QDateTime(QDate(2027, 4, 19), QTime(14, 30))));

        const QString list = temp_ + "/chart.ini";
        ListFile(list).Add("Employees", "Ann", "255");
        GanttModel chart;
        ResourceChart::Build(chart, g, list, ResourceChart::Listing::ByEmployee, QDate(2027, 4, 1));
        std::set<std::pair<GanttModel::Time, GanttModel::Time>> bars, expected;
        for (const auto& b : chart.RowAt(0).bars) bars.emplace(b.start, b.stop);
        for (const auto& [id, t] : kTasks) expected.emplace(GanttModel::ToTime(t.start), GanttModel::ToTime(t.end));
        EXPECT_EQ(bars, expected);

        Grid alerted = g;
        Alerts::MarkDue(alerted, "2", QDate(2027, 4, 10));
        EXPECT_EQ(Ids(alerted, [&](int r) { return alerted.Text(r, Col::Status) == "Alert"; }), QStringList({"ID-4"}));
    }
};

TEST_F(DatesAcrossLocales, EveryReaderSeesTheDaysWrittenWhateverTheTwoLocales) {
    const QStringList locales = {"de_DE", "en_US", "en_GB", "fr_FR", "ja_JP"};
    for (const QString& writer : locales) {
        for (const QString& reader : locales) {
            SCOPED_TRACE((writer + " -> " + reader).toStdString());
            const QString path = temp_ + "/" + writer + "-" + reader + ".vkt";
            TestEnv::UseLocale(writer);
            TestEnv::ClearRegistry();   // the task counter starts afresh
            WriteDatabase(path);
            TestEnv::UseLocale(reader);
            TaskDatabase db;
            ASSERT_TRUE(db.Open(path));
            EXPECT_EQ(db.DateNotice(), "");
            CheckEveryReader(db.Tasks());
        }
    }
}

using DatesAcrossLocalesWindow = MainWindowTest;

// The main window under en_US over a database a de_DE desktop wrote: the
// stored window, the chart, and a task edited and saved.
TEST_F(DatesAcrossLocalesWindow, ADatabaseFromAGermanDesktopIsUsedOnAnAmericanOne) {
    // The default database, with its window of days (From 4 April 2027,
    // 10 days) and Ann on the chart.
    const QString path = temp_ + "/plant.vkt";
    TestEnv::UseLocale("de_DE");
    WriteDatabase(path);
    Settings::Set("Dates", "From", DateText::FormatSettingDate(QDate(2027, 4, 4)));
    Settings::Set("Dates", "To", "10");
    Settings::Set("Settings", "Default", path);
    ListFile(temp_ + "/plant.ini").Add("Employees", "Ann", "255");
    TestEnv::UseLocale("en_US");
    Start();
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty()) << TestEnv::Dialogs().LastMessage().toStdString();
    EXPECT_EQ(form_->DatePicker1->date(), QDate(2027, 4, 4));
    // Task ID and Scheduled Start of each row the task grid shows.
    QStringList shown;
    form_->Grid1View->Sync();
    for (int i = 0; i < form_->Grid1View->model()->rowCount(); ++i)
        shown << form_->Grid1View->model()->index(i, Col::TaskId).data().toString() + " " +
                     form_->Grid1View->model()->index(i, Col::ScheduledStart).data().toString();
    EXPECT_EQ(shown, QStringList({"ID-2 4/10/2027", "ID-4 4/12/2027 14:30:00"}));
    QStringList bars;
    for (const auto& b : form_->phGantX1->RowAt(0).bars) bars << GanttModel::FromTime(b.start).toString(Qt::ISODate);
    EXPECT_EQ(bars, QStringList({"2027-04-10T00:00:00", "2027-04-12T14:30:00"}));

    // Edited and saved: the file now holds the American forms and still the
    // same days.
    SelectTask(2);
    ClickListItem("Edit");
    TestUi::Settle();
    Form6* editor = Forms::Loaded<Form6>();
    ASSERT_NE(editor, nullptr);
    TestUi::ClickSettled(editor->Command3);
    const QByteArray saved = TestUi::FileBytes(path);
    EXPECT_TRUE(saved.startsWith("QUILLON-GRID 1 dates=M/d/yyyy times=HH:mm:ss\n")) << saved.left(60).toStdString();
    for (const char* cell : {"\tID-1\tBoiler\t3/28/2027\t4/3/2027\t08:15:00\t4/4/2027\t16:45:30\t",
                             "\tID-4\tBoiler\t3/28/2027\t4/12/2027 14:30:00\t"})
        EXPECT_TRUE(saved.contains(cell)) << cell;
}

TEST_F(DatesAcrossLocalesWindow, AnOlderFileWhoseDatesShowAnotherOrderIsSaidOnceAtOpen) {
    TestEnv::UseLocale("de_DE");   // as an older Quillon on a de_DE desktop left it: no forms recorded
    Grid old;
    TaskDatabase::SetHeaders(old);
    AppendTask(old, "ID-3", kTasks.at("ID-3"));
    ASSERT_TRUE(GridFile::Save(old, temp_ + "/old.vkt"));
    DatabaseLocation::EnsureCompanion(temp_ + "/", "old");
    TestEnv::UseLocale("en_US");
    Start();
    TestEnv::Dialogs().AnswerOpen(temp_ + "/old.vkt");
    form_->mnuopend_Click();
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("They were read day first"));
}

}  // namespace

// Status views, View All, Match Only Selected, alert clearing and the
// past-due pass over a task grid.
#include <QDate>
#include <gtest/gtest.h>

#include "model/database/PastDue.h"
#include "model/database/TaskViews.h"
#include "platform/DateText.h"
#include "platform/Grid.h"
#include "platform/Registry.h"
#include "support/TestEnv.h"

namespace {

class TaskViewsTest : public QuillonTest {};

// A task grid with the 14 columns and header of the database.
Grid TaskGrid() {
    Grid g(1, 14);
    const char* headers[] = {"", "Task ID", "Equipment", "Request Date", "Scheduled Start",
                             "Start Time", "Scheduled End", "End Time", "Assigned To",
                             "Requested By", "Type", "Frequency (Days)", "", "Status"};
    for (int c = 0; c < 14; ++c) g.SetText(0, c, headers[c]);
    return g;
}

int AddTask(Grid& g, const QString& id, const QString& status, const QString& equipment = "Pump",
            const QString& start = DateText::FormatDate(QDate(2030, 1, 1))) {
    g.SetRows(g.Rows() + 1);
    const int r = g.Rows() - 1;
    g.SetText(r, 1, id);
    g.SetText(r, 2, equipment);
    g.SetText(r, 4, start);
    g.SetText(r, 13, status);
    return r;
}

std::vector<int> Shown(const Grid& g) {
    std::vector<int> rows;
    for (int r = 1; r < g.Rows(); ++r)
        if (g.RowHeight(r) == Grid::kShownRowHeight) rows.push_back(r);
        else EXPECT_EQ(g.RowHeight(r), 0) << "row " << r;
    return rows;
}

TEST_F(TaskViewsTest, StatusViewShowsExactMatchesOnlyWhateverWasHidden) {
    Grid g = TaskGrid();
    const int ready = AddTask(g, "ID-1", "Ready");
    AddTask(g, "ID-2", "Ready ");
    AddTask(g, "ID-3", "ready");
    AddTask(g, "ID-4", "In Progress");
    const int readyOutsideWindow = AddTask(g, "ID-5", "Ready");
    g.SetRowHeight(readyOutsideWindow, 0);   // hidden by the date window

    EXPECT_EQ(TaskViews::ShowStatus(g, "Ready"), 2);
    EXPECT_EQ(Shown(g), (std::vector<int>{ready, readyOutsideWindow}));
    EXPECT_EQ(g.RowHeight(0), Grid::kShownRowHeight);
    EXPECT_EQ(g.Text(0, 13), "Status");

    // A status no row has hides every task row.
    EXPECT_EQ(TaskViews::ShowStatus(g, "Canceled"), 0);
    EXPECT_TRUE(Shown(g).empty());

    // View All brings back the texts no status view matches.
    EXPECT_EQ(TaskViews::ShowAll(g), 5);
    EXPECT_EQ(Shown(g).size(), 5u);
}

TEST_F(TaskViewsTest, MatchSelectedNarrowsThePresentViewAndNeverShowsARow) {
    Grid g = TaskGrid();
    const int a = AddTask(g, "ID-1", "Ready", "Boiler");
    AddTask(g, "ID-2", "Ready", "Pump");
    const int hiddenBoiler = AddTask(g, "ID-3", "Complete", "Boiler");
    const int c = AddTask(g, "ID-4", "Ready", "Boiler");
    TaskViews::ShowStatus(g, "Ready");
    ASSERT_EQ(g.RowHeight(hiddenBoiler), 0);

    g.SetActiveCell(a, 2);
    EXPECT_EQ(TaskViews::MatchSelected(g), 1);
    EXPECT_EQ(Shown(g), (std::vector<int>{a, c}));

    // An empty selected cell keeps the shown rows whose cell is empty.
    Grid e = TaskGrid();
    const int e1 = AddTask(e, "ID-1", "Ready", "");
    AddTask(e, "ID-2", "Ready", "Pump");
    const int e3 = AddTask(e, "ID-3", "Ready", "");
    e.SetActiveCell(e3, 2);
    TaskViews::MatchSelected(e);
    EXPECT_EQ(Shown(e), (std::vector<int>{e1, e3}));
}

TEST_F(TaskViewsTest, ClearAlertsTurnsOnlyExactAlertsIntoReady) {
    Grid g = TaskGrid();
    AddTask(g, "ID-1", "Alert");
    AddTask(g, "ID-2", "alert");
    AddTask(g, "ID-3", "Past Due");
    AddTask(g, "ID-4", "Alert", "Pump", DateText::FormatDate(QDate::currentDate().addDays(-3)));
    EXPECT_EQ(TaskViews::ClearAlerts(g), 2);
    EXPECT_EQ(g.Text(1, 13), "Ready");
    EXPECT_EQ(g.Text(2, 13), "alert");
    EXPECT_EQ(g.Text(3, 13), "Past Due");
    EXPECT_EQ(g.Text(4, 13), "Ready");   // not promoted to "Past Due" here
}

TEST_F(TaskViewsTest, HeaderOnlyGridPassesChangeNothing) {
    Grid g = TaskGrid();
    EXPECT_EQ(TaskViews::ShowStatus(g, "Ready"), 0);
    EXPECT_EQ(TaskViews::ShowAll(g), 0);
    EXPECT_EQ(TaskViews::ClearAlerts(g), 0);
    EXPECT_EQ(PastDue::Mark(g, QDate::currentDate(), {}).marked, 0);
    EXPECT_EQ(g.Rows(), 1);
    EXPECT_EQ(g.Text(0, 13), "Status");
    EXPECT_FALSE(g.HasCustomStyle());
}

TEST_F(TaskViewsTest, PassesSendOneViewUpdateAndReportProgressSparingly) {
    Grid g = TaskGrid();
    for (int i = 1; i <= 10000; ++i) AddTask(g, QStringLiteral("ID-%1").arg(i), i % 2 ? "Ready" : "Complete");
    int resets = 0, others = 0;
    g.AddObserver([&](Grid::Change c, int, int) { (c == Grid::Change::Reset ? resets : others)++; });
    std::vector<int> reported;
    TaskViews::ShowStatus(g, "Ready", [&](int row) { reported.push_back(row); });
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(others, 0);
    EXPECT_LE(reported.size(), 4u);
    EXPECT_EQ(reported.back(), 10000);
    EXPECT_TRUE(g.Redraw());
}

// ---- past due ----

class PastDueTest : public QuillonTest {};

constexpr uint32_t kBack = 0x0000FF;   // red
constexpr uint32_t kFore = 0xFFFF00;   // cyan

void ExpectRowColours(const Grid& g, int r, uint32_t back, uint32_t fore) {
    for (int c = 1; c < g.Cols(); ++c) {
        EXPECT_EQ(g.BackColor(r, c), back) << "row " << r << " col " << c;
        EXPECT_EQ(g.ForeColor(r, c), fore) << "row " << r << " col " << c;
    }
    EXPECT_EQ(g.BackColor(r, 0), Grid::kWhite);
}

TEST_F(PastDueTest, ReadyTaskThatStartedYesterdayBecomesPastDueAndIsColoured) {
    const QDate today(2026, 3, 10);
    Grid g = TaskGrid();
    const int yesterday = AddTask(g, "ID-1", "Ready", "Pump", DateText::FormatDate(today.addDays(-1)));
    const int todayLate = AddTask(g, "ID-2", "Ready", "Pump",
                                  DateText::FormatGeneral(QDateTime(today, QTime(23, 59, 59))));
    const int tomorrow = AddTask(g, "ID-3", "Ready", "Pump", DateText::FormatDate(today.addDays(1)));
    const int empty = AddTask(g, "ID-4", "Ready", "Pump", "");
    const int garbage = AddTask(g, "ID-5", "Ready", "Pump", "soon");
    const int yesterdayWithTime = AddTask(g, "ID-6", "Ready", "Pump",
                                          DateText::FormatGeneral(QDateTime(today.addDays(-1), QTime(23, 0))));

    const PastDue::Result res = PastDue::Mark(g, today, {kBack, kFore});
    EXPECT_EQ(res.marked, 2);
    EXPECT_EQ(res.pastDue, 2);
    EXPECT_EQ(g.Text(yesterday, 13), "Past Due");
    EXPECT_EQ(g.Text(yesterdayWithTime, 13), "Past Due");
    ExpectRowColours(g, yesterday, kBack, kFore);
    for (int r : {todayLate, tomorrow, empty, garbage}) {
        EXPECT_EQ(g.Text(r, 13), "Ready") << r;
        ExpectRowColours(g, r, Grid::kWhite, Grid::kBlack);
    }
}

TEST_F(PastDueTest, OnlyReadyIsPromotedAndOnlyPastDueIsColoured) {
    const QDate today(2026, 3, 10);
    const QString past = DateText::FormatDate(today.addDays(-30));
    Grid g = TaskGrid();
    for (const char* s : {"In Progress", "On Hold", "Complete", "Canceled", "Alert", "Ready "})
        AddTask(g, "ID-x", s, "Pump", past);
    const int future = AddTask(g, "ID-9", "Past Due", "Pump", DateText::FormatDate(today.addDays(5)));
    PastDue::Mark(g, today, {kBack, kFore});
    for (int r = 1; r < future; ++r) {
        EXPECT_NE(g.Text(r, 13), "Past Due") << r;
        ExpectRowColours(g, r, Grid::kWhite, Grid::kBlack);
    }
    EXPECT_EQ(g.Text(future, 13), "Past Due");
    ExpectRowColours(g, future, kBack, kFore);

    // Given another status, the row is painted black on white by the next pass.
    g.SetText(future, 13, "Complete");
    PastDue::Mark(g, today, {kBack, kFore});
    ExpectRowColours(g, future, Grid::kWhite, Grid::kBlack);
}

TEST_F(PastDueTest, MissingColoursLeaveTheCellsAsTheyWere) {
    Grid g = TaskGrid();
    const int r = AddTask(g, "ID-1", "Past Due");
    for (int c = 1; c < 14; ++c) g.SetBackColor(r, c, 0x123456);
    PastDue::Mark(g, QDate(2026, 1, 1), PastDue::ReadColours());
    EXPECT_EQ(g.BackColor(r, 5), 0x123456u);
    EXPECT_EQ(g.ForeColor(r, 5), Grid::kBlack);

    // The colours come from the registry; a text that is no number is skipped.
    Settings::Set("Colors", "PastDue", "255");
    Settings::Set("Colors", "ForeDue", "white");
    const PastDue::Colours colours = PastDue::ReadColours();
    ASSERT_TRUE(colours.back.has_value());
    EXPECT_EQ(*colours.back, 255u);
    EXPECT_FALSE(colours.fore.has_value());
    PastDue::Mark(g, QDate(2026, 1, 1), colours);
    EXPECT_EQ(g.BackColor(r, 13), 255u);
    EXPECT_EQ(g.ForeColor(r, 13), Grid::kBlack);
}

}  // namespace

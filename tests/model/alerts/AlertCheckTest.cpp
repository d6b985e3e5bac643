// The alert check over a task grid, the choice of notification, the alert
// time as stored, and the clock that decides when the check runs.
#include <QDate>
#include <QDateTime>
#include <gtest/gtest.h>

#include "model/alerts/AlertCheck.h"
#include "model/database/TaskViews.h"
#include "platform/DateText.h"
#include "platform/Registry.h"
#include "support/TestEnv.h"

namespace {

const QDate kToday(2026, 3, 10);

// A task grid whose rows start on the given days (with the given statuses).
Grid Tasks(const std::vector<std::pair<QString, QString>>& rows) {
    Grid g(1, 14);
    g.SetText(0, 4, "Scheduled Start");
    g.SetText(0, 13, "Status");
    for (const auto& [start, status] : rows) {
        g.SetRows(g.Rows() + 1);
        const int r = g.Rows() - 1;
        g.SetText(r, 1, QStringLiteral("ID-%1").arg(r));
        g.SetText(r, 4, start);
        g.SetText(r, 13, status);
        g.SetRowHeight(r, Grid::kShownRowHeight);
    }
    return g;
}

QString Day(int offset) { return DateText::FormatDate(kToday.addDays(offset)); }

QStringList Statuses(const Grid& g) {
    QStringList out;
    for (int r = 1; r < g.Rows(); ++r) out << g.Text(r, 13);
    return out;
}

class AlertCheck : public QuillonTest {};

TEST_F(AlertCheck, DaysAheadCountWholeCalendarDaysAndMatchOnlyAsPlainText) {
    const auto grid = [] {
        return Tasks({{Day(-1), "Ready"}, {Day(0), "Ready"}, {Day(1), "In Progress"}, {Day(2), "On Hold"},
                      {Day(2) + " 23:30:00", "Past Due"}});
    };
    struct Case { QString days; QStringList expected; int marked; };
    const std::vector<Case> cases{
        {"0", {"Ready", "Alert", "In Progress", "On Hold", "Past Due"}, 1},
        {"1", {"Ready", "Ready", "Alert", "On Hold", "Past Due"}, 1},
        {"-1", {"Alert", "Ready", "In Progress", "On Hold", "Past Due"}, 1},
        {"2", {"Ready", "Ready", "In Progress", "Alert", "Alert"}, 2},
        {"02", {"Ready", "Ready", "In Progress", "On Hold", "Past Due"}, 0},
        {" 2", {"Ready", "Ready", "In Progress", "On Hold", "Past Due"}, 0},
        {"2 ", {"Ready", "Ready", "In Progress", "On Hold", "Past Due"}, 0},
        {"+2", {"Ready", "Ready", "In Progress", "On Hold", "Past Due"}, 0},
        {"2.0", {"Ready", "Ready", "In Progress", "On Hold", "Past Due"}, 0},
        {"", {"Ready", "Ready", "In Progress", "On Hold", "Past Due"}, 0},
        {"99999999999", {"Ready", "Ready", "In Progress", "On Hold", "Past Due"}, 0},
    };
    for (const Case& c : cases) {
        Grid g = grid();
        EXPECT_EQ(Alerts::MarkDue(g, c.days, kToday), c.marked) << c.days.toStdString();
        EXPECT_EQ(Statuses(g), c.expected) << c.days.toStdString();
    }
}

TEST_F(AlertCheck, ATaskJustAfterMidnightIsOneDayAheadLateTheEveningBefore) {
    // Examined at 23:59 today: a task at 00:05 tomorrow is a day ahead.
    const QDateTime now(kToday, QTime(23, 59));
    Grid g = Tasks({{Day(1), "Ready"}});
    g.SetText(1, 5, "00:05:00");
    EXPECT_EQ(Alerts::MarkDue(g, "0", now.date()), 0);
    EXPECT_EQ(Alerts::MarkDue(g, "1", now.date()), 1);
    EXPECT_EQ(g.Text(1, 13), "Alert");
}

TEST_F(AlertCheck, HiddenRowsCountButFinishedTasksAndRowsWithoutADateAreLeftAlone) {
    Grid g = Tasks({{Day(3), "Ready"}, {Day(3), "Complete"}, {Day(3), "Canceled"}, {Day(3), "Alert"},
                    {"", "Ready"}, {"someday", "Ready"}, {Day(3), "Ready"}});
    g.SetRowHeight(1, 0);
    g.SetRowHeight(7, 0);
    EXPECT_EQ(Alerts::MarkDue(g, "3", kToday), 3);
    EXPECT_EQ(Statuses(g), (QStringList{"Alert", "Complete", "Canceled", "Alert", "Ready", "Ready", "Alert"}));
    // Heights are the filter's business, not the check's.
    EXPECT_EQ(g.RowHeight(1), 0);
    EXPECT_EQ(g.RowHeight(2), Grid::kShownRowHeight);

    // Clearing the alerts afterwards must not turn finished work into "Ready".
    TaskViews::ClearAlerts(g);
    EXPECT_EQ(Statuses(g), (QStringList{"Ready", "Complete", "Canceled", "Ready", "Ready", "Ready", "Ready"}));

    Grid empty = Tasks({});
    EXPECT_EQ(Alerts::MarkDue(empty, "0", kToday), 0);
    EXPECT_EQ(empty.Rows(), 1);
}

TEST_F(AlertCheck, TheNotifierWinsOverMailAndOnlyAnExactTrueCounts) {
    using Alerts::Notice;
    EXPECT_EQ(Alerts::ChooseNotice(true, {"1", "True", "True"}), Notice::Tray);
    EXPECT_EQ(Alerts::ChooseNotice(true, {"1", "True", "False"}), Notice::Tray);
    EXPECT_EQ(Alerts::ChooseNotice(true, {"1", "False", "True"}), Notice::Mail);
    EXPECT_EQ(Alerts::ChooseNotice(true, {"1", "true", "TRUE"}), Notice::None);
    EXPECT_EQ(Alerts::ChooseNotice(true, {"1", "", ""}), Notice::None);
    EXPECT_EQ(Alerts::ChooseNotice(false, {"1", "True", "True"}), Notice::None);
}

TEST_F(AlertCheck, AlertTimesReadInTheStoredAndOlderForms) {
    EXPECT_EQ(Alerts::FormatAlertTime(QTime(7, 30, 15)), "07:30:15");
    EXPECT_EQ(Alerts::ParseAlertTime("07:30:15"), QTime(7, 30, 15));
    EXPECT_EQ(Alerts::ParseAlertTime("7:30:15 AM"), QTime(7, 30, 15));
    EXPECT_EQ(Alerts::ParseAlertTime("7:30:15 PM"), QTime(19, 30, 15));
    // Qt's long time format carries the zone.
    EXPECT_EQ(Alerts::ParseAlertTime("7:30:15 PM Central European Standard Time"), QTime(19, 30, 15));
    EXPECT_EQ(Alerts::ParseAlertTime("19:30:15 UTC"), QTime(19, 30, 15));
    EXPECT_EQ(Alerts::ParseAlertTime(QLocale().toString(QTime(6, 5, 4), QLocale::LongFormat)), QTime(6, 5, 4));
    for (const QString& bad : QStringList{"", "  ", "soon", "25:00:00", "7:61:00", "1234"})
        EXPECT_FALSE(Alerts::ParseAlertTime(bad)) << bad.toStdString();
}

TEST_F(AlertCheck, TheSwitchIsOnOnlyForTheNumberOne) {
    EXPECT_TRUE(Alerts::SwitchOn("1"));
    EXPECT_TRUE(Alerts::SwitchOn(" 1 "));
    for (const QString& off : QStringList{"0", "", "2", "x", "11"}) EXPECT_FALSE(Alerts::SwitchOn(off)) << off.toStdString();
}

// ---------------------------------------------------------------- the clock

QDateTime At(int day, int h, int m, int s, int ms = 0) { return QDateTime(kToday.addDays(day), QTime(h, m, s, ms)); }

TEST_F(AlertCheck, TheClockFiresOnceWhenItPassesTheAlertTimeAndOnceADay) {
    const QTime at(7, 30, 15);
    Alerts::AlertClock clock;
    EXPECT_FALSE(clock.Due(At(0, 7, 29, 0), at));        // the timer starts before
    EXPECT_FALSE(clock.Due(At(0, 7, 30, 14, 940), at));
    EXPECT_TRUE(clock.Due(At(0, 7, 30, 15, 10), at));     // the alert second
    for (int ms = 70; ms < 1000; ms += 60)                 // the other ticks of that second
        EXPECT_FALSE(clock.Due(At(0, 7, 30, 15, ms), at)) << ms;
    EXPECT_FALSE(clock.Due(At(0, 7, 30, 16), at));
    EXPECT_FALSE(clock.Due(At(0, 23, 59, 59), at));
    EXPECT_FALSE(clock.Due(At(1, 0, 0, 1), at));
    EXPECT_FALSE(clock.Due(At(1, 7, 30, 14, 990), at));
    EXPECT_TRUE(clock.Due(At(1, 7, 30, 15, 50), at));     // the next day
    EXPECT_FALSE(clock.Due(At(1, 7, 30, 15, 110), at));
}

TEST_F(AlertCheck, ALateTickStillFiresButTheClockSetBackDoesNotFireTwice) {
    const QTime at(7, 30, 15);
    Alerts::AlertClock clock;
    EXPECT_FALSE(clock.Due(At(0, 7, 30, 14, 900), at));
    // The machine slept (or was busy) through the alert second.
    EXPECT_TRUE(clock.Due(At(0, 9, 2, 0), at));
    EXPECT_FALSE(clock.Due(At(0, 9, 2, 0, 60), at));
    // Set back across the alert time: today's check has run already.
    EXPECT_FALSE(clock.Due(At(0, 7, 0, 0), at));
    EXPECT_FALSE(clock.Due(At(0, 7, 30, 15, 30), at));
    // Asleep over three alert times: one check, not three.
    EXPECT_TRUE(clock.Due(At(3, 12, 0, 0), at));
    EXPECT_FALSE(clock.Due(At(3, 12, 0, 0, 60), at));
}

TEST_F(AlertCheck, AStartedTimerFiresOnlyInsideTheAlertSecondAndNeverWithoutATime) {
    const QTime at(7, 30, 15);
    Alerts::AlertClock clock;
    // Sent to the tray after the alert time: no catching up on that day.
    EXPECT_FALSE(clock.Due(At(0, 8, 0, 0), at));
    EXPECT_FALSE(clock.Due(At(0, 8, 0, 0, 60), at));
    clock.Restart();
    EXPECT_TRUE(clock.Due(At(1, 7, 30, 15, 500), at));    // sent to the tray within the second
    clock.Restart();
    EXPECT_FALSE(clock.Due(At(1, 7, 30, 15, 800), at));   // and again: not twice that day

    Alerts::AlertClock none;
    EXPECT_FALSE(none.Due(At(0, 7, 30, 15), std::nullopt));
    EXPECT_FALSE(none.Due(At(1, 7, 30, 15), std::nullopt));
}

// Each alert time fires once a day, whatever fired before it that day; a
// clock started from a moment catches up a time passed since then (a box
// kept open), never one passed before it.
TEST_F(AlertCheck, EachAlertTimeFiresOnceADayAndAStartedClockCountsFromItsStart) {
    const QTime early(7, 30, 15), nine(9, 0, 0), half(10, 30, 0);
    struct Step {
        const char* what;
        bool start;   // the clock starts counting from `now` (the tick's result is not asked)
        QDateTime now;
        QTime at;
        bool fires;
    };
    const Step steps[] = {
        {"sent to the tray at seven", true, At(0, 7, 0, 0), early, false},
        {"the day's first alert", false, At(0, 7, 30, 15, 10), early, true},
        {"a later time set after it", false, At(0, 8, 0, 0), nine, false},
        {"fires when it comes", false, At(0, 9, 0, 0, 20), nine, true},
        {"not again within its second", false, At(0, 9, 0, 0, 80), nine, false},
        {"to the tray again within that second", true, At(0, 9, 0, 0, 500), nine, false},
        {"the same time never twice a day", false, At(0, 9, 0, 0, 560), nine, false},
        {"an earlier time set again is not caught up", false, At(0, 9, 5, 0), early, false},
        {"started at ten, a box open until after half past", true, At(0, 10, 0, 0), half, false},
        {"the time passed while the box was open", false, At(0, 10, 45, 0), half, true},
        {"started after the time", true, At(0, 11, 0, 0), QTime(10, 50), false},
        {"a time before the start is not caught up", false, At(0, 11, 1, 0), QTime(10, 50), false},
        {"the next day, the first time again", false, At(1, 7, 30, 15, 50), early, true},
    };
    Alerts::AlertClock clock;
    for (const Step& s : steps) {
        if (s.start)
            clock.StartFrom(s.now);
        else
            EXPECT_EQ(clock.Due(s.now, s.at), s.fires) << s.what;
    }
}

TEST_F(AlertCheck, TheTimerReadsTheAlertTimeAgainOnlyWhenTheSettingsChange) {
    QDateTime now = At(0, 7, 0, 0);
    Alerts::AlertTimer timer;
    timer.SetClock([&] { return now; });
    timer.Start();
    EXPECT_FALSE(timer.Tick());                 // nothing stored: never
    now = At(0, 7, 30, 15);
    EXPECT_FALSE(timer.Tick());

    ASSERT_TRUE(Settings::Set("Settings", "AlertTime", "07:31:00"));
    now = At(0, 7, 30, 59);
    EXPECT_FALSE(timer.Tick());
    now = At(0, 7, 31, 0, 20);
    EXPECT_TRUE(timer.Tick());

    // A change of the time takes effect at the next tick, however quickly it came.
    ASSERT_TRUE(Settings::Set("Settings", "AlertTime", "07:32:00"));
    ASSERT_TRUE(Settings::Set("Settings", "AlertTime", "07:33:00"));
    now = At(0, 7, 32, 30);
    EXPECT_FALSE(timer.Tick());
    now = At(0, 7, 33, 0, 10);
    EXPECT_TRUE(timer.Tick());

    ASSERT_TRUE(Settings::Set("Settings", "AlertTime", "not a time"));
    now = At(2, 7, 33, 0, 10);
    EXPECT_FALSE(timer.Tick());
}

}  // namespace

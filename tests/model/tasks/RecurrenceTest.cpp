// Recurring occurrences made straight from the logic, without the windows,
// on a task database as the program's Generate makes them.
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <functional>
#include <ctime>

#include "app/Form1.h"
#include "model/database/TaskCounter.h"
#include "model/database/TaskDatabase.h"
#include "platform/DateText.h"
#include "platform/FileOps.h"
#include "support/TestEnv.h"
#include "model/tasks/Recurrence.h"

namespace {

QString Day(int y, int m, int d) { return DateText::FormatDate(QDate(y, m, d)); }

class RecurrenceTest : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        ASSERT_TRUE(db_.Create(temp_ + "/plant.vkt"));
    }
    // Adds a task and makes it the active row.
    int AddTask(const QString& id, const QString& start, const QString& end, const QString& doc = "") {
        grid_.AddItem(QStringList{id, "Boiler 1", Day(2026, 2, 20), start, "08:00:00", end, "16:00:00", "Ann",
                                  "Bob", "Inspection", "30", doc, "Complete"}.join('\t'));
        grid_.SelectRange(grid_.Rows() - 1, 1, grid_.Rows() - 1, 1);
        return grid_.Rows() - 1;
    }
    QString File(const QString& id, const char* ext) {
        return (QString(ext) == "tsk" ? db_.TasksFolder() : db_.MaterialsFolder()) + "/" + id + "." + ext;
    }
    QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    }

    // Records what a run reports, in order.
    struct Recorder : Recurrence::Progress {
        std::function<void()> onYield;
        QStringList calls;
        void Yield() override {
            if (onYield) onYield();
        }
        void Begin(int total) override { calls << QString("show %1").arg(total); }
        void Step(int value) override { calls << QString("value %1").arg(value); }
        // The counter as the end finds it: recounted already, or not.
        void End() override { calls << "finish " + TaskCounter::ReadText(); }
    };

    TaskDatabase db_;
    Grid& grid_ = db_.Tasks();
};

TEST_F(RecurrenceTest, OnlyWholeNumbersInTheListsRangesAreTaken) {
    EXPECT_EQ(Recurrence::ReadCount(" 12 "), 12);
    EXPECT_EQ(Recurrence::ReadCount("0"), 0);
    EXPECT_EQ(Recurrence::ReadInterval("10000"), 10000);
    for (const char* refused : {"", "-1", "2.5", "1e3", "abc", "12abc", "1001", "99999999999"})
        EXPECT_EQ(Recurrence::ReadCount(refused), std::nullopt) << refused;
    for (const char* refused : {"", "-7", "0.5", "10001"})
        EXPECT_EQ(Recurrence::ReadInterval(refused), std::nullopt) << refused;
}

TEST_F(RecurrenceTest, ThreeWeeklyOccurrencesFollowTheSource) {
    const QString doc = temp_ + "/Docs/pump.jpg";
    const int src = AddTask("ID-5", Day(2026, 3, 1), "", doc);
    TaskCounter::WritePlain(5);
    Recorder progress;
    EXPECT_EQ(Recurrence::Run(db_, 3, 7, &progress).made, 3);
    ASSERT_EQ(grid_.Rows(), 5);
    const QStringList starts{Day(2026, 3, 8), Day(2026, 3, 15), Day(2026, 3, 22)};
    for (int k = 0; k < 3; ++k) {
        const int r = src + 1 + k;
        EXPECT_EQ(grid_.Text(r, Col::TaskId), QString("ID-%1").arg(6 + k));
        EXPECT_EQ(grid_.Text(r, Col::ScheduledStart), starts[k]);
        EXPECT_EQ(grid_.Text(r, Col::ScheduledEnd), "");   // an empty end stays empty
        EXPECT_EQ(grid_.Text(r, Col::Status), "Ready");     // not the source's "Complete"
        EXPECT_EQ(grid_.Text(r, Col::Frequency), "7");
        EXPECT_EQ(grid_.Text(r, Col::Document), doc);
        for (int c : {Col::Equipment, Col::RequestDate, Col::StartTime, Col::AssignedTo, Col::Type})
            EXPECT_EQ(grid_.Text(r, c), grid_.Text(src, c)) << "column " << c;
    }
    EXPECT_EQ(grid_.ActiveRow(), 4);
    EXPECT_EQ(TaskCounter::ReadText(), "     8");
    EXPECT_EQ(progress.calls, (QStringList{"show 3", "value 0", "value 1", "finish      8"}));
}

TEST_F(RecurrenceTest, CountZeroAndOneNeedNoProgressNorRecount) {
    AddTask("ID-5", Day(2026, 3, 1) + " 09:15:00", "next spring");
    TaskCounter::WritePlain(5);
    Recorder progress;
    const QByteArray empty = Read(db_.File());
    EXPECT_EQ(Recurrence::Run(db_, 0, 1, &progress).made, 0);
    EXPECT_EQ(Read(db_.File()), empty);
    EXPECT_EQ(TaskCounter::ReadText(), "5");

    EXPECT_EQ(Recurrence::Run(db_, 1, 1, &progress).made, 1);
    EXPECT_EQ(progress.calls, QStringList());
    EXPECT_EQ(TaskCounter::ReadText(), "6");
    EXPECT_EQ(grid_.Text(2, Col::ScheduledStart), Day(2026, 3, 2) + " 09:15:00");
    EXPECT_EQ(grid_.Text(2, Col::ScheduledEnd), "next spring");   // no date: kept as it was

    grid_.SelectRange(0, 1, 0, 1);   // the header row repeats nothing
    EXPECT_EQ(Recurrence::Run(db_, 3, 1).made, 0);
}

TEST_F(RecurrenceTest, EveryOccurrenceIsWrittenThroughBeforeTheNext) {
    AddTask("ID-1", Day(2026, 1, 5), Day(2026, 1, 5));
    TaskCounter::WritePlain(1);
    QList<int> rowsOnDisk;
    QStringList counters;
    Recorder progress;
    progress.onYield = [&] {
        Grid onDisk;
        rowsOnDisk << (onDisk.LoadFile(db_.File()) ? onDisk.Rows() : -1);
        counters << TaskCounter::ReadText();
    };
    Recurrence::Run(db_, 4, 1, &progress);
    EXPECT_EQ(rowsOnDisk, (QList<int>{1, 3, 4, 5}));   // the new, empty database first
    EXPECT_EQ(counters, (QStringList{"1", "2", "3", "4"}));
}

TEST_F(RecurrenceTest, PerTaskListsAreCopiedAndStaleOnesNeverInherited) {
    AddTask("ID-5", Day(2026, 3, 1), Day(2026, 3, 1));
    TaskCounter::WritePlain(5);
    FileOps::WriteFileSafely(File("ID-5", "tsk"), "items of 5");
    // Leftovers of removed tasks under the IDs about to be handed out.
    FileOps::WriteFileSafely(File("ID-6", "tsk"), "stale");
    FileOps::WriteFileSafely(File("ID-6", "mts"), "stale");
    FileOps::WriteFileSafely(File("ID-7", "mts"), "stale");
    EXPECT_FALSE(Recurrence::Run(db_, 2, 7).copyFailed);
    EXPECT_EQ(Read(File("ID-6", "tsk")), "items of 5");
    EXPECT_EQ(Read(File("ID-7", "tsk")), "items of 5");
    EXPECT_FALSE(QFile::exists(File("ID-6", "mts")));   // the source has none
    EXPECT_FALSE(QFile::exists(File("ID-7", "mts")));

    // A source ID that is no plain file name is never followed out of its folder.
    FileOps::WriteFileSafely(temp_ + "/plant/secret.tsk", "not a task list");
    AddTask("../secret", Day(2026, 3, 1), "");
    Recurrence::Run(db_, 1, 1);
    EXPECT_EQ(grid_.Text(grid_.Rows() - 1, Col::TaskId), "ID-8");
    EXPECT_FALSE(QFile::exists(File("ID-8", "tsk")));
}

TEST_F(RecurrenceTest, CounterThatIsNoNumberOrBehindTheGridIsRecomputed) {
    AddTask("ID-12", Day(2026, 3, 1), "");
    AddTask("ID-4", Day(2026, 3, 1), "");
    auto lastId = [&] { return grid_.Text(grid_.Rows() - 1, Col::TaskId); };
    int next = 13;   // one past the largest number in the grid
    for (const char* counter : {"abc", "      ", "", "3", "   p-3"}) {
        TaskCounter::WriteText(counter);
        Recurrence::Run(db_, 1, 1);
        EXPECT_EQ(lastId(), QStringLiteral("ID-%1").arg(next++)) << counter;
    }
    TaskCounter::WriteText("40");   // ahead of the grid: taken as it is
    Recurrence::Run(db_, 2, 1);
    EXPECT_EQ(grid_.Text(grid_.Rows() - 2, Col::TaskId), "ID-41");
    EXPECT_EQ(lastId(), "ID-42");
}

TEST_F(RecurrenceTest, TimeOfDayIsKeptAcrossDaylightSavingChanges) {
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "America/New_York");
    tzset();
    // Spring forward on 8 March 2026 at 02:00, fall back on 1 November.
    EXPECT_EQ(Recurrence::MoveDate(Day(2026, 3, 7) + " 02:30:00", 1), Day(2026, 3, 8) + " 02:30:00");
    EXPECT_EQ(Recurrence::MoveDate(Day(2026, 3, 8) + " 02:30:00", 7), Day(2026, 3, 15) + " 02:30:00");
    EXPECT_EQ(Recurrence::MoveDate(Day(2026, 10, 31) + " 01:30:00", 1), Day(2026, 11, 1) + " 01:30:00");
    EXPECT_EQ(Recurrence::MoveDate(Day(2026, 3, 1), 7), Day(2026, 3, 8));   // midnight: the date alone
    EXPECT_EQ(Recurrence::MoveDate(Day(9999, 12, 30), 7), Day(9999, 12, 30));
    if (oldTz.isNull()) qunsetenv("TZ");
    else qputenv("TZ", oldTz);
    tzset();
}

TEST_F(RecurrenceTest, FailedSaveEndsTheRunWithTheMadeOccurrencesCounted) {
    AddTask("ID-5", Day(2026, 3, 1), Day(2026, 3, 1));
    TaskCounter::WritePlain(5);
    // Another program writes the file while the run yields before its
    // second occurrence: that occurrence's save is refused.
    int yields = 0;
    Recorder progress;
    progress.onYield = [&] {
        if (++yields == 2) FileOps::WriteFileSafely(db_.File(), Read(db_.File()).replace("ID-6", "ID-9"));
    };
    const auto result = Recurrence::Run(db_, 10, 1, &progress);
    EXPECT_TRUE(result.saveFailed);
    EXPECT_TRUE(result.saveError.contains("changed by another program")) << result.saveError.toStdString();
    EXPECT_EQ(result.made, 2);
    EXPECT_EQ(TaskCounter::Read(), 7);
    EXPECT_TRUE(progress.calls.last().startsWith("finish"));   // the progress display does not stay up
    EXPECT_TRUE(db_.Unsaved());
}

}  // namespace

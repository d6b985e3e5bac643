#include <gtest/gtest.h>

#include "model/database/TaskCounter.h"
#include "platform/Grid.h"
#include "support/TestEnv.h"
#include "model/tasks/TaskRecord.h"

namespace {

QStringList Task(const QString& id, const QString& equipment = "Boiler", const QString& type = "Inspection",
                 const QString& requestDate = "01/02/2024") {
    return {id, equipment, requestDate, "01/05/2024", "08:00:00", "01/06/2024", "16:00:00",
            "Ann", "Bob", type, "7", "/db/Docs/p.bmp", "Ready"};
}

class EditorRecordTest : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        grid_.SetCols(14);
        const char* headers[] = {"", "Task ID", "Equipment", "Request Date", "Scheduled Start", "Start Time",
                                 "Scheduled End", "End Time", "Assigned To", "Requested By", "Type",
                                 "Frequency (Days)", "", "Status"};
        for (int c = 0; c < 14; ++c) grid_.SetText(0, c, headers[c]);
    }
    Grid grid_{1, 14};
};

TEST_F(EditorRecordTest, SaveChecksComeInTheirOrder) {
    TaskRecord::Append(grid_, Task("ID-1"));
    EXPECT_EQ(TaskRecord::SaveProblem(grid_, Task("", "", "", ""), -1), "You must enter a Task ID");
    EXPECT_EQ(TaskRecord::SaveProblem(grid_, Task("ID-2", "", "", ""), -1), "You must enter Equipment");
    EXPECT_EQ(TaskRecord::SaveProblem(grid_, Task("ID-2", "Pump", "", ""), -1), "You must enter a Type");
    EXPECT_EQ(TaskRecord::SaveProblem(grid_, Task("ID-2", "Pump", "Oil", ""), -1), "You must select a Request Date");
    EXPECT_EQ(TaskRecord::SaveProblem(grid_, Task("ID-2", " ", " "), -1), "");   // a blank is text

    // The ID names the task's files: another task's ID and names that are
    // no file names are refused before the other checks.
    EXPECT_TRUE(TaskRecord::SaveProblem(grid_, Task("ID-1", ""), -1).contains("already used"));
    EXPECT_EQ(TaskRecord::SaveProblem(grid_, Task("ID-1"), 1), "");   // its own row
    EXPECT_TRUE(TaskRecord::SaveProblem(grid_, Task("../ID-1"), -1).contains("cannot name"));
    EXPECT_TRUE(TaskRecord::SaveProblem(grid_, Task("a/b"), -1).contains("cannot name"));
}

TEST_F(EditorRecordTest, RowsAreWrittenCellByCell) {
    QStringList cells = Task("ID-1", "Pump\tNorth");
    cells[7] = "Ann\tLee";
    const int row = TaskRecord::Append(grid_, cells);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(grid_.ActiveRow(), 1);
    EXPECT_EQ(grid_.ActiveCol(), 1);
    EXPECT_EQ(grid_.Text(1, 2), "Pump\tNorth");
    EXPECT_EQ(grid_.Text(1, 3), "01/02/2024");
    EXPECT_EQ(grid_.Text(1, 8), "Ann\tLee");
    EXPECT_EQ(grid_.Text(1, 13), "Ready");

    TaskRecord::Append(grid_, Task("ID-2"));
    cells[0] = "ID-1b";
    TaskRecord::Write(grid_, 1, cells);
    EXPECT_EQ(grid_.Text(1, 1), "ID-1b");
    EXPECT_EQ(grid_.Text(2, 1), "ID-2");
}

TEST_F(EditorRecordTest, TheBoundTaskIsFoundAfterTheGridMoved) {
    for (const char* id : {"ID-3", "ID-1", "ID-2"}) TaskRecord::Append(grid_, Task(id));
    EXPECT_EQ(TaskRecord::Locate(grid_, 2, "ID-1"), 2);
    grid_.Sort(1, 0);   // ID-1, ID-2, ID-3
    EXPECT_EQ(TaskRecord::Locate(grid_, 2, "ID-1"), 1);
    grid_.DeleteRows(1, 1);
    EXPECT_EQ(TaskRecord::Locate(grid_, 1, "ID-1"), -1);
}

TEST_F(EditorRecordTest, ColumnsAfterASave) {
    TaskRecord::Append(grid_, Task("ID-1"));
    grid_.SetColumnWidth(9, 0);      // hidden by the column chooser
    grid_.SetText(0, 5, "");         // an empty header hides its column
    grid_.SetColumnWidth(12, 80);
    TaskRecord::FitColumns(grid_);
    EXPECT_EQ(grid_.ColumnWidth(9), 0);
    EXPECT_EQ(grid_.ColumnWidth(5), 0);
    EXPECT_EQ(grid_.ColumnWidth(12), 0);
    EXPECT_GT(grid_.ColumnWidth(2), 0);
}

TEST_F(EditorRecordTest, TheTaskNumberIsTakenAndGivenBackOnlyWhileItIsOurs) {
    // An empty grid starts at 1 whatever the counter says.
    TaskCounter::WritePlain(40);
    EXPECT_EQ(TaskRecord::TakeNumber(grid_), 1);
    EXPECT_EQ(TaskCounter::ReadText(), "1");

    TaskRecord::Append(grid_, Task("ID-1"));
    TaskCounter::WriteText("    12");   // as the recount writes it
    const qint64 taken = TaskRecord::TakeNumber(grid_);
    EXPECT_EQ(taken, 13);
    EXPECT_EQ(TaskCounter::ReadText(), "13");
    TaskRecord::GiveBack(taken);
    EXPECT_EQ(TaskCounter::ReadText(), "12");

    // Someone moved the counter on meanwhile (a recount, a generation, a
    // second editor): giving back would hand out a used number again.
    const qint64 again = TaskRecord::TakeNumber(grid_);
    TaskCounter::WritePlain(20);
    TaskRecord::GiveBack(again);
    EXPECT_EQ(TaskCounter::ReadText(), "20");

    // A counter that is not a number is recomputed from the grid: the
    // proposed ID is never one a task already has.
    TaskCounter::WriteText("      ");
    EXPECT_EQ(TaskRecord::TakeNumber(grid_), 2);
    TaskRecord::Append(grid_, Task("ID-7"));
    TaskRecord::Append(grid_, Task("Pump-90"));   // no task number
    TaskCounter::WriteText("twelve");
    EXPECT_EQ(TaskRecord::TakeNumber(grid_), 8);
    EXPECT_EQ(TaskCounter::ReadText(), "8");
}

TEST_F(EditorRecordTest, TheCountBoxGivesTheFurtherOccurrences) {
    EXPECT_EQ(TaskRecord::FurtherOccurrences("1"), 0);
    EXPECT_EQ(TaskRecord::FurtherOccurrences(" 5 "), 4);
    EXPECT_EQ(TaskRecord::FurtherOccurrences("1000"), 999);
    for (const char* bad : {"", "0", "-2", "1.5", "ten", "1001"})
        EXPECT_FALSE(TaskRecord::FurtherOccurrences(bad).has_value()) << bad;
}

}  // namespace

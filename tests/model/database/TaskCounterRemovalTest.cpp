// The task-number counter and the removal of tasks with their files.
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "model/database/TaskCounter.h"
#include "model/database/TaskRemoval.h"
#include "platform/Grid.h"
#include "platform/Registry.h"
#include "support/TestEnv.h"

namespace {

class TaskCounterTest : public QuillonTest {};
class TaskRemovalTest : public QuillonTest {};

Grid GridWithIds(const QStringList& ids) {
    Grid g(1, 14);
    g.SetText(0, 1, "Task ID");
    g.SetText(0, 13, "Status");
    for (const QString& id : ids) g.AddItem(id);
    return g;
}

TEST_F(TaskCounterTest, RecountTakesTheLargestNumberRightAligned) {
    Grid g = GridWithIds({"ID-9", "ID-10", "ID-2"});
    g.SetRowHeight(2, 0);   // hidden rows count too
    ASSERT_TRUE(TaskCounter::Recount(g));
    EXPECT_EQ(Settings::Get("Count", "Tasks"), "    10");
    EXPECT_EQ(TaskCounter::Read(), 10);
}

TEST_F(TaskCounterTest, ForeignIdsNeverWinTheRecount) {
    // As text, "p-3" (from Pump-3) and "9999999" would sort after "    12".
    Grid g = GridWithIds({"ID-12", "Pump-3", "ID-x7", "id-40", "ID-", "ID-12a", " ID-50",
                          "ID-99999999999", "A"});
    TaskCounter::Recount(g);
    EXPECT_EQ(TaskCounter::ReadText(), "    12");

    // Only foreign IDs: no task number is in use, the next ID is ID-1.
    TaskCounter::Recount(GridWithIds({"A", "AB", "ABC"}));
    EXPECT_EQ(TaskCounter::ReadText(), "     0");
    EXPECT_EQ(TaskCounter::Read(), 0);

    // Numbers of more than six digits are written whole.
    TaskCounter::Recount(GridWithIds({"ID-1234567"}));
    EXPECT_EQ(TaskCounter::ReadText(), "1234567");
}

TEST_F(TaskCounterTest, HeaderOnlyGridKeepsTheCounterAndRowCountIsPlain) {
    TaskCounter::WritePlain(17);
    TaskCounter::Recount(GridWithIds({}));
    EXPECT_EQ(TaskCounter::ReadText(), "17");

    Grid g = GridWithIds({"ID-1", "ID-2", "ID-7", "ID-8", "ID-30"});
    TaskCounter::WriteRowCount(g);
    EXPECT_EQ(TaskCounter::ReadText(), "5");
    TaskCounter::Recount(g);
    EXPECT_EQ(TaskCounter::ReadText(), "    30");
}

TEST_F(TaskCounterTest, ReadAcceptsBothFormsAndNothingElse) {
    EXPECT_FALSE(TaskCounter::Read().has_value());   // absent
    TaskCounter::WriteText("    12");
    EXPECT_EQ(TaskCounter::Read(), 12);
    TaskCounter::WriteText("13");
    EXPECT_EQ(TaskCounter::Read(), 13);
    TaskCounter::WriteText("      ");
    EXPECT_FALSE(TaskCounter::Read().has_value());
    TaskCounter::WriteText("  p-3");
    EXPECT_FALSE(TaskCounter::Read().has_value());
}

// ---- removal ----

TEST_F(TaskRemovalTest, RemovesTheShownRowsOfTheSelectionOnly) {
    Grid g = GridWithIds({"ID-1", "ID-2", "ID-3", "ID-4", "ID-5"});
    g.SetRowHeight(3, 0);   // filtered out: not selected as the user sees it
    g.SelectRange(2, 1, 4, 5);
    EXPECT_EQ(TaskRemoval::SelectedIds(g), (QStringList{"ID-2", "ID-4"}));
    EXPECT_EQ(TaskRemoval::RemoveSelected(g), (QStringList{"ID-2", "ID-4"}));
    ASSERT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.Text(0, 1), "Task ID");
    EXPECT_EQ(g.Text(1, 1), "ID-1");
    EXPECT_EQ(g.Text(2, 1), "ID-3");
    EXPECT_EQ(g.RowHeight(2), 0);   // the hidden row stays hidden
    EXPECT_EQ(g.Text(3, 1), "ID-5");
}

TEST_F(TaskRemovalTest, HeaderRowActiveRemovesNothingAndSelectionNeverTakesTheHeader) {
    Grid g = GridWithIds({"ID-1", "ID-2"});
    g.SetActiveCell(0, 1);
    EXPECT_TRUE(TaskRemoval::RemoveSelected(g).isEmpty());
    EXPECT_EQ(g.Rows(), 3);

    // A selection from a task row up over the header keeps the header.
    g.SetSelection(2, 1, 0, 1, 2, 1);
    EXPECT_EQ(TaskRemoval::RemoveSelected(g), (QStringList{"ID-1", "ID-2"}));
    EXPECT_EQ(g.Rows(), 1);
    EXPECT_EQ(g.Text(0, 1), "Task ID");
}

TEST_F(TaskRemovalTest, OnlyOrphanedSafeIdsMayLoseTheirFiles) {
    Grid remaining = GridWithIds({"ID-2", "ID-7"});
    const QStringList removed{"ID-1", "ID-2", "ID-1", "../x", "..", "a/b", "a\\b", "", "ID-3"};
    EXPECT_EQ(TaskRemoval::OrphanedIds(remaining, removed), (QStringList{"ID-1", "ID-3"}));
}

TEST_F(TaskRemovalTest, DeletesOnlyTheTasksFilesInsideTheirFolders) {
    const QString tasks = temp_ + "/db/Tasks", materials = temp_ + "/db/Materials";
    QDir().mkpath(tasks);
    QDir().mkpath(materials);
    auto touch = [](const QString& path) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    };
    touch(tasks + "/ID-1.tsk");
    touch(materials + "/ID-1.mts");
    touch(tasks + "/ID-2.tsk");             // no material file for ID-2
    touch(temp_ + "/db/x.tsk");             // what "../x" would reach
    touch(tasks + "/ID-3.tsk");             // another task, kept

    EXPECT_EQ(TaskRemoval::DeleteTaskFiles(tasks, materials, {"ID-1", "ID-2", "../x", "ID-9"}), 3);
    EXPECT_FALSE(QFile::exists(tasks + "/ID-1.tsk"));
    EXPECT_FALSE(QFile::exists(materials + "/ID-1.mts"));
    EXPECT_FALSE(QFile::exists(tasks + "/ID-2.tsk"));
    EXPECT_TRUE(QFile::exists(temp_ + "/db/x.tsk"));
    EXPECT_TRUE(QFile::exists(tasks + "/ID-3.tsk"));

    // No folders known (no database): nothing is looked for.
    EXPECT_TRUE(TaskRemoval::TaskFiles("", "", {"ID-3"}).isEmpty());
}

}  // namespace

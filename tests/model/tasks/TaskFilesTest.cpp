#include <QDir>
#include <QFile>
#include <QMap>
#include <gtest/gtest.h>

#include "platform/Dialogs.h"
#include "platform/FileOps.h"
#include "platform/Grid.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnv.h"
#include "model/tasks/CSHFileOp.h"
#include "model/tasks/TaskFiles.h"

namespace {

class TaskFilesTest : public QuillonTest {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = temp_ + "/" + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(TaskFilesTest, TaskIdsThatCannotNameAFileGiveNoPath) {
    EXPECT_EQ(TaskFiles::ItemFile(temp_ + "/Tasks", "ID-7"), temp_ + "/Tasks/ID-7.tsk");
    EXPECT_EQ(TaskFiles::MaterialFile(temp_ + "/Materials/", "ID-7"), temp_ + "/Materials/ID-7.mts");
    for (const QString& id : {QString(), QString(".."), QString("../ID-1"), QString("a/b"), QString("a\\b"),
                              QString("ID\n1"), QString(300, QLatin1Char('x'))}) {
        EXPECT_FALSE(TaskFiles::IdProblem(id).isEmpty()) << id.toStdString();
        EXPECT_TRUE(TaskFiles::ItemFile(temp_ + "/Tasks", id).isEmpty()) << id.toStdString();
        EXPECT_TRUE(TaskFiles::MaterialFile(temp_ + "/Materials", id).isEmpty()) << id.toStdString();
    }
    EXPECT_EQ(TaskFiles::IdProblem(""), "You must enter a Task ID");
    // No database folder: nowhere to write.
    EXPECT_TRUE(TaskFiles::ItemFile("", "ID-1").isEmpty());
}

TEST_F(TaskFilesTest, ListsComeBackExactlyAsTyped) {
    Grid items, materials;
    TaskFiles::ResetItems(items);
    TaskFiles::ResetMaterials(materials);
    TaskFiles::AddItem(items, "Drain the tank");
    TaskFiles::AddItem(items, "Check\tvalves \u00e9");
    TaskFiles::AddMaterial(materials, "Gasket", " 12.50 ");
    TaskFiles::AddMaterial(materials, "Oil\t5W", "about ten");
    TaskFiles::AddMaterial(materials, "Gasket", "");
    const QString tsk = temp_ + "/co/Tasks/ID-1.tsk";   // the folder is made on the first write
    const QString mts = temp_ + "/co/Materials/ID-1.mts";
    ASSERT_TRUE(TaskFiles::SaveList(items, tsk));
    ASSERT_TRUE(TaskFiles::SaveList(materials, mts));

    Grid i2, m2;
    EXPECT_EQ(TaskFiles::LoadItems(i2, tsk), TaskFiles::LoadResult::Loaded);
    EXPECT_EQ(TaskFiles::LoadMaterials(m2, mts), TaskFiles::LoadResult::Loaded);
    ASSERT_EQ(i2.Rows(), 3);
    EXPECT_EQ(i2.Text(0, 1), "Task Items");
    EXPECT_EQ(i2.Text(2, 1), "Check\tvalves \u00e9");
    EXPECT_EQ(i2.ColumnWidth(0), 0);
    ASSERT_EQ(m2.Rows(), 4);
    EXPECT_EQ(m2.Text(0, 2), "Cost");
    EXPECT_EQ(m2.Text(1, 2), " 12.50 ");
    EXPECT_EQ(m2.Text(2, 1), "Oil\t5W");
    EXPECT_EQ(m2.Text(2, 2), "about ten");
    EXPECT_EQ(m2.Text(3, 1), "Gasket");   // same names stay two rows

    // Editing and deleting keep the header and the other rows in place.
    TaskFiles::SetMaterial(m2, 1, "Gasket set", "13");
    m2.SelectRange(0, 1, 2, 2);   // a selection that includes the header row
    TaskFiles::DeleteSelected(m2);
    ASSERT_EQ(m2.Rows(), 2);
    EXPECT_EQ(m2.Text(0, 1), "Materials");
    EXPECT_EQ(m2.Text(1, 1), "Gasket");
    TaskFiles::SetMaterial(m2, 0, "x", "y");   // never the header
    EXPECT_EQ(m2.Text(0, 1), "Materials");
}

TEST_F(TaskFilesTest, MissingAndUnreadableFilesGiveTheEmptyListAndUnreadableOnesAreKept) {
    Grid items;
    TaskFiles::AddItem(items, "left over from another task");
    EXPECT_EQ(TaskFiles::LoadItems(items, temp_ + "/Tasks/ID-9.tsk"), TaskFiles::LoadResult::Missing);
    EXPECT_EQ(items.Rows(), 1);
    EXPECT_EQ(items.Cols(), 2);
    EXPECT_EQ(items.Text(0, 1), "Task Items");

    const QString bad = Write("Materials/ID-3.mts", "not a list the program wrote\n");
    Grid materials;
    TaskFiles::AddMaterial(materials, "stale", "1");
    QString error;
    EXPECT_EQ(TaskFiles::LoadMaterials(materials, bad, &error), TaskFiles::LoadResult::Failed);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(materials.Rows(), 1);
    EXPECT_EQ(materials.Text(0, 2), "Cost");
    // Writing the empty list over it would lose what it holds.
    TaskFiles::AddMaterial(materials, "Belt", "4");
    EXPECT_FALSE(TaskFiles::SaveList(materials, bad, &error));
    EXPECT_EQ(Read(bad), "not a list the program wrote\n");
}

TEST_F(TaskFilesTest, FailedWritesAreReported) {
    Grid items;
    TaskFiles::ResetItems(items);
    QString error;
    EXPECT_FALSE(TaskFiles::SaveList(items, "", &error));
    // A file where the task folder should be.
    Write("blocked", "x");
    EXPECT_FALSE(TaskFiles::SaveList(items, temp_ + "/blocked/ID-1.tsk", &error));
    EXPECT_FALSE(error.isEmpty());
    // A folder in the place of the file.
    QDir().mkpath(temp_ + "/Tasks/ID-2.tsk");
    EXPECT_FALSE(TaskFiles::SaveList(items, temp_ + "/Tasks/ID-2.tsk", &error));
}

TEST_F(TaskFilesTest, DocumentCopiesNeverReplaceAFileOfTheSameName) {
    const QString docs = temp_ + "/db/Docs/";
    auto& dialogs = TestEnv::Dialogs();
    struct Case {
        const char* source;      // under temp_
        QByteArray bytes;
        TaskFiles::CopyResult::Status status;
        const char* copy;        // under docs
    };
    const Case cases[] = {
        // The first copy makes the folder.
        {"pics/pump.bmp", "BM first", TaskFiles::CopyResult::Copied, "pump.bmp"},
        // Another picture of that name takes the next free one.
        {"other/pump.bmp", "BM second", TaskFiles::CopyResult::Copied, "pump (2).bmp"},
        {"third/pump.bmp", "BM third", TaskFiles::CopyResult::Copied, "pump (3).bmp"},
        // The same bytes again, from anywhere: shared, not copied again.
        {"again/pump.bmp", "BM second", TaskFiles::CopyResult::Shared, "pump (2).bmp"},
        {"db/Docs/pump (3).bmp", "BM third", TaskFiles::CopyResult::Shared, "pump (3).bmp"},
        // Names without an extension, or with several dots.
        {"a/notes", "one", TaskFiles::CopyResult::Copied, "notes"},
        {"b/notes", "two", TaskFiles::CopyResult::Copied, "notes (2)"},
        {"a/plan.v2.gif", "GIF one", TaskFiles::CopyResult::Copied, "plan.v2.gif"},
        {"b/plan.v2.gif", "GIF two", TaskFiles::CopyResult::Copied, "plan.v2 (2).gif"},
    };
    QMap<QString, QByteArray> expected;
    for (const Case& c : cases) {
        const QString source = Write(c.source, c.bytes);
        const TaskFiles::CopyResult r = TaskFiles::CopyDocument(source, docs);
        EXPECT_EQ(r.status, c.status) << c.source;
        EXPECT_EQ(r.path, docs + c.copy) << c.source;
        expected[docs + c.copy] = c.bytes;
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            EXPECT_EQ(Read(it.key()), it.value()) << it.key().toStdString() << " after " << c.source;
    }
    EXPECT_EQ(QDir(docs).entryList(QDir::Files).size(), expected.size());
    EXPECT_TRUE(dialogs.Messages().isEmpty()) << dialogs.LastMessage().toStdString();

    // A link under the name is passed by, never written through.
    const QString target = Write("elsewhere/valve.bmp", "BM kept");
    ASSERT_TRUE(QFile::link(target, docs + "valve.bmp"));
    const TaskFiles::CopyResult r = TaskFiles::CopyDocument(Write("pics/valve.bmp", "BM valve"), docs);
    EXPECT_EQ(r.path, docs + "valve (2).bmp");
    EXPECT_EQ(Read(target), "BM kept");
}

TEST_F(TaskFilesTest, FailedDocumentCopiesSaySoAndLeaveNoFile) {
    TaskFiles::CopyResult r = TaskFiles::CopyDocument(temp_ + "/missing.bmp", temp_ + "/db/Docs/");
    EXPECT_EQ(r.status, TaskFiles::CopyResult::Failed);
    EXPECT_TRUE(r.path.isEmpty());
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(temp_ + "/db/Docs/missing.bmp"));

    const QString picture = Write("pump.gif", "GIF89a");
    Write("db2/Docs", "a file where the folder should be");
    r = TaskFiles::CopyDocument(picture, temp_ + "/db2/Docs/");
    EXPECT_EQ(r.status, TaskFiles::CopyResult::Failed);
    EXPECT_FALSE(r.error.isEmpty());
}

TEST_F(TaskFilesTest, ShellCopyOperation) {
    CSHFileOp none;
    EXPECT_FALSE(none.CopyFiles());
    EXPECT_EQ(none.LastErrorNumber(), -2147220504);
    EXPECT_EQ(none.LastError(), "No source files specified file operation");
    EXPECT_EQ(none.Flags(), 0x204);   // silent, no question before making a folder

    const QString a = Write("src/a.bmp", "A");
    const QString b = Write("src/b.bmp", "B");
    CSHFileOp two;
    two.AddSourceFile(a);
    two.AddSourceFile(b);
    two.AddDestFile(temp_ + "/one/a.bmp");
    two.AddDestFile(temp_ + "/two/b2.bmp");
    EXPECT_EQ(two.Flags(), 0x205);
    ASSERT_TRUE(two.CopyFiles());
    EXPECT_EQ(Read(temp_ + "/two/b2.bmp"), "B");

    // A second run copies everything again, asking before each replacement;
    // without confirmation it replaces silently.
    Write("src/a.bmp", "A2");
    TestEnv::Dialogs().AnswerMsgBox(vb::vbNo);
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    EXPECT_FALSE(two.CopyFiles());
    EXPECT_TRUE(two.AnyOperationsAborted());
    EXPECT_EQ(Read(temp_ + "/one/a.bmp"), "A");
    two.ConfirmOperation(false);
    EXPECT_EQ(two.Flags() & CSHFileOp::FOF_NOCONFIRMATION, CSHFileOp::FOF_NOCONFIRMATION);
    EXPECT_TRUE(two.CopyFiles());
    EXPECT_EQ(Read(temp_ + "/one/a.bmp"), "A2");
}

TEST_F(TaskFilesTest, TrimPathGivesTheFileName) {
    EXPECT_EQ(TaskFiles::TrimPath("/data/pics/pump.bmp"), "pump.bmp");
    EXPECT_EQ(TaskFiles::TrimPath("C:\\pics\\pump.bmp"), "pump.bmp");
    EXPECT_EQ(TaskFiles::TrimPath("pump.bmp"), "pump.bmp");
    EXPECT_EQ(TaskFiles::TrimPath(""), "");
}

}  // namespace

// Links planted beside a database: the database file itself may be reached
// through a link (it is resolved once, at open), but nothing Quillon derives
// from it is read or written through one, and the refusal names the link.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>

#include "model/database/DatabaseLocation.h"
#include "model/database/TaskDatabase.h"
#include "model/lists/ListFile.h"
#include "platform/GridExport.h"
#include "platform/GridFile.h"
#include "support/TestEnv.h"
#include "model/tasks/TaskFiles.h"

namespace {

class DatabaseLinksTest : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        QDir().mkpath(temp_ + "/data");
        ASSERT_TRUE(db_.Create(temp_ + "/data/plant.vkt"));
    }
    QString Data(const QString& name) const { return temp_ + "/data/" + name; }
    QString Elsewhere(const QString& name) const { return temp_ + "/elsewhere/" + name; }

    static Grid Items(const QString& text) {
        Grid g;
        TaskFiles::ResetItems(g);
        TaskFiles::AddItem(g, text);
        return g;
    }

    TaskDatabase db_;
};

TEST_F(DatabaseLinksTest, NothingDerivedFromTheDatabaseIsReadOrWrittenThroughALink) {
    ASSERT_TRUE(TestEnv::WriteAll(Elsewhere("other.ini"), "[Employees]\nBob=255\n"));
    ASSERT_TRUE(Items("someone else's").SaveFile(Elsewhere("T9.tsk")));
    ASSERT_TRUE(TestEnv::WriteAll(temp_ + "/photo.jpg", "picture"));

    const auto saveItems = [](TaskDatabase& db) {
        QString why;
        return TaskFiles::SaveList(Items("x"), db.ItemFile("T1"), &why) ? QString() : why;
    };
    struct Case {
        const char* what;
        QString link;     // planted in the database's folder...
        QString target;   // ...pointing here
        std::function<QString(TaskDatabase&)> access;   // the refusal's text ("" when not refused)
    };
    const Case cases[] = {
        {"list file, written", Data("plant.ini"), Elsewhere("other.ini"),
         [](TaskDatabase& db) {
             ListFile list(db.ListFilePath());
             return list.Add(ListSection::Employees, "Ann", "1") ? QString() : list.LastError();
         }},
        {"list file, read", Data("plant.ini"), Elsewhere("other.ini"),
         [](TaskDatabase& db) {
             ListFile list(db.ListFilePath());
             return list.Entries(ListSection::Employees).empty() ? list.LastError() : QString();
         }},
        {"companion folder", Data("plant"), temp_ + "/elsewhere", saveItems},
        {"task list, written", Data("plant/Tasks/T1.tsk"), Elsewhere("T9.tsk"), saveItems},
        {"task list, read", Data("plant/Tasks/T1.tsk"), Elsewhere("T9.tsk"),
         [](TaskDatabase& db) {
             Grid g;
             QString why;
             return TaskFiles::LoadItems(g, db.ItemFile("T1"), &why) == TaskFiles::LoadResult::Failed ? why : QString();
         }},
        {"alert sheet", Data("Alerts.xls"), Elsewhere("other.ini"),
         [](TaskDatabase& db) {
             QString why;
             return ExportToExcel(db.Tasks(), FileOps::Join(db.Folder(), "Alerts.xls"), &why) ? QString() : why;
         }},
        {"documents folder", Data("Docs"), temp_ + "/elsewhere",
         [this](TaskDatabase& db) {
             return TaskFiles::CopyDocument(temp_ + "/photo.jpg", FileOps::Join(db.Folder(), "Docs")).error;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(Data("plant")).removeRecursively();
        QFile::remove(Data("plant"));
        DatabaseLocation::EnsureCompanion(db_.Folder(), db_.Name());
        if (!QFileInfo(c.link).isSymLink()) QDir(c.link).removeRecursively();
        QFile::remove(c.link);
        ASSERT_TRUE(QFile::link(c.target, c.link));
        const auto before = TestEnv::Snapshot(temp_ + "/elsewhere");
        const QString refusal = c.access(db_);
        EXPECT_TRUE(refusal.contains(c.link)) << refusal.toStdString();
        EXPECT_EQ(TestEnv::Snapshot(temp_ + "/elsewhere"), before);
        QFile::remove(c.link);
    }
}

TEST_F(DatabaseLinksTest, ADatabaseOpenedThroughALinkLivesUnderItsRealName) {
    ASSERT_TRUE(QFile::link(temp_ + "/data", temp_ + "/shortcut"));
    TaskDatabase other;
    db_.Close();
    ASSERT_TRUE(other.Open(temp_ + "/shortcut/plant.vkt"));
    const QString real = QFileInfo(Data("plant.vkt")).canonicalFilePath();
    EXPECT_EQ(other.File(), real);
    EXPECT_EQ(other.ListFilePath(), QFileInfo(real).absolutePath() + "/plant.ini");   // its files where it lies
}

}  // namespace

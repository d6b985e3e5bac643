// Backup and Restore from the Utilities menu, over the open database.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <QTemporaryDir>
#include <sys/wait.h>
#include <unistd.h>

#include "widgets/Forms.h"
#include "platform/Registry.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "ui/utilities/BackupWindows.h"
#include "model/backup/RestoreArchive.h"

namespace {

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

QStringList TaskIds(const Grid& g) {
    QStringList ids;
    for (int r = 1; r < g.Rows(); ++r) ids << g.Text(r, Col::TaskId);
    return ids;
}

}  // namespace

class BackupRestoreAppTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        db_ = NewDatabase();
        AddTask("ID-1", QDate(2026, 3, 2));
        AddTask("ID-2", QDate(2026, 3, 3));
        TestEnv::Dialogs().Reset();
    }
    void TearDown() override {
        Forms::Unload<Form22>();
        Forms::Unload<frmZip>();
        Forms::Unload<Form23>();
        MainWindowTest::TearDown();
    }
    QString BackUp() {
        form_->MenuItem("mnubackup")->trigger();
        Form23* w = Forms::Loaded<Form23>();
        EXPECT_TRUE(w && w->isVisible());
        const QString archive = temp_ + "/backup.zip";
        TestEnv::Dialogs().AnswerSave(archive);
        Click(w->Command1);
        QSignalSpy done(w, &Form23::BackupFinished);
        Click(w->Command5);
        EXPECT_TRUE(done.wait(20000));
        EXPECT_EQ(w->windowTitle(), "Backup Complete");
        return archive;
    }
    // Restore window with the archive loaded and the restore path typed.
    frmZip* OpenRestore(const QString& archive, const QString& folder) {
        form_->MenuItem("mnures")->trigger();
        frmZip* w = Forms::Loaded<frmZip>();
        EXPECT_TRUE(w && w->isVisible());
        TestEnv::Dialogs().AnswerOpen(archive);
        Click(w->Command1);
        w->Text2->clear();
        QTest::keyClicks(w->Text2, folder);
        return w;
    }
    QString db_;
};

TEST_F(BackupRestoreAppTest, RestoreOverTheOpenDatabaseReloadsIt) {
    const QString archive = BackUp();
    const QString link = temp_ + "/plant-link";
    ASSERT_TRUE(QFile::link(form_->DatabaseFolder(), link));
    // The database's folder typed by its own name, and by a link to it.
    for (const QString& folder : {form_->DatabaseFolder(), link}) {
        SCOPED_TRACE(folder.toStdString());
        AddTask("ID-3", QDate(2026, 3, 4));   // saved after the backup

        frmZip* w = OpenRestore(archive, folder);
        EXPECT_EQ(w->lv->topLevelItemCount(), 1);   // plant.vkt
        QSignalSpy finished(w, &frmZip::RestoreFinished);
        Click(w->Command7);
        ASSERT_TRUE(finished.wait(20000));
        EXPECT_TRUE(finished.last().at(0).toBool());
        EXPECT_EQ(w->windowTitle(), "Restore Complete");
        // Nothing unsaved, nothing asked, nothing refused.
        EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty()) << TestEnv::Dialogs().LastMessage().toStdString();

        // The grid shows the restored tasks, and the next save keeps them.
        EXPECT_EQ(TaskIds(form_->Grid1), QStringList({"ID-1", "ID-2"}));
        ASSERT_TRUE(form_->SaveDatabase());
        Grid onDisk;
        ASSERT_TRUE(onDisk.LoadFile(db_));
        EXPECT_EQ(TaskIds(onDisk), QStringList({"ID-1", "ID-2"}));
        Forms::Unload<frmZip>();
    }
}

TEST_F(BackupRestoreAppTest, UnsavedChangesAreAskedAboutFirst) {
    const QString archive = BackUp();
    form_->Grid1.SetText(1, Col::Equipment, "edited, not saved");
    frmZip* w = OpenRestore(archive, form_->DatabaseFolder());
    QSignalSpy finished(w, &frmZip::RestoreFinished);

    TestEnv::Dialogs().AnswerMsgBox(vb::vbNo);
    Click(w->Command7);
    EXPECT_FALSE(w->Working());
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("not yet saved"));
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style & 0xF, vb::vbYesNo);
    EXPECT_EQ(form_->Grid1.Text(1, Col::Equipment), "edited, not saved");
    EXPECT_EQ(finished.size(), 0);

    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    Click(w->Command7);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(form_->Grid1.Text(1, Col::Equipment), "Boiler 1");
}

TEST_F(BackupRestoreAppTest, RestoreElsewhereLeavesTheGridAndSetPathFillsTheFolder) {
    const QString archive = BackUp();
    form_->Grid1.SetText(1, Col::Equipment, "edited, not saved");
    const QString elsewhere = temp_ + "/copy";
    QDir().mkpath(elsewhere);
    frmZip* w = OpenRestore(archive, "");

    // Set Path opens the chooser; Cancel leaves the path, Apply sets it.
    Click(w->Command8);
    Form22* chooser = Forms::Loaded<Form22>();
    ASSERT_TRUE(chooser && chooser->isVisible());
    Click(chooser->Command2);
    EXPECT_EQ(w->Text2->text(), "");
    Click(w->Command8);
    chooser = Forms::Loaded<Form22>();
    ASSERT_TRUE(chooser);
    chooser->SetPath(elsewhere);
    Click(chooser->Command1);
    EXPECT_EQ(w->Text2->text(), QDir::cleanPath(elsewhere));

    QSignalSpy finished(w, &frmZip::RestoreFinished);
    Click(w->Command7);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(QFileInfo::exists(elsewhere + "/plant.vkt"));
    EXPECT_EQ(form_->Grid1.Text(1, Col::Equipment), "edited, not saved");
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(BackupRestoreAppTest, ARestoreKilledHalfWayIsFinishedWhenTheDatabaseOpensAndTheUserIsTold) {
    // The backup holds ID-1 and ID-2; ID-3 is saved after it.
    const QString archive = BackUp();
    AddTask("ID-3", QDate(2026, 3, 4));
    QByteArray backedUp;
    {
        QTemporaryDir unpacked;
        ASSERT_TRUE(RestoreArchive::Restore(archive, unpacked.path()).ok);
        backedUp = TestEnv::ReadAll(unpacked.path() + "/plant.vkt");
    }
    // A restore killed after it wrote its journal and before it moved
    // anything, as it lies on the disk, by a process that is gone.
    auto leaveKilledRestore = [&] {
        const pid_t gone = fork();
        if (gone == 0) _exit(0);
        waitpid(gone, nullptr, 0);
        const QString staging = QFileInfo(db_).path() + QStringLiteral("/.quillon-restore-%1-kIlLeD").arg(gone);
        QDir().mkpath(staging + "/new");
        TestEnv::WriteAll(staging + "/new/plant.vkt", backedUp);
        TestEnv::WriteAll(staging + "/journal", "quillon-restore 1\nplant.vkt\nend 1\n");
    };
    for (const char* how : {"File, Open Database", "the next start"}) {
        SCOPED_TRACE(how);
        leaveKilledRestore();
        TestEnv::Dialogs().Reset();
        if (QByteArray(how) == "the next start") {
            Settings::Set("Settings", "Default", db_);
            Start();
        } else {
            TestEnv::Dialogs().AnswerOpen(db_);
            form_->mnuopend_Click();
        }
        EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("has now been finished")) << TestEnv::Dialogs().LastMessage().toStdString();
        EXPECT_EQ(TaskIds(form_->Grid1), QStringList({"ID-1", "ID-2"}));
        EXPECT_TRUE(QDir(QFileInfo(db_).path()).entryList({".quillon-restore-*"}, QDir::AllEntries | QDir::Hidden).isEmpty());
        AddTask("ID-3", QDate(2026, 3, 4));
    }
}

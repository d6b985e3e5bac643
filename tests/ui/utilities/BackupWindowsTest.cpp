// The Backup, Restore and Select Path windows, worked as a user works them.
#include "ui/utilities/BackupWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <sys/stat.h>

#include "platform/Help.h"
#include "ui/utilities/ArchiveJob.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnv.h"
#include "model/backup/BackupArchive.h"

namespace {

using TestEnv::ReadAll;
using TestEnv::WriteAll;

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

QStringList Rows(const QTreeWidget* lv) {
    QStringList rows;
    for (int i = 0; i < lv->topLevelItemCount(); ++i) rows << lv->topLevelItem(i)->text(0);
    return rows;
}

template <class W>
std::unique_ptr<W> Open() {
    auto w = std::make_unique<W>();
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    return w;
}

}  // namespace

class BackupWindowsTest : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        db_ = temp_ + "/db/";
        QDir().mkpath(db_ + "plant/Tasks");
        QDir().mkpath(db_ + "Docs");
        WriteAll(db_ + "plant.vkt", "grid");
        WriteAll(db_ + "plant.ini", "[Employees]\n");
        WriteAll(db_ + "plant/Tasks/T1.tsk", "items");
        WriteAll(db_ + "Docs/a.pdf", "doc");
    }
    std::unique_ptr<Form23> OpenBackup() {
        auto w = Open<Form23>();
        w->DatabaseLocation = [this] { return Form23::Location{db_, name_}; };
        return w;
    }
    QString db_;
    QString name_ = "plant";
};

TEST_F(BackupWindowsTest, CreateFileThenBackupListsTheNewArchiveNewestFirst) {
    auto w = OpenBackup();
    EXPECT_EQ(w->windowTitle(), "Backup");
    EXPECT_FALSE(w->ProgressBar1->isVisible());
    EXPECT_EQ(w->lv->headerItem()->text(3), "Compressed");

    // Cancelled Save dialog: nothing changes.
    TestEnv::Dialogs().AnswerSave("");
    Click(w->Command1);
    EXPECT_EQ(w->Text1->text(), "");
    // Start Backup with no file does nothing.
    Click(w->Command5);
    EXPECT_FALSE(w->Working());

    const QString archive = temp_ + "/nightly";
    TestEnv::Dialogs().AnswerSave(archive);
    Click(w->Command1);
    EXPECT_EQ(w->Text1->text(), archive + ".zip");
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().prompt, "Select file");
    EXPECT_EQ(w->lv->topLevelItemCount(), 0);

    QSignalSpy done(w.get(), &Form23::BackupFinished);
    for (int round = 0; round < 2; ++round) {
        Click(w->Command5);
        EXPECT_TRUE(w->Working());
        EXPECT_EQ(w->windowTitle(), "Backing Up Data...");
        EXPECT_TRUE(w->overallprogress->isVisible());
        EXPECT_FALSE(w->Command5->isEnabled());
        Click(w->Command5);   // a second click while it works starts nothing
        ASSERT_TRUE(done.wait(20000));
        EXPECT_EQ(done.last().at(0).toBool(), true);
        EXPECT_EQ(w->windowTitle(), "Backup Complete");
        EXPECT_FALSE(w->overallprogress->isVisible());
        EXPECT_EQ(w->overallprogress->value(), 0);
        EXPECT_TRUE(w->Command5->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(done.size(), 2);
    EXPECT_EQ(Rows(w->lv), QStringList({"plant/Tasks/T1.tsk", "plant.ini", "plant.vkt"}));
    EXPECT_EQ(w->lv->topLevelItem(2)->text(2), "4");
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());

    // Ticked: full paths, and the listing shows them so.
    Click(w->Check1);
    Click(w->Command5);
    ASSERT_TRUE(done.wait(20000));
    EXPECT_EQ(Rows(w->lv).last(), QDir::cleanPath(db_ + "plant.vkt"));

    Click(w->Command4);
    ASSERT_EQ(TestEnv::Shell().opened.size(), 1u);
    EXPECT_EQ(PageLeadsTo(TestEnv::Shell().opened[0].what), Help::HelpUrl(Help::SendMailAndBackup));

    // Choosing the existing archive again lists what it holds.
    w->lv->clear();
    TestEnv::Dialogs().AnswerSave(archive + ".zip");
    Click(w->Command1);
    EXPECT_EQ(w->lv->topLevelItemCount(), 3);
}

TEST_F(BackupWindowsTest, FailedBackupSaysSoAndResetsTheWindow) {
    name_ = "plant";
    db_ = temp_ + "/empty/";
    QDir().mkpath(db_);
    auto w = OpenBackup();
    const QString archive = temp_ + "/old.zip";
    TestEnv::MakeZip(archive, {{"old.txt", "older backup"}});   // an earlier backup
    const QByteArray previous = ReadAll(archive);
    QTest::keyClicks(w->Text1, archive);
    QSignalSpy done(w.get(), &Form23::BackupFinished);
    Click(w->Command5);
    ASSERT_TRUE(done.wait(20000));
    EXPECT_FALSE(done.last().at(0).toBool());
    EXPECT_NE(w->windowTitle(), "Backup Complete");
    EXPECT_FALSE(w->ProgressBar1->isVisible());
    EXPECT_TRUE(w->Command1->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("no files to back up"));
    EXPECT_EQ(ReadAll(archive), previous);

    // A file that is not an archive: Refresh says so.
    TestEnv::Dialogs().Reset();
    WriteAll(archive, "not an archive");
    Click(w->Command2);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("cannot be listed"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // No database open at all.
    db_.clear();
    TestEnv::Dialogs().Reset();
    Click(w->Command5);
    EXPECT_FALSE(w->Working());
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("No database is open"));
}

TEST_F(BackupWindowsTest, ClosingDuringABackupStopsItCleanly) {
    for (int i = 0; i < 300; ++i) WriteAll(db_ + QString("plant/Tasks/T%1.tsk").arg(i), QByteArray("items ").repeated(2000));
    auto w = OpenBackup();
    const QString archive = temp_ + "/old.zip";
    TestEnv::MakeZip(archive, {{"old.txt", "older backup"}});   // an earlier backup
    const QByteArray previous = ReadAll(archive);
    QTest::keyClicks(w->Text1, archive);
    QSignalSpy done(w.get(), &Form23::BackupFinished);
    Click(w->Command5);
    ASSERT_TRUE(w->Working());
    Click(w->Command3);
    EXPECT_FALSE(w->Working());
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Either the old file and the word that the backup was cancelled, or a
    // complete archive; never a part of one, and never nothing said.
    ASSERT_EQ(done.size(), 1);
    QList<ZipEntry> entries;
    if (!done.last().at(0).toBool()) {
        EXPECT_EQ(ReadAll(archive), previous);
        EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("cancelled")) << TestEnv::Dialogs().LastMessage().toStdString();
    } else {
        ASSERT_TRUE(BackupArchive::List(archive, &entries));
        EXPECT_EQ(entries.size(), 302);
    }
    EXPECT_EQ(QDir(temp_).entryList(QDir::Files | QDir::Hidden), QStringList({"old.zip"}));
}

// A restore that has begun replacing files cannot stop: closing its window
// then waits for it, says it is complete and has the database reloaded.
TEST_F(BackupWindowsTest, ClosingDuringARestoreSaysHowItEndedAndAFinishedOneReloads) {
    for (int i = 0; i < 300; ++i) WriteAll(db_ + QString("plant/Tasks/T%1.tsk").arg(i), QByteArray("items ").repeated(2000));
    const QString archive = temp_ + "/b.zip";
    ASSERT_TRUE(BackupArchive::Run(archive, db_, "plant", false).ok);
    auto w = Open<frmZip>();
    w->BeforeRestore = [](const QStringList&) { return true; };
    QSignalSpy finished(w.get(), &frmZip::RestoreFinished);
    QSignalSpy restored(w.get(), &frmZip::Restored);
    QTest::keyClicks(w->Text1, archive);
    const QString target = temp_ + "/target";
    QDir().mkpath(target);
    QTest::keyClicks(w->Text2, target);
    Click(w->Command7);
    ASSERT_TRUE(w->Working());
    Click(w->Command4);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(finished.size(), 1);
    if (finished.last().at(0).toBool()) {
        EXPECT_EQ(restored.size(), 1);
        EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "Restore Complete");
    } else {
        EXPECT_FALSE(QFileInfo::exists(target + "/plant.vkt"));
        EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("cancelled")) << TestEnv::Dialogs().LastMessage().toStdString();
    }

    // The part that cannot stop, made to take its time: its outcome still comes.
    ArchiveJob job(nullptr, nullptr, nullptr);
    bool replaced = false, told = false;
    job.Start([&](ZipProgress&) { QThread::msleep(100); replaced = true; }, [&] { told = replaced; });
    job.CancelAndFinish();
    EXPECT_TRUE(told);
}

TEST_F(BackupWindowsTest, RestoreLoadsListsAndRefusesHostileArchives) {
    const QString archive = temp_ + "/b.zip";
    ASSERT_TRUE(BackupArchive::Run(archive, db_, "plant", false).ok);
    auto w = Open<frmZip>();
    w->StartFolder = [this] { return db_; };
    QStringList asked;
    w->BeforeRestore = [&](const QStringList& files) {
        asked = files;
        return true;
    };
    TestEnv::Dialogs().AnswerOpen(archive);
    Click(w->Command1);
    EXPECT_EQ(w->Text1->text(), archive);
    EXPECT_EQ(Rows(w->lv), QStringList({"plant/Tasks/T1.tsk", "plant.ini", "plant.vkt"}));

    // Empty restore path: nothing happens.
    QSignalSpy finished(w.get(), &frmZip::RestoreFinished);
    QSignalSpy restored(w.get(), &frmZip::Restored);
    Click(w->Command7);
    EXPECT_FALSE(w->Working());
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());

    // Set Path asks the opener for the chooser.
    QSignalSpy setPath(w.get(), &frmZip::SetPathRequested);
    Click(w->Command8);
    EXPECT_EQ(setPath.size(), 1);

    const QString target = temp_ + "/target";
    QDir().mkpath(target);
    QTest::keyClicks(w->Text2, target);
    Click(w->Command7);
    EXPECT_TRUE(w->Working());
    EXPECT_TRUE(w->ProgressBar1->isVisible());
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(finished.last().at(0).toBool());
    EXPECT_EQ(w->windowTitle(), "Restore Complete");
    EXPECT_FALSE(w->ProgressBar1->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(ReadAll(target + "/plant/Tasks/T1.tsk"), "items");
    ASSERT_EQ(restored.size(), 1);
    EXPECT_EQ(restored.last().at(0).toStringList().size(), 3);
    EXPECT_EQ(asked.size(), 3);

    // Full path: asked once more with the folders; No stops it.
    Click(w->Check1);
    Click(w->Command7);
    EXPECT_FALSE(w->Working());
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("cannot be restored safely"));
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("plant.vkt"));
    const QString full = temp_ + "/full.zip";
    ASSERT_TRUE(BackupArchive::Run(full, db_, "plant", true).ok);
    w->Text1->setText(full);
    TestEnv::Dialogs().AnswerMsgBox(vb::vbNo);
    WriteAll(db_ + "plant.vkt", "changed");
    Click(w->Command7);
    EXPECT_FALSE(w->Working());
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains(QDir::cleanPath(db_ + "plant/Tasks")));
    EXPECT_EQ(ReadAll(db_ + "plant.vkt"), "changed");
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    Click(w->Command7);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(ReadAll(db_ + "plant.vkt"), "grid");

    Click(w->Command5);
    ASSERT_EQ(TestEnv::Shell().opened.size(), 1u);
    EXPECT_EQ(PageLeadsTo(TestEnv::Shell().opened[0].what), Help::HelpUrl(Help::RestoreAndAddressBook));

    // The opener may stop the restore.
    w->BeforeRestore = [](const QStringList&) { return false; };
    WriteAll(db_ + "plant.vkt", "kept");
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    Click(w->Command7);
    EXPECT_FALSE(w->Working());
    EXPECT_EQ(ReadAll(db_ + "plant.vkt"), "kept");
}

TEST_F(BackupWindowsTest, ChooserAppliesTheFolderPickedInTheTree) {
    QDir().mkpath(temp_ + "/alpha/inner");
    QDir().mkpath(temp_ + "/beta");
    auto w = Open<Form22>();
    EXPECT_EQ(w->windowTitle(), "Select Path");
    EXPECT_EQ(w->Path(), QDir::cleanPath(QDir::currentPath()));
    w->SetPath(temp_);
    ASSERT_EQ(w->Path(), QDir::cleanPath(temp_));
    EXPECT_FALSE(w->Drive1->currentText().isEmpty());

    // Open the folder with the keyboard and click its second child.
    w->Dir1->setFocus();
    QTest::keyClick(w->Dir1, Qt::Key_Right);
    QTreeWidgetItem* current = w->Dir1->currentItem();
    ASSERT_EQ(current->childCount(), 3);   // alpha, beta, db
    QTreeWidgetItem* beta = current->child(1);
    EXPECT_EQ(beta->text(0), "beta");
    w->Dir1->scrollToItem(beta);
    QTest::mouseClick(w->Dir1->viewport(), Qt::LeftButton, {}, w->Dir1->visualItemRect(beta).center());
    EXPECT_EQ(w->Path(), QDir::cleanPath(temp_ + "/beta"));

    QSignalSpy applied(w.get(), &Form22::Applied);
    Click(w->Command1);
    ASSERT_EQ(applied.size(), 1);
    EXPECT_EQ(applied.last().at(0).toString(), QDir::cleanPath(temp_ + "/beta"));
    EXPECT_FALSE(w->isVisible());

    // A drive chosen moves the tree to it.
    w->show();
    w->Drive1->setFocus();
    if (w->Drive1->count() > 1) {
        QTest::keyClick(w->Drive1, w->Drive1->currentIndex() == 0 ? Qt::Key_End : Qt::Key_Home);
        EXPECT_EQ(w->Path(), w->Drive1->currentText());
        EXPECT_EQ(w->Dir1->topLevelItemCount(), 1);
    }
    QSignalSpy applied2(w.get(), &Form22::Applied);
    Click(w->Command2);
    EXPECT_EQ(applied2.size(), 0);
}

TEST_F(BackupWindowsTest, ArchivesBeyondASixteenBitIndexAreListedWhole) {
    const QString archive = temp_ + "/many.zip";
    const int count = 33000;
    {
        ZipArchive zip;
        ASSERT_TRUE(zip.CreateArchive(archive));
        for (int i = 0; i < count; ++i) ASSERT_TRUE(zip.AddFile(db_ + "plant.vkt", QString("e%1").arg(i)));
        ASSERT_TRUE(zip.CloseArchive());
    }
    auto w = Open<frmZip>();
    TestEnv::Dialogs().AnswerOpen(archive);
    Click(w->Command1);
    ASSERT_EQ(w->lv->topLevelItemCount(), count);
    EXPECT_EQ(w->lv->topLevelItem(0)->text(0), QString("e%1").arg(count - 1));
    EXPECT_EQ(w->lv->topLevelItem(count - 1)->text(0), "e0");
}

TEST_F(BackupWindowsTest, TheListingShowsEachNameAndDateWhole) {
    auto w = OpenBackup();
    w->resize(600, 400);
    TestEnv::Dialogs().AnswerSave(temp_ + "/nightly");
    Click(w->Command1);
    QSignalSpy done(w.get(), &Form23::BackupFinished);
    Click(w->Check1);                       // full paths: the longest names there are
    Click(w->Command5);
    ASSERT_TRUE(done.wait(20000));
    ASSERT_EQ(w->lv->topLevelItemCount(), 3);
    const QFontMetrics metrics(w->lv->font());
    for (int i = 0; i < w->lv->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = w->lv->topLevelItem(i);
        for (int column : {0, 1})
            EXPECT_GE(w->lv->header()->sectionSize(column), metrics.horizontalAdvance(item->text(column)))
                << item->text(column).toStdString();
    }
}

TEST_F(BackupWindowsTest, TheBackupWindowSaysWhatItLeftOut) {
    // A task's list that is a link to a file elsewhere, a pipe, and one
    // this user may not read.
    WriteAll(temp_ + "/elsewhere.txt", "not the database's");
    ASSERT_TRUE(QFile::link(temp_ + "/elsewhere.txt", db_ + "plant/Tasks/T2.tsk"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(db_ + "plant/Tasks/T3.tsk").constData(), 0600), 0);
    WriteAll(db_ + "plant/Tasks/T4.tsk", "private");
    ASSERT_EQ(::chmod(QFile::encodeName(db_ + "plant/Tasks/T4.tsk").constData(), 0), 0);
    auto w = OpenBackup();
    QSignalSpy done(w.get(), &Form23::BackupFinished);
    QTest::keyClicks(w->Text1, temp_ + "/nightly.zip");
    {
        TestEnv::AnotherUser user(temp_);
        Click(w->Command5);
        ASSERT_TRUE(done.wait(20000));
    }
    EXPECT_TRUE(done.last().at(0).toBool());
    const QString said = TestEnv::Dialogs().LastMessage();
    EXPECT_TRUE(said.contains("left out") && said.contains(db_ + "plant/Tasks/T2.tsk: a link") &&
                said.contains(db_ + "plant/Tasks/T3.tsk: a named pipe") &&
                said.contains(db_ + "plant/Tasks/T4.tsk: cannot be read: Permission denied"))
        << said.toStdString();
    EXPECT_EQ(w->windowTitle(), "Backup Complete");
    EXPECT_TRUE(Rows(w->lv).contains("plant/Tasks/T1.tsk")) << Rows(w->lv).join(", ").toStdString();
}

// A box shown over the window the user works in is the one the window
// manager gives the focus back to when it closes.
TEST_F(BackupWindowsTest, ARefusalNamesTheFileAndShowsOverTheBackupWindowRatherThanTheMainWindow) {
    QWidget main;   // the main window, which boxes fall back to
    main.show();
    Dialogs::SetParentWindow(&main);
    auto w = OpenBackup();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    TestEnv::Dialogs().ShowRealMsgBoxes();
    QWidget* boxParent = nullptr;
    QTimer answer;   // the user reads the box, then presses Return
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            answer.stop();
            boxParent = box->parentWidget();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    answer.start(20);
    QSignalSpy done(w.get(), &Form23::BackupFinished);
    QTest::keyClicks(w->Text1, db_ + "plant.vkt");   // the database itself
    Click(w->Command5);
    ASSERT_TRUE(done.wait(20000));
    Dialogs::SetParentWindow(nullptr);
    EXPECT_FALSE(done.last().at(0).toBool());
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains(db_ + "plant.vkt")) << TestEnv::Dialogs().LastMessage().toStdString();
    EXPECT_EQ(boxParent, w.get());
}

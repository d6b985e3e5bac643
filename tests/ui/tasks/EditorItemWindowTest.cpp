// The task-item window that keeps a task's items in an INI file.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "widgets/Forms.h"
#include "platform/IniFile.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "ui/tasks/Form11.h"

namespace {

class EditorItemWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Start();
        NewDatabase();
        AddTask("ID-1", QDate::currentDate());
        form_->Grid1.SetActiveCell(1, 1);
        file_ = form_->TasksFolder() + "/ID-1.ini";
        TestEnv::Dialogs().Reset();
    }
    void WriteIni(const QByteArray& text) {
        QDir().mkpath(form_->TasksFolder());
        QFile f(file_);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QString file_;
};

TEST_F(EditorItemWindowTest, ListsTheTasksSectionAndHidesEmptyItems) {
    WriteIni("[ID-2]\n1=Not mine\n[ID-1]\n1=Isolate\n2=\n3=Refill\n");
    Form11* w = Forms::Show<Form11>(form_->Database);
    EXPECT_EQ(w->windowTitle(), "Task Items");
    ASSERT_EQ(w->Grid1.Rows(), 4);
    EXPECT_EQ(w->Grid1.Text(0, 1), "Task Items");
    EXPECT_EQ(w->Grid1.Text(1, 1), "Isolate");
    EXPECT_EQ(w->Grid1.RowHeight(2), 0);
    EXPECT_EQ(w->Grid1.Text(3, 1), "Refill");
    EXPECT_EQ(w->Grid1.ColumnWidth(0), 0);
}

TEST_F(EditorItemWindowTest, EditWritesTheRowsKeyAndClearEmptiesTheSection) {
    WriteIni("[ID-1]\n1=Isolate\n2=Drain\n3=Refill\n");
    Form11* w = Forms::Show<Form11>(form_->Database);
    w->Grid1.SetActiveCell(3, 1);
    TestEnv::Dialogs().AnswerInput(QString("Refill slowly"));
    QTest::mouseClick(w->Command3, Qt::LeftButton);
    EXPECT_EQ(w->Grid1.Text(3, 1), "Refill slowly");
    IniDocument doc;
    ASSERT_TRUE(doc.Load(file_));
    EXPECT_EQ(doc.Value("ID-1", "3").value_or(""), "Refill slowly");
    EXPECT_EQ(doc.Value("ID-1", "2").value_or(""), "Drain");

    TestEnv::Dialogs().AnswerInput(QString());   // an empty answer changes nothing
    QTest::mouseClick(w->Command3, Qt::LeftButton);
    EXPECT_EQ(w->Grid1.Text(3, 1), "Refill slowly");

    TestEnv::Dialogs().AnswerMsgBox(vb::vbNo);
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    EXPECT_EQ(w->Grid1.Rows(), 4);
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "Delete Selected Record?");
    EXPECT_EQ(w->Grid1.Rows(), 1);
    ASSERT_TRUE(doc.Load(file_));
    EXPECT_FALSE(doc.HasSection("ID-1"));
}

TEST_F(EditorItemWindowTest, ATaskWithoutAFileShowsAnEmptyList) {
    Form11* w = Forms::Show<Form11>(form_->Database);
    EXPECT_EQ(w->Grid1.Rows(), 1);
    // An ID that cannot name a file is never used as one.
    form_->Grid1.SetText(1, 1, "../ID-1");
    Forms::Unload<Form11>();
    w = Forms::Show<Form11>(form_->Database);
    EXPECT_TRUE(w->ItemFile().isEmpty());
    w->Grid1.SetRows(2);
    w->Grid1.SetActiveCell(1, 1);
    TestEnv::Dialogs().AnswerInput(QString("x"));
    QTest::mouseClick(w->Command3, Qt::LeftButton);
    EXPECT_FALSE(QFileInfo::exists(form_->CompanionFolder() + "/ID-1.ini"));
}

}  // namespace

// The material and cost dialog on a task editor opened through the main
// window.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "support/Keyboard.h"
#include "support/MainWindow.h"
#include "support/Ui.h"
#include "support/ScriptedDialogs.h"
#include "ui/tasks/Form6.h"
#include "ui/tasks/frmcost.h"

namespace {

class CostDialogTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Start();
        NewDatabase();
        AddTask("ID-1", QDate::currentDate());
        AddTask("ID-2", QDate::currentDate());
        form_->ResortNum();
        editor_ = Edit(1);
        TestEnv::Dialogs().Reset();
    }
    static void Click(QPushButton* b) { TestUi::ClickSettled(b); }
    Form6* Edit(int row) {
        form_->Grid1.SetActiveCell(row, 1);
        return form_->EditorForEdit();
    }
    frmcost* OpenAdd() {
        Click(editor_->Command9);
        return Forms::Loaded<frmcost>();
    }
    Grid OnFile(const QString& id) const {
        Grid g;
        g.LoadFile(form_->MaterialsFolder() + "/" + id + ".mts");
        return g;
    }
    Form6* editor_ = nullptr;
};

TEST_F(CostDialogTest, EmptyBoxesAreRefusedAndTheDialogStaysOpen) {
    frmcost* c = OpenAdd();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->windowTitle(), "Material And Cost");
    EXPECT_EQ(c->Text1->text(), "");
    EXPECT_EQ(c->Text2->text(), "0");
    auto& dialogs = TestEnv::Dialogs();

    Click(c->Command2);
    EXPECT_EQ(dialogs.LastMessage(), "No Material Entered");
    EXPECT_EQ(dialogs.Calls().back().style, 0);
    EXPECT_EQ(dialogs.Calls().back().title, "Quillon");
    EXPECT_EQ(c->focusWidget(), c->Text1);
    EXPECT_EQ(Forms::Loaded<frmcost>(), c);

    c->Text1->setText("Belt");
    c->Text2->clear();
    Click(c->Command2);
    EXPECT_EQ(dialogs.LastMessage(), "No Cost Entered");
    EXPECT_EQ(c->focusWidget(), c->Text2);
    EXPECT_EQ(c->Text1->text(), "Belt");
    EXPECT_EQ(editor_->Grid2.Rows(), 1);
    EXPECT_FALSE(QFileInfo::exists(form_->MaterialsFolder() + "/ID-1.mts"));
}

TEST_F(CostDialogTest, WhateverIsTypedIsKeptAsTyped) {
    for (auto [name, cost] : {std::pair{" ", "0"}, std::pair{"Grease", "a few dollars"},
                              std::pair{"Grease", "4\t50"}}) {
        frmcost* c = OpenAdd();
        c->Text1->setText(name);
        c->Text2->setText(cost);
        Click(c->Command2);
        EXPECT_EQ(Forms::Loaded<frmcost>(), nullptr);
        EXPECT_EQ(editor_->Text4->text(), cost);
    }
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
    const Grid g = OnFile("ID-1");
    ASSERT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.Text(1, 1), " ");
    EXPECT_EQ(g.Text(1, 2), "0");
    EXPECT_EQ(g.Text(2, 2), "a few dollars");
    EXPECT_EQ(g.Text(3, 1), "Grease");
    EXPECT_EQ(g.Text(3, 2), "4\t50");
    EXPECT_EQ(g.Cols(), 3);
}

TEST_F(CostDialogTest, TypingIntoTheCostBoxReplacesItsZero) {
    // The box is entered by a click or by Tab from the material box; either
    // way what is typed replaces the "0" instead of being added to it.
    for (bool byClick : {true, false}) {
        frmcost* c = OpenAdd();
        ASSERT_TRUE(QTest::qWaitForWindowActive(c));
        QTest::mouseClick(c->Text1, Qt::LeftButton);
        TestKeys::Type(c->Text1, "Grease");
        if (byClick) QTest::mouseClick(c->Text2, Qt::LeftButton, {}, QPoint(c->Text2->width() - 4, 6));
        else QTest::keyClick(c->Text1, Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), c->Text2);
        TestKeys::Type(c->Text2, "42.50");
        Click(c->Command2);
        EXPECT_EQ(editor_->Text4->text(), "42.50") << (byClick ? "click" : "Tab");
    }
    const Grid g = OnFile("ID-1");
    ASSERT_EQ(g.Rows(), 3);
    EXPECT_EQ(g.Text(1, 2), "42.50");
    EXPECT_EQ(g.Text(2, 2), "42.50");
}

TEST_F(CostDialogTest, CancelWritesNothing) {
    QPointer<frmcost> c = OpenAdd();
    c->Text1->setText("Belt");
    Click(c->Command1);
    EXPECT_EQ(Forms::Loaded<frmcost>(), nullptr);
    EXPECT_TRUE(c.isNull());
    EXPECT_EQ(editor_->Grid2.Rows(), 1);
    EXPECT_FALSE(QFileInfo::exists(form_->MaterialsFolder() + "/ID-1.mts"));
}

TEST_F(CostDialogTest, AMaterialNeverLandsInAnotherTasksList) {
    frmcost* c = OpenAdd();
    c->Text1->setText("Belt");
    // The editor moves to task ID-2 while the dialog is open.
    Form6* again = Edit(2);
    ASSERT_EQ(again, editor_);
    ASSERT_EQ(editor_->Text1->text(), "ID-2");
    Click(c->Command2);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("no longer shows the task"));
    EXPECT_EQ(editor_->Grid2.Rows(), 1);
    EXPECT_FALSE(QFileInfo::exists(form_->MaterialsFolder() + "/ID-2.mts"));
    EXPECT_FALSE(QFileInfo::exists(form_->MaterialsFolder() + "/ID-1.mts"));

    // Closing the editor takes the dialog with it.
    QPointer<frmcost> other = OpenAdd();
    ASSERT_TRUE(other);
    Click(editor_->Command2);
    EXPECT_EQ(Forms::Loaded<frmcost>(), nullptr);
    EXPECT_TRUE(other.isNull());
}

TEST_F(CostDialogTest, AChangedTaskIdIsCheckedAtSave) {
    frmcost* c = OpenAdd();
    c->Text1->setText("Belt");
    editor_->Text1->setText("ID-2");   // another task's ID
    Click(c->Command2);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("already used"));
    EXPECT_EQ(Forms::Loaded<frmcost>(), c);   // corrected, it can still be saved
    EXPECT_EQ(editor_->Grid2.Rows(), 1);
    editor_->Text1->setText("ID-1");
    Click(c->Command2);
    EXPECT_EQ(OnFile("ID-1").Text(1, 1), "Belt");
}

}  // namespace

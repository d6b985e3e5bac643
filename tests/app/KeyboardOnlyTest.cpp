// The main road worked with the keyboard alone: the toolbar, the list bar,
// the task grid and its pop-up menu, the task editor and the generator,
// reached by Tab and worked by Return, Space, the arrows and the Menu key.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolBox>
#include <gtest/gtest.h>

#include "platform/Forms.h"
#include "platform/GridView.h"
#include "support/Keyboard.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/Ui.h"
#include "tasks/Form18.h"
#include "tasks/Form6.h"

namespace {

using TestKeys::Press;
using TestKeys::TabTo;
using TestKeys::TypeHere;

class KeyboardOnly : public MainWindowTest {
protected:
    QListWidget* TasksList() const { return form_->Listbar1->findChild<QListWidget*>("Tasks"); }
    // The list bar's item, reached by Tab and the arrows.
    void ToListItem(const QString& text) {
        QListWidget* list = TasksList();
        // A closed window gives the focus back, as the desktop does.
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
        ASSERT_TRUE(TabTo(list));
        Press(Qt::Key_Home);
        for (int i = 0; i < list->count() && list->currentItem()->text() != text; ++i) Press(Qt::Key_Down);
        ASSERT_EQ(list->currentItem()->text(), text);
    }
    // The pop-up menu's item, reached by the arrows.
    void ToMenuItem(const QString& text) {
        QMenu* menu = form_->mnuhid;
        for (int i = 0; i < menu->actions().size() && (!menu->activeAction() || menu->activeAction()->text() != text);
             ++i)
            Press(Qt::Key_Down);
        ASSERT_TRUE(menu->activeAction());
        ASSERT_EQ(menu->activeAction()->text(), text);
    }
    template <class Window>
    Window* Shown() {
        TestUi::Settle();
        Window* w = Forms::Loaded<Window>();
        EXPECT_TRUE(w && QTest::qWaitForWindowActive(w));
        return w;
    }
    QStringList Ids() const {
        QStringList ids;
        for (int r = 1; r < form_->Grid1.Rows(); ++r) ids << form_->Grid1.Text(r, Col::TaskId);
        return ids;
    }
};

TEST_F(KeyboardOnly, AddEditGenerateAndDeleteTasks) {
    Start();
    auto& dialogs = TestEnv::Dialogs();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));

    // The toolbar's first button makes a new database.
    QWidget* newDatabase = form_->Toolbar1->widgetForAction(form_->Toolbar1->actions().first());
    ASSERT_TRUE(TabTo(newDatabase));
    dialogs.AnswerSave(temp_ + "/plant.vkt");
    dialogs.AnswerMsgBox(vb::vbNo);
    Press(Qt::Key_Space);
    ASSERT_TRUE(form_->DatabaseOpen());

    // Add: Return on the list bar's "Add"; the editor filled by Tab and typing.
    ToListItem("Add");
    Press(Qt::Key_Return);
    Form6* f = Shown<Form6>();
    ASSERT_TRUE(f);
    ASSERT_TRUE(TabTo(f->Text2));
    TypeHere("Pump 4");
    ASSERT_TRUE(TabTo(f->Combo1));
    TypeHere("Lubrication");
    ASSERT_TRUE(TabTo(f->Command3));
    Press(Qt::Key_Space);
    ASSERT_EQ(Ids(), QStringList{"ID-1"});
    EXPECT_EQ(form_->Grid1.Text(1, Col::Equipment), "Pump 4");

    // Edit: Space on "Edit" opens the task the grid's active row holds.
    ToListItem("Edit");
    Press(Qt::Key_Space);
    f = Shown<Form6>();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->windowTitle(), "Edit Task");
    ASSERT_TRUE(TabTo(f->Text2));
    Press(Qt::Key_A, Qt::ControlModifier);
    TypeHere("Pump 5");
    ASSERT_TRUE(TabTo(f->Command3));
    Press(Qt::Key_Space);
    EXPECT_EQ(form_->Grid1.Text(1, Col::Equipment), "Pump 5");

    // Generate: two more occurrences, every 7 days (the edit took ID-2).
    ToListItem("Generate");
    Press(Qt::Key_Return);
    Form18* g = Shown<Form18>();
    ASSERT_TRUE(g);
    ASSERT_TRUE(TabTo(g->Combo1));
    Press(Qt::Key_A, Qt::ControlModifier);
    TypeHere("7");
    ASSERT_TRUE(TabTo(g->Combo2));
    Press(Qt::Key_A, Qt::ControlModifier);
    TypeHere("2");
    ASSERT_TRUE(TabTo(g->Command1));
    Press(Qt::Key_Space);
    TestUi::Settle();
    ASSERT_EQ(Ids(), (QStringList{"ID-1", "ID-3", "ID-4"}));

    // Delete from the grid's pop-up menu, which the Menu key and Shift+F10
    // open at the active cell (wherever the pointer is) and which acts on
    // the rows selected with Shift and the arrows.
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
    ASSERT_TRUE(TabTo(form_->Grid1View));
    Press(Qt::Key_Home, Qt::ControlModifier);
    Press(Qt::Key_Down, Qt::ShiftModifier);
    QMenu* menu = form_->mnuhid;
    Press(Qt::Key_Menu);
    ASSERT_TRUE(menu->isVisible());
    const QRect cell = form_->Grid1View->CellRect(2, form_->Grid1.ActiveCol());
    EXPECT_EQ(menu->pos(), form_->Grid1View->viewport()->mapToGlobal(cell.center()));
    ASSERT_TRUE(menu->activeAction());
    EXPECT_EQ(menu->activeAction()->text(), "Select As From Date");
    Press(Qt::Key_Escape);
    ASSERT_FALSE(menu->isVisible());
    Press(Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(menu->isVisible());
    ToMenuItem("Remove Selected");
    dialogs.AnswerMsgBox(vb::vbYes);
    Press(Qt::Key_Return);
    EXPECT_EQ(dialogs.LastMessage(), "Delete The 2 Selected Tasks?");
    EXPECT_EQ(Ids(), QStringList{"ID-4"});

    // Delete from the list bar.
    ToListItem("Delete");
    dialogs.AnswerMsgBox(vb::vbYes);
    Press(Qt::Key_Return);
    EXPECT_EQ(dialogs.LastMessage(), "Delete Task \"ID-4\"?");
    EXPECT_TRUE(Ids().isEmpty());
}

}  // namespace

// The main road worked with the keyboard alone: the list bar, the task
// editor, the task grid and its pop-up menu, reached by Tab and worked by
// Return, Space, the arrows and the Menu key.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolBox>
#include <gtest/gtest.h>

#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "support/Keyboard.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/Ui.h"
#include "ui/tasks/Form6.h"

namespace {

using TestKeys::Press;
using TestKeys::TabTo;

class KeyboardOnly : public MainWindowTest {
protected:
    // The list bar's item, reached by Tab and the arrows.
    void ToListItem(const QString& text) {
        QListWidget* list = form_->Listbar1->findChild<QListWidget*>("Tasks");
        // A closed window gives the focus back, as the desktop does.
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
        ASSERT_TRUE(TabTo(list));
        Press(Qt::Key_Home);
        for (int i = 0; i < list->count() && list->currentItem()->text() != text; ++i) Press(Qt::Key_Down);
        ASSERT_EQ(list->currentItem()->text(), text);
    }
    Form6* Editor() {
        TestUi::Settle();
        Form6* f = Forms::Loaded<Form6>();
        EXPECT_TRUE(f && QTest::qWaitForWindowActive(f));
        return f;
    }
    // Tab to the field, select what it holds and type over it.
    void TypeInto(QWidget* field, const QString& text) {
        ASSERT_TRUE(TabTo(field));
        Press(Qt::Key_A, Qt::ControlModifier);
        TestKeys::TypeHere(text);
    }
};

TEST_F(KeyboardOnly, AddEditAndDeleteTasks) {
    NewDatabase();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));

    // Add: Return on the list bar's "Add"; the editor filled by Tab and typing.
    ToListItem("Add");
    Press(Qt::Key_Return);
    Form6* f = Editor();
    ASSERT_TRUE(f);
    TypeInto(f->Text2, "Pump 4");
    TypeInto(f->Combo1, "Lubrication");
    ASSERT_TRUE(TabTo(f->Command3));
    Press(Qt::Key_Space);
    EXPECT_EQ(form_->Grid1.Text(1, Col::Equipment), "Pump 4");

    // Edit: Space on "Edit" opens the task the grid's active row holds.
    ToListItem("Edit");
    Press(Qt::Key_Space);
    f = Editor();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->windowTitle(), "Edit Task");
    TypeInto(f->Text2, "Pump 5");
    ASSERT_TRUE(TabTo(f->Command3));
    Press(Qt::Key_Space);
    EXPECT_EQ(form_->Grid1.Text(1, Col::Equipment), "Pump 5");

    // Delete from the grid's pop-up menu, which the Menu key and Shift+F10
    // open at the active cell (wherever the pointer is) and which acts on
    // the rows selected with Shift and the arrows.
    AddTask("ID-9", QDate::currentDate());
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
    ASSERT_TRUE(TabTo(form_->Grid1View));
    Press(Qt::Key_Home, Qt::ControlModifier);
    // Tab leaves the grid rather than walking its cells; Shift+Tab comes back.
    Press(Qt::Key_Tab);
    EXPECT_NE(TestKeys::Focused(), form_->Grid1View);
    Press(Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_EQ(TestKeys::Focused(), form_->Grid1View);
    Press(Qt::Key_Down, Qt::ShiftModifier);
    QMenu* menu = form_->mnuhid;
    Press(Qt::Key_Menu);
    ASSERT_TRUE(menu->isVisible());
    const QRect cell = TestUi::CellRect(form_->Grid1View, 2, form_->Grid1.ActiveCol());
    EXPECT_EQ(menu->pos(), form_->Grid1View->viewport()->mapToGlobal(cell.center()));
    ASSERT_TRUE(menu->activeAction());
    EXPECT_EQ(menu->activeAction()->text(), "Select As From Date");
    Press(Qt::Key_Escape);
    ASSERT_FALSE(menu->isVisible());
    Press(Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(menu->isVisible());
    for (int i = 0; i < menu->actions().size() && menu->activeAction()->text() != "Remove Selected"; ++i)
        Press(Qt::Key_Down);
    ASSERT_EQ(menu->activeAction()->text(), "Remove Selected");
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    Press(Qt::Key_Return);
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "Delete The 2 Selected Tasks?");
    EXPECT_EQ(form_->Grid1.Rows(), 1);
}

}  // namespace

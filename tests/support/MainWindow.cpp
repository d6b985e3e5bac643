#include "support/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QToolBar>
#include <QToolBox>
#include <QTest>
#include <gtest/gtest.h>

#include "model/lists/ListFile.h"
#include "model/tasks/TaskFiles.h"
#include "platform/DateText.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "widgets/Printing.h"
#include "support/ScriptedDialogs.h"
#include "support/Ui.h"

void MainWindowTest::SetUp() {
    QuillonTest::SetUp();
}

void MainWindowTest::TearDown() {
    Stop();
    Printing::SetPdfOutput({});
    QuillonTest::TearDown();
}

Form1* MainWindowTest::Start() {
    Stop();
    form_ = new Form1;
    form_->Form_Load();   // shows the window, as at a real start
    QApplication::processEvents();
    return form_;
}

void MainWindowTest::Stop() {
    if (!form_) return;
    form_->UnloadAllForms();
    delete form_;
    form_ = nullptr;
    Forms::UnloadAll();
    QApplication::processEvents();
}

QString MainWindowTest::NewDatabase(const QString& fileName, bool makeDefault) {
    if (!form_) Start();
    const QString path = temp_ + "/" + fileName;
    TestEnv::Dialogs().AnswerSave(path);
    TestEnv::Dialogs().AnswerMsgBox(makeDefault ? vb::vbYes : vb::vbNo);
    form_->mnunewd_Click();
    return path;
}

int MainWindowTest::AddTask(const QStringList& columns) {
    Grid& g = form_->Grid1;
    g.SetRows(g.Rows() + 1);
    const int r = g.Rows() - 1;
    for (int i = 0; i < columns.size() && i + 1 < g.Cols(); ++i) g.SetText(r, i + 1, columns[i]);
    form_->SaveDatabase();
    return r;
}

int MainWindowTest::AddTask(const QString& id, const QDate& start, const QString& status) {
    return AddTask({id, "Boiler 1", DateText::FormatDate(start.addDays(-3)), DateText::FormatDate(start), "08:00:00",
                    DateText::FormatDate(start.addDays(1)), "16:00:00", "Ann", "Bob", "Inspection", "7", "", status});
}

void MainWindowTest::ClickCell(int row, int col, Qt::KeyboardModifiers mods) {
    form_->Grid1View->Sync();
    const QRect cell = TestUi::CellRect(form_->Grid1View, row, col);
    ASSERT_TRUE(cell.isValid()) << row << "," << col;
    QTest::mouseClick(form_->Grid1View->viewport(), Qt::LeftButton, mods, cell.center());
}

void MainWindowTest::RowMenu(int row, int col, const char* item) {
    form_->Grid1View->Sync();
    const QRect cell = TestUi::CellRect(form_->Grid1View, row, col);
    ASSERT_TRUE(cell.isValid()) << row << "," << col;
    QTest::mousePress(form_->Grid1View->viewport(), Qt::RightButton, {}, cell.center());
    ASSERT_TRUE(form_->mnuhid->isVisible());
    QAction* a = form_->MenuItem(item);
    ASSERT_NE(a, nullptr) << item;
    a->trigger();
    form_->mnuhid->hide();
}

void MainWindowTest::ClickListItem(const QString& text) {
    QListWidget* list = nullptr;
    for (int i = 0; i < form_->Listbar1->count() && !list; ++i) {
        auto* l = qobject_cast<QListWidget*>(form_->Listbar1->widget(i));
        if (l && !l->findItems(text, Qt::MatchExactly).isEmpty()) {
            form_->Listbar1->setCurrentIndex(i);
            list = l;
        }
    }
    ASSERT_NE(list, nullptr) << text.toStdString();
    QApplication::processEvents();
    QListWidgetItem* item = list->findItems(text, Qt::MatchExactly).first();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

void MainWindowTest::ClickToolButton(const QString& key) {
    for (QAction* a : form_->Toolbar1->actions())
        if (a->data().toString() == key) return TestUi::ClickAction(form_->Toolbar1, a);
    FAIL() << "no button " << key.toStdString();
}

void MainWindowTest::AddListEntries(const QString& section,
                                    const std::vector<std::pair<QString, QString>>& entries) {
    ListFile list(form_->ListFilePath());
    for (const auto& [name, colour] : entries) ASSERT_TRUE(list.Add(section, name, colour)) << name.toStdString();
}

void MainWindowTest::WriteItems(const QString& id, const QStringList& items) {
    Grid g;
    TaskFiles::ResetItems(g);
    for (const QString& item : items) TaskFiles::AddItem(g, item);
    ASSERT_TRUE(TaskFiles::SaveList(g, TaskFiles::ItemFile(form_->TasksFolder(), id)));
}

void MainWindowTest::WriteMaterials(const QString& id, const std::vector<std::pair<QString, QString>>& materials) {
    Grid g;
    TaskFiles::ResetMaterials(g);
    for (const auto& [material, cost] : materials) TaskFiles::AddMaterial(g, material, cost);
    ASSERT_TRUE(TaskFiles::SaveList(g, TaskFiles::MaterialFile(form_->MaterialsFolder(), id)));
}

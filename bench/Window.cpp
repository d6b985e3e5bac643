#include "bench/Window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

#include "app/Form1.h"
#include "bench/TaskData.h"
#include "platform/Registry.h"
#include "ui/tasks/Form6.h"
#include "widgets/Forms.h"
#include "widgets/GridPrint.h"
#include "widgets/GridView.h"

namespace BenchData {

Window::Window(int tasks, bool viewAll, bool apart, bool coloured) {
    qputenv("QUILLON_CONFIG_DIR", (dir_.path() + "/config").toUtf8());
    if (coloured) {
        Settings::Set("Colors", "PastDue", "255");
        Settings::Set("Colors", "ForeDue", "16777215");
    }
    path_ = dir_.path() + "/plant.vkt";
    bool made = false;
    if (!apart) {
        made = TaskGrid(tasks).SaveFile(path_);
    } else if (const pid_t child = ::fork(); child == 0) {
        ::_exit(TaskGrid(tasks).SaveFile(path_) ? 0 : 1);
    } else {
        int status = 0;
        made = ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    if (!made) return;
    QDir().mkpath(dir_.path() + "/plant/Tasks");
    QDir().mkpath(dir_.path() + "/plant/Materials");
    QFile(dir_.path() + "/plant.ini").open(QIODevice::WriteOnly);
    Settings::Set("Settings", "Default", path_);
    Settings::Set("Settings", "Path", dir_.path() + "/");
    Settings::Set("Settings", "FileTitle", "plant");
    Settings::Set("Dates", "To", "30");
    form_ = new Form1;
    form_->Form_Load();
    form_->resize(1280, 800);
    form_->show();
    if (viewAll) ViewAll();
    QApplication::processEvents();
}

Window::~Window() {
    if (form_) {
        form_->UnloadAllForms();
        delete form_;
        QApplication::processEvents();
    }
    qunsetenv("QUILLON_CONFIG_DIR");
}

void Window::ViewAll() const {
    form_->MenuItem(QStringLiteral("mnuall"))->trigger();
    QApplication::processEvents();
}

GridPrint::PrintPreview* Window::PreviewGrid() const {
    form_->MenuItem(QStringLiteral("mnusht"))->trigger();
    QApplication::processEvents();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<GridPrint::PrintPreview*>(w); p && p->isVisible()) return p;
    return nullptr;
}

Form6* Window::EditTask(int row, const QString& assignedTo) const {
    Click(row, Col::TaskId);
    Form6* editor = form_->EditorForEdit();
    if (!editor) return nullptr;
    editor->Text3->setText(assignedTo);
    QApplication::processEvents();
    return editor;
}

void Window::ClickSave(Form6* editor) {
    editor->Command3->click();
    QApplication::processEvents();
}

bool Window::SaveTask(int row, const QString& assignedTo) const {
    Form6* editor = EditTask(row, assignedTo);
    if (!editor) return false;
    ClickSave(editor);
    return !Forms::Loaded<Form6>();
}

void Window::Click(int row, int col) const {
    GridView* view = form_->Grid1View;
    const auto* model = qobject_cast<const GridModel*>(view->model());
    const QModelIndex cell = model->index(model->ViewRow(row), col);
    view->scrollTo(cell);
    const QRect at = view->visualRect(cell);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at.center());
}

}  // namespace BenchData

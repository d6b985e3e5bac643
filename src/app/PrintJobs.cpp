#include "app/PrintJobs.h"

#include <QWidget>

#include "model/database/TaskColumns.h"
#include "model/database/TaskDatabase.h"
#include "model/schedule/PrintSheets.h"
#include "model/tasks/TaskFiles.h"
#include "platform/Dialogs.h"
#include "ui/schedule/Form9.h"
#include "widgets/Forms.h"
#include "widgets/GridPrint.h"
#include "widgets/WaitCursor.h"

namespace {

using Quillon::kTitle;

// The row of the task to print, or -1 after saying there is none.
int PrintedTaskRow(const Grid& grid) {
    const int r = grid.ActiveRow();
    if (grid.IsDataRow(r)) return r;
    MsgBox(QStringLiteral("No Tasks Found"), vb::vbCritical, kTitle);
    return -1;
}

// Loads one of the task's lists into its work grid, which always starts
// empty, so no print ever shows another task's list. nullptr when the task
// has no such list; a list that exists but cannot be read is said, and the
// sheet is printed without it.
const Grid* LoadList(Grid& work, const QString& path, const QString& what, const QString& id, bool items) {
    QString error;
    const TaskFiles::LoadResult result =
        items ? TaskFiles::LoadItems(work, path, &error) : TaskFiles::LoadMaterials(work, path, &error);
    if (result == TaskFiles::LoadResult::Loaded) return &work;
    if (result == TaskFiles::LoadResult::Failed)
        MsgBox(QStringLiteral("The %1 of task %2 could not be read, so the sheet is printed without it.\n%3")
                   .arg(what, id, error),
               vb::vbExclamation, kTitle);
    return nullptr;
}

}  // namespace

PrintJobs::PrintJobs(TaskDatabase& db, QWidget* window) : db_(db), window_(window) {}

void PrintJobs::WorkOrder() {
    const Grid& tasks = db_.Tasks();
    const int row = PrintedTaskRow(tasks);
    if (row < 0) return;
    const QString id = tasks.Text(row, Col::TaskId);
    const Grid* items =
        LoadList(items_, TaskFiles::ItemFile(db_.TasksFolder(), id), QStringLiteral("task item list"), id, true);
    const Grid* materials = LoadList(materials_, TaskFiles::MaterialFile(db_.MaterialsFolder(), id),
                                     QStringLiteral("material list"), id, false);
    Form9* host = Forms::Load<Form9>();
    PrintSheets::BuildWorkOrder(host->Grid1, tasks, row, items, materials);
    host->PrintProject(window_);
    Forms::Unload<Form9>();
}

void PrintJobs::MaterialList() {
    const Grid& tasks = db_.Tasks();
    const int row = PrintedTaskRow(tasks);
    if (row < 0) return;
    const QString id = tasks.Text(row, Col::TaskId);
    const Grid* materials = LoadList(materials_, TaskFiles::MaterialFile(db_.MaterialsFolder(), id),
                                     QStringLiteral("material list"), id, false);
    Form9* host = Forms::Load<Form9>();
    PrintSheets::BuildMaterialList(host->Grid1, tasks, row, materials);
    host->PrintMat(window_);
    Forms::Unload<Form9>();
}

void PrintJobs::TaskGrid() {
    if (db_.Tasks().Rows() < 1) {
        MsgBox(QStringLiteral("You must Load The Grid!"), vb::vbExclamation, QStringLiteral("Quillon  "));
        return;
    }
    WaitCursor wait;
    GridPrint::ShowPreview(db_.Tasks(), PrintSheets::TaskGridLayout(window_->windowTitle()), 100, window_);
}

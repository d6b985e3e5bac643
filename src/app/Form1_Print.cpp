// The main window's print commands (work order, material list, task grid)
// and the spreadsheet program's path. The sheets are built by plain code
// (model/schedule/PrintSheets) and shown in the grid's print preview, from which
// the user prints.
#include <QApplication>

#include "app/Form1.h"
#include "widgets/WaitCursor.h"
#include "widgets/Forms.h"
#include "platform/Dialogs.h"
#include "platform/FileOps.h"
#include "widgets/GridPrint.h"
#include "model/schedule/ExcelPath.h"
#include "ui/schedule/Form9.h"
#include "model/schedule/PrintSheets.h"
#include "ui/schedule/frmExcel.h"
#include "model/tasks/TaskFiles.h"

namespace {

const QString kTitle = QStringLiteral("Quillon");

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

void Form1::PrintWork() {
    const int row = PrintedTaskRow(Grid1);
    if (row < 0) return;
    const QString id = Grid1.Text(row, Col::TaskId);
    const Grid* items = LoadList(Grid2, TaskFiles::ItemFile(TasksFolder(), id), QStringLiteral("task item list"), id, true);
    const Grid* materials =
        LoadList(Grid3, TaskFiles::MaterialFile(MaterialsFolder(), id), QStringLiteral("material list"), id, false);
    Form9* host = Forms::Load<Form9>();
    PrintSheets::BuildWorkOrder(host->Grid1, Grid1, row, items, materials);
    host->PrintProject(this);
    Forms::Unload<Form9>();
}

void Form1::mnupcost_Click() {
    const int row = PrintedTaskRow(Grid1);
    if (row < 0) return;
    const QString id = Grid1.Text(row, Col::TaskId);
    const Grid* materials =
        LoadList(Grid3, TaskFiles::MaterialFile(MaterialsFolder(), id), QStringLiteral("material list"), id, false);
    Form9* host = Forms::Load<Form9>();
    PrintSheets::BuildMaterialList(host->Grid1, Grid1, row, materials);
    host->PrintMat(this);
    Forms::Unload<Form9>();
}


void Form1::mtprint_Click() {
    if (Grid1.Rows() < 1) {
        MsgBox(QStringLiteral("You must Load The Grid!"), vb::vbExclamation, QStringLiteral("Quillon  "));
        return;
    }
    WaitCursor wait;
    GridPrint::ShowPreview(Grid1, PrintSheets::TaskGridLayout(windowTitle()), 100, this);
}

void Form1::FindExcel() {
    // A path the user applied stays when the lookup finds nothing.
    const QString found = ExcelPath::GetExcelPath();
    if (!found.isEmpty() && found != ExcelPath::Stored()) ExcelPath::Store(found);
}

void Form1::mnuexcel_Click() { Forms::Show<frmExcel>(); }

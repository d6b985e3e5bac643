// The task editor's lists, filled from the ActiveTask's per-task files.
#include "app/Form1.h"
#include "platform/Forms.h"
#include "tasks/Form6.h"

namespace {
QString ActiveTaskId(const Grid& grid) {
    const int row = grid.ActiveRow();
    return row >= 1 && row < grid.Rows() ? grid.Text(row, Col::TaskId) : QString();
}
}  // namespace

void Form1::GetTasks() { Forms::Load<Form6>()->LoadItemList(ActiveTaskId(Grid1)); }

void Form1::GetMat() { Forms::Load<Form6>()->LoadMaterialList(ActiveTaskId(Grid1)); }

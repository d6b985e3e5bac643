#pragma once
// The task's print jobs: the work order and the material list of the
// active task, and the task grid, each shown in the print preview from which
// the user prints. The sheets are built by plain code (PrintSheets). A class
// of its own because it keeps the two work grids the task's lists are read
// into: each starts empty, so no print ever shows another task's list.

#include "platform/Grid.h"

class QWidget;
class TaskDatabase;

class PrintJobs {
public:
    // `window` owns the previews and gives the printed grid its page header.
    PrintJobs(TaskDatabase& db, QWidget* window);

    // "No Tasks Found" when no task row is active.
    void WorkOrder();
    void MaterialList();
    // "You must Load The Grid!" when the grid has no row.
    void TaskGrid();

private:
    TaskDatabase& db_;
    QWidget* window_;
    Grid items_;       // the work order's task items
    Grid materials_;   // the materials of either sheet
};

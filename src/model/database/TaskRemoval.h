#pragma once
// Removal of the selected tasks and of their per-task files (the item list
// <Task ID>.tsk in the companion folder's Tasks folder and the material list
// <Task ID>.mts in its Materials folder).
//
// The order keeps data safe: the rows leave the grid, the grid is saved, and
// only once the save succeeded are the files of the removed tasks deleted —
// and only for IDs that no remaining row still carries (IDs need not be
// unique) and that are plain file names (a Task ID such as "../x" could
// otherwise reach files outside those folders).

#include <QString>
#include <QStringList>

#include "platform/Grid.h"

namespace TaskRemoval {

// The task rows the selection spans (the header row never counts).
struct Range {
    int first = 0;
    int last = -1;
    bool empty() const { return last < first; }
};
Range SelectedTaskRows(const Grid& grid);

// The Task IDs of the shown rows of the selection, in row order (a hidden
// row inside it is not one the user selected). None with the header row
// active.
QStringList SelectedIds(const Grid& grid);

// Removes the shown rows of the selection and returns the Task IDs they
// carried, in row order. Nothing is removed when the header row is the
// active row.
QStringList RemoveSelected(Grid& grid);

// Of the removed IDs, those whose files may go: not carried by any row left
// in the grid, usable as a file name, each once.
QStringList OrphanedIds(const Grid& remaining, const QStringList& removedIds);

// The item and material files of those IDs that exist, inside the two
// folders. An empty folder text yields nothing.
QStringList TaskFiles(const QString& tasksFolder, const QString& materialsFolder,
                      const QStringList& ids);

// Deletes the files of TaskFiles(); returns how many were deleted. A file
// that cannot be deleted stays and the rest go on.
int DeleteTaskFiles(const QString& tasksFolder, const QString& materialsFolder,
                    const QStringList& ids);
}

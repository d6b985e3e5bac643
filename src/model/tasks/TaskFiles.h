#pragma once
// The files that belong to one task beside the database: its item list
// (Tasks/<ID>.tsk), its material and cost list (Materials/<ID>.mts), both
// grids saved whole, and the copy of its attached document in Docs/. The
// task editor's windows call these; tests call them directly.

#include <QString>

class Grid;

namespace TaskFiles {

inline const QString kItemsHeader = QStringLiteral("Task Items");
inline const QString kMaterialsHeader = QStringLiteral("Materials");
inline const QString kCostHeader = QStringLiteral("Cost");

// The empty, headed lists: column 0 hidden, then the list's columns.
void ResetItems(Grid& grid);
void ResetMaterials(Grid& grid);

// Why a Task ID cannot name its files ("" when it can): it must not be
// empty and must be usable as a file name inside the task folders.
QString IdProblem(const QString& id);
// The item and material file of a task; "" when the folder is not known or
// the ID cannot name a file.
QString ItemFile(const QString& tasksFolder, const QString& id);
QString MaterialFile(const QString& materialsFolder, const QString& id);

enum class LoadResult { Loaded, Missing, Failed };
// Loads a list file into the grid. A missing file gives the empty layout
// (`reset`); a file that cannot be read gives the empty layout too and
// Failed with the reason, and SaveList will then refuse to replace it.
LoadResult LoadItems(Grid& grid, const QString& path, QString* error = nullptr);
LoadResult LoadMaterials(Grid& grid, const QString& path, QString* error = nullptr);

// Writes a list grid to its file through a temporary file, making the
// task folder when it is missing. An existing file that is not a readable
// list is never replaced (it may hold the user's data in a form this
// version cannot read); that and every other failure return false.
bool SaveList(const Grid& grid, const QString& path, QString* error = nullptr);

// List edits, cell by cell, so a tab in the text stays in its cell.
void AddItem(Grid& grid, const QString& text);
void SetItem(Grid& grid, int row, const QString& text);
void AddMaterial(Grid& grid, const QString& material, const QString& cost);
void SetMaterial(Grid& grid, int row, const QString& material, const QString& cost);
// Removes the selected rows of a list (never its header row).
void DeleteSelected(Grid& grid);

// The attached document's copy in the documents folder.
struct CopyResult {
    enum Status { Copied, Shared, Failed } status = Failed;
    QString path;     // the copy's full path (Copied, Shared)
    QString error;    // Failed: what went wrong
};
// Copies `source` into `docsFolder` (made when missing) under its own name.
// The folder is shared by every task (and every database beside it), so a
// file there is never replaced: where a different file already has the
// name, the copy takes the first free "name (2).ext", "name (3).ext", ...
// A file there with the same bytes (or the source itself) is shared
// instead of copied again (Shared). Nothing is asked.
CopyResult CopyDocument(const QString& source, const QString& docsFolder);

// The part of a path after its last separator ('/' or '\').
QString TrimPath(const QString& path);

// The open dialog's filter for a task's document: every picture format the
// program can show (the Photo page shows the document), then each alone.
QString PictureFilter();

}  // namespace TaskFiles

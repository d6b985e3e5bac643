#include "model/database/TaskRemoval.h"

#include <QSet>
#include <algorithm>
#include <unordered_set>

#include "model/database/RowProgress.h"
#include "model/database/TaskColumns.h"
#include "platform/FileOps.h"

namespace TaskRemoval {

Range SelectedTaskRows(const Grid& grid) {
    if (grid.ActiveRow() < 1) return {};
    return {std::max(1, grid.SelectionFirstRow()), std::min(grid.SelectionLastRow(), grid.Rows() - 1)};
}

QStringList SelectedIds(const Grid& grid) {
    const Range range = SelectedTaskRows(grid);
    QStringList ids;
    for (int r = range.first; r <= range.last; ++r)
        if (grid.RowShown(r)) ids << grid.Text(r, Col::TaskId);
    return ids;
}

QStringList RemoveSelected(Grid& grid) {
    const QStringList ids = SelectedIds(grid);
    if (ids.isEmpty()) return ids;
    grid.DeleteSelectedRows();
    return ids;
}

QStringList OrphanedIds(const Grid& remaining, const QStringList& removedIds) {
    std::unordered_set<std::string> kept;
    kept.reserve(size_t(std::max(0, remaining.Rows() - 1)));
    for (int r = 1; r < remaining.Rows(); ++r) kept.insert(remaining.TextUtf8(r, Col::TaskId));
    QStringList out;
    QSet<QString> seen;
    for (const QString& id : removedIds) {
        if (seen.contains(id) || kept.count(id.toStdString())) continue;
        seen.insert(id);
        if (!FileOps::IsSafeFileName(id + QStringLiteral(".tsk"))) continue;
        if (!FileOps::IsSafeFileName(id)) continue;
        out << id;
    }
    return out;
}

QStringList TaskFiles(const QString& tasksFolder, const QString& materialsFolder,
                      const QStringList& ids) {
    QStringList files;
    for (const QString& id : ids) {
        if (!FileOps::IsSafeFileName(id) || !FileOps::IsSafeFileName(id + QStringLiteral(".tsk")))
            continue;
        if (!tasksFolder.isEmpty()) {
            const QString f = FileOps::Join(tasksFolder, id + QStringLiteral(".tsk"));
            if (FileOps::FileExists(f)) files << f;
        }
        if (!materialsFolder.isEmpty()) {
            const QString f = FileOps::Join(materialsFolder, id + QStringLiteral(".mts"));
            if (FileOps::FileExists(f)) files << f;
        }
    }
    return files;
}

int DeleteTaskFiles(const QString& tasksFolder, const QString& materialsFolder,
                    const QStringList& ids) {
    int deleted = 0;
    for (const QString& f : TaskFiles(tasksFolder, materialsFolder, ids))
        if (FileOps::RemoveFile(f)) ++deleted;
    return deleted;
}

}  // namespace TaskRemoval

#include "model/database/TaskViews.h"

#include "model/database/TaskColumns.h"

#include <algorithm>

using TaskPass::RedrawHold;
using TaskPass::Report;

namespace TaskViews {

int ShowStatus(Grid& grid, const QString& status, const TaskPass::RowProgress& progress) {
    RedrawHold<Grid> hold(grid);
    const std::string wanted = status.toStdString();
    const int last = grid.Rows() - 1;
    int shown = 0;
    for (int r = 1; r <= last; ++r) {
        const bool match = grid.TextUtf8(r, Col::Status) == wanted;
        grid.SetRowHeight(r, match ? Grid::kShownRowHeight : 0);
        shown += match;
        Report(progress, r, last);
    }
    return shown;
}

int ShowAll(Grid& grid, const TaskPass::RowProgress& progress) {
    RedrawHold<Grid> hold(grid);
    const int last = grid.Rows() - 1;
    for (int r = 1; r <= last; ++r) {
        grid.SetRowHeight(r, Grid::kShownRowHeight);
        Report(progress, r, last);
    }
    return std::max(0, last);
}

int MatchSelected(Grid& grid, const TaskPass::RowProgress& progress) {
    const int activeRow = grid.ActiveRow();
    const int col = grid.ActiveCol();
    // The header's text is no task value to match: comparing with it would
    // hide every row.
    if (activeRow < 1 || !grid.ValidCell(activeRow, col)) return -1;
    RedrawHold<Grid> hold(grid);
    const std::string wanted = grid.TextUtf8(activeRow, col);
    const int last = grid.Rows() - 1;
    int hidden = 0;
    for (int r = 1; r <= last; ++r) {
        if (grid.RowHeight(r) != 0 && grid.TextUtf8(r, col) != wanted) {
            grid.SetRowHeight(r, 0);
            ++hidden;
        }
        Report(progress, r, last);
    }
    return hidden;
}

int ClearAlerts(Grid& grid, const TaskPass::RowProgress& progress) {
    RedrawHold<Grid> hold(grid);
    const int last = grid.Rows() - 1;
    int changed = 0;
    for (int r = 1; r <= last; ++r) {
        if (grid.TextUtf8(r, Col::Status) == TaskStatus::kAlert) {
            grid.SetTextUtf8(r, Col::Status, TaskStatus::kReady);
            ++changed;
        }
        Report(progress, r, last);
    }
    return changed;
}

}  // namespace TaskViews

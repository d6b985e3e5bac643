#pragma once
// Progress reporting of whole-grid passes. A pass calls the callback with the
// row it has reached every kProgressStride rows and once with its last row,
// so a window can move its progress bar a few times a second without paying
// for a callback on every row.

#include <functional>

#include "model/database/TaskColumns.h"

namespace TaskPass {
using RowProgress = std::function<void(int row)>;
constexpr int kProgressStride = 4096;

inline void Report(const RowProgress& progress, int row, int lastRow) {
    if (progress && (row % kProgressStride == 0 || row == lastRow)) progress(row);
}

// Holds the grid's change notices back for the length of a pass and sends
// one reset at the end (unless an outer pass is still holding them).
template <class G>
class RedrawHold {
public:
    explicit RedrawHold(G& grid) : grid_(grid), was_(grid.Redraw()) { grid_.SetRedraw(false); }
    ~RedrawHold() { grid_.SetRedraw(was_); }
    RedrawHold(const RedrawHold&) = delete;
    RedrawHold& operator=(const RedrawHold&) = delete;
private:
    G& grid_;
    bool was_;
};
}

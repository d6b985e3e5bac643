#include "model/database/PastDue.h"

#include "model/database/TaskColumns.h"
#include "model/database/TaskViews.h"
#include "platform/Colors.h"
#include "platform/DateText.h"
#include "platform/Registry.h"

namespace PastDue {

std::optional<uint32_t> ParseColour(const QString& text) {
    const std::optional<int32_t> n = Colors::Parse(text);
    if (!n) return std::nullopt;
    return uint32_t(*n);
}

Colours ReadColours() {
    return {ParseColour(Settings::Get(QStringLiteral("Colors"), QStringLiteral("PastDue"))),
            ParseColour(Settings::Get(QStringLiteral("Colors"), QStringLiteral("ForeDue")))};
}

std::optional<QDate> StartDay(std::string_view cell) {
    if (cell.empty()) return std::nullopt;
    // A start stored with its time of day still names its day.
    return DateText::ParseDateUtf8(cell);
}

Result Mark(Grid& grid, const QDate& today, const Colours& colours,
            const TaskPass::RowProgress& progress) {
    TaskPass::RedrawHold<Grid> hold(grid);
    Result result;
    const int last = grid.Rows() - 1;
    const int cols = grid.Cols();
    for (int r = 1; r <= last; ++r) {
        // The dates lie apart from the cells: asked for some rows ahead.
        grid.Prefetch(r + 16, Col::ScheduledStart);
        const std::string_view status = grid.TextUtf8(r, Col::Status);
        // Only "Ready" rows can change, so only their dates need reading.
        if (status == TaskStatus::kReady) {
            const std::optional<QDate> start = StartDay(grid.TextUtf8(r, Col::ScheduledStart));
            if (start && *start < today) {
                grid.SetTextUtf8(r, Col::Status, TaskStatus::kPastDue);
                ++result.marked;
            }
        }
        const bool pastDue = grid.TextUtf8(r, Col::Status) == TaskStatus::kPastDue;
        result.pastDue += pastDue;
        // A grid that was never coloured is already black on white.
        if (!pastDue && !grid.HasCustomStyle()) {
            TaskPass::Report(progress, r, last);
            continue;
        }
        const std::optional<uint32_t> back = pastDue ? colours.back : Grid::kWhite;
        const std::optional<uint32_t> fore = pastDue ? colours.fore : Grid::kBlack;
        for (int c = 1; c < cols; ++c) {
            // Repeated passes mostly find the colours in place already.
            if (back && grid.BackColor(r, c) != *back) grid.SetBackColor(r, c, *back);
            if (fore && grid.ForeColor(r, c) != *fore) grid.SetForeColor(r, c, *fore);
        }
        TaskPass::Report(progress, r, last);
    }
    return result;
}

}  // namespace PastDue

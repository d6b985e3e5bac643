#include "model/schedule/ResourceChart.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "model/database/TaskColumns.h"
#include "model/lists/ListFile.h"
#include "platform/DateText.h"
#include "platform/GanttModel.h"
#include "platform/Grid.h"

namespace ResourceChart {

namespace {
constexpr int kBarStyle = 8;
constexpr int kWindowDays = 11;
}

Columns ColumnsOf(Listing listing) {
    if (listing == Listing::ByEmployee)
        return {ListSection::Employees, Col::AssignedTo, Col::Equipment, QStringLiteral("Assigned To")};
    return {ListSection::Equipment, Col::Equipment, Col::AssignedTo, QStringLiteral("Equipment")};
}

void Build(GanttModel& chart, const Grid& grid, const QString& listFilePath, Listing listing, const QDate& from) {
    const Columns cols = ColumnsOf(listing);
    chart.BeginUpdate();
    chart.ClearChart();
    chart.StartDate = from.startOfDay();
    chart.EndDate = chart.StartDate.addDays(kWindowDays);

    const std::vector<ListEntry> entries = ListFile(listFilePath).Entries(cols.section);

    // The shown task rows of each listed name, in grid order. Names match as
    // whole texts, letter case and blanks included.
    std::unordered_map<std::string, std::vector<int>> rowsOf;
    rowsOf.reserve(entries.size() * 2);
    for (const ListEntry& e : entries) rowsOf.emplace(e.name.toStdString(), std::vector<int>());
    const bool columnsThere = grid.Cols() > std::max({int(Col::ScheduledEnd), cols.compared, cols.text});
    if (columnsThere) {
        for (int r = 1; r < grid.Rows(); ++r) {
            if (!grid.RowShown(r)) continue;
            auto it = rowsOf.find(grid.TextUtf8(r, cols.compared));
            if (it != rowsOf.end()) it->second.push_back(r);
        }
    }

    for (const ListEntry& e : entries) {
        chart.AddColumn(0, cols.caption, 0, 100, true);
        const int row = chart.LastRow() < 0 ? chart.AddFirstRow() : chart.AddRow(chart.LastRow());
        chart.SetRowCaption(row, e.name);
        const std::optional<int32_t> colour = e.Colour();
        for (int r : rowsOf[e.name.toStdString()]) {
            const auto start = DateText::ParseLocalUtf8(grid.TextUtf8(r, Col::ScheduledStart));
            const auto stop = DateText::ParseLocalUtf8(grid.TextUtf8(r, Col::ScheduledEnd));
            if (!start || !stop) continue;
            GanttModel::TimeBar bar = chart.AddTimeBar(row, 0);
            bar.SetStyle(kBarStyle);
            if (colour) bar.SetColor(*colour);
            bar.SetStartTime(GanttModel::ToTime(start->date, start->time));
            bar.SetStopTime(GanttModel::ToTime(stop->date, stop->time));
            bar.Update();
            const std::string& text = grid.TextUtf8(r, cols.text);
            bar.SetText(QString::fromUtf8(text.data(), qsizetype(text.size())));
        }
    }
    chart.EndUpdate();
}

}  // namespace ResourceChart

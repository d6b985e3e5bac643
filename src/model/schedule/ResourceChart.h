#pragma once
// The resource chart: one chart row per employee (or piece of equipment) of
// the database's list file, in the file's order, and in each row one bar per
// task the grid shows for that name. Built whole from the task grid and the
// list file; the chart keeps nothing of its own.

#include <QDate>
#include <QString>

class Grid;
class GanttModel;

namespace ResourceChart {

enum class Listing { ByEmployee, ByEquipment };

struct Columns {
    QString section;   // list-file section of the rows
    int compared;      // task column that must hold the entry's name exactly
    int text;          // task column shown with the bar
    QString caption;   // caption of the row-area column
};
Columns ColumnsOf(Listing listing);

// Rebuilds `chart`: rows from the list file at `listFilePath`, bars from
// the grid's shown task rows (Scheduled Start to Scheduled End, in the
// entry's colour), the window from `from` to 11 days later. One pass over
// the grid, whatever the number of entries. A task whose start or end is
// not a date gets no bar.
void Build(GanttModel& chart, const Grid& grid, const QString& listFilePath, Listing listing, const QDate& from);

}  // namespace ResourceChart

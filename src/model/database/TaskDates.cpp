#include "model/database/TaskDates.h"

#include "model/database/TaskColumns.h"
#include "platform/Grid.h"

namespace TaskDates {

namespace {

using DateText::Order;

constexpr int kDateCols[] = {Col::RequestDate, Col::ScheduledStart, Col::ScheduledEnd};
constexpr int kTimeCols[] = {Col::StartTime, Col::EndTime};
constexpr int kListed = 8;   // tasks named in a notice; the rest are counted

QString ColumnName(int col) {
    switch (col) {
    case Col::RequestDate: return QStringLiteral("Request Date");
    case Col::ScheduledStart: return QStringLiteral("Scheduled Start");
    case Col::StartTime: return QStringLiteral("Start Time");
    case Col::ScheduledEnd: return QStringLiteral("Scheduled End");
    default: return QStringLiteral("End Time");
    }
}

QString TaskName(const Grid& grid, int row) {
    const QString id = grid.Text(row, Col::TaskId);
    return id.isEmpty() ? QStringLiteral("row %1").arg(row) : id;
}

void NoteUnreadable(const Grid& grid, int row, int col, Report& report) {
    if (++report.unreadableCount <= kListed)
        report.unreadable << QStringLiteral("%1, %2 \"%3\"").arg(TaskName(grid, row), ColumnName(col), grid.Text(row, col));
}

bool Recast(Grid& grid, int row, int col, Order from, std::string& buffer) {
    if (!DateText::Recast(grid.TextUtf8(row, col), from, buffer)) return false;
    if (buffer != grid.TextUtf8(row, col)) grid.SetTextUtf8(row, col, buffer);
    return true;
}

// A file that records its forms: every date read in its order, every time
// read (the time reader knows every form a time is written in) and written
// in the current forms.
void ConvertRecorded(Grid& grid, const Grid::TextForms& forms, Report& report) {
    const std::optional<Order> from = DateText::OrderOfForm(forms.dates);
    const bool dates = from && forms.dates != DateText::DateFormat();
    const bool times = !forms.times.isEmpty() && forms.times != DateText::TimeFormat();
    if (!dates && !times) return;
    std::string buffer;
    for (int r = 1; r < grid.Rows(); ++r) {
        if (dates) {
            for (int c : kDateCols) {
                if (grid.TextUtf8(r, c).empty()) continue;
                if (Recast(grid, r, c, *from, buffer)) ++report.converted;
                else if (!DateText::ParseDateUtf8(grid.TextUtf8(r, c))) NoteUnreadable(grid, r, c, report);
            }
        }
        if (times) {
            for (int c : kTimeCols) {
                if (grid.TextUtf8(r, c).empty()) continue;
                if (const auto t = DateText::ParseTime(grid.Text(r, c))) {
                    grid.SetText(r, c, DateText::FormatTime(*t));
                    ++report.converted;
                } else {
                    NoteUnreadable(grid, r, c, report);
                }
            }
        }
    }
}

// A file from before forms were recorded: read in the current order as it
// always was, unless some of its dates are no dates in that order but are
// in another. Orders are told apart by the cells that read in one of them
// only; year-first dates read the same in every order. (Times were always
// written in one form, which reads under every locale.)
void ConvertUnrecorded(Grid& grid, Report& report) {
    const Order current = DateText::CurrentOrder();
    std::vector<Order> others;
    for (Order o : {Order::DayFirst, Order::MonthFirst})
        if (o != current) others.push_back(o);
    struct Tally {
        int onlyThere = 0;   // no date in the current order, a date in this one
        int onlyHere = 0;    // a date in the current order, none in this one
    };
    std::vector<Tally> tally(others.size());
    std::vector<std::pair<int, int>> notHere;   // cells that are no dates in the current order
    const int rows = grid.Rows();
    for (int r = 1; r < rows; ++r) {
        for (int c : kDateCols) {
            const std::string_view cell = grid.TextUtf8(r, c);
            if (cell.empty()) continue;
            const unsigned orders = DateText::OrdersOf(cell);
            // The current order's reader also knows the locale's other forms.
            const bool here = (orders & DateText::OrderBit(current)) || DateText::ParseDateUtf8(cell);
            if (!here) notHere.emplace_back(r, c);
            for (size_t i = 0; i < others.size(); ++i) {
                const bool there = orders & DateText::OrderBit(others[i]);
                tally[i].onlyThere += !here && there;
                tally[i].onlyHere += here && !there;
            }
        }
    }
    size_t pick = 0;
    for (size_t i = 1; i < others.size(); ++i)
        if (tally[i].onlyThere > tally[pick].onlyThere) pick = i;
    if (others.empty() || tally[pick].onlyThere == 0) {
        for (const auto& [r, c] : notHere) NoteUnreadable(grid, r, c, report);
        return;
    }
    const Order other = others[pick];
    report.otherOrder = other;
    report.mixed = tally[pick].onlyHere > 0;
    report.otherOrderCells = tally[pick].onlyThere;
    report.currentOnlyCells = tally[pick].onlyHere;
    int lastListed = 0;
    std::string buffer;
    auto convert = [&](int r, int c) {
        if (!Recast(grid, r, c, other, buffer)) return NoteUnreadable(grid, r, c, report);
        ++report.converted;
        if (report.mixed && r != lastListed) {
            lastListed = r;
            if (++report.otherOrderTaskCount <= kListed) report.otherOrderTasks << TaskName(grid, r);
        }
    };
    if (report.mixed) {
        // Only what does not read in the current order.
        for (const auto& [r, c] : notHere) convert(r, c);
        return;
    }
    for (int r = 1; r < rows; ++r)
        for (int c : kDateCols)
            if (!grid.TextUtf8(r, c).empty()) convert(r, c);
}

QString OrderWords(Order order) {
    switch (order) {
    case Order::DayFirst: return QStringLiteral("day first (day, month, year)");
    case Order::MonthFirst: return QStringLiteral("month first (month, day, year)");
    default: return QStringLiteral("year first (year, month, day)");
    }
}

QString More(int listed, int count) {
    return count > listed ? QStringLiteral(" and %1 more").arg(count - listed) : QString();
}

}  // namespace

Report Adopt(Grid& grid) {
    Report report;
    if (grid.Cols() != Col::Count) return report;
    const Grid::TextForms recorded = grid.Forms();
    const bool redraw = grid.Redraw();
    grid.SetRedraw(false);
    if (recorded.Known()) ConvertRecorded(grid, recorded, report);
    else ConvertUnrecorded(grid, report);
    grid.SetForms({DateText::DateFormat(), DateText::TimeFormat()});
    grid.SetRedraw(redraw);
    return report;
}

QString Notice(const Report& report, const QString& file) {
    QStringList parts;
    const QString current = OrderWords(DateText::CurrentOrder());
    if (report.otherOrder && !report.mixed) {
        parts << QStringLiteral("The dates in \"%1\" were written in another order than this desktop's: read %3, "
                                "%2 of them cannot be dates; read %4, all of them are. They were read %4.")
                     .arg(file)
                     .arg(report.otherOrderCells)
                     .arg(current, OrderWords(*report.otherOrder));
    } else if (report.otherOrder) {
        parts << QStringLiteral("The dates in \"%1\" mix two orders: %2 read only %3 and %4 only %5, this desktop's "
                                "order. Each was read in the order it reads in, and dates that read either way were "
                                "read %5. Tasks read %3: %6%7.")
                     .arg(file)
                     .arg(report.otherOrderCells)
                     .arg(OrderWords(*report.otherOrder))
                     .arg(report.currentOnlyCells)
                     .arg(current, report.otherOrderTasks.join(QStringLiteral(", ")),
                          More(int(report.otherOrderTasks.size()), report.otherOrderTaskCount));
    }
    if (report.otherOrder)
        parts << QStringLiteral("They are shown in this desktop's form, and the next save writes them so.");
    if (report.unreadableCount > 0)
        parts << QStringLiteral("Some dates or times in \"%2\" cannot be read (%1): %3%4. Their tasks are shown in "
                                "every date window but are never marked past due or alerted; they keep their text "
                                "until you change the dates.")
                     .arg(report.unreadableCount)
                     .arg(file, report.unreadable.join(QStringLiteral("; ")),
                          More(int(report.unreadable.size()), report.unreadableCount));
    return parts.join(QStringLiteral("\n\n"));
}

}  // namespace TaskDates

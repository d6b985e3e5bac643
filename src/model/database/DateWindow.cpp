#include "model/database/DateWindow.h"

#include "platform/DateText.h"
#include "platform/Grid.h"

namespace DateWindow {

double LeadingNumber(const QString& text) {
    // Like VB's Val: leading blanks skipped, digits with one decimal point.
    int i = 0;
    while (i < text.size() && text[i].isSpace()) ++i;
    QString digits;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit()) digits += c;
        else if (c == '.' && !point) { point = true; digits += c; }
        else break;
    }
    bool ok = false;
    const double v = digits.toDouble(&ok);
    return ok ? v : 0.0;
}

int Apply(Grid& grid, const QDate& from, double length) {
    const qint64 first = from.toJulianDay();
    // A task whose start cannot be read is in every window: hidden, it
    // would be out of sight whatever the window.
    const bool undated = length >= 1;
    int shown = 0;
    const int col = 4;   // Scheduled Start
    for (int r = 1; r < grid.Rows(); ++r) {
        grid.Prefetch(r + 16, col);   // the dates lie apart from the cells
        bool show = undated;
        if (auto d = DateText::ParseDateUtf8(grid.TextUtf8(r, col))) {
            const qint64 days = d->toJulianDay() - first;
            show = days > -1 && double(days) < length;
        }
        grid.SetRowHeight(r, show ? Grid::kShownRowHeight : 0);
        shown += show;
    }
    return shown;
}

}  // namespace DateWindow

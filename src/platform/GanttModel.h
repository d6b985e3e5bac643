#pragma once
// The Gantt chart without its widget: a time axis over a window of days, a
// row area with one caption column, rows, and time bars in the rows.
//
// GanttModel is the chart itself, plain data: what the chart build fills and
// tests read. GanttLayout is the one place that turns times and rows into
// pixels and pixels back into bars; the screen, the hit-testing and every
// drawing into another painter (preview, printer, image) go through it, so
// what is printed is what is seen. The widget is GanttChart.

#include <QDateTime>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

class QPainter;

// One bar of a chart: its row and its place among that row's bars, in the
// order they were added. Nothing when either is negative.
struct GanttItem {
    int row = -1;
    int bar = -1;
    bool IsNothing() const { return row < 0 || bar < 0; }
    bool operator==(const GanttItem&) const = default;
};

class GanttModel {
public:
    // Times on the chart: milliseconds of wall-clock time counted from the
    // start of Julian day 0. No time zone enters: a bar runs from the time
    // its task names to the time it names, also across a change of
    // daylight-saving time.
    using Time = qint64;
    static constexpr Time kDay = 86400000;
    static Time ToTime(const QDate& date, const QTime& time = QTime(0, 0));
    static Time ToTime(const QDateTime& dateTime);
    static QDateTime FromTime(Time time);

    struct Bar {
        Time start = 0;
        Time stop = 0;
        int32_t colour = 0;          // colour number, red in the low byte
        bool hasColour = false;      // else the chart's own bar colour
        int style = 0;
        QString text;
        // A bar whose stop lies before its start is drawn between the two.
        Time Left() const { return start < stop ? start : stop; }
        Time Right() const { return start < stop ? stop : start; }
        mutable int textWidth = -1;  // pixels in the font textFont was measured in
        mutable int textFont = 0;
    };
    struct Row {
        QString caption;
        std::vector<Bar> bars;       // in the order added
        // Bars by their left end (ties in the order added), and the longest
        // bar: what painting and hit-testing search. Rebuilt when stale.
        mutable std::vector<int> byLeft;
        mutable Time longest = 0;
        mutable bool indexed = false;
    };

    // A handle on one bar, as the chart build sets it up.
    class TimeBar {
    public:
        TimeBar() = default;
        TimeBar(GanttModel* model, GanttItem item) : model_(model), item_(item) {}
        GanttItem Item() const { return item_; }
        bool IsNothing() const;
        QDateTime Start() const;
        QDateTime Stop() const;
        void SetStartTime(Time start);
        void SetStopTime(Time stop);
        void SetStyle(int style);
        void SetColor(int32_t colourNumber);
        void SetText(const QString& text);
        // After Start and Stop: the bar takes its place in the row's order.
        void Update();
    private:
        Bar* Get() const;
        GanttModel* model_ = nullptr;
        GanttItem item_;
    };

    GanttModel() = default;
    virtual ~GanttModel() = default;

    // The time window: first moment shown and the moment the axis ends.
    // A window that ends at or before its start is shown as one day.
    QDateTime StartDate;
    QDateTime EndDate;
    qint64 BackColor = 0xFFFFFF;        // colour numbers, red in the low byte
    qint64 PyjamasColor = 0xF0F0F0;     // every second row
    bool ShowGrid = false;              // day lines
    GanttItem SelectedItem;             // the bar last clicked, or nothing

    // No row or bar is left (the row-area column stays as it is).
    void ClearChart();
    // Caption and width of the row-area column; the chart has one such column.
    void AddColumn(int index, const QString& caption, int, int width, bool);
    QString ColumnCaption() const { return columnCaption_; }
    int ColumnWidth() const { return columnWidth_; }
    // The last row's index, or -1 when the chart has none.
    int LastRow() const { return int(rows_.size()) - 1; }
    int AddFirstRow();
    // A new row below `after`; its index.
    int AddRow(int after);
    void SetRowCaption(int row, const QString& caption);
    // A new bar at the end of the row (nothing when there is no such row).
    TimeBar AddTimeBar(int row, int = 0);

    int RowCount() const { return int(rows_.size()); }
    const Row& RowAt(int row) const { return rows_[size_t(row)]; }
    int BarCount() const;
    // nullptr when the item is nothing or names no bar.
    const Bar* BarAt(GanttItem item) const;
    Time WindowStart() const;
    Time WindowEnd() const;

    // Between the two, changes are not shown; EndUpdate shows them at once.
    void BeginUpdate() { ++updating_; }
    void EndUpdate();

    // Makes sure a row's search order is current (painting calls it).
    void IndexRow(int row) const;

protected:
    // Called after every change made outside BeginUpdate/EndUpdate.
    virtual void Changed() {}
    void Touch(int row = -1);

private:
    friend class TimeBar;
    std::vector<Row> rows_;
    QString columnCaption_;
    int columnWidth_ = 100;
    int updating_ = 0;
};

// Pixel sizes of a drawing; the font is sized in pixels so that any scale
// of the painter scales the text with the rest.
struct GanttMetrics {
    QFont font;
    int rowHeight = 20;
    int headerHeight = 36;
    static GanttMetrics For(const QFont& font);
};

// Where everything of a chart lies inside a drawing area: the header along
// the top, the row-area column down the left, the time area beside it,
// rows scrolled by `scrollY` pixels under the header.
class GanttLayout {
public:
    static constexpr double kMinBarWidth = 5;   // a bar of no length stays visible and clickable

    GanttLayout(const GanttModel& model, const QRectF& area, double scrollY, const GanttMetrics& metrics);

    const GanttMetrics& Metrics() const { return metrics_; }
    QRectF TimeArea() const;             // beside the row-area column, below the header
    GanttModel::Time Start() const { return start_; }
    GanttModel::Time End() const { return end_; }

    double XOf(GanttModel::Time time) const;
    GanttModel::Time TimeAt(double x) const;
    double RowTop(int row) const;
    // The row under y, or -1 (header, below the last row).
    int RowAt(double y) const;
    // The rows at least partly inside the area: [first, last).
    std::pair<int, int> VisibleRows() const;
    QRectF BarRect(int row, const GanttModel::Bar& bar) const;
    QRectF BarRect(GanttItem item) const;
    // The bar drawn on top at a point, or nothing.
    GanttItem ItemAt(const QPointF& point) const;

    void Paint(QPainter& painter) const;

    // The bars of a row that may show in the time window, in drawing order
    // (by left end); f(index) for each.
    template <class F>
    void ForEachBarInWindow(int row, GanttModel::Time from, GanttModel::Time to, F f) const;

private:
    void PaintHeader(QPainter& painter) const;
    void PaintRows(QPainter& painter, int first, int last) const;
    const GanttModel& model_;
    QRectF area_;
    double scrollY_;
    GanttMetrics metrics_;
    GanttModel::Time start_;
    GanttModel::Time end_;
    double pixelsPerMs_;
    double minBarTime_;
};

template <class F>
void GanttLayout::ForEachBarInWindow(int row, GanttModel::Time from, GanttModel::Time to, F f) const {
    model_.IndexRow(row);
    const GanttModel::Row& r = model_.RowAt(row);
    const auto& order = r.byLeft;
    // A bar starting this much before `from` may still reach into it.
    const GanttModel::Time reach = r.longest + GanttModel::Time(minBarTime_) + 1;
    size_t lo = 0, hi = order.size();
    const GanttModel::Time low = from - reach;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (r.bars[size_t(order[mid])].Left() < low) lo = mid + 1; else hi = mid;
    }
    for (size_t i = lo; i < order.size(); ++i) {
        const GanttModel::Bar& b = r.bars[size_t(order[i])];
        if (b.Left() > to) break;
        f(order[i]);
    }
}

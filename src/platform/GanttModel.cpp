#include "platform/GanttModel.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/Colors.h"
#include "platform/DateText.h"

namespace {
using Time = GanttModel::Time;
constexpr Time kHour = 3600000;

// Colours of the parts the chart draws itself (the same on every device, so
// a printout looks like the screen).
const QColor kHeaderBack(0xE8, 0xE8, 0xE8);
const QColor kCaptionBack(0xF4, 0xF4, 0xF4);
const QColor kLine(0xC8, 0xC8, 0xC8);
const QColor kDayLine(0xDC, 0xDC, 0xDC);
const QColor kText(0x20, 0x20, 0x20);
const QColor kDefaultBar(0x46, 0x82, 0xB4);
const QColor kSelection(0x10, 0x10, 0x80);

Time FloorDiv(Time a, Time b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

bool Dark(const QColor& c) { return c.red() * 299 + c.green() * 587 + c.blue() * 114 < 128000; }
}  // namespace

// ---------------------------------------------------------------- model

Time GanttModel::ToTime(const QDate& date, const QTime& time) {
    return date.toJulianDay() * kDay + (time.isValid() ? time.msecsSinceStartOfDay() : 0);
}

Time GanttModel::ToTime(const QDateTime& dateTime) { return ToTime(dateTime.date(), dateTime.time()); }

QDateTime GanttModel::FromTime(Time time) {
    const Time day = FloorDiv(time, kDay);
    return QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(int(time - day * kDay)));
}

bool GanttModel::TimeBar::IsNothing() const { return Get() == nullptr; }

GanttModel::Bar* GanttModel::TimeBar::Get() const {
    if (!model_ || item_.IsNothing() || item_.row >= model_->RowCount()) return nullptr;
    auto& bars = model_->rows_[size_t(item_.row)].bars;
    return item_.bar < int(bars.size()) ? &bars[size_t(item_.bar)] : nullptr;
}

QDateTime GanttModel::TimeBar::Start() const {
    const Bar* b = Get();
    return b ? FromTime(b->start) : QDateTime();
}

QDateTime GanttModel::TimeBar::Stop() const {
    const Bar* b = Get();
    return b ? FromTime(b->stop) : QDateTime();
}

void GanttModel::TimeBar::SetStartTime(Time start) {
    if (Bar* b = Get()) b->start = start;
}

void GanttModel::TimeBar::SetStopTime(Time stop) {
    if (Bar* b = Get()) b->stop = stop;
}

void GanttModel::TimeBar::SetStyle(int style) {
    if (Bar* b = Get()) b->style = style;
}

void GanttModel::TimeBar::SetColor(int32_t colourNumber) {
    if (Bar* b = Get()) {
        b->colour = colourNumber;
        b->hasColour = true;
    }
}

void GanttModel::TimeBar::SetText(const QString& text) {
    if (Bar* b = Get()) {
        b->text = text;
        b->textWidth = -1;
    }
}

void GanttModel::TimeBar::Update() {
    if (Get()) model_->Touch(item_.row);
}

void GanttModel::Touch(int row) {
    if (row >= 0 && row < RowCount()) rows_[size_t(row)].indexed = false;
    if (!updating_) Changed();
}

void GanttModel::ClearChart() {
    rows_.clear();
    SelectedItem = GanttItem();
    Touch();
}

void GanttModel::AddColumn(int, const QString& caption, int, int width, bool) {
    columnCaption_ = caption;
    columnWidth_ = std::max(0, width);
    Touch();
}

int GanttModel::AddFirstRow() {
    if (!rows_.empty()) return 0;
    rows_.emplace_back();
    Touch();
    return 0;
}

int GanttModel::AddRow(int after) {
    const int at = std::clamp(after + 1, 0, RowCount());
    rows_.insert(rows_.begin() + at, Row());
    // Items below the new row moved down by one.
    if (!SelectedItem.IsNothing() && SelectedItem.row >= at) ++SelectedItem.row;
    Touch();
    return at;
}

void GanttModel::SetRowCaption(int row, const QString& caption) {
    if (row < 0 || row >= RowCount()) return;
    rows_[size_t(row)].caption = caption;
    Touch();
}

GanttModel::TimeBar GanttModel::AddTimeBar(int row, int) {
    if (row < 0 || row >= RowCount()) return TimeBar();
    Row& r = rows_[size_t(row)];
    r.bars.emplace_back();
    r.indexed = false;
    return TimeBar(this, GanttItem{row, int(r.bars.size()) - 1});
}

int GanttModel::BarCount() const {
    size_t n = 0;
    for (const Row& r : rows_) n += r.bars.size();
    return int(n);
}

const GanttModel::Bar* GanttModel::BarAt(GanttItem item) const {
    if (item.IsNothing() || item.row >= RowCount()) return nullptr;
    const auto& bars = rows_[size_t(item.row)].bars;
    return item.bar < int(bars.size()) ? &bars[size_t(item.bar)] : nullptr;
}

Time GanttModel::WindowStart() const {
    return StartDate.isValid() ? ToTime(StartDate) : ToTime(QDate::currentDate());
}

Time GanttModel::WindowEnd() const {
    const Time start = WindowStart();
    const Time end = EndDate.isValid() ? ToTime(EndDate) : start + kDay;
    return end > start ? end : start + kDay;
}

void GanttModel::EndUpdate() {
    if (updating_ > 0) --updating_;
    if (!updating_) Changed();
}

void GanttModel::IndexRow(int row) const {
    const Row& r = rows_[size_t(row)];
    if (r.indexed) return;
    r.byLeft.resize(r.bars.size());
    r.longest = 0;
    bool sorted = true;
    for (size_t i = 0; i < r.bars.size(); ++i) {
        r.byLeft[i] = int(i);
        r.longest = std::max(r.longest, r.bars[i].Right() - r.bars[i].Left());
        if (i > 0 && r.bars[i].Left() < r.bars[i - 1].Left()) sorted = false;
    }
    if (!sorted)
        std::stable_sort(r.byLeft.begin(), r.byLeft.end(),
                         [&](int a, int b) { return r.bars[size_t(a)].Left() < r.bars[size_t(b)].Left(); });
    r.indexed = true;
}

// ---------------------------------------------------------------- layout

GanttMetrics GanttMetrics::For(const QFont& font) {
    GanttMetrics m;
    m.font = font;
    const int px = std::max(8, QFontInfo(font).pixelSize());
    m.font.setPixelSize(px);
    m.rowHeight = std::max(20, px + 8);
    m.headerHeight = 2 * (px + 6);
    return m;
}

GanttLayout::GanttLayout(const GanttModel& model, const QRectF& area, double scrollY, const GanttMetrics& metrics)
    : model_(model), area_(area), scrollY_(std::max(0.0, scrollY)), metrics_(metrics),
      start_(model.WindowStart()), end_(model.WindowEnd()) {
    const double width = std::max(1.0, TimeArea().width());
    pixelsPerMs_ = width / double(end_ - start_);
    minBarTime_ = kMinBarWidth / pixelsPerMs_;
}

QRectF GanttLayout::TimeArea() const {
    const double left = area_.left() + std::min<double>(model_.ColumnWidth(), area_.width() / 2);
    const double top = area_.top() + metrics_.headerHeight;
    return QRectF(QPointF(left, top), QPointF(area_.right(), std::max(top, area_.bottom())));
}

double GanttLayout::XOf(Time time) const { return TimeArea().left() + double(time - start_) * pixelsPerMs_; }

Time GanttLayout::TimeAt(double x) const { return start_ + Time(std::floor((x - TimeArea().left()) / pixelsPerMs_)); }

double GanttLayout::RowTop(int row) const {
    return area_.top() + metrics_.headerHeight + double(row) * metrics_.rowHeight - scrollY_;
}

int GanttLayout::RowAt(double y) const {
    if (y < area_.top() + metrics_.headerHeight || y >= area_.bottom()) return -1;
    const double offset = y - (area_.top() + metrics_.headerHeight) + scrollY_;
    const int row = int(std::floor(offset / metrics_.rowHeight));
    return row >= 0 && row < model_.RowCount() ? row : -1;
}

std::pair<int, int> GanttLayout::VisibleRows() const {
    const double visible = std::max(0.0, area_.height() - metrics_.headerHeight);
    const int first = std::min(model_.RowCount(), int(std::floor(scrollY_ / metrics_.rowHeight)));
    const int last = std::min(model_.RowCount(), int(std::ceil((scrollY_ + visible) / metrics_.rowHeight)));
    return {first, std::max(first, last)};
}

QRectF GanttLayout::BarRect(int row, const GanttModel::Bar& bar) const {
    const double x1 = XOf(bar.Left());
    const double x2 = std::max(XOf(bar.Right()), x1 + kMinBarWidth);
    const double top = RowTop(row) + 3;
    return QRectF(QPointF(x1, top), QPointF(x2, top + metrics_.rowHeight - 7));
}

QRectF GanttLayout::BarRect(GanttItem item) const {
    const GanttModel::Bar* b = model_.BarAt(item);
    return b ? BarRect(item.row, *b) : QRectF();
}

GanttItem GanttLayout::ItemAt(const QPointF& point) const {
    const QRectF time = TimeArea();
    if (point.x() < time.left() || point.x() > time.right()) return {};
    const int row = RowAt(point.y());
    if (row < 0) return {};
    // The bar drawn last (the one on top) wins.
    GanttItem hit;
    const Time t = TimeAt(point.x());
    ForEachBarInWindow(row, t - 1, t + 1, [&](int index) {
        if (BarRect(row, model_.RowAt(row).bars[size_t(index)]).contains(point)) hit = GanttItem{row, index};
    });
    return hit;
}

void GanttLayout::Paint(QPainter& p) const {
    p.save();
    p.setClipRect(area_, Qt::IntersectClip);
    p.fillRect(area_, Colors::ToQColor(model_.BackColor));
    p.setFont(metrics_.font);
    const auto [first, last] = VisibleRows();
    PaintRows(p, first, last);
    PaintHeader(p);
    p.restore();
}

void GanttLayout::PaintRows(QPainter& p, int first, int last) const {
    const QRectF time = TimeArea();
    const double rowH = metrics_.rowHeight;
    const QColor pyjamas = Colors::ToQColor(model_.PyjamasColor);
    const QFontMetrics fm(metrics_.font);
    const int fontKey = metrics_.font.pixelSize();
    const double ascent = fm.ascent();
    const double textY = (rowH - fm.height()) / 2 + ascent;

    // Stripes, day lines, row lines.
    p.save();
    p.setClipRect(QRectF(area_.left(), time.top(), area_.width(), time.height()), Qt::IntersectClip);
    for (int row = first; row < last; ++row)
        if (row % 2 == 1) p.fillRect(QRectF(time.left(), RowTop(row), time.width(), rowH), pyjamas);
    if (model_.ShowGrid) {
        const double dayPx = double(GanttModel::kDay) * pixelsPerMs_;
        if (dayPx >= 4) {
            p.setPen(QPen(kDayLine, 1));
            for (Time d = FloorDiv(start_, GanttModel::kDay) + 1; d * GanttModel::kDay < end_; ++d) {
                const double x = XOf(d * GanttModel::kDay);
                p.drawLine(QPointF(x, time.top()), QPointF(x, time.bottom()));
            }
        }
    }
    p.setPen(QPen(kLine, 1));
    for (int row = first; row < last; ++row) {
        const double y = RowTop(row) + rowH;
        p.drawLine(QPointF(area_.left(), y), QPointF(area_.right(), y));
    }

    // Bars, each row left to right; a text that does not fit in its bar
    // goes beside it when there is room before the next bar.
    p.save();
    p.setClipRect(time, Qt::IntersectClip);
    const Time from = start_;
    const Time to = end_;
    std::vector<int> shown;
    for (int row = first; row < last; ++row) {
        const GanttModel::Row& r = model_.RowAt(row);
        shown.clear();
        ForEachBarInWindow(row, from, to, [&](int i) {
            if (BarRect(row, r.bars[size_t(i)]).right() >= time.left()) shown.push_back(i);
        });
        double paintedTo = -1e300;   // bars of one row share a colour: skip what is already covered
        double textTo = -1e300;      // where the last text drawn in the row ends
        QColor lastColour;
        for (size_t k = 0; k < shown.size(); ++k) {
            const GanttModel::Bar& b = r.bars[size_t(shown[k])];
            const QRectF rect = BarRect(row, b);
            const QColor colour = b.hasColour ? Colors::ToQColor(b.colour) : kDefaultBar;
            const bool selected = model_.SelectedItem == GanttItem{row, shown[k]};
            // Beside its bar a text may still lie on an earlier, longer bar.
            const double coveredBefore = paintedTo;
            const QColor coveringColour = lastColour;
            if (rect.right() > paintedTo || colour != lastColour || selected) {
                p.setPen(QPen(colour.darker(140), 1));
                p.setBrush(colour);
                p.drawRect(rect);
                if (selected) {
                    p.setPen(QPen(kSelection, 2));
                    p.setBrush(Qt::NoBrush);
                    p.drawRect(rect.adjusted(-1, -1, 1, 1));
                }
                paintedTo = std::max(paintedTo, rect.right());
                lastColour = colour;
            }
            if (b.text.isEmpty()) continue;
            if (b.textWidth < 0 || b.textFont != fontKey) {
                b.textWidth = fm.horizontalAdvance(b.text);
                b.textFont = fontKey;
            }
            const double nextLeft = k + 1 < shown.size() ? BarRect(row, r.bars[size_t(shown[k + 1])]).left() : time.right();
            const double y = RowTop(row) + textY;
            // A text never lies on another one: it goes in its bar, else
            // beside it, else (elided) where the room is.
            const double inside = std::max(rect.left() + 3, textTo + 6);
            if (rect.right() - 3 - inside >= b.textWidth) {
                p.setPen(Dark(colour) ? Qt::white : kText);
                p.drawText(QPointF(inside, y), b.text);
                textTo = inside + b.textWidth;
                continue;
            }
            const double start = std::max(rect.right() + 3, textTo + 6);
            double room = nextLeft - start - 5;
            // White on an earlier dark bar stays on that bar.
            const bool onDark = start < coveredBefore && Dark(coveringColour);
            if (onDark) room = std::min(room, coveredBefore - 3 - start);
            if (room < 12) continue;
            p.setPen(onDark ? QColor(Qt::white) : kText);
            if (room >= b.textWidth) {
                p.drawText(QPointF(start, y), b.text);
                textTo = start + b.textWidth;
            } else {
                const QString elided = fm.elidedText(b.text, Qt::ElideRight, int(room));
                p.drawText(QPointF(start, y), elided);
                textTo = start + fm.horizontalAdvance(elided);
            }
        }
    }
    p.restore();
    p.restore();

    // The row-area column.
    const QRectF caption(QPointF(area_.left(), time.top()), QPointF(time.left(), time.bottom()));
    p.save();
    p.setClipRect(caption, Qt::IntersectClip);
    p.fillRect(caption, kCaptionBack);
    p.setPen(QPen(kLine, 1));
    for (int row = first; row < last; ++row) {
        const double y = RowTop(row) + rowH;
        p.drawLine(QPointF(caption.left(), y), QPointF(caption.right(), y));
    }
    p.setPen(kText);
    const int room = std::max(0, int(caption.width()) - 8);
    for (int row = first; row < last; ++row)
        p.drawText(QPointF(caption.left() + 4, RowTop(row) + textY),
                   fm.elidedText(model_.RowAt(row).caption, Qt::ElideRight, room));
    p.restore();
    p.setPen(QPen(kLine.darker(130), 1));
    p.drawLine(QPointF(time.left(), time.top()), QPointF(time.left(), time.bottom()));
}

void GanttLayout::PaintHeader(QPainter& p) const {
    const QRectF time = TimeArea();
    const double h = metrics_.headerHeight;
    const QRectF header(area_.left(), area_.top(), area_.width(), h);
    p.fillRect(header, kHeaderBack);
    const QFontMetrics fm(metrics_.font);
    const double line = h / 2;
    const double baseline = (line - fm.height()) / 2 + fm.ascent();

    p.setPen(kText);
    p.drawText(QPointF(area_.left() + 4, area_.top() + line + baseline),
               fm.elidedText(model_.ColumnCaption(), Qt::ElideRight, std::max(0, int(time.left() - area_.left()) - 8)));

    p.save();
    p.setClipRect(QRectF(time.left(), area_.top(), time.width(), h), Qt::IntersectClip);
    const double dayPx = double(GanttModel::kDay) * pixelsPerMs_;
    const QLocale locale;
    const QString sample = DateText::FormatDate(QDate(2000, 12, 28));
    const bool withWeekday = dayPx >= fm.horizontalAdvance(QStringLiteral("Wed ") + sample) + 10;
    // Label every n-th day, n as small as the labels allow.
    const int labelWidth = fm.horizontalAdvance(sample) + 10;
    int step = 1;
    while (step * dayPx < labelWidth && step < 3650) ++step;
    const Time firstDay = FloorDiv(start_, GanttModel::kDay);
    for (Time d = firstDay; d * GanttModel::kDay < end_; ++d) {
        const double x = XOf(d * GanttModel::kDay);
        p.setPen(QPen(kLine.darker(120), 1));
        if (dayPx >= 4 || d % step == 0) p.drawLine(QPointF(x, area_.top() + line), QPointF(x, area_.top() + h));
        if (d % step != 0) continue;
        const QDate date = QDate::fromJulianDay(d);
        QString label = DateText::FormatDate(date);
        if (withWeekday) label = locale.dayName(date.dayOfWeek(), QLocale::ShortFormat) + QLatin1Char(' ') + label;
        // A date cut at the right edge would read as another one.
        const double left = std::max(x, time.left()) + 3;
        if (left + fm.horizontalAdvance(label) > time.right()) continue;
        p.setPen(kText);
        p.drawText(QPointF(left, area_.top() + baseline), label);
    }
    // Hours, when a day is wide enough to tell them apart.
    const double hourPx = double(kHour) * pixelsPerMs_;
    const int hourLabel = fm.horizontalAdvance(QStringLiteral("00:00")) + 8;
    int hours = 0;
    for (int candidate : {1, 2, 3, 6, 12})
        if (candidate * hourPx >= hourLabel) { hours = candidate; break; }
    if (hours) {
        for (Time t = FloorDiv(start_, kHour * hours) * kHour * hours; t < end_; t += kHour * hours) {
            const double x = XOf(t);
            p.setPen(QPen(kLine.darker(120), 1));
            p.drawLine(QPointF(x, area_.top() + h - 4), QPointF(x, area_.top() + h));
            const int hour = int((t - FloorDiv(t, GanttModel::kDay) * GanttModel::kDay) / kHour);
            p.setPen(kText);
            p.drawText(QPointF(x + 2, area_.top() + line + baseline),
                       QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0')));
        }
    }
    p.restore();
    p.setPen(QPen(kLine.darker(130), 1));
    p.drawLine(QPointF(area_.left(), area_.top() + h), QPointF(area_.right(), area_.top() + h));
    p.drawLine(QPointF(time.left(), area_.top()), QPointF(time.left(), area_.top() + h));
}


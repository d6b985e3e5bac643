#include "widgets/GanttChart.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------- widget

GanttChart::GanttChart(QWidget* parent) : QAbstractScrollArea(parent) {
    setMinimumHeight(120);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

GanttMetrics GanttChart::Metrics() const { return GanttMetrics::For(font()); }

GanttLayout GanttChart::ScreenLayout() const {
    return GanttLayout(*this, QRectF(viewport()->rect()), verticalScrollBar()->value(), Metrics());
}

QSize GanttChart::NaturalSize() const {
    const GanttMetrics m = Metrics();
    return QSize(std::max(640, viewport()->width()), m.headerHeight + RowCount() * m.rowHeight + 1);
}

QSize GanttChart::PrintSize(const QSizeF& inches) const {
    const int height = NaturalSize().height();
    if (!(inches.width() > 0) || !(inches.height() > 0)) return QSize(std::max(640, int(inches.width() * 96)), height);
    const double width = std::max(inches.width() * 96.0, height * inches.width() / inches.height());
    return QSize(int(std::ceil(width)), height);
}

void GanttChart::DrawToDC(QPainter& painter, double scale) const { DrawToDC(painter, scale, NaturalSize()); }

void GanttChart::DrawToDC(QPainter& painter, double scale, const QSize& size) const {
    if (!(scale > 0)) return;
    painter.save();
    painter.scale(scale, scale);
    GanttLayout(*this, QRectF(0, 0, size.width(), size.height()), 0, Metrics()).Paint(painter);
    painter.restore();
}

void GanttChart::Refresh() {
    UpdateScrollBar();
    viewport()->update();
}

void GanttChart::Changed() {
    // After a change the same index may name another bar: the next move
    // reports whatever is under the mouse then.
    hovered_ = GanttItem();
    Refresh();
}

void GanttChart::UpdateScrollBar() {
    const GanttMetrics m = Metrics();
    const int content = m.headerHeight + RowCount() * m.rowHeight;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, content - viewport()->height()));
    bar->setPageStep(std::max(1, viewport()->height() - m.headerHeight));
    bar->setSingleStep(m.rowHeight);
}

void GanttChart::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    ScreenLayout().Paint(p);
}

void GanttChart::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
}

void GanttChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const GanttItem item = ScreenLayout().ItemAt(event->position());
    SelectedItem = item;
    viewport()->update();
    emit ObjectClick(item);
}

void GanttChart::mouseMoveEvent(QMouseEvent* event) {
    const GanttItem item = ScreenLayout().ItemAt(event->position());
    if (item == hovered_) return;
    hovered_ = item;
    emit MouseOverItem(item);
}

bool GanttChart::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) LeaveItems();
    return QAbstractScrollArea::viewportEvent(event);
}

void GanttChart::leaveEvent(QEvent* event) {
    QAbstractScrollArea::leaveEvent(event);
    LeaveItems();
}

void GanttChart::hideEvent(QHideEvent* event) {
    QAbstractScrollArea::hideEvent(event);
    LeaveItems();
}

void GanttChart::LeaveItems() {
    if (hovered_.IsNothing()) return;
    hovered_ = GanttItem();
    emit MouseOverItem(hovered_);
}

void GanttChart::contextMenuEvent(QContextMenuEvent* event) {
    emit ContextMenu(event->globalPos());
    event->accept();
}

#pragma once
// The Gantt chart widget: the chart (GanttModel) on the screen, scrolled
// vertically under a fixed day header, with the chart's click, hover and
// right-click events as signals.

#include <QAbstractScrollArea>

#include "platform/GanttModel.h"

class GanttChart : public QAbstractScrollArea, public GanttModel {
    Q_OBJECT
public:
    explicit GanttChart(QWidget* parent = nullptr);

    GanttMetrics Metrics() const;
    // The layout of what the widget shows now.
    GanttLayout ScreenLayout() const;
    // The whole chart (every row, the width seen on the screen) drawn at
    // scale 1 takes this much room.
    QSize NaturalSize() const;
    // The size the whole chart is laid out in to print on a printable area
    // of `inches`: the area's width at 96 pixels an inch, or wider where the
    // rows need more height than the area's proportions give, so the chart
    // fills the page either way, whatever the widget's size on the screen.
    QSize PrintSize(const QSizeF& inches) const;
    // Draws the whole chart with its present window into any painter, at
    // the given scale, from the painter's origin: laid out in `size`, or
    // as the screen shows it (NaturalSize).
    void DrawToDC(QPainter& painter, double scale) const;
    void DrawToDC(QPainter& painter, double scale, const QSize& size) const;
    // Shows changes made to the public values (window, colours).
    void Refresh();

signals:
    // A left click: the bar clicked (it becomes SelectedItem), or nothing.
    void ObjectClick(GanttItem item);
    // The bar under the mouse changed (nothing when it left the bars).
    void MouseOverItem(GanttItem item);
    // A right click, at this screen position.
    void ContextMenu(const QPoint& globalPos);

protected:
    void Changed() override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // A chart that is no longer seen has nothing under the mouse.
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void UpdateScrollBar();
    void LeaveItems();
    GanttItem hovered_;
};


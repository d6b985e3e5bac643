#include "platform/GanttChart.h"

#include <QPainter>

#include "platform/Colors.h"

GanttChart::GanttChart(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(120);
}

void GanttChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Colors::ToQColor(BackColor));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

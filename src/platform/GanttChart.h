#pragma once
// The Gantt chart component: rows of bars over a window of dates. The chart
// views of the schedule arrive with the printing and chart work; until then
// the main window keeps its colours and date window here.

#include <QColor>
#include <QDate>
#include <QWidget>

class GanttChart : public QWidget {
    Q_OBJECT
public:
    explicit GanttChart(QWidget* parent = nullptr);
    qint64 BackColor = 0xFFFFFF;      // colour numbers, red in the low byte
    qint64 PyjamasColor = 0xF0F0F0;
    bool ShowGrid = false;
    QDate StartDate;
    QDate EndDate;
protected:
    void paintEvent(QPaintEvent* event) override;
};

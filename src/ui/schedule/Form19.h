#pragma once
// "Print Preview" of the schedule chart: the chart drawn into the window at
// scale 1, laid out as for the page, and "Print", which has the chart draw
// itself again, as it is at that moment, laid out for and filling a
// landscape page of the printer printed on last (or the default one), with
// no dialog.

#include <QPointer>
#include <QWidget>

class GanttChart;
class QAction;
class QLabel;
class QScrollArea;
class QToolBar;

class Form19 : public QWidget {
    Q_OBJECT
public:
    Form19();

    QToolBar* Toolbar1 = nullptr;
    QAction* PrintButton = nullptr;     // key "Print"
    QAction* CloseButton = nullptr;     // key "Close"
    QScrollArea* ActiveSizer1 = nullptr;
    QLabel* picPreview = nullptr;

    // Draws `chart` into the preview; the chart is the one printed later.
    void ShowChart(GanttChart* chart);
    void Toolbar1_ButtonClick(const QString& key);
    // Prints the chart; false (and the reason said) when nothing was printed.
    bool PrintChart();

private:
    QPointer<GanttChart> chart_;
};

#pragma once
// "Print Preview" of the schedule chart: the page as it prints, the chart
// drawn on it at scale 1, and "Print", which has the chart draw itself
// again, as it is at that moment, on a landscape page of the printer
// printed on last (or the default one, or a PDF file where there is none),
// with no dialog. Preview and page share one paper, margins and layout.

#include <QPageLayout>
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
    // The preview of `chart` on that page.
    void ShowChart(GanttChart* chart, const QPageLayout& page);

    QPointer<GanttChart> chart_;
    QPageLayout page_;   // the page the preview shows
};

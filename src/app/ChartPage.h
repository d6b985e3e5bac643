#pragma once
// The chart page: the schedule of the date window as a chart by employee or
// by equipment, with its zoom, the hover tip and the chart's print preview.
// It is a class of its own because it keeps something the main window does
// not: whether the chart still shows the task grid. Tasks change under it
// from every other page; it is rebuilt when the user turns to it (or prints
// it), not on every change, so a chart zoomed where nothing changed stays as
// the user left it. A build asked for while one runs comes after it, so the
// chart always ends as one whole build.

#include <QWidget>
#include <functional>

#include "model/schedule/ResourceChart.h"

class GanttChart;
class Grid;
class QCheckBox;
class QPushButton;
class QRadioButton;
struct GanttItem;

class ChartPage : public QWidget {
    Q_OBJECT
public:
    // What the page asks of the main window.
    struct Window {
        std::function<QString()> listFile;       // the open database's list file
        std::function<QDate()> from;             // the first day of the date window
        std::function<bool()> busy;              // a pass is working on the grid
        std::function<void()> refresh;           // the date window's refresh
        std::function<void(QPoint)> popUpMenu;   // the chart's pop-up, at a screen point
    };
    ChartPage(Grid& tasks, Window window, QWidget* parent = nullptr);

    GanttChart* Chart() const { return chart_; }
    QRadioButton* ByEmployee() const { return byEmployee_; }
    QRadioButton* ByEquipment() const { return byEquipment_; }
    QCheckBox* ShowTip() const { return showTip_; }
    QPushButton* RefreshButton() const { return refresh_; }
    QPushButton* ZoomInButton() const { return zoomIn_; }
    QPushButton* ZoomOutButton() const { return zoomOut_; }

    // By the listing the option buttons choose (none chosen: nothing).
    void Build();
    void Build(ResourceChart::Listing listing);
    // The page came to the front: a chart the grid changed under is rebuilt.
    void TurnedTo();

    // The window's steps: ten days off the end (never below one day), ten
    // days onto it, one day from the selected bar or from a clicked one.
    void ZoomIn();
    void ZoomOut();
    void ZoomToSelected();
    void ZoomToBar(const GanttItem& item);
    void HoverTip(const GanttItem& item);
    void StoreShowTip();
    void PrintPreview();

private:
    Grid& tasks_;
    Window window_;
    GanttChart* chart_ = nullptr;
    QRadioButton* byEmployee_ = nullptr;
    QRadioButton* byEquipment_ = nullptr;
    QCheckBox* showTip_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* zoomIn_ = nullptr;
    QPushButton* zoomOut_ = nullptr;
    bool building_ = false;
    int pending_ = -1;    // a listing asked for while a build ran
    bool stale_ = false;  // the task grid changed since the last build
};

#pragma once
// The chart's hover tip: a small borderless window in the tool-tip colours
// with the start and the stop of the bar under the mouse. One instance,
// hidden and shown again by the chart's hover events.

#include <QDateTime>
#include <QWidget>

class QLabel;

class frmtip : public QWidget {
    Q_OBJECT
public:
    frmtip();

    QLabel* Label1 = nullptr;

    // Shows the two lines for a bar, the window's top-left corner at the
    // centre of the screen.
    void ShowBar(const QDateTime& start, const QDateTime& stop);
    // "Start: ..." and "Stop: ..." as the tip writes them.
    static QString Caption(const QDateTime& start, const QDateTime& stop);
};

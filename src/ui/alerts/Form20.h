#pragma once
// The alert notifier: a small frameless window, on top of the others and
// without a task-bar entry, showing a ringing bell and "Quillon Alert".
// A click on the words, or "Show Alerts" in its right-click menu, asks for
// the main window with the alerts (ShowAlerts) and closes the notifier;
// "Dismiss Notifier" only closes it. The user drags it with the left button;
// its place is stored (Float Top/Left) and used the next time it opens.

#include <QPoint>
#include <QWidget>

class QLabel;
class QMenu;
class QMovie;
class QAction;

class Form20 : public QWidget {
    Q_OBJECT
public:
    Form20();

    QLabel* AniGIF1 = nullptr;     // the animation; its tool tip says when the alert came
    QLabel* Label1 = nullptr;      // "Quillon Alert"
    QMenu* mnufile = nullptr;      // the pop-up menu
    QAction* mnudismiss = nullptr;
    QAction* mnusal = nullptr;
    QMovie* Movie = nullptr;
    int DragX = 0;
    int DragY = 0;

    void Form_Load();
    void Label1_Click();
    void mnusal_Click();
    void mnudismiss_Click();

    // Where the notifier opens when no usable place is stored: the bottom
    // right corner of the primary screen's free area.
    QPoint DefaultPosition() const;
    // A place from which at least a grip of the window is on some screen.
    bool Reachable(const QPoint& topLeft) const;

signals:
    void ShowAlerts();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void StorePosition();
    void PopupMenu(const QPoint& globalPos);
    bool labelPressed_ = false;
};

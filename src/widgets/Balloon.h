#pragma once
// The balloon that tells how an alert mail went: the tray icon's own
// message where a tray shows the icon, otherwise a small frameless pop-up
// of ours whose bottom right corner sits at the point given by MoveTo.
// Either closes by itself after a few seconds, one with a detail (why a
// mail failed) later, once there was time to read it; a click closes the
// pop-up.

#include <QPoint>
#include <QPointer>
#include <QString>

class QSystemTrayIcon;
class QWidget;

class Balloon {
public:
    explicit Balloon(QSystemTrayIcon* tray = nullptr) : tray_(tray) {}

    int State = 0;
    void MoveTo(int x, int y) { at_ = QPoint(x, y); }
    // Shows the text, and below it the detail in smaller print when there
    // is one. Replaces a pop-up still on screen.
    void ShowMessage(const QString& text, const QString& detail = QString());

    // How long a balloon stays, in milliseconds; one with a detail stays
    // longer by the time to read it.
    static void SetShowMs(int ms);
    // The pop-up on screen (nullptr when none is, or the tray showed it).
    static QWidget* Current();

private:
    QSystemTrayIcon* tray_;
    QPoint at_;
};

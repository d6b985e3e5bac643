#pragma once
// The tray and the timed alert: the window going to the tray and coming
// back, the alert clock that runs while it is there, the check with its
// notifier or its mail, and the notifier's position. A class of its own
// because it has a life apart from the window's: a clock that counts from
// the moment the window went (or the program started), a check that must not
// run inside itself, and one alert mail at a time, queued behind any other
// message on its way. The window hands it what it needs: itself (to hide and
// show), the task database (to mark the due tasks), its alert switch, its
// alert view and the alert sheet.

#include <QDateTime>
#include <QIcon>
#include <QList>
#include <QObject>
#include <functional>
#include <memory>

#include "model/alerts/AlertCheck.h"

class Form20;
class MailSender;
class QMenu;
class QTimer;
class QWidget;
class TaskDatabase;
class Tray;

class TrayAlerts : public QObject {
    Q_OBJECT
public:
    // The sheet the alert mail carries, or why there is none.
    struct Sheet {
        QString path;
        QString error;
    };
    struct Window {
        QWidget* window;                        // what goes to the tray
        TaskDatabase* database;                 // the grid the check marks
        std::function<QString()> alertSwitch;   // "1": the clock runs in the tray
        std::function<void()> matchAlerts;      // only the "Alert" rows shown
        std::function<Sheet()> alertSheet;      // the grid written for the mail
        QMenu* trayMenu;                        // the icon's right-click menu
        const QList<QIcon>* frames;             // the icon's alert animation
    };
    explicit TrayAlerts(Window window);

    QTimer* Timer() const { return timer_; }
    Tray* Icon() const { return tray_; }
    bool AlertFound() const { return alertFound_; }
    std::shared_ptr<MailSender> LastSender() const { return sender_; }

    // Start-up: the clock of a start in the tray counts from here.
    void MarkStart();
    void SetClock(std::function<QDateTime()> now);

    // To the tray, the clock switched by the alert switch: counting from
    // the start (the start-up option) or from now (the menu, the toolbar).
    void SendToTrayAtStart();
    void SendToTray();
    // Back from the tray: the menu's Restore stops the clock, a click on the
    // icon leaves it running.
    void Restore();
    void IconClicked();
    void IconRightClicked();
    void Animate(bool on);

    void Tick();
    void Check();
    void Notify();
    void MailAlert();
    void PositionNotifierAsked();   // the hint first, unless told not to
    void PositionNotifier();

private:
    void EnterTray(bool decideTimer, const QDateTime& since);
    Form20* ShowNotifier();

    Window window_;
    QTimer* timer_ = nullptr;
    Tray* tray_ = nullptr;
    Alerts::AlertTimer clock_;
    QDateTime startedAt_;
    bool checking_ = false;
    bool alertFound_ = false;
    std::shared_ptr<MailSender> sender_;   // the last alert mail's
    bool mailWaiting_ = false;             // waits for another message to go
};

#include "app/TrayAlerts.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "app/BusyGuard.h"
#include "model/alerts/AlertMail.h"
#include "model/database/TaskDatabase.h"
#include "platform/DateText.h"
#include "platform/Dialogs.h"
#include "platform/Mailer.h"
#include "platform/Registry.h"
#include "ui/alerts/Form20.h"
#include "ui/alerts/Form24.h"
#include "widgets/Balloon.h"
#include "widgets/Forms.h"
#include "widgets/Tray.h"

namespace {

// The bottom right corner of the desktop's work area, whatever edge a panel
// takes: there the balloon does not cover the panel.
QPoint BalloonPoint() {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return QPoint();
    const QRect area = s->availableGeometry();
    return QPoint(area.x() + area.width(), area.y() + area.height());
}

void ShowAlertBalloon(QSystemTrayIcon* tray, int result, const QString& reason) {
    Balloon balloon(tray);
    balloon.State = 0;
    const QPoint at = BalloonPoint();
    balloon.MoveTo(at.x(), at.y());
    balloon.ShowMessage(AlertMail::BalloonText(result, QDateTime::currentDateTime()),
                        result != 0 ? QString() : reason);
    balloon.State = 2;
}

}  // namespace

TrayAlerts::TrayAlerts(Window window) : QObject(window.window), window_(std::move(window)) {
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(60);
    tray_ = new Tray(this);
    tray_->setToolTip(Quillon::kTitle);
    tray_->setContextMenu(window_.trayMenu);
    // Hidden in the tray is not closed: only Exit ends the program.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    if (!window_.frames->isEmpty()) tray_->SetRestingIcon(window_.frames->first());
    connect(timer_, &QTimer::timeout, this, &TrayAlerts::Tick);
    connect(tray_, &Tray::IconClick, this, &TrayAlerts::IconClicked);
    connect(tray_, &Tray::IconRightClick, this, &TrayAlerts::IconRightClicked);
}

void TrayAlerts::MarkStart() { startedAt_ = clock_.Now(); }

void TrayAlerts::SetClock(std::function<QDateTime()> now) { clock_.SetClock(std::move(now)); }

// ---------------------------------------------------------------- the tray

void TrayAlerts::EnterTray(bool decideTimer, const QDateTime& since) {
    // The clock is set before the window goes: where there is no tray, the
    // user is told so in a box, and the alert time must not pass unseen
    // while it is open.
    if (decideTimer) {
        if (!Alerts::SwitchOn(window_.alertSwitch())) {
            timer_->stop();
        } else if (!timer_->isActive()) {
            clock_.Start(since);
            timer_->start();
        }
    }
    tray_->SendToTray(window_.window);
}

// At start-up the clock counts from the start, whatever box came first.
void TrayAlerts::SendToTrayAtStart() { EnterTray(true, startedAt_); }

void TrayAlerts::SendToTray() { EnterTray(true, clock_.Now()); }

void TrayAlerts::Restore() {
    tray_->RestoreFromTray(window_.window);
    timer_->stop();
    Forms::Unload<Form20>();
}

void TrayAlerts::IconClicked() {
    // The alert clock goes on: the window shown this way still checks.
    tray_->RestoreFromTray(window_.window);
    Forms::Unload<Form20>();
}

void TrayAlerts::IconRightClicked() { tray_->ShowMenu(window_.trayMenu); }

void TrayAlerts::Animate(bool on) {
    if (on)
        tray_->AnimateIcon(*window_.frames, 200);
    else
        tray_->StopAnimation();
}

// ---------------------------------------------------------------- the check

void TrayAlerts::Tick() {
    // A tick during a running check, another long pass or a box the user
    // has to answer is left for a later one: the clock fires when it sees
    // the alert time passed.
    if (checking_ || window_.database->Busy() || QApplication::activeModalWidget()) return;
    if (clock_.Tick()) Check();
}

void TrayAlerts::Check() {
    if (checking_ || window_.database->Busy()) return;
    checking_ = true;
    alertFound_ = false;
    const Alerts::Settings settings = Alerts::ReadSettings();
    {
        BusyGuard busy(*window_.database, window_.window);
        alertFound_ = Alerts::MarkDue(window_.database->Tasks(), settings.days, clock_.Now().date()) > 0;
    }
    switch (Alerts::ChooseNotice(alertFound_, settings)) {
    case Alerts::Notice::Tray:
        Notify();
        window_.matchAlerts();
        break;
    case Alerts::Notice::Mail:
        Animate(true);
        MailAlert();
        window_.matchAlerts();
        break;
    case Alerts::Notice::None:
        break;
    }
    alertFound_ = false;
    checking_ = false;
}

// ---------------------------------------------------------------- the notifier

// Raised without taking the focus from whatever the user is doing.
Form20* TrayAlerts::ShowNotifier() {
    const bool fresh = !Forms::Loaded<Form20>();
    Form20* f = Forms::Load<Form20>();
    if (fresh) {
        f->setAttribute(Qt::WA_ShowWithoutActivating);
        // Restore's steps; the notifier closes itself.
        connect(f, &Form20::ShowAlerts, this, [this] {
            tray_->RestoreFromTray(window_.window);
            timer_->stop();
        });
    }
    f->show();
    f->raise();
    return f;
}

void TrayAlerts::Notify() {
    Form20* f = ShowNotifier();
    const QDateTime now = clock_.Now();
    f->AniGIF1->setToolTip(QStringLiteral("Alert Received %1 %2")
                               .arg(DateText::FormatGeneral(now), DateText::FormatTime(now.time())));
}

void TrayAlerts::PositionNotifier() {
    QScreen* s = QGuiApplication::primaryScreen();
    const QRect screen = s ? s->geometry() : QRect(0, 0, 0, 0);
    aaxRegistry reg;
    reg.Root(QStringLiteral("HKEY_CURRENT_USER"));
    if (!reg.CreateKey(QStringLiteral("Software\\Quillon\\Float")) ||
        !reg.SetValue(QStringLiteral("Top"), QString::number(screen.y() + screen.height() / 2)) ||
        !reg.SetValue(QStringLiteral("Left"), QString::number(screen.x() + screen.width() / 2)))
        MsgBox(Settings::NotSaved(QStringLiteral("The notifier's position")), vb::vbExclamation);
    EnterTray(false, QDateTime());
    ShowNotifier();
}

void TrayAlerts::PositionNotifierAsked() {
    bool ok = false;
    const double tip = Settings::Get(QStringLiteral("Settings"), QStringLiteral("NotTip")).trimmed().toDouble(&ok);
    if (ok && tip == 1) {
        PositionNotifier();
        return;
    }
    const bool fresh = !Forms::Loaded<Form24>();
    Form24* hint = Forms::Load<Form24>();
    if (fresh) {
        connect(hint, &Form24::OkClicked, this, &TrayAlerts::PositionNotifier);
        hint->adjustSize();
        Forms::Centre(hint);
    }
    hint->show();
    hint->raise();
    hint->activateWindow();
}

// ---------------------------------------------------------------- the mail

void TrayAlerts::MailAlert() {
    // One message at a time: an alert mail that comes while another message
    // is on its way (the send-mail window's) goes out after it, once.
    if (MailDelivery::Busy()) {
        if (!mailWaiting_) {
            mailWaiting_ = true;
            QTimer::singleShot(250, this, [this] {
                mailWaiting_ = false;
                MailAlert();
            });
        }
        return;
    }
    window_.matchAlerts();
    const Sheet sheet = window_.alertSheet();
    AlertMail::Outgoing mail = AlertMail::Compose(sheet.path);
    sender_ = mail.sender;
    if (!sheet.error.isEmpty()) {
        // A mail without its sheet would tell the reader nothing.
        Animate(false);
        ShowAlertBalloon(tray_, 0, sheet.error);
        return;
    }
    auto sender = mail.sender;
    const bool started = MailDelivery::Start(mail.sender, mail.message, this, [this, sender](int result) {
        Animate(false);
        ShowAlertBalloon(tray_, result, sender->LastError());
    });
    if (!started) {
        Animate(false);
        ShowAlertBalloon(tray_, 0, QStringLiteral("Another message is being sent."));
    }
}

// The tray mode and the timed alert: going to the tray and coming back, the
// alert timer's tick, the check with its notification, the notifier, its
// position and the alert settings window. The logic is in alerts/; this is
// the main window's part: its window, its timer, its grid and the windows
// it opens.
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "model/alerts/AlertCheck.h"
#include "ui/alerts/Form10.h"
#include "ui/alerts/Form20.h"
#include "ui/alerts/Form24.h"
#include "app/Form1.h"
#include "platform/Dialogs.h"
#include "widgets/Forms.h"
#include "model/database/TaskViews.h"
#include "platform/DateText.h"
#include "platform/Registry.h"
#include "widgets/Tray.h"

namespace {
// Raised without taking the focus from whatever the user is doing.
Form20* ShowNotifier(Form1* form) {
    const bool fresh = !Forms::Loaded<Form20>();
    Form20* f = Forms::Load<Form20>();
    if (fresh) {
        f->setAttribute(Qt::WA_ShowWithoutActivating);
        // Restore's steps; the notifier closes itself.
        QObject::connect(f, &Form20::ShowAlerts, form, [form] {
            form->csSysTray1->RestoreFromTray(form);
            form->Timer1->stop();
        });
    }
    f->show();
    f->raise();
    return f;
}
}  // namespace

void Form1::BuildAlerts() {
    // Hidden in the tray is not closed: only Exit ends the program.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    if (!ImageList2.isEmpty()) csSysTray1->SetRestingIcon(ImageList2.first());
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    connect(csSysTray1, &Tray::IconClick, this, [this] { csSysTray1_IconClick(); });
    connect(csSysTray1, &Tray::IconRightClick, this, [this] { csSysTray1_IconRightClick(); });
}

void Form1::SetAlertClock(std::function<QDateTime()> now) { alertTimer_.SetClock(std::move(now)); }

// ---------------------------------------------------------------- the tray

void Form1::EnterTray(bool decideTimer, const QDateTime& since) {
    // The clock is set before the window goes: where there is no tray, the
    // user is told so in a box, and the alert time must not pass unseen
    // while it is open.
    if (decideTimer) {
        if (!Alerts::SwitchOn(SkinLabel1->text())) {
            Timer1->stop();
        } else if (!Timer1->isActive()) {
            alertTimer_.Start(since);
            Timer1->start();
        }
    }
    csSysTray1->SendToTray(this);
}

// At start-up the clock counts from the start, whatever box came first.
void Form1::SetTray() { EnterTray(true, startedAt_); }

void Form1::mnutray_Click() { EnterTray(true, alertTimer_.Now()); }

void Form1::mnurestore_Click() {
    csSysTray1->RestoreFromTray(this);
    Timer1->stop();
    Forms::Unload<Form20>();
}

void Form1::csSysTray1_IconClick() {
    // The alert clock goes on: the window shown this way still checks.
    csSysTray1->RestoreFromTray(this);
    Forms::Unload<Form20>();
}

void Form1::csSysTray1_IconRightClick() { csSysTray1->ShowMenu(mnutray1); }

void Form1::TrayAnimation(bool on) {
    if (on)
        csSysTray1->AnimateIcon(ImageList2, 200);
    else
        csSysTray1->StopAnimation();
}

// ---------------------------------------------------------------- the check

void Form1::Timer1_Timer() {
    // A tick during a running check, another long pass or a box the user
    // has to answer is left for a later one: the clock fires when it sees
    // the alert time passed.
    if (checking_ || Busy() || QApplication::activeModalWidget()) return;
    if (alertTimer_.Tick()) GetAlert();
}

void Form1::GetAlert() {
    if (checking_ || Busy()) return;
    checking_ = true;
    AlertFound = false;
    const Alerts::Settings settings = Alerts::ReadSettings();
    {
        BusyGuard busy(this);
        AlertFound = Alerts::MarkDue(Grid1, settings.days, alertTimer_.Now().date()) > 0;
    }
    switch (Alerts::ChooseNotice(AlertFound, settings)) {
    case Alerts::Notice::Tray:
        TrayNotify();
        MatchAlerts();
        break;
    case Alerts::Notice::Mail:
        TrayAnimation(true);
        MailNotify();
        MatchAlerts();
        break;
    case Alerts::Notice::None:
        break;
    }
    AlertFound = false;
    checking_ = false;
}

void Form1::MatchAlerts() { ViewStatus(QString::fromLatin1(TaskStatus::kAlert)); }

void Form1::TrayNotify() {
    Form20* f = ShowNotifier(this);
    const QDateTime now = alertTimer_.Now();
    f->AniGIF1->setToolTip(QStringLiteral("Alert Received %1 %2")
                               .arg(DateText::FormatGeneral(now), DateText::FormatTime(now.time())));
}

// ---------------------------------------------------------------- notifier place

void Form1::PositionNotifier() {
    QScreen* s = QGuiApplication::primaryScreen();
    const QRect screen = s ? s->geometry() : QRect(0, 0, 0, 0);
    aaxRegistry reg;
    reg.Root(QStringLiteral("HKEY_CURRENT_USER"));
    if (!reg.CreateKey(QStringLiteral("Software\\Quillon\\Float")) ||
        !reg.SetValue(QStringLiteral("Top"), QString::number(screen.y() + screen.height() / 2)) ||
        !reg.SetValue(QStringLiteral("Left"), QString::number(screen.x() + screen.width() / 2)))
        MsgBox(Settings::NotSaved(QStringLiteral("The notifier's position")), vb::vbExclamation);
    EnterTray(false, QDateTime());
    ShowNotifier(this);
}

void Form1::mnuptray_Click() {
    bool ok = false;
    const double tip = Settings::Get(QStringLiteral("Settings"), QStringLiteral("NotTip")).trimmed().toDouble(&ok);
    if (ok && tip == 1) {
        PositionNotifier();
        return;
    }
    const bool fresh = !Forms::Loaded<Form24>();
    Form24* hint = Forms::Load<Form24>();
    if (fresh) {
        connect(hint, &Form24::OkClicked, this, [this] { PositionNotifier(); });
        hint->adjustSize();
        Forms::Centre(hint);
    }
    hint->show();
    hint->raise();
    hint->activateWindow();
}

// ---------------------------------------------------------------- settings

void Form1::mnunot_Click() {
    const bool fresh = !Forms::Loaded<Form10>();
    Form10* f = Forms::Show<Form10>();
    if (fresh) Forms::Centre(f);
}

// Alert On / Alert Off: the switch the tray's timer obeys.
void Form1::mnuaon_Click() {
    if (!Settings::Set(QStringLiteral("Settings"), QStringLiteral("Alert"), QStringLiteral("1")))
        MsgBox(Settings::NotSaved(QStringLiteral("The alert switch")), vb::vbExclamation);
    SkinLabel1->setText(QStringLiteral("1"));
    mnuaon->setChecked(true);
    mnuoff->setChecked(false);
}

void Form1::mnuoff_Click() {
    if (!Settings::Set(QStringLiteral("Settings"), QStringLiteral("Alert"), QStringLiteral("0")))
        MsgBox(Settings::NotSaved(QStringLiteral("The alert switch")), vb::vbExclamation);
    SkinLabel1->setText(QStringLiteral("0"));
    mnuaon->setChecked(false);
    mnuoff->setChecked(true);
}

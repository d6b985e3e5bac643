// The main window's mail: the alert mail, its settings window, and the
// send-mail window with its address book.
#include "app/Form1.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include "model/alerts/AlertMail.h"
#include "ui/alerts/Form21.h"
#include "ui/alerts/MainMail.h"
#include "ui/alerts/frmaddress.h"
#include "widgets/Forms.h"
#include "widgets/Balloon.h"
#include "platform/GridExport.h"
#include "platform/Mailer.h"

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

void Form1::mnusetemail_Click() { Forms::Show<Form21>(); }

void Form1::MailNotify() {
    // One message at a time: an alert mail that comes while another message
    // is on its way (the send-mail window's) goes out after it, once.
    if (MailDelivery::Busy()) {
        if (!alertMailWaiting_) {
            alertMailWaiting_ = true;
            QTimer::singleShot(250, this, [this] {
                alertMailWaiting_ = false;
                MailNotify();
            });
        }
        return;
    }
    MatchAlerts();
    QString exportError;
    QString sheet;
    if (DatabaseFolder().isEmpty()) {
        exportError = QStringLiteral("No task database is open, so there is no alert sheet to send.");
    } else {
        QString error;
        if (!GridExport::WriteSheet(Grid1, DatabaseFolder(), QStringLiteral("Alerts.xls"), &sheet, &error))
            exportError = QStringLiteral("The alert sheet could not be written: %1").arg(error);
    }
    AlertMail::Outgoing mail = AlertMail::Compose(sheet);
    MailSender1 = mail.sender;
    if (!exportError.isEmpty()) {
        // A mail without its sheet would tell the reader nothing.
        TrayAnimation(false);
        ShowAlertBalloon(Balloon1, 0, exportError);
        return;
    }
    auto sender = mail.sender;
    const bool started = MailDelivery::Start(mail.sender, mail.message, this, [this, sender](int result) {
        TrayAnimation(false);
        ShowAlertBalloon(Balloon1, result, sender->LastError());
    });
    if (!started) {
        TrayAnimation(false);
        ShowAlertBalloon(Balloon1, 0, QStringLiteral("Another message is being sent."));
    }
}

void Form1::OpenMailWindow(const QString& attachment) {
    MainMail* mail = Forms::Show<MainMail>();
    connect(mail, &MainMail::AddressBookRequested, this, &Form1::OpenAddressBook, Qt::UniqueConnection);
    mail->txtAttachments->setText(attachment);
}

void Form1::OpenAddressBook() {
    frmaddress* book = Forms::Show<frmaddress>();
    connect(book, &frmaddress::AddressApplied, this, &Form1::ApplyAddress, Qt::UniqueConnection);
}

void Form1::ApplyAddress(const QString& address) {
    // A send-mail window closed meanwhile is loaded again, unshown, so the
    // address waits in it for its next opening.
    MainMail* mail = Forms::Loaded<MainMail>();
    if (!mail) {
        mail = Forms::Load<MainMail>();
        connect(mail, &MainMail::AddressBookRequested, this, &Form1::OpenAddressBook, Qt::UniqueConnection);
    }
    mail->txtTo->setText(address);
}

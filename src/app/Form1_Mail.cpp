// The main window's alerts and mail: the alert switch, the alert windows'
// openers, the alert mail's sheet, and the send-mail window with its address
// book. The tray, the alert clock and the alert mail are TrayAlerts'.
#include "app/Form1.h"

#include <QLabel>
#include <QLineEdit>

#include "platform/FileOps.h"
#include "platform/GridExport.h"
#include "platform/Dialogs.h"
#include "ui/alerts/Form10.h"
#include "ui/alerts/Form21.h"
#include "ui/alerts/MainMail.h"
#include "ui/alerts/frmaddress.h"
#include "widgets/Forms.h"

void Form1::mnusetemail_Click() { Forms::Show<Form21>(); }

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

// The grid, showing the alerts, as Alerts.xls in the database folder.
TrayAlerts::Sheet Form1::AlertSheet() {
    QString exportError;
    QString sheet;
    if (DatabaseFolder().isEmpty()) {
        exportError = QStringLiteral("No task database is open, so there is no alert sheet to send.");
    } else {
        sheet = FileOps::Join(DatabaseFolder(), QStringLiteral("Alerts.xls"));
        if (ArclabFileIOSystemToolbox1.FileExists(sheet)) FileOps::RemoveFile(sheet);
        QString error;
        if (!ExportToExcel(Grid1, sheet, &error))
            exportError = QStringLiteral("The alert sheet could not be written: %1").arg(error);
    }
    return {sheet, exportError};
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

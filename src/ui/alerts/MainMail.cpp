#include "ui/alerts/MainMail.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "model/alerts/AlertMail.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/Mailer.h"
#include "widgets/Forms.h"
#include "widgets/Skin.h"

namespace {
const QString kKey = QStringLiteral("Software\\Quillon\\SetEmail");
const QString kRoot = QStringLiteral("HKEY_CURRENT_USER");

QLineEdit* Box(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}
}

MainMail::MainMail() {
    setObjectName(QStringLiteral("MainMail"));
    setWindowTitle(QStringLiteral("Send Email "));

    auto* menu = new QMenuBar(this);
    QMenu* file = menu->addMenu(QStringLiteral("&File"));
    mnumail = file->addAction(QStringLiteral("Send Mail"));
    mnuaddress = file->addAction(QStringLiteral("Address Book"));
    file->addSeparator();
    mnuclose = file->addAction(QStringLiteral("Close"));
    QMenu* help = menu->addMenu(QStringLiteral("&Help"));
    mnuehlp = help->addAction(QStringLiteral("Email Help"));
    mnusethlp = help->addAction(QStringLiteral("Setup Help"));

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));

    // Page "Send Mail".
    auto* send = new QWidget;
    txtFromName = Box(send, "txtFromName");
    txtFrom = Box(send, "txtFrom");
    txtTo = Box(send, "txtTo");
    txtReplyTo = Box(send, "txtReplyTo");
    txtSubject = Box(send, "txtSubject");
    txtMsg = new QPlainTextEdit(send);
    txtMsg->setObjectName(QStringLiteral("txtMsg"));
    txtMsg->setTabChangesFocus(true);
    txtAttachments = Box(send, "txtAttachments");
    btnAddAttach = new QPushButton(QStringLiteral("Attach"), send);
    btnClearAttach = new QPushButton(QStringLiteral("Clear"), send);
    Command1 = new QPushButton(send);
    Command1->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    Command1->setToolTip(QStringLiteral("Address Book"));
    btnSend = new QPushButton(QStringLiteral("&Send"), send);
    btnExit = new QPushButton(QStringLiteral("&Close"), send);
    Check2 = new QCheckBox(QStringLiteral("Request Receipt"), send);
    Command2 = new QPushButton(QStringLiteral("&Save Settings"), send);
    Label5 = new QLabel(send);
    Label5->setObjectName(QStringLiteral("Label5"));
    lblReason = new QLabel(send);
    lblReason->setObjectName(QStringLiteral("lblReason"));
    lblReason->setWordWrap(true);
    lblReason->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* grid = new QGridLayout(send);
    // Each box is named by its label, which is also its buddy, so a screen
    // reader reads "To Email:" rather than an unnamed text field.
    const auto label = [send](const QString& text, QWidget* box) {
        auto* l = new QLabel(text, send);
        l->setBuddy(box);
        return l;
    };
    int row = 0;
    grid->addWidget(label(QStringLiteral("From Name:"), txtFromName), row, 0);
    grid->addWidget(txtFromName, row++, 1, 1, 3);
    grid->addWidget(label(QStringLiteral("From Email:"), txtFrom), row, 0);
    grid->addWidget(txtFrom, row++, 1, 1, 3);
    grid->addWidget(label(QStringLiteral("To Email:"), txtTo), row, 0);
    grid->addWidget(txtTo, row, 1, 1, 2);
    grid->addWidget(Command1, row++, 3);
    grid->addWidget(label(QStringLiteral("Reply-To:"), txtReplyTo), row, 0);
    grid->addWidget(txtReplyTo, row++, 1, 1, 3);
    grid->addWidget(label(QStringLiteral("Subject:"), txtSubject), row, 0);
    grid->addWidget(txtSubject, row++, 1, 1, 3);
    grid->addWidget(label(QStringLiteral("Message Body:"), txtMsg), row, 0, Qt::AlignTop);
    grid->addWidget(txtMsg, row++, 1, 1, 3);
    grid->addWidget(label(QStringLiteral("Attachments:"), txtAttachments), row, 0);
    grid->addWidget(txtAttachments, row, 1);
    grid->addWidget(btnAddAttach, row, 2);
    grid->addWidget(btnClearAttach, row++, 3);
    auto* actions = new QHBoxLayout;
    actions->addWidget(Check2);
    actions->addWidget(Command2);
    actions->addStretch();
    actions->addWidget(btnSend);
    actions->addWidget(btnExit);
    grid->addLayout(actions, row++, 0, 1, 4);
    grid->addWidget(Label5, row, 0, Qt::AlignTop);
    grid->addWidget(lblReason, row++, 1, 1, 3, Qt::AlignTop);
    SSTab1->addTab(send, QStringLiteral("Send Mail"));

    // Page "Setup".
    auto* setup = new QWidget;
    txtserver = Box(setup, "txtserver");
    txtport = Box(setup, "txtport");
    txtuser = Box(setup, "txtuser");
    txtpass = Box(setup, "txtpass");
    txtpass->setEchoMode(QLineEdit::Password);
    auto* form = new QFormLayout(setup);
    form->addRow(QStringLiteral("SMTP Server"), txtserver);
    form->addRow(QStringLiteral("SMTP Port"), txtport);
    form->addRow(QStringLiteral("User name"), txtuser);
    form->addRow(QStringLiteral("Password"), txtpass);
    SSTab1->addTab(setup, QStringLiteral("Setup"));

    // Nothing fills the recipient's name; it is kept out of sight.
    txtToName = Box(this, "txtToName");
    txtToName->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menu);
    layout->addWidget(SSTab1);

    // The message from sender to attachment, Send and Close, and only then
    // the address book, the receipt and the settings; then the page tabs
    // and the "Setup" page's boxes (skipped while their page is hidden).
    Forms::KeepTabOrder(this, {txtFromName, txtFrom, txtTo, txtReplyTo, txtSubject, txtMsg, txtAttachments,
                               btnAddAttach, btnClearAttach, btnSend, btnExit, Command1, Check2, Command2,
                               SSTab1->tabBar(), txtserver, txtport, txtuser, txtpass});

    connect(btnSend, &QPushButton::clicked, this, &MainMail::btnSend_Click);
    connect(mnumail, &QAction::triggered, this, &MainMail::btnSend_Click);
    connect(btnAddAttach, &QPushButton::clicked, this, &MainMail::btnAddAttach_Click);
    connect(btnClearAttach, &QPushButton::clicked, this, &MainMail::btnClearAttach_Click);
    connect(btnExit, &QPushButton::clicked, this, &MainMail::btnExit_Click);
    connect(mnuclose, &QAction::triggered, this, &MainMail::btnExit_Click);
    connect(Command2, &QPushButton::clicked, this, &MainMail::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &MainMail::Command1_Click);
    connect(mnuaddress, &QAction::triggered, this, &MainMail::Command1_Click);
    connect(mnuehlp, &QAction::triggered, this, &MainMail::mnuehlp_Click);
    connect(mnusethlp, &QAction::triggered, this, &MainMail::mnusethlp_Click);

    // Enter in a box clicks nothing, as the user expects of these windows.
    for (QPushButton* b : {btnAddAttach, btnClearAttach, Command1, btnSend, btnExit, Command2}) b->setAutoDefault(false);
    Skin::ApplyCurrent(this);
    adjustSize();
    setFixedSize(sizeHint().expandedTo(QSize(520, 460)));
    GetValues();
}

void MainMail::GetValues() {
    aaxRegistry1.Root(kRoot);
    aaxRegistry1.OpenKey(kKey);
    txtserver->setText(aaxRegistry1.GetValue(QStringLiteral("Server")));
    txtport->setText(aaxRegistry1.GetValue(QStringLiteral("Port")));
    txtuser->setText(aaxRegistry1.GetValue(QStringLiteral("User")));
    txtpass->setText(aaxRegistry1.GetValue(QStringLiteral("Password")));
    txtFromName->setText(aaxRegistry1.GetValue(QStringLiteral("From")));
    const QString from = aaxRegistry1.GetValue(QStringLiteral("FromEmail"));
    txtFrom->setText(from);
    txtReplyTo->setText(from);
    txtSubject->setText(aaxRegistry1.GetValue(QStringLiteral("Subject")));
}

void MainMail::SaveSet() {
    aaxRegistry1.Root(kRoot);
    bool saved = aaxRegistry1.CreateKey(kKey);
    const std::pair<const char*, QString> values[] = {
        {"Server", txtserver->text()}, {"Port", txtport->text()},        {"User", txtuser->text()},
        {"Password", txtpass->text()}, {"From", txtFromName->text()},   {"FromEmail", txtFrom->text()},
        {"Subject", txtSubject->text()}};
    for (const auto& [name, text] : values) saved = aaxRegistry1.SetValue(QString::fromLatin1(name), text) && saved;
    if (!saved) MsgBox(Settings::NotSaved(QStringLiteral("The mail settings")), vb::vbCritical);
}

void MainMail::Command2_Click() { SaveSet(); }

void MainMail::btnSend_Click() {
    if (sending_) return;
    if (txtFrom->text().isEmpty() || !txtFrom->text().contains(QLatin1Char('@'))) {
        MsgBox(QStringLiteral("You must enter Your Email Address"), vb::vbInformation, QStringLiteral("Error"));
        return;
    }
    if (const QString problem = AlertMail::RecipientProblem(txtTo->text()); !problem.isEmpty()) {
        MsgBox(problem, vb::vbInformation, QStringLiteral("Error"));
        return;
    }
    auto sender = AlertMail::NewSender(txtserver->text(), txtport->text(), txtuser->text(), txtpass->text());
    auto message = std::make_shared<MailMessage>();
    message->AddRecipient(txtToName->text(), txtTo->text());
    message->Subject = txtSubject->text();
    message->Body = txtMsg->toPlainText();
    message->FromName = txtFromName->text();
    message->FromAddress = txtFrom->text();
    message->ReadReceipt = Check2->isChecked() ? 1 : 0;
    message->AddAttachment(txtAttachments->text());
    MailSender1 = sender;
    const bool started = MailDelivery::Start(sender, message, this, [this, sender](int result) {
        Finish(result, sender->LastError());
    });
    if (!started) {
        MsgBox(QStringLiteral("Another message is being sent. Please send this one when it is done."),
               vb::vbInformation);
        return;
    }
    sending_ = true;
    lblReason->clear();
    btnSend->setEnabled(false);
    mnumail->setEnabled(false);
    setCursor(Qt::WaitCursor);
}

void MainMail::Finish(int result, const QString& reason) {
    sending_ = false;
    btnSend->setEnabled(true);
    mnumail->setEnabled(true);
    unsetCursor();
    Label5->setText(QStringLiteral("Success: ") + (result >= 0 ? QStringLiteral(" ") : QString()) +
                    QString::number(result) + QStringLiteral("\r\n"));
    // Why it was not sent, beside the result (and when pointing at it).
    lblReason->setText(result == 0 && !reason.isEmpty() ? QStringLiteral("Not sent: ") + reason : QString());
    Label5->setToolTip(reason);
    emit SendFinished(result);
}

void MainMail::btnAddAttach_Click() {
    const QString chosen = Dialogs::Get().OpenFileName(QStringLiteral("Attach"), QStringLiteral("All Files (*)"),
                                                       QString());
    if (!chosen.isEmpty()) chosenFile_ = chosen;
    txtAttachments->clear();
    txtAttachments->setText(chosenFile_);
}

void MainMail::btnClearAttach_Click() { txtAttachments->clear(); }

void MainMail::btnExit_Click() { close(); }

void MainMail::Command1_Click() { emit AddressBookRequested(); }

void MainMail::mnuehlp_Click() { Help::Show(Help::SendMailAndBackup); }

void MainMail::mnusethlp_Click() {
    SSTab1->setCurrentIndex(1);
    Help::Show(Help::MailSetup);
}

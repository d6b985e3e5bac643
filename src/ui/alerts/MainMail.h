#pragma once
// "Send Email ": one message with one attachment (usually the exported task
// sheet) through the server of its own settings ("Software\Quillon\SetEmail").
// The message goes out on a thread of its own; meanwhile the window shows
// the hourglass, Send waits, and the rest of Quillon goes on working. The
// address book is opened by whoever opened this window (AddressBookRequested).

#include <QDialog>
#include <QString>
#include <memory>

#include "platform/Registry.h"

class MailSender;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

class MainMail : public QDialog {
    Q_OBJECT
public:
    MainMail();

    void GetValues();               // the boxes from the stored settings
    void SaveSet();                 // the stored settings from the boxes
    void btnSend_Click();           // "&Send" and File > "Send Mail"
    void btnAddAttach_Click();      // "Attach"
    void btnClearAttach_Click();    // "Clear"
    void btnExit_Click();           // "&Close" and File > "Close"
    void Command2_Click();          // "&Save Settings"
    void Command1_Click();          // the address book, also File > "Address Book"
    void mnuehlp_Click();           // Help > "Email Help"
    void mnusethlp_Click();         // Help > "Setup Help"

    // True while the last message is on its way.
    bool Sending() const { return sending_; }

    QTabWidget* SSTab1 = nullptr;
    QLineEdit* txtFromName = nullptr;
    QLineEdit* txtFrom = nullptr;
    QLineEdit* txtTo = nullptr;
    QLineEdit* txtReplyTo = nullptr;
    QLineEdit* txtSubject = nullptr;
    QPlainTextEdit* txtMsg = nullptr;
    QLineEdit* txtAttachments = nullptr;
    QLineEdit* txtToName = nullptr;     // never shown; its text is the recipient's name
    QPushButton* btnAddAttach = nullptr;
    QPushButton* btnClearAttach = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* btnSend = nullptr;
    QPushButton* btnExit = nullptr;
    QCheckBox* Check2 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lblReason = nullptr;        // beside the result: why the last message was not sent
    QLineEdit* txtserver = nullptr;
    QLineEdit* txtport = nullptr;
    QLineEdit* txtuser = nullptr;
    QLineEdit* txtpass = nullptr;
    QAction* mnumail = nullptr;
    QAction* mnuaddress = nullptr;
    QAction* mnuclose = nullptr;
    QAction* mnuehlp = nullptr;
    QAction* mnusethlp = nullptr;
    aaxRegistry aaxRegistry1;
    std::shared_ptr<MailSender> MailSender1;   // the last sending's

signals:
    void AddressBookRequested();
    // The sending is over: `result` non-zero when the message went out.
    void SendFinished(int result);

private:
    void Finish(int result, const QString& reason);
    bool sending_ = false;
    QString chosenFile_;   // the open-file dialog's last choice
};

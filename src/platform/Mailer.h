#pragma once
// The SMTP mail component: one message (MailMessage) handed to a sender
// (MailSender) that delivers it through a server over libcurl. SMTP and
// SMTPS, STARTTLS when the server offers it, log-in when a user name is set,
// a text part and attachments in one MIME message.
//
// Send returns the component's result: 1 when the message was sent, 0 when
// not; LastError() then says why, in words a user can read, with the
// server's own reply where it refused something. A message whose
// subject, names or addresses hold a line break is refused (it would add
// headers of its own), as is an attachment that cannot be read. Names and
// subjects outside ASCII travel as RFC 2047 encoded words.
//
// Log and message files named without a folder go to the per-user data
// folder (MailFiles::Folder()); the conversation log never holds the
// password or the encoded log-in.
//
// MailDelivery runs one Send at a time on a thread of its own, so a window
// stays responsive while a message goes out.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class MailMessage {
public:
    struct Recipient {
        QString name;
        QString address;
    };

    // Adds one recipient; returns the number of recipients.
    int AddRecipient(const QString& name, const QString& address);
    // Attaches a file (read when the message is sent); an empty path adds
    // nothing. Returns the path as it will be attached.
    QString AddAttachment(const QString& path);
    // Writes the message (headers, text, names of attachments) as XML.
    bool SaveAs(const QString& fileName, QString* error = nullptr) const;

    QString Subject;
    QString Body;
    QString FromName;
    QString FromAddress;
    int ReadReceipt = 0;   // 1 asks for a read receipt

    const std::vector<Recipient>& Recipients() const { return recipients_; }
    const QStringList& Attachments() const { return attachments_; }

    // Why the message cannot go out as it stands ("" when it can): a line
    // break in a header text, a missing address, an unreadable attachment.
    QString Problem() const;
    // The message's own header lines (From, To, Subject, Date, ...), encoded.
    QStringList HeaderLines() const;

private:
    std::vector<Recipient> recipients_;
    QStringList attachments_;
};

class MailSender {
public:
    QString Server;          // host name or address; "smtps://host" for SMTPS
    std::optional<int> Port; // unset: 25 for SMTP, 465 for SMTPS
    QString UserName;        // log-in only when not empty
    QString Password;
    QString LogFile;         // the conversation log, written at every sending

    // Time-outs in milliseconds: to connect, and for the server to answer
    // any one command (or to take any data) before the sending is given up.
    static inline int DefaultConnectTimeoutMs = 15000;
    static inline int DefaultResponseTimeoutMs = 60000;
    int ConnectTimeoutMs = DefaultConnectTimeoutMs;
    int ResponseTimeoutMs = DefaultResponseTimeoutMs;

    // Delivers the message: 1 when sent, 0 when not (see LastError()).
    int Send(const MailMessage& message);
    // Writes the log of the last sending as XML.
    bool SaveLog(const QString& fileName, QString* error = nullptr) const;

    QString LastError() const { return lastError_; }
    // The conversation of the last sending, credentials hidden.
    QStringList Log() const { return log_; }

private:
    void WriteLogFile() const;
    QString lastError_;
    QStringList log_;
};

namespace MailFiles {
// The per-user data folder that holds the mail logs (FileOps::DataFolder),
// where they are written for their owner alone.
QString Folder();
// A bare file name resolved in Folder(); a path with a folder as it is; ""
// for a name that is neither (so no text can lead outside the folder).
QString Path(const QString& fileName);
}

namespace MailText {
// The port text as a number: blanks around it allowed, a fraction rounded
// to the nearest integer (halves to even); nothing for empty, non-numeric
// or out-of-range text.
std::optional<int> PortNumber(const QString& text);
// RFC 2047: the text as it is when plain printable ASCII, else encoded
// words, folded over several lines unless `fold` is false.
QString EncodeWord(const QString& text, bool fold = true);
// "Name <address>" as a header writes it (the name encoded or quoted).
QString Mailbox(const QString& name, const QString& address);
// True when the text holds a carriage return or line feed.
bool HasLineBreak(const QString& text);
// True when the text can stand between the angle brackets of the envelope:
// an address alone, no name, blank, bracket, comma or quote in it.
bool IsUsableAddress(const QString& address);
}

namespace MailDelivery {
// True while a message is on its way.
bool Busy();
// Sends the message on a thread of its own: Send, then SaveLog("log.xml")
// and message SaveAs("mail.xml") whatever the result. `done` runs with the
// result on `context`'s thread when it is over (not at all when `context`
// is gone by then). Returns false, starting nothing, while another message
// is on its way.
bool Start(std::shared_ptr<MailSender> sender, std::shared_ptr<MailMessage> message, QObject* context,
           std::function<void(int result)> done);
// Waits for the message on its way, at most `ms` milliseconds; true when
// none is left.
bool Wait(int ms);
}

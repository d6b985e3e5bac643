#pragma once
// What the alert mail and the send-mail window share: a sender set up from
// the stored server values, the alert mail composed from the settings of
// "Software\Quillon\Email", and the balloon's text.

#include <QDateTime>
#include <QString>
#include <memory>

#include "platform/Mailer.h"

namespace AlertMail {

// A sender for the server, the port text (left unset when it is not a
// number), the user name and password; its log goes to "mailSent.log".
std::shared_ptr<MailSender> NewSender(const QString& server, const QString& port, const QString& user,
                                      const QString& password);

struct Outgoing {
    std::shared_ptr<MailSender> sender;
    std::shared_ptr<MailMessage> message;
};
// The alert mail from the ten stored values, with `sheet` attached.
Outgoing Compose(const QString& sheet);

// Why Send refuses the text as the recipient's address, "" when it takes
// it; the address book asks the same of every new entry.
QString RecipientProblem(const QString& address);

// "Quillon Alert Email Sent." (result not 0) or "Error Sending Quillon Email
// Alert", two line breaks, the general date of `now`, two blanks and the time.
QString BalloonText(int result, const QDateTime& now);

}

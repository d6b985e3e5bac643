#include "model/alerts/AlertMail.h"

#include "platform/DateText.h"
#include "platform/Registry.h"

namespace AlertMail {

std::shared_ptr<MailSender> NewSender(const QString& server, const QString& port, const QString& user,
                                      const QString& password) {
    auto sender = std::make_shared<MailSender>();
    sender->Server = server;
    sender->Port = MailText::PortNumber(port);
    sender->UserName = user;
    sender->Password = password;
    sender->LogFile = QStringLiteral("mailSent.log");
    return sender;
}

Outgoing Compose(const QString& sheet) {
    aaxRegistry reg;
    reg.Root(QStringLiteral("HKEY_CURRENT_USER"));
    reg.OpenKey(QStringLiteral("Software\\Quillon\\Email"));
    Outgoing out;
    out.sender = NewSender(reg.GetValue(QStringLiteral("Server")), reg.GetValue(QStringLiteral("Port")),
                           reg.GetValue(QStringLiteral("User")), reg.GetValue(QStringLiteral("Password")));
    out.message = std::make_shared<MailMessage>();
    out.message->AddRecipient(reg.GetValue(QStringLiteral("To")), reg.GetValue(QStringLiteral("ToEmail")));
    out.message->Subject = reg.GetValue(QStringLiteral("Subject"));
    out.message->Body = reg.GetValue(QStringLiteral("Body"));
    out.message->FromName = reg.GetValue(QStringLiteral("From"));
    out.message->FromAddress = reg.GetValue(QStringLiteral("FromEmail"));
    out.message->AddAttachment(sheet);
    return out;
}

QString RecipientProblem(const QString& address) {
    const QString a = address.trimmed();
    if (!a.contains(QLatin1Char('@'))) return QStringLiteral("You must enter the Recipient Email Address");
    if (!MailText::IsUsableAddress(a))
        return QStringLiteral("You must enter the Recipient Email Address alone, such as crew@plant.example, "
                              "without a name, blanks or angle brackets: \"%1\" cannot be sent to.")
            .arg(a);
    return QString();
}

QString BalloonText(int result, const QDateTime& now) {
    const QString head =
        result != 0 ? QStringLiteral("Quillon Alert Email Sent.") : QStringLiteral("Error Sending Quillon Email Alert");
    return head + QStringLiteral("\r\n\r\n") + DateText::FormatGeneral(now) + QStringLiteral("  ") +
           DateText::FormatTime(now.time());
}

}  // namespace AlertMail

// A copy of the program that quits while a message is on its way, started by
// the mail tests as another process:
//   quillon_mail_helper <port>
// sends one message to 127.0.0.1:<port> on the mail thread and ends at once,
// as a user who quits just after an alert mail has started.
#include <QCoreApplication>
#include <QThread>
#include <memory>

#include "platform/Mailer.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    auto sender = std::make_shared<MailSender>();
    sender->Server = QStringLiteral("127.0.0.1");
    sender->Port = QString::fromLocal8Bit(argv[1]).toInt();
    sender->LogFile = QStringLiteral("mailSent.log");
    auto message = std::make_shared<MailMessage>();
    message->FromAddress = QStringLiteral("planner@plant.example");
    message->AddRecipient(QStringLiteral("Crew"), QStringLiteral("crew@plant.example"));
    message->Subject = QStringLiteral("Alerts");
    if (!MailDelivery::Start(sender, message, nullptr, {})) return 1;
    // Long enough for the connection to be made.
    QThread::msleep(300);
    return 0;
}

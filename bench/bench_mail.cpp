// `quillon_bench --send-mail PORT FILE COUNT`: sends one message with FILE
// attached to the SMTP server on 127.0.0.1:PORT through Quillon's mail
// layer COUNT times and prints each sending's time as "seconds S".
// bench/mail_ratio.sh compares these with Python's smtplib.
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>

#include "platform/Mailer.h"

int SendMailForBench(int argc, char** argv, int at) {
    if (at + 3 >= argc) {
        std::fprintf(stderr, "usage: quillon_bench --send-mail PORT FILE COUNT\n");
        return 2;
    }
    const int port = std::atoi(argv[at + 1]);
    const QString file = QString::fromLocal8Bit(argv[at + 2]);
    const int count = std::atoi(argv[at + 3]);
    for (int i = 0; i < count; ++i) {
        QElapsedTimer t;
        t.start();
        MailSender sender;
        sender.Server = QStringLiteral("127.0.0.1");
        sender.Port = port;
        MailMessage message;
        message.FromName = QStringLiteral("Planner");
        message.FromAddress = QStringLiteral("planner@plant.example");
        message.AddRecipient(QStringLiteral("Crew"), QStringLiteral("crew@plant.example"));
        message.Subject = QStringLiteral("Task sheet");
        message.Body = QStringLiteral("The task sheet is attached.");
        message.AddAttachment(file);
        if (sender.Send(message) == 0) {
            std::fprintf(stderr, "not sent: %s\n", qPrintable(sender.LastError()));
            return 1;
        }
        std::printf("seconds %.6f\n", t.nsecsElapsed() / 1e9);
        std::fflush(stdout);
    }
    return 0;
}

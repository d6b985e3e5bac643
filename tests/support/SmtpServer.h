#pragma once
// A real SMTP server on 127.0.0.1 for the mail tests (aiosmtpd, started with
// /usr/bin/python3 from tests/support/smtp_server.py). Each message it takes
// is kept in a folder with the server's own decoding of it.

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>

class SmtpServer {
public:
    struct Options {
        QString user = {};   // empty: no log-in asked
        QString password = {};
        bool silent = false;   // accepts connections, never answers
        bool loginOnly = false;   // offers AUTH LOGIN, not PLAIN
        bool refuseRecipient = false;   // 550 to every RCPT
        bool dropInData = false;   // closes the connection once the message starts
    };
    SmtpServer() : SmtpServer(Options{}) {}
    explicit SmtpServer(const Options& options);
    ~SmtpServer();
    SmtpServer(const SmtpServer&) = delete;
    SmtpServer& operator=(const SmtpServer&) = delete;

    bool Running() const { return port_ > 0; }
    int Port() const { return port_; }
    QString Folder() const { return folder_; }

    int MessageCount() const;
    // Waits (running the event loop) until `n` messages have arrived.
    bool WaitForMessages(int n, int ms = 10000) const;
    // The server's decoding of message i: mail_from, rcpt_tos, headers
    // (decoded), raw_headers, body, attachments [{filename, file}].
    QJsonObject Summary(int i) const;
    QByteArray Raw(int i) const;
    QByteArray Attachment(int i, int k) const;

private:
    QProcess process_;
    QString folder_;
    int port_ = 0;
};

// Runs the event loop until `done` is true or `ms` pass; returns `done()`.
template <class F>
bool WaitUntil(F done, int ms = 10000);

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
template <class F>
bool WaitUntil(F done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

#include "support/SmtpServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include "support/TestEnv.h"

SmtpServer::SmtpServer(const Options& options) {
    folder_ = TestEnv::NewTempFolder() + QStringLiteral("/received");
    QStringList args{QStringLiteral(QUILLON_TEST_DIR "/support/smtp_server.py"), QStringLiteral("--folder"), folder_};
    if (!options.user.isEmpty()) args << "--user" << options.user << "--password" << options.password;
    if (options.silent) args << "--silent";
    if (options.loginOnly) args << "--login-only";
    if (options.refuseRecipient) args << "--refuse-recipient";
    if (options.dropInData) args << "--drop-in-data";
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral("/usr/bin/python3"), args);
    if (!process_.waitForStarted(10000)) return;
    QByteArray out;
    while (!out.contains('\n') && process_.waitForReadyRead(15000)) out += process_.readAllStandardOutput();
    if (out.startsWith("READY ")) port_ = out.mid(6).trimmed().toInt();
}

SmtpServer::~SmtpServer() {
    process_.closeWriteChannel();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(2000);
    }
}

int SmtpServer::MessageCount() const {
    return int(QDir(folder_).entryList({QStringLiteral("*.json")}, QDir::Files).size());
}

bool SmtpServer::WaitForMessages(int n, int ms) const {
    return WaitUntil([&] { return MessageCount() >= n; }, ms);
}

QJsonObject SmtpServer::Summary(int i) const {
    return QJsonDocument::fromJson(TestEnv::ReadAll(folder_ + QStringLiteral("/%1.json").arg(i))).object();
}

QByteArray SmtpServer::Raw(int i) const { return TestEnv::ReadAll(folder_ + QStringLiteral("/%1.eml").arg(i)); }

QByteArray SmtpServer::Attachment(int i, int k) const {
    return TestEnv::ReadAll(folder_ + QStringLiteral("/%1.att%2").arg(i).arg(k));
}

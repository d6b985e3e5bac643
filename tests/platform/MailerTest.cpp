// The mail layer against a real SMTP server on 127.0.0.1.
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Mailer.h"
#include "platform/Registry.h"
#include "support/SmtpServer.h"
#include "support/TestEnv.h"

namespace {

class MailerTest : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        MailSender::DefaultResponseTimeoutMs = 2000;
        QFile::remove(MailFiles::Path("mailSent.log"));
    }

    MailSender SenderFor(const SmtpServer& server, const QString& user = {}, const QString& password = {}) {
        MailSender s;
        s.Server = "127.0.0.1";
        s.Port = server.Port();
        s.UserName = user;
        s.Password = password;
        s.LogFile = "mailSent.log";
        return s;
    }

    MailMessage Plain(const QString& subject = "Pump check") {
        MailMessage m;
        m.FromName = "Planner";
        m.FromAddress = "planner@plant.example";
        m.AddRecipient("Crew", "crew@plant.example");
        m.Subject = subject;
        m.Body = "Three tasks fall due.";
        return m;
    }

    QString WriteBinary(const QString& name, int size) {
        QByteArray bytes(size, '\0');
        auto* rng = QRandomGenerator::global();
        for (int i = 0; i < size; ++i) bytes[i] = char(rng->bounded(256));
        const QString path = temp_ + "/" + name;
        EXPECT_TRUE(TestEnv::WriteAll(path, bytes));
        return path;
    }

    // A port on which nothing listens.
    static int ClosedPort() {
        QTcpServerLess s;
        return s.port;
    }
    struct QTcpServerLess {
        int port = 1;
        QTcpServerLess();
    };
};

}  // namespace

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
MailerTest::QTcpServerLess::QTcpServerLess() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), len);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    ::close(fd);
}

TEST_F(MailerTest, DeliversEnvelopeHeadersTextAndAttachmentIntactWithLogin) {
    SmtpServer server({.user = "ann", .password = "s3cr3t-Pw"});
    ASSERT_TRUE(server.Running());
    const QString sheet = WriteBinary("Alerts.xls", 300 * 1024 + 7);

    MailSender sender = SenderFor(server, "ann", "s3cr3t-Pw");
    MailMessage m;
    m.FromName = "Zoë Ölmann";
    m.FromAddress = "zoe@plant.example";
    m.AddRecipient("Bob, Jr.", "bob@plant.example");
    // Longer than one encoded word, so it is folded over several.
    m.Subject = "Prüfung der Kesselanlage – Wartung fällig ✓ (Halle 3, Linie Süd)";
    m.Body = "Line one\nÜberdruckventil prüfen\n.\n..a line that starts with dots\r\n" + QString(200, 'x');
    m.ReadReceipt = 1;
    EXPECT_EQ(m.AddAttachment(sheet), sheet);
    const QString named = temp_ + "/Wartungsplan für Halle 3 – Südlinie, Kessel und Pumpen.pdf";
    ASSERT_TRUE(TestEnv::WriteAll(named, "%PDF-1.4 tiny"));
    m.AddAttachment(named);

    ASSERT_EQ(sender.Send(m), 1) << sender.LastError().toStdString();
    EXPECT_TRUE(sender.LastError().isEmpty());
    ASSERT_TRUE(server.WaitForMessages(1));
    const QJsonObject got = server.Summary(0);
    EXPECT_EQ(got["mail_from"].toString(), "zoe@plant.example");
    EXPECT_EQ(got["rcpt_tos"].toArray().size(), 1);
    EXPECT_EQ(got["rcpt_tos"][0].toString(), "bob@plant.example");
    const QJsonObject h = got["headers"].toObject();
    EXPECT_EQ(h["Subject"].toString(), m.Subject);
    EXPECT_EQ(h["From"].toString(), "Zoë Ölmann <zoe@plant.example>");
    EXPECT_EQ(h["To"].toString(), "\"Bob, Jr.\" <bob@plant.example>");
    EXPECT_TRUE(h.contains("Date"));
    EXPECT_TRUE(h.contains("Message-ID"));
    EXPECT_EQ(h["Disposition-Notification-To"].toString(), "Zoë Ölmann <zoe@plant.example>");
    // Nothing outside ASCII travels raw in a header.
    for (const QJsonValue& v : got["raw_headers"].toObject())
        for (QChar c : v.toString()) EXPECT_LT(c.unicode(), 0x80) << v.toString().toStdString();
    EXPECT_EQ(got["body"].toString(),
              "Line one\r\nÜberdruckventil prüfen\r\n.\r\n..a line that starts with dots\r\n" + QString(200, 'x'));
    ASSERT_EQ(got["attachments"].toArray().size(), 2);
    EXPECT_EQ(got["attachments"][0]["filename"].toString(), "Alerts.xls");
    EXPECT_EQ(server.Attachment(0, 0), TestEnv::ReadAll(sheet));
    EXPECT_EQ(got["attachments"][1]["filename"].toString(), QFileInfo(named).fileName());
    EXPECT_EQ(server.Attachment(0, 1), "%PDF-1.4 tiny");

    // The log is the user's own file, and never holds the log-in.
    const QString log = MailFiles::Path("mailSent.log");
    EXPECT_TRUE(log.startsWith(MailFiles::Folder()));
    const QByteArray text = TestEnv::ReadAll(log);
    EXPECT_TRUE(text.contains("AUTH")) << text.toStdString();
    ASSERT_TRUE(sender.SaveLog("log.xml"));
    ASSERT_TRUE(m.SaveAs("mail.xml"));
    const QByteArray xml = TestEnv::ReadAll(MailFiles::Path("log.xml")) + TestEnv::ReadAll(MailFiles::Path("mail.xml"));
    EXPECT_TRUE(TestEnv::ReadAll(MailFiles::Path("mail.xml")).contains("Prüfung"));
    for (const QByteArray& secret : {QByteArray("s3cr3t-Pw"), QByteArray("\0ann\0s3cr3t-Pw", 14).toBase64(),
                                     QByteArray("s3cr3t-Pw").toBase64(), QByteArray("ann").toBase64()}) {
        EXPECT_FALSE(text.contains(secret)) << secret.toStdString();
        EXPECT_FALSE(xml.contains(secret)) << secret.toStdString();
    }
}

TEST_F(MailerTest, TheStepByStepLogInStaysOutOfTheLogToo) {
    SmtpServer server({.user = "ann", .password = "s3cr3t-Pw", .loginOnly = true});
    ASSERT_TRUE(server.Running());
    MailSender sender = SenderFor(server, "ann", "s3cr3t-Pw");
    ASSERT_EQ(sender.Send(Plain()), 1) << sender.LastError().toStdString();
    ASSERT_TRUE(server.WaitForMessages(1));
    ASSERT_TRUE(sender.SaveLog("log.xml"));
    const QByteArray log = TestEnv::ReadAll(MailFiles::Path("mailSent.log")) + TestEnv::ReadAll(MailFiles::Path("log.xml"));
    EXPECT_TRUE(log.contains("AUTH LOGIN")) << log.toStdString();
    EXPECT_TRUE(log.contains("235")) << log.toStdString();
    EXPECT_TRUE(log.contains("MAIL FROM:<planner@plant.example>"));   // what follows the log-in is kept
    for (const QByteArray& secret : {QByteArray("s3cr3t-Pw"), QByteArray("s3cr3t-Pw").toBase64(), QByteArray("ann").toBase64()})
        EXPECT_FALSE(log.contains(secret)) << secret.toStdString() << "\n" << log.toStdString();
}

TEST_F(MailerTest, WithoutAttachmentOnlyTheTextGoesOutAndPlainNamesStayReadable) {
    SmtpServer server;
    ASSERT_TRUE(server.Running());
    MailSender sender = SenderFor(server, "x", "pw");   // no log-in where the server offers none
    // The port typed after the server's name serves when the port is not set.
    sender.Server = QStringLiteral("127.0.0.1:%1").arg(server.Port());
    sender.Port.reset();
    MailMessage m = Plain("");
    m.AddRecipient("", "second@plant.example");
    EXPECT_EQ(m.AddAttachment(""), "");
    ASSERT_EQ(sender.Send(m), 1) << sender.LastError().toStdString();
    ASSERT_TRUE(server.WaitForMessages(1));
    const QJsonObject got = server.Summary(0);
    EXPECT_EQ(got["rcpt_tos"].toArray().size(), 2);
    EXPECT_EQ(got["headers"]["From"].toString(), "Planner <planner@plant.example>");
    EXPECT_EQ(got["headers"]["Subject"].toString(), "");
    EXPECT_EQ(got["body"].toString(), "Three tasks fall due.");
    EXPECT_EQ(got["attachments"].toArray().size(), 0);
    EXPECT_FALSE(got["headers"].toObject().contains("Disposition-Notification-To"));

    // An empty text goes out empty.
    MailMessage empty = Plain();
    empty.Body.clear();
    ASSERT_EQ(sender.Send(empty), 1) << sender.LastError().toStdString();
    ASSERT_TRUE(server.WaitForMessages(2));
    EXPECT_EQ(server.Summary(1)["body"].toString(), "");
}

TEST_F(MailerTest, RefusedTimedOutAndDeniedSendingsSayWhy) {
    MailMessage m = Plain();
    {
        MailSender sender;
        sender.Server = "127.0.0.1";
        sender.Port = ClosedPort();
        EXPECT_EQ(sender.Send(m), 0);
        EXPECT_TRUE(sender.LastError().contains("Could not reach")) << sender.LastError().toStdString();
    }
    {
        SmtpServer server({.user = "ann", .password = "right"});
        ASSERT_TRUE(server.Running());
        MailSender sender = SenderFor(server, "ann", "wrong-one");
        EXPECT_EQ(sender.Send(m), 0);
        EXPECT_TRUE(sender.LastError().contains("refused the login")) << sender.LastError().toStdString();
        EXPECT_FALSE(TestEnv::ReadAll(MailFiles::Path("mailSent.log")).contains("wrong-one"));
        // No log-in at all where the server asks for one.
        MailSender anonymous = SenderFor(server);
        EXPECT_EQ(anonymous.Send(m), 0);
        EXPECT_FALSE(anonymous.LastError().isEmpty());
        EXPECT_EQ(server.MessageCount(), 0);
    }
    {
        SmtpServer silent({.silent = true});
        ASSERT_TRUE(silent.Running());
        MailSender sender = SenderFor(silent);
        sender.ResponseTimeoutMs = 1000;
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(sender.Send(m), 0);
        EXPECT_LT(t.elapsed(), 8000);
        EXPECT_TRUE(sender.LastError().contains("did not answer in time")) << sender.LastError().toStdString();
    }
    {
        MailSender sender;
        EXPECT_EQ(sender.Send(m), 0);
        EXPECT_EQ(sender.LastError(), "No SMTP server is set.");
        sender.Server = "mail host";
        EXPECT_EQ(sender.Send(m), 0);
        sender.Server = "127.0.0.1";
        sender.Port = 70000;
        EXPECT_EQ(sender.Send(m), 0);
        EXPECT_TRUE(sender.LastError().contains("70000"));
    }
}

TEST_F(MailerTest, LineBreaksInHeadersAndMissingAttachmentsAreRefusedBeforeConnecting) {
    SmtpServer server;
    ASSERT_TRUE(server.Running());
    MailSender sender = SenderFor(server);
    const auto refused = [&](MailMessage m, const char* what) {
        EXPECT_EQ(sender.Send(m), 0) << what;
        EXPECT_TRUE(sender.LastError().contains(what)) << sender.LastError().toStdString();
    };
    MailMessage m = Plain("Due\r\nBcc: everyone@else.example");
    refused(m, "subject holds a line break");
    m = Plain();
    m.FromName = "Planner\nX-Injected: 1";
    refused(m, "sender's name");
    m = Plain();
    m.AddRecipient("Ann\r", "ann@plant.example");
    refused(m, "recipient's name");
    m = Plain();
    m.AddRecipient("", "ann@plant.example\r\nRCPT TO:<x@y>");
    refused(m, "recipient's address");
    m = Plain();
    m.AddRecipient("", "a b@plant.example");
    refused(m, "not a usable address");
    m = Plain();
    m.FromAddress = "";
    refused(m, "sender's address is empty");
    m = Plain();
    m.AddAttachment(temp_ + "/gone.xls");
    refused(m, "gone.xls does not exist");
    m = Plain();
    m.AddAttachment(temp_);   // a folder is not a file to attach
    refused(m, "cannot be read");
    // The body may hold any line breaks.
    m = Plain();
    m.Body = "a\r\nSubject: not a header\r\n";
    EXPECT_EQ(sender.Send(m), 1);
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.MessageCount(), 1);
    EXPECT_EQ(server.Summary(0)["headers"].toObject()["Subject"].toString(), "Pump check");
}

TEST_F(MailerTest, PortTextConvertsAsTheSettingsWindowsTypeIt) {
    EXPECT_EQ(MailText::PortNumber(" 25 "), 25);
    EXPECT_EQ(MailText::PortNumber("587"), 587);
    EXPECT_EQ(MailText::PortNumber("24.5"), 24);
    EXPECT_EQ(MailText::PortNumber("25.5"), 26);
    EXPECT_EQ(MailText::PortNumber("-1"), -1);
    EXPECT_FALSE(MailText::PortNumber("25a"));
    EXPECT_FALSE(MailText::PortNumber(""));
    EXPECT_FALSE(MailText::PortNumber("   "));
    EXPECT_FALSE(MailText::PortNumber("3000000000"));
    EXPECT_FALSE(MailText::PortNumber("inf"));
    // File names for the logs never lead out of the data folder.
    EXPECT_EQ(MailFiles::Path("../x.log"), "");
    EXPECT_EQ(MailFiles::Path("a/b.log"), "");
    EXPECT_EQ(MailFiles::Path("/tmp/x/mail.xml"), "/tmp/x/mail.xml");
    EXPECT_EQ(MailFiles::Path("log.xml"), MailFiles::Folder() + "/log.xml");
}

TEST_F(MailerTest, DeliveryRunsOffTheWindowsThreadOneAtATime) {
    SmtpServer silent({.silent = true});
    ASSERT_TRUE(silent.Running());
    auto sender = std::make_shared<MailSender>(SenderFor(silent));
    sender->ResponseTimeoutMs = 1000;
    auto message = std::make_shared<MailMessage>(Plain());
    QObject context;
    int result = -1;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    ASSERT_TRUE(MailDelivery::Start(sender, message, &context, [&](int r) { result = r; }));
    EXPECT_TRUE(MailDelivery::Busy());
    EXPECT_FALSE(MailDelivery::Start(sender, message, &context, [](int) {}));
    ASSERT_TRUE(WaitUntil([&] { return result != -1; }, 10000));
    EXPECT_EQ(result, 0);
    EXPECT_GT(ticks, 10);   // the event loop went on while the server kept silent
    EXPECT_FALSE(MailDelivery::Busy());
    EXPECT_TRUE(QFileInfo::exists(MailFiles::Path("log.xml")));
    EXPECT_TRUE(QFileInfo::exists(MailFiles::Path("mail.xml")));

    // A receiver gone before the end is not called.
    SmtpServer server;
    sender = std::make_shared<MailSender>(SenderFor(server));
    bool called = false;
    {
        QObject shortLived;
        ASSERT_TRUE(MailDelivery::Start(sender, message, &shortLived, [&](int) { called = true; }));
    }
    EXPECT_TRUE(MailDelivery::Wait(10000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
    EXPECT_TRUE(server.WaitForMessages(1));
}

TEST_F(MailerTest, SettingsFilesAreReadableByTheirOwnerOnly) {
    ASSERT_TRUE(Settings::Set("Email", "Password", "s3cr3t"));
    const QString file = RegistryStore::ConfigFolder() + "/HKEY_CURRENT_USER.ini";
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(TestEnv::Mode(file), 0600u);
    // A file made readable by others is made private again at the next change.
    ::chmod(QFile::encodeName(file).constData(), 0644);
    ASSERT_TRUE(Settings::Set("Email", "User", "ann"));
    EXPECT_EQ(TestEnv::Mode(file), 0600u);
    EXPECT_EQ(Settings::Get("Email", "Password"), "s3cr3t");
}

TEST_F(MailerTest, QuittingWhileAMailIsOnItsWayStopsItAndKeepsItsPrivateLogs) {
    // Another copy quits just after a mail started to a server that never
    // answers: the sending is stopped and waited for, its logs are written
    // for their owner only in a folder of the owner's only, and the copy
    // ends normally rather than with a thread still running at its end.
    SmtpServer silent({.silent = true});
    ASSERT_TRUE(silent.Running());
    QProcess copy;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", temp_);
    copy.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    copy.start(QStringLiteral(QUILLON_MAIL_HELPER), {QString::number(silent.Port())});
    ASSERT_TRUE(copy.waitForFinished(30000));
    EXPECT_LT(t.elapsed(), 10000);   // stopped, not left to time out
    EXPECT_EQ(copy.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(copy.exitCode(), 0) << copy.readAllStandardError().toStdString();

    const QString folder = temp_ + "/Quillon";
    EXPECT_EQ(TestEnv::Mode(folder), 0700u);
    for (const char* name : {"mailSent.log", "log.xml", "mail.xml"})
        EXPECT_EQ(TestEnv::Mode(folder + "/" + name), 0600u) << name;
    EXPECT_TRUE(TestEnv::ReadAll(folder + "/log.xml").contains("stopped because Quillon is closing"));
}

#include "platform/Mailer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QPointer>
#include <QTimeZone>
#include <QUuid>
#include <QXmlStreamWriter>
#include <atomic>
#include <cmath>
#include <curl/curl.h>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/FileOps.h"

namespace {

const QString kHidden = QStringLiteral("[hidden]");

bool IsPlainAscii(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u > 0x7E) return false;
    }
    return true;
}

// CR LF line ends throughout, as the mail text part must have them.
QByteArray CrLfText(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return t.toUtf8();
}

QString RfcDate(const QDateTime& now) {
    const int offset = now.offsetFromUtc() / 60;
    const QChar sign = offset < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const int a = std::abs(offset);
    return QLocale::c().toString(now, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) + sign +
           QStringLiteral("%1%2").arg(a / 60, 2, 10, QLatin1Char('0')).arg(a % 60, 2, 10, QLatin1Char('0'));
}

QString DomainOf(const QString& address) {
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    const QString domain = at >= 0 ? address.mid(at + 1) : QString();
    return IsPlainAscii(domain) && !domain.isEmpty() ? domain : QStringLiteral("quillon.invalid");
}

void CurlInitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::atomic<bool> g_abort{false};

// What the conversation log keeps, and how the log-in is kept out of it:
// every line the client sends after "AUTH" up to the server's verdict is
// replaced, and the password itself is blotted out wherever it shows. It
// also follows where the conversation got to, so that a failure can be told
// in the user's words: the command last sent, the server's refusal of it,
// and whether the message itself was on its way.
struct Conversation {
    QStringList* lines = nullptr;
    QString password;
    bool inAuth = false;

    QString command;     // the verb last sent: "EHLO", "AUTH", "MAIL", "RCPT", "DATA", ...
    QString recipient;   // the address of the last RCPT
    QString refusal;     // the server's error reply (4xx, 5xx) to that command
    bool connected = false;  // the connection was made
    bool answered = false;   // the server has said a word
    bool inData = false;     // the server took DATA: the message was going out

    void Add(const QString& prefix, const QString& line) {
        QString text = line;
        // A very short password would blot out half the log; the log-in
        // lines themselves are hidden anyway.
        if (password.size() >= 4) text.replace(password, kHidden);
        lines->append(prefix + text);
    }

    void Out(const QString& line) {
        const QString verb = line.section(QLatin1Char(' '), 0, 0).section(QLatin1Char(':'), 0, 0).toUpper();
        // The QUIT that follows a refusal leaves the refusal standing.
        if (!inAuth && verb != QLatin1String("QUIT")) {
            command = verb;
            refusal.clear();
            if (command == QLatin1String("RCPT")) {
                const qsizetype open = line.indexOf(QLatin1Char('<'));
                const qsizetype close = line.indexOf(QLatin1Char('>'), open + 1);
                recipient = open >= 0 && close > open ? line.mid(open + 1, close - open - 1) : QString();
            }
        }
        if (line.startsWith(QLatin1String("AUTH "), Qt::CaseInsensitive)) {
            const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            QString shown = QStringLiteral("AUTH ") + (words.size() > 1 ? words[1] : QString());
            if (words.size() > 2) shown += QLatin1Char(' ') + kHidden;
            inAuth = true;
            Add(QStringLiteral("> "), shown);
        } else if (inAuth) {
            Add(QStringLiteral("> "), kHidden);
        } else {
            Add(QStringLiteral("> "), line);
        }
    }

    void In(const QString& line) {
        answered = true;
        // 334 asks for the next piece of the log-in; anything else ends it.
        if (inAuth && !line.startsWith(QLatin1String("334"))) inAuth = false;
        if (line.size() >= 3 && (line[0] == QLatin1Char('4') || line[0] == QLatin1Char('5'))) {
            // A reply over several lines ("550-...", "550 ...") is kept whole.
            const QString rest = line.mid(4).trimmed();
            if (!refusal.startsWith(line.left(3))) refusal = (line.left(3) + QLatin1Char(' ') + rest).trimmed();
            else if (!rest.isEmpty()) refusal += QLatin1Char(' ') + rest;
        }
        if (command == QLatin1String("DATA") && line.startsWith(QLatin1String("354"))) inData = true;
        Add(QStringLiteral("< "), line);
    }
};

int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    auto* c = static_cast<Conversation*>(user);
    if (type != CURLINFO_TEXT && type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT) return 0;
    const QString text = QString::fromUtf8(data, qsizetype(size));
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        switch (type) {
        case CURLINFO_HEADER_OUT: c->Out(line); break;
        case CURLINFO_HEADER_IN: c->In(line); break;
        default:
            if (line.startsWith(QLatin1String("Connected to "))) c->connected = true;
            c->Add(QStringLiteral("* "), line);
            break;
        }
    }
    return 0;
}

int OnProgress(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) { return g_abort.load() ? 1 : 0; }

struct SlistDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

bool Append(Slist& list, const QString& line) {
    const QByteArray bytes = line.toUtf8();
    curl_slist* grown = curl_slist_append(list.get(), bytes.constData());
    if (!grown) return false;
    list.release();
    list.reset(grown);
    return true;
}

// What the server said no to, from the command it refused and its reply:
// "" when it refused nothing.
QString RefusedWhat(CURLcode code, const Conversation& c) {
    const bool refused = !c.refusal.isEmpty();
    if (code == CURLE_LOGIN_DENIED ||
        (refused && (c.command == QLatin1String("AUTH") || c.refusal.startsWith(QLatin1String("535")))))
        return QStringLiteral("refused the login (user name and password)");
    if (!refused) return {};
    if (c.refusal.startsWith(QLatin1String("530"))) return QStringLiteral("asks for a login (user name and password)");
    if (c.command == QLatin1String("MAIL")) return QStringLiteral("refused the sender's address");
    if (c.command == QLatin1String("RCPT")) return QStringLiteral("refused the recipient %1").arg(c.recipient);
    if (c.command == QLatin1String("DATA") || c.inData) return QStringLiteral("refused the message");
    return QStringLiteral("would not take mail");
}

// Why the message did not go, in the user's words, with the server's own
// reply where it gave one ("535 5.7.8 Authentication failed").
QString ReadableFailure(CURLcode code, const Conversation& c, const QString& where) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("Could not reach the mail server %1: no server has that name.").arg(where);
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("Could not reach the mail server %1.").arg(where);
    case CURLE_READ_ERROR:
        return QStringLiteral("An attachment could not be read.");
    case CURLE_ABORTED_BY_CALLBACK:
        return QStringLiteral("The sending was stopped because Quillon is closing.");
    default:
        break;
    }
    if (const QString what = RefusedWhat(code, c); !what.isEmpty()) {
        const QString said = QStringLiteral("The mail server %1 %2").arg(where, what);
        return c.refusal.isEmpty() ? said + QLatin1Char('.') : QStringLiteral("%1. It answered: %2").arg(said, c.refusal);
    }
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return c.connected || c.answered ? QStringLiteral("The mail server %1 did not answer in time.").arg(where)
                          : QStringLiteral("Could not reach the mail server %1: it did not answer in time.").arg(where);
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
        if (c.inData)
            return QStringLiteral("The connection to the mail server %1 broke while the message was being sent.")
                .arg(where);
        if (c.connected || c.answered)
            return QStringLiteral("The connection to the mail server %1 broke before the message was sent.")
                .arg(where);
        return QStringLiteral("Could not reach the mail server %1: it closed the connection at once.").arg(where);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_USE_SSL_FAILED:
    case CURLE_PEER_FAILED_VERIFICATION:
        return QStringLiteral("Could not make a secure connection to the mail server %1.").arg(where);
    default:
        return QStringLiteral("The mail server %1 could not be used: %2.")
            .arg(where, QString::fromUtf8(curl_easy_strerror(code)));
    }
}

}  // namespace

// ---------------------------------------------------------------- MailText

namespace MailText {

std::optional<int> PortNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    const double r = std::nearbyint(v);   // the default rounding: halves to even
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return int(r);
}

QString EncodeWord(const QString& text, bool fold) {
    if (IsPlainAscii(text)) return text;
    if (!fold)
        return QStringLiteral("=?UTF-8?B?") + QString::fromLatin1(text.toUtf8().toBase64()) + QStringLiteral("?=");
    // Encoded words of at most 45 bytes of whole characters (60 in base64),
    // each on a line of its own, so no header line grows too long.
    QStringList words;
    const QByteArray utf8 = text.toUtf8();
    qsizetype start = 0;
    while (start < utf8.size()) {
        qsizetype end = std::min(start + 45, utf8.size());
        while (end < utf8.size() && end > start && (uchar(utf8[end]) & 0xC0) == 0x80) --end;
        words << QStringLiteral("=?UTF-8?B?") + QString::fromLatin1(utf8.mid(start, end - start).toBase64()) +
                     QStringLiteral("?=");
        start = end;
    }
    return words.join(QStringLiteral("\r\n "));
}

QString Mailbox(const QString& name, const QString& address) {
    const QString angle = QLatin1Char('<') + address + QLatin1Char('>');
    if (name.isEmpty()) return angle;
    if (!IsPlainAscii(name)) return EncodeWord(name) + QLatin1Char(' ') + angle;
    static const QString specials = QStringLiteral("()<>[]:;@\\,.\"");
    bool plain = true;
    for (QChar c : name)
        if (specials.contains(c)) plain = false;
    if (plain) return name + QLatin1Char(' ') + angle;
    QString quoted = name;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + quoted + QStringLiteral("\" ") + angle;
}

bool HasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

bool IsUsableAddress(const QString& address) {
    // Nothing in it may close the brackets or split the command.
    if (address.isEmpty()) return false;
    for (QChar c : address) {
        const char16_t u = c.unicode();
        if (u <= 0x20 || u == 0x7F || u == '<' || u == '>' || u == ',' || u == '"') return false;
    }
    return true;
}

}  // namespace MailText

// ---------------------------------------------------------------- MailFiles

namespace MailFiles {

QString Folder() { return FileOps::DataFolder(); }

QString Path(const QString& fileName) {
    if (fileName.isEmpty()) return QString();
    if (QDir::isAbsolutePath(fileName)) return QDir::cleanPath(fileName);
    if (!FileOps::IsSafeFileName(fileName)) return QString();
    return FileOps::Join(Folder(), fileName);
}

}  // namespace MailFiles

namespace {

bool WriteMailFile(const QString& fileName, const QByteArray& bytes, QString* error) {
    const QString path = MailFiles::Path(fileName);
    if (path.isEmpty()) {
        if (error) *error = QStringLiteral("%1 is not a file name").arg(fileName);
        return false;
    }
    FileOps::MakeFolder(QFileInfo(path).absolutePath());
    // Addresses and whole messages: for the user's eyes only.
    return FileOps::WriteFileSafely(path, bytes, error, FileOps::Access::OwnerOnly);
}

// One XML document with the root element `root`, its content written by `body`.
bool WriteXml(const QString& fileName, const QString& root, const std::function<void(QXmlStreamWriter&)>& body,
              QString* error) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(root);
    body(xml);
    xml.writeEndElement();
    xml.writeEndDocument();
    return WriteMailFile(fileName, bytes, error);
}

}  // namespace

// ---------------------------------------------------------------- MailMessage

int MailMessage::AddRecipient(const QString& name, const QString& address) {
    recipients_.push_back({name, address.trimmed()});
    return int(recipients_.size());
}

QString MailMessage::AddAttachment(const QString& path) {
    if (path.isEmpty()) return QString();
    attachments_ << path;
    return path;
}

QString MailMessage::Problem() const {
    const auto breaks = [](const QString& what, const QString& text) {
        return MailText::HasLineBreak(text)
                   ? QStringLiteral("The %1 holds a line break, which is not allowed in a mail header.").arg(what)
                   : QString();
    };
    QString p;
    if (!(p = breaks(QStringLiteral("subject"), Subject)).isEmpty()) return p;
    if (!(p = breaks(QStringLiteral("sender's name"), FromName)).isEmpty()) return p;
    if (!(p = breaks(QStringLiteral("sender's address"), FromAddress)).isEmpty()) return p;
    for (const Recipient& r : recipients_) {
        if (!(p = breaks(QStringLiteral("recipient's name"), r.name)).isEmpty()) return p;
        if (!(p = breaks(QStringLiteral("recipient's address"), r.address)).isEmpty()) return p;
    }
    if (FromAddress.trimmed().isEmpty()) return QStringLiteral("The sender's address is empty.");
    if (!MailText::IsUsableAddress(FromAddress.trimmed()))
        return QStringLiteral("The sender's address \"%1\" is not a usable address.").arg(FromAddress);
    if (recipients_.empty()) return QStringLiteral("The message has no recipient.");
    for (const Recipient& r : recipients_) {
        if (r.address.isEmpty()) return QStringLiteral("The recipient's address is empty.");
        if (!MailText::IsUsableAddress(r.address))
            return QStringLiteral("The recipient's address \"%1\" is not a usable address.").arg(r.address);
    }
    for (const QString& a : attachments_) {
        if (MailText::HasLineBreak(a)) return QStringLiteral("The attachment's name holds a line break.");
        QFileInfo info(a);
        if (!info.isFile() || !info.isReadable())
            return QStringLiteral("The attachment %1 does not exist or cannot be read.").arg(a);
    }
    return QString();
}

QStringList MailMessage::HeaderLines() const {
    QStringList lines;
    lines << QStringLiteral("From: ") + MailText::Mailbox(FromName, FromAddress.trimmed());
    QStringList to;
    for (const Recipient& r : recipients_) to << MailText::Mailbox(r.name, r.address);
    lines << QStringLiteral("To: ") + to.join(QStringLiteral(",\r\n "));
    lines << QStringLiteral("Subject: ") + MailText::EncodeWord(Subject);
    if (ReadReceipt == 1)
        lines << QStringLiteral("Disposition-Notification-To: ") +
                     MailText::Mailbox(FromName, FromAddress.trimmed());
    return lines;
}

bool MailMessage::SaveAs(const QString& fileName, QString* error) const {
    return WriteXml(fileName, QStringLiteral("mail"), [this](QXmlStreamWriter& xml) {
        xml.writeTextElement(QStringLiteral("fromName"), FromName);
        xml.writeTextElement(QStringLiteral("fromAddress"), FromAddress);
        for (const Recipient& r : recipients_) {
            xml.writeStartElement(QStringLiteral("recipient"));
            xml.writeAttribute(QStringLiteral("name"), r.name);
            xml.writeAttribute(QStringLiteral("address"), r.address);
            xml.writeEndElement();
        }
        xml.writeTextElement(QStringLiteral("subject"), Subject);
        xml.writeTextElement(QStringLiteral("readReceipt"), QString::number(ReadReceipt));
        xml.writeTextElement(QStringLiteral("body"), Body);
        for (const QString& a : attachments_) xml.writeTextElement(QStringLiteral("attachment"), a);
    }, error);
}

// ---------------------------------------------------------------- MailSender

int MailSender::Send(const MailMessage& message) {
    lastError_.clear();
    log_.clear();
    const auto fail = [this](const QString& reason) {
        lastError_ = reason;
        log_ << QStringLiteral("* Not sent: ") + reason;
        WriteLogFile();
        return 0;
    };

    if (const QString p = message.Problem(); !p.isEmpty()) return fail(p);

    QString host = Server.trimmed();
    QString scheme = QStringLiteral("smtp");
    if (host.startsWith(QLatin1String("smtps://"), Qt::CaseInsensitive)) {
        scheme = QStringLiteral("smtps");
        host = host.mid(8);
    } else if (host.startsWith(QLatin1String("smtp://"), Qt::CaseInsensitive)) {
        host = host.mid(7);
    }
    while (host.endsWith(QLatin1Char('/'))) host.chop(1);
    if (host.isEmpty()) return fail(QStringLiteral("No SMTP server is set."));
    for (QChar c : host) {
        const char16_t u = c.unicode();
        if (u <= 0x20 || u == 0x7F || u == '/' || u == '?' || u == '#' || u == '@' || u == '\\')
            return fail(QStringLiteral("The SMTP server \"%1\" is not a server name.").arg(Server));
    }
    // "host:port" as people often type it (an IPv6 address has more colons).
    std::optional<int> typedPort;
    if (host.count(QLatin1Char(':')) == 1) {
        bool ok = false;
        typedPort = host.section(QLatin1Char(':'), 1).toInt(&ok);
        host = host.section(QLatin1Char(':'), 0, 0);
        if (!ok || host.isEmpty())
            return fail(QStringLiteral("The SMTP server \"%1\" is not a server name.").arg(Server));
    }
    int port = Port ? *Port : typedPort.value_or(scheme == QLatin1String("smtps") ? 465 : 25);
    if (port < 1 || port > 65535) return fail(QStringLiteral("The SMTP port %1 is not a port number.").arg(port));
    if (port == 465 && scheme == QLatin1String("smtp") &&
        !Server.trimmed().startsWith(QLatin1String("smtp://"), Qt::CaseInsensitive))
        scheme = QStringLiteral("smtps");   // the port of SMTP over TLS from the first byte
    const QString urlHost = host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('['))
                                ? QLatin1Char('[') + host + QLatin1Char(']')
                                : host;
    const QString where = QStringLiteral("%1:%2").arg(host).arg(port);
    const QByteArray url = (scheme + QStringLiteral("://") + urlHost + QLatin1Char(':') + QString::number(port))
                               .toUtf8();

    CurlInitOnce();
    CURL* curl = curl_easy_init();
    if (!curl) return fail(QStringLiteral("The mail layer could not start."));
    std::unique_ptr<CURL, void (*)(CURL*)> curlGuard(curl, curl_easy_cleanup);

    Conversation conversation;
    conversation.lines = &log_;
    conversation.password = Password;
    char errbuf[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, OnDebug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &conversation);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(std::max(1, ConnectTimeoutMs)));
    // libcurl counts these two in whole seconds.
    const long responseSeconds = std::max(1L, long((ResponseTimeoutMs + 999) / 1000));
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, responseSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, responseSeconds);
    curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, 512L * 1024L);
    if (scheme == QLatin1String("smtp")) curl_easy_setopt(curl, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));

    const QByteArray user = UserName.toUtf8();
    const QByteArray password = Password.toUtf8();
    if (!UserName.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    }

    const QByteArray from = (QLatin1Char('<') + message.FromAddress.trimmed() + QLatin1Char('>')).toUtf8();
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.constData());
    Slist rcpt;
    for (const MailMessage::Recipient& r : message.Recipients())
        if (!Append(rcpt, QLatin1Char('<') + r.address + QLatin1Char('>')))
            return fail(QStringLiteral("Out of memory."));
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt.get());

    const QDateTime now = QDateTime::currentDateTime();
    QStringList headerLines;
    headerLines << QStringLiteral("Date: ") + RfcDate(now);
    headerLines << message.HeaderLines();
    headerLines << QStringLiteral("Message-ID: <%1@%2>")
                       .arg(QUuid::createUuid().toString(QUuid::WithoutBraces), DomainOf(message.FromAddress));
    Slist headers;
    for (const QString& h : headerLines)
        if (!Append(headers, h)) return fail(QStringLiteral("Out of memory."));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());

    curl_mime* mime = curl_mime_init(curl);
    std::unique_ptr<curl_mime, void (*)(curl_mime*)> mimeGuard(mime, curl_mime_free);
    const QByteArray body = CrLfText(message.Body);
    curl_mimepart* text = curl_mime_addpart(mime);
    curl_mime_data(text, body.constData(), size_t(body.size()));
    curl_mime_type(text, "text/plain; charset=UTF-8");
    curl_mime_encoder(text, "quoted-printable");
    std::vector<QByteArray> keep;
    for (const QString& a : message.Attachments()) {
        curl_mimepart* part = curl_mime_addpart(mime);
        keep.push_back(QFile::encodeName(a));
        if (curl_mime_filedata(part, keep.back().constData()) != CURLE_OK)
            return fail(QStringLiteral("The attachment %1 cannot be read.").arg(a));
        // One word: the name sits inside quotes, where no line may break.
        keep.push_back(MailText::EncodeWord(QFileInfo(a).fileName(), false).toUtf8());
        curl_mime_filename(part, keep.back().constData());
        curl_mime_type(part, "application/octet-stream");
        curl_mime_encoder(part, "base64");
    }
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime);

    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK) {
        // libcurl's own words stay in the log, for whoever reads it.
        if (*errbuf) log_ << QStringLiteral("* ") + QString::fromUtf8(errbuf).trimmed();
        return fail(ReadableFailure(code, conversation, where));
    }
    log_ << QStringLiteral("* Sent.");
    WriteLogFile();
    return 1;
}

bool MailSender::SaveLog(const QString& fileName, QString* error) const {
    return WriteXml(fileName, QStringLiteral("maillog"), [this](QXmlStreamWriter& xml) {
        xml.writeAttribute(QStringLiteral("error"), lastError_);
        for (const QString& line : log_) xml.writeTextElement(QStringLiteral("line"), line);
    }, error);
}

void MailSender::WriteLogFile() const {
    if (!LogFile.isEmpty()) WriteMailFile(LogFile, log_.join(QLatin1Char('\n')).toUtf8() + '\n', nullptr);
}

// ---------------------------------------------------------------- MailDelivery

namespace MailDelivery {

namespace {
std::atomic<bool> g_busy{false};

// The sending thread. It is joined, not only waited for: a thread's own end
// (the per-thread state a library frees as it exits, OpenSSL's among them)
// is then over before what follows, the program's end included.
struct Sending {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable over;
    bool done = false;   // its work is over (it may still be exiting)
    // Never left joinable at the very end, which would end the program.
    ~Sending() {
        if (thread.joinable()) thread.detach();
    }
};
Sending& Current() {
    static Sending sending;
    return sending;
}

// Lives on the thread that starts sendings (the windows'): the end of a
// sending is delivered there.
QObject* Relay() {
    static QObject* relay = new QObject;
    return relay;
}

bool WorkOver(int ms) {
    Sending& s = Current();
    std::unique_lock<std::mutex> lock(s.mutex);
    return s.over.wait_for(lock, std::chrono::milliseconds(ms), [&] { return s.done; });
}

void Join() {
    Sending& s = Current();
    if (s.thread.joinable()) s.thread.join();
}

void StopAtExit() {
    g_abort = true;
    Wait(30000);
    g_abort = false;
}

// The program's end, and the end of any process that made an application
// object (the tests): a sending still on its way is stopped and its thread
// joined before the application and the statics it uses are gone. Its
// receiver is not called any more.
void StopAtTheEnd() {
    g_abort = true;
    if (WorkOver(30000)) {
        Join();
        g_busy = false;
    }
    g_abort = false;
}
}  // namespace

bool Busy() { return g_busy.load(); }

bool Start(std::shared_ptr<MailSender> sender, std::shared_ptr<MailMessage> message, QObject* context,
           std::function<void(int result)> done) {
    bool expected = false;
    if (!g_busy.compare_exchange_strong(expected, true)) return false;
    static bool hooked = false;
    if (!hooked && QCoreApplication::instance()) {
        hooked = true;
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { StopAtExit(); });
        qAddPostRoutine(StopAtTheEnd);
    }
    Sending& s = Current();
    Join();   // the thread of the last sending, over but perhaps not yet joined
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.done = false;
    }
    // Checked only on this thread, where the receiver would be deleted.
    const QPointer<QObject> receiver(context);
    QObject* relay = Relay();
    s.thread = std::thread([sender, message, receiver, done, relay] {
        const int result = sender->Send(*message);
        sender->SaveLog(QStringLiteral("log.xml"));
        message->SaveAs(QStringLiteral("mail.xml"));
        QMetaObject::invokeMethod(
            relay,
            [result, receiver, done] {
                Join();
                g_busy = false;
                if (receiver && done) done(result);
            },
            Qt::QueuedConnection);
        Sending& s = Current();
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            s.done = true;
        }
        s.over.notify_all();
    });
    return true;
}

bool Wait(int ms) {
    if (!g_busy.load()) return true;
    if (!WorkOver(ms)) return false;
    // Let the finishing call run, so Busy() is false on return.
    QCoreApplication::sendPostedEvents(Relay(), QEvent::MetaCall);
    return !g_busy.load();
}

}  // namespace MailDelivery

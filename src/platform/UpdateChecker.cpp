#include "platform/UpdateChecker.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include "platform/Dialogs.h"
#include "platform/Shell.h"

std::optional<UpdateList> UpdateList::Parse(const QByteArray& bytes) {
    if (bytes.size() > 64 * 1024) return std::nullopt;   // a list is a few lines
    UpdateList list;
    bool haveVersion = false;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) return std::nullopt;
        const QString name = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        if (name == QLatin1String("product")) {
            list.product = value;
        } else if (name == QLatin1String("version")) {
            const QStringList parts = value.split(QLatin1Char('.'));
            if (parts.size() != 3) return std::nullopt;
            bool ok1 = false, ok2 = false, ok3 = false;
            list.major = parts[0].toInt(&ok1);
            list.minor = parts[1].toInt(&ok2);
            list.revision = parts[2].toInt(&ok3);
            if (!ok1 || !ok2 || !ok3 || list.major < 0 || list.minor < 0 || list.revision < 0) return std::nullopt;
            haveVersion = true;
        } else if (name == QLatin1String("page")) {
            list.page = value;
        }
    }
    if (!haveVersion || list.product.compare(QLatin1String("Quillon"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return list;
}

bool UpdateList::IsNewerThan(int maj, int min, int rev) const {
    if (major != maj) return major > maj;
    if (minor != min) return minor > min;
    return revision > rev;
}

QString UpdateList::VersionText() const {
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}

UpdateChecker::UpdateChecker(QObject* parent) : QObject(parent) {}

UpdateChecker::~UpdateChecker() {
    if (reply_) reply_->abort();
}

QString UpdateChecker::DefaultListUrl() {
    const QString own = qEnvironmentVariable("QUILLON_UPDATE_URL");
    return own.isEmpty() ? QStringLiteral("https://www.quillon.org/updatequillon.txt") : own;
}

void UpdateChecker::CheckForUpdate() {
    if (reply_) return;
    const QUrl url(UpdateListUrl);
    if (UpdateListUrl.isEmpty() || !url.isValid()) {
        emit UpdateResult(QStringLiteral("No update address"), 0);
        return;
    }
    if (!network_) network_ = new QNetworkAccessManager(this);
    QNetworkRequest request(url);
    request.setTransferTimeout(TimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    reply_ = network_->get(request);
    connect(reply_, &QNetworkReply::finished, this, &UpdateChecker::Finished);
}

void UpdateChecker::Finished() {
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    if (!reply) return;
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        emit UpdateResult(reply->errorString(), 1);
        return;
    }
    const auto list = UpdateList::Parse(reply->read(64 * 1024 + 1));
    if (!list) {
        MsgBox(QStringLiteral("The update list at %1 could not be read.").arg(UpdateListUrl), vb::vbExclamation);
        emit UpdateResult(QStringLiteral("Not an update list"), 6);
        return;
    }
    // The numbers compared are the update list's own; the About box states
    // the version the user knows, so no message sets another beside it.
    if (!list->IsNewerThan(MajorVersion, MinorVersion, RevisionNumber)) {
        MsgBox(QStringLiteral("You have the newest version of %1.").arg(ProductName), vb::vbInformation);
        emit UpdateResult(QStringLiteral("Up to date"), 3);
        return;
    }
    const int answer = MsgBox(QStringLiteral("%1 %2 is available.\nOpen its download page?")
                                  .arg(ProductName, list->VersionText()),
                              vb::vbYesNo | vb::vbQuestion);
    if (answer != vb::vbYes) {
        emit UpdateResult(QStringLiteral("Declined"), 5);
        return;
    }
    // The page comes from the network: only a web address is opened, never
    // a local file or a program.
    const QUrl page(list->page);
    const bool web = page.isValid() && (page.scheme() == QLatin1String("https") || page.scheme() == QLatin1String("http"));
    if (!web || !Shell::Get().OpenDocument(page.toString())) {
        MsgBox(QStringLiteral("The download page %1 could not be opened.").arg(list->page.isEmpty() ? UpdateListUrl : list->page),
               vb::vbExclamation);
        emit UpdateResult(QStringLiteral("Page not opened"), 4);
        return;
    }
    emit UpdateResult(list->VersionText(), 2);
}

#include "platform/Help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "platform/Dialogs.h"
#include "platform/FileOps.h"
#include "platform/Shell.h"

namespace Help {

QString HelpFile() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillontask.html"));
}

QString HelpUrl(int context) {
    QUrl url = QUrl::fromLocalFile(HelpFile());
    if (context > 0) url.setFragment(QString::number(context));
    return url.toString();
}

QString SectionPage(int context, QString* error) {
    const QString folder = FileOps::Join(FileOps::DataFolder(), QStringLiteral("help"));
    const QString page = QDir(folder).filePath(QStringLiteral("quillontask-%1.html").arg(context));
    // Percent-encoded, the address holds no blank, quote or angle bracket;
    // the apostrophe that may stay would end the quoted refresh address.
    const QString target = QString::fromLatin1(QUrl(HelpUrl(context)).toEncoded())
                               .replace(QLatin1Char('\''), QStringLiteral("%27"))
                               .toHtmlEscaped();
    const QByteArray html = QStringLiteral(
                                "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n"
                                "<meta http-equiv=\"refresh\" content=\"0; url='%1'\">\n"
                                "<title>Quillon Help</title></head>\n"
                                "<body><p><a href=\"%1\">Quillon Help</a></p></body></html>\n")
                                .arg(target)
                                .toUtf8();
    QByteArray stored;
    if (FileOps::ReadFile(page, &stored) && stored == html) return page;
    if (!FileOps::MakeFolder(folder)) {
        if (error) *error = QStringLiteral("The folder \"%1\" could not be made.").arg(folder);
        return QString();
    }
    if (!FileOps::WriteFileSafely(page, html, error)) return QString();
    return page;
}

bool Show(int context) {
    if (!QFileInfo(HelpFile()).isFile()) {
        MsgBox(QStringLiteral("The help file \"%1\" was not found.").arg(HelpFile()), vb::vbExclamation);
        return false;
    }
    // A section is opened through its forwarding page; should that page not
    // be written, the address itself still serves most desktops.
    QString open = context > 0 ? SectionPage(context) : QString();
    if (open.isEmpty()) open = HelpUrl(context);
    if (!Shell::Get().OpenDocument(open)) {
        MsgBox(QStringLiteral("The help could not be shown: no program to open \"%1\" was found.").arg(HelpFile()),
               vb::vbExclamation);
        return false;
    }
    return true;
}

QString WebPageUrl() { return QStringLiteral("https://www.quillon.org/"); }

bool ShowWebPage() {
    if (Shell::Get().OpenDocument(WebPageUrl())) return true;
    MsgBox(QStringLiteral("The web page %1 could not be opened: no web browser was found.").arg(WebPageUrl()),
           vb::vbExclamation);
    return false;
}
}  // namespace Help

#include "platform/Help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "platform/Dialogs.h"
#include "platform/Shell.h"

namespace Help {

const QList<int>& Contexts() {
    static const QList<int> all{TaskEditor, Recurrence, MailSetup, SendMailAndBackup, RestoreAndAddressBook,
                                AlertSettings};
    return all;
}

QString HelpFile() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quillontask.html"));
}

QString HelpUrl(int context) {
    QUrl url = QUrl::fromLocalFile(HelpFile());
    if (context > 0) url.setFragment(QString::number(context));
    return url.toString();
}

bool Show(int context) {
    if (!QFileInfo(HelpFile()).isFile()) {
        MsgBox(QStringLiteral("The help file \"%1\" was not found.").arg(HelpFile()), vb::vbExclamation);
        return false;
    }
    if (!Shell::Get().OpenDocument(HelpUrl(context))) {
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

#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {
std::unique_ptr<Shell> g_shell;
}

Shell& Shell::Get() {
    if (!g_shell) g_shell = std::make_unique<DesktopShell>();
    return *g_shell;
}

void Shell::Install(std::unique_ptr<Shell> shell) { g_shell = std::move(shell); }

QUrl DesktopShell::UrlFor(const QString& pathOrUrl) {
    return QFileInfo::exists(pathOrUrl) ? QUrl::fromLocalFile(QFileInfo(pathOrUrl).absoluteFilePath())
                                        : QUrl::fromUserInput(pathOrUrl);
}

bool DesktopShell::OpenDocument(const QString& pathOrUrl) {
    if (pathOrUrl.isEmpty()) return false;
    return QDesktopServices::openUrl(UrlFor(pathOrUrl));
}

bool DesktopShell::StartProgram(const QString& program, const QStringList& args,
                                const QString& workingFolder) {
    if (program.isEmpty()) return false;
    return QProcess::startDetached(program, args, workingFolder);
}

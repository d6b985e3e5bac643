#include "platform/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
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

namespace {

// Why a program that ended at once failed: the last line it wrote to its
// error output, else its exit code.
QString EndReason(const QString& errorFile, int code) {
    QFile f(errorFile);
    if (f.open(QIODevice::ReadOnly)) {
        const qint64 size = f.size();
        if (size > 4096) f.seek(size - 4096);
        const QStringList lines = QString::fromLocal8Bit(f.readAll()).split('\n', Qt::SkipEmptyParts);
        for (auto it = lines.crbegin(); it != lines.crend(); ++it)
            if (!it->trimmed().isEmpty()) return it->trimmed().left(300);
    }
    return QStringLiteral("It stopped at once with the exit code %1.").arg(code);
}

}  // namespace

bool DesktopShell::StartProgram(const QString& program, const QStringList& args,
                                const QString& workingFolder, Failed failed) {
    if (program.isEmpty()) return false;
    if (!failed) return QProcess::startDetached(program, args, workingFolder);
    const QString exe = program.contains('/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(exe);
    if (exe.isEmpty() || !info.isFile() || !info.isExecutable()) return false;
    auto notes = std::make_shared<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quillon-start-XXXXXX"));
    if (!notes->isValid()) return QProcess::startDetached(program, args, workingFolder);
    const QString errors = notes->filePath(QStringLiteral("errors"));
    const QString status = notes->filePath(QStringLiteral("status"));
    // A shell of its own waits for the program and notes how it ended, so
    // the program runs on detached from us (and outlives us) all the same.
    static const QString script = QStringLiteral(
        "errors=$1; status=$2; shift 2; \"$@\" 2>\"$errors\"; "
        "{ echo $? >\"$status.part\" && mv \"$status.part\" \"$status\"; } 2>/dev/null");
    QStringList shellArgs{QStringLiteral("-c"), script, QStringLiteral("sh"), errors, status, info.absoluteFilePath()};
    shellArgs << args;
    if (!QProcess::startDetached(QStringLiteral("/bin/sh"), shellArgs, workingFolder)) return false;
    auto* watch = new QTimer;
    watch->setInterval(200);
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    QObject::connect(watch, &QTimer::timeout, watch, [watch, notes, errors, status, since, failed] {
        QFile f(status);
        if (f.open(QIODevice::ReadOnly)) {
            bool ok = false;
            const int code = QString::fromLatin1(f.readAll()).trimmed().toInt(&ok);
            if (ok && code != 0) failed(EndReason(errors, code));
        } else if (since->elapsed() < kWatchMs) {
            return;   // still running
        }
        watch->stop();
        watch->deleteLater();
    });
    watch->start();
    return true;
}

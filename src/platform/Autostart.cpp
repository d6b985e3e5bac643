#include "platform/Autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/FileOps.h"

namespace Autostart {

QString EntryPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
    return QDir(config).filePath(QStringLiteral("autostart/quillon.desktop"));
}

QString QuoteExecArgument(const QString& argument) {
    // Inside double quotes the Exec key reserves ", `, $ and \ (each escaped
    // with a backslash); a literal % is written %%. The whole entry value is
    // then a desktop-file string, whose own escape doubles every backslash.
    QString quoted;
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument) {
        if (QStringLiteral(" \t\n\"'\\><~|&;$*?#()`").contains(c)) needsQuotes = true;
    }
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%')) quoted += QLatin1Char('%');
        quoted += c;
    }
    if (needsQuotes) quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    quoted.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    quoted.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return quoted;
}

QByteArray EntryText(const QString& program) {
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Name=Quillon\n");
    text += QStringLiteral("Comment=Preventive-maintenance scheduler\n");
    text += QStringLiteral("Exec=%1\n").arg(QuoteExecArgument(program));
    text += QStringLiteral("Terminal=false\n");
    text += QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

bool Enable(QString* error) {
    const QString path = EntryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error) *error = QStringLiteral("The folder \"%1\" cannot be created.").arg(QFileInfo(path).absolutePath());
        return false;
    }
    // The real path, so the entry still starts the program when it was
    // started through a link.
    QString program = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    if (program.isEmpty()) program = QCoreApplication::applicationFilePath();
    return FileOps::WriteFileSafely(path, EntryText(program), error);
}

bool Disable(QString* error) {
    const QString path = EntryPath();
    if (!QFileInfo::exists(path)) return true;
    if (QFile::remove(path)) return true;
    if (error) *error = QStringLiteral("The file \"%1\" cannot be removed.").arg(path);
    return false;
}
}  // namespace Autostart

#include "model/schedule/ExcelPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include "platform/Registry.h"

namespace ExcelPath {

namespace {

QStringList& searchPath() {
    static QStringList folders;
    return folders;
}

QString FindProgram(const QString& name) { return QStandardPaths::findExecutable(name, searchPath()); }

const QString kKey = QStringLiteral("Software\\Quillon\\Settings");
const QString kValue = QStringLiteral("excelpath");

QStringList EnvFolders(const char* name, const QString& fallback) {
    QStringList out;
    const QString value = qEnvironmentVariable(name);
    for (const QString& f : (value.isEmpty() ? fallback : value).split(':', Qt::SkipEmptyParts)) out << f;
    return out;
}

QString DataHome() {
    const QString v = qEnvironmentVariable("XDG_DATA_HOME");
    return v.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : v;
}

QString ConfigHome() {
    const QString v = qEnvironmentVariable("XDG_CONFIG_HOME");
    return v.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : v;
}

// The application folders, most personal first.
QStringList ApplicationFolders() {
    QStringList out{DataHome() + QStringLiteral("/applications")};
    for (const QString& d : EnvFolders("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
        out << d + QStringLiteral("/applications");
    return out;
}

// Splits an Exec line into its arguments by the desktop entry rules: blanks
// separate, double quotes group, and inside quotes a backslash escapes the
// next character.
QStringList SplitCommand(const QString& line) {
    QStringList args;
    QString current;
    bool inQuotes = false, any = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (inQuotes) {
            if (ch == '\\' && i + 1 < line.size()) {
                current += line[++i];
            } else if (ch == '"') {
                inQuotes = false;
            } else {
                current += ch;
            }
        } else if (ch == '"') {
            inQuotes = true;
            any = true;
        } else if (ch == ' ' || ch == '\t') {
            if (any || !current.isEmpty()) args << current;
            current.clear();
            any = false;
        } else {
            current += ch;
        }
    }
    if (any || !current.isEmpty()) args << current;
    return args;
}

bool IsFieldCode(const QString& arg) { return arg.size() == 2 && arg[0] == '%'; }

QString Executable(const QString& program) {
    if (program.isEmpty()) return {};
    if (program.contains('/')) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return FindProgram(program);
}

// The value of a key in one [group] of a desktop-style file ("" when absent).
QString GroupValue(const QString& path, const QString& group, const QString& key, Qt::CaseSensitivity keyCase) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QTextStream in(&f);
    bool inGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith('[')) {
            inGroup = line == '[' + group + ']';
            continue;
        }
        const int eq = line.indexOf('=');
        if (inGroup && eq > 0 && line.left(eq).trimmed().compare(key, keyCase) == 0) return line.mid(eq + 1).trimmed();
    }
    return {};
}

// The default application of a type from the mimeapps.list files, in the
// order the desktop reads them.
QString DefaultFromLists(const QString& mimeType) {
    QStringList files{ConfigHome() + QStringLiteral("/mimeapps.list")};
    for (const QString& d : EnvFolders("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        files << d + QStringLiteral("/mimeapps.list");
    for (const QString& d : ApplicationFolders()) files << d + QStringLiteral("/mimeapps.list");
    for (const QString& d : ApplicationFolders()) files << d + QStringLiteral("/defaults.list");
    for (const QString& path : files) {
        const QString ids = GroupValue(path, QStringLiteral("Default Applications"), mimeType, Qt::CaseInsensitive);
        for (const QString& id : ids.split(';', Qt::SkipEmptyParts))
            if (!DesktopFilePath(id.trimmed()).isEmpty()) return id.trimmed();
    }
    return {};
}

}  // namespace

void SetSearchPath(const QStringList& folders) { searchPath() = folders; }

QStringList SpreadsheetTypes() {
    return {QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"),
            QStringLiteral("application/vnd.ms-excel")};
}

QStringList KnownPrograms() {
    return {QStringLiteral("localc"), QStringLiteral("libreoffice"), QStringLiteral("soffice"),
            QStringLiteral("gnumeric")};
}

QString CommandExecutable(const QString& commandLine) {
    QStringList args = SplitCommand(commandLine);
    // "env NAME=value ... program": the program is after the settings.
    if (!args.isEmpty() && (args.first() == QLatin1String("env") || args.first().endsWith(QLatin1String("/env")))) {
        args.removeFirst();
        while (!args.isEmpty() && (args.first().contains('=') || args.first().startsWith('-'))) args.removeFirst();
    }
    if (args.isEmpty() || IsFieldCode(args.first())) return {};
    return Executable(args.first());
}

QString DefaultDesktopFile(const QString& mimeType) {
    const QString xdgMime = FindProgram(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return DefaultFromLists(mimeType);
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return {};
    const QString id = QString::fromLocal8Bit(query.readAllStandardOutput()).section('\n', 0, 0).trimmed();
    // An id is a file name; anything else is not something to look up.
    if (!id.endsWith(QLatin1String(".desktop")) || id.contains('/')) return {};
    return id;
}

QString DesktopFilePath(const QString& desktopId) {
    if (desktopId.isEmpty() || desktopId.contains('/') || !desktopId.endsWith(QLatin1String(".desktop"))) return {};
    QString nested = desktopId;     // "vendor-app.desktop" may live in vendor/app.desktop
    nested.replace('-', '/');
    for (const QString& folder : ApplicationFolders()) {
        for (const QString& name : {desktopId, nested}) {
            const QString path = folder + '/' + name;
            if (QFileInfo(path).isFile()) return path;
        }
    }
    return {};
}

QString ExecLine(const QString& desktopFilePath) {
    // The string escapes of desktop files come before the Exec rules.
    const QString raw = GroupValue(desktopFilePath, QStringLiteral("Desktop Entry"), QStringLiteral("Exec"),
                                   Qt::CaseSensitive);
    QString out;
    for (int i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            const QChar n = raw[++i];
            if (n == 's') out += ' ';
            else if (n == 'n') out += '\n';
            else if (n == 't') out += '\t';
            else if (n == 'r') out += '\r';
            else if (n == '\\') out += '\\';
            else { out += QChar('\\'); out += n; }
        } else {
            out += raw[i];
        }
    }
    return out;
}

QString GetServerPath(const QString& mimeType) {
    const QString desktop = DesktopFilePath(DefaultDesktopFile(mimeType));
    if (desktop.isEmpty()) return {};
    return CommandExecutable(ExecLine(desktop));
}

QString GetExcelPath() {
    for (const QString& type : SpreadsheetTypes()) {
        const QString path = GetServerPath(type);
        if (!path.isEmpty()) return path;
    }
    for (const QString& program : KnownPrograms()) {
        const QString path = FindProgram(program);
        if (!path.isEmpty()) return path;
    }
    return {};
}

QString Stored() {
    return basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, kKey, kValue).toString();
}

bool Store(const QString& path) {
    RegistryStore::Value value;
    value.type = RegistryStore::Type::Text;
    value.text = path;
    return RegistryStore::Write(QStringLiteral("HKEY_CURRENT_USER"), kKey, kValue, value);
}

}  // namespace ExcelPath

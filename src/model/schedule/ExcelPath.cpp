#include "model/schedule/ExcelPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

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

// Undoes the escapes of a desktop file's string values.
QString Unescaped(const QString& raw) {
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

// The mimeapps.list files, the weightiest first: the user's configuration,
// the system's, then the application folders; in each folder the lists of
// the desktop being run ($XDG_CURRENT_DESKTOP, in its order) before the
// common one. The older defaults.list of the application folders comes last.
QStringList MimeappsLists() {
    QStringList desktops;
    for (const QString& d : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':', Qt::SkipEmptyParts))
        desktops << d.trimmed().toLower();
    QStringList folders{ConfigHome()};
    folders << EnvFolders("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")) << ApplicationFolders();
    QStringList files;
    for (const QString& folder : folders) {
        for (const QString& desktop : desktops) files << folder + '/' + desktop + QStringLiteral("-mimeapps.list");
        files << folder + QStringLiteral("/mimeapps.list");
    }
    for (const QString& folder : ApplicationFolders()) files << folder + QStringLiteral("/defaults.list");
    return files;
}

// Hands each key=value line of a desktop-style file (a desktop file, a
// mimeapps.list) to `entry`, with the [group] line it stands under, all
// trimmed, until `entry` asks to stop by returning false.
void ForEachEntry(const QString& path,
                  const std::function<bool(const QString& group, const QString& key, const QString& value)>& entry) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return;
    QTextStream in(&f);
    QString group;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith('[')) {
            group = line;
            continue;
        }
        const int eq = line.indexOf('=');
        if (eq > 0 && !entry(group, line.left(eq).trimmed(), line.mid(eq + 1).trimmed())) return;
    }
}

// The desktop file ids one list names for a type, by group.
struct Listed {
    QStringList defaults, added, removed;
};

// Reads a list once for all three of its groups; in each, the first line
// for the type is the one that counts.
Listed ListedIds(const QString& listPath, const QString& mimeType) {
    Listed listed;
    const std::pair<QLatin1String, QStringList*> groups[] = {
        {QLatin1String("[Default Applications]"), &listed.defaults},
        {QLatin1String("[Added Associations]"), &listed.added},
        {QLatin1String("[Removed Associations]"), &listed.removed},
    };
    bool found[std::size(groups)] = {};
    ForEachEntry(listPath, [&](const QString& group, const QString& key, const QString& value) {
        for (int g = 0; g < int(std::size(groups)); ++g) {
            if (group != groups[g].first || found[g] || key.compare(mimeType, Qt::CaseInsensitive) != 0) continue;
            found[g] = true;
            for (const QString& id : value.split(';', Qt::SkipEmptyParts))
                if (!id.trimmed().isEmpty()) *groups[g].second << id.trimmed();
        }
        return true;
    });
    return listed;
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

namespace {

// The two keys of a desktop file's [Desktop Entry] group the lookup needs,
// unescaped: the string escapes of desktop files come before the Exec rules.
struct DesktopEntry {
    QString tryExec, exec;
};

// Reads the file once for both keys; the first line of a key is the one
// that counts, as the desktop reads it.
DesktopEntry ReadDesktopEntry(const QString& path) {
    DesktopEntry entry;
    const std::pair<QLatin1String, QString*> keys[] = {
        {QLatin1String("TryExec"), &entry.tryExec},
        {QLatin1String("Exec"), &entry.exec},
    };
    bool found[std::size(keys)] = {};
    int left = int(std::size(keys));
    ForEachEntry(path, [&](const QString& group, const QString& key, const QString& value) {
        if (group != QLatin1String("[Desktop Entry]")) return true;
        for (int k = 0; k < int(std::size(keys)); ++k)
            if (!found[k] && key == keys[k].first) {
                found[k] = true;
                --left;
                *keys[k].second = Unescaped(value);
            }
        return left > 0;
    });
    return entry;
}

// The program a desktop file id starts ("" when the file is missing, its
// TryExec program is not there, or its Exec line names no program).
QString DesktopProgram(const QString& desktopId) {
    const QString path = DesktopFilePath(desktopId);
    if (path.isEmpty()) return {};
    const DesktopEntry entry = ReadDesktopEntry(path);
    // A program named by TryExec that is not there: the application is not installed.
    if (!entry.tryExec.isEmpty() && Executable(entry.tryExec).isEmpty()) return {};
    return CommandExecutable(entry.exec);
}

struct Application {
    QString id;        // the desktop file id
    QString program;   // the program it starts
};

// The application the desktop opens a type with, its program found once.
Application DefaultApplication(const QString& mimeType) {
    // Every list's default applications come before any list's added
    // associations; an application that is not installed is passed over.
    std::vector<Listed> lists;
    for (const QString& path : MimeappsLists()) lists.push_back(ListedIds(path, mimeType));
    for (const Listed& list : lists)
        for (const QString& id : list.defaults)
            if (QString program = DesktopProgram(id); !program.isEmpty()) return {id, program};
    // An association counts unless a list of the same or more weight removed it.
    QStringList removed;
    for (const Listed& list : lists) {
        removed << list.removed;
        for (const QString& id : list.added) {
            if (removed.contains(id)) continue;
            if (QString program = DesktopProgram(id); !program.isEmpty()) return {id, program};
        }
    }
    return {};
}

}  // namespace

QString DefaultDesktopFile(const QString& mimeType) { return DefaultApplication(mimeType).id; }

QString DesktopFilePath(const QString& desktopId) {
    if (desktopId.isEmpty() || desktopId.contains('/') || !desktopId.endsWith(QLatin1String(".desktop"))) return {};
    QString nested = desktopId;     // "vendor-app.desktop" may live in vendor/app.desktop
    nested.replace('-', '/');
    // The id comes from a file anyone may write: its nested form stays
    // inside the application folder ("..-..-x.desktop" is not "../../x").
    const QStringList names = nested.split('/').contains(QStringLiteral("..")) ? QStringList{desktopId}
                                                                               : QStringList{desktopId, nested};
    for (const QString& folder : ApplicationFolders()) {
        for (const QString& name : names) {
            const QString path = folder + '/' + name;
            if (QFileInfo(path).isFile()) return path;
        }
    }
    return {};
}

QString GetServerPath(const QString& mimeType) { return DefaultApplication(mimeType).program; }

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

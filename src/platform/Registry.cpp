#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <memory>
#include <mutex>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileOps.h"
#include "platform/IniFile.h"

namespace {

const QString kCurrentUser = QStringLiteral("HKEY_CURRENT_USER");

// The file of one root key; "" for a root that is not a plain name, so no
// root text can point outside the config folder.
QString RootFile(const QString& root) {
    const QString name = root.trimmed().toUpper();
    if (name.isEmpty() || !FileOps::IsSafeFileName(name)) return QString();
    return RegistryStore::ConfigFolder() + QLatin1Char('/') + name + QStringLiteral(".ini");
}

// "\Software\\Quillon\" and "Software\Quillon" name the same key.
QString NormalKeyPath(const QString& path) {
    const QStringList parts = path.trimmed().split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\'));
}

bool IsLoneSurrogate(const QString& text, qsizetype i) {
    const QChar c = text[i];
    if (c.isHighSurrogate()) return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate()) return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

// Control characters, the backslash and unpaired surrogates are escaped, so
// any text survives a line-based UTF-8 file unchanged.
QString Escape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        switch (u) {
        case '\\': out += QLatin1String("\\\\"); continue;
        case '\n': out += QLatin1String("\\n"); continue;
        case '\r': out += QLatin1String("\\r"); continue;
        case '\t': out += QLatin1String("\\t"); continue;
        case 0: out += QLatin1String("\\0"); continue;
        default: break;
        }
        if (u < 0x20 || u == 0x7F)
            out += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        else if (IsLoneSurrogate(text, i))
            out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// Lenient: an escape it does not know (a hand-edited or damaged file) is
// kept as written rather than dropped.
QString Unescape(const QString& text) {
    if (!text.contains(QLatin1Char('\\'))) return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const char16_t next = text[i + 1].unicode();
        int digits = 0;
        switch (next) {
        case '\\': out += QLatin1Char('\\'); ++i; continue;
        case 'n': out += QLatin1Char('\n'); ++i; continue;
        case 'r': out += QLatin1Char('\r'); ++i; continue;
        case 't': out += QLatin1Char('\t'); ++i; continue;
        case '0': out += QChar(char16_t(0)); ++i; continue;
        case 'x': digits = 2; break;
        case 'u': digits = 4; break;
        default: out += c; continue;
        }
        uint code = 0;
        bool ok = i + 1 + digits < text.size();
        for (int k = 0; ok && k < digits; ++k) {
            const int d = HexDigit(text[i + 2 + k]);
            if (d < 0) ok = false;
            else code = code * 16 + uint(d);
        }
        if (!ok) {
            out += c;
            continue;
        }
        out += QChar(char16_t(code));
        i += 1 + digits;
    }
    return out;
}

bool IsHexDigits(const QString& text) {
    if (text.size() % 2 != 0) return false;
    for (QChar c : text)
        if (HexDigit(c) < 0) return false;
    return true;
}

// The exact text of a 32-bit number: an optional minus, no leading zeros.
// Only such text converts to a number and back without a change.
std::optional<qint32> CanonicalInt32(const QString& text) {
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok || n < INT32_MIN || n > INT32_MAX) return std::nullopt;
    if (QString::number(n) != text) return std::nullopt;
    return qint32(n);
}

QString EncodeValue(const RegistryStore::Value& value) {
    switch (value.type) {
    case RegistryStore::Type::Text: return QStringLiteral("sz:") + Escape(value.text);
    case RegistryStore::Type::Number: return QStringLiteral("dword:") + QString::number(value.number);
    case RegistryStore::Type::Binary: return QStringLiteral("hex:") + value.text.toLower();
    case RegistryStore::Type::None: break;
    }
    return QString();
}

RegistryStore::Value DecodeValue(const QString& stored) {
    RegistryStore::Value v;
    if (stored.startsWith(QLatin1String("sz:"))) {
        v.type = RegistryStore::Type::Text;
        v.text = Unescape(stored.mid(3));
    } else if (stored.startsWith(QLatin1String("dword:"))) {
        bool ok = false;
        const qint64 n = stored.mid(6).trimmed().toLongLong(&ok);
        if (ok && n >= INT32_MIN && n <= UINT32_MAX) {
            v.type = RegistryStore::Type::Number;
            v.number = qint32(quint32(n));
        }
    } else if (stored.startsWith(QLatin1String("hex:"))) {
        QString digits = stored.mid(4);
        digits.remove(QLatin1Char(' '));
        digits.remove(QLatin1Char(','));
        if (IsHexDigits(digits)) {
            v.type = RegistryStore::Type::Binary;
            v.text = digits.toLower();
        }
    } else {
        // A value without a type (written by hand) is taken as text.
        v.type = RegistryStore::Type::Text;
        v.text = stored;
    }
    return v;
}

// Windows read their settings one value at a time, each from the file as it
// is on disk; the parsed file is kept while the file stays the same (every
// write replaces it, so its inode changes), so reading N values does not
// parse the file N times.
struct ParsedRoot {
    std::mutex mutex;
    QString file;
    QByteArray stamp;
    std::shared_ptr<const IniDocument> doc;
};
ParsedRoot& Parsed() {
    static ParsedRoot parsed;
    return parsed;
}

void SetError(QString* error, const QString& text) {
    if (error) *error = text;
}

thread_local QString t_lastWriteError;
thread_local int t_writeFailures = 0;

// Reads, changes and writes one root file while holding the lock, so two
// running copies of the program never lose each other's changes. The
// settings hold the mail password: the file is written for its owner only.
template <typename Change>
bool Modify(const QString& root, Change change, QString* error = nullptr) {
    const auto fail = [&](const QString& why) {
        SetError(error, why);
        t_lastWriteError = why;
        ++t_writeFailures;
        return false;
    };
    const QString file = RootFile(root);
    if (file.isEmpty()) return fail(QStringLiteral("\"%1\" is not a settings root.").arg(root));
    const QString folder = RegistryStore::ConfigFolder();
    if (!QDir().mkpath(folder)) return fail(QStringLiteral("The settings folder \"%1\" could not be made.").arg(folder));
    QString why;
    const bool written = IniDocument::Update(file, change, &why, FileOps::Access::OwnerOnly);
    {
        // A file replaced twice within the clock's resolution may come back
        // with the inode, size and time of one read before: what this
        // process read is forgotten at every write of its own.
        ParsedRoot& parsed = Parsed();
        const std::lock_guard<std::mutex> lock(parsed.mutex);
        parsed.doc.reset();
        parsed.stamp.clear();
    }
    if (!written) return fail(why.isEmpty() ? QStringLiteral("The settings could not be written.") : why);
    return true;
}

std::shared_ptr<const IniDocument> LoadRoot(const QString& root) {
    const QString file = RootFile(root);
    if (file.isEmpty()) return nullptr;
    const QByteArray stamp = RegistryStore::Stamp(root);
    ParsedRoot& parsed = Parsed();
    {
        const std::lock_guard<std::mutex> lock(parsed.mutex);
        if (!stamp.isEmpty() && parsed.file == file && parsed.stamp == stamp) return parsed.doc;
    }
    auto doc = std::make_shared<IniDocument>();
    if (!doc->Load(file)) return nullptr;
    // Lookups build the document's index; it is built here, before the
    // document is shared, so no two readers ever build it at once.
    doc->HasSection(QString());
    // A file changed while it was read is read again next time.
    if (!stamp.isEmpty() && RegistryStore::Stamp(root) == stamp) {
        const std::lock_guard<std::mutex> lock(parsed.mutex);
        parsed.file = file;
        parsed.stamp = stamp;
        parsed.doc = doc;
    }
    return doc;
}

QString AsText(const RegistryStore::Value& v) {
    switch (v.type) {
    case RegistryStore::Type::Text: return v.text;
    case RegistryStore::Type::Number: return QString::number(v.number);
    default: return QString();
    }
}

}  // namespace

namespace RegistryStore {

QString ConfigFolder() {
    const QString own = qEnvironmentVariable("QUILLON_CONFIG_DIR");
    if (!own.isEmpty()) return QDir::cleanPath(own);
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillon");
}

bool KeyExists(const QString& root, const QString& keyPath) {
    const auto doc = LoadRoot(root);
    if (!doc) return false;
    const QString key = NormalKeyPath(keyPath);
    if (key.isEmpty() || doc->HasSection(key)) return true;
    // A key exists when it or any key below it holds a section.
    const QString below = key + QLatin1Char('\\');
    for (const QString& section : doc->Sections()) {
        const QString s = NormalKeyPath(section);
        if (s.compare(key, Qt::CaseInsensitive) == 0 || s.startsWith(below, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool CreateKey(const QString& root, const QString& keyPath, QString* error) {
    const QString key = NormalKeyPath(keyPath);
    return Modify(root, [&](IniDocument& doc, bool& changed) {
        if (!doc.HasSection(key)) {
            doc.AddSection(key);
            changed = true;
        }
        return true;
    }, error);
}

Value Read(const QString& root, const QString& keyPath, const QString& name) {
    const auto doc = LoadRoot(root);
    if (!doc) return Value{};
    const auto stored = doc->Value(NormalKeyPath(keyPath), name);
    if (!stored) return Value{};
    return DecodeValue(*stored);
}

bool Write(const QString& root, const QString& keyPath, const QString& name, const Value& value, QString* error) {
    if (value.type == Type::None || (value.type == Type::Binary && !IsHexDigits(value.text))) {
        SetError(error, QStringLiteral("The value of \"%1\" cannot be stored.").arg(name));
        return false;
    }
    const QString key = NormalKeyPath(keyPath);
    const QString stored = EncodeValue(value);
    return Modify(root, [&](IniDocument& doc, bool& changed) {
        if (doc.Value(key, name) == stored) return true;
        doc.SetValue(key, name, stored);
        changed = true;
        return true;
    }, error);
}

bool Delete(const QString& root, const QString& keyPath, const QString& name, QString* error) {
    const QString key = NormalKeyPath(keyPath);
    return Modify(root, [&](IniDocument& doc, bool& changed) {
        changed = doc.RemoveKey(key, name);
        return true;
    }, error);
}

bool Update(const QString& root, const QString& keyPath, const QString& name,
            const std::function<std::optional<Value>(const Value& current)>& change) {
    const QString key = NormalKeyPath(keyPath);
    return Modify(root, [&](IniDocument& doc, bool& changed) {
        const auto stored = doc.Value(key, name);
        const std::optional<Value> next = change(stored ? DecodeValue(*stored) : Value{});
        if (!next) return true;
        if (next->type == Type::None || (next->type == Type::Binary && !IsHexDigits(next->text))) return false;
        const QString text = EncodeValue(*next);
        if (stored == text) return true;
        doc.SetValue(key, name, text);
        changed = true;
        return true;
    });
}

QString LastWriteError() { return t_lastWriteError; }
int WriteFailures() { return t_writeFailures; }

QByteArray Stamp(const QString& root) {
    const QString file = RootFile(root);
    struct stat st {};
    if (file.isEmpty() || ::stat(QFile::encodeName(file).constData(), &st) != 0) return QByteArray();
    // The inode changes with every replacing write; size and time catch an
    // edit in place by hand.
    const qint64 fields[] = {qint64(st.st_dev), qint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
                             qint64(st.st_mtim.tv_nsec)};
    return QByteArray(reinterpret_cast<const char*>(fields), sizeof fields);
}

}  // namespace RegistryStore

// ---------------------------------------------------------------------------
// aaxRegistry

bool aaxRegistry::OpenKey(const QString& path) {
    key_ = path;
    return RegistryStore::KeyExists(root_, path);
}

bool aaxRegistry::CreateKey(const QString& path) {
    key_ = path;
    error_.clear();
    return RegistryStore::CreateKey(root_, path, &error_);
}

int aaxRegistry::GetValue(const QString& name, QString& out) const {
    const RegistryStore::Value v = RegistryStore::Read(root_, key_, name);
    out = AsText(v);
    return (v.type == RegistryStore::Type::Text || v.type == RegistryStore::Type::Number) ? 0 : 1;
}

QString aaxRegistry::GetValue(const QString& name) const {
    QString out;
    GetValue(name, out);
    return out;
}

bool aaxRegistry::SetValue(const QString& name, const QString& text) {
    RegistryStore::Value v;
    v.type = RegistryStore::Type::Text;
    v.text = text;
    error_.clear();
    return RegistryStore::Write(root_, key_, name, v, &error_);
}

bool aaxRegistry::DeleteValue(const QString& name) {
    error_.clear();
    return RegistryStore::Delete(root_, key_, name, &error_);
}

// ---------------------------------------------------------------------------
// Settings

namespace Settings {

QString Get(const QString& key, const QString& name) {
    return AsText(RegistryStore::Read(kCurrentUser, QStringLiteral("Software\\Quillon\\") + key, name));
}

bool Set(const QString& key, const QString& name, const QString& text, QString* error) {
    RegistryStore::Value v;
    v.type = RegistryStore::Type::Text;
    v.text = text;
    return RegistryStore::Write(kCurrentUser, QStringLiteral("Software\\Quillon\\") + key, name, v, error);
}

QString NotSaved(const QString& what) {
    const QString why = RegistryStore::LastWriteError();
    return why.isEmpty() ? QStringLiteral("%1 could not be saved.").arg(what)
                         : QStringLiteral("%1 could not be saved: %2").arg(what, why);
}

}  // namespace Settings

// ---------------------------------------------------------------------------
// basRegistry

namespace basRegistry {

QString RootName(quint32 root) {
    switch (root) {
    case HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    default: return QString();
    }
}

QVariant GetRegValue(quint32 root, const QString& subKey, const QString& name) {
    const QString rootName = RootName(root);
    if (rootName.isEmpty()) return QVariant(QString(""));
    const RegistryStore::Value v = RegistryStore::Read(rootName, subKey, name);
    switch (v.type) {
    case RegistryStore::Type::Text: {
        const qsizetype nul = v.text.indexOf(QChar(char16_t(0)));
        return QVariant(nul < 0 ? v.text : v.text.left(nul));
    }
    case RegistryStore::Type::Number: return QVariant(int(v.number));
    default: return QVariant(QString(""));
    }
}

bool SetRegValue(quint32 root, const QString& subKey, const QString& name, const QVariant& value, QString* error) {
    const QString rootName = RootName(root);
    if (rootName.isEmpty()) {
        SetError(error, QStringLiteral("The settings root %1 is not known.").arg(root));
        return false;
    }
    const QString text = value.toString().trimmed();
    RegistryStore::Value v;
    // Only text that converts to a number and back unchanged is stored as a
    // number: "007" or "1.5" would come back as 7 or 2, so they stay text.
    if (const auto n = CanonicalInt32(text)) {
        v.type = RegistryStore::Type::Number;
        v.number = *n;
    } else {
        v.type = RegistryStore::Type::Text;
        v.text = text;
    }
    return RegistryStore::Write(rootName, subKey, name, v, error);
}

}  // namespace basRegistry

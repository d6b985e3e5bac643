#pragma once
// The settings store that stands in for the Windows registry. Each root key
// ("HKEY_CURRENT_USER", ...) is one INI-style file in the Quillon config
// folder ($XDG_CONFIG_HOME/Quillon, or $QUILLON_CONFIG_DIR when set); a key
// path is a section, a value name a key. Names compare without regard to
// case; an absent value reads as empty text; every change is written at once
// through a temporary file. A damaged file is read as far as it goes.
//
// Stored values carry a type prefix: "sz:" text, "dword:" 32-bit number,
// "hex:" binary. Text is escaped so that any character round-trips.

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

namespace RegistryStore {
enum class Type { None, Text, Number, Binary };
struct Value {
    Type type = Type::None;
    QString text;          // Text: the stored text; Binary: the hex digits
    qint32 number = 0;
};
QString ConfigFolder();
bool KeyExists(const QString& root, const QString& keyPath);
// The writes return false when the value could not be stored, with the
// reason in `error` in words for the user ("The disk is full.").
bool CreateKey(const QString& root, const QString& keyPath, QString* error = nullptr);
Value Read(const QString& root, const QString& keyPath, const QString& name);
bool Write(const QString& root, const QString& keyPath, const QString& name, const Value& value,
           QString* error = nullptr);
bool Delete(const QString& root, const QString& keyPath, const QString& name, QString* error = nullptr);
// Reads one value, lets `change` compute its new value and writes that, all
// under the store's lock, so two programs counting on one value never hand
// out the same one. `change` returning nullopt leaves the value as it is.
bool Update(const QString& root, const QString& keyPath, const QString& name,
            const std::function<std::optional<Value>(const Value& current)>& change);
// The reason the last settings write of this thread that failed gave ("The
// disk is full."), and how many have failed so far: code that writes
// through other code (the start-up) can tell whether any write failed.
QString LastWriteError();
int WriteFailures();
// Changes whenever the root's values may have changed (every write replaces
// its file), so a frequent reader can keep what it read until then; "" when
// nothing is stored.
QByteArray Stamp(const QString& root);
}

// The registry component as the windows use it: Root, then OpenKey before
// reading or CreateKey before writing, then GetValue / SetValue (text only).
class aaxRegistry {
public:
    void Root(const QString& root) { root_ = root; }
    bool OpenKey(const QString& path);
    bool CreateKey(const QString& path);
    // Status is 0 when the value was found; `out` is "" when it was not.
    int GetValue(const QString& name, QString& out) const;
    QString GetValue(const QString& name) const;
    bool SetValue(const QString& name, const QString& text);
    bool DeleteValue(const QString& name);
    // Why the last CreateKey, SetValue or DeleteValue failed ("" when it did not).
    QString LastError() const { return error_; }

private:
    QString root_ = QStringLiteral("HKEY_CURRENT_USER");
    QString key_;
    QString error_;
};

// Shorthand for the common case: a text value under "Software\Quillon\<key>".
namespace Settings {
QString Get(const QString& key, const QString& name);
bool Set(const QString& key, const QString& name, const QString& text, QString* error = nullptr);
// "<what> could not be saved: <reason>", with the reason of the last write
// that failed, for the message that tells the user.
QString NotSaved(const QString& what);
}

namespace basRegistry {
constexpr quint32 HKEY_CLASSES_ROOT = 0x80000000u;
constexpr quint32 HKEY_CURRENT_USER = 0x80000001u;
constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002u;
QString RootName(quint32 root);
// Text up to its first NUL, a 32-bit number (as an int QVariant), or "".
QVariant GetRegValue(quint32 root, const QString& subKey, const QString& name);
// A value of digits only (with an optional sign) that fits 32 bits is stored
// as a number; anything else as text trimmed of blanks.
// False, with the reason, when the value could not be stored.
bool SetRegValue(quint32 root, const QString& subKey, const QString& name, const QVariant& value,
                 QString* error = nullptr);
}

#include "model/lists/ListFile.h"

#include <QHash>
#include <QPair>
#include <QSet>

#include "platform/Colors.h"
#include "platform/IniFile.h"

std::optional<int32_t> ListEntry::Colour() const { return Colors::Parse(value); }

std::vector<ListEntry> ListFile::Entries(const QString& section) const {
    error_.clear();
    std::vector<ListEntry> out;
    if (path_.isEmpty()) return out;
    IniDocument doc;
    if (!doc.Load(path_, &error_)) return out;
    const auto entries = doc.Entries(section);
    // A name found twice in a hand-edited file reads, as a lookup by name
    // would, the value of its first occurrence.
    QHash<QString, QString> first;
    for (const auto& [key, value] : entries) {
        const QString folded = key.toCaseFolded();
        if (!first.contains(folded)) first.insert(folded, value);
    }
    const size_t count = std::min(entries.size(), size_t(kMaxEntries));
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const QString& key = entries[i].first;
        if (key.isEmpty()) continue;
        out.push_back({key, first.value(key.toCaseFolded())});
    }
    return out;
}

QStringList ListFile::Names(const QString& section) const {
    QStringList out;
    for (const ListEntry& e : Entries(section)) out << e.name;
    return out;
}

bool ListFile::Add(const QString& section, const QString& name, const QString& value) {
    error_ = NameProblem(name);
    refused_ = !error_.isEmpty();
    if (refused_) return false;
    if (path_.isEmpty()) {
        error_ = QStringLiteral("No database is open.");
        return false;
    }
    // Looked up and written under the file's lock, so a name another window
    // lists meanwhile is seen.
    QString listedAs;
    const bool written = IniDocument::Update(
        path_,
        [&](IniDocument& doc, bool& changed) {
            const QString folded = name.toCaseFolded();
            for (const auto& entry : doc.Entries(section)) {
                if (entry.first == name) {
                    listedAs.clear();
                    break;
                }
                if (listedAs.isEmpty() && entry.first.toCaseFolded() == folded) listedAs = entry.first;
            }
            if (!listedAs.isEmpty()) return false;
            doc.SetValue(section, name, value);
            changed = true;
            return true;
        },
        &error_);
    if (!listedAs.isEmpty()) {
        refused_ = true;
        error_ = QStringLiteral("\"%1\" is already in the list.").arg(listedAs);
        return false;
    }
    return written;
}

bool ListFile::Delete(const QString& section, const std::vector<ListedName>& chosen) {
    error_.clear();
    refused_ = false;
    if (chosen.empty()) return true;
    if (path_.isEmpty()) {
        error_ = QStringLiteral("No database is open.");
        return false;
    }
    QSet<QPair<QString, int>> gone;
    for (const ListedName& entry : chosen) gone.insert({entry.name, entry.occurrence});
    // One read, one write, under the file's lock: either every chosen entry
    // goes or none does, and no other writer's entry is lost.
    return IniDocument::Update(
        path_,
        [&](IniDocument& doc, bool& changed) {
            QHash<QString, int> seen;
            changed = doc.RemoveEntries(section, [&](const QString& key) { return gone.contains({key, seen[key]++}); });
            if (doc.HasSection(section) && doc.Entries(section).empty()) changed |= doc.RemoveSection(section);
            return true;
        },
        &error_);
}

std::vector<ListedName> ListFile::Chosen(const QStringList& listed, int first, int last) {
    std::vector<ListedName> out;
    QHash<QString, int> seen;
    for (int i = 0; i < listed.size() && i <= last; ++i) {
        const int occurrence = seen[listed[i]]++;
        if (i >= first) out.push_back({listed[i], occurrence});
    }
    return out;
}

QString ListFile::NameProblem(const QString& name) {
    if (name.trimmed().isEmpty()) return QStringLiteral("Please enter a name.");
    if (name.front().isSpace() || name.back().isSpace())
        return QStringLiteral("A name cannot begin or end with a blank.");
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("A name cannot contain tabs or line breaks.");
    if (name.contains(QLatin1Char('=')))
        return QStringLiteral("A name cannot contain \"=\".");
    const QChar first = name.front();
    if (first == QLatin1Char('[') || first == QLatin1Char(';') || first == QLatin1Char('"'))
        return QStringLiteral("A name cannot begin with \"[\", \";\" or a quotation mark.");
    return {};
}

#include "platform/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <QStringDecoder>
#include <sys/stat.h>
#include <new>

#include "platform/FileOps.h"
#include "platform/FolderLock.h"

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; the five codes it
// leaves undefined map to the C1 control of the same number, as Windows does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString DecodeAnsi(const QByteArray& bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        d[i] = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(char16_t(b));
    }
    return out;
}

// UTF-8 when the line is valid UTF-8, otherwise the ANSI code page the files
// were written in on Windows. Decided per line: a file edited by both kinds
// of program holds both.
QString DecodeLine(const QByteArray& bytes) {
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
    if (ascii) return QString::fromLatin1(bytes);
    // Only the file's first bytes can be its byte-order mark (Parse takes
    // it off); one at the start of a later line is text, not to be dropped.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return DecodeAnsi(bytes);
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A hash of the name as SameName compares it (case folded, character by
// character), taken without making the folded copy.
quint64 FoldedHash(QStringView name) {
    quint64 h = 14695981039346656037ull;
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i].unicode(), name[i + 1].unicode());
            ++i;
        }
        h ^= QChar::toCaseFolded(c);
        h *= 1099511628211ull;
    }
    return h;
}

// A line break inside a name or value would split the line and could even
// start a new section, so it is written as a blank.
QString OneLine(QString text) {
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    return text;
}

QString CleanName(const QString& name) { return OneLine(name).trimmed(); }

// Reading strips the blanks around a value and one pair of outer quotes, so
// a value that would lose either is written inside quotes.
QString EncodeValue(const QString& value) {
    const bool blanks = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    const bool quoted = value.size() >= 2 && value.front() == QLatin1Char('"') &&
                        value.back() == QLatin1Char('"');
    if (blanks || quoted) return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

// A key with "=" in it, or one that would read as a section, a comment or a
// quoted key, is written in quotes so it reads back whole; a quote inside
// the quoted key is doubled, so no "= in the key can end it early.
QString EncodeKey(const QString& key) {
    if (key.contains(QLatin1Char('=')) ||
        (!key.isEmpty() && (key.front() == QLatin1Char('[') || key.front() == QLatin1Char(';') ||
                            key.front() == QLatin1Char('"')))) {
        QString inner = key;
        inner.replace(QLatin1String("\""), QLatin1String("\"\""));
        return QLatin1Char('"') + inner + QLatin1Char('"');
    }
    return key;
}

QStringView StripQuotes(QStringView value) {
    if (value.size() >= 2 && value.front() == QLatin1Char('"') && value.back() == QLatin1Char('"'))
        return value.mid(1, value.size() - 2);
    return value;
}

// A plain ASCII line is widened into a buffer used again for every such
// line, so reading a large file costs no allocation per line beyond the
// names and values it keeps.
bool WidenAscii(QByteArrayView bytes, QString& buffer) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    buffer.resize(bytes.size());
    QChar* d = buffer.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) d[i] = QLatin1Char(bytes[i]);
    return true;
}

// Where the "=" of an entry line stands, and the key before it; -1 when the
// line is not an entry.
qsizetype SplitEntry(QStringView raw, QString* key) {
    qsizetype start = 0;
    while (start < raw.size() && raw[start].isSpace()) ++start;
    if (start < raw.size() && raw[start] == QLatin1Char('"')) {
        // As written now: doubled quotes inside, a single quote closes, "="
        // follows.
        QString inner;
        for (qsizetype i = start + 1; i < raw.size(); ++i) {
            if (raw[i] != QLatin1Char('"')) {
                inner += raw[i];
                continue;
            }
            if (i + 1 < raw.size() && raw[i + 1] == QLatin1Char('"')) {
                inner += QLatin1Char('"');
                ++i;
                continue;
            }
            qsizetype eq = i + 1;
            while (eq < raw.size() && raw[eq].isSpace()) ++eq;
            if (eq < raw.size() && raw[eq] == QLatin1Char('=')) {
                // Names are looked up trimmed; so is a quoted one, or a
                // hand-written " a"= could never be found again.
                if (key) *key = inner.trimmed();
                return eq;
            }
            break;
        }
        // As older files have it: the key closes at the first quote that
        // "=" follows, so the key may hold quotes of its own.
        for (qsizetype close = raw.indexOf(QLatin1Char('"'), start + 1); close > start;
             close = raw.indexOf(QLatin1Char('"'), close + 1)) {
            qsizetype eq = close + 1;
            while (eq < raw.size() && raw[eq].isSpace()) ++eq;
            if (eq < raw.size() && raw[eq] == QLatin1Char('=')) {
                if (key) *key = raw.mid(start + 1, close - start - 1).trimmed().toString();
                return eq;
            }
        }
    }
    const qsizetype eq = raw.indexOf(QLatin1Char('='), start);
    if (eq < 0) return -1;
    if (key) *key = raw.mid(start, eq - start).trimmed().toString();
    return eq;
}

}  // namespace

// ---------------------------------------------------------------------------
// IniDocument

bool IniDocument::Load(const QString& path, QString* error) {
    lines_.clear();
    LinesMoved();
    eol_ = QStringLiteral("\n");
    bom_ = false;
    source_.clear();
    // Through a link it is not read at all (nor, then, written).
    if (const QString link = FileOps::LinkProblem(path); !link.isEmpty()) {
        if (error) *error = link;
        return false;
    }
    const QFileInfo info(path);
    if (!info.exists()) return true;
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = info.isDir() ? QStringLiteral("%1 is a folder").arg(path) : file.errorString();
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        if (error) *error = QStringLiteral("%1 is too large to be a list or settings file.").arg(path);
        return false;
    }
    // A damaged file must never take the program down: running out of
    // memory while reading it refuses the file like any other damage.
    try {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            if (error) *error = file.errorString();
            return false;
        }
        Parse(bytes);
    } catch (const std::bad_alloc&) {
        lines_.clear();
        LinesMoved();
        if (error) *error = QStringLiteral("There is not enough memory to read %1.").arg(path);
        return false;
    }
    return true;
}

bool IniDocument::Update(const QString& path, const Change& change, QString* error, FileOps::Access access) {
    FolderLock lock(FolderLock::FolderOf(path));
    if (lock.TimedOut()) {
        if (error) *error = QStringLiteral("%1 is being changed by another program. Please try again.").arg(path);
        return false;
    }
    IniDocument doc;
    // An unreadable file is left alone rather than replaced by the change.
    if (!doc.Load(path, error)) return false;
    bool changed = false;
    if (!change(doc, changed)) return false;
    return !changed || doc.Save(path, error, access);
}

bool IniDocument::Save(const QString& path, QString* error, FileOps::Access access) const {
    return FileOps::WriteFileSafely(path, ToBytes(), error, access);
}

void IniDocument::Parse(const QByteArray& input) {
    lines_.clear();
    LinesMoved();
    bom_ = input.startsWith("\xEF\xBB\xBF");
    const qsizetype n = input.size();
    qsizetype start = bom_ ? 3 : 0;
    eol_ = input.indexOf("\r\n", start) >= 0 ? QStringLiteral("\r\n") : QStringLiteral("\n");

    source_ = input;
    // Lines end at CR LF, LF or a lone CR, as the Windows reader has it.
    const char* data = input.constData();
    lines_.reserve(size_t(input.count('\n') + 1));
    QString ascii;
    QString decoded;
    while (start < n) {
        qsizetype end = start;
        while (end < n && data[end] != '\n' && data[end] != '\r') ++end;
        qsizetype next = end;
        if (next < n) next += (data[next] == '\r' && next + 1 < n && data[next + 1] == '\n') ? 2 : 1;
        Line line;
        line.asRead = true;
        line.from = start;
        line.size = end - start;
        line.endSize = quint8(next - end);
        const QByteArrayView bytes(data + start, end - start);
        QStringView raw;
        if (WidenAscii(bytes, ascii)) {
            raw = ascii;
        } else {
            decoded = DecodeLine(bytes.toByteArray());
            raw = decoded;
        }
        const QStringView t = raw.trimmed();
        if (t.startsWith(QLatin1Char('['))) {
            // The last "]" closes the name, so a name may hold "]" itself.
            const qsizetype close = t.lastIndexOf(QLatin1Char(']'));
            line.kind = Line::Section;
            line.name = (close > 0 ? t.mid(1, close - 1) : t.mid(1)).trimmed().toString();
        } else if (!t.isEmpty() && !t.startsWith(QLatin1Char(';')) && SplitEntry(raw, nullptr) >= 0) {
            // Its key and value are read when its section is.
            line.kind = Line::Entry;
        }
        lines_.push_back(std::move(line));
        start = next;
    }
}

QString IniDocument::RawOf(const Line& line) const {
    return line.asRead ? DecodeLine(source_.sliced(line.from, line.size)) : line.raw;
}

std::pair<QString, QString> IniDocument::EntryOf(const Line& line) const {
    if (!line.asRead) return {line.name, line.value};
    const QString raw = RawOf(line);
    std::pair<QString, QString> entry;
    const qsizetype eq = SplitEntry(raw, &entry.first);
    entry.second = StripQuotes(QStringView(raw).mid(eq + 1).trimmed()).toString();
    return entry;
}

bool IniDocument::IsBlank(const Line& line) const {
    return line.kind == Line::Other && RawOf(line).trimmed().isEmpty();
}

QByteArray IniDocument::ToBytes() const {
    const QByteArray eol = eol_.toLatin1();
    QByteArray out;
    qsizetype size = bom_ ? 3 : 0;
    for (const Line& line : lines_) size += (line.asRead ? line.size : line.raw.size() * 3) + 2;
    out.reserve(size);
    if (bom_) out += "\xEF\xBB\xBF";
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        // A line keeps the end it had; a last line without one stays so
        // unless something now follows it.
        if (line.asRead) {
            const bool ownEnd = line.endSize > 0 || i + 1 == lines_.size();
            out += QByteArrayView(source_.constData() + line.from, line.size + (ownEnd ? line.endSize : 0));
            if (!ownEnd) out += eol;
        } else {
            out += line.raw.toUtf8();
            out += eol;
        }
    }
    return out;
}

QStringList IniDocument::Sections() const {
    QStringList out;
    QSet<QString> seen;
    for (const Line& line : lines_) {
        if (line.kind != Line::Section) continue;
        const QString folded = line.name.toCaseFolded();
        if (seen.contains(folded)) continue;
        seen.insert(folded);
        out << line.name;
    }
    return out;
}

bool IniDocument::HasSection(const QString& section) const {
    return FindSection(section) >= 0;
}

int IniDocument::FindSection(const QString& section) const {
    if (!sectionIndexValid_) {
        sectionIndex_.clear();
        for (size_t i = 0; i < lines_.size(); ++i)
            if (lines_[i].kind == Line::Section) sectionIndex_.emplace_back(FoldedHash(lines_[i].name), int(i));
        // By hash, and a name found twice in file order, so its first place comes first.
        std::sort(sectionIndex_.begin(), sectionIndex_.end());
        sectionIndexValid_ = true;
    }
    const QString name = CleanName(section);
    const quint64 hash = FoldedHash(name);
    auto it = std::lower_bound(sectionIndex_.begin(), sectionIndex_.end(), std::pair<quint64, int>(hash, -1));
    for (; it != sectionIndex_.end() && it->first == hash; ++it)
        if (SameName(lines_[size_t(it->second)].name, name)) return it->second;
    return -1;
}

int IniDocument::SectionEnd(int sectionLine) const {
    size_t i = size_t(sectionLine) + 1;
    while (i < lines_.size() && lines_[i].kind != Line::Section) ++i;
    return int(i);
}

std::vector<std::pair<QString, QString>> IniDocument::Entries(const QString& section) const {
    std::vector<std::pair<QString, QString>> out;
    const int s = FindSection(section);
    if (s < 0) return out;
    const int end = SectionEnd(s);
    for (int i = s + 1; i < end; ++i)
        if (lines_[i].kind == Line::Entry) out.push_back(EntryOf(lines_[i]));
    return out;
}

std::optional<QString> IniDocument::Value(const QString& section, const QString& key) const {
    const int s = FindSection(section);
    if (s < 0) return std::nullopt;
    const QString name = CleanName(key);
    const int end = SectionEnd(s);
    for (int i = s + 1; i < end; ++i) {
        if (lines_[i].kind != Line::Entry) continue;
        auto [key, value] = EntryOf(lines_[i]);
        if (SameName(key, name)) return value;
    }
    return std::nullopt;
}

void IniDocument::AddSection(const QString& section) {
    if (FindSection(section) >= 0) return;
    // A blank line between sections, as the files are usually laid out.
    if (!lines_.empty() && !IsBlank(lines_.back())) lines_.push_back(Line{});
    Line header;
    header.kind = Line::Section;
    header.name = CleanName(section);
    header.raw = QLatin1Char('[') + header.name + QLatin1Char(']');
    lines_.push_back(std::move(header));
    LinesMoved();
}

void IniDocument::SetValue(const QString& section, const QString& key, const QString& value) {
    const QString name = CleanName(key);
    const QString text = OneLine(value);
    AddSection(section);
    const int s = FindSection(section);
    const int end = SectionEnd(s);

    for (int i = s + 1; i < end; ++i) {
        Line& line = lines_[i];
        if (line.kind != Line::Entry || !SameName(EntryOf(line).first, name)) continue;
        // Replaced where it stands, keeping the key as the file spells it
        // and the blank after "=" if there was one.
        const QString raw = RawOf(line);
        QString spelled;
        const qsizetype eq = SplitEntry(raw, &spelled);
        qsizetype valueStart = eq + 1;
        while (valueStart < raw.size() && raw[valueStart].isSpace()) ++valueStart;
        line.raw = raw.left(valueStart) + EncodeValue(text);
        // A changed line is no longer read from the file's bytes: its key
        // must travel with it, or the next look-up would not find it.
        line.name = spelled;
        line.value = text;
        line.asRead = false;
        return;
    }

    // A new key goes after the section's last key; in a section without
    // keys, after its last non-blank line. Trailing blank lines stay last.
    int at = s + 1;
    bool hasEntry = false;
    for (int i = s + 1; i < end; ++i)
        if (lines_[i].kind == Line::Entry) { at = i + 1; hasEntry = true; }
    if (!hasEntry)
        for (int i = s + 1; i < end; ++i)
            if (!IsBlank(lines_[i])) at = i + 1;
    Line entry;
    entry.kind = Line::Entry;
    entry.name = name;
    entry.value = text;
    entry.raw = EncodeKey(name) + QLatin1Char('=') + EncodeValue(text);
    lines_.insert(lines_.begin() + at, std::move(entry));
    LinesMoved();
}

bool IniDocument::RemoveKey(const QString& section, const QString& key) {
    const QString sectionName = CleanName(section);
    const QString name = CleanName(key);
    bool removed = false;
    bool inSection = false;
    for (size_t i = 0; i < lines_.size();) {
        const Line& line = lines_[i];
        if (line.kind == Line::Section) inSection = SameName(line.name, sectionName);
        if (inSection && line.kind == Line::Entry && SameName(EntryOf(line).first, name)) {
            lines_.erase(lines_.begin() + i);
            LinesMoved();
            removed = true;
        } else {
            ++i;
        }
    }
    return removed;
}

bool IniDocument::RemoveEntries(const QString& section, const std::function<bool(const QString& key)>& remove) {
    const int s = FindSection(section);
    if (s < 0) return false;
    const int end = SectionEnd(s);
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    for (int i = 0; i < int(lines_.size()); ++i) {
        const bool gone = i > s && i < end && lines_[size_t(i)].kind == Line::Entry &&
                          remove(EntryOf(lines_[size_t(i)]).first);
        if (!gone) kept.push_back(std::move(lines_[size_t(i)]));
    }
    if (kept.size() == lines_.size()) return false;
    lines_ = std::move(kept);
    LinesMoved();
    return true;
}

bool IniDocument::RemoveSection(const QString& section) {
    // Every section of that name goes, so no duplicate further down the
    // file can surface afterwards.
    bool removed = false;
    for (int s = FindSection(section); s >= 0; s = FindSection(section)) {
        lines_.erase(lines_.begin() + s, lines_.begin() + SectionEnd(s));
        LinesMoved();
        removed = true;
    }
    return removed;
}

// ---------------------------------------------------------------------------
// aaxIniFile

namespace {

// What identifies one state of a file on disk; "-" when it is absent.
QByteArray FileStamp(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return QByteArrayLiteral("-");
    QByteArray out;
    for (qint64 v : {qint64(st.st_dev), qint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
                     qint64(st.st_mtim.tv_nsec), qint64(st.st_ctim.tv_sec), qint64(st.st_ctim.tv_nsec)})
        out += QByteArray::number(v) + ':';
    return out;
}

}  // namespace

const IniDocument* aaxIniFile::Current() {
    if (path_.isEmpty()) {
        error_ = QStringLiteral("No file named");
        return nullptr;
    }
    const QByteArray stamp = FileStamp(path_);
    if (docPath_ == path_ && docStamp_ == stamp) return &doc_;
    docStamp_.clear();
    entriesValid_ = false;
    if (!doc_.Load(path_, &error_)) return nullptr;
    // A file changed while it was read is read again next time.
    if (FileStamp(path_) == stamp) {
        docPath_ = path_;
        docStamp_ = stamp;
    }
    return &doc_;
}

const std::vector<std::pair<QString, QString>>* aaxIniFile::SectionEntries() {
    const IniDocument* doc = Current();
    if (!doc) return nullptr;
    if (!entriesValid_ || entriesSection_ != section_) {
        entries_ = doc->Entries(section_);
        entryIndex_.clear();
        entryIndex_.reserve(qsizetype(entries_.size()));
        // Backwards, so a duplicated key maps to its first entry, as Value() reads it.
        for (size_t i = entries_.size(); i-- > 0;)
            entryIndex_.insert(entries_[i].first.toCaseFolded(), int(i));
        entriesSection_ = section_;
        entriesValid_ = true;
    }
    return &entries_;
}

int aaxIniFile::SelectSection(const QString& section) {
    section_ = section;
    const IniDocument* doc = Current();
    return doc && doc->HasSection(section) ? 0 : 1;
}

int aaxIniFile::KeyCount(int& count) {
    count = 0;
    const auto* entries = SectionEntries();
    if (!entries || !doc_.HasSection(section_)) return 1;
    count = int(entries->size());
    return 0;
}

int aaxIniFile::KeyAt(int index, QString& key, QString& value) {
    key.clear();
    value.clear();
    const auto* entries = SectionEntries();
    if (!entries || index < 1 || size_t(index) > entries->size()) return 1;
    key = (*entries)[size_t(index) - 1].first;
    value = (*entries)[size_t(index) - 1].second;
    return 0;
}

int aaxIniFile::ReadValue(const QString& section, const QString& key, QString& value) {
    value.clear();
    // The list windows read back each key they just listed; for the selected
    // section that is a hash lookup rather than a walk through the section.
    if (SameName(CleanName(section), CleanName(section_))) {
        const auto* entries = SectionEntries();
        if (!entries) return 1;
        const auto it = entryIndex_.constFind(CleanName(key).toCaseFolded());
        if (it == entryIndex_.constEnd()) return 1;
        value = (*entries)[size_t(*it)].second;
        return 0;
    }
    const IniDocument* doc = Current();
    if (!doc) return 1;
    const auto found = doc->Value(section, key);
    if (!found) return 1;
    value = *found;
    return 0;
}

bool aaxIniFile::WriteValue(const QString& section, const QString& key, const QString& value) {
    return Write([&](IniDocument& doc, bool& changed) {
        doc.SetValue(section, key, value);
        changed = true;
        return true;
    });
}

bool aaxIniFile::DeleteKey(const QString& section, const QString& key) {
    return Write([&](IniDocument& doc, bool& changed) {
        changed = doc.RemoveKey(section, key);
        return true;
    });
}

bool aaxIniFile::DeleteSection(const QString& section) {
    return Write([&](IniDocument& doc, bool& changed) {
        changed = doc.RemoveSection(section);
        return true;
    });
}

bool aaxIniFile::Write(const IniDocument::Change& change) {
    error_.clear();
    docStamp_.clear();
    if (path_.isEmpty()) {
        error_ = QStringLiteral("No file named");
        return false;
    }
    return IniDocument::Update(path_, change, &error_);
}

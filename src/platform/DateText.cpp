#include "platform/DateText.h"

#include <QLocale>
#include <QRegularExpression>
#include <atomic>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

namespace {

using DateText::Order;
constexpr Order MDY = Order::MonthFirst;
constexpr Order DMY = Order::DayFirst;
constexpr Order YMD = Order::YearFirst;

// One piece of the date format: a field ('d', 'M', 'y') or literal text.
struct Piece {
    char field = 0;
    int width = 0;          // 1 or 2 for day and month (minimum digits)
    QString literal;
};

struct Format {
    QString text;           // "M/d/yyyy", "dd.MM.yyyy", "yyyy-MM-dd"
    Order order = YMD;
    std::vector<Piece> pieces;
    std::vector<std::string> utf8;   // each piece's literal as UTF-8 (cells are UTF-8)
    QLocale locale;         // for the last-resort parse of the locale's own forms
    // The punctuation each of the locale's own forms holds as literals
    // (date-time short and long, date short and long): a text lacking any
    // of it cannot be read in that form, which saves a slow parse of every
    // task ID and equipment name a pass looks at.
    QString marks[4];
};

const QString kIsoFormat = QStringLiteral("yyyy-MM-dd");

bool IsLetter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// The locale's short format, made numeric with a four-digit year, or
// nothing when it is not day, month and year as numbers with separators
// between them (month names, weekdays, quoted words, fields run together).
std::optional<std::vector<Piece>> NumericPieces(const QString& format) {
    std::vector<Piece> pieces;
    bool seenD = false, seenM = false, seenY = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (IsLetter(c)) {
            qsizetype j = i;
            while (j < format.size() && format[j] == c) ++j;
            const int run = int(j - i);
            Piece p;
            if (c == QLatin1Char('d') && run <= 2 && !seenD) {
                p.field = 'd'; p.width = run; seenD = true;
            } else if (c == QLatin1Char('M') && run <= 2 && !seenM) {
                p.field = 'M'; p.width = run; seenM = true;
            } else if (c == QLatin1Char('y') && run != 3 && run <= 4 && !seenY) {
                p.field = 'y'; p.width = 4; seenY = true;
            } else {
                return std::nullopt;
            }
            if (!pieces.empty() && pieces.back().field != 0) return std::nullopt;   // fields run together
            pieces.push_back(p);
            i = j;
            continue;
        }
        // Direction marks (Arabic and Hebrew formats carry them) are left
        // out, so the stored form stays plain separators the fast parser reads.
        if (c.category() == QChar::Other_Format) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('\'') || c.isDigit() || c.isLetter() || c == QLatin1Char(':'))
            return std::nullopt;
        if (pieces.empty()) return std::nullopt;   // nothing before the first field
        if (pieces.back().field != 0) pieces.push_back(Piece{});
        pieces.back().literal += c;
        ++i;
    }
    if (!seenD || !seenM || !seenY) return std::nullopt;
    return pieces;
}

// The order of the fields of numeric pieces; nothing for orders other than
// day-month-year, month-day-year and year-month-day (y-d-M and the like are
// rare enough to be written in ISO form instead of guessed at).
std::optional<Order> OrderOf(const std::vector<Piece>& pieces) {
    QString order;
    for (const Piece& p : pieces)
        if (p.field != 0) order += QLatin1Char(p.field);
    if (order == QLatin1String("dMy")) return DMY;
    if (order == QLatin1String("Mdy")) return MDY;
    if (order == QLatin1String("yMd")) return YMD;
    return std::nullopt;
}

// The punctuation a locale form holds as literals ("M/d/yy" gives "//");
// letters and blanks are left out (a letter may be a field, blanks are
// matched loosely), and so are quotes.
QString LiteralMarks(const QString& form) {
    QString marks;
    for (const QChar c : form)
        if (!c.isLetterOrNumber() && !c.isSpace() && c != QLatin1Char('\'')) marks += c;
    return marks;
}

std::unique_ptr<Format> BuildFormat() {
    auto f = std::make_unique<Format>();
    f->locale = QLocale();
    f->marks[0] = LiteralMarks(f->locale.dateTimeFormat(QLocale::ShortFormat));
    f->marks[1] = LiteralMarks(f->locale.dateTimeFormat(QLocale::LongFormat));
    f->marks[2] = LiteralMarks(f->locale.dateFormat(QLocale::ShortFormat));
    f->marks[3] = LiteralMarks(f->locale.dateFormat(QLocale::LongFormat));
    auto pieces = NumericPieces(f->locale.dateFormat(QLocale::ShortFormat));
    std::optional<Order> order = pieces ? OrderOf(*pieces) : std::nullopt;
    if (!order) {
        pieces = NumericPieces(kIsoFormat);
        order = YMD;
    }
    f->pieces = *pieces;
    f->order = *order;
    for (const Piece& p : f->pieces) {
        f->text += p.field == 0 ? p.literal : QString(p.width, QLatin1Char(p.field));
        f->utf8.push_back(p.literal.toStdString());
    }
    return f;
}

// The format is read once and kept; a grid pass parses many thousands of
// dates and must not query the locale for each. Replaced formats are kept
// alive, so a reader on another thread never holds a dangling one.
std::atomic<const Format*> g_format{nullptr};
std::mutex g_formatMutex;
std::vector<std::unique_ptr<Format>> g_formats;

const Format& CurrentFormat() {
    const Format* f = g_format.load(std::memory_order_acquire);
    if (f) return *f;
    std::lock_guard<std::mutex> lock(g_formatMutex);
    f = g_format.load(std::memory_order_acquire);
    if (!f) {
        g_formats.push_back(BuildFormat());
        f = g_formats.back().get();
        g_format.store(f, std::memory_order_release);
    }
    return *f;
}

// ---------------------------------------------------------------------------
// The fast parser. It works on UTF-16 (QString) and on UTF-8 bytes alike,
// since every character it accepts is ASCII.

struct Parsed {
    int year = 0, month = 0, day = 0;
    bool hasDate = false;
    bool hasTime = false;
    int hour = 0, minute = 0, second = 0, msec = 0;
};

template <typename Ch>
inline unsigned Code(Ch c) { return static_cast<unsigned>(static_cast<std::make_unsigned_t<Ch>>(c)); }

// The no-break spaces (U+00A0, the narrow U+202F some locales put in dates
// and times, the figure space U+2007) count as blanks.
inline bool IsBlank(unsigned c) { return c == ' ' || c == '\t' || c == 0xA0 || c == 0x202F || c == 0x2007; }
inline bool IsDigit(unsigned c) { return c >= '0' && c <= '9'; }
inline bool IsDateSeparator(unsigned c) {
    return c == '/' || c == '.' || c == '-' || c == ',' || IsBlank(c);
}

template <typename Ch>
struct Scanner {
    const Ch* p;
    const Ch* end;
    bool AtEnd() const { return p == end; }
    unsigned Peek() const { return p == end ? 0u : Code(*p); }
    // Reads up to maxDigits digits; the count read is returned (0 if none).
    int Number(int maxDigits, int& value) {
        int n = 0;
        value = 0;
        while (p != end && IsDigit(Code(*p))) {
            if (++n > maxDigits) return maxDigits + 1;
            value = value * 10 + int(Code(*p) - '0');
            ++p;
        }
        return n;
    }
    void SkipBlanks() { while (p != end && IsBlank(Code(*p))) ++p; }
};

inline bool ValidDate(int y, int m, int d) {
    return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && QDate::isValid(y, m, d);
}

// Two-digit years fall in 1930-2029, the window Windows uses by default.
inline int FullYear(int value, int digits) {
    if (digits > 2) return value;
    return value < 30 ? 2000 + value : 1900 + value;
}

// "H:mm", "H:mm:ss" or "H:mm:ss.zzz", then an optional AM or PM.
template <typename Ch>
bool ScanTime(Scanner<Ch>& s, Parsed& out) {
    int h = 0, m = 0, sec = 0, ms = 0;
    if (int n = s.Number(2, h); n < 1 || n > 2) return false;
    if (s.Peek() != ':') return false;
    ++s.p;
    if (s.Number(2, m) != 2) return false;
    if (s.Peek() == ':') {
        ++s.p;
        if (s.Number(2, sec) != 2) return false;
        if (s.Peek() == '.' || s.Peek() == ',') {
            ++s.p;
            int digits = 0;
            while (!s.AtEnd() && IsDigit(s.Peek())) {
                if (digits < 3) ms = ms * 10 + int(s.Peek() - '0');
                ++digits;
                ++s.p;
            }
            if (digits == 0) return false;
            for (int k = digits; k < 3; ++k) ms *= 10;
        }
    }
    s.SkipBlanks();
    const unsigned c = s.Peek() | 0x20u;
    if (c == 'a' || c == 'p') {
        ++s.p;
        if ((s.Peek() | 0x20u) == 'm') ++s.p;
        if (h > 12) return false;
        h = (h % 12) + (c == 'p' ? 12 : 0);
    }
    s.SkipBlanks();
    if (!s.AtEnd()) return false;
    if (h > 23 || m > 59 || sec > 59) return false;
    out.hasTime = true;
    out.hour = h; out.minute = m; out.second = sec; out.msec = ms;
    return true;
}

// The three numbers of a date as written, before an order gives them
// their meaning.
struct Fields {
    int v[3];
    int digits[3];
};

template <typename Ch>
bool ScanFields(Scanner<Ch>& s, Fields& f) {
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            // One run of separators between fields.
            const Ch* start = s.p;
            while (!s.AtEnd() && IsDateSeparator(s.Peek())) ++s.p;
            if (s.p == start) return false;
        }
        f.digits[k] = s.Number(4, f.v[k]);
        if (f.digits[k] < 1 || f.digits[k] > 4) return false;
    }
    // A closing dot, as some locales write ("2026. 03. 01.").
    if (s.Peek() == '.') ++s.p;
    return true;
}

bool Interpret(const Fields& f, Order order, Parsed& out) {
    int y, m, d, yDigits;
    if (f.digits[0] > 2 || order == YMD) {
        // A year first (ISO 8601, or a year-first locale).
        y = f.v[0]; yDigits = f.digits[0]; m = f.v[1]; d = f.v[2];
        if (f.digits[1] > 2 || f.digits[2] > 2) return false;
    } else if (order == DMY) {
        d = f.v[0]; m = f.v[1]; y = f.v[2]; yDigits = f.digits[2];
        if (f.digits[1] > 2) return false;
    } else {
        m = f.v[0]; d = f.v[1]; y = f.v[2]; yDigits = f.digits[2];
        if (f.digits[1] > 2) return false;
    }
    if (yDigits == 3) return false;
    y = FullYear(y, yDigits);
    if (!ValidDate(y, m, d)) return false;
    out.hasDate = true;
    out.year = y; out.month = m; out.day = d;
    return true;
}

// A date's fields, optionally followed by a time after blanks or "T" (read
// into `out`).
template <typename Ch>
bool ScanDateTime(const Ch* begin, const Ch* end, Fields& f, Parsed& out) {
    Scanner<Ch> s{begin, end};
    s.SkipBlanks();
    while (s.end != s.p && IsBlank(Code(*(s.end - 1)))) --s.end;
    if (s.AtEnd()) return false;
    if (!ScanFields(s, f)) return false;
    if (s.AtEnd()) return true;
    if (s.Peek() == 'T') {
        ++s.p;
    } else {
        const Ch* start = s.p;
        s.SkipBlanks();
        if (s.p == start) return false;
    }
    return ScanTime(s, out);
}

template <typename Ch>
bool ParseFast(const Ch* begin, const Ch* end, Order order, Parsed& out) {
    Fields f;
    return ScanDateTime(begin, end, f, out) && Interpret(f, order, out);
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Scans a cell's bytes; text beyond ASCII (the no-break spaces some
// locales put between fields) is scanned as UTF-16.
bool ScanCell(std::string_view text, Fields& f, Parsed& out) {
    if (IsAscii(text)) return ScanDateTime(text.data(), text.data() + text.size(), f, out);
    const QString wide = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const char16_t* p = reinterpret_cast<const char16_t*>(wide.utf16());
    return ScanDateTime(p, p + wide.size(), f, out);
}

template <typename Ch>
bool ParseTimeFast(const Ch* begin, const Ch* end, Parsed& out) {
    Scanner<Ch> s{begin, end};
    s.SkipBlanks();
    while (s.end != s.p && IsBlank(Code(*(s.end - 1)))) --s.end;
    return !s.AtEnd() && ScanTime(s, out);
}

bool HasAnyDigit(const QString& text) {
    for (QChar c : text)
        if (c.isDigit()) return true;
    return false;
}

// ISO 8601 with a zone, and the locale's own forms (month names and the
// like): slow, so only reached when the fast parser gave up.
std::optional<QDateTime> ParseSlow(const QString& input, const Format& f) {
    const QString text = input.trimmed();
    if (text.isEmpty() || !HasAnyDigit(text)) return std::nullopt;
    // The same year range as the fast parser, so no form gets around it.
    auto inRange = [](const QDate& d) { return d.isValid() && d.year() >= 100 && d.year() <= 9999; };
    auto holds = [&](const QString& marks) {
        for (const QChar c : marks)
            if (!text.contains(c)) return false;
        return true;
    };
    QDateTime dt;
    // An ISO 8601 date alone takes ten characters.
    if (text.size() >= 10) {
        dt = QDateTime::fromString(text, Qt::ISODate);
        if (dt.isValid()) return inRange(dt.date()) ? std::optional(dt) : std::nullopt;
    }
    const QLocale::FormatType kinds[] = {QLocale::ShortFormat, QLocale::LongFormat};
    for (int k = 0; k < 2; ++k) {
        if (!holds(f.marks[k])) continue;
        dt = f.locale.toDateTime(text, kinds[k]);
        if (dt.isValid() && inRange(dt.date())) return dt;
    }
    for (int k = 0; k < 2; ++k) {
        if (!holds(f.marks[2 + k])) continue;
        const QDate d = f.locale.toDate(text, kinds[k]);
        if (inRange(d)) return QDateTime(d, QTime(0, 0));
    }
    return std::nullopt;
}

QString Padded(int value, int width) {
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}

}  // namespace

namespace DateText {

QString DateFormat() { return CurrentFormat().text; }

QString TimeFormat() { return QStringLiteral("HH:mm:ss"); }

Order CurrentOrder() { return CurrentFormat().order; }

std::optional<Order> OrderOfForm(const QString& dateForm) {
    const auto pieces = NumericPieces(dateForm);
    return pieces ? OrderOf(*pieces) : std::nullopt;
}

bool IsTimeForm(const QString& timeForm) {
    bool hour = false, minute = false;
    for (QChar c : timeForm) {
        const char16_t u = c.unicode();
        if (u == 'H' || u == 'h') hour = true;
        else if (u == 'm') minute = true;
        else if (u != 's' && u != 'z' && u != 'A' && u != 'P' && u != 'a' && u != 'p' && u != ':' && u != '.' &&
                 (u == '\t' || !IsBlank(u)))
            return false;
    }
    return hour && minute && timeForm.size() <= 32;
}

QString FormatDate(const QDate& date) {
    if (!date.isValid()) return QString();
    const Format& f = CurrentFormat();
    if (date.year() < 1 || date.year() > 9999) return date.toString(f.text);
    QString out;
    out.reserve(12);
    for (const Piece& p : f.pieces) {
        switch (p.field) {
        case 'd': out += Padded(date.day(), p.width); break;
        case 'M': out += Padded(date.month(), p.width); break;
        case 'y': out += Padded(date.year(), 4); break;
        default: out += p.literal; break;
        }
    }
    return out;
}

QString FormatTime(const QTime& time) {
    if (!time.isValid()) return QString();
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString FormatGeneral(const QDateTime& dateTime) {
    if (!dateTime.isValid()) return QString();
    const QTime t = dateTime.time();
    QString out = FormatDate(dateTime.date());
    if (t.hour() != 0 || t.minute() != 0 || t.second() != 0) out += QLatin1Char(' ') + FormatTime(t);
    return out;
}

std::optional<QDate> ParseDate(const QString& text) {
    const Format& f = CurrentFormat();
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    Parsed r;
    if (ParseFast(p, p + text.size(), f.order, r)) return QDate(r.year, r.month, r.day);
    if (auto dt = ParseSlow(text, f)) return dt->date();
    return std::nullopt;
}

std::optional<QDate> ParseDateUtf8(std::string_view text) {
    // The byte scanner only knows ASCII; anything else (a no-break space, a
    // month name) goes through the one reader of text, so a cell reads the
    // same in the editor as in sort, past-due marking and the date window.
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return ParseDate(QString::fromUtf8(text.data(), qsizetype(text.size())));
    const Format& f = CurrentFormat();
    Parsed r;
    if (ParseFast(text.data(), text.data() + text.size(), f.order, r)) return QDate(r.year, r.month, r.day);
    if (text.empty()) return std::nullopt;
    if (auto dt = ParseSlow(QString::fromUtf8(text.data(), qsizetype(text.size())), f)) return dt->date();
    return std::nullopt;
}

std::optional<QTime> ParseTime(const QString& text) {
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    Parsed r;
    if (ParseTimeFast(p, p + text.size(), r)) return QTime(r.hour, r.minute, r.second, r.msec);
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    const QLocale& loc = CurrentFormat().locale;
    for (auto kind : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QTime time = loc.toTime(t, kind);
        if (time.isValid()) return time;
    }
    return std::nullopt;
}

std::optional<QDateTime> ParseDateTime(const QString& text) {
    const Format& f = CurrentFormat();
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    Parsed r;
    if (ParseFast(p, p + text.size(), f.order, r))
        return QDateTime(QDate(r.year, r.month, r.day), QTime(r.hour, r.minute, r.second, r.msec));
    return ParseSlow(text, f);
}

std::optional<LocalDateTime> ParseLocalUtf8(std::string_view text) {
    const Format& f = CurrentFormat();
    Parsed r;
    if (ParseFast(text.data(), text.data() + text.size(), f.order, r))
        return LocalDateTime{QDate(r.year, r.month, r.day), QTime(r.hour, r.minute, r.second, r.msec)};
    if (text.empty()) return std::nullopt;
    if (auto dt = ParseSlow(QString::fromUtf8(text.data(), qsizetype(text.size())), f))
        return LocalDateTime{dt->date(), dt->time()};
    return std::nullopt;
}

unsigned OrdersOf(std::string_view text) {
    Fields f;
    Parsed r;
    if (!ScanCell(text, f, r)) return 0;
    unsigned orders = 0;
    for (Order o : {MDY, DMY, YMD}) {
        Parsed date;
        if (Interpret(f, o, date)) orders |= OrderBit(o);
    }
    return orders;
}

namespace {
// Writes `value` with at least `width` digits (values up to 9999).
char* PutNumber(char* p, int value, int width) {
    const int digits = value >= 1000 ? 4 : value >= 100 ? 3 : value >= 10 ? 2 : 1;
    for (int n = digits; n < width; ++n) *p++ = '0';
    for (int k = digits - 1; k >= 0; --k, value /= 10) p[k] = char('0' + value % 10);
    return p + digits;
}
}  // namespace

bool Recast(std::string_view text, Order order, std::string& out) {
    Fields fields;
    Parsed r;
    if (!ScanCell(text, fields, r) || !Interpret(fields, order, r)) return false;
    const Format& f = CurrentFormat();
    // Numbers are written into a buffer, literals straight after them.
    char buf[32];
    out.clear();
    for (size_t i = 0; i < f.pieces.size(); ++i) {
        switch (f.pieces[i].field) {
        case 'd': out.append(buf, PutNumber(buf, r.day, f.pieces[i].width)); break;
        case 'M': out.append(buf, PutNumber(buf, r.month, f.pieces[i].width)); break;
        case 'y': out.append(buf, PutNumber(buf, r.year, 4)); break;
        default: out += f.utf8[i]; break;
        }
    }
    if (r.hasTime) {
        char* p = buf;
        *p++ = ' ';
        p = PutNumber(p, r.hour, 2);
        *p++ = ':';
        p = PutNumber(p, r.minute, 2);
        *p++ = ':';
        p = PutNumber(p, r.second, 2);
        if (r.msec != 0) {
            *p++ = '.';
            p = PutNumber(p, r.msec, 3);
        }
        out.append(buf, p);
    }
    return true;
}

QString FormatSettingDate(const QDate& date) { return date.isValid() ? date.toString(Qt::ISODate) : QString(); }

std::optional<QDate> ParseSettingDate(const QString& text) {
    const char16_t* p = reinterpret_cast<const char16_t*>(text.utf16());
    // Locales that write dots between day, month and a trailing year put the
    // day first (de, ru, pl, ...); none puts the month first. A stored
    // "09.12.2026" is therefore 9 December under a month-first desktop too.
    static const QRegularExpression dotted(QStringLiteral("^\\s*\\d{1,2}\\.\\d{1,2}\\.\\d{2,4}\\s*$"));
    if (dotted.match(text).hasMatch()) {
        Parsed r;
        if (ParseFast(p, p + text.size(), DMY, r)) return QDate(r.year, r.month, r.day);
    }
    if (auto date = ParseDate(text)) return date;
    const Order current = CurrentOrder();
    for (Order other : {DMY, MDY}) {
        Parsed r;
        if (other != current && ParseFast(p, p + text.size(), other, r)) return QDate(r.year, r.month, r.day);
    }
    return std::nullopt;
}

void ResetCache() {
    std::lock_guard<std::mutex> lock(g_formatMutex);
    g_formats.push_back(BuildFormat());
    g_format.store(g_formats.back().get(), std::memory_order_release);
}

}  // namespace DateText

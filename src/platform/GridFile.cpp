#include "platform/GridFile.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <new>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <stdexcept>

#include "platform/DateText.h"
#include "platform/FileOps.h"

namespace {
// The grid file: UTF-8 text.
//   QUILLON-GRID 1 [dates=<form> times=<form>]
//   <rows> <cols>
//   <width of each column, space-separated>
//   <height of each row, space-separated>
//   <one line per row: cells separated by tabs, \ \t \n \r escaped>
//   END
// The END line and the counts let a truncated or edited file be refused.
// The fields after the version record the forms of the grid's dates and
// times (a task database's), percent-encoded; files from before them and
// grids without dates have none. Readers that predate them stop reading the
// line at the version number, so they still open such a file.
constexpr char kMagic[] = "QUILLON-GRID";
constexpr int kVersion = 1;
constexpr int kMaxCount = Grid::kMaxCount;

bool IsEscaped(char ch) { return ch == '\\' || ch == '\t' || ch == '\n' || ch == '\r'; }

// Whether one of the bytes of two words (sixteen bytes; a word's unused
// bytes zero or repeated) is one the format escapes. Nearly every cell has
// none, which this finds for the whole cell at once.
#if defined(__SSE2__)
inline bool AnyEscaped(uint64_t first, uint64_t second) {
    const __m128i v = _mm_set_epi64x(static_cast<long long>(second), static_cast<long long>(first));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\\')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))),
                     _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))));
    return _mm_movemask_epi8(hits) != 0;
}
#else
inline bool AnyEscaped(uint64_t first, uint64_t second) {
    // A zero byte test of each word against each of the four.
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    const auto zero = [](uint64_t x) { return (x - kOnes) & ~x & kHighs; };
    const auto any = [&](uint64_t w) {
        return zero(w ^ (kOnes * '\\')) | zero(w ^ (kOnes * '\t')) | zero(w ^ (kOnes * '\n')) |
               zero(w ^ (kOnes * '\r'));
    };
    return (any(first) | any(second)) != 0;
}
#endif

bool NeedsEscape(std::string_view text) {
    const size_t n = text.size();
    if (n < 8) return std::any_of(text.begin(), text.end(), IsEscaped);
    uint64_t a, b;
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        std::memcpy(&a, text.data() + i, 8);
        std::memcpy(&b, text.data() + i + 8, 8);
        if (AnyEscaped(a, b)) return true;
    }
    if (i == n) return false;
    // The last sixteen bytes (or the last eight twice), overlapping the
    // words already looked at.
    std::memcpy(&a, text.data() + (n >= 16 ? n - 16 : 0), 8);
    std::memcpy(&b, text.data() + n - 8, 8);
    return AnyEscaped(a, b);
}

// Writes the text with its escapes at `out` (room for twice its size); the
// end of what was written.
char* WriteEscaped(char* out, std::string_view text) {
    if (!NeedsEscape(text)) {
        std::memcpy(out, text.data(), text.size());
        return out + text.size();
    }
    for (const char ch : text) {
        if (!IsEscaped(ch)) {
            *out++ = ch;
            continue;
        }
        *out++ = '\\';
        *out++ = ch == '\\' ? '\\' : ch == '\t' ? 't' : ch == '\n' ? 'n' : 'r';
    }
    return out;
}

// The file is written at out[used..]: room for `bytes` more is made by
// growing the buffer (never by shrinking it, so a buffer kept between saves
// is filled in place).
inline char* Room(std::string& out, size_t used, size_t bytes) {
    if (used + bytes > out.size()) out.resize(std::max(used + bytes, out.size() + out.size() / 2));
    return out.data() + used;
}

// Writes one cell at `p`, which has room for twice its text and eight bytes
// more; the end of what was written. The bytes past the end that a whole
// word writes are written over by what follows.
inline char* WriteCell(char* p, const GridCell& cell) {
    if (cell.IsShort()) {
        const uint64_t word = cell.ShortWord();
        if (!AnyEscaped(word, 0)) {
            std::memcpy(p, &word, 8);
            return p + cell.ShortSize();
        }
    }
    const std::string_view text = cell.View();
    const size_t n = text.size();
    if (n >= 8 && n <= 16) {
        // Two words, overlapping when the text is shorter than sixteen.
        uint64_t first, last;
        std::memcpy(&first, text.data(), 8);
        std::memcpy(&last, text.data() + n - 8, 8);
        if (!AnyEscaped(first, last)) {
            std::memcpy(p, &first, 8);
            std::memcpy(p + n - 8, &last, 8);
            return p + n;
        }
    }
    return WriteEscaped(p, text);
}

// One line of numbers separated by blanks.
size_t WriteNumbers(std::string& out, size_t used, const std::vector<int>& numbers) {
    char* p = Room(out, used, numbers.size() * 12 + 1);
    char* const start = p;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i) *p++ = ' ';
        p = std::to_chars(p, p + 11, numbers[i]).ptr;
    }
    *p++ = '\n';
    return used + size_t(p - start);
}

// Writes the unescaped text to `out` (room for in.size() bytes); its
// length, or -1 for an escape the format does not have.
std::ptrdiff_t Unescape(std::string_view in, char* out) {
    char* const start = out;
    for (size_t i = 0; i < in.size(); ++i) {
        char ch = in[i];
        if (ch != '\\') { *out++ = ch; continue; }
        if (++i >= in.size()) return -1;
        switch (in[i]) {
        case '\\': *out++ = '\\'; break;
        case 't': *out++ = '\t'; break;
        case 'n': *out++ = '\n'; break;
        case 'r': *out++ = '\r'; break;
        default: return -1;
        }
    }
    return out - start;
}

// Splits off the next line (without its '\n'); false at the end of data.
bool NextLine(std::string_view& data, std::string_view& line) {
    if (data.empty()) return false;
    size_t nl = data.find('\n');
    if (nl == std::string_view::npos) {
        line = data;
        data = {};
    } else {
        line = data.substr(0, nl);
        data.remove_prefix(nl + 1);
    }
    return true;
}

bool ParseInts(std::string_view line, std::vector<int>& out, size_t expected) {
    out.clear();
    // Every number takes a byte at least: a count the line cannot hold is
    // refused before anything is allocated for it.
    if (expected > line.size() + 1) return false;
    out.reserve(expected);
    const char* p = line.data();
    const char* end = p + line.size();
    while (p < end) {
        while (p < end && *p == ' ') ++p;
        if (p == end) break;
        int v = 0;
        auto [next, ec] = std::from_chars(p, end, v);
        if (ec != std::errc() || v < 0) return false;
        out.push_back(v);
        p = next;
    }
    return out.size() == expected;
}

void SetError(QString* error, const QString& text) {
    if (error) *error = text;
}

bool PlainFormByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == ':' ||
           c == '/' || c == '-' || c == ',';
}

void AppendForm(std::string& out, const char* key, const QString& form) {
    static const char kHex[] = "0123456789ABCDEF";
    out += ' ';
    out += key;
    out += '=';
    for (unsigned char c : form.toStdString()) {
        if (PlainFormByte(c)) {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<QString> DecodeForm(std::string_view value) {
    if (value.empty() || value.size() > 128) return std::nullopt;
    std::string bytes;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '%') {
            if (!PlainFormByte(static_cast<unsigned char>(value[i]))) return std::nullopt;
            bytes += value[i];
            continue;
        }
        if (i + 2 >= value.size()) return std::nullopt;
        const int hi = HexValue(value[i + 1]), lo = HexValue(value[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes += char(hi * 16 + lo);
        i += 2;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (utf8.hasError()) return std::nullopt;
    return text;
}

// The fields after the version number. Fields this version does not know
// are left for the versions that write them; a known one that does not
// read is damage.
bool ReadFields(std::string_view rest, Grid::TextForms& forms, QString* error) {
    if (rest.size() > 1024) return SetError(error, QStringLiteral("The file's first line is damaged.")), false;
    while (!rest.empty()) {
        const size_t blank = rest.find(' ');
        const std::string_view field = rest.substr(0, blank);
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
        const size_t eq = field.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = field.substr(0, eq);
        const bool dates = key == "dates";
        if (!dates && key != "times") continue;
        QString& target = dates ? forms.dates : forms.times;
        const std::optional<QString> form = DecodeForm(field.substr(eq + 1));
        const bool valid = form && target.isEmpty() &&
                           (dates ? DateText::OrderOfForm(*form).has_value() : DateText::IsTimeForm(*form));
        if (!valid)
            return SetError(error, dates ? QStringLiteral("The file's recorded date form is damaged.")
                                         : QStringLiteral("The file's recorded time form is damaged.")),
                   false;
        target = *form;
    }
    return true;
}
}  // namespace

bool GridFile::SerializeWith(const Grid& g, std::string& out, size_t flushAt, const Sink* sink) {
    std::string head = kMagic;
    head += ' ';
    head += std::to_string(kVersion);
    if (g.forms_.Known()) {
        AppendForm(head, "dates", g.forms_.dates);
        AppendForm(head, "times", g.forms_.times.isEmpty() ? DateText::TimeFormat() : g.forms_.times);
    }
    head += '\n';
    head += std::to_string(g.rows_);
    head += ' ';
    head += std::to_string(g.cols_);
    head += '\n';
    size_t used = head.size();
    std::memcpy(Room(out, 0, used), head.data(), used);
    const auto flush = [&]() {
        if (!sink || used < flushAt) return true;
        const bool taken = (*sink)(out.data(), used);
        used = 0;
        return taken;
    };
    used = WriteNumbers(out, used, g.widths_);
    if (!flush()) return false;
    used = WriteNumbers(out, used, g.heights_);
    if (!flush()) return false;
    const int cols = g.cols_;
    const GridCell* cell = g.cells_.data();
    for (int r = 0; r < g.rows_; ++r, cell += cols) {
        // A row's bytes are at most its texts twice over (every byte
        // escaped), its tabs and its line end; a word written whole may
        // reach eight bytes further.
        size_t bound = size_t(cols) + 8;
        for (int c = 0; c < cols; ++c) bound += 2 * cell[c].View().size();
        char* p = Room(out, used, bound);
        char* const start = p;
        for (int c = 0; c < cols; ++c) {
            p = WriteCell(p, cell[c]);
            *p++ = '\t';
        }
        // The last cell's tab becomes the line end.
        if (cols == 0) *p++ = '\n';
        else p[-1] = '\n';
        used += size_t(p - start);
        if (!flush()) return false;
    }
    std::memcpy(Room(out, used, 4), "END\n", 4);
    used += 4;
    if (sink) return (*sink)(out.data(), used);
    out.resize(used);
    return true;
}

std::string GridFile::Serialize(const Grid& g) {
    std::string out;
    SerializeWith(g, out, 0, nullptr);
    return out;
}

bool GridFile::SerializeTo(const Grid& g, const Sink& sink) {
    constexpr size_t kPiece = size_t(1) << 20;
    std::string buffer;
    buffer.reserve(kPiece + 4096);
    return SerializeWith(g, buffer, kPiece, &sink);
}

bool GridFile::Deserialize(Grid& g, const std::string& bytes, QString* error) {
    try {
        return DeserializeOwned(g, std::string(bytes), error);
    } catch (const std::bad_alloc&) {
    }
    SetError(error, QStringLiteral("There is not enough memory to load the file."));
    return false;
}

// The texts stay where they lie in `bytes`, which the grid keeps: an
// escaped text is unescaped in place (it only gets shorter), so reading a
// file costs the file and eight bytes a cell.
bool GridFile::DeserializeOwned(Grid& g, std::string bytes, QString* error) {
    // A damaged file must never take the program down: running out of
    // memory on it refuses the file like any other damage, grid unchanged.
    try {
    std::string_view data(bytes);
    std::string_view line;
    if (data.empty()) return SetError(error, QStringLiteral("The file is empty.")), false;
    if (!NextLine(data, line) || line.substr(0, sizeof kMagic - 1) != kMagic)
        return SetError(error, QStringLiteral("The file is not a Quillon grid file.")), false;
    int version = 0;
    Grid::TextForms forms;
    {
        std::string_view v = line.substr(sizeof kMagic - 1);
        while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
        auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), version);
        if (ec != std::errc() || version < 1)
            return SetError(error, QStringLiteral("The file's format version is unreadable.")), false;
        if (version > kVersion)
            return SetError(error, QStringLiteral("The file was written by a newer version of Quillon (format %1).").arg(version)), false;
        if (!ReadFields(v.substr(size_t(p - v.data())), forms, error)) return false;
    }
    std::vector<int> counts;
    if (!NextLine(data, line) || !ParseInts(line, counts, 2) || counts[0] > kMaxCount || counts[1] > 10000)
        return SetError(error, QStringLiteral("The file's row and column counts are damaged.")), false;
    const int rows = counts[0], cols = counts[1];
    std::vector<int> widths, heights;
    if (!NextLine(data, line) || !ParseInts(line, widths, size_t(cols)))
        return SetError(error, QStringLiteral("The file's column widths do not match its column count.")), false;
    if (!NextLine(data, line) || !ParseInts(line, heights, size_t(rows)))
        return SetError(error, QStringLiteral("The file's row heights do not match its row count.")), false;
    // Each row is a line holding its cells' tabs, so the rest of the file
    // must have at least rows x cols bytes; counts it cannot hold are damage,
    // not a reason to reserve memory.
    if (uint64_t(rows) * uint64_t(std::max(cols, 1)) > data.size())
        return SetError(error, QStringLiteral("The file is damaged or truncated: its counts claim more cells than it holds.")), false;
    std::vector<GridCell> cells;
    cells.reserve(size_t(rows) * cols);
    // Entries only for texts too long for a slice.
    auto arena = std::make_shared<GridArena>();
    for (int r = 0; r < rows; ++r) {
        if (!NextLine(data, line))
            return SetError(error, QStringLiteral("The file is truncated: %1 of %2 rows.").arg(r).arg(rows)), false;
        if (cols == 0) {
            if (!line.empty())
                return SetError(error, QStringLiteral("Row %1 of the file has cells but the grid has no columns.").arg(r)), false;
            continue;
        }
        int c = 0;
        size_t start = 0;
        while (true) {
            size_t tab = line.find('\t', start);
            std::string_view field = line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
            if (c >= cols) return SetError(error, QStringLiteral("Row %1 of the file is damaged.").arg(r)), false;
            if (field.size() > GridCell::kMaxBytes)
                return SetError(error, QStringLiteral("Row %1 of the file holds a cell too large to load.").arg(r)), false;
            if (field.find('\\') == std::string_view::npos) {
                cells.push_back(arena->Slice(field));
            } else {
                char* const at = bytes.data() + (field.data() - bytes.data());
                const std::ptrdiff_t length = Unescape(field, at);
                if (length < 0) return SetError(error, QStringLiteral("Row %1 of the file is damaged.").arg(r)), false;
                cells.push_back(arena->Slice(std::string_view(at, size_t(length))));
            }
            ++c;
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
        if (c != cols)
            return SetError(error, QStringLiteral("Row %1 of the file has %2 cells instead of %3.").arg(r).arg(c).arg(cols)), false;
    }
    if (!NextLine(data, line) || line != "END")
        return SetError(error, QStringLiteral("The file is truncated or has extra data.")), false;
    while (NextLine(data, line))
        if (!line.empty())
            return SetError(error, QStringLiteral("The file has data after its end.")), false;

    // The file's bytes stay as the texts' home while the texts take most
    // of them; otherwise (a file of a few huge texts, or mostly short
    // ones) the texts move into a home of their size and the file goes.
    std::vector<std::shared_ptr<const GridArena>> arenas;
    if (arena->SlicedBytes() * 2 >= bytes.size()) {
        arena->Adopt(std::move(bytes));
    } else if (arena->SlicedBytes() > 0) {
        const auto inFile = [&](std::string_view t) {
            return t.data() >= bytes.data() && t.data() < bytes.data() + bytes.size();
        };
        auto moved = std::make_shared<GridArena>();
        char* const home = moved->Adopt(std::string(arena->SlicedBytes(), '\0'));
        size_t at = 0;
        for (GridCell& cell : cells) {
            const std::string_view t = cell.View();
            if (!cell.Borrowed() || !inFile(t)) continue;
            std::memcpy(home + at, t.data(), t.size());
            cell = moved->Slice(std::string_view(home + at, t.size()));
            at += t.size();
        }
        bytes = {};
        arenas.push_back(std::move(moved));
    }
    if (arena->Capacity() > 0) arenas.push_back(std::move(arena));

    // Everything checked: replace the grid whole.
    g.rows_ = rows;
    g.cols_ = cols;
    g.cells_ = std::move(cells);
    g.arenas_ = std::move(arenas);
    g.ClearStyles();
    g.widths_ = std::move(widths);
    g.heights_ = std::move(heights);
    g.merges_.clear();
    g.forms_ = std::move(forms);
    g.activeRow_ = g.rows_ > 1 ? 1 : 0;
    g.activeCol_ = g.cols_ > 1 ? 1 : 0;
    g.selFirstRow_ = g.selLastRow_ = g.activeRow_;
    g.selFirstCol_ = g.selLastCol_ = g.activeCol_;
    g.DropHiddenActive();
    g.Notify(Grid::Change::Reset);
    return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    SetError(error, QStringLiteral("There is not enough memory to load the file."));
    return false;
}

bool GridFile::Save(const Grid& g, const QString& path, QString* error, const Written& written, bool* placed) {
    FileOps::SafeFile file;
    const bool saved = file.Open(path, error) && SerializeTo(g, [&](const char* data, size_t size) {
        if (!file.Write(data, qint64(size), error)) return false;
        if (written) written(std::string_view(data, size));
        return true;
    }) && file.Commit(error);
    if (placed) *placed = file.Placed();
    return saved;
}

bool GridFile::Load(Grid& g, const QString& path, QString* error, const Read& read) {
    if (const QString link = FileOps::LinkProblem(path); !link.isEmpty()) return SetError(error, link), false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, file.exists() ? file.errorString() : QStringLiteral("The file does not exist."));
        return false;
    }
    // Read straight into the buffer the parser works on: one copy of the file.
    std::string bytes;
    const qint64 size = file.size();
    if (size > (qint64(1) << 34)) return SetError(error, QStringLiteral("The file is too large.")), false;
    try {
        bytes.resize(size_t(size));
    } catch (const std::bad_alloc&) {
        return SetError(error, QStringLiteral("There is not enough memory to load the file.")), false;
    }
    if (size > 0 && file.read(bytes.data(), size) != size) {
        SetError(error, file.errorString().isEmpty() ? QStringLiteral("The file could not be read whole.") : file.errorString());
        return false;
    }
    if (read) read(bytes);
    return DeserializeOwned(g, std::move(bytes), error);
}

// Grid's own file members are this format too.
std::string Grid::Serialize() const { return GridFile::Serialize(*this); }

bool Grid::Deserialize(const std::string& data, QString* error) { return GridFile::Deserialize(*this, data, error); }

bool Grid::SaveFile(const QString& path, QString* error) const { return GridFile::Save(*this, path, error); }

bool Grid::LoadFile(const QString& path, QString* error) { return GridFile::Load(*this, path, error); }

#include "platform/GridFile.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <new>
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

void AppendEscaped(std::string& out, const std::string& text) {
    for (char ch : text) {
        switch (ch) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += ch;
        }
    }
}

bool Unescape(std::string_view in, std::string& out) {
    out.clear();
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        char ch = in[i];
        if (ch != '\\') { out += ch; continue; }
        if (++i >= in.size()) return false;
        switch (in[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return false;
        }
    }
    return true;
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

std::string GridFile::Serialize(const Grid& g) {
    std::string out;
    size_t estimate = 64 + size_t(g.cols_) * 6 + size_t(g.rows_) * 4;
    for (const auto& c : g.cells_) estimate += c.size() + 1;
    out.reserve(estimate + estimate / 16);
    out += kMagic;
    out += ' ';
    out += std::to_string(kVersion);
    if (g.forms_.Known()) {
        AppendForm(out, "dates", g.forms_.dates);
        AppendForm(out, "times", g.forms_.times.isEmpty() ? DateText::TimeFormat() : g.forms_.times);
    }
    out += '\n';
    out += std::to_string(g.rows_);
    out += ' ';
    out += std::to_string(g.cols_);
    out += '\n';
    char buf[16];
    for (int c = 0; c < g.cols_; ++c) {
        if (c) out += ' ';
        auto [p, ec] = std::to_chars(buf, buf + sizeof buf, g.widths_[c]);
        out.append(buf, p);
    }
    out += '\n';
    for (int r = 0; r < g.rows_; ++r) {
        if (r) out += ' ';
        auto [p, ec] = std::to_chars(buf, buf + sizeof buf, g.heights_[r]);
        out.append(buf, p);
    }
    out += '\n';
    for (int r = 0; r < g.rows_; ++r) {
        for (int c = 0; c < g.cols_; ++c) {
            if (c) out += '\t';
            AppendEscaped(out, g.cells_[size_t(r) * g.cols_ + c]);
        }
        out += '\n';
    }
    out += "END\n";
    return out;
}

bool GridFile::Deserialize(Grid& g, const std::string& bytes, QString* error) {
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
    std::vector<std::string> cells;
    cells.reserve(size_t(rows) * cols);
    std::string cell;
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
            if (field.find('\\') == std::string_view::npos) {
                cells.emplace_back(field);
            } else {
                if (!Unescape(field, cell))
                    return SetError(error, QStringLiteral("Row %1 of the file is damaged.").arg(r)), false;
                cells.push_back(cell);
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

    // Everything checked: replace the grid whole.
    g.rows_ = rows;
    g.cols_ = cols;
    g.cells_ = std::move(cells);
    g.styles_.clear();
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

bool GridFile::Save(const Grid& g, const QString& path, QString* error) {
    const std::string data = Serialize(g);
    return FileOps::WriteFileSafely(path, data.data(), qint64(data.size()), error);
}

bool GridFile::Load(Grid& g, const QString& path, QString* error, std::string* bytesRead) {
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
    if (!Deserialize(g, bytes, error)) return false;
    if (bytesRead) *bytesRead = std::move(bytes);
    return true;
}

// Grid's own file members are this format too.
std::string Grid::Serialize() const { return GridFile::Serialize(*this); }

bool Grid::Deserialize(const std::string& data, QString* error) { return GridFile::Deserialize(*this, data, error); }

bool Grid::SaveFile(const QString& path, QString* error) const { return GridFile::Save(*this, path, error); }

bool Grid::LoadFile(const QString& path, QString* error) { return GridFile::Load(*this, path, error); }

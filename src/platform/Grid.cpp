#include "platform/Grid.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>
#include <unordered_map>
#include <type_traits>

#include "platform/DateText.h"


Grid::Grid(int rows, int cols) {
    SetCols(cols);
    SetRows(rows);
}

Grid::Grid(const Grid& other) { AssignTable(other); }

Grid& Grid::operator=(const Grid& other) {
    if (this != &other) {
        AssignTable(other);
        Notify(Change::Reset);
    }
    return *this;
}

Grid& Grid::operator=(Grid&& other) noexcept {
    if (this != &other) {
        AssignTable(std::move(other));
        other.ClearRows();   // tells the other grid's views it is empty
        Notify(Change::Reset);
    }
    return *this;
}

Grid::~Grid() = default;

// The texts the source set one by one (a block each) go into one arena of
// the copy: copying a grid, and dropping the copy, then cost a few large
// allocations instead of one per cell. Arena entries are shared as they are,
// unless the arenas mostly hold texts no cell shows any more (cells set
// again after copies of copies): then every text goes into the new arena, so
// what a grid keeps stays within about twice what it holds.
void Grid::CopyCells(const Grid& other) {
    size_t owned = 0, borrowed = 0, kept = 0;
    for (const GridCell& cell : other.cells_) {
        if (cell.OwnsBlock()) owned += sizeof(uint32_t) + cell.View().size() + 3;
        else if (cell.Borrowed()) borrowed += sizeof(uint32_t) + cell.View().size() + 3;
    }
    for (const auto& arena : other.arenas_) kept += arena->Used();
    const bool repack = kept > 2 * borrowed + (size_t(1) << 20);
    if (owned == 0 && !repack) {
        cells_ = other.cells_;
        arenas_ = other.arenas_;
        return;
    }
    auto arena = std::make_shared<GridArena>(owned + (repack ? borrowed : 0));
    std::vector<GridCell> cells;
    cells.reserve(other.cells_.size());
    for (const GridCell& cell : other.cells_)
        cells.push_back(cell.OwnsBlock() || (repack && cell.Borrowed()) ? arena->Add(cell.View()) : cell);
    cells_ = std::move(cells);
    if (repack) arenas_.clear();
    else arenas_ = other.arenas_;
    arenas_.push_back(std::move(arena));
}

// Copies or moves the table (not the observers or the life token).
template <class Source>
void Grid::AssignTable(Source&& other) {
    rows_ = other.rows_;
    cols_ = other.cols_;
    if constexpr (std::is_lvalue_reference_v<Source>) {
        CopyCells(other);
    } else {
        cells_ = std::move(other.cells_);
        arenas_ = std::move(other.arenas_);
    }
    styles_ = std::forward<Source>(other).styles_;
    palette_ = std::forward<Source>(other).palette_;
    widths_ = std::forward<Source>(other).widths_;
    heights_ = std::forward<Source>(other).heights_;
    merges_ = std::forward<Source>(other).merges_;
    forms_ = std::forward<Source>(other).forms_;
    activeRow_ = other.activeRow_;
    activeCol_ = other.activeCol_;
    selFirstRow_ = other.selFirstRow_;
    selLastRow_ = other.selLastRow_;
    selFirstCol_ = other.selFirstCol_;
    selLastCol_ = other.selLastCol_;
    redraw_ = true;
}

void Grid::Notify(Change change, int row, int col) const {
    if (!redraw_) return;
    for (const auto& [id, obs] : observers_) obs(change, row, col);
}

int Grid::AddObserver(Observer observer) {
    observers_.emplace_back(nextObserver_, std::move(observer));
    return nextObserver_++;
}

void Grid::RemoveObserver(int id) {
    observers_.erase(std::remove_if(observers_.begin(), observers_.end(),
                                    [id](const auto& p) { return p.first == id; }),
                     observers_.end());
}

void Grid::SetRedraw(bool on) {
    if (redraw_ == on) return;
    redraw_ = on;
    if (on) {
        DropHiddenActive();
        Notify(Change::Reset);
    }
}

void Grid::DropHiddenActive() {
    // A row the user cannot see is no row to act on: commands that need an
    // active task then find the header row, as with no task selected.
    if (activeRow_ < 1 || activeRow_ >= rows_ || heights_[size_t(activeRow_)] > 0) return;
    activeRow_ = 0;
    selFirstRow_ = selLastRow_ = 0;
    selFirstCol_ = selLastCol_ = activeCol_;
}

void Grid::SetRows(int rows) {
    if (rows < 0) return;   // a count below zero is refused, not read as 0
    rows = std::min(rows, kMaxCount);
    if (rows == rows_) return;
    const int before = rows_;
    cells_.resize(size_t(rows) * cols_);
    if (!styles_.empty()) styles_.resize(size_t(rows) * cols_);
    heights_.resize(rows, kShownRowHeight);
    rows_ = rows;
    merges_.erase(std::remove_if(merges_.begin(), merges_.end(),
                                 [&](const Merge& m) { return m.row2 >= rows_; }),
                  merges_.end());
    ClampActive();
    if (rows > before) Notify(Change::RowsInserted, before, rows - 1);
    else Notify(Change::RowsRemoved, rows, before - 1);
}

void Grid::SetCols(int cols) {
    if (cols < 0) return;
    cols = std::min(cols, 10000);
    if (cols == cols_) return;
    std::vector<GridCell> cells(size_t(rows_) * cols);
    StyleIndex styles;
    if (!styles_.empty()) styles.resize(size_t(rows_) * cols);
    const int keep = std::min(cols, cols_);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < keep; ++c) {
            cells[size_t(r) * cols + c] = std::move(cells_[size_t(r) * cols_ + c]);
            if (!styles.empty()) styles.Set(size_t(r) * cols + c, styles_[size_t(r) * cols_ + c]);
        }
    cells_ = std::move(cells);
    styles_ = std::move(styles);
    widths_.resize(cols, kDefaultColumnWidth);
    cols_ = cols;
    merges_.erase(std::remove_if(merges_.begin(), merges_.end(),
                                 [&](const Merge& m) { return m.col2 >= cols_; }),
                  merges_.end());
    ClampActive();
    Notify(Change::Reset);
}

void Grid::ClampActive() {
    activeRow_ = std::clamp(activeRow_, 0, std::max(0, rows_ - 1));
    activeCol_ = std::clamp(activeCol_, 0, std::max(0, cols_ - 1));
    selFirstRow_ = std::clamp(selFirstRow_, 0, std::max(0, rows_ - 1));
    selLastRow_ = std::clamp(selLastRow_, 0, std::max(0, rows_ - 1));
    selFirstCol_ = std::clamp(selFirstCol_, 0, std::max(0, cols_ - 1));
    selLastCol_ = std::clamp(selLastCol_, 0, std::max(0, cols_ - 1));
}

QString Grid::Text(int row, int col) const {
    const std::string_view text = TextUtf8(row, col);
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

namespace {
QString Shown(std::string_view text) {
    if (text.size() <= Grid::kShownBytes) return QString::fromUtf8(text.data(), qsizetype(text.size()));
    // Cut before a continuation byte, so no character is split.
    size_t cut = Grid::kShownBytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return QString::fromUtf8(text.data(), qsizetype(cut)) + QChar(0x2026);
}
}  // namespace

QString Grid::ShownText(int row, int col) const { return Shown(TextUtf8(row, col)); }

void Grid::SetText(int row, int col, const QString& text) {
    SetTextUtf8(row, col, text.toStdString());
}

void Grid::SetTextUtf8(int row, int col, std::string text) {
    if (!ValidCell(row, col)) return;
    cells_[size_t(row) * cols_ + col] = GridCell(text);
    Notify(Change::Cell, row, col);
}

void Grid::ClearStyles() {
    styles_.clear();
    palette_ = {Style{}};
    lastInterned_ = 0;
}

uint16_t Grid::Intern(const Style& style) {
    // Passes set the same few styles over and over.
    if (lastInterned_ < palette_.size() && palette_[lastInterned_] == style) return uint16_t(lastInterned_);
    for (size_t i = 0; i < palette_.size(); ++i)
        if (palette_[i] == style) return uint16_t(lastInterned_ = i);
    if (palette_.size() >= kNoStyle) {
        // Full: keep only the styles some cell still has.
        std::vector<uint16_t> now(palette_.size(), kNoStyle);
        std::vector<Style> kept = {Style{}};
        now[0] = 0;
        for (size_t i = 0; i < styles_.size(); ++i) {
            const uint16_t at = styles_[i];
            if (now[at] == kNoStyle) {
                now[at] = uint16_t(kept.size());
                kept.push_back(palette_[at]);
            }
            styles_.Set(i, now[at]);
        }
        palette_ = std::move(kept);
        lastInterned_ = 0;
        if (palette_.size() >= kNoStyle) return kNoStyle;
    }
    palette_.push_back(style);
    return uint16_t(lastInterned_ = palette_.size() - 1);
}

template <class Edit>
bool Grid::ChangeStyle(int row, int col, Edit edit) {
    if (styles_.empty()) styles_.resize(size_t(rows_) * cols_);
    Style style = StyleOf(row, col);
    edit(style);
    const uint16_t at = Intern(style);
    if (at == kNoStyle) return false;
    styles_.Set(size_t(row) * cols_ + col, at);
    return true;
}

uint32_t Grid::BackColor(int row, int col) const {
    if (!ValidCell(row, col) || styles_.empty()) return kWhite;
    return StyleOf(row, col).back;
}

uint32_t Grid::ForeColor(int row, int col) const {
    if (!ValidCell(row, col) || styles_.empty()) return kBlack;
    return StyleOf(row, col).fore;
}

bool Grid::Bold(int row, int col) const {
    if (!ValidCell(row, col) || styles_.empty()) return false;
    return StyleOf(row, col).bold;
}

void Grid::SetBackColor(int row, int col, uint32_t colour) {
    if (!ValidCell(row, col) || !ChangeStyle(row, col, [&](Style& s) { s.back = colour; })) return;
    Notify(Change::Cell, row, col);
}

void Grid::SetForeColor(int row, int col, uint32_t colour) {
    if (!ValidCell(row, col) || !ChangeStyle(row, col, [&](Style& s) { s.fore = colour; })) return;
    Notify(Change::Cell, row, col);
}

void Grid::SetBold(int row, int col, bool bold) {
    if (!ValidCell(row, col) || !ChangeStyle(row, col, [&](Style& s) { s.bold = bold; })) return;
    Notify(Change::Cell, row, col);
}

void Grid::SetRangeBackColor(int row1, int col1, int row2, int col2, uint32_t colour) {
    const bool was = redraw_;
    redraw_ = false;
    for (int r = std::max(0, row1); r <= std::min(row2, rows_ - 1); ++r)
        for (int c = std::max(0, col1); c <= std::min(col2, cols_ - 1); ++c)
            SetBackColor(r, c, colour);
    redraw_ = was;
    Notify(Change::Reset);
}

int Grid::ColumnWidth(int col) const {
    return col >= 0 && col < cols_ ? widths_[col] : 0;
}

void Grid::SetColumnWidth(int col, int width) {
    if (col < 0 || col >= cols_) return;
    widths_[col] = std::max(0, width);
    Notify(Change::Layout, -1, col);
}

namespace {
struct InstalledMeasures {
    Grid::TextMeasure text;
    Grid::AsciiMeasure ascii;
};

InstalledMeasures& Installed() {
    static InstalledMeasures measures;
    return measures;
}

// The width of a text of printable ASCII lines as the font lays it out
// (its advances and pair kerning added up, rounded as the layout rounds);
// -1 when a byte is not printable ASCII (the text is laid out).
int AsciiWidth(std::string_view text, Grid::AsciiFont& font) {
    float widest = 0, line = 0;
    unsigned char before = 0;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == '\n') {
            widest = std::max(widest, line);
            line = 0;
            before = 0;
            continue;
        }
        if (byte < 0x20 || byte >= 0x7F) return -1;
        line += font.advance[byte];
        if (before) {
            float& kerning = font.kerning[before][byte];
            if (kerning == Grid::AsciiFont::kUnknown)
                kerning = font.pairKerning ? font.pairKerning(before, byte) : 0.0f;
            line += kerning;
        }
        before = byte;
    }
    return int(std::floor(std::max(widest, line) + 0.5f));
}
}  // namespace

void Grid::SetTextMeasure(TextMeasure measure, AsciiMeasure ascii) {
    Installed() = {std::move(measure), std::move(ascii)};
}

void Grid::AutoFit(int col) {
    const InstalledMeasures& installed = Installed();
    if (installed.text) {
        if (installed.ascii) {
            const AsciiFonts fonts = installed.ascii();
            AutoFit(col, installed.text(), &fonts);
        } else {
            AutoFit(col, installed.text());
        }
        return;
    }
    AutoFit(col, [](const QString& text, bool) { return int(text.toUtf8().size()) * 7; });
}

void Grid::AutoFit(int col, const TextWidth& width, const AsciiFonts* ascii) {
    // A hidden column stays hidden: showing it again is the column
    // chooser's decision (it gives the column a width first).
    if (col < 0 || col >= cols_ || widths_[col] == 0) return;
    int widest = 0;
    // Widths depend only on the distinct texts; a task column repeats a lot.
    std::string_view last;
    for (int r = 0; r < rows_; ++r) {
        const std::string_view t = cells_[size_t(r) * cols_ + col].View();
        if (t.empty() || (r > 1 && t == last)) continue;
        last = t;
        const bool bold = r == 0 || Bold(r, col);
        if (AsciiFont* font = !ascii || t.size() > kShownBytes ? nullptr : bold ? ascii->bold.get() : ascii->regular.get()) {
            const int w = AsciiWidth(t, *font);
            if (w >= 0) {
                widest = std::max(widest, std::min(w, ascii->widest));
                continue;
            }
        }
        const QString s = Shown(t);
        int w = 0;
        for (const QString& line : s.split('\n')) w = std::max(w, width(line, bold));
        widest = std::max(widest, w);
    }
    widths_[col] = std::max(widest + 12, 20);
    Notify(Change::Layout, -1, col);
}

int Grid::RowHeight(int row) const {
    return row >= 0 && row < rows_ ? heights_[row] : 0;
}

void Grid::SetRowHeight(int row, int height) {
    if (row < 0 || row >= rows_) return;
    height = std::max(0, height);
    if (heights_[row] == height) return;
    heights_[row] = height;
    if (height == 0 && row == activeRow_ && redraw_) {
        DropHiddenActive();
        Notify(Change::Active, activeRow_, activeCol_);
    }
    Notify(Change::Layout, row, -1);
}

void Grid::AddItem(const QString& tabSeparated) {
    if (rows_ >= kMaxCount) return;
    const bool was = redraw_;
    redraw_ = false;
    SetRows(rows_ + 1);
    const int row = rows_ - 1;
    const QStringList fields = tabSeparated.split('\t');
    for (int i = 0; i < fields.size() && i + 1 < cols_; ++i) {
        const QByteArray utf8 = fields[i].toUtf8();
        cells_[size_t(row) * cols_ + i + 1] = GridCell(std::string_view(utf8.constData(), size_t(utf8.size())));
    }
    redraw_ = was;
    Notify(Change::RowsInserted, row, row);
}

void Grid::ClearRows() {
    cells_.clear();
    arenas_.clear();
    ClearStyles();
    widths_.clear();
    heights_.clear();
    merges_.clear();
    rows_ = cols_ = 0;
    activeRow_ = activeCol_ = 0;
    selFirstRow_ = selLastRow_ = selFirstCol_ = selLastCol_ = 0;
    Notify(Change::Reset);
}

namespace {
// Sort key of one cell: numbers before dates before texts, each in its order.
// Made once per row before sorting, so no text is parsed in a comparison;
// sixteen bytes, so a million rows sort in a few megabytes. A text is
// compared where it lies, in its cell (the cells stay put until the order
// is settled).
struct SortKey {
    double number;   // the number; the date's day; for other texts their place in `others`
    int kind;        // 0 number, 1 date, 2 ASCII text, 3 other text
    int row;
};

bool IsAscii(std::string_view t) {
    for (const char c : t)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Without regard to case, as QString compares: for ASCII that is the bytes
// with the capitals folded to small letters.
int CompareAscii(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}
}  // namespace

void Grid::Sort(int col, int order) {
    if (col < 0 || col >= cols_ || rows_ <= 2) return;
    const int n = rows_ - 1;
    const auto text = [&](int row) { return cells_[size_t(row) * cols_ + col].View(); };
    std::vector<SortKey> keys;
    keys.reserve(size_t(n));
    std::vector<QString> others;   // the texts that are not ASCII, as QString compares them
    const auto qtext = [&](const SortKey& k) {
        if (k.kind == 3) return others[size_t(k.number)];
        const std::string_view t = text(k.row);
        return QString::fromLatin1(t.data(), qsizetype(t.size()));
    };
    // ASCII and other texts are one kind, compared as QString compares them.
    const auto compareTexts = [&](const SortKey& a, const SortKey& b) {
        if (a.kind == 2 && b.kind == 2) return CompareAscii(text(a.row), text(b.row));
        return qtext(a).compare(qtext(b), Qt::CaseInsensitive);
    };
    // A column of few distinct texts (statuses, names, times) is read once
    // per distinct text, and its texts sort by their rank among those.
    constexpr size_t kMostDistinct = 65536;
    std::unordered_map<std::string_view, SortKey> distinct;
    bool ranked = true;
    for (int r = 1; r < rows_; ++r) {
        const std::string_view t = text(r);
        if (ranked) {
            if (const auto seen = distinct.find(t); seen != distinct.end()) {
                SortKey k = seen->second;
                k.row = r;
                keys.push_back(k);
                continue;
            }
        }
        SortKey k{0, 2, r};
        if (!t.empty()) {
            double v = 0;
            auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
            // from_chars also reads "nan", "inf" and "infinity" in any case;
            // those are words (a NaN would compare equal to every number).
            if (ec == std::errc() && p == t.data() + t.size() && std::isfinite(v)) {
                k.kind = 0;
                k.number = v;
            } else if (auto d = DateText::ParseDateUtf8(t)) {
                k.kind = 1;
                k.number = double(d->toJulianDay());
            }
        }
        if (k.kind == 2 && !IsAscii(t)) {
            k.kind = 3;
            k.number = double(others.size());
            others.push_back(QString::fromUtf8(t.data(), qsizetype(t.size())));
        }
        keys.push_back(k);
        // Mostly distinct texts (task IDs) are compared where they lie.
        if (ranked && distinct.size() < kMostDistinct && (distinct.size() < 1024 || distinct.size() < size_t(r) / 2))
            distinct.emplace(t, k);
        else if (ranked)
            distinct.clear(), ranked = false;
    }
    if (ranked) {
        // Texts equal but for case share a rank: their rows keep their order.
        std::vector<SortKey> texts;
        for (const auto& [t, k] : distinct)
            if (k.kind >= 2) texts.push_back(k);
        std::sort(texts.begin(), texts.end(), [&](const SortKey& a, const SortKey& b) { return compareTexts(a, b) < 0; });
        std::unordered_map<std::string_view, double> rank;
        double at = -1;
        for (size_t i = 0; i < texts.size(); ++i) {
            if (i == 0 || compareTexts(texts[i - 1], texts[i]) != 0) ++at;
            rank.emplace(text(texts[i].row), at);
        }
        for (SortKey& k : keys)
            if (k.kind >= 2) k.number = rank.at(text(k.row));
    }
    const auto compare = [&](const SortKey& a, const SortKey& b) {
        const int ka = std::min(a.kind, 2), kb = std::min(b.kind, 2);
        if (ka != kb) return ka < kb ? -1 : 1;
        if (ka < 2 || ranked) return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
        return compareTexts(a, b);
    };
    std::stable_sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
        const int c = compare(a, b);
        return order == 1 ? c > 0 : c < 0;
    });
    // Row i takes the row from[i]: the rows move in place, one cycle of the
    // order after another, so no second table is made.
    std::vector<int> from(static_cast<size_t>(rows_));
    from[0] = 0;
    for (int i = 0; i < n; ++i) from[size_t(i) + 1] = keys[size_t(i)].row;
    keys = {};
    others = {};
    const bool styled = !styles_.empty();
    std::vector<GridCell> cellsHeld(static_cast<size_t>(cols_));
    std::vector<uint16_t> stylesHeld(styled ? size_t(cols_) : 0);
    const auto moveStyles = [&](int from, int to) {
        for (int c = 0; c < cols_; ++c) styles_.Set(size_t(to) * cols_ + c, styles_[size_t(from) * cols_ + c]);
    };
    const auto cellAt = [&](int row) { return cells_.begin() + ptrdiff_t(row) * cols_; };
    for (int start = 1; start < rows_; ++start) {
        if (from[size_t(start)] == start || from[size_t(start)] < 0) continue;
        std::move(cellAt(start), cellAt(start) + cols_, cellsHeld.begin());
        if (styled)
            for (int c = 0; c < cols_; ++c) stylesHeld[size_t(c)] = styles_[size_t(start) * cols_ + c];
        const int heightHeld = heights_[size_t(start)];
        int to = start;
        while (true) {
            const int source = from[size_t(to)];
            from[size_t(to)] = -1;
            if (source == start) {
                std::move(cellsHeld.begin(), cellsHeld.end(), cellAt(to));
                if (styled)
                    for (int c = 0; c < cols_; ++c) styles_.Set(size_t(to) * cols_ + c, stylesHeld[size_t(c)]);
                heights_[size_t(to)] = heightHeld;
                break;
            }
            std::move(cellAt(source), cellAt(source) + cols_, cellAt(to));
            if (styled) moveStyles(source, to);
            heights_[size_t(to)] = heights_[size_t(source)];
            to = source;
        }
    }
    Notify(Change::Reset);
}

void Grid::SetActiveCell(int row, int col) {
    if (!ValidCell(row, col)) return;
    activeRow_ = row;
    activeCol_ = col;
    selFirstRow_ = selLastRow_ = row;
    selFirstCol_ = selLastCol_ = col;
    Notify(Change::Active, row, col);
}

void Grid::SelectRange(int row1, int col1, int row2, int col2) {
    if (!ValidCell(row1, col1) || !ValidCell(row2, col2)) return;
    activeRow_ = row1;
    activeCol_ = col1;
    selFirstRow_ = std::min(row1, row2);
    selLastRow_ = std::max(row1, row2);
    selFirstCol_ = std::min(col1, col2);
    selLastCol_ = std::max(col1, col2);
    Notify(Change::Active, row1, col1);
}

void Grid::SetSelection(int activeRow, int activeCol, int row1, int col1, int row2, int col2) {
    if (!ValidCell(row1, col1) || !ValidCell(row2, col2) || !ValidCell(activeRow, activeCol)) return;
    activeRow_ = activeRow;
    activeCol_ = activeCol;
    selFirstRow_ = std::min(row1, row2);
    selLastRow_ = std::max(row1, row2);
    selFirstCol_ = std::min(col1, col2);
    selLastCol_ = std::max(col1, col2);
    Notify(Change::Active, activeRow, activeCol);
}

void Grid::DeleteSelectedRows() {
    std::vector<int> rows;
    for (int r = std::max(1, selFirstRow_); r <= std::min(selLastRow_, rows_ - 1); ++r)
        if (heights_[size_t(r)] > 0) rows.push_back(r);
    DeleteRowList(rows);
}

void Grid::DeleteRowList(const std::vector<int>& rows) {
    if (rows.empty()) return;
    std::vector<char> gone(size_t(rows_), 0);
    for (int r : rows)
        if (r >= 1 && r < rows_) gone[size_t(r)] = 1;
    // One unbroken block goes as one range (the views move their rows).
    const auto first = std::find(gone.begin(), gone.end(), 1);
    if (first == gone.end()) return;
    const auto afterBlock = std::find(first, gone.end(), 0);
    if (std::find(afterBlock, gone.end(), 1) == gone.end()) {
        DeleteRows(int(first - gone.begin()), int(afterBlock - gone.begin()) - 1);
        return;
    }
    // Rows with gaps between them: one compaction pass and one reset.
    int to = 0;
    int firstGone = -1;
    for (int r = 0; r < rows_; ++r) {
        if (gone[size_t(r)]) {
            if (firstGone < 0) firstGone = r;
            continue;
        }
        if (to != r) {
            for (int c = 0; c < cols_; ++c) {
                cells_[size_t(to) * cols_ + c] = std::move(cells_[size_t(r) * cols_ + c]);
                if (!styles_.empty()) styles_.Set(size_t(to) * cols_ + c, styles_[size_t(r) * cols_ + c]);
            }
            heights_[size_t(to)] = heights_[size_t(r)];
        }
        ++to;
    }
    if (firstGone < 0) return;
    cells_.resize(size_t(to) * cols_);
    if (!styles_.empty()) styles_.resize(size_t(to) * cols_);
    heights_.resize(size_t(to));
    rows_ = to;
    merges_.erase(std::remove_if(merges_.begin(), merges_.end(),
                                 [&](const Merge& m) { return m.row2 >= firstGone; }),
                  merges_.end());
    activeRow_ = std::min(firstGone, rows_ - 1);
    selFirstRow_ = selLastRow_ = activeRow_;
    selFirstCol_ = selLastCol_ = activeCol_;
    ClampActive();
    DropHiddenActive();
    Notify(Change::Reset);
}

void Grid::DeleteRows(int firstRow, int lastRow) {
    firstRow = std::max(firstRow, 1);   // the header row is never deleted
    lastRow = std::min(lastRow, rows_ - 1);
    if (firstRow > lastRow) return;
    const int count = lastRow - firstRow + 1;
    cells_.erase(cells_.begin() + size_t(firstRow) * cols_,
                 cells_.begin() + size_t(lastRow + 1) * cols_);
    if (!styles_.empty())
        styles_.Erase(size_t(firstRow) * cols_, size_t(lastRow + 1) * cols_);
    heights_.erase(heights_.begin() + firstRow, heights_.begin() + lastRow + 1);
    rows_ -= count;
    merges_.erase(std::remove_if(merges_.begin(), merges_.end(),
                                 [&](const Merge& m) { return m.row2 >= firstRow; }),
                  merges_.end());
    activeRow_ = std::min(firstRow, rows_ - 1);
    selFirstRow_ = selLastRow_ = activeRow_;
    ClampActive();
    DropHiddenActive();
    Notify(Change::RowsRemoved, firstRow, lastRow);
}

void Grid::MergeRange(int row1, int col1, int row2, int col2) {
    if (!ValidCell(row1, col1) || !ValidCell(row2, col2)) return;
    Merge m{std::min(row1, row2), std::min(col1, col2), std::max(row1, row2), std::max(col1, col2)};
    merges_.erase(std::remove_if(merges_.begin(), merges_.end(),
                                 [&](const Merge& o) {
                                     return !(o.row2 < m.row1 || o.row1 > m.row2 ||
                                              o.col2 < m.col1 || o.col1 > m.col2);
                                 }),
                  merges_.end());
    merges_.push_back(m);
    Notify(Change::Reset);
}

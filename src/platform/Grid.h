#pragma once
// The grid component: a plain in-memory table of text cells with the
// attributes the windows rely on (column widths, row heights, colours, bold,
// merges, active cell, selection). Row 0 is the header row, column 0 the
// fixed column. Views observe it through GridModel (GridView.h); the grid
// itself owns no widget, so whole-grid passes are plain loops.
//
// Cell texts are kept as UTF-8 in eight bytes a cell (GridCell): a grid of
// empty cells takes a few times its file's size, not thirty, and the texts
// of a file read stay in the file's bytes rather than one allocation per cell.

#include <QString>
#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GridCell.h"

// A cell's text as stored, UTF-8, valid until that cell or the grid's rows
// change: it reads as a std::string_view and becomes a std::string where one
// is asked for.
class GridText : public std::string_view {
public:
    GridText() = default;
    GridText(std::string_view text) : std::string_view(text) {}
    operator std::string() const { return std::string(data(), size()); }
};

class Grid {
public:
    static constexpr int kShownRowHeight = 18;
    static constexpr int kDefaultColumnWidth = 64;
    static constexpr uint32_t kWhite = 0xFFFFFF;   // colour numbers: red in the low byte
    static constexpr uint32_t kBlack = 0x000000;
    static constexpr int kMaxCount = 50'000'000;   // rows a grid (or its file) may hold

    // RowsInserted and RowsRemoved carry the first and last row of the range
    // (in the row and col arguments), so views move rows instead of resetting.
    enum class Change { Cell, Layout, Reset, Active, RowsInserted, RowsRemoved };
    using Observer = std::function<void(Change, int row, int col)>;

    Grid(int rows = 1, int cols = 2);
    // Copies carry the table, never the observers: a view watches one grid.
    Grid(const Grid& other);
    Grid& operator=(const Grid& other);
    // Takes the other grid's table (it is left empty); observers stay put.
    Grid& operator=(Grid&& other) noexcept;
    ~Grid();

    // Counts include row 0 and column 0. Setting them adds or drops at the end.
    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    void SetRows(int rows);
    void SetCols(int cols);

    // Read for every row of every pass: defined here, inline.
    GridText TextUtf8(int row, int col) const {
        if (!ValidCell(row, col)) return {};
        return cells_[size_t(row) * cols_ + col].View();
    }
    // A pass about to read this cell's text asks for it ahead.
    void Prefetch(int row, int col) const {
        if (ValidCell(row, col)) cells_[size_t(row) * cols_ + col].Prefetch();
    }
    QString Text(int row, int col) const;
    // The start of a cell's text as a window shows it: a text longer than
    // kShownBytes is cut at a character and ends in "…", so a huge cell costs
    // a view or a column fit no more than a long one.
    static constexpr size_t kShownBytes = 4096;
    QString ShownText(int row, int col) const;
    void SetText(int row, int col, const QString& text);
    void SetTextUtf8(int row, int col, std::string text);

    // Decimal colour numbers as the windows store them (red in the low byte).
    uint32_t BackColor(int row, int col) const;
    uint32_t ForeColor(int row, int col) const;
    bool Bold(int row, int col) const;
    void SetBackColor(int row, int col, uint32_t colour);
    void SetForeColor(int row, int col, uint32_t colour);
    void SetBold(int row, int col, bool bold);
    bool HasCustomStyle() const { return !styles_.empty(); }

    int ColumnWidth(int col) const;
    void SetColumnWidth(int col, int width);       // 0 hides
    // Fits the width to the texts; a hidden column stays hidden. The texts
    // are measured by `width` (bold: the header row and bold cells), or by
    // the measure the windows install; without one, by a character estimate.
    using TextWidth = std::function<int(const QString& text, bool bold)>;
    using TextMeasure = std::function<TextWidth()>;   // made once per fit
    // One font weight's advances of the printable ASCII characters and the
    // kerning between pairs of them, with which a plain ASCII line is
    // measured by adding up (as the font lays it out) instead of being laid
    // out: a column of 100,000 task IDs fits in milliseconds. A pair's
    // kerning is asked for the first time the pair occurs.
    struct AsciiFont {
        static constexpr float kUnknown = 1e30f;
        float advance[128] = {};
        float kerning[128][128];
        std::function<float(unsigned char first, unsigned char second)> pairKerning;
        AsciiFont() { std::fill(&kerning[0][0], &kerning[0][0] + 128 * 128, kUnknown); }
    };
    struct AsciiFonts {
        std::shared_ptr<AsciiFont> regular, bold;
        int widest = INT_MAX;   // no text counts as wider (the text measure's limit)
    };
    using AsciiMeasure = std::function<AsciiFonts()>;   // asked once per fit
    static void SetTextMeasure(TextMeasure measure, AsciiMeasure ascii = {});
    void AutoFit(int col);
    void AutoFit(int col, const TextWidth& width, const AsciiFonts* ascii = nullptr);
    int RowHeight(int row) const;
    void SetRowHeight(int row, int height);        // 0 hides, 18 shows
    bool RowShown(int row) const { return RowHeight(row) > 0; }

    // Appends one row; tab-separated fields fill columns 1, 2, ...
    void AddItem(const QString& tabSeparated);
    // Removes every row and column (callers set Cols and Rows again).
    void ClearRows();

    // Sorts rows 1..Rows-1 on one column: order 0 ascending, 1 descending.
    // Whole rows move with their heights and colours; row 0 stays.
    void Sort(int col, int order);

    // A row hidden while active stops being active (the header row is then
    // active): nothing acts on a row the user cannot see.
    int ActiveRow() const { return activeRow_; }
    int ActiveCol() const { return activeCol_; }
    void SetActiveCell(int row, int col);

    // Range(r1,c1,r2,c2).Select: makes it the selection, (r1,c1) active.
    void SelectRange(int row1, int col1, int row2, int col2);
    // The view's selection: an active cell inside a range.
    void SetSelection(int activeRow, int activeCol, int row1, int col1, int row2, int col2);
    int SelectionFirstRow() const { return selFirstRow_; }
    int SelectionLastRow() const { return selLastRow_; }
    int SelectionFirstCol() const { return selFirstCol_; }
    int SelectionLastCol() const { return selLastCol_; }
    // Removes the shown rows the selection spans (a hidden row inside it is
    // not selected as far as the user can see); never row 0.
    void DeleteSelectedRows();
    // Removes the given rows (any order, row 0 and rows out of range ignored).
    void DeleteRowList(const std::vector<int>& rows);
    void DeleteRows(int firstRow, int lastRow);

    // Range(...).Merge: joins the cells; the view spans them.
    struct Merge { int row1, col1, row2, col2; };
    void MergeRange(int row1, int col1, int row2, int col2);
    const std::vector<Merge>& Merges() const { return merges_; }
    // Range(...).BackColor
    void SetRangeBackColor(int row1, int col1, int row2, int col2, uint32_t colour);

    // Redraw(false) holds change notices back; Redraw(true) sends one reset.
    void SetRedraw(bool on);
    bool Redraw() const { return redraw_; }

    // The forms the grid's dates and times are written in ("dd.MM.yyyy",
    // "HH:mm:ss"), recorded in its file so that a reader under another
    // locale can read the day that was written. Empty when not known: a grid
    // that holds no dates, or a file from before forms were recorded.
    struct TextForms {
        QString dates, times;
        bool Known() const { return !dates.isEmpty(); }
        bool operator==(const TextForms&) const = default;
    };
    const TextForms& Forms() const { return forms_; }
    void SetForms(TextForms forms) { forms_ = std::move(forms); }

    // The whole grid to and from one file (the format lives in GridFile).
    bool SaveFile(const QString& path, QString* error = nullptr) const;
    bool LoadFile(const QString& path, QString* error = nullptr);
    // The same format in memory (used by tests and the copy between grids).
    std::string Serialize() const;
    bool Deserialize(const std::string& data, QString* error = nullptr);

    int AddObserver(Observer observer);
    void RemoveObserver(int id);
    // Expires when the grid is destroyed: a view may outlive its grid for
    // the moment between the two destructors.
    std::weak_ptr<int> Life() const { return life_; }

    // A row below the header row: one that holds data (a task, an item).
    bool IsDataRow(int row) const { return row >= 1 && row < rows_; }
    bool ValidCell(int row, int col) const {
        return row >= 0 && row < rows_ && col >= 0 && col < cols_;
    }

private:
    struct Style {
        uint32_t back = kWhite;
        uint32_t fore = kBlack;
        bool bold = false;
        bool operator==(const Style&) const = default;
    };
    // A cell's style is its place in the palette (the distinct styles the
    // grid holds, the plain one first): a byte or two a cell, not twelve,
    // so a million coloured task rows take 14 MB rather than 168. False when
    // the palette is full and the style could not be set.
    template <class Edit>
    bool ChangeStyle(int row, int col, Edit edit);
    static constexpr uint16_t kNoStyle = 0xFFFF;   // the palette is full
    uint16_t Intern(const Style& style);
    // Every cell back to the plain style, the palette with it.
    void ClearStyles();
    const Style& StyleOf(int row, int col) const { return palette_[styles_[size_t(row) * cols_ + col]]; }
    void Notify(Change change, int row = -1, int col = -1) const;
    void ClampActive();
    void DropHiddenActive();
    void CopyCells(const Grid& other);

    int rows_ = 0;
    int cols_ = 0;
    std::vector<GridCell> cells_;         // row-major, rows_ * cols_
    // The arenas of the files the cells were read from, and of the copies
    // they were copied in (shared by copies).
    std::vector<std::shared_ptr<const GridArena>> arenas_;
    // Each cell's place in the palette: a byte while the palette holds at
    // most 256 styles (the plain one, the past-due colours), two beyond.
    class StyleIndex {
    public:
        bool empty() const { return size_ == 0; }
        size_t size() const { return size_; }
        void clear() { *this = {}; }
        void resize(size_t n) {
            if (wide_) wides_.resize(n);
            else narrow_.resize(n);
            size_ = n;
        }
        uint16_t operator[](size_t i) const { return wide_ ? wides_[i] : narrow_[i]; }
        void Set(size_t i, uint16_t place) {
            if (!wide_ && place > 0xFF) Widen();
            if (wide_) wides_[i] = place;
            else narrow_[i] = uint8_t(place);
        }
        // Drops [first, last).
        void Erase(size_t first, size_t last) {
            if (wide_) wides_.erase(wides_.begin() + ptrdiff_t(first), wides_.begin() + ptrdiff_t(last));
            else narrow_.erase(narrow_.begin() + ptrdiff_t(first), narrow_.begin() + ptrdiff_t(last));
            size_ -= last - first;
        }

    private:
        void Widen() {
            wides_.assign(narrow_.begin(), narrow_.end());
            narrow_ = {};
            wide_ = true;
        }
        std::vector<uint8_t> narrow_;
        std::vector<uint16_t> wides_;
        size_t size_ = 0;
        bool wide_ = false;
    };
    StyleIndex styles_;                   // empty until a style is set
    std::vector<Style> palette_ = {Style{}};
    size_t lastInterned_ = 0;
    std::vector<int> widths_;
    std::vector<int> heights_;
    std::vector<Merge> merges_;
    TextForms forms_;
    int activeRow_ = 0, activeCol_ = 0;
    int selFirstRow_ = 0, selLastRow_ = 0, selFirstCol_ = 0, selLastCol_ = 0;
    bool redraw_ = true;
    std::vector<std::pair<int, Observer>> observers_;
    int nextObserver_ = 1;
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
    template <class Source>
    void AssignTable(Source&& other);
    friend class GridFile;
};

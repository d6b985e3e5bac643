#include "widgets/GridPrint.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageRanges>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QRawFont>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextLayout>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <string_view>

#include "platform/Colors.h"
#include "platform/Dialogs.h"
#include "widgets/Forms.h"
#include "widgets/Printing.h"

namespace GridPrint {

namespace {

constexpr double kUnitsPerPixel = Pager::kUnitsPerInch / 96.0;   // grid widths are screen pixels
constexpr double kUnitsPerCm = Pager::kUnitsPerInch / 2.54;
constexpr uint32_t kHeaderRowBack = 0xE0E0E0;
// Cell texts are measured and wrapped at this pixel size and scaled to the
// size they print at: design metrics grow in step with the size, so one
// measure holds at whatever size the table prints, on paper and on screen.
constexpr double kRefPx = 1000.0;
constexpr double kPadPx = 2.0;    // blank left and right of a cell text, in grid pixels
constexpr double kVPadPx = 1.5;   // above and below the lines of a wrapped text
const QChar kEllipsis(0x2026);

QFont FontOf(const FontSpec& wanted) {
    QFont font(wanted.name.isEmpty() ? QGuiApplication::font().family() : wanted.name);
    // Pixel sizes in Pager units keep the metrics independent of the device.
    font.setPixelSize(std::max(1, int(std::lround(wanted.points * 10.0))));
    font.setBold(wanted.bold);
    // No ligatures where the script does not need them: "fl" stays two
    // letters, so the printed (and PDF) text reads and searches as typed.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QPageSize::PageSizeId PaperOf(int code) {
    switch (code) {
    case 5: return QPageSize::Legal;
    case 8: return QPageSize::A3;
    case 9: return QPageSize::A4;
    case 11: return QPageSize::A5;
    default: return QPageSize::Letter;
    }
}

QColor ColourOf(uint32_t number) { return Colors::ToQColor(int64_t(number)); }

// Letters drawn one glyph each, left to right, with no shaping.
bool PlainScript(const QString& text) {
    for (QChar ch : text) {
        if (ch.unicode() < 0x250) continue;    // Latin and its supplements
        switch (ch.script()) {
        case QChar::Script_Common: case QChar::Script_Latin: case QChar::Script_Greek:
        case QChar::Script_Cyrillic: continue;
        default: return false;
        }
    }
    return true;
}

// A cell text as it prints: a tab or line break is a blank.
QString Printable(std::string_view utf8) {
    QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    for (QChar& ch : text)
        if (ch.unicode() < 0x20) ch = QLatin1Char(' ');
    return text;
}

}  // namespace

// One cell font (normal or bold) at the reference size: its raw font draws
// the plain texts glyph by glyph (one batch per page), its QFont the rest
// through the painter, which falls back to other fonts and shapes complex
// scripts. Widths are design widths, the same on every device.
struct CellFace {
    QFont font;
    QRawFont raw;
    std::array<double, 128> ascii{};    // advance of each ASCII letter, -1 when the font lacks it
    std::array<quint32, 128> asciiGlyph{};
    double ascent = 0, descent = 0;

    CellFace(const FontSpec& spec, bool bold) {
        font = QFont(spec.name.isEmpty() ? QGuiApplication::font().family() : spec.name);
        font.setPixelSize(int(kRefPx));
        font.setBold(bold);
        font.setStyleStrategy(QFont::PreferNoShaping);
        font.setHintingPreference(QFont::PreferNoHinting);
        raw = QRawFont::fromFont(font);
        const QFontMetricsF fm(font);
        ascent = raw.isValid() ? raw.ascent() : fm.ascent();
        descent = raw.isValid() ? raw.descent() : fm.descent();
        QString all;
        for (int c = 0; c < 128; ++c) all += QChar(c < 0x20 ? ' ' : c);
        const QList<quint32> glyphs = raw.isValid() ? raw.glyphIndexesForString(all) : QList<quint32>();
        const QList<QPointF> advances =
            raw.isValid() ? raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics) : QList<QPointF>();
        for (int c = 0; c < 128; ++c) {
            const bool has = c < glyphs.size() && glyphs[c] != 0 && c < advances.size();
            ascii[size_t(c)] = has ? advances[c].x() : -1.0;
            asciiGlyph[size_t(c)] = has ? glyphs[c] : 0;
        }
    }

    // The glyphs of a text the raw font draws alone, with their advances;
    // false when it cannot (a letter it lacks, a script that needs shaping).
    bool Glyphs(const QString& text, QList<quint32>* glyphs, QList<double>* advances) const {
        glyphs->clear();
        advances->clear();
        bool allAscii = true;
        for (QChar ch : text)
            if (ch.unicode() >= 128 || ascii[ch.unicode()] < 0) {
                allAscii = false;
                break;
            }
        if (allAscii) {
            glyphs->reserve(text.size());
            advances->reserve(text.size());
            for (QChar ch : text) {
                glyphs->push_back(asciiGlyph[ch.unicode()]);
                advances->push_back(ascii[ch.unicode()]);
            }
            return true;
        }
        if (!raw.isValid() || !PlainScript(text)) return false;
        *glyphs = raw.glyphIndexesForString(text);
        if (glyphs->contains(0u) || glyphs->size() != text.size()) return false;
        for (const QPointF& a : raw.advancesForGlyphIndexes(*glyphs, QRawFont::UseDesignMetrics))
            advances->push_back(a.x());
        return true;
    }

    // Widths at the reference size.
    double Width(const QString& text) const {
        QList<quint32> glyphs;
        QList<double> advances;
        if (!Glyphs(text, &glyphs, &advances)) return QFontMetricsF(font).horizontalAdvance(text);
        double w = 0;
        for (double a : advances) w += a;
        return w;
    }
    double Width(std::string_view utf8) const {
        double w = 0;
        for (unsigned char b : utf8) {
            const double a = b >= 128 ? -1.0 : ascii[b < 0x20 ? ' ' : b];
            if (a < 0) return Width(Printable(utf8));
            w += a;
        }
        return w;
    }

    // The lines of a text no wider than `width` (reference size): broken
    // after a blank where one fits, inside a word only where a word alone is
    // wider. Stops after `maxLines` + 1 lines, enough to know it goes on.
    QStringList Wrap(const QString& text, double width, int maxLines) const {
        QStringList lines;
        QList<quint32> glyphs;
        QList<double> advances;
        if (!Glyphs(text, &glyphs, &advances)) return WrapShaped(text, width, maxLines);
        const qsizetype n = text.size();
        qsizetype i = 0;
        while (i < n && lines.size() <= maxLines) {
            if (!lines.isEmpty())
                while (i < n && text[i] == QLatin1Char(' ')) ++i;   // a new line starts on a letter
            if (i >= n) break;
            double w = 0;
            qsizetype j = i, lastBlank = -1;
            for (; j < n; ++j) {
                if (text[j] == QLatin1Char(' ')) lastBlank = j;
                else if (w + advances[j] > width * (1 + 1e-9) && j > i) break;
                w += advances[j];
            }
            if (j >= n) {
                lines << text.mid(i);
                break;
            }
            if (lastBlank > i) {
                lines << text.mid(i, lastBlank - i);
                i = lastBlank + 1;
            } else {
                lines << text.mid(i, j - i);
                i = j;
            }
        }
        return lines;
    }
    QStringList WrapShaped(const QString& text, double width, int maxLines) const {
        QStringList lines;
        QTextLayout layout(text, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setUseDesignMetrics(true);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid() && lines.size() <= maxLines;
             line = layout.createLine()) {
            line.setLineWidth(width);
            lines << text.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        return lines;
    }
};

struct CellFaces {
    CellFace normal, bold;
    explicit CellFaces(const FontSpec& spec) : normal(spec, false), bold(spec, true) {}
    const CellFace& Of(bool isBold) const { return isBold ? bold : normal; }
};

namespace {

// The cell texts of a page in one face and colour, gathered as positioned
// glyphs and drawn with one call: a page of a large grid holds hundreds of
// cells, and one text item per cell costs more than all the rest of the
// page.
class TextBatch {
public:
    TextBatch(const CellFace& face, double px) : face_(face), k_(px / kRefPx), raw_(face.raw) {
        if (raw_.isValid()) raw_.setPixelSize(px);
    }
    // One line from its baseline's left end; false when the face cannot
    // draw it alone (DrawLine draws it then).
    bool Add(const QPointF& origin, const QString& line) {
        if (!face_.Glyphs(line, &glyphs_, &advances_)) return false;
        double x = origin.x();
        for (qsizetype i = 0; i < glyphs_.size(); ++i) {
            glyphRun_.push_back(glyphs_[i]);
            positions_.push_back(QPointF(x, origin.y()));
            x += advances_[i] * k_;
        }
        return true;
    }
    void Draw(QPainter& p, const QColor& colour) {
        if (glyphRun_.isEmpty()) return;
        QGlyphRun run;
        run.setRawFont(raw_);
        run.setGlyphIndexes(glyphRun_);
        run.setPositions(positions_);
        p.setPen(colour);
        p.drawGlyphRun(QPointF(0, 0), run);
        glyphRun_.clear();
        positions_.clear();
    }

private:
    const CellFace& face_;
    double k_;
    QRawFont raw_;
    QList<quint32> glyphs_, glyphRun_;
    QList<double> advances_;
    QList<QPointF> positions_;
};

// One line through the painter's text drawing, at the reference size scaled
// down, so its width is the one the layout measured.
void DrawLine(QPainter& p, const CellFace& face, double px, const QColor& colour, const QPointF& origin,
              const QString& line) {
    p.save();
    p.setFont(face.font);
    p.setPen(colour);
    p.translate(origin);
    p.scale(px / kRefPx, px / kRefPx);
    p.drawText(QPointF(0, 0), line);
    p.restore();
}

// The lines a text takes in `width` (Pager units) at `px`, at most
// `maxLines`: one when it fits; a text that needs more than `maxLines`
// ends in "…" on its last line.
QStringList LinesOf(const CellFace& face, double px, const QString& text, double width, int maxLines, bool mayWrap) {
    const double room = width * kRefPx / px;
    maxLines = std::max(1, maxLines);
    if (!mayWrap || face.Width(text) <= room * (1 + 1e-9)) return {text};
    QStringList lines = face.Wrap(text, room, maxLines);
    if (lines.size() <= maxLines) return lines;
    lines.resize(maxLines);
    QString& last = lines.back();
    while (!last.isEmpty() && face.Width(last + kEllipsis) > room) last.chop(1);
    last += kEllipsis;
    return lines;
}

}  // namespace

QString PageText(const QString& text, int page, int pageCount) {
    QString out = text;
    out.replace(QLatin1String("&P"), QString::number(page));
    out.replace(QLatin1String("&N"), QString::number(pageCount));
    return out;
}

QPageLayout PageLayoutOf(const PageSetup& setup) {
    return QPageLayout(QPageSize(PaperOf(setup.PaperSize)),
                       setup.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
}

Pager::Pager(const Grid& grid, const PageSetup& setup) : Pager(grid, setup, PageLayoutOf(setup)) {}

Pager::~Pager() = default;

Pager::Pager(const Grid& grid, const PageSetup& setup, const QPageLayout& paper)
    : grid_(grid), setup_(setup), paper_(paper), faces_(std::make_shared<CellFaces>(setup.CellFont)) {
    const QSizeF size = paper.fullRectPoints().size();
    pageWidth_ = size.width() * 10.0;
    pageHeight_ = size.height() * 10.0;
    left_ = std::max(0.0, setup.LeftMargin) * kUnitsPerCm;
    right_ = std::max(0.0, setup.RightMargin) * kUnitsPerCm;
    top_ = std::max(0.0, setup.TopMargin) * kUnitsPerCm;
    bottom_ = std::max(0.0, setup.BottomMargin) * kUnitsPerCm;
    // Margins that leave no room fall back to a printable strip.
    if (left_ + right_ > pageWidth_ * 0.9) left_ = right_ = pageWidth_ * 0.05;
    if (top_ + bottom_ > pageHeight_ * 0.9) top_ = bottom_ = pageHeight_ * 0.05;

    repeatRow0_ = setup.RepeatHeaderRow && grid.Rows() > 0 && grid.RowShown(0);
    rows_.reserve(size_t(std::max(0, grid.Rows())));
    for (int r = repeatRow0_ ? 1 : 0; r < grid.Rows(); ++r)
        if (grid.RowShown(r)) rows_.push_back(r);

    std::vector<double> width;   // grid pixels
    for (int c = 0; c < grid.Cols(); ++c)
        if (grid.ColumnWidth(c) > 0) {
            cols_.push_back(c);
            width.push_back(grid.ColumnWidth(c));
        }
    const size_t n = cols_.size();
    wraps_.assign(n, setup.WidenColumns ? 0 : 1);

    // A cell inside a joined range prints in the range, not in its column.
    auto inMerge = [&](int r, int c) {
        for (const Grid::Merge& m : grid.Merges())
            if (r >= m.row1 && r <= m.row2 && c >= m.col1 && c <= m.col2) return true;
        return false;
    };
    const double basePx = setup.CellFont.points * 96.0 / 72.0;   // the cell font in grid pixels
    if (setup.WidenColumns && n > 0) {
        std::vector<double> widest(n, 0.0);
        auto measure = [&](int r) {
            for (size_t j = 0; j < n; ++j) {
                const std::string_view t = grid.TextUtf8(r, cols_[j]);
                if (t.empty()) continue;
                const double w = faces_->Of(Bold(r, cols_[j])).Width(t);
                if (w > widest[j] && !(grid.Merges().size() && inMerge(r, cols_[j]))) widest[j] = w;
            }
        };
        if (repeatRow0_) measure(0);
        for (int r : rows_) measure(r);
        for (size_t j = 0; j < n; ++j)
            if (widest[j] > 0) width[j] = std::max(width[j], std::ceil(widest[j] * basePx / kRefPx + 2 * kPadPx));
    }

    // The whole table at its real size when it fits; smaller, fonts with
    // it, down to the smallest readable cell font.
    const double printable = pageWidth_ - left_ - right_;
    const double minScale = kUnitsPerPixel * std::min(1.0, Pager::kMinPoints / std::max(0.1, setup.CellFont.points));
    auto fit = [&] {
        double total = 0;
        for (double w : width) total += w;
        scale_ = kUnitsPerPixel;
        if (total * scale_ > printable && total > 0) scale_ = std::max(minScale, printable / total);
        return total;
    };
    double total = fit();
    // Still too wide: no column is wider than the paper, and in a table
    // none wider than a third of it, so one long value does not push the
    // other columns onto pages of their own. Such a column's texts wrap.
    if (total * scale_ > printable * (1 + 1e-9)) {
        const double most = printable / scale_ / (setup.WidenColumns ? 3.0 : 1.0);
        for (size_t j = 0; j < n; ++j)
            if (width[j] > most) {
                width[j] = most;
                wraps_[j] = 1;
            }
        total = fit();
    }
    const double room = printable / scale_;   // grid pixels across the paper
    if (total > room * (1 + 1e-9) && !setup.WidenColumns) {
        // A sheet stays one page wide: its widest columns narrow to one
        // level, as far as the paper needs, and their texts wrap.
        std::vector<double> sorted = width;
        std::sort(sorted.begin(), sorted.end());
        double level = room / double(n), below = 0;
        for (size_t k = 0; k < n; ++k) {
            const double candidate = (room - below) / double(n - k);
            if (sorted[k] >= candidate) {
                level = candidate;
                break;
            }
            below += sorted[k];
        }
        for (double& w : width) w = std::min(w, level);
    }
    // Pages across: as many whole columns on each as fit.
    colLeft_.resize(n);
    colRight_.resize(n);
    size_t first = 0;
    double x = left_;
    for (size_t j = 0; j < n; ++j) {
        const double w = width[j] * scale_;
        if (j > first && x + w > left_ + printable * (1 + 1e-9)) {
            bands_.push_back({first, j});
            first = j;
            x = left_;
        }
        colLeft_[j] = x;
        x += w;
        colRight_[j] = x;
    }
    bands_.push_back({first, n});

    cellPx_ = setup.CellFont.points * 10.0 * scale_ / kUnitsPerPixel;
    pad_ = kPadPx * scale_;
    vpad_ = kVPadPx * scale_;
    const double k = cellPx_ / kRefPx;
    ascent_ = std::max(faces_->normal.ascent, faces_->bold.ascent) * k;
    lineHeight_ = ascent_ + std::max(faces_->normal.descent, faces_->bold.descent) * k;

    GrowRows(wraps_);

    const double body = pageHeight_ - top_ - bottom_;
    const double headRow = repeatRow0_ ? PrintedRowHeight(0) : 0.0;
    size_t i = 0;
    // Every page holds at least one row, however tall, so paging ends.
    while (i < rows_.size()) {
        rowPageStarts_.push_back(i);
        double used = headRow + PrintedRowHeight(rows_[i]);
        ++i;
        while (i < rows_.size() && used + PrintedRowHeight(rows_[i]) <= body + 1e-6) {
            used += PrintedRowHeight(rows_[i]);
            ++i;
        }
    }
    // An empty table still prints one page (with the header row, if any).
    if (rowPageStarts_.empty()) rowPageStarts_.push_back(0);
}

bool Pager::Bold(int row, int col) const {
    return (row == 0 && repeatRow0_) || grid_.Bold(row, col);
}

double Pager::CellPoints() const { return cellPx_ / 10.0; }

double Pager::PrintedRowHeight(int row) const {
    if (!grown_.empty())
        if (auto it = grown_.find(row); it != grown_.end()) return it->second;
    return grid_.RowHeight(row) * scale_;
}

double Pager::PrintedColumnWidth(int col) const {
    for (size_t j = 0; j < cols_.size(); ++j)
        if (cols_[j] == col) return colRight_[j] - colLeft_[j];
    return 0;
}

// The right end of the room a text in shown column j has: on to the right
// over empty cells of its page that no joined range covers.
double Pager::RunOver(int row, size_t j, const std::vector<char>* covered, size_t coveredRow) const {
    size_t bandEnd = cols_.size();
    for (const auto& [b0, b1] : bands_)
        if (j >= b0 && j < b1) bandEnd = b1;
    size_t end = j + 1;
    while (end < bandEnd && grid_.TextUtf8(row, cols_[end]).empty()) {
        if (covered && (*covered)[coveredRow + end]) break;
        if (!covered && !grid_.Merges().empty()) {
            bool inside = false;
            for (const Grid::Merge& m : grid_.Merges())
                inside |= row >= m.row1 && row <= m.row2 && cols_[end] >= m.col1 && cols_[end] <= m.col2;
            if (inside) break;
        }
        ++end;
    }
    return colRight_[end - 1];
}

// Rows whose texts need more than one line grow to hold them, up to the
// page's body; the lines of a range joined over several rows stay in it.
void Pager::GrowRows(const std::vector<char>& wraps) {
    const bool anyColumn = std::find(wraps.begin(), wraps.end(), 1) != wraps.end();
    if (!anyColumn && grid_.Merges().empty()) return;
    const double body = pageHeight_ - top_ - bottom_;
    // A row grows to the page's body at most (a repeated header row to half
    // of it), below the header row that page repeats.
    auto tallestFor = [&](int row) {
        const double most = row == 0 && repeatRow0_ ? body / 2 : body - (repeatRow0_ ? PrintedRowHeight(0) : 0.0);
        return std::max(lineHeight_ + 2 * vpad_, most);
    };
    auto need = [&](int row, int col, double width) -> double {
        const std::string_view t = grid_.TextUtf8(row, col);
        if (t.empty()) return 0;
        const CellFace& face = faces_->Of(Bold(row, col));
        const double room = width * kRefPx / cellPx_;
        if (face.Width(t) <= room * (1 + 1e-9)) return 0;
        const double tallest = tallestFor(row);
        const int maxLines = std::max(1, int((tallest - 2 * vpad_) / lineHeight_));
        const qsizetype lines = face.Wrap(Printable(t), room, maxLines).size();
        return std::min(tallest, double(lines) * lineHeight_ + 2 * vpad_);
    };
    auto grow = [&](int row, double height) {
        if (height > PrintedRowHeight(row)) grown_[row] = height;
    };
    std::vector<int> rows = rows_;
    if (repeatRow0_) rows.insert(rows.begin(), 0);
    if (anyColumn)
        for (int r : rows)
            for (size_t j = 0; j < cols_.size(); ++j) {
                if (!wraps[j] || grid_.TextUtf8(r, cols_[j]).empty()) continue;
                bool inside = false;
                for (const Grid::Merge& m : grid_.Merges())
                    inside |= r >= m.row1 && r <= m.row2 && cols_[j] >= m.col1 && cols_[j] <= m.col2;
                if (inside) continue;
                grow(r, need(r, cols_[j], RunOver(r, j, nullptr, 0) - colLeft_[j] - 1.5 * pad_));
            }
    for (const Grid::Merge& m : grid_.Merges()) {
        if (m.row1 != m.row2 || m.row1 < 0 || m.row1 >= grid_.Rows() || !grid_.RowShown(m.row1)) continue;
        // The shown part of the range on the page of its first shown column.
        size_t j1 = cols_.size(), j2 = 0;
        for (size_t j = 0; j < cols_.size(); ++j)
            if (cols_[j] >= m.col1 && cols_[j] <= m.col2) {
                if (j1 == cols_.size()) j1 = j;
                j2 = j;
            }
        if (j1 == cols_.size()) continue;
        for (const auto& [b0, b1] : bands_)
            if (j1 >= b0 && j1 < b1) j2 = std::min(j2, b1 - 1);
        grow(m.row1, need(m.row1, m.col1, colRight_[j2] - colLeft_[j1] - 1.5 * pad_));
    }
}

std::vector<int> Pager::RowsOnPage(int page) const {
    std::vector<int> rows;
    if (page < 0 || page >= PageCount()) return rows;
    const size_t down = size_t(page) / bands_.size();
    if (repeatRow0_) rows.push_back(0);
    const size_t end = down + 1 < rowPageStarts_.size() ? rowPageStarts_[down + 1] : rows_.size();
    for (size_t i = rowPageStarts_[down]; i < end; ++i) rows.push_back(rows_[i]);
    return rows;
}

std::vector<int> Pager::ColumnsOnPage(int page) const {
    std::vector<int> cols;
    if (page < 0 || page >= PageCount()) return cols;
    const auto& [b0, b1] = bands_[size_t(page) % bands_.size()];
    for (size_t j = b0; j < b1; ++j) cols.push_back(cols_[j]);
    return cols;
}

void Pager::PaintHeaderFooter(QPainter& p, int page) const {
    const double innerLeft = left_, innerRight = pageWidth_ - right_;
    auto place = [&](const QString& text, int alignment, const QFont& font, double baseline) {
        if (text.isEmpty()) return;
        QFontMetricsF fm(font);
        const double w = fm.horizontalAdvance(text);
        double x = innerLeft;
        if (alignment == 1) x = (innerLeft + innerRight - w) / 2.0;
        else if (alignment == 2) x = innerRight - w;
        p.setFont(font);
        p.drawText(QPointF(x, baseline), text);
    };
    p.setPen(Qt::black);
    const QFont hf = FontOf(setup_.HeaderFont);
    place(PageText(setup_.Header, page + 1, PageCount()), setup_.HeaderAlignment, hf,
          std::max(0.0, setup_.HeaderMargin) * kUnitsPerCm + QFontMetricsF(hf).ascent());
    const QFont ff = FontOf(setup_.FooterFont);
    place(PageText(setup_.Footer, page + 1, PageCount()), setup_.FooterAlignment, ff,
          pageHeight_ - std::max(0.0, setup_.FooterMargin) * kUnitsPerCm - QFontMetricsF(ff).descent());
}

void Pager::PaintPage(QPainter& p, int page) const {
    if (page < 0 || page >= PageCount()) return;
    PaintHeaderFooter(p, page);
    const std::vector<int> rows = RowsOnPage(page);
    const auto [b0, b1] = bands_[size_t(page) % bands_.size()];
    if (rows.empty() || b0 >= b1) return;

    std::vector<double> rowY(rows.size() + 1);
    rowY[0] = top_;
    for (size_t i = 0; i < rows.size(); ++i) rowY[i + 1] = rowY[i] + PrintedRowHeight(rows[i]);
    const double tableLeft = colLeft_[b0], tableRight = colRight_[b1 - 1];
    auto cellBox = [&](size_t i, size_t j, size_t jEnd) {
        return QRectF(QPointF(colLeft_[j], rowY[i]), QPointF(colRight_[jEnd], rowY[i + 1]));
    };

    // The merges that touch this page, and the cells they cover here.
    struct PageMerge {
        QRectF box;
        int row, col;     // the anchor cell whose text and colour the merge shows
        bool text;        // its text prints here (on the page of its first column)
    };
    std::vector<PageMerge> merges;
    std::vector<char> covered;
    if (!grid_.Merges().empty()) {
        covered.assign(rows.size() * cols_.size(), 0);
        for (const Grid::Merge& m : grid_.Merges()) {
            int ri1 = -1, ri2 = -1;
            size_t ci1 = SIZE_MAX, ci2 = 0, first = SIZE_MAX;
            for (size_t i = 0; i < rows.size(); ++i)
                if (rows[i] >= m.row1 && rows[i] <= m.row2) {
                    if (ri1 < 0) ri1 = int(i);
                    ri2 = int(i);
                }
            for (size_t j = 0; j < cols_.size(); ++j)
                if (cols_[j] >= m.col1 && cols_[j] <= m.col2) {
                    if (first == SIZE_MAX) first = j;
                    if (j < b0 || j >= b1) continue;
                    if (ci1 == SIZE_MAX) ci1 = j;
                    ci2 = j;
                }
            if (ri1 < 0 || ci1 == SIZE_MAX) continue;
            for (int i = ri1; i <= ri2; ++i)
                for (size_t j = ci1; j <= ci2; ++j) covered[size_t(i) * cols_.size() + j] = 1;
            merges.push_back({QRectF(QPointF(colLeft_[ci1], rowY[ri1]), QPointF(colRight_[ci2], rowY[ri2 + 1])),
                              m.row1, m.col1, first >= b0 && first < b1});
        }
    }
    auto isCovered = [&](size_t i, size_t j) { return !covered.empty() && covered[i * cols_.size() + j]; };

    const bool styled = grid_.HasCustomStyle();
    auto backOf = [&](int r, int c) -> uint32_t {
        if (r == 0 && repeatRow0_) return kHeaderRowBack;
        return styled ? grid_.BackColor(r, c) : Grid::kWhite;
    };

    // Backgrounds first, so ruled lines and texts stay on top of them; on
    // the screen, cells side by side meet on whole pixels, with no seam of
    // blended edges between two of one colour that the paper does not have.
    const bool smooth = p.testRenderHint(QPainter::Antialiasing);
    if (smooth) p.setRenderHint(QPainter::Antialiasing, false);
    for (size_t i = 0; i < rows.size(); ++i)
        for (size_t j = b0; j < b1; ++j) {
            if (isCovered(i, j)) continue;
            const uint32_t back = backOf(rows[i], cols_[j]);
            if (back != Grid::kWhite) p.fillRect(cellBox(i, j, j), ColourOf(back));
        }
    for (const PageMerge& m : merges) {
        const uint32_t back = backOf(m.row, m.col);
        if (back != Grid::kWhite) p.fillRect(m.box, ColourOf(back));
    }
    if (smooth) p.setRenderHint(QPainter::Antialiasing, true);

    if (setup_.PrintGridLines) {
        QPen pen(QColor(0x80, 0x80, 0x80));
        pen.setWidthF(3.0);
        p.setPen(pen);
        for (double y : rowY) p.drawLine(QPointF(tableLeft, y), QPointF(tableRight, y));
        p.drawLine(QPointF(tableLeft, rowY.front()), QPointF(tableLeft, rowY.back()));
        for (size_t j = b0; j < b1; ++j)
            p.drawLine(QPointF(colRight_[j], rowY.front()), QPointF(colRight_[j], rowY.back()));
        // A merged cell is one cell: no rules inside it.
        for (const PageMerge& m : merges) {
            const uint32_t back = backOf(m.row, m.col);
            p.fillRect(m.box.adjusted(2, 2, -2, -2), ColourOf(back));
        }
    }

    // Texts, batched by face and colour (nearly always one or two batches).
    const CellFace& normalFace = faces_->normal;
    const CellFace& boldFace = faces_->bold;
    TextBatch normalText(normalFace, cellPx_), boldText(boldFace, cellPx_);
    uint32_t fore = Grid::kBlack;
    auto add = [&](int r, int c, const QRectF& box, bool mayWrap) {
        const std::string_view utf8 = grid_.TextUtf8(r, c);
        if (utf8.empty()) return;
        const uint32_t f = styled ? grid_.ForeColor(r, c) : Grid::kBlack;
        if (f != fore) {
            normalText.Draw(p, ColourOf(fore));
            boldText.Draw(p, ColourOf(fore));
            fore = f;
        }
        const bool b = Bold(r, c);
        const CellFace& face = b ? boldFace : normalFace;
        const QString text = Printable(utf8);
        const int maxLines = int((box.height() - 2 * vpad_ + 1e-6) / lineHeight_);
        const QStringList lines = LinesOf(face, cellPx_, text, box.width() - 1.5 * pad_, maxLines, mayWrap);
        const double top = box.top() + (box.height() - lines.size() * lineHeight_) / 2.0;
        for (qsizetype k = 0; k < lines.size(); ++k) {
            const QPointF origin(box.left() + pad_, top + ascent_ + k * lineHeight_);
            if (!(b ? boldText : normalText).Add(origin, lines[k])) DrawLine(p, face, cellPx_, ColourOf(f), origin, lines[k]);
        }
    };
    for (size_t i = 0; i < rows.size(); ++i)
        for (size_t j = b0; j < b1; ++j) {
            if (isCovered(i, j) || grid_.TextUtf8(rows[i], cols_[j]).empty()) continue;
            // A text runs on over the empty cells to its right, as in a
            // spreadsheet, so a label wider than its column still reads.
            const double right = RunOver(rows[i], j, covered.empty() ? nullptr : &covered, i * cols_.size());
            add(rows[i], cols_[j], QRectF(QPointF(colLeft_[j], rowY[i]), QPointF(right, rowY[i + 1])), wraps_[j]);
        }
    for (const PageMerge& m : merges)
        if (m.text) add(m.row, m.col, m.box, true);
    normalText.Draw(p, ColourOf(fore));
    boldText.Draw(p, ColourOf(fore));
}

bool Print(const Grid& grid, const PageSetup& setup, QPrinter& printer, QString* error,
           const std::function<bool(int, int)>& progress) {
    return Print(Pager(grid, setup, printer.pageLayout()), printer, error, progress);
}

bool Print(const Pager& pager, QPrinter& printer, QString* error, const std::function<bool(int, int)>& progress) {
    printer.setFullPage(true);
    const int count = pager.PageCount();
    // The pages chosen in the dialog ("2-4", "1,3"), or all of them.
    std::vector<int> pages;
    const QPageRanges ranges = printer.pageRanges();
    for (int page = 1; page <= count; ++page)
        if (printer.printRange() != QPrinter::PageRange || ranges.isEmpty() || ranges.contains(page))
            pages.push_back(page - 1);
    if (pages.empty()) {
        if (error) *error = QStringLiteral("The pages chosen are not in the print, which has %1 page(s).").arg(count);
        return false;
    }
    // Copies the printer cannot make itself are printed here, collated as
    // asked.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    std::vector<int> order;
    if (printer.collateCopies())
        for (int c = 0; c < copies; ++c) order.insert(order.end(), pages.begin(), pages.end());
    else
        for (int page : pages) order.insert(order.end(), size_t(copies), page);

    return Printing::Run(printer, [&](QString* why) {
        QPainter p;
        if (!p.begin(&printer)) {
            if (why) *why = QStringLiteral("The printer \"%1\" could not start the print.").arg(printer.printerName());
            return false;
        }
        const double scale = printer.resolution() / Pager::kUnitsPerInch;
        const int total = int(order.size());
        for (int k = 0; k < total; ++k) {
            if (k > 0 && !printer.newPage()) {
                p.end();
                if (why) *why = QStringLiteral("The printer stopped at page %1 of %2.").arg(k + 1).arg(total);
                return false;
            }
            p.save();
            p.scale(scale, scale);
            pager.PaintPage(p, order[size_t(k)]);
            p.restore();
            if (progress && !progress(k + 1, total)) {
                printer.abort();
                p.end();
                if (why) *why = QStringLiteral("The print was cancelled.");
                return false;
            }
        }
        if (!p.end() || printer.printerState() == QPrinter::Error) {
            if (why) *why = QStringLiteral("The printer \"%1\" reported an error; the print may be incomplete.")
                              .arg(printer.outputFileName().isEmpty() ? printer.printerName()
                                                                      : printer.outputFileName());
            return false;
        }
        return true;
    }, error);
}

// The preview's page area: pages one under the other, centred, each painted
// only while it is in sight.
class PageView : public QAbstractScrollArea {
public:
    PageView(const Pager* pager, int zoom, QWidget* parent) : QAbstractScrollArea(parent), pager_(pager), zoom_(zoom) {
        setObjectName(QStringLiteral("pages"));
        viewport()->setBackgroundRole(QPalette::Dark);
        viewport()->setAutoFillBackground(true);
        setFocusPolicy(Qt::StrongFocus);
        UpdateBars();
    }
    int Zoom() const { return zoom_; }
    void SetPager(const Pager* pager) {
        pager_ = pager;
        UpdateBars();
        viewport()->update();
    }
    void SetZoom(int zoom) {
        const double at = verticalScrollBar()->value() / double(std::max(1, Stride()));
        zoom_ = std::clamp(zoom, 10, 400);
        UpdateBars();
        verticalScrollBar()->setValue(int(at * Stride()));
        viewport()->update();
    }
    double Factor() const { return logicalDpiY() / Pager::kUnitsPerInch * zoom_ / 100.0; }
    int PageW() const { return int(std::ceil(pager_->PageWidth() * Factor())); }
    int PageH() const { return int(std::ceil(pager_->PageHeight() * Factor())); }
    int Stride() const { return PageH() + kGap; }
    int PageAtTop() const {
        return std::clamp((verticalScrollBar()->value() + kGap / 2 + Stride() / 3) / std::max(1, Stride()), 0,
                          pager_->PageCount() - 1);
    }
    void ShowPage(int page) { verticalScrollBar()->setValue(page * Stride()); }

protected:
    void resizeEvent(QResizeEvent* e) override {
        QAbstractScrollArea::resizeEvent(e);
        UpdateBars();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(viewport());
        const int vw = viewport()->width(), vh = viewport()->height();
        const int pw = PageW(), ph = PageH(), stride = Stride();
        const int y0 = verticalScrollBar()->value();
        const int x = std::max(kGap, (vw - pw) / 2) - horizontalScrollBar()->value();
        const int first = std::max(0, (y0 - kGap) / std::max(1, stride));
        const double f = Factor();
        for (int page = first; page < pager_->PageCount(); ++page) {
            const int top = kGap + page * stride - y0;
            if (top >= vh) break;
            const QRect paper(x, top, pw, ph);
            p.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 90));
            p.fillRect(paper, Qt::white);
            p.save();
            p.setClipRect(paper);
            p.translate(x, top);
            p.scale(f, f);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            pager_->PaintPage(p, page);
            p.restore();
        }
    }

private:
    static constexpr int kGap = 16;
    void UpdateBars() {
        const qint64 total = qint64(kGap) + qint64(pager_->PageCount()) * Stride();
        verticalScrollBar()->setRange(0, int(std::min<qint64>(INT_MAX / 2, std::max<qint64>(0, total - viewport()->height()))));
        verticalScrollBar()->setPageStep(viewport()->height());
        verticalScrollBar()->setSingleStep(40);
        horizontalScrollBar()->setRange(0, std::max(0, PageW() + 2 * kGap - viewport()->width()));
        horizontalScrollBar()->setPageStep(viewport()->width());
    }
    const Pager* pager_;
    int zoom_;
};

PrintPreview::PrintPreview(const Grid& grid, const PageSetup& setup, int zoomPercent, QWidget* parent)
    : QDialog(parent), grid_(grid), setup_(setup) {
    setWindowTitle(QStringLiteral("Print Preview"));
    setObjectName(QStringLiteral("PrintPreview"));
    setSizeGripEnabled(true);
    pager_ = std::make_unique<Pager>(grid_, setup_, Printing::PaperFor(PageLayoutOf(setup_)));

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("PreviewToolbar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto add = [&](const QString& name, const QString& text, QStyle::StandardPixmap icon) {
        QAction* a = bar->addAction(style()->standardIcon(icon), text);
        a->setObjectName(name);
        return a;
    };
    PrintAction = add(QStringLiteral("Print"), QStringLiteral("&Print"), QStyle::SP_DialogSaveButton);
    PrintAction->setIcon(Printing::PrintIcon());
    bar->addSeparator();
    FirstAction = add(QStringLiteral("First"), QStringLiteral("First"), QStyle::SP_MediaSkipBackward);
    PreviousAction = add(QStringLiteral("Previous"), QStringLiteral("Previous"), QStyle::SP_ArrowUp);
    NextAction = add(QStringLiteral("Next"), QStringLiteral("Next"), QStyle::SP_ArrowDown);
    LastAction = add(QStringLiteral("Last"), QStringLiteral("Last"), QStyle::SP_MediaSkipForward);
    bar->addSeparator();
    ZoomOutAction = add(QStringLiteral("ZoomOut"), QStringLiteral("Zoom Out"), QStyle::SP_ArrowLeft);
    ZoomInAction = add(QStringLiteral("ZoomIn"), QStringLiteral("Zoom In"), QStyle::SP_ArrowRight);
    bar->addSeparator();
    CloseAction = add(QStringLiteral("Close"), QStringLiteral("&Close"), QStyle::SP_DialogCloseButton);
    ZoomInAction->setShortcut(QKeySequence::ZoomIn);
    ZoomOutAction->setShortcut(QKeySequence::ZoomOut);

    view_ = new PageView(pager_.get(), zoomPercent, this);
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("printProgress"));
    progress_->hide();

    auto* status = new QHBoxLayout;
    status->addWidget(pageLabel_, 1);
    status->addWidget(progress_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(bar);
    layout->addWidget(view_, 1);
    layout->addLayout(status);

    connect(PrintAction, &QAction::triggered, this, &PrintPreview::PrintPages);
    connect(CloseAction, &QAction::triggered, this, &QDialog::close);
    connect(ZoomInAction, &QAction::triggered, this, &PrintPreview::ZoomIn);
    connect(ZoomOutAction, &QAction::triggered, this, &PrintPreview::ZoomOut);
    connect(FirstAction, &QAction::triggered, this, [this] { GoToPage(1); });
    connect(LastAction, &QAction::triggered, this, [this] { GoToPage(PageCount()); });
    connect(NextAction, &QAction::triggered, this, [this] { GoToPage(CurrentPage() + 1); });
    connect(PreviousAction, &QAction::triggered, this, [this] { GoToPage(CurrentPage() - 1); });
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { UpdatePageLabel(); });

    // Wide enough for the whole page width at the opening zoom, within the screen.
    const QSize avail = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableSize()
                                                        : QSize(1280, 1000);
    resize(std::min(avail.width() - 40, view_->PageW() + 80), std::min(avail.height() - 60, 900));
    UpdatePageLabel();
}

PrintPreview::~PrintPreview() = default;

int PrintPreview::PageCount() const { return pager_->PageCount(); }
int PrintPreview::CurrentPage() const { return view_->PageAtTop() + 1; }
int PrintPreview::Zoom() const { return view_->Zoom(); }

void PrintPreview::UpdatePageLabel() {
    pageLabel_->setText(QStringLiteral("Page %1 Of %2").arg(CurrentPage()).arg(PageCount()));
}

void PrintPreview::LayOut(const QPageLayout& paper) {
    auto pager = std::make_unique<Pager>(grid_, setup_, paper);
    view_->SetPager(pager.get());
    pager_ = std::move(pager);
    UpdatePageLabel();
}

void PrintPreview::ZoomIn() {
    view_->SetZoom(view_->Zoom() + 25);
    UpdatePageLabel();
}

void PrintPreview::ZoomOut() {
    view_->SetZoom(view_->Zoom() - 25);
    UpdatePageLabel();
}

void PrintPreview::GoToPage(int page) {
    view_->ShowPage(std::clamp(page, 1, PageCount()) - 1);
    UpdatePageLabel();
}

void PrintPreview::PrintPages() {
    // The print dialog opens on the previewed paper and orientation and on
    // the printer printed on last (or a PDF file where there is none).
    const QString name = setup_.Header.trimmed().isEmpty() ? Quillon::kTitle : setup_.Header.trimmed();
    std::unique_ptr<QPrinter> printer = Printing::DialogPrinter(pager_->Paper(), name);
    if (!Printing::AskPrinter(*printer, PageCount(), QStringLiteral("Print"))) {
        emit Printed(false);
        return;
    }
    // Another paper or orientation chosen in the dialog (or one the printer
    // would not take): the pages are laid out for it, and the preview
    // shows them as they print.
    if (!Printing::SamePaper(printer->pageLayout(), pager_->Paper())) LayOut(printer->pageLayout());
    QString error;
    bool ok = false;
    {
        // The pages go out with the hourglass showing and a bar that moves a
        // few times a second; input waits until the print is done.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        PrintAction->setEnabled(false);
        progress_->setRange(0, PageCount());
        progress_->setValue(0);
        progress_->show();
        QElapsedTimer since;
        since.start();
        ok = Print(*pager_, *printer, &error, [&](int done, int count) {
            if (since.elapsed() > 200 || done == count) {
                progress_->setRange(0, count);
                progress_->setValue(done);
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                since.restart();
            }
            return true;
        });
        progress_->hide();
        PrintAction->setEnabled(true);
        QApplication::restoreOverrideCursor();
    }
    if (!ok) MsgBox(error, vb::vbExclamation, Quillon::kTitle);
    emit Printed(ok);
}

PrintPreview* ShowPreview(const Grid& grid, const PageSetup& setup, int zoomPercent, QWidget* parent) {
    auto* preview = new PrintPreview(grid, setup, zoomPercent, parent);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    Forms::KeepReadingTabOrder(preview);
    preview->show();
    preview->raise();
    preview->activateWindow();
    return preview;
}

}  // namespace GridPrint

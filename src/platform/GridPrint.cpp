#include "platform/GridPrint.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/Colors.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/Printing.h"

namespace GridPrint {

namespace {

constexpr double kUnitsPerPixel = Pager::kUnitsPerInch / 96.0;   // grid widths are screen pixels
constexpr double kUnitsPerCm = Pager::kUnitsPerInch / 2.54;
constexpr uint32_t kHeaderRowBack = 0xE0E0E0;

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

// The cell texts of a page in one font and colour, gathered as positioned
// glyphs and drawn with one call: a page of a large grid holds hundreds of
// cells, and one text item per cell costs more than all the rest of the
// page. A text wider than its box is cut at the last whole letter that fits.
class TextBatch {
public:
    // Letters drawn one glyph each, left to right, with no shaping.
    static bool PlainScript(const QString& text) {
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

    explicit TextBatch(const QFont& font) : raw_(QRawFont::fromFont(font)) {}
    double Ascent() const { return raw_.ascent(); }
    double Descent() const { return raw_.descent(); }
    // Adds the text at the left of the box, vertically centred. False when
    // the font lacks one of its letters or its script needs shaping: such a
    // text goes through the painter's own text drawing (DrawCellText).
    bool Add(const QRectF& box, double pad, const QString& text) {
        if (text.isEmpty()) return true;
        if (!raw_.isValid() || !PlainScript(text)) return false;
        QList<quint32> glyphs = raw_.glyphIndexesForString(text);
        if (glyphs.contains(0u)) return false;
        const double right = box.right() - pad / 2;
        double x = box.left() + pad;
        const double baseline = box.top() + (box.height() + Ascent() - Descent()) / 2.0;
        const QList<QPointF> advances = raw_.advancesForGlyphIndexes(glyphs);
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            const double next = x + advances.value(i).x();
            if (next > right) break;
            glyphs_.push_back(glyphs[i]);
            positions_.push_back(QPointF(x, baseline));
            x = next;
        }
        return true;
    }
    void Draw(QPainter& p, const QColor& colour) {
        if (glyphs_.isEmpty()) return;
        QGlyphRun run;
        run.setRawFont(raw_);
        run.setGlyphIndexes(glyphs_);
        run.setPositions(positions_);
        p.setPen(colour);
        p.drawGlyphRun(QPointF(0, 0), run);
        glyphs_.clear();
        positions_.clear();
    }

private:
    QRawFont raw_;
    QList<quint32> glyphs_;
    QList<QPointF> positions_;
};

// One cell text through the painter's text drawing, which falls back to
// other fonts and shapes complex scripts; cut at the box's edge.
void DrawCellText(QPainter& p, const QFont& font, const QColor& colour, const QRectF& box, double pad,
                  const QString& text) {
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.setClipRect(box.adjusted(pad / 2, 0, -pad / 2, 0), Qt::IntersectClip);
    p.drawText(box.adjusted(pad, 0, -pad / 2, 0), int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine), text);
    p.restore();
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

Pager::Pager(const Grid& grid, const PageSetup& setup) : grid_(grid), setup_(setup) {
    const QSizeF paper = PageLayoutOf(setup).fullRectPoints().size();
    pageWidth_ = paper.width() * 10.0;
    pageHeight_ = paper.height() * 10.0;
    left_ = std::max(0.0, setup.LeftMargin) * kUnitsPerCm;
    right_ = std::max(0.0, setup.RightMargin) * kUnitsPerCm;
    top_ = std::max(0.0, setup.TopMargin) * kUnitsPerCm;
    bottom_ = std::max(0.0, setup.BottomMargin) * kUnitsPerCm;
    // Margins that leave no room fall back to a printable strip.
    if (left_ + right_ > pageWidth_ * 0.9) left_ = right_ = pageWidth_ * 0.05;
    if (top_ + bottom_ > pageHeight_ * 0.9) top_ = bottom_ = pageHeight_ * 0.05;

    double total = 0;
    for (int c = 0; c < grid.Cols(); ++c)
        if (grid.ColumnWidth(c) > 0) {
            cols_.push_back(c);
            total += grid.ColumnWidth(c);
        }
    const double printable = pageWidth_ - left_ - right_;
    scale_ = kUnitsPerPixel;
    if (total * kUnitsPerPixel > printable && total > 0) scale_ = printable / total;
    double x = left_;
    for (int c : cols_) {
        colX_.push_back(x);
        x += grid.ColumnWidth(c) * scale_;
    }
    colX_.push_back(x);

    repeatRow0_ = setup.RepeatHeaderRow && grid.Rows() > 0 && grid.RowShown(0);
    rows_.reserve(size_t(std::max(0, grid.Rows())));
    for (int r = repeatRow0_ ? 1 : 0; r < grid.Rows(); ++r)
        if (grid.RowShown(r)) rows_.push_back(r);

    const double body = pageHeight_ - top_ - bottom_;
    const double headRow = repeatRow0_ ? RowHeight(0) : 0.0;
    size_t i = 0;
    // Every page holds at least one row, however tall, so paging ends.
    while (i < rows_.size()) {
        pageStarts_.push_back(i);
        double used = headRow + RowHeight(rows_[i]);
        ++i;
        while (i < rows_.size() && used + RowHeight(rows_[i]) <= body + 1e-6) {
            used += RowHeight(rows_[i]);
            ++i;
        }
    }
    // An empty table still prints one page (with the header row, if any).
    if (pageStarts_.empty()) pageStarts_.push_back(0);
}

double Pager::RowHeight(int row) const { return grid_.RowHeight(row) * scale_; }

std::vector<int> Pager::RowsOnPage(int page) const {
    std::vector<int> rows;
    if (page < 0 || page >= PageCount()) return rows;
    if (repeatRow0_) rows.push_back(0);
    const size_t end = page + 1 < PageCount() ? pageStarts_[page + 1] : rows_.size();
    for (size_t i = pageStarts_[page]; i < end; ++i) rows.push_back(rows_[i]);
    return rows;
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
    if (rows.empty() || cols_.empty()) return;

    std::vector<double> rowY(rows.size() + 1);
    rowY[0] = top_;
    for (size_t i = 0; i < rows.size(); ++i) rowY[i + 1] = rowY[i] + RowHeight(rows[i]);
    const double tableRight = colX_.back();

    // The merges that touch this page, and the cells they cover here.
    struct PageMerge {
        QRectF box;
        int row, col;     // the anchor cell whose text and colour the merge shows
    };
    std::vector<PageMerge> merges;
    std::vector<char> covered;
    if (!grid_.Merges().empty()) {
        covered.assign(rows.size() * cols_.size(), 0);
        for (const Grid::Merge& m : grid_.Merges()) {
            int ri1 = -1, ri2 = -1, ci1 = -1, ci2 = -1;
            for (size_t i = 0; i < rows.size(); ++i)
                if (rows[i] >= m.row1 && rows[i] <= m.row2) {
                    if (ri1 < 0) ri1 = int(i);
                    ri2 = int(i);
                }
            for (size_t j = 0; j < cols_.size(); ++j)
                if (cols_[j] >= m.col1 && cols_[j] <= m.col2) {
                    if (ci1 < 0) ci1 = int(j);
                    ci2 = int(j);
                }
            if (ri1 < 0 || ci1 < 0) continue;
            for (int i = ri1; i <= ri2; ++i)
                for (int j = ci1; j <= ci2; ++j) covered[size_t(i) * cols_.size() + j] = 1;
            merges.push_back({QRectF(QPointF(colX_[ci1], rowY[ri1]), QPointF(colX_[ci2 + 1], rowY[ri2 + 1])),
                              m.row1, m.col1});
        }
    }

    const QFont normal = FontOf(setup_.CellFont);
    FontSpec boldSpec = setup_.CellFont;
    boldSpec.bold = true;
    const QFont bold = FontOf(boldSpec);
    const double pad = 2.0 * scale_;
    const bool styled = grid_.HasCustomStyle();

    auto backOf = [&](int r, int c) -> uint32_t {
        if (r == 0 && repeatRow0_) return kHeaderRowBack;
        return styled ? grid_.BackColor(r, c) : Grid::kWhite;
    };
    auto boldOf = [&](int r, int c) { return (r == 0 && repeatRow0_) || (styled && grid_.Bold(r, c)); };

    // Backgrounds first, so ruled lines and texts stay on top of them.
    for (size_t i = 0; i < rows.size(); ++i)
        for (size_t j = 0; j < cols_.size(); ++j) {
            if (!covered.empty() && covered[i * cols_.size() + j]) continue;
            const uint32_t back = backOf(rows[i], cols_[j]);
            if (back != Grid::kWhite)
                p.fillRect(QRectF(QPointF(colX_[j], rowY[i]), QPointF(colX_[j + 1], rowY[i + 1])), ColourOf(back));
        }
    for (const PageMerge& m : merges) {
        const uint32_t back = backOf(m.row, m.col);
        if (back != Grid::kWhite) p.fillRect(m.box, ColourOf(back));
    }

    if (setup_.PrintGridLines) {
        QPen pen(QColor(0x80, 0x80, 0x80));
        pen.setWidthF(3.0);
        p.setPen(pen);
        for (double y : rowY) p.drawLine(QPointF(colX_.front(), y), QPointF(tableRight, y));
        for (double x : colX_) p.drawLine(QPointF(x, rowY.front()), QPointF(x, rowY.back()));
        // A merged cell is one cell: no rules inside it.
        for (const PageMerge& m : merges) {
            const uint32_t back = backOf(m.row, m.col);
            p.fillRect(m.box.adjusted(2, 2, -2, -2), ColourOf(back));
        }
    }

    // Texts, batched by font and colour (nearly always one or two batches).
    TextBatch normalText(normal), boldText(bold);
    uint32_t fore = Grid::kBlack;
    auto add = [&](int r, int c, const QRectF& box) {
        const std::string& utf8 = grid_.TextUtf8(r, c);
        if (utf8.empty()) return;
        const uint32_t f = styled ? grid_.ForeColor(r, c) : Grid::kBlack;
        if (f != fore) {
            normalText.Draw(p, ColourOf(fore));
            boldText.Draw(p, ColourOf(fore));
            fore = f;
        }
        QString text = QString::fromStdString(utf8);
        for (QChar& ch : text)
            if (ch.unicode() < 0x20) ch = QLatin1Char(' ');   // a tab or line break prints as a blank
        const bool b = boldOf(r, c);
        if (!(b ? boldText : normalText).Add(box, pad, text)) DrawCellText(p, b ? bold : normal, ColourOf(f), box, pad, text);
    };
    for (size_t i = 0; i < rows.size(); ++i)
        for (size_t j = 0; j < cols_.size(); ++j) {
            if (!covered.empty() && covered[i * cols_.size() + j]) continue;
            // A text runs on over the empty cells to its right, as in a
            // spreadsheet, so a label wider than its column still reads.
            size_t end = j + 1;
            if (!grid_.TextUtf8(rows[i], cols_[j]).empty())
                while (end < cols_.size() && grid_.TextUtf8(rows[i], cols_[end]).empty() &&
                       (covered.empty() || !covered[i * cols_.size() + end]))
                    ++end;
            add(rows[i], cols_[j], QRectF(QPointF(colX_[j], rowY[i]), QPointF(colX_[end], rowY[i + 1])));
        }
    for (const PageMerge& m : merges) add(m.row, m.col, m.box);
    normalText.Draw(p, ColourOf(fore));
    boldText.Draw(p, ColourOf(fore));
}

bool Print(const Grid& grid, const PageSetup& setup, QPrinter& printer, QString* error,
           const std::function<bool(int, int)>& progress) {
    Pager pager(grid, setup);
    printer.setFullPage(true);
    printer.setPageLayout(PageLayoutOf(setup));
    QPainter p;
    if (!p.begin(&printer)) {
        if (error) *error = QStringLiteral("The printer \"%1\" could not start the print.").arg(printer.printerName());
        return false;
    }
    const double scale = printer.resolution() / Pager::kUnitsPerInch;
    const int count = pager.PageCount();
    for (int page = 0; page < count; ++page) {
        if (page > 0 && !printer.newPage()) {
            p.end();
            if (error) *error = QStringLiteral("The printer stopped at page %1 of %2.").arg(page + 1).arg(count);
            return false;
        }
        p.save();
        p.scale(scale, scale);
        pager.PaintPage(p, page);
        p.restore();
        if (progress && !progress(page + 1, count)) {
            printer.abort();
            p.end();
            if (error) *error = QStringLiteral("The print was cancelled.");
            return false;
        }
    }
    if (!p.end() || printer.printerState() == QPrinter::Error) {
        if (error) *error = QStringLiteral("The printer \"%1\" reported an error; the print may be incomplete.")
                                .arg(printer.outputFileName().isEmpty() ? printer.printerName()
                                                                        : printer.outputFileName());
        return false;
    }
    return true;
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
    pager_ = std::make_unique<Pager>(grid_, setup_);

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("PreviewToolbar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto add = [&](const QString& name, const QString& text, QStyle::StandardPixmap icon) {
        QAction* a = bar->addAction(style()->standardIcon(icon), text);
        a->setObjectName(name);
        return a;
    };
    PrintAction = add(QStringLiteral("Print"), QStringLiteral("&Print"), QStyle::SP_DialogSaveButton);
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
    QString error;
    std::unique_ptr<QPrinter> printer =
        Printing::OpenPrinter(setup_.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait, &error);
    if (!printer) {
        MsgBox(error, vb::vbExclamation, QStringLiteral("Quillon"));
        emit Printed(false);
        return;
    }
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
        ok = Print(grid_, setup_, *printer, &error, [&](int done, int count) {
            if (since.elapsed() > 200 || done == count) {
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
    if (!ok) MsgBox(error, vb::vbExclamation, QStringLiteral("Quillon"));
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

#pragma once
// The print side of the grid component: the page set-up record, the one
// routine that pages a grid and paints a page, printing every page to a
// printer (or PDF), and the print preview window.
//
// A printed page shows what the grid shows: hidden rows (height 0) and
// hidden columns (width 0) are left out, merged cells span their range,
// back colours, fore colours and bold are kept. Every cell text prints
// whole. A table wider than the printable width shrinks to it, its fonts
// with it, down to a readable size; what is still too wide then either goes
// to further pages (a table whose columns widen to their texts) or wraps
// inside its cells (a sheet), the rows growing. Only a text taller than a
// whole page is cut, and then it ends in "…". Every page carries the header
// and footer texts, where "&P" stands for the page number and "&N" for the
// page count.
//
// Paging needs the row heights and, for a table that widens its columns,
// one measure of every text; a page's cells are painted only when that page
// is.

#include <QDialog>
#include <QPageLayout>
#include <QString>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/Grid.h"
#include "platform/PageSetup.h"

class QLabel;
class QPainter;
class QPrinter;
class QProgressBar;
class QAction;

namespace GridPrint {

// "&P" and "&N" of a header or footer text filled in.
QString PageText(const QString& text, int page, int pageCount);

struct CellFaces;   // the cell fonts and their measures (GridPrint.cpp)

// Pages one grid under one page set-up. Coordinates are in tenths of a
// point (1/720 inch) from the paper's top-left corner; the caller scales its
// painter to that unit. The pager reads the grid while it paints, so the
// grid must outlive it and keep its layout meanwhile.
class Pager {
public:
    static constexpr double kUnitsPerInch = 720.0;
    // The smallest cell font a table shrinks to before it spreads over
    // further pages (or, on a sheet, wraps its widest columns' texts).
    static constexpr double kMinPoints = 6.0;

    Pager(const Grid& grid, const PageSetup& setup);
    // On this paper and orientation instead of the set-up's (the ones the
    // user chose in the print dialog).
    Pager(const Grid& grid, const PageSetup& setup, const QPageLayout& paper);
    ~Pager();
    // The paper (size and orientation) the pages are laid out on.
    const QPageLayout& Paper() const { return paper_; }
    int PageCount() const { return int(rowPageStarts_.size() * bands_.size()); }
    double PageWidth() const { return pageWidth_; }
    double PageHeight() const { return pageHeight_; }
    // Grid rows on a page (0-based page), in order, the repeated header row
    // first where there is one.
    std::vector<int> RowsOnPage(int page) const;
    // Grid columns on a page, left to right.
    std::vector<int> ColumnsOnPage(int page) const;
    // Every shown column, and how many pages the table takes across.
    const std::vector<int>& Columns() const { return cols_; }
    int PagesAcross() const { return int(bands_.size()); }
    double Scale() const { return scale_; }
    // The size the cell texts print at, in points.
    double CellPoints() const;
    // Printed size of a shown row and of a shown column, in Pager units.
    double PrintedRowHeight(int row) const;
    double PrintedColumnWidth(int col) const;
    // Paints page `page` (0-based). The painter's unit must be Pager units.
    void PaintPage(QPainter& painter, int page) const;

private:
    bool Bold(int row, int col) const;
    // The room a cell's text has on its row: its own cell and the empty
    // cells to its right on the same page.
    double RunOver(int row, size_t j, const std::vector<char>* covered, size_t coveredRow) const;
    void GrowRows(const std::vector<char>& wraps);
    void PaintHeaderFooter(QPainter& painter, int page) const;

    const Grid& grid_;
    PageSetup setup_;
    QPageLayout paper_;
    std::shared_ptr<const CellFaces> faces_;
    double pageWidth_ = 0, pageHeight_ = 0;
    double left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
    double scale_ = 1.0;                   // grid pixels to units, width fit included
    double cellPx_ = 0;                    // cell font size in units
    double pad_ = 0, vpad_ = 0, lineHeight_ = 0, ascent_ = 0;
    std::vector<int> cols_;                // shown columns
    std::vector<double> colLeft_, colRight_;   // per shown column, on its page
    std::vector<char> wraps_;              // per shown column: its texts may need more than one line
    std::vector<std::pair<size_t, size_t>> bands_;   // shown columns [first, end) of each page across
    std::vector<int> rows_;                // shown body rows (row 0 left out when repeated)
    std::vector<size_t> rowPageStarts_;    // index into rows_ of each page's first row
    std::unordered_map<int, double> grown_;   // rows taller than the grid has them
    bool repeatRow0_ = false;
};

// The paper of a Windows paper code, in the set-up's orientation.
QPageLayout PageLayoutOf(const PageSetup& setup);

// Prints on `printer`, on the paper and in the orientation it is set to,
// the pages and copies it asks for (a page range, several copies, collated
// or not), writing a PDF file safely (Printing::Run). `progress(done,
// count)` is called after each page; a false return stops the print. False
// with the reason when the printer failed.
bool Print(const Grid& grid, const PageSetup& setup, QPrinter& printer, QString* error = nullptr,
           const std::function<bool(int, int)>& progress = {});
// The same with pages already laid out, for the printer's paper: the pages
// a preview shows are the pages it prints.
bool Print(const Pager& pager, QPrinter& printer, QString* error = nullptr,
           const std::function<bool(int, int)>& progress = {});

class PageView;

// The print preview: the pages stacked one under the other, painted as
// they come into sight, laid out on the paper the print goes on
// (Printing::PaperFor); "Print" opens the print dialog (printer or PDF
// file, copies, pages, paper and orientation, the previewed ones
// preselected) and prints those pages. A paper or orientation changed in
// the dialog lays the pages out again, and the preview shows them so. The
// preview keeps its own copy of the grid, so it shows the grid as it was
// when it opened whatever happens to the grid afterwards.
class PrintPreview : public QDialog {
    Q_OBJECT
public:
    PrintPreview(const Grid& grid, const PageSetup& setup, int zoomPercent, QWidget* parent = nullptr);
    ~PrintPreview() override;

    int PageCount() const;
    int CurrentPage() const;    // 1-based, the page at the top of the view
    int Zoom() const;
    const Grid& SheetGrid() const { return grid_; }
    const PageSetup& Setup() const { return setup_; }

    void PrintPages();          // toolbar "Print": the print dialog, then the print
    void ZoomIn();
    void ZoomOut();
    void GoToPage(int page);    // 1-based

    QAction* PrintAction = nullptr;
    QAction* CloseAction = nullptr;
    QAction* ZoomInAction = nullptr;
    QAction* ZoomOutAction = nullptr;
    QAction* NextAction = nullptr;
    QAction* PreviousAction = nullptr;
    QAction* FirstAction = nullptr;
    QAction* LastAction = nullptr;

signals:
    void Printed(bool ok);

private:
    void UpdatePageLabel();
    void LayOut(const QPageLayout& paper);
    Grid grid_;
    PageSetup setup_;
    std::unique_ptr<Pager> pager_;
    PageView* view_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

// Opens the preview of a grid modeless and returns it (it deletes itself
// when closed). `zoomPercent` 100 shows the page at its real size.
PrintPreview* ShowPreview(const Grid& grid, const PageSetup& setup, int zoomPercent, QWidget* parent = nullptr);

}  // namespace GridPrint

#pragma once
// The print side of the grid component: the page set-up record, the one
// routine that pages a grid and paints a page, printing every page to a
// printer (or PDF), and the print preview window.
//
// A printed page shows what the grid shows: hidden rows (height 0) and
// hidden columns (width 0) are left out, merged cells span their range,
// back colours, fore colours and bold are kept. Columns wider than the
// printable width are scaled down to it (the whole table shrinks alike, so
// text still fits its cells). Every page carries the header and footer
// texts, where "&P" stands for the page number and "&N" for the page count.
//
// Paging needs only the row heights, so the page count of a 100,000-row grid
// is known at once; a page's cells are painted only when that page is.

#include <QDialog>
#include <QPageLayout>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Grid.h"

class QLabel;
class QPainter;
class QPrinter;
class QProgressBar;
class QAction;

namespace GridPrint {

struct FontSpec {
    QString name;
    double points = 8.25;
    bool bold = false;
};

// The grid's page layout, set field by field as the windows set it.
struct PageSetup {
    int PaperSize = 1;            // Windows paper codes: 1 Letter, 5 Legal, 8 A3, 9 A4, 11 A5
    double LeftMargin = 1.5;      // centimetres
    double TopMargin = 2.0;
    double RightMargin = 2.0;
    double BottomMargin = 3.0;
    double HeaderMargin = 1.0;    // from the top edge to the header
    double FooterMargin = 2.0;    // from the bottom edge to the footer
    QString Header;
    int HeaderAlignment = 0;      // 0 left, 1 centre, 2 right
    FontSpec HeaderFont{QStringLiteral("Courier New"), 10, true};
    // The two on/off options: ruled cell borders, and the header row
    // (row 0, when shown) repeated at the top of every page.
    bool PrintGridLines = false;
    bool RepeatHeaderRow = false;
    QString Footer = QStringLiteral("Page &P Of &N");
    int FooterAlignment = 2;
    FontSpec FooterFont{QStringLiteral("Courier New"), 8, false};
    int Orientation = 1;          // 1 portrait, 2 landscape
    FontSpec CellFont{QString(), 8.25, false};   // "" = the application's family
};

// "&P" and "&N" of a header or footer text filled in.
QString PageText(const QString& text, int page, int pageCount);

// Pages one grid under one page set-up. Coordinates are in tenths of a
// point (1/720 inch) from the paper's top-left corner; the caller scales its
// painter to that unit. The pager reads the grid while it paints, so the
// grid must outlive it and keep its layout meanwhile.
class Pager {
public:
    static constexpr double kUnitsPerInch = 720.0;

    Pager(const Grid& grid, const PageSetup& setup);
    int PageCount() const { return int(pageStarts_.size()); }
    double PageWidth() const { return pageWidth_; }
    double PageHeight() const { return pageHeight_; }
    // Grid rows on a page (0-based page), in order, the repeated header row
    // first where there is one.
    std::vector<int> RowsOnPage(int page) const;
    const std::vector<int>& Columns() const { return cols_; }
    double Scale() const { return scale_; }
    // Paints page `page` (0-based). The painter's unit must be Pager units.
    void PaintPage(QPainter& painter, int page) const;

private:
    double RowHeight(int row) const;
    void PaintHeaderFooter(QPainter& painter, int page) const;

    const Grid& grid_;
    PageSetup setup_;
    double pageWidth_ = 0, pageHeight_ = 0;
    double left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
    double scale_ = 1.0;                   // grid pixels to units, width fit included
    std::vector<int> cols_;                // shown columns
    std::vector<double> colX_;             // left edge of each shown column, then the right end
    std::vector<int> rows_;                // shown body rows (row 0 left out when repeated)
    std::vector<size_t> pageStarts_;       // index into rows_ of each page's first row
    bool repeatRow0_ = false;
};

// The paper of a Windows paper code, in the set-up's orientation.
QPageLayout PageLayoutOf(const PageSetup& setup);

// Prints every page on `printer` (which should be opened in the set-up's
// orientation). `progress(done, count)` is called after each page; a false
// return stops the print. False with the reason when the printer failed.
bool Print(const Grid& grid, const PageSetup& setup, QPrinter& printer, QString* error = nullptr,
           const std::function<bool(int, int)>& progress = {});

class PageView;

// The print preview: the pages stacked one under the other, painted as
// they come into sight; "Print" prints them on the printer of the Printing
// layer. The preview keeps its own copy of the grid, so it shows the grid as
// it was when it opened whatever happens to the grid afterwards.
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

    void PrintPages();          // toolbar "Print"
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

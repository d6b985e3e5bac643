#pragma once
// The grid's page set-up record, apart from the printing itself, so that the
// sheets to print can be built and laid out as plain data with no widget.

#include <QString>

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
    // How a text wider than its cell prints whole. On (a table of records):
    // every column widens to its longest text, so each value stays on one
    // line, and the columns that then do not fit the paper at a readable
    // size go to further pages, across before down. Off (a sheet): the
    // columns keep their widths and such a text wraps inside its cell, the
    // empty cells it runs on over, or its joined range; the row grows.
    bool WidenColumns = false;
};

}  // namespace GridPrint

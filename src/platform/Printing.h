#pragma once
// Where the program prints: the printer the user chose (the system's default
// printer, CUPS queues included), or, when a test or a "print to file" asks
// for it, a PDF file. Every print of the program (the chart, the work order,
// the material list, the task grid, the picture) opens its printer here, so
// "no printer" is said in one way everywhere and tests read what would have
// been printed from a PDF.

#include <QPageLayout>
#include <QString>
#include <memory>

class QPrinter;

namespace Printing {

// From now on every printer opened here writes to this PDF file instead of a
// printer ("" goes back to the real printers). Meant for tests.
void SetPdfOutput(const QString& pdfPath);
QString PdfOutput();

// True when something can be printed on: a PDF output is set, or the system
// knows at least one printer.
bool HasPrinter();

// A printer ready to paint on, in the given orientation, on Letter paper
// unless the printer says otherwise. nullptr with the reason in *error when
// no printer is available or it cannot be opened.
std::unique_ptr<QPrinter> OpenPrinter(QPageLayout::Orientation orientation, QString* error);

// The one text every print shows when there is nothing to print on.
QString NoPrinterMessage();
}

#pragma once
// Where the program prints: the printer the user chose (the system's default
// printer, CUPS queues included), or a PDF file. Every print of the program
// (the chart, the work order, the material list, the task grid, the picture)
// opens its printer here, so "no printer" is said in one way everywhere and
// tests read what would have been printed from a PDF.

#include <QIcon>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <functional>
#include <memory>

class QPrinter;

namespace Printing {

// From now on every printer opened here writes to this PDF file instead of a
// printer ("" goes back to the real printers), a printer whose paper is
// `paper` (Letter when none is given). Meant for tests.
void SetPdfOutput(const QString& pdfPath, const QPageSize& paper = QPageSize());
QString PdfOutput();
// While on, the machine's printers are not seen, as on a machine without
// any: no test ever sends a page to a real printer. Meant for tests.
void HideSystemPrinters(bool hide);

// True when something can be printed on without asking: a PDF output is
// set, or the system knows at least one printer.
bool HasPrinter();

// The printer a print without a dialog goes to, ready to paint on in the
// given orientation: the one chosen last in a print dialog since the
// program started, while it is still installed, otherwise the system's
// default. nullptr with the reason in *error when there is none or it
// cannot be opened.
std::unique_ptr<QPrinter> OpenPrinter(QPageLayout::Orientation orientation, QString* error);

// The paper every print is laid out on, its preview and its pages alike:
// the paper of the printer OpenPrinter gives (its default page size), in
// the orientation of `wanted`; with no printer, `wanted` itself.
QPageLayout PaperFor(const QPageLayout& wanted);
// Same page size and orientation: pages laid out for one fit the other.
bool SamePaper(const QPageLayout& a, const QPageLayout& b);

// Where the PDF of a document goes unless the user says otherwise: named
// after it, in the documents folder (the home folder where there is none).
QString DefaultPdfPath(const QString& documentName);

// A printer that writes the PDF file `path`, on `page`'s paper and in its
// orientation.
std::unique_ptr<QPrinter> PdfPrinter(const QString& path, const QPageLayout& page);

// The printer a print dialog opens on, set to `page` (paper and
// orientation, as PaperFor gave it): the one OpenPrinter would give, or, with no printer at all,
// a PDF file named after the document in the documents folder, so that a
// machine without a printer can still print to a file.
std::unique_ptr<QPrinter> DialogPrinter(const QPageLayout& page, const QString& documentName);

// Shows the print dialog (Dialogs::PrintDialog) for a document of
// `pageCount` pages; true when the user chose to print. A real printer
// chosen there is the one later prints without a dialog go to.
bool AskPrinter(QPrinter& printer, int pageCount, const QString& title);

// Runs `paint` on the printer (it begins and ends its own painter and
// returns false with the reason on a failure). A print to a PDF file goes
// to a temporary file first and replaces the named file, safely, only once
// it is complete: a failed print leaves a file of that name as it was.
bool Run(QPrinter& printer, const std::function<bool(QString* error)>& paint, QString* error);

// The one text every print shows when there is nothing to print on.
QString NoPrinterMessage();

// The picture of every Print button: the desktop theme's printer, or our
// own drawn one where the theme has none.
QIcon PrintIcon();
}

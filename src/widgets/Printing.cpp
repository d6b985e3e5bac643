#include "widgets/Printing.h"

#include <QDir>
#include <QPageSize>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/Dialogs.h"
#include "platform/FileOps.h"

namespace {
QString& pdfOutput() {
    static QString path;
    return path;
}
QPageSize& pdfPaper() {
    static QPageSize paper(QPageSize::Letter);
    return paper;
}
bool g_hidePrinters = false;
// The printer the user last printed on through a print dialog, by name.
QString& lastChosen() {
    static QString name;
    return name;
}

QPrinterInfo SystemPrinter() {
    if (g_hidePrinters) return {};
    if (!lastChosen().isEmpty()) {
        const QPrinterInfo chosen = QPrinterInfo::printerInfo(lastChosen());
        if (!chosen.isNull()) return chosen;
    }
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) info = QPrinterInfo::availablePrinters().value(0);
    return info;
}
}  // namespace

namespace Printing {

void SetPdfOutput(const QString& pdfPath, const QPageSize& paper) {
    pdfOutput() = pdfPath;
    pdfPaper() = paper.isValid() ? paper : QPageSize(QPageSize::Letter);
}

QString PdfOutput() { return pdfOutput(); }

void HideSystemPrinters(bool hide) { g_hidePrinters = hide; }

bool HasPrinter() { return !pdfOutput().isEmpty() || !SystemPrinter().isNull(); }

QString NoPrinterMessage() {
    return QStringLiteral("No printer is available. Install a printer and try again.");
}

QString DefaultPdfPath(const QString& documentName) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    const QString name = documentName + QStringLiteral(".pdf");
    return FileOps::Join(folder, FileOps::IsSafeFileName(name) ? name : QStringLiteral("Quillon.pdf"));
}

std::unique_ptr<QPrinter> PdfPrinter(const QString& path, const QPageLayout& page) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setPageSize(page.pageSize());
    printer->setPageOrientation(page.orientation());
    return printer;
}

QPageLayout PaperFor(const QPageLayout& wanted) {
    QPageSize paper;
    if (!pdfOutput().isEmpty()) paper = pdfPaper();
    else if (const QPrinterInfo info = SystemPrinter(); !info.isNull()) paper = info.defaultPageSize();
    if (!paper.isValid()) return wanted;
    QPageLayout page = wanted;
    page.setPageSize(paper);
    return page;
}

bool SamePaper(const QPageLayout& a, const QPageLayout& b) {
    return a.orientation() == b.orientation() && a.pageSize().isEquivalentTo(b.pageSize());
}

std::unique_ptr<QPrinter> OpenPrinter(QPageLayout::Orientation orientation, QString* error) {
    if (!pdfOutput().isEmpty())
        return PdfPrinter(pdfOutput(), QPageLayout(pdfPaper(), orientation, QMarginsF()));
    const QPrinterInfo info = SystemPrinter();
    if (info.isNull()) {
        if (error) *error = NoPrinterMessage();
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setPageOrientation(orientation);
    if (!printer->isValid()) {
        if (error) *error = QStringLiteral("The printer \"%1\" cannot be opened.").arg(printer->printerName());
        return nullptr;
    }
    return printer;
}

std::unique_ptr<QPrinter> DialogPrinter(const QPageLayout& page, const QString& documentName) {
    QString error;
    std::unique_ptr<QPrinter> printer = OpenPrinter(page.orientation(), &error);
    if (!printer) printer = PdfPrinter(DefaultPdfPath(documentName), page);
    printer->setDocName(documentName);
    printer->setPageSize(page.pageSize());
    printer->setPageOrientation(page.orientation());
    return printer;
}

bool AskPrinter(QPrinter& printer, int pageCount, const QString& title) {
    if (!Dialogs::Get().PrintDialog(printer, pageCount, title)) return false;
    if (printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty())
        lastChosen() = printer.printerName();
    return true;
}

bool Run(QPrinter& printer, const std::function<bool(QString*)>& paint, QString* error) {
    const QString target = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
    if (target.isEmpty()) return paint(error);
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/quillon-print-XXXXXX"));
    if (!scratch.isValid()) {
        if (error) *error = QStringLiteral("No room for the PDF file could be made: %1").arg(scratch.errorString());
        return false;
    }
    printer.setOutputFileName(scratch.filePath(QStringLiteral("print.pdf")));
    QString why;
    bool ok = paint(&why);
    const QString part = printer.outputFileName();
    printer.setOutputFileName(target);
    QByteArray bytes;
    if (ok) ok = FileOps::ReadFile(part, &bytes, &why) && FileOps::WriteFileSafely(target, bytes, &why);
    if (!ok && error)
        *error = QStringLiteral("The PDF file \"%1\" could not be written. %2").arg(QDir::toNativeSeparators(target), why);
    return ok;
}

QIcon PrintIcon() {
    QPixmap pix(32, 32);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    // Paper going in at the top, the printer's body, the printed sheet below.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 9));
    p.setBrush(QColor(150, 150, 160));
    p.drawRoundedRect(QRectF(3, 11, 26, 12), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 19, 14, 10));
    p.drawLine(QPointF(12, 23), QPointF(20, 23));
    p.drawLine(QPointF(12, 26), QPointF(20, 26));
    p.end();
    return QIcon::fromTheme(QStringLiteral("document-print"), QIcon(pix));
}
}  // namespace Printing

#include "platform/Printing.h"

#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
QString& pdfOutput() {
    static QString path;
    return path;
}
}

namespace Printing {

void SetPdfOutput(const QString& pdfPath) { pdfOutput() = pdfPath; }

QString PdfOutput() { return pdfOutput(); }

bool HasPrinter() {
    if (!pdfOutput().isEmpty()) return true;
    return !QPrinterInfo::defaultPrinter().isNull() || !QPrinterInfo::availablePrinters().isEmpty();
}

QString NoPrinterMessage() {
    return QStringLiteral("No printer is available. Install a printer and try again.");
}

std::unique_ptr<QPrinter> OpenPrinter(QPageLayout::Orientation orientation, QString* error) {
    if (!HasPrinter()) {
        if (error) *error = NoPrinterMessage();
        return nullptr;
    }
    std::unique_ptr<QPrinter> printer;
    if (!pdfOutput().isEmpty()) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfOutput());
        printer->setPageSize(QPageSize(QPageSize::Letter));
    } else {
        QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull()) info = QPrinterInfo::availablePrinters().value(0);
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    }
    printer->setPageOrientation(orientation);
    if (!printer->isValid()) {
        if (error) *error = QStringLiteral("The printer \"%1\" cannot be opened.").arg(printer->printerName());
        return nullptr;
    }
    return printer;
}
}

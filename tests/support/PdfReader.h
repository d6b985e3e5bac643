#pragma once
// Reads back what a print wrote to PDF, through the poppler tools.

#include <QImage>
#include <QString>

namespace PdfReader {
// The text of the PDF as `pdftotext -layout` lays it out ("" on failure).
QString Text(const QString& pdf);
// The text of one page (1-based).
QString PageText(const QString& pdf, int page);
// A value of `pdfinfo` ("Pages", "Page size", ...), trimmed.
QString Info(const QString& pdf, const QString& field);
// One page rendered at `dpi` (null image on failure).
QImage Render(const QString& pdf, int page, int dpi = 36);
}

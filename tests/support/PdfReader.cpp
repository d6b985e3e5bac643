#include "support/PdfReader.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace PdfReader {

namespace {
QString Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000)) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}
}  // namespace

QString Text(const QString& pdf) { return Run("pdftotext", {"-layout", pdf, "-"}); }

QString PageText(const QString& pdf, int page) {
    return Run("pdftotext", {"-layout", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
}

QString Info(const QString& pdf, const QString& field) {
    for (const QString& line : Run("pdfinfo", {pdf}).split('\n'))
        if (line.startsWith(field + ":")) return line.mid(field.size() + 1).trimmed();
    return {};
}

QImage Render(const QString& pdf, int page, int dpi) {
    QTemporaryDir dir;
    const QString base = dir.path() + "/page";
    Run("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", QString::number(page), "-l", QString::number(page),
                     "-singlefile", pdf, base});
    return QImage(base + ".png");
}

}  // namespace PdfReader

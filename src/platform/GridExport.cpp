#include "platform/GridExport.h"

#include <QDir>
#include <cerrno>
#include <QFileInfo>
#include <QRandomGenerator>
#include <filesystem>
#include <optional>
#include <system_error>
#include <xlsxwriter.h>

#include "platform/FileOps.h"
#include "platform/Grid.h"

namespace {

void SetError(QString* error, const QString& text) {
    if (error) *error = text;
}

// A name beside `path` that nothing uses yet, for the file being written.
QString TemporaryBeside(const QString& path) {
    const QFileInfo info(path);
    for (;;) {
        const QString candidate = info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                  QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                                 QLatin1Char('0'));
        if (!QFileInfo::exists(candidate)) return candidate;
    }
}

// Cuts text that is longer than a cell can hold, at a character boundary;
// nullopt when it fits.
std::optional<std::string> FitCell(const std::string& text) {
    using GridExport::kMaxCellChars;
    if (text.size() <= size_t(kMaxCellChars)) return std::nullopt;   // bytes >= characters
    const QList<uint> chars = QString::fromStdString(text).toUcs4();
    if (chars.size() <= kMaxCellChars) return std::nullopt;
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), kMaxCellChars).toStdString();
}

bool CheckTarget(const QString& path, QString* error) {
    if (path.isEmpty()) {
        SetError(error, QStringLiteral("No file name was given."));
        return false;
    }
    const QFileInfo info(path);
    if (!QFileInfo(info.absolutePath()).isDir()) {
        SetError(error, QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(info.absolutePath())));
        return false;
    }
    if (info.isDir()) {
        SetError(error, QStringLiteral("%1 is a folder.").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    // The sheets beside a database (Alerts.xls, temp.xls) replace no link there.
    if (const QString link = FileOps::LinkProblem(path); !link.isEmpty()) {
        SetError(error, link);
        return false;
    }
    return true;
}

}  // namespace

namespace GridExport {

std::vector<int> ShownRows(const Grid& grid) {
    std::vector<int> rows;
    rows.reserve(size_t(grid.Rows()));
    // The header row always heads the table; task rows only when shown.
    for (int r = 0; r < grid.Rows(); ++r)
        if (r == 0 || grid.RowShown(r)) rows.push_back(r);
    return rows;
}

std::vector<int> ShownColumns(const Grid& grid) {
    std::vector<int> cols;
    for (int c = 0; c < grid.Cols(); ++c)
        if (grid.ColumnWidth(c) > 0) cols.push_back(c);
    return cols;
}

QString HtmlPage(const Grid& grid, const QString& title) {
    const std::vector<int> rows = ShownRows(grid);
    const std::vector<int> cols = ShownColumns(grid);
    auto cell = [](const QString& text) {
        QString escaped = text.toHtmlEscaped();
        escaped.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        escaped.replace(QLatin1Char('\n'), QStringLiteral("<br />"));
        escaped.replace(QLatin1Char('\r'), QStringLiteral("<br />"));
        return escaped;
    };
    QString html;
    html.reserve(int(rows.size() * cols.size() * 24 + 512));
    html += QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n<title>");
    html += cell(title);
    html += QStringLiteral("</title>\n<style>table{border-collapse:collapse}th,td{border:1px solid #999;"
                           "padding:2px 6px;text-align:left;vertical-align:top}th{background:#eee}</style>\n"
                           "</head>\n<body>\n<table>\n");
    for (int r : rows) {
        const bool header = (r == 0);
        html += QStringLiteral("<tr>");
        for (int c : cols) {
            html += header ? QStringLiteral("<th>") : QStringLiteral("<td>");
            html += cell(grid.Text(r, c));
            html += header ? QStringLiteral("</th>") : QStringLiteral("</td>");
        }
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral("</table>\n</body>\n</html>\n");
    return html;
}

}  // namespace GridExport

bool ExportToExcel(const Grid& grid, const QString& path, QString* error, GridExport::Shortened* shortened) {
    GridExport::Shortened cut;
    if (shortened) *shortened = cut;
    if (!CheckTarget(path, error)) return false;
    const std::vector<int> rows = GridExport::ShownRows(grid);
    const std::vector<int> cols = GridExport::ShownColumns(grid);
    if (rows.size() > size_t(LXW_ROW_MAX) || cols.size() > size_t(LXW_COL_MAX)) {
        SetError(error, QStringLiteral("The grid has more rows or columns than a spreadsheet can hold."));
        return false;
    }

    const QString temp = TemporaryBeside(path);
    const QByteArray tempName = QFile::encodeName(temp);
    // Rows are written in order, so the workbook can stream them to disk
    // instead of holding a 100,000-row sheet in memory.
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(tempName.constData(), &options);
    if (!book) {
        SetError(error, QStringLiteral("Could not start the workbook %1.").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    lxw_format* bold = workbook_add_format(book);
    format_set_bold(bold);

    lxw_error failure = LXW_NO_ERROR;
    if (!sheet) failure = LXW_ERROR_MEMORY_MALLOC_FAILED;
    for (size_t x = 0; x < cols.size() && failure == LXW_NO_ERROR; ++x) {
        // Grid widths are pixels; a spreadsheet column is about 7 pixels a character.
        const double chars = std::max(1.0, grid.ColumnWidth(cols[x]) / 7.0);
        failure = worksheet_set_column(sheet, lxw_col_t(x), lxw_col_t(x), chars, nullptr);
    }
    for (size_t y = 0; y < rows.size() && failure == LXW_NO_ERROR; ++y) {
        const int r = rows[y];
        lxw_format* format = (r == 0) ? bold : nullptr;
        for (size_t x = 0; x < cols.size(); ++x) {
            const std::string& text = grid.TextUtf8(r, cols[x]);
            if (text.empty()) continue;
            const std::optional<std::string> fitted = FitCell(text);
            if (fitted && cut.count++ == 0) {
                cut.row = r;
                cut.col = cols[x];
            }
            const lxw_error e =
                worksheet_write_string(sheet, lxw_row_t(y), lxw_col_t(x), (fitted ? *fitted : text).c_str(), format);
            if (e != LXW_NO_ERROR) {
                failure = e;
                break;
            }
        }
    }
    errno = 0;
    const lxw_error closed = workbook_close(book);   // writes the file and frees the workbook
    const int why = errno;
    if (failure == LXW_NO_ERROR) failure = closed;
    if (failure != LXW_NO_ERROR) {
        QFile::remove(temp);
        // The library names only the step that failed; a full disk is said
        // as such, as for every other write.
        const bool full = why == ENOSPC || why == EDQUOT || why == EFBIG;
        SetError(error, QStringLiteral("Could not write %1: %2")
                            .arg(QDir::toNativeSeparators(path),
                                 full ? FileOps::ErrorText(why) : QString::fromUtf8(lxw_strerror(failure)) + '.'));
        return false;
    }

    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(tempName.toStdString()),
                            std::filesystem::path(QFile::encodeName(path).toStdString()), ec);
    if (ec) {
        QFile::remove(temp);
        SetError(error, QStringLiteral("Could not write %1: %2.")
                            .arg(QDir::toNativeSeparators(path), QString::fromStdString(ec.message())));
        return false;
    }
    if (shortened) *shortened = cut;
    return true;
}

bool ExportToHTML(const Grid& grid, const QString& path, QString* error) {
    if (!CheckTarget(path, error)) return false;
    const QString page = GridExport::HtmlPage(grid, QFileInfo(path).completeBaseName());
    QString why;
    if (!FileOps::WriteFileSafely(path, page.toUtf8(), &why)) {
        SetError(error, why.isEmpty() ? QStringLiteral("Could not write %1.").arg(QDir::toNativeSeparators(path)) : why);
        return false;
    }
    return true;
}

namespace GridExport {

void ClearSheet(const QString& folder, const QString& name) {
    const QString sheet = FileOps::Join(folder, name);
    if (FileOps::FileExists(sheet)) FileOps::RemoveFile(sheet);
}

bool WriteSheet(const Grid& grid, const QString& folder, const QString& name, QString* path, QString* error,
                Shortened* shortened) {
    const QString sheet = FileOps::Join(folder, name);
    if (path) *path = sheet;
    ClearSheet(folder, name);
    return ExportToExcel(grid, sheet, error, shortened);
}

}  // namespace GridExport

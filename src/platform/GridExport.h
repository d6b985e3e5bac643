#pragma once
// The grid's two exports: a spreadsheet workbook (xlsx content, whatever the
// file is called) and an HTML page. Both write what the grid shows: the
// header row, then the rows whose height is not 0, and only the columns
// whose width is not 0. Every cell is written as text, so nothing a user
// typed is ever taken for a formula or turned into a number.
//
// Both replace the file only once the new one is complete (a temporary file
// beside it, then a rename); on failure the old file is left as it was and
// `error` says why.

#include <QString>
#include <vector>

class Grid;

namespace GridExport {
// Rows and columns of the grid that the exports write, in order.
std::vector<int> ShownRows(const Grid& grid);      // row 0 first, when it exists
std::vector<int> ShownColumns(const Grid& grid);
// The HTML page of the shown table (UTF-8 text).
QString HtmlPage(const Grid& grid, const QString& title);

// A spreadsheet cell holds at most this many characters; a longer text goes
// into the workbook with its beginning only.
constexpr int kMaxCellChars = 32767;
// The cells a workbook holds only the beginning of: the first in the order
// written (row by row), by its grid row and column, and how many in all.
struct Shortened {
    int row = -1, col = -1;
    int count = 0;
};

// The workbook `name` in `folder` (a database's folder, where the
// spreadsheet program and the mails take their sheets from), written anew
// from the grid. A sheet left there from before is removed first, so a
// failed export leaves no stale sheet to be opened or mailed. `path` gets
// the sheet's path either way; false, with the reason in `error`, when it
// could not be written.
bool WriteSheet(const Grid& grid, const QString& folder, const QString& name, QString* path,
                QString* error = nullptr, Shortened* shortened = nullptr);
// Only the removal of the sheet `name` from `folder`.
void ClearSheet(const QString& folder, const QString& name);
}

bool ExportToExcel(const Grid& grid, const QString& path, QString* error = nullptr,
                   GridExport::Shortened* shortened = nullptr);
bool ExportToHTML(const Grid& grid, const QString& path, QString* error = nullptr);

#include "model/schedule/PrintSheets.h"

#include "model/database/TaskColumns.h"

namespace PrintSheets {

namespace {

const QString kTwoBlanks = QStringLiteral("  ");

void Label(Grid& sheet, int row, int col, const QString& text) {
    sheet.SetBold(row, col, true);
    sheet.SetText(row, col, text);
}

void Band(Grid& sheet, int row) {
    sheet.MergeRange(row, 1, row, 7);
    sheet.SetRangeBackColor(row, 1, row, 7, kBandColour);
}

// Every list row from row 17 on becomes one cell across the sheet.
void JoinListRows(Grid& sheet) {
    for (int r = kFirstListRow; r < sheet.Rows(); ++r) sheet.MergeRange(r, 1, r, sheet.Cols() - 1);
}

// Rows 1 to 14 and the column set-up both sheets share.
void HeaderBlock(Grid& sheet, const Grid& tasks, int taskRow) {
    ResetSheet(sheet);
    sheet.SetCols(8);
    sheet.SetColumnWidth(0, 0);
    sheet.SetColumnWidth(1, 80);
    sheet.SetRows(18);
    sheet.SetRowHeight(0, 0);

    auto task = [&](int col) { return tasks.Text(taskRow, col); };
    // Each label with its value in the cell to its right.
    const struct {
        int row, col;
        const char* label;
        QString value;
    } entries[] = {
        {1, 1, "Task ID:", task(Col::TaskId)},
        {2, 1, "Equipment:", task(Col::Equipment)},
        {3, 1, "Request Date:", task(Col::RequestDate)},
        {4, 1, "Scheduled Start:", task(Col::ScheduledStart) + kTwoBlanks + task(Col::StartTime)},
        {5, 1, "Scheduled End:", task(Col::ScheduledEnd) + kTwoBlanks + task(Col::EndTime)},
        {9, 1, "Assigned To:", task(Col::AssignedTo)},
        {10, 1, "Requested By:", task(Col::RequestedBy)},
        {9, 4, "Type Task:", task(Col::Type)},
        {10, 4, "Frequency:",
         QStringLiteral("Every") + kTwoBlanks + task(Col::Frequency) + kTwoBlanks + QStringLiteral("Days")},
        {11, 4, "Status:", task(Col::Status)},
    };
    for (const auto& e : entries) {
        Label(sheet, e.row, e.col, QString::fromLatin1(e.label));
        sheet.SetText(e.row, e.col + 1, e.value);
    }

    Band(sheet, 13);
    Band(sheet, 14);
}

void FitLabelColumns(Grid& sheet) {
    for (int col : {1, 2, 4, 5}) sheet.AutoFit(col);
}

// The closing band on the sixth row from the end.
void ClosingBand(Grid& sheet) { Band(sheet, sheet.Rows() - 6); }

}  // namespace

void ResetSheet(Grid& sheet) {
    sheet.ClearRows();
    sheet.SetCols(1);
    sheet.SetRows(1);
}

void GetPrint(Grid& sheet, const Grid* items) {
    if (!items) return;
    // Cell by cell: an item's text may hold a tab and stays one cell.
    for (int i = 1; i < items->Rows(); ++i) {
        sheet.AddItem(QString());
        sheet.SetText(sheet.Rows() - 1, 1, items->Text(i, 1));
    }
    JoinListRows(sheet);
}

void GetMatPrint(Grid& sheet, const Grid* materials) {
    sheet.AddItem(QStringLiteral("(Materials Needed)"));
    if (!materials) return;
    for (int i = 1; i < materials->Rows(); ++i) {
        sheet.AddItem(QString());
        sheet.SetText(sheet.Rows() - 1, 1, materials->Text(i, 1));
    }
    JoinListRows(sheet);
}

void BuildWorkOrder(Grid& sheet, const Grid& tasks, int taskRow, const Grid* items, const Grid* materials) {
    sheet.SetRedraw(false);
    HeaderBlock(sheet, tasks, taskRow);
    Label(sheet, 16, 1, QStringLiteral("Task Items:"));
    FitLabelColumns(sheet);
    GetPrint(sheet, items);
    sheet.AddItem(QString());
    sheet.AddItem(QString());
    GetMatPrint(sheet, materials);
    const QString completion = QStringLiteral("Completion Date:\t\tCompleted By:");
    for (const QString& line : {QString(), completion, QString(), completion, QString(), QString()})
        sheet.AddItem(line);
    ClosingBand(sheet);
    sheet.SetRedraw(true);
}

void BuildMaterialList(Grid& sheet, const Grid& tasks, int taskRow, const Grid* materials) {
    sheet.SetRedraw(false);
    HeaderBlock(sheet, tasks, taskRow);
    FitLabelColumns(sheet);
    GetMatPrint(sheet, materials);
    for (int i = 0; i < 11; ++i) sheet.AddItem(QString());
    ClosingBand(sheet);
    sheet.SetRedraw(true);
}

GridPrint::PageSetup SheetLayout(const QString& header) {
    GridPrint::PageSetup s;
    s.PaperSize = 1;
    s.LeftMargin = 1.5;
    s.TopMargin = 2.0;
    s.RightMargin = 2.0;
    s.BottomMargin = 3.0;
    s.HeaderMargin = 1.0;
    s.FooterMargin = 2.0;
    s.Header = header;
    s.HeaderAlignment = 1;
    s.HeaderFont = {QStringLiteral("Courier New"), 10, true};
    s.PrintGridLines = false;
    s.RepeatHeaderRow = false;
    s.Footer = QStringLiteral("Page &P Of &N");
    s.FooterAlignment = 2;
    s.FooterFont = {QStringLiteral("Courier New"), 8, false};
    s.Orientation = 1;
    return s;
}

GridPrint::PageSetup TaskGridLayout(const QString& caption) {
    GridPrint::PageSetup s = SheetLayout(caption);
    s.HeaderAlignment = 0;
    s.PrintGridLines = true;
    s.RepeatHeaderRow = true;
    s.Orientation = 2;
    s.WidenColumns = true;
    return s;
}

}  // namespace PrintSheets

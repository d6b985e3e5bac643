#pragma once
// The printed sheets of one task, built on a grid as plain data before any
// printing: the work order (its fields, task items, materials and two
// completion lines) and the material list (its fields and material names).
// Rows 1 to 16 are the label block; every row from 17 on is a list row.
//
// The list appenders take the task's loaded list, or nullptr when the task
// has no such list file: a missing file appends (and joins) nothing.

#include <QString>
#include <cstdint>

#include "platform/Grid.h"
#include "platform/PageSetup.h"

namespace PrintSheets {

// The band colour as a colour number (blue).
inline constexpr uint32_t kBandColour = 16711680;
inline constexpr int kFirstListRow = 17;

// The sheet grid in its design state: one column, one row.
void ResetSheet(Grid& sheet);

// Appends the items of the list (column 1 of rows 1..), then joins every row
// from row 17 to the last across columns 1 to the last column.
void GetPrint(Grid& sheet, const Grid* items);
// Appends "(Materials Needed)" always; then, with a list, the material names
// (never their costs) and the same join.
void GetMatPrint(Grid& sheet, const Grid* materials);

// The whole sheets for the task in row `taskRow` of the task grid.
void BuildWorkOrder(Grid& sheet, const Grid& tasks, int taskRow, const Grid* items, const Grid* materials);
void BuildMaterialList(Grid& sheet, const Grid& tasks, int taskRow, const Grid* materials);

// Page layouts: the sheets ("Work Order", "Material List": portrait, header
// centred, no rules, long texts wrapped in their cells) and the task grid
// (landscape, the window caption as header at the left, ruled, the header
// row on every page, each column as wide as its longest text).
GridPrint::PageSetup SheetLayout(const QString& header);
GridPrint::PageSetup TaskGridLayout(const QString& caption);

}  // namespace PrintSheets

#pragma once
// Working windows as the user does: real mouse clicks on buttons and grid
// cells, and letting the event loop settle (closed windows deleted) after.

#include <QByteArray>
#include <QRect>
#include <QString>
#include <Qt>
#include <vector>

class GridView;
class QAction;
class QPushButton;
class QTimeEdit;
class QToolBar;
namespace GridPrint {
class PrintPreview;
}

namespace TestUi {
// Runs pending events and deletes the windows that closed meanwhile.
void Settle();
// A real left click on the button.
void Click(QPushButton* button);
// A real left click, then Settle.
void ClickSettled(QPushButton* button);
// A real left click on the toolbar's button for `action` (fails the test
// when the toolbar or the button is missing).
void ClickAction(QToolBar* bar, QAction* action);
// The grid print previews on screen, in the order of the top-level windows.
std::vector<GridPrint::PrintPreview*> ShownPreviews();
// Where a grid cell lies in the view's viewport (invalid when the row is
// not shown).
QRect CellRect(const GridView* view, int row, int col);
// A real left click on a cell of a grid view (fails the test when the cell
// is not on screen).
void ClickRow(GridView* view, int row, int col = 1, Qt::KeyboardModifiers mods = {});
// Types hours and minutes ("1945") into a time field as the user does:
// a click on the hours, Shift+Right over their digits, then the digits.
void TypeTime(QTimeEdit* edit, const QString& hhmm);
// A file's bytes ("" when it cannot be read).
QByteArray FileBytes(const QString& path);
// The XML parts of an exported workbook's sheet together (its strings are in
// one or the other); "" when it cannot be read.
QByteArray SheetXml(const QString& path);
}

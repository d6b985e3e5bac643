#pragma once
// The print sheet host: a window that is never shown and holds the sheet
// grid the work order and the material list are built on. Its two print
// procedures give the sheet its page layout and open the preview; the
// preview keeps its own copy of the sheet, so the host can be released as
// soon as the preview is open and the next print starts from a new sheet.

#include <QWidget>

#include "platform/Grid.h"

namespace GridPrint {
class PrintPreview;
}

class Form9 : public QWidget {
    Q_OBJECT
public:
    Form9();

    Grid Grid1{1, 1};     // the sheet, in its design state after each load

    // Page header "Work Order" / "Material List"; the preview, opened
    // modeless over `parent`.
    GridPrint::PrintPreview* PrintProject(QWidget* parent = nullptr);
    GridPrint::PrintPreview* PrintMat(QWidget* parent = nullptr);
};

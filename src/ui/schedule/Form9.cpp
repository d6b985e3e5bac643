#include "ui/schedule/Form9.h"

#include "widgets/GridPrint.h"
#include "model/schedule/PrintSheets.h"

Form9::Form9() {
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("Print"));
}

GridPrint::PrintPreview* Form9::PrintProject(QWidget* parent) {
    return GridPrint::ShowPreview(Grid1, PrintSheets::SheetLayout(QStringLiteral("Work Order")), 100, parent);
}

GridPrint::PrintPreview* Form9::PrintMat(QWidget* parent) {
    return GridPrint::ShowPreview(Grid1, PrintSheets::SheetLayout(QStringLiteral("Material List")), 100, parent);
}

// The Photo page: the selected task's attached document shown as a picture,
// with zoom, fit, actual size and print.
#include <QBoxLayout>
#include <QHBoxLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include "widgets/Printing.h"
#include <QPushButton>
#include <QTimer>

#include "app/Form1.h"
#include "platform/Dialogs.h"
#include "widgets/GridView.h"
#include "widgets/PictureViewer.h"

void Form1::BuildPhotoPage() {
    if (!IHViewPortX1) return;
    QWidget* page = IHViewPortX1->parentWidget();
    auto* layout = page ? qobject_cast<QBoxLayout*>(page->layout()) : nullptr;
    auto button = [this, page](const char* name, const QString& caption, void (Form1::*handler)()) {
        auto* b = new QPushButton(caption, page);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        return b;
    };
    Command31 = button("Command31", QStringLiteral("&Zoom In"), &Form1::Command31_Click);
    Command33 = button("Command33", QStringLiteral("&Actual"), &Form1::Command33_Click);
    Command30 = button("Command30", QStringLiteral("Zoom &Out"), &Form1::Command30_Click);
    Command32 = button("Command32", QStringLiteral("&Best Fit"), &Form1::Command32_Click);
    Command35 = button("Command35", QStringLiteral("&Print"), &Form1::Command35_Click);
    if (layout) {
        auto* first = new QHBoxLayout;
        first->addWidget(Command31);
        first->addWidget(Command33);
        first->addStretch(1);
        auto* second = new QHBoxLayout;
        second->addWidget(Command30);
        second->addWidget(Command32);
        second->addWidget(Command35);
        second->addStretch(1);
        layout->addLayout(first);
        layout->addLayout(second);
    }
    if (Grid1View) connect(Grid1View, &GridView::ActiveCellChanged, this, [this] { Grid1_SelChange(); });
    // The program moves the active row too (a save, a generation, a removal,
    // a load, a filter that hides it): the page follows every move, once per
    // turn of the event loop.
    Grid1.AddObserver([this](Grid::Change change, int row, int col) {
        if (change == Grid::Change::Cell && !(row == Grid1.ActiveRow() && col == Col::Document)) return;
        if (change == Grid::Change::Layout && row >= 0) return;
        if (photoQueued_) return;
        photoQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            photoQueued_ = false;
            const int r = Grid1.ActiveRow();
            const QString document = Grid1.IsDataRow(r) ? Grid1.Text(r, Col::Document) : QString();
            if (document != photoShown_) LoadTaskPicture();
        });
    });
}

void Form1::LoadTaskPicture() {
    if (!IHViewPortX1) return;
    // Only a task row carries a document; the header row's cell is a caption.
    const int r = Grid1.ActiveRow();
    const QString document = Grid1.IsDataRow(r) ? Grid1.Text(r, Col::Document) : QString();
    // A task whose document is missing or no picture shows nothing: never
    // the picture of the task that was active before.
    if (!IHViewPortX1->LoadPicture(document)) IHViewPortX1->SetPicture(QPixmap());
    photoShown_ = document;
    IHViewPortX1->ActualSize();
}

void Form1::Grid1_SelChange() { LoadTaskPicture(); }

void Form1::Command30_Click() {
    if (IHViewPortX1) IHViewPortX1->ZoomOut();
}

void Form1::Command31_Click() {
    if (IHViewPortX1) IHViewPortX1->ZoomIn();
}

void Form1::Command32_Click() {
    if (IHViewPortX1) IHViewPortX1->BestFit();
}

void Form1::Command33_Click() {
    if (IHViewPortX1) IHViewPortX1->ActualSize();
}

void Form1::Command35_Click() {
    if (!IHViewPortX1 || IHViewPortX1->IsEmpty()) return;
    QString error;
    // One page at once on the default printer, the whole picture at the
    // viewer's size on the screen (not the zoomed part).
    auto printer = Printing::OpenPrinter(QPageLayout::Portrait, &error);
    if (!printer) {
        MsgBox(error, vb::vbExclamation, Quillon::kTitle);
        return;
    }
    if (!IHViewPortX1->PrintTo(printer.get(), IHViewPortX1->size()))
        MsgBox(QStringLiteral("The picture could not be printed."), vb::vbExclamation, Quillon::kTitle);
}

#include "app/PhotoPage.h"

#include <QHBoxLayout>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "model/database/TaskColumns.h"
#include "platform/Dialogs.h"
#include "platform/Grid.h"
#include "widgets/GridView.h"
#include "widgets/PictureViewer.h"
#include "widgets/Printing.h"

namespace {
// The document of the active task; only a task row carries one (the header
// row's cell is a caption).
QString ActiveDocument(const Grid& grid) {
    const int r = grid.ActiveRow();
    return grid.IsDataRow(r) ? grid.Text(r, Col::Document) : QString();
}
}  // namespace

PhotoPage::PhotoPage(Grid& tasks, GridView* view, QWidget* parent) : QWidget(parent), tasks_(tasks) {
    auto* layout = new QVBoxLayout(this);
    viewer_ = new PictureViewer(this);
    viewer_->setObjectName(QStringLiteral("IHViewPortX1"));
    layout->addWidget(viewer_);
    auto button = [this](const char* name, const QString& caption, void (PictureViewer::*step)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        if (step) connect(b, &QPushButton::clicked, viewer_, step);
        return b;
    };
    zoomIn_ = button("Command31", QStringLiteral("&Zoom In"), &PictureViewer::ZoomIn);
    actual_ = button("Command33", QStringLiteral("&Actual"), &PictureViewer::ActualSize);
    zoomOut_ = button("Command30", QStringLiteral("Zoom &Out"), &PictureViewer::ZoomOut);
    bestFit_ = button("Command32", QStringLiteral("&Best Fit"), &PictureViewer::BestFit);
    print_ = button("Command35", QStringLiteral("&Print"), nullptr);
    connect(print_, &QPushButton::clicked, this, &PhotoPage::PrintPicture);
    auto* first = new QHBoxLayout;
    first->addWidget(zoomIn_);
    first->addWidget(actual_);
    first->addStretch(1);
    auto* second = new QHBoxLayout;
    second->addWidget(zoomOut_);
    second->addWidget(bestFit_);
    second->addWidget(print_);
    second->addStretch(1);
    layout->addLayout(first);
    layout->addLayout(second);

    if (view) connect(view, &GridView::ActiveCellChanged, this, &PhotoPage::LoadTaskPicture);
    tasks_.AddObserver([this](Grid::Change change, int row, int col) {
        if (change == Grid::Change::Cell && !(row == tasks_.ActiveRow() && col == Col::Document)) return;
        if (change == Grid::Change::Layout && row >= 0) return;
        FollowActiveRow();
    });
}

void PhotoPage::FollowActiveRow() {
    if (queued_) return;
    queued_ = true;
    QTimer::singleShot(0, this, [this] {
        queued_ = false;
        if (ActiveDocument(tasks_) != shown_) LoadTaskPicture();
    });
}

void PhotoPage::LoadTaskPicture() {
    const QString document = ActiveDocument(tasks_);
    if (!viewer_->LoadPicture(document)) viewer_->SetPicture(QPixmap());
    shown_ = document;
    viewer_->ActualSize();
}

void PhotoPage::PrintPicture() {
    if (viewer_->IsEmpty()) return;
    QString error;
    auto printer = Printing::OpenPrinter(QPageLayout::Portrait, &error);
    if (!printer) {
        MsgBox(error, vb::vbExclamation, Quillon::kTitle);
        return;
    }
    if (!viewer_->PrintTo(printer.get(), viewer_->size()))
        MsgBox(QStringLiteral("The picture could not be printed."), vb::vbExclamation, Quillon::kTitle);
}

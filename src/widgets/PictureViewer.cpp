#include "widgets/PictureViewer.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

PictureViewer::PictureViewer(QWidget* parent)
    : QGraphicsView(parent), scene_(new QGraphicsScene(this)), item_(new QGraphicsPixmapItem) {
    scene_->addItem(item_);
    setScene(scene_);
    item_->setTransformationMode(Qt::SmoothTransformation);
    setDragMode(QGraphicsView::ScrollHandDrag);
    setTransformationAnchor(QGraphicsView::AnchorViewCenter);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackgroundRole(QPalette::Dark);
}

void PictureViewer::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    item_->setPixmap(picture_);
    scene_->setSceneRect(QRectF(QPointF(0, 0), QSizeF(picture_.size())));
}

bool PictureViewer::LoadPicture(const QString& path) {
    if (path.isEmpty()) {
        SetPicture(QPixmap());
        return true;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);   // photos carry their orientation
    const QImage image = reader.read();
    if (image.isNull()) return false;
    SetPicture(QPixmap::fromImage(image));
    return true;
}

void PictureViewer::ApplyScale(double scale) {
    scale_ = std::clamp(scale, kMinScale, kMaxScale);
    setTransform(QTransform::fromScale(scale_, scale_));
}

void PictureViewer::ZoomIn() {
    if (IsEmpty()) return;
    ApplyScale(scale_ * kZoomStep);
}

void PictureViewer::ZoomOut() {
    if (IsEmpty()) return;
    ApplyScale(scale_ / kZoomStep);
}

void PictureViewer::BestFit() {
    if (IsEmpty()) return;
    const QSize area = viewport()->size();
    if (area.isEmpty()) return;
    const double fit = std::min(double(area.width()) / picture_.width(), double(area.height()) / picture_.height());
    ApplyScale(std::min(1.0, fit));
}

void PictureViewer::ActualSize() {
    ApplyScale(1.0);
}

bool PictureViewer::PrintTo(QPaintDevice* device, const QSize& size) const {
    if (IsEmpty() || !device || size.isEmpty()) return false;
    QPainter painter;
    if (!painter.begin(device)) return false;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // `size` is in screen pixels; the page gets the same physical size.
    const double sx = double(device->logicalDpiX()) / std::max(1, logicalDpiX());
    const double sy = double(device->logicalDpiY()) / std::max(1, logicalDpiY());
    const QRect target(0, 0, std::max(1, int(size.width() * sx + 0.5)), std::max(1, int(size.height() * sy + 0.5)));
    painter.drawPixmap(target, picture_, picture_.rect());
    painter.end();
    return true;
}

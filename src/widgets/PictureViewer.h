#pragma once
// The picture viewer: one picture (possibly none) in a scrollable view with
// zoom steps, best fit and actual size. Loading a file that is not a
// readable picture keeps the picture shown before.

#include <QGraphicsView>
#include <QPixmap>

class QGraphicsPixmapItem;
class QGraphicsScene;
class QPaintDevice;

class PictureViewer : public QGraphicsView {
    Q_OBJECT
public:
    static constexpr double kZoomStep = 1.25;
    static constexpr double kMinScale = 1.0 / 64;
    static constexpr double kMaxScale = 64.0;

    explicit PictureViewer(QWidget* parent = nullptr);

    // Shows the picture; a null picture empties the viewer.
    void SetPicture(const QPixmap& picture);
    bool IsEmpty() const { return picture_.isNull(); }
    // Loads a picture file: "" empties the viewer; a file that is missing
    // or not a picture returns false and leaves the viewer as it was.
    bool LoadPicture(const QString& path);

    void ZoomIn();
    void ZoomOut();
    void BestFit();      // the whole picture inside the view, never enlarged
    void ActualSize();   // one picture pixel to one screen pixel
    double Scale() const { return scale_; }

    // Draws the whole picture stretched to `size` (screen pixels) at the
    // top-left corner of a page (or any paint device). Returns false,
    // drawing nothing, when the viewer is empty.
    bool PrintTo(QPaintDevice* device, const QSize& size) const;

private:
    void ApplyScale(double scale);
    QGraphicsScene* scene_;
    QGraphicsPixmapItem* item_;
    QPixmap picture_;
    double scale_ = 1.0;
};

// The picture viewer: a bad file keeps the old picture, the zoom steps,
// best fit, actual size, and printing the whole picture at a given size.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "platform/FileOps.h"
#include "widgets/PictureViewer.h"
#include "support/TestEnv.h"

namespace {

// Left half red, right half blue.
QString WritePicture(const QString& path, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QPainter(&image).fillRect(0, 0, size.width() / 2, size.height(), Qt::red);
    EXPECT_TRUE(image.save(path));
    return path;
}

class PictureViewerTest : public QuillonTest {};

TEST_F(PictureViewerTest, LoadZoomFitAndActualSize) {
    PictureViewer viewer;
    viewer.resize(200, 150);
    viewer.show();
    viewer.ZoomIn();   // empty: nothing changes
    EXPECT_DOUBLE_EQ(viewer.Scale(), 1.0);

    ASSERT_TRUE(viewer.LoadPicture(WritePicture(temp_ + "/big.png", {800, 600})));
    ASSERT_TRUE(FileOps::WriteFileSafely(temp_ + "/notes.txt", "just text"));
    EXPECT_FALSE(viewer.LoadPicture(temp_ + "/notes.txt"));
    EXPECT_FALSE(viewer.LoadPicture(temp_ + "/missing.png"));
    EXPECT_EQ(viewer.sceneRect().size(), QSizeF(800, 600));   // the area the view shows and scrolls

    viewer.ZoomIn();
    viewer.ZoomIn();
    viewer.ZoomOut();
    EXPECT_NEAR(viewer.Scale(), PictureViewer::kZoomStep, 1e-9);
    viewer.BestFit();   // the whole picture, no scrolling
    QApplication::processEvents();
    EXPECT_LE(800 * viewer.Scale(), viewer.viewport()->width() + 0.5);
    EXPECT_LE(600 * viewer.Scale(), viewer.viewport()->height() + 0.5);
    EXPECT_EQ(viewer.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(viewer.verticalScrollBar()->maximum(), 0);
    viewer.ActualSize();
    EXPECT_DOUBLE_EQ(viewer.transform().m11(), 1.0);
    for (int i = 0; i < 100; ++i) viewer.ZoomOut();
    EXPECT_DOUBLE_EQ(viewer.Scale(), PictureViewer::kMinScale);

    EXPECT_TRUE(viewer.LoadPicture(QString()));   // "" empties the viewer
    EXPECT_TRUE(viewer.IsEmpty());
}

TEST_F(PictureViewerTest, PrintDrawsTheWholePictureAtTheViewersSizeWhateverTheZoom) {
    PictureViewer viewer;
    QImage page(400, 300, QImage::Format_RGB32);
    page.setDotsPerMeterX(int(viewer.logicalDpiX() / 0.0254 + 0.5));
    page.setDotsPerMeterY(int(viewer.logicalDpiY() / 0.0254 + 0.5));
    page.fill(Qt::white);
    EXPECT_FALSE(viewer.PrintTo(&page, {200, 100}));
    EXPECT_EQ(page.pixelColor(10, 10), QColor(Qt::white));

    ASSERT_TRUE(viewer.LoadPicture(WritePicture(temp_ + "/p.png", {40, 40})));
    viewer.ZoomIn();
    viewer.ZoomIn();
    ASSERT_TRUE(viewer.PrintTo(&page, {200, 100}));
    EXPECT_EQ(page.pixelColor(5, 50), QColor(Qt::red));
    EXPECT_EQ(page.pixelColor(195, 50), QColor(Qt::blue));
    EXPECT_EQ(page.pixelColor(205, 50), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(100, 105), QColor(Qt::white));
}

}  // namespace

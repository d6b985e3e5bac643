#pragma once
// The Photo page: the active task's attached document shown as a picture,
// with zoom, best fit, actual size and print. A class of its own because it
// remembers which document it shows: the active row moves for many reasons
// (the user, a save, a generation, a removal, a filter that hides the row),
// and the page reloads only when the document of the active task differs,
// once per turn of the event loop, so that a run of grid changes does not
// read the picture file again and again.

#include <QString>
#include <QWidget>

class Grid;
class GridView;
class PictureViewer;
class QPushButton;

class PhotoPage : public QWidget {
    Q_OBJECT
public:
    PhotoPage(Grid& tasks, GridView* view, QWidget* parent = nullptr);

    PictureViewer* Viewer() const { return viewer_; }
    QPushButton* ZoomOutButton() const { return zoomOut_; }     // Command30
    QPushButton* ZoomInButton() const { return zoomIn_; }       // Command31
    QPushButton* BestFitButton() const { return bestFit_; }     // Command32
    QPushButton* ActualButton() const { return actual_; }       // Command33
    QPushButton* PrintButton() const { return print_; }         // Command35

    // The active task's document into the viewer, at actual size; a task
    // without a readable picture shows nothing (never the one before).
    void LoadTaskPicture();
    // One page at once on the default printer: the whole picture at the
    // viewer's size on the screen, not the zoomed part.
    void PrintPicture();

private:
    void FollowActiveRow();

    Grid& tasks_;
    PictureViewer* viewer_ = nullptr;
    QPushButton* zoomIn_ = nullptr;
    QPushButton* actual_ = nullptr;
    QPushButton* zoomOut_ = nullptr;
    QPushButton* bestFit_ = nullptr;
    QPushButton* print_ = nullptr;
    bool queued_ = false;
    QString shown_;   // the document the picture was loaded from
};

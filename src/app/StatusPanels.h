#pragma once
// The main window's status bar: the pass's text, the progress bar over the
// second panel, the time, and the mark of changes a failed save left. A
// class of its own because the progress bar keeps when it last painted: a
// pass over a large grid moves it at most a few times a second (a repaint
// per row would cost more than the pass), and always to its last value.

#include <QObject>

class QLabel;
class QProgressBar;
class QStatusBar;

class StatusPanels : public QObject {
    Q_OBJECT
public:
    explicit StatusPanels(QStatusBar* bar);

    QProgressBar* Progress() const { return progress_; }
    QLabel* UnsavedPanel() const { return unsaved_; }

    // Shown at 0, or hidden.
    void ShowProgress(bool show);
    void StepProgress(int value);
    void SetText(const QString& text);
    QString Text() const;
    // Says so while the grid holds changes whose save failed.
    void ShowUnsaved(bool unsaved);

private:
    QLabel* text_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* time_ = nullptr;
    QLabel* unsaved_ = nullptr;
    qint64 lastPaintMs_ = 0;
};

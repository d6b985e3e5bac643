#pragma once
// What the backup and restore windows share: the archive listing and the
// worker thread that writes or extracts while the window stays responsive,
// its two progress bars following the work.

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

#include "platform/ZipArchive.h"

class QProgressBar;
class QThread;
class QTimer;
class QTreeWidget;
class QWidget;

namespace ArchiveListing {
// A report view with the columns "Name", "Date", "Size", "Compressed",
// "Comment".
QTreeWidget* Make(QWidget* parent);
// One row per entry, the archive's last entry at the top.
void Fill(QTreeWidget* lv, const QList<ZipEntry>& entries);
}

class ArchiveJob : public QObject {
    Q_OBJECT
public:
    ArchiveJob(QProgressBar* fileBar, QProgressBar* overallBar, QObject* parent);
    ~ArchiveJob() override;   // cancels and waits for work still running

    // Runs `work` on a worker thread; `done` runs on this object's thread
    // once it has finished. False when a job is already running.
    bool Start(std::function<void(ZipProgress&)> work, std::function<void()> done);
    bool Running() const;
    // Asks the work to stop and waits for it.
    void CancelAndWait();
    // The same, then `done` runs as it would have: the work may have gone
    // past the point where it can stop (a restore replacing files), and
    // either way its outcome is said.
    void CancelAndFinish();

private:
    void Poll();
    QPointer<QProgressBar> fileBar_, overallBar_;
    QThread* thread_ = nullptr;
    QTimer* timer_ = nullptr;
    ZipProgress progress_;
    std::function<void()> done_;
};

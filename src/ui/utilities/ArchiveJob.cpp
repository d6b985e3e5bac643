#include "ui/utilities/ArchiveJob.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include "platform/DateText.h"

namespace ArchiveListing {

QTreeWidget* Make(QWidget* parent) {
    auto* lv = new QTreeWidget(parent);
    lv->setRootIsDecorated(false);
    lv->setUniformRowHeights(true);
    lv->setSelectionMode(QAbstractItemView::SingleSelection);
    lv->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Date"), QStringLiteral("Size"),
                         QStringLiteral("Compressed"), QStringLiteral("Comment")});
    return lv;
}

void Fill(QTreeWidget* lv, const QList<ZipEntry>& entries) {
    lv->clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(entries.size());
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        rows << new QTreeWidgetItem(QStringList{it->name, DateText::FormatGeneral(it->date),
                                                QString::number(it->size), QString::number(it->compressedSize),
                                                it->comment});
    }
    lv->addTopLevelItems(rows);
    // Names are paths and dates carry the time: at the header's default
    // widths both were cut to "plant/Tasks/I..." while the mostly empty
    // Comment column took the room.
    if (!rows.isEmpty())
        for (int column : {0, 1}) lv->resizeColumnToContents(column);
}

}  // namespace ArchiveListing

ArchiveJob::ArchiveJob(QProgressBar* fileBar, QProgressBar* overallBar, QObject* parent)
    : QObject(parent), fileBar_(fileBar), overallBar_(overallBar), timer_(new QTimer(this)) {
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &ArchiveJob::Poll);
}

ArchiveJob::~ArchiveJob() { CancelAndWait(); }

bool ArchiveJob::Running() const { return thread_ != nullptr; }

bool ArchiveJob::Start(std::function<void(ZipProgress&)> work, std::function<void()> done) {
    if (thread_) return false;
    progress_.Reset();
    done_ = std::move(done);
    QThread* thread = QThread::create([this, work = std::move(work)] { work(progress_); });
    thread_ = thread;
    connect(thread, &QThread::finished, this, [this, thread] {
        if (thread_ != thread) return;   // cancelled and reaped meanwhile
        timer_->stop();
        thread_->deleteLater();
        thread_ = nullptr;
        Poll();
        auto done = std::move(done_);
        done_ = nullptr;
        if (done) done();
    }, Qt::QueuedConnection);
    timer_->start();
    thread_->start();
    return true;
}

void ArchiveJob::CancelAndWait() {
    if (!thread_) return;
    progress_.cancel = true;
    thread_->wait();
    timer_->stop();
    delete thread_;
    thread_ = nullptr;
    done_ = nullptr;
}

void ArchiveJob::CancelAndFinish() {
    auto done = std::move(done_);
    done_ = nullptr;
    const bool running = Running();
    CancelAndWait();
    if (running && done) done();
}

void ArchiveJob::Poll() {
    if (fileBar_) fileBar_->setValue(progress_.file.load());
    if (overallBar_) overallBar_->setValue(progress_.overall.load());
}

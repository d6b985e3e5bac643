#include "app/StatusPanels.h"

#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTime>
#include <QTimer>

namespace {
qint64 NowMs() {
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    return clock.elapsed();
}
}  // namespace

StatusPanels::StatusPanels(QStatusBar* bar) : QObject(bar) {
    bar->setObjectName(QStringLiteral("StatusBar1"));
    text_ = new QLabel;
    text_->setObjectName(QStringLiteral("Panel1"));
    auto* holder = new QLabel;
    holder->setMinimumWidth(220);
    auto* holderLayout = new QHBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    progress_ = new QProgressBar(holder);
    progress_->setObjectName(QStringLiteral("Bar1"));
    progress_->setTextVisible(false);
    progress_->hide();
    holderLayout->addWidget(progress_);
    time_ = new QLabel;
    time_->setObjectName(QStringLiteral("Panel3"));
    unsaved_ = new QLabel;
    unsaved_->setObjectName(QStringLiteral("PanelUnsaved"));
    unsaved_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    unsaved_->hide();
    bar->addWidget(text_, 1);
    bar->addPermanentWidget(unsaved_);
    bar->addPermanentWidget(holder);
    bar->addPermanentWidget(time_);
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, [this] { time_->setText(QTime::currentTime().toString("HH:mm")); });
    clock->start(1000);
    time_->setText(QTime::currentTime().toString("HH:mm"));
}

void StatusPanels::ShowProgress(bool show) {
    if (show) {
        progress_->setValue(0);
        progress_->show();
        lastPaintMs_ = 0;
    } else {
        progress_->hide();
    }
}

void StatusPanels::StepProgress(int value) {
    const qint64 now = NowMs();
    if (value < progress_->maximum() && now - lastPaintMs_ < 200) return;
    lastPaintMs_ = now;
    progress_->setValue(value);
    progress_->repaint();
}

void StatusPanels::SetText(const QString& text) { text_->setText(text); }
QString StatusPanels::Text() const { return text_->text(); }

void StatusPanels::ShowUnsaved(bool unsaved) {
    unsaved_->setText(unsaved ? QStringLiteral("Unsaved changes: the last save failed") : QString());
    unsaved_->setVisible(unsaved);
}

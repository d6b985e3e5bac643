#include "widgets/Tray.h"

#include <QCursor>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include "platform/Dialogs.h"

namespace {
std::optional<bool> g_available;
}

Tray::Tray(QObject* parent) : QSystemTrayIcon(parent) {
    animation_ = new QTimer(this);
    connect(animation_, &QTimer::timeout, this, &Tray::NextFrame);
    connect(this, &QSystemTrayIcon::activated, this, &Tray::Activated);
}

bool Tray::Available() {
    if (g_available) return *g_available;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void Tray::OverrideAvailable(std::optional<bool> available) { g_available = available; }

QString Tray::NoTrayMessage() {
    return QStringLiteral(
        "This desktop has no system tray, so Quillon is minimised instead.\n"
        "Bring it back from the task bar or the window list.");
}

void Tray::SendToTray(QWidget* window) {
    if (!Available()) {
        if (!toldNoTray_) {
            toldNoTray_ = true;
            MsgBox(NoTrayMessage(), vb::vbInformation);
        }
        if (window) window->showMinimized();
        return;
    }
    if (icon().isNull()) setIcon(resting_);
    show();
    if (window) window->hide();
}

void Tray::RestoreFromTray(QWidget* window) {
    hide();
    if (!window) return;
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

void Tray::ShowMenu(QMenu* menu) {
    if (!menu || menu->isVisible()) return;
    menu->popup(QCursor::pos());
}

void Tray::AnimateIcon(const QList<QIcon>& frames, int intervalMs) {
    if (frames.isEmpty()) return;
    frames_ = frames;
    frame_ = 0;
    setIcon(frames_.first());
    animation_->start(std::max(10, intervalMs));
}

void Tray::StopAnimation() {
    animation_->stop();
    frames_.clear();
    setIcon(resting_);
}

bool Tray::Animating() const { return animation_->isActive(); }

void Tray::SetRestingIcon(const QIcon& icon) {
    resting_ = icon;
    if (!Animating()) setIcon(icon);
}

void Tray::Activated(QSystemTrayIcon::ActivationReason reason) {
    // A double click also arrives as a click first: one restore is enough.
    if (reason == QSystemTrayIcon::Trigger)
        emit IconClick();
    else if (reason == QSystemTrayIcon::Context)
        emit IconRightClick();
}

void Tray::NextFrame() {
    if (frames_.isEmpty()) return;
    frame_ = (frame_ + 1) % int(frames_.size());
    setIcon(frames_[frame_]);
}

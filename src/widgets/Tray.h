#pragma once
// The tray icon: a window goes to the desktop's notification area (hidden,
// with an icon standing for it) and comes back from it. The icon's click and
// right click are signals, its pop-up menu is the owner's, and an animation
// cycles the icon through frames until it is stopped.
//
// Where the desktop has no notification area, hiding the window would leave
// no way back to it, so the window is minimised instead and the user is told
// so once.

#include <QIcon>
#include <QList>
#include <QSystemTrayIcon>
#include <optional>

class QMenu;
class QTimer;
class QWidget;

class Tray : public QSystemTrayIcon {
    Q_OBJECT
public:
    explicit Tray(QObject* parent = nullptr);

    // Whether the desktop shows tray icons (tests decide it themselves).
    static bool Available();
    static void OverrideAvailable(std::optional<bool> available);
    static QString NoTrayMessage();

    // Icon shown, window hidden (or minimised where there is no tray).
    void SendToTray(QWidget* window);
    // Icon removed, window shown again, in front.
    void RestoreFromTray(QWidget* window);
    // Pops the menu up at the pointer, unless it is already up (the desktop
    // may show the icon's own context menu before the right click arrives).
    void ShowMenu(QMenu* menu);

    // Cycles the icon through `frames`, one every `intervalMs`, until
    // StopAnimation, which puts the resting icon back.
    void AnimateIcon(const QList<QIcon>& frames, int intervalMs);
    void StopAnimation();
    bool Animating() const;
    void SetRestingIcon(const QIcon& icon);

signals:
    void IconClick();
    void IconRightClick();

private:
    void Activated(QSystemTrayIcon::ActivationReason reason);
    void NextFrame();

    QTimer* animation_ = nullptr;
    QList<QIcon> frames_;
    int frame_ = 0;
    QIcon resting_;
    bool toldNoTray_ = false;
};

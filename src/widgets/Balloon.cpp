#include "widgets/Balloon.h"

#include <algorithm>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>

namespace {

int g_showMs = 8000;
QPointer<QWidget> g_current;

// How long a balloon stays, in milliseconds: about fifteen characters of
// the detail a second, read by someone who was elsewhere.
int ShowMsFor(const QString& detail) { return g_showMs + int(std::min<qsizetype>(detail.size(), 1000)) * 70; }

class BalloonPopup : public QFrame {
public:
    BalloonPopup(const QString& text, const QString& detail) {
        setObjectName(QStringLiteral("Balloon"));
        setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                       Qt::WindowDoesNotAcceptFocus);
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setFrameShape(QFrame::Box);
        setAutoFillBackground(true);
        setPalette(QPalette(QColor(255, 255, 225)));
        auto* layout = new QVBoxLayout(this);
        auto* title = new QLabel(QStringLiteral("<b>Quillon</b>"), this);
        auto* label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("Text"));
        layout->addWidget(title);
        layout->addWidget(label);
        if (!detail.isEmpty()) {
            auto* more = new QLabel(detail, this);
            more->setObjectName(QStringLiteral("Detail"));
            more->setWordWrap(true);
            QFont f = more->font();
            f.setPointSizeF(f.pointSizeF() * 0.9);
            more->setFont(f);
            layout->addWidget(more);
        }
        setMaximumWidth(420);
        QTimer::singleShot(ShowMsFor(detail), this, &QWidget::close);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        event->accept();
        close();
    }
};

}  // namespace

void Balloon::SetShowMs(int ms) { g_showMs = ms; }
QWidget* Balloon::Current() { return g_current.data(); }

void Balloon::ShowMessage(const QString& text, const QString& detail) {
    if (tray_ && tray_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable() &&
        QSystemTrayIcon::supportsMessages()) {
        const QString message = detail.isEmpty() ? text : text + QStringLiteral("\n") + detail;
        tray_->showMessage(QStringLiteral("Quillon"), message,
                           detail.isEmpty() ? QSystemTrayIcon::Information : QSystemTrayIcon::Warning,
                           ShowMsFor(detail));
        return;
    }
    if (g_current) g_current->close();
    auto* popup = new BalloonPopup(text, detail);
    popup->adjustSize();
    // The corner at the point, kept on the screen that holds the point.
    QScreen* screen = QGuiApplication::screenAt(at_ - QPoint(1, 1));
    if (!screen) screen = QGuiApplication::primaryScreen();
    QPoint topLeft = at_ - QPoint(popup->width(), popup->height());
    if (screen) {
        const QRect area = screen->geometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - popup->width())));
        topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() + 1 - popup->height())));
    }
    popup->move(topLeft);
    popup->show();
    g_current = popup;
}

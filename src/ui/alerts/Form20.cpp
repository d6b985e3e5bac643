#include "ui/alerts/Form20.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <cmath>

#include "ui/alerts/NotifierAnimation.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"

namespace {
const QString kFloat = QStringLiteral("Float");

std::optional<int> Coordinate(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::abs(v) > 1e6) return std::nullopt;
    return int(std::lround(v));
}
}  // namespace

Form20::Form20() {
    setObjectName(QStringLiteral("Form20"));
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Quillon Alert"));
    setFixedSize(165, 62);
    // The notifier is never the active window (it pops up over whatever the
    // user is doing), and Qt shows tool tips only in the active one.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAutoFillBackground(true);
    // Every move stores the place, with or without a button down.
    setMouseTracking(true);

    AniGIF1 = new QLabel(this);
    AniGIF1->setObjectName(QStringLiteral("AniGIF1"));
    AniGIF1->setFixedSize(NotifierAnimation::kWidth, NotifierAnimation::kHeight);
    auto* buffer = new QBuffer(this);
    buffer->setData(NotifierAnimation::Gif());
    buffer->open(QIODevice::ReadOnly);
    Movie = new QMovie(buffer, "gif", this);
    AniGIF1->setMovie(Movie);
    Movie->start();

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setCursor(Qt::PointingHandCursor);
    QFont f = Label1->font();
    f.setBold(true);
    Label1->setFont(f);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 5, 6, 5);
    layout->addWidget(AniGIF1);
    // The words take only their own room: the rest of the window is the
    // body, which the user drags.
    Label1->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addWidget(Label1, 0, Qt::AlignVCenter);
    layout->addStretch(1);

    mnufile = new QMenu(QStringLiteral("&File"), this);
    mnudismiss = mnufile->addAction(QStringLiteral("Dismiss Notifier"), this, &Form20::mnudismiss_Click);
    mnudismiss->setObjectName(QStringLiteral("mnudismiss"));
    mnusal = mnufile->addAction(QStringLiteral("Show Alerts"), this, &Form20::mnusal_Click);
    mnusal->setObjectName(QStringLiteral("mnusal"));

    AniGIF1->installEventFilter(this);
    Label1->installEventFilter(this);
    Form_Load();
}

void Form20::Form_Load() {
    QPoint pos = DefaultPosition();
    aaxRegistry reg;
    reg.Root(QStringLiteral("HKEY_CURRENT_USER"));
    reg.OpenKey(QStringLiteral("Software\\Quillon\\Float"));
    if (auto left = Coordinate(reg.GetValue(QStringLiteral("Left")))) pos.setX(*left);
    if (auto top = Coordinate(reg.GetValue(QStringLiteral("Top")))) pos.setY(*top);
    // A place stored on a screen that is gone would leave the notifier
    // where nobody can see or move it.
    if (!Reachable(pos)) pos = DefaultPosition();
    move(pos);
    Label1->setText(QStringLiteral("Quillon Alert"));
}

QPoint Form20::DefaultPosition() const {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return QPoint(0, 0);
    const QRect area = s->availableGeometry();
    return QPoint(area.right() + 1 - width() - 16, area.bottom() + 1 - height() - 16);
}

bool Form20::Reachable(const QPoint& topLeft) const {
    const QRect rect(topLeft, size());
    const int gripW = std::min(24, width()), gripH = std::min(24, height());
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect common = rect.intersected(s->geometry());
        if (common.width() >= gripW && common.height() >= gripH) return true;
    }
    return false;
}

void Form20::StorePosition() {
    aaxRegistry reg;
    reg.Root(QStringLiteral("HKEY_CURRENT_USER"));
    if (!reg.CreateKey(QStringLiteral("Software\\Quillon\\Float")) || !reg.SetValue(QStringLiteral("Top"), QString::number(y())) ||
        !reg.SetValue(QStringLiteral("Left"), QString::number(x())))
        MsgBox(Settings::NotSaved(QStringLiteral("The notifier's position")), vb::vbExclamation);
}

void Form20::PopupMenu(const QPoint& globalPos) { mnufile->popup(globalPos); }

void Form20::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    DragX = p.x();
    DragY = p.y();
    if (event->button() == Qt::RightButton) PopupMenu(event->globalPosition().toPoint());
    event->accept();
}

void Form20::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        move(x() - (DragX - p.x()), y() - (DragY - p.y()));
    }
    StorePosition();
    event->accept();
}

bool Form20::eventFilter(QObject* watched, QEvent* event) {
    if (watched != AniGIF1 && watched != Label1) return QWidget::eventFilter(watched, event);
    // The picture and the words never drag the window: their presses stop here.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) PopupMenu(me->globalPosition().toPoint());
        labelPressed_ = watched == Label1 && me->button() == Qt::LeftButton;
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        const bool click = labelPressed_ && watched == Label1 && me->button() == Qt::LeftButton &&
                           Label1->rect().contains(me->position().toPoint());
        labelPressed_ = false;
        if (click) Label1_Click();
        return true;
    }
    case QEvent::MouseMove:
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void Form20::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // Without a frame of its own it would melt into a window behind it.
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void Form20::Label1_Click() { mnusal_Click(); }

void Form20::mnusal_Click() {
    QPointer<Form20> self(this);
    emit ShowAlerts();
    if (self) close();   // the receiver may have closed it already
}

void Form20::mnudismiss_Click() { close(); }

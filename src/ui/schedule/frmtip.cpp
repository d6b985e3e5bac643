#include "ui/schedule/frmtip.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "platform/DateText.h"
#include "widgets/Forms.h"

namespace {
QRect ScreenArea(const QWidget* w) {
    QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 1024, 768);
}
}

// Mouse input passes through the tip: where it covers the chart, the chart
// must not lose the mouse to it (which would hide it, show it again, ...).
frmtip::frmtip()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput) {
    setObjectName(QStringLiteral("frmtip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    setPalette(pal);
    // 3135 x 975 twips at 15 twips a pixel; the label inside it likewise.
    setFixedSize(209, 65);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 13, 197, 43);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Forms::Centre(this);
}

QString frmtip::Caption(const QDateTime& start, const QDateTime& stop) {
    return QStringLiteral("Start: ") + DateText::FormatGeneral(start) + QLatin1Char('\n') + QStringLiteral("Stop: ") +
           DateText::FormatGeneral(stop) + QLatin1Char('\n');
}

void frmtip::ShowBar(const QDateTime& start, const QDateTime& stop) {
    const QRect area = ScreenArea(this);
    move(area.x() + area.width() / 2, area.y() + area.height() / 2);
    show();
    Label1->setText(Caption(start, stop));
}

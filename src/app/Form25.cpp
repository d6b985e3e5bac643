#include "app/Form25.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "widgets/Forms.h"
#include "widgets/Skin.h"

Form25::Form25() : QWidget(nullptr, Qt::SplashScreen | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Form25"));
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("Quillon"));
    QFont f = name->font();
    f.setPointSize(f.pointSize() * 2);
    f.setBold(true);
    name->setFont(f);
    name->setAlignment(Qt::AlignCenter);
    auto* loading = new QLabel(QStringLiteral("Loading Data.. Please Wait....."));
    loading->setObjectName(QStringLiteral("SkinLabel1"));
    loading->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);
    layout->addWidget(loading);
    setFixedSize(360, 160);
    Skin::ApplyCurrent(this);
    // The hourglass lasts while the splash shows, that is until start-up
    // ends (or a message of the start-up takes its place).
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Forms::Centre(this);
    // Kept above every window, it would cover a message of the start-up.
    qApp->installEventFilter(this);
}

bool Form25::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched != this && watched->isWidgetType()) {
        const auto* window = static_cast<QWidget*>(watched);
        if (window->isWindow() && window->isModal()) hide();
    }
    return false;
}

Form25::~Form25() { QApplication::restoreOverrideCursor(); }

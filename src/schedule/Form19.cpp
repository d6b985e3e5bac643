#include "schedule/Form19.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/Dialogs.h"
#include "platform/Forms.h"
#include "platform/GanttChart.h"
#include "platform/Printing.h"
#include "platform/WaitCursor.h"

Form19::Form19() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("Form19"));
    setWindowTitle(QStringLiteral("Print Preview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    PrintButton = Toolbar1->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Print"));
    PrintButton->setObjectName(QStringLiteral("Print"));
    PrintButton->setToolTip(QStringLiteral("Print"));
    CloseButton = Toolbar1->addAction(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Close"));
    CloseButton->setObjectName(QStringLiteral("Close"));
    CloseButton->setToolTip(QStringLiteral("Close Window"));
    layout->addWidget(Toolbar1);
    ActiveSizer1 = new QScrollArea(this);
    ActiveSizer1->setObjectName(QStringLiteral("ActiveSizer1"));
    ActiveSizer1->setBackgroundRole(QPalette::Dark);
    picPreview = new QLabel;
    picPreview->setObjectName(QStringLiteral("picPreview"));
    picPreview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ActiveSizer1->setWidget(picPreview);
    layout->addWidget(ActiveSizer1, 1);
    connect(PrintButton, &QAction::triggered, this, [this] { Toolbar1_ButtonClick(QStringLiteral("Print")); });
    connect(CloseButton, &QAction::triggered, this, [this] { Toolbar1_ButtonClick(QStringLiteral("Close")); });

    QSize size(960, 640);
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(s->availableGeometry().size());
    Forms::Prepare(this, size);
}

void Form19::ShowChart(GanttChart* chart) {
    chart_ = chart;
    picPreview->clear();
    if (!chart) return;
    chart->BeginUpdate();
    chart->EndUpdate();
    const QSize size = chart->NaturalSize();
    QPixmap picture(size);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    chart->DrawToDC(painter, 1.0);
    painter.end();
    picPreview->setPixmap(picture);
    picPreview->resize(size);
}

void Form19::Toolbar1_ButtonClick(const QString& key) {
    if (key == QLatin1String("Print")) PrintChart();
    else if (key == QLatin1String("Close")) close();
}

bool Form19::PrintChart() {
    if (!chart_) return false;
    WaitCursor hourglass;
    QString error;
    std::unique_ptr<QPrinter> printer = Printing::OpenPrinter(QPageLayout::Landscape, &error);
    QPainter painter;
    if (printer && !painter.begin(printer.get()))
        error = QStringLiteral("The printer \"%1\" could not start printing.").arg(printer->printerName());
    if (!painter.isActive()) {
        hourglass.Restore();
        MsgBox(error, vb::vbExclamation, QStringLiteral("Quillon"));
        return false;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!chart_) {
        painter.end();
        return false;
    }
    chart_->BeginUpdate();
    chart_->EndUpdate();
    // The whole chart on the printable area, its proportions kept.
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    const QSize natural = chart_->NaturalSize();
    const double scale = std::min(page.width() / natural.width(), page.height() / natural.height());
    chart_->DrawToDC(painter, scale);
    if (!painter.end()) {
        hourglass.Restore();
        MsgBox(QStringLiteral("The chart could not be printed on \"%1\".").arg(printer->printerName()),
               vb::vbExclamation, QStringLiteral("Quillon"));
        return false;
    }
    return true;
}

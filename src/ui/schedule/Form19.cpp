#include "ui/schedule/Form19.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/Dialogs.h"
#include "widgets/Forms.h"
#include "widgets/GanttChart.h"
#include "widgets/Printing.h"
#include "widgets/WaitCursor.h"

Form19::Form19() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("Form19"));
    setWindowTitle(QStringLiteral("Print Preview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    PrintButton = Toolbar1->addAction(Printing::PrintIcon(), QStringLiteral("Print"));
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

namespace {

// The printable area of the page the chart goes on, in inches; Letter in
// landscape with half-inch margins where no printer is known yet.
QSizeF PrintableInches(const QPrinter* printer) {
    if (printer) return printer->pageLayout().paintRect(QPageLayout::Inch).size();
    return QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, QMarginsF(0.5, 0.5, 0.5, 0.5),
                       QPageLayout::Inch)
        .paintRect()
        .size();
}

}  // namespace

void Form19::ShowChart(GanttChart* chart) {
    chart_ = chart;
    picPreview->clear();
    if (!chart) return;
    chart->BeginUpdate();
    chart->EndUpdate();
    // The chart as it prints: laid out for the page, at scale 1.
    QString ignored;
    const std::unique_ptr<QPrinter> printer = Printing::OpenPrinter(QPageLayout::Landscape, &ignored);
    const QSize size = chart->PrintSize(PrintableInches(printer.get()));
    QPixmap picture(size);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    chart->DrawToDC(painter, 1.0, size);
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
    QString error;
    // No dialog: the printer printed on last, or the default one; with no
    // printer at all, a PDF file the user names.
    std::unique_ptr<QPrinter> printer = Printing::OpenPrinter(QPageLayout::Landscape, &error);
    if (!printer && !Printing::HasPrinter()) {
        QString file = Dialogs::Get().SaveFileName(QStringLiteral("Print The Chart To A PDF File"),
                                                   QStringLiteral("PDF (*.pdf)"),
                                                   Printing::DefaultPdfPath(QStringLiteral("Gantt Chart")));
        if (file.isEmpty()) return false;
        if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".pdf");
        printer = Printing::PdfPrinter(file, QPageLayout::Landscape);
    }
    if (!printer || !chart_) {
        if (!printer) MsgBox(error, vb::vbExclamation, QStringLiteral("Quillon"));
        return false;
    }
    // The name the print queue shows the job under.
    printer->setDocName(QStringLiteral("Gantt Chart"));
    WaitCursor hourglass;
    const bool ok = Printing::Run(*printer, [&](QString* why) {
        QPainter painter;
        if (!painter.begin(printer.get())) {
            *why = QStringLiteral("The printer \"%1\" could not start printing.").arg(printer->printerName());
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!chart_) {
            painter.end();
            *why = QStringLiteral("The chart was closed before it was printed.");
            return false;
        }
        chart_->BeginUpdate();
        chart_->EndUpdate();
        // The whole chart laid out for the printable area and filling its width.
        const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
        const QSize size = chart_->PrintSize(PrintableInches(printer.get()));
        chart_->DrawToDC(painter, page.width() / size.width(), size);
        if (!painter.end()) {
            *why = QStringLiteral("The chart could not be printed on \"%1\".").arg(printer->printerName());
            return false;
        }
        return true;
    }, &error);
    if (!ok) {
        hourglass.Restore();
        MsgBox(error, vb::vbExclamation, QStringLiteral("Quillon"));
    }
    return ok;
}

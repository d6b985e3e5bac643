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
#include <cmath>

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

// The chart's page: landscape on the paper of the printer it goes to
// (Letter where there is none), inside half-inch margins, on any printer
// and in a PDF file alike.
QPageLayout ChartPage(const QPageSize& paper) {
    return QPageLayout(paper, QPageLayout::Landscape, QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
}

QPageLayout ChartPage() {
    return Printing::PaperFor(ChartPage(QPageSize(QPageSize::Letter)));
}

// The size the chart is laid out in on that page.
QSize ChartSize(const GanttChart& chart, const QPageLayout& page) {
    return chart.PrintSize(page.paintRect(QPageLayout::Inch).size());
}

// Paints the whole page, at `dotsPerInch` from the paper's corner: the
// chart laid out for the area inside the margins and filling its width.
void PaintPage(QPainter& painter, const GanttChart& chart, const QPageLayout& page, double dotsPerInch) {
    const QRectF area = page.paintRect(QPageLayout::Inch);
    const QSize size = ChartSize(chart, page);
    painter.save();
    painter.translate(area.left() * dotsPerInch, area.top() * dotsPerInch);
    chart.DrawToDC(painter, area.width() * dotsPerInch / size.width(), size);
    painter.restore();
}

}  // namespace

void Form19::ShowChart(GanttChart* chart) { ShowChart(chart, ChartPage()); }

void Form19::ShowChart(GanttChart* chart, const QPageLayout& page) {
    chart_ = chart;
    page_ = page;
    picPreview->clear();
    if (!chart) return;
    chart->BeginUpdate();
    chart->EndUpdate();
    // The page as it prints, the chart on it at scale 1.
    const double dotsPerInch = ChartSize(*chart, page).width() / page.paintRect(QPageLayout::Inch).width();
    const QSizeF paper = page.fullRect(QPageLayout::Inch).size() * dotsPerInch;
    QPixmap picture(QSize(int(std::lround(paper.width())), int(std::lround(paper.height()))));
    picture.fill(Qt::white);
    QPainter painter(&picture);
    PaintPage(painter, *chart, page, dotsPerInch);
    painter.end();
    picPreview->setPixmap(picture);
    picPreview->resize(picture.size());
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
        // There is no printer to take the paper from, as was just found:
        // Letter, without asking for the printers once more.
        printer = Printing::PdfPrinter(file, ChartPage(QPageSize(QPageSize::Letter)));
    }
    if (!printer || !chart_) {
        if (!printer) MsgBox(error, vb::vbExclamation, QStringLiteral("Quillon"));
        return false;
    }
    // The name the print queue shows the job under.
    printer->setDocName(QStringLiteral("Gantt Chart"));
    printer->setFullPage(true);
    const QPageLayout page = ChartPage(printer->pageLayout().pageSize());
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
        // From the paper's corner, so the margins are the page's own and
        // not whatever the printer or the PDF writer keeps free.
        PaintPage(painter, *chart_, page, printer->resolution());
        if (!painter.end()) {
            *why = QStringLiteral("The chart could not be printed on \"%1\".").arg(printer->printerName());
            return false;
        }
        return true;
    }, &error);
    // The preview shows the page printed, also when the printer took
    // another paper than the one previewed.
    if (ok && chart_ && !Printing::SamePaper(page, page_)) ShowChart(chart_, page);
    if (!ok) {
        hourglass.Restore();
        MsgBox(error, vb::vbExclamation, QStringLiteral("Quillon"));
    }
    return ok;
}

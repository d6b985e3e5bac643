// What the print preview shows is what prints: for the work order, the
// material list, the task grid and the chart, the preview's pages (count,
// paper, breaks, looks) are the pages of the PDF its Print writes, on the
// printer's own paper and on one chosen in the print dialog.
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QToolBar>
#include <cmath>
#include <functional>
#include <optional>
#include <gtest/gtest.h>

#include "model/lists/ListFile.h"
#include "platform/DateText.h"
#include "ui/schedule/Form19.h"
#include "widgets/Forms.h"
#include "widgets/GridPrint.h"
#include "widgets/Printing.h"
#include "support/MainWindow.h"
#include "support/PdfReader.h"
#include "support/ScriptedDialogs.h"
#include "support/Ui.h"

namespace {

// How alike two pictures of a page are, from 1 (the same) down: the
// correlation of their grey levels, reduced to a coarse picture. Poppler
// and Qt smooth glyphs and hair-thin rules differently, but a row or a
// page break that moved shifts whole blocks of ink.
double Likeness(const QImage& a, const QImage& b) {
    const QSize size(a.width() / 3, a.height() / 3);
    auto coarse = [&](const QImage& page) {
        return page.convertToFormat(QImage::Format_Grayscale8)
            .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    };
    const QImage x = coarse(a), y = coarse(b);
    double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    const double n = double(size.width()) * size.height();
    for (int r = 0; r < size.height(); ++r)
        for (int c = 0; c < size.width(); ++c) {
            const double u = x.constScanLine(r)[c], v = y.constScanLine(r)[c];
            sx += u, sy += v, sxx += u * u, syy += v * v, sxy += u * v;
        }
    const double cov = sxy - sx * sy / n;
    return cov / std::sqrt(std::max(1e-9, (sxx - sx * sx / n) * (syy - sy * sy / n)));
}

using TestUi::ClickAction;

// Page `page` of a grid preview, turned to with First and Next: the first
// paper in view seen whole (white on the dark page area, its left margin
// blank from its top edge to its bottom edge).
QImage Shown(GridPrint::PrintPreview* p, int page) {
    QToolBar* bar = p->findChild<QToolBar*>("PreviewToolbar");
    ClickAction(bar, p->FirstAction);
    for (int i = 1; i < page; ++i) ClickAction(bar, p->NextAction);
    const QImage shot = p->findChild<QAbstractScrollArea*>("pages")->viewport()->grab().toImage();
    auto white = [&](int x, int y) { return shot.pixelColor(x, y) == QColor(Qt::white); };
    for (int y = 1; y < shot.height(); ++y) {
        int left = 0;
        while (left < shot.width() && !white(left, y)) ++left;
        if (left + 3 >= shot.width()) continue;
        int bottom = y;
        while (bottom < shot.height() && white(left + 3, bottom)) ++bottom;
        if (white(left + 3, y - 1) || bottom >= shot.height()) {
            y = bottom;
            continue;
        }
        int right = left;
        while (right < shot.width() && white(right, y)) ++right;
        return shot.copy(left, y, right - left, bottom - y);
    }
    return {};
}

class PreviewIsThePrint : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        NewDatabase();
        AddListEntries(ListSection::Employees, {{"Ann", "255"}, {"Bob", "65280"}});
        today_ = form_->DatePicker1->date();
        // 75 complete tasks among 90, within the chart's window.
        for (int i = 1; i <= 90; ++i)
            AddTask({QStringLiteral("ID-%1").arg(i), QStringLiteral("Pump %1").arg(i % 7),
                     DateText::FormatDate(today_), DateText::FormatDate(today_.addDays(i % 9)), "08:00:00",
                     DateText::FormatDate(today_.addDays(i % 9 + 1)), "16:00:00", i % 2 ? "Ann" : "Bob", "Dan",
                     "Inspection", "7", "", i <= 75 ? "Complete" : "Ready"});
        QStringList items;
        for (int i = 1; i <= 40; ++i) items << QStringLiteral("Check point %1 of the pump").arg(i);
        WriteItems("ID-3", items);
        std::vector<std::pair<QString, QString>> materials;
        for (int i = 1; i <= 60; ++i) materials.emplace_back(QStringLiteral("Seal kit %1").arg(i), "4");
        WriteMaterials("ID-3", materials);
        QTest::mouseClick(form_->Command1, Qt::LeftButton);
        QApplication::processEvents();
    }
    QDate today_;
};

TEST_F(PreviewIsThePrint, EverySheetPrintsThePagesItsPreviewShows) {
    ClickListItem("Complete");   // the grid shows 75 rows
    const std::pair<const char*, std::function<void()>> sheets[] = {
        {"Work Order", [this] { SelectTask(3); ClickListItem("Work Order"); }},
        {"Material List", [this] { SelectTask(3); ClickListItem("Materials"); }},
        {"Task Grid", [this] { ClickToolButton("Print"); }},
        {"Chart", [this] { ClickListItem("Chart"); }},
    };
    ScriptedDialogs::PrintAnswer legal;
    legal.paper = QPageSize::Legal;
    legal.orientation = QPageLayout::Landscape;
    const struct {
        const char* name;
        QPageSize::PageSizeId paper;   // the printer's own paper
        std::optional<ScriptedDialogs::PrintAnswer> dialog;
    } printers[] = {
        {"an A4 printer", QPageSize::A4, std::nullopt},
        {"Legal, landscape, chosen in the print dialog", QPageSize::Letter, legal},
    };
    const QString pdf = temp_ + "/printed.pdf";
    for (const auto& printer : printers)
        for (const auto& [name, open] : sheets) {
            SCOPED_TRACE(std::string(name) + " on " + printer.name);
            Printing::SetPdfOutput(pdf, QPageSize(printer.paper));
            QFile::remove(pdf);
            TestEnv::Dialogs().Reset();
            if (printer.dialog) TestEnv::Dialogs().AnswerPrint(*printer.dialog);
            open();
            const auto previews = TestUi::ShownPreviews();   // none: the chart's own preview
            ASSERT_LE(previews.size(), 1u);
            GridPrint::PrintPreview* p = previews.empty() ? nullptr : previews.front();
            Form19* chart = p ? nullptr : Forms::Loaded<Form19>();
            ASSERT_TRUE(p || chart);
            QToolBar* bar = p ? p->findChild<QToolBar*>("PreviewToolbar") : chart->Toolbar1;
            auto count = [p] { return p ? p->findChild<QLabel*>("pageLabel")->text().section(" Of ", 1).toInt() : 1; };
            if (p) {
                p->resize(900, 760);
                ClickAction(bar, p->ZoomOutAction);
                ClickAction(bar, p->ZoomOutAction);
            }
            const int previewed = count();
            ClickAction(bar, p ? p->PrintAction : chart->PrintButton);
            // A paper chosen in the dialog lays the preview out again.
            const int pages = count();
            if (!printer.dialog) {
                EXPECT_EQ(pages, previewed);
            }
            ASSERT_EQ(PdfReader::Info(pdf, "Pages"), QString::number(pages));
            // The chart prints with no dialog: on the printer's own paper.
            const QSizeF paper = QPageSize(p && printer.dialog ? *printer.dialog->paper : printer.paper)
                                     .size(QPageSize::Point);
            const QStringList size = PdfReader::Info(pdf, "Page size").split(' ');
            ASSERT_GE(size.size(), 3);
            EXPECT_NEAR(std::min(size[0].toDouble(), size[2].toDouble()), paper.width(), 1.0);
            EXPECT_NEAR(std::max(size[0].toDouble(), size[2].toDouble()), paper.height(), 1.0);
            for (int page = 1; page <= pages; ++page) {
                SCOPED_TRACE(page);
                const QString footer = QStringLiteral("Page %1 Of %2").arg(page).arg(pages);
                EXPECT_TRUE(!p || PdfReader::PageText(pdf, page).contains(footer)) << footer.toStdString();
                const QImage shown = p ? Shown(p, page) : chart->picPreview->grab().toImage();
                ASSERT_FALSE(shown.isNull());
                const QImage printed = PdfReader::Render(pdf, page, 96);
                EXPECT_NEAR(double(shown.width()) / shown.height(), double(printed.width()) / printed.height(), 0.02)
                    << "the same paper";
                EXPECT_GT(Likeness(shown, printed.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)),
                          0.9);
            }
            ClickAction(bar, p ? p->CloseAction : chart->CloseButton);
            TestUi::Settle();
        }
}

TEST_F(PreviewIsThePrint, TheChartPrintsWholeInsideItsMarginsWithOrWithoutAPrinter) {
    for (const bool printer : {true, false}) {
        SCOPED_TRACE(printer ? "a printer" : "no printer, a PDF file the user names");
        const QString pdf = temp_ + (printer ? "/queue.pdf" : "/week.pdf");
        Printing::SetPdfOutput(printer ? pdf : QString());
        if (!printer) TestEnv::Dialogs().AnswerSave(temp_ + "/week");
        ClickListItem("Chart");
        Form19* preview = Forms::Loaded<Form19>();
        ASSERT_NE(preview, nullptr);
        ClickAction(preview->Toolbar1, preview->PrintButton);
        // The window runs eleven days and labels every other one, on the
        // calendar's rhythm rather than today's: the last label, on one of
        // the last two days, is whole.
        const QString text = PdfReader::Text(pdf);
        EXPECT_TRUE(text.contains(DateText::FormatDate(today_.addDays(10))) ||
                    text.contains(DateText::FormatDate(today_.addDays(9))))
            << text.toStdString();
        // Everything drawn lies inside half-inch margins and reaches the right one.
        const QImage page = PdfReader::Render(pdf, 1, 72).convertToFormat(QImage::Format_Grayscale8);
        QRect ink;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if (page.constScanLine(y)[x] < 250) ink |= QRect(x, y, 1, 1);
        EXPECT_TRUE(QRect(35, 35, page.width() - 70, page.height() - 70).contains(ink))
            << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
        EXPECT_GE(ink.right(), page.width() - 36 - 3);
        ClickAction(preview->Toolbar1, preview->CloseButton);
        TestUi::Settle();
    }
}

}  // namespace

// Paging and painting a grid for print: which rows land on which page, the
// width fit, header and footer texts, colours and merges in the PDF, the
// preview driven from its toolbar, and a printer that cannot print.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QPointer>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include "widgets/GridPrint.h"
#include "widgets/Printing.h"
#include "support/PdfReader.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnv.h"
#include "support/Ui.h"

namespace {

class GridPrintTest : public QuillonTest {
protected:
    void TearDown() override {
        Printing::SetPdfOutput({});
        // Pick the previews out first: deleting one deletes its own pop-ups,
        // which are top-level widgets of the same list.
        QList<QPointer<QWidget>> previews;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<GridPrint::PrintPreview*>(w)) previews << w;
        for (const QPointer<QWidget>& w : previews) delete w.data();
        QuillonTest::TearDown();
    }
    // A task-like grid: header row, `rows` rows of texts "R<r>C<c>".
    static Grid Table(int rows, int cols = 6, int width = 90) {
        Grid g(rows + 1, cols);
        g.SetColumnWidth(0, 0);
        for (int c = 1; c < cols; ++c) {
            g.SetColumnWidth(c, width);
            g.SetText(0, c, QStringLiteral("Head%1").arg(c));
        }
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c < cols; ++c) g.SetText(r, c, QStringLiteral("R%1C%2").arg(r).arg(c));
        return g;
    }
    static GridPrint::PageSetup Landscape(bool repeatHeader = true) {
        GridPrint::PageSetup s;
        s.Header = QStringLiteral("Plant tasks");
        s.Orientation = 2;
        s.PrintGridLines = true;
        s.RepeatHeaderRow = repeatHeader;
        return s;
    }
    // Prints the grid to a PDF in the test folder and returns its path.
    QString PrintPdf(const Grid& g, const GridPrint::PageSetup& setup, const QString& name,
                     const std::function<bool(int, int)>& progress = {}) {
        const QString pdf = temp_ + "/" + name;
        Printing::SetPdfOutput(pdf);
        QString error;
        auto printer = Printing::OpenPrinter(setup.Orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait,
                                             &error);
        EXPECT_TRUE(printer) << error.toStdString();
        if (!printer) return pdf;
        EXPECT_TRUE(GridPrint::Print(g, setup, *printer, &error, progress)) << error.toStdString();
        return pdf;   // complete once the printer is gone
    }
    static void ClickTool(GridPrint::PrintPreview* preview, QAction* action) {
        TestUi::ClickAction(preview->findChild<QToolBar*>("PreviewToolbar"), action);
    }
};

TEST_F(GridPrintTest, EveryShownRowLandsOnExactlyOnePageInOrderWithinTheBody) {
    Grid g = Table(200);
    for (int r = 10; r < 40; ++r) g.SetRowHeight(r, 0);   // filtered away
    g.SetRowHeight(50, 60);                               // a taller row
    GridPrint::Pager pager(g, Landscape());
    ASSERT_GT(pager.PageCount(), 2);

    const double body = pager.PageHeight() - (2.0 + 3.0) * GridPrint::Pager::kUnitsPerInch / 2.54;
    std::vector<int> seen;
    for (int page = 0; page < pager.PageCount(); ++page) {
        const std::vector<int> rows = pager.RowsOnPage(page);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows.front(), 0) << "header row repeated on page " << page + 1;
        double used = 0;
        for (int r : rows) used += g.RowHeight(r) * pager.Scale();
        EXPECT_LE(used, body + 1e-6) << "page " << page + 1 << " overflows";
        seen.insert(seen.end(), rows.begin() + 1, rows.end());
    }
    std::vector<int> expected;
    for (int r = 1; r <= 200; ++r)
        if (r < 10 || r >= 40) expected.push_back(r);
    EXPECT_EQ(seen, expected);

    // Without the repeat, row 0 is an ordinary first row on page 1 only.
    GridPrint::Pager plain(g, Landscape(false));
    EXPECT_EQ(plain.RowsOnPage(0).front(), 0);
    EXPECT_NE(plain.RowsOnPage(1).front(), 0);
    // An empty grid still gives one page; nonsense pages give nothing.
    Grid none(0, 0);
    GridPrint::Pager empty(none, Landscape());
    EXPECT_EQ(empty.PageCount(), 1);
    EXPECT_TRUE(empty.RowsOnPage(0).empty());
    EXPECT_TRUE(pager.RowsOnPage(-1).empty());
    EXPECT_TRUE(pager.RowsOnPage(pager.PageCount()).empty());
}

TEST_F(GridPrintTest, WideTablesShrinkToAReadableSizeThenGoOnOnFurtherPagesAcross) {
    Grid g = Table(5, 14, 300);
    g.SetColumnWidth(12, 0);
    GridPrint::PageSetup table = Landscape();
    table.WidenColumns = true;
    GridPrint::Pager pager(g, table);
    std::vector<int> cols = pager.Columns();
    EXPECT_EQ(cols, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13}));
    // Twelve columns of 300 pixels would print at 2 points: the fonts stop
    // at 6 points and the columns that do not fit go on further pages.
    EXPECT_NEAR(pager.CellPoints(), GridPrint::Pager::kMinPoints, 1e-9);
    ASSERT_GT(pager.PagesAcross(), 1);
    EXPECT_EQ(pager.PageCount(), pager.PagesAcross());
    const double printable = pager.PageWidth() - (1.5 + 2.0) * GridPrint::Pager::kUnitsPerInch / 2.54;
    std::vector<int> across;
    for (int page = 0; page < pager.PageCount(); ++page) {
        double width = 0;
        for (int c : pager.ColumnsOnPage(page)) width += pager.PrintedColumnWidth(c);
        EXPECT_LE(width, printable + 1e-6) << "page " << page + 1;
        EXPECT_EQ(pager.RowsOnPage(page).front(), 0) << "header row on page " << page + 1;
        for (int c : pager.ColumnsOnPage(page)) across.push_back(c);
    }
    EXPECT_EQ(across, cols);

    // A narrow table keeps its real size (one pixel is 1/96 inch).
    GridPrint::Pager narrow(Table(5, 3, 100), Landscape());
    EXPECT_DOUBLE_EQ(narrow.Scale(), GridPrint::Pager::kUnitsPerInch / 96.0);
    EXPECT_DOUBLE_EQ(narrow.CellPoints(), 8.25);
}

TEST_F(GridPrintTest, AValueWiderThanThePaperWrapsAndOnlyATextTallerThanAPageIsCutWithAMark) {
    QStringList words;
    for (int i = 1; i <= 120; ++i) words << QStringLiteral("step%1").arg(i);
    const QString value = words.join(' ');
    Grid table = Table(3, 4);
    table.SetText(2, 1, QString());
    table.SetText(2, 2, value);
    table.SetText(2, 3, QString());
    GridPrint::PageSetup widen = Landscape();
    widen.WidenColumns = true;
    const GridPrint::Pager pager(table, widen);
    EXPECT_EQ(pager.PagesAcross(), 1);
    EXPECT_GT(pager.PrintedRowHeight(2), 2 * pager.PrintedRowHeight(1));
    const QString text = PdfReader::Text(PrintPdf(table, widen, "wide.pdf")).simplified();
    EXPECT_TRUE(text.contains(QStringLiteral("R1C3 ") + value + QStringLiteral(" R3C1"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QChar(0x2026)));

    // A joined range holding more than a page: as much as the page holds,
    // ending in "…", and the rows after it on the next page.
    words.clear();
    for (int i = 1; i <= 6000; ++i) words << QStringLiteral("item%1").arg(i);
    Grid sheet(3, 4);
    sheet.SetColumnWidth(0, 0);
    sheet.SetRowHeight(0, 0);
    sheet.MergeRange(1, 1, 1, 3);
    sheet.SetText(1, 1, words.join(' '));
    sheet.SetText(2, 1, QStringLiteral("after"));
    const QString pdf = PrintPdf(sheet, GridPrint::PageSetup(), "tall.pdf");
    EXPECT_EQ(PdfReader::Info(pdf, "Pages"), "2");
    const QString first = PdfReader::PageText(pdf, 1);
    EXPECT_TRUE(first.contains(QStringLiteral("item1 item2")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("item\\d*\u2026\\s*\\n")).match(first).hasMatch()) << first.toStdString();
    EXPECT_FALSE(first.contains(QStringLiteral("item6000")));
    EXPECT_TRUE(PdfReader::PageText(pdf, 2).contains("after"));
}

TEST_F(GridPrintTest, PdfCarriesHeaderFooterPageNumbersAndTheCellTexts) {
    Grid g = Table(60);
    GridPrint::Pager pager(g, Landscape());
    ASSERT_EQ(pager.PageCount(), 2);
    std::vector<int> progress;
    const QString pdf = PrintPdf(g, Landscape(), "grid.pdf", [&](int done, int count) {
        progress.push_back(done * 10 + count);
        return true;
    });
    EXPECT_EQ(progress, (std::vector<int>{12, 22}));

    EXPECT_EQ(PdfReader::Info(pdf, "Pages"), "2");
    EXPECT_TRUE(PdfReader::Info(pdf, "Page size").startsWith("792 x 612")) << PdfReader::Info(pdf, "Page size").toStdString();
    const QString first = PdfReader::PageText(pdf, 1), second = PdfReader::PageText(pdf, 2);
    EXPECT_TRUE(first.contains("Plant tasks"));
    EXPECT_TRUE(first.contains("Page 1 Of 2"));
    EXPECT_TRUE(second.contains("Page 2 Of 2"));
    EXPECT_TRUE(second.contains("Plant tasks"));
    EXPECT_TRUE(first.contains("R1C1")) << first.toStdString();
    EXPECT_TRUE(second.contains("Head3")) << "header row on page 2";
    EXPECT_TRUE(second.contains("R60C5"));
    const int lastOnFirst = pager.RowsOnPage(0).back();
    EXPECT_TRUE(first.contains(QStringLiteral("R%1C1").arg(lastOnFirst)));
    EXPECT_FALSE(second.contains(QStringLiteral("R%1C1 ").arg(lastOnFirst)));
}

TEST_F(GridPrintTest, BandsKeepTheirColourAndMergedTextSpansItsRange) {
    Grid g(6, 8);
    g.SetColumnWidth(0, 0);
    g.SetRowHeight(0, 0);
    g.MergeRange(2, 1, 2, 7);
    g.SetRangeBackColor(2, 1, 2, 7, 16711680);
    // Far wider than column 1 alone: readable only because the cells are joined.
    g.SetText(4, 1, QStringLiteral("Replace the drive belt and check the tension pulley bearings"));
    g.MergeRange(4, 1, 4, 7);
    g.SetBold(1, 1, true);
    g.SetText(1, 1, QStringLiteral("Label:"));
    GridPrint::PageSetup setup;
    setup.Header = QStringLiteral("Work Order");
    setup.HeaderAlignment = 1;
    const QString pdf = PrintPdf(g, setup, "band.pdf");
    EXPECT_TRUE(PdfReader::Info(pdf, "Page size").startsWith("612 x 792"));
    const QString text = PdfReader::Text(pdf);
    EXPECT_TRUE(text.contains("Replace the drive belt and check the tension pulley bearings")) << text.toStdString();
    const QImage page = PdfReader::Render(pdf, 1, 36);
    ASSERT_FALSE(page.isNull());
    int blue = 0, other = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.blue() > 200 && c.red() < 60 && c.green() < 60) ++blue;
            else if (c.red() > 200 && c.blue() < 60) ++other;
        }
    // One band row, roughly 7 columns wide: hundreds of pixels at 36 dpi.
    EXPECT_GT(blue, 200);
    EXPECT_EQ(other, 0);
}

TEST_F(GridPrintTest, PreviewCountsPagesAtOnceAndPrintsFromItsToolbar) {
    Grid big = Table(100000, 6);
    QElapsedTimer t;
    t.start();
    GridPrint::PrintPreview* preview = GridPrint::ShowPreview(big, Landscape(), 100);
    QApplication::processEvents();
    const qint64 opened = t.elapsed();
    (void)opened;   // speed is measured in bench/, not asserted here
    ASSERT_GT(preview->PageCount(), 2500);
    EXPECT_EQ(preview->CurrentPage(), 1);
    ClickTool(preview, preview->NextAction);
    EXPECT_EQ(preview->CurrentPage(), 2);
    ClickTool(preview, preview->LastAction);
    EXPECT_EQ(preview->CurrentPage(), preview->PageCount());
    ClickTool(preview, preview->FirstAction);
    EXPECT_EQ(preview->CurrentPage(), 1);
    const int zoom = preview->Zoom();
    ClickTool(preview, preview->ZoomInAction);
    EXPECT_GT(preview->Zoom(), zoom);
    EXPECT_FALSE(preview->grab().isNull());
    // Print shows a printer, not the floppy of Save.
    EXPECT_EQ(preview->PrintAction->icon().pixmap(32).toImage(), Printing::PrintIcon().pixmap(32).toImage());
    // The preview shows its own copy: the grid may change or go meanwhile.
    big.SetRows(1);
    EXPECT_GT(preview->PageCount(), 2500);
    ClickTool(preview, preview->CloseAction);
    QApplication::processEvents();

    Grid small = Table(60);
    const QString pdf = temp_ + "/preview.pdf";
    Printing::SetPdfOutput(pdf);
    preview = GridPrint::ShowPreview(small, Landscape(), 100);
    QSignalSpy printed(preview, &GridPrint::PrintPreview::Printed);
    ClickTool(preview, preview->PrintAction);
    ASSERT_EQ(printed.count(), 1);
    EXPECT_TRUE(printed.at(0).at(0).toBool());
    EXPECT_EQ(PdfReader::Info(pdf, "Pages"), "2");
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(GridPrintTest, APrinterThatCannotPrintIsSaidAndNothingClaimsSuccess) {
    Grid g = Table(3);
    // The PDF "printer" cannot create its file.
    Printing::SetPdfOutput(temp_ + "/no/such/folder/out.pdf");
    GridPrint::PrintPreview* preview = GridPrint::ShowPreview(g, Landscape(), 100);
    QSignalSpy printed(preview, &GridPrint::PrintPreview::Printed);
    ClickTool(preview, preview->PrintAction);
    ASSERT_EQ(printed.count(), 1);
    EXPECT_FALSE(printed.at(0).at(0).toBool());
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style, vb::vbExclamation);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(GridPrintTest, WhatIsChosenInThePrintDialogIsWhatPrintsAndCancelPrintsNothing) {
    ASSERT_FALSE(Printing::HasPrinter());
    using Answer = ScriptedDialogs::PrintAnswer;
    // Four pages of Letter landscape; in portrait the rows are paged again
    // for the taller paper.
    const GridPrint::Pager portrait(Table(100), Landscape(),
                                    QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
    const struct {
        const char* what;
        std::function<void(Answer&)> choose;
        int pages;   // printed; 0 for none
        int page;    // one of them, and a text on it
        QString text;
        const char* size;
    } cases[] = {
        {"as offered", [](Answer&) {}, 4, 4, "Page 4 Of 4", "792 x 612"},
        {"page 2 twice", [](Answer& a) { a.copies = 2, a.fromPage = a.toPage = 2; }, 2, 1, "Page 2 Of 4", "792 x 612"},
        {"pages typed", [](Answer& a) { a.pages = "1,3-4"; }, 3, 2, "Page 3 Of 4", "792 x 612"},
        {"portrait", [](Answer& a) { a.orientation = QPageLayout::Portrait; }, portrait.PageCount(), 1,
         QStringLiteral("R%1C1").arg(portrait.RowsOnPage(0).back()), "612 x 792"},
        {"cancelled", [](Answer& a) { a.print = false; }, 0, 0, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestEnv::Dialogs().Reset();
        GridPrint::PrintPreview* preview = GridPrint::ShowPreview(Table(100), Landscape(), 100);
        QSignalSpy printed(preview, &GridPrint::PrintPreview::Printed);
        const QString pdf = temp_ + "/" + c.what + ".pdf";
        Answer answer = Answer::ToFile(pdf);
        c.choose(answer);
        TestEnv::Dialogs().AnswerPrint(answer);
        ClickTool(preview, preview->PrintAction);
        // With no printer the dialog offers a PDF file named after the
        // header, in the set-up's orientation.
        ASSERT_EQ(TestEnv::Dialogs().PrintOffers().size(), 1u);
        const ScriptedDialogs::PrintOffer offer = TestEnv::Dialogs().PrintOffers().front();
        EXPECT_TRUE(offer.toFile && offer.printer.endsWith("/Plant tasks.pdf")) << offer.printer.toStdString();
        EXPECT_EQ(offer.orientation, QPageLayout::Landscape);
        EXPECT_EQ(offer.pageCount, 4);
        ASSERT_EQ(printed.count(), 1);
        EXPECT_EQ(printed.at(0).at(0).toBool(), c.pages > 0);
        EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        if (!c.pages) {
            EXPECT_FALSE(QFile::exists(pdf));
            continue;
        }
        EXPECT_EQ(PdfReader::Info(pdf, "Pages"), QString::number(c.pages));
        EXPECT_TRUE(PdfReader::Info(pdf, "Page size").startsWith(c.size));
        EXPECT_TRUE(PdfReader::PageText(pdf, c.page).contains(c.text)) << PdfReader::PageText(pdf, c.page).toStdString();
    }
}

TEST_F(GridPrintTest, APdfFileIsReplacedOnlyByACompletePrint) {
    const QString pdf = temp_ + "/grid.pdf";
    ASSERT_TRUE(TestEnv::WriteAll(pdf, "the print of last week"));
    GridPrint::PrintPreview* preview = GridPrint::ShowPreview(Table(3000), Landscape(), 100);
    QSignalSpy printed(preview, &GridPrint::PrintPreview::Printed);
    {
        TestEnv::DiskFull full(64 * 1024);
        TestEnv::Dialogs().AnswerPrint(ScriptedDialogs::PrintAnswer::ToFile(pdf));
        ClickTool(preview, preview->PrintAction);
    }
    ASSERT_EQ(printed.count(), 1);
    EXPECT_FALSE(printed.at(0).at(0).toBool());
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains(pdf)) << TestEnv::Dialogs().LastMessage().toStdString();
    EXPECT_EQ(TestEnv::ReadAll(pdf), "the print of last week");
    EXPECT_EQ(QDir(temp_).entryList(QDir::Files), QStringList{"grid.pdf"}) << "no leftovers";

    TestEnv::Dialogs().AnswerPrint(ScriptedDialogs::PrintAnswer::ToFile(pdf));
    ClickTool(preview, preview->PrintAction);
    EXPECT_TRUE(printed.at(1).at(0).toBool());
    EXPECT_EQ(PdfReader::Info(pdf, "Pages"), QString::number(preview->PageCount()));
}

TEST_F(GridPrintTest, TheRealPrintDialogPrintsToAPdfFileChosenInIt) {
    const QString pdf = temp_ + "/dialog.pdf";
    auto printer = Printing::DialogPrinter(GridPrint::PageLayoutOf(Landscape()), "Plant tasks");
    bool chosen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        // As the user does, also where printers are installed: "Print to
        // File (PDF)" in the list of printers, then the file's name.
        for (QComboBox* list : dialog->findChildren<QComboBox*>())
            if (const int file = list->findText("Print to File (PDF)"); file >= 0) {
                list->setCurrentIndex(file);
                chosen = true;
            }
        for (QLineEdit* name : dialog->findChildren<QLineEdit*>())
            if (name->isEnabled() && name->text().endsWith(".pdf")) name->setText(pdf);
        if (chosen) dialog->accept();
        else dialog->reject();
    });
    ASSERT_TRUE(QtDialogs().PrintDialog(*printer, 2, "Print"));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(printer->outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer->outputFileName(), pdf);
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    QString error;
    ASSERT_TRUE(GridPrint::Print(Table(60), Landscape(), *printer, &error)) << error.toStdString();
    EXPECT_EQ(PdfReader::Info(pdf, "Pages"), "2");
}

TEST_F(GridPrintTest, PageTextFillsPageNumberAndCount) {
    EXPECT_EQ(GridPrint::PageText("Page &P Of &N", 3, 12), "Page 3 Of 12");
    EXPECT_EQ(GridPrint::PageText("               Quillon", 1, 1), "               Quillon");
}

}  // namespace

namespace {

TEST_F(GridPrintTest, ATextRunsOnOverEmptyCellsAndWrapsBeforeAFilledOne) {
    Grid g(3, 5);
    g.SetColumnWidth(0, 0);
    for (int c = 1; c < 5; ++c) g.SetColumnWidth(c, 40);
    g.SetRowHeight(0, 0);
    g.SetText(1, 1, QStringLiteral("Completed By: the shift"));   // neighbours empty
    g.SetText(2, 1, QStringLiteral("Overlong words wrap"));
    g.SetText(2, 2, QStringLiteral("Next"));
    GridPrint::Pager pager(g, GridPrint::PageSetup());
    EXPECT_DOUBLE_EQ(pager.PrintedRowHeight(1), 18 * pager.Scale());
    EXPECT_GT(pager.PrintedRowHeight(2), 3 * 18 * pager.Scale()) << "four lines";
    const QString text = PdfReader::Text(PrintPdf(g, GridPrint::PageSetup(), "overflow.pdf"));
    EXPECT_TRUE(text.contains("Completed By: the shift")) << text.toStdString();
    // Broken after blanks, and inside the one word wider than the column.
    for (const char* line : {"Overlo", "ng", "words", "wrap"})
        EXPECT_TRUE(QRegularExpression(QStringLiteral("\\n\\s*%1\\b").arg(line)).match(text).hasMatch())
            << line << " on a line of its own\n" << text.toStdString();

    EXPECT_TRUE(text.contains("Next"));
}

}  // namespace

namespace {

TEST_F(GridPrintTest, LettersTheCellFontLacksStillPrintAndLineBreaksPrintAsBlanks) {
    Grid g(4, 3);
    g.SetColumnWidth(0, 0);
    g.SetColumnWidth(1, 300);
    g.SetColumnWidth(2, 100);
    g.SetRowHeight(0, 0);
    g.SetText(1, 1, QStringLiteral("Pumpe \u6CF5 Ölwechsel"));
    g.SetText(2, 1, QStringLiteral("First line\nsecond line"));
    g.SetText(3, 1, QStringLiteral("Насос Ψ"));
    g.SetText(3, 2, QStringLiteral("after"));
    const QString text = PdfReader::Text(PrintPdf(g, GridPrint::PageSetup(), "unicode.pdf"));
    EXPECT_TRUE(text.contains("First line second line")) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Насос Ψ"))) << text.toStdString();
    EXPECT_TRUE(text.contains("after"));
    EXPECT_TRUE(text.contains(QStringLiteral("Ölwechsel"))) << text.toStdString();
    if (QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty())
        GTEST_SKIP() << "no font for Chinese letters on this machine";
    EXPECT_TRUE(text.contains(QStringLiteral("\u6CF5"))) << text.toStdString();
}

}  // namespace

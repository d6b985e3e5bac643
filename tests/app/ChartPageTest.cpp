#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolBox>
#include <gtest/gtest.h>

#include "widgets/Forms.h"
#include "model/lists/ListFile.h"
#include "platform/DateText.h"
#include "widgets/GanttChart.h"
#include "widgets/Printing.h"
#include "platform/Registry.h"
#include "ui/schedule/Form19.h"
#include "ui/schedule/frmtip.h"
#include "support/MainWindow.h"
#include "support/PdfReader.h"
#include "support/ScriptedDialogs.h"
#include "support/Ui.h"

namespace {

// The chart page of a database with three employees, two pieces of
// equipment and four tasks in the date window.
class Form1Chart : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        NewDatabase();
        AddListEntries(ListSection::Employees, {{"Ann", "255"}, {"Bob", "65280"}, {"Cy", "16711680"}});
        AddListEntries(ListSection::Equipment, {{"Pump", "255"}, {"Boiler 1", "65280"}});
        from_ = form_->DatePicker1->date();
        Task("ID-1", "Pump", "Ann", 0, 1);
        Task("ID-2", "Boiler 1", "Ann", 5, 0);
        Task("ID-3", "Pump", "Bob", 2, 0);
        Task("ID-4", "Boiler 1", "Cy", 3, 2, "Complete");
        if (showChartPage_) form_->SSTab1->setCurrentIndex(1);
        // The chart page's Refresh, or the Tasks page's, which draws the chart too.
        QTest::mouseClick(showChartPage_ ? form_->Command2 : form_->Command1, Qt::LeftButton);
        QApplication::processEvents();
        TestEnv::Dialogs().Reset();
    }
    void Task(const QString& id, const QString& equipment, const QString& who, int day, int days,
              const QString& status = QStringLiteral("Ready")) {
        AddTask({id, equipment, DateText::FormatDate(from_), DateText::FormatDate(from_.addDays(day)), "",
                 DateText::FormatDate(from_.addDays(day + days)), "", who, "Dan", "Inspection", "0", "", status});
    }
    GanttChart* Chart() const { return form_->phGantX1; }
    QWidget* Surface() const { return form_->phGantX1->viewport(); }
    // The bar with this text, or nothing.
    GanttItem Bar(const QString& text) const {
        for (int r = 0; r < Chart()->RowCount(); ++r)
            for (size_t b = 0; b < Chart()->RowAt(r).bars.size(); ++b)
                if (Chart()->RowAt(r).bars[b].text == text) return {r, int(b)};
        return {};
    }
    QPoint Centre(const GanttItem& item) const {
        return Chart()->ScreenLayout().BarRect(item).center().toPoint();
    }
    void RightClick(const QPoint& at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, Surface()->mapToGlobal(at));
        QApplication::sendEvent(Surface(), &event);
    }
    // Right click on the chart, then the n-th item of the pop-up by keyboard.
    void ChooseFromPopUp(int index) {
        RightClick(QPoint(20, Surface()->height() - 5));
        ASSERT_TRUE(form_->mnugan->isVisible());
        for (int i = 0; i <= index; ++i) QTest::keyClick(form_->mnugan, Qt::Key_Down);
        QTest::keyClick(form_->mnugan, Qt::Key_Return);
        QApplication::processEvents();
    }
    QStringList Captions() const {
        QStringList out;
        for (int r = 0; r < Chart()->RowCount(); ++r) out << Chart()->RowAt(r).caption;
        return out;
    }
    // What the chart shows on the screen now: the window's flushed pixels,
    // not a fresh paint of the widget.
    QImage OnScreen() const {
        QApplication::processEvents();
        const QPoint at = Chart()->viewport()->mapTo(form_, QPoint(0, 0));
        const QSize size = Chart()->viewport()->size();
        return form_->screen()
            ->grabWindow(form_->winId(), at.x(), at.y(), size.width(), size.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    QDate from_;
    bool showChartPage_ = true;
};

TEST_F(Form1Chart, EveryRefreshDrawsTheEmployeesOrTheEquipment) {
    EXPECT_EQ(Captions(), QStringList({"Ann", "Bob", "Cy"}));
    EXPECT_EQ(Chart()->BarCount(), 4);
    EXPECT_EQ(Chart()->StartDate, from_.startOfDay());
    EXPECT_EQ(Chart()->EndDate, from_.addDays(11).startOfDay());
    EXPECT_EQ(form_->StatusText(), "Done");

    QTest::mouseClick(form_->Option2, Qt::LeftButton);
    EXPECT_EQ(Captions(), QStringList({"Pump", "Boiler 1"}));
    EXPECT_EQ(Chart()->RowAt(0).bars[0].text, "Ann");
    EXPECT_EQ(Chart()->ColumnCaption(), "Equipment");

    // The Tasks page's Refresh rebuilds it too, in the chosen listing, from
    // the tasks its date window shows.
    form_->Combo3->setEditText("3");
    form_->SSTab1->setCurrentIndex(0);
    QTest::mouseClick(form_->Command1, Qt::LeftButton);
    EXPECT_EQ(Captions(), QStringList({"Pump", "Boiler 1"}));
    EXPECT_EQ(Chart()->BarCount(), 2);   // ID-1 and ID-3 start in the first three days
    QTest::mouseClick(form_->Option1, Qt::LeftButton);
    EXPECT_EQ(Captions(), QStringList({"Ann", "Bob", "Cy"}));
}

TEST_F(Form1Chart, AClickOnABarShowsOneDayFromItsStart) {
    const GanttItem later = Bar("Boiler 1");   // Ann's task five days on
    ASSERT_FALSE(later.IsNothing());
    QTest::mouseClick(Surface(), Qt::LeftButton, {}, Centre(later));
    EXPECT_EQ(Chart()->SelectedItem, later);
    EXPECT_EQ(Chart()->StartDate, from_.addDays(5).startOfDay());
    EXPECT_EQ(Chart()->EndDate, from_.addDays(6).startOfDay());

    // A click beside the bars leaves the window.
    QTest::mouseClick(Surface(), Qt::LeftButton, {}, QPoint(Surface()->width() - 5, Surface()->height() - 5));
    EXPECT_EQ(Chart()->StartDate, from_.addDays(5).startOfDay());
}

TEST_F(Form1Chart, TheRightClickMenuZoomsRefreshesAndSaysNothingSelected) {
    RightClick(Centre(Bar("Pump")));
    ASSERT_TRUE(form_->mnugan->isVisible());
    QStringList items;
    for (QAction* a : form_->mnugan->actions()) items << a->text();
    EXPECT_EQ(items, QStringList({"Zoom In", "Zoom Out", "Refresh", "Print Chart"}));
    form_->mnugan->close();

    // Zoom In with nothing selected.
    ChooseFromPopUp(0);
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "Nothing Selected");
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style, 0);
    EXPECT_EQ(Chart()->EndDate, from_.addDays(11).startOfDay());

    // A click gives a one-day window; Zoom Out twice; then Zoom In on another selected bar.
    const GanttItem cy = Bar("Boiler 1");
    QTest::mouseClick(Surface(), Qt::LeftButton, {}, Centre(Bar("Pump")));
    ChooseFromPopUp(1);
    ChooseFromPopUp(1);
    EXPECT_EQ(Chart()->EndDate, Chart()->StartDate.addDays(21));
    const QDateTime pumpDay = Chart()->StartDate;
    QTest::mouseClick(Surface(), Qt::LeftButton, {}, Centre(cy));
    EXPECT_EQ(Chart()->StartDate, from_.addDays(5).startOfDay());
    Chart()->EndDate = Chart()->EndDate.addDays(10);
    ChooseFromPopUp(0);
    EXPECT_EQ(Chart()->StartDate, from_.addDays(5).startOfDay());
    EXPECT_EQ(Chart()->EndDate, from_.addDays(6).startOfDay());
    EXPECT_NE(pumpDay, Chart()->StartDate);

    // Zoom In on a one-day window does nothing, selection or not.
    TestEnv::Dialogs().Reset();
    ChooseFromPopUp(0);
    EXPECT_TRUE(TestEnv::Dialogs().Calls().empty());
    EXPECT_EQ(Chart()->EndDate, from_.addDays(6).startOfDay());

    // Refresh brings the eleven days from the picker's date back.
    ChooseFromPopUp(2);
    EXPECT_EQ(Chart()->StartDate, from_.startOfDay());
    EXPECT_EQ(Chart()->EndDate, from_.addDays(11).startOfDay());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Form1Chart, ThePagesZoomButtonsRedrawTheChartAtOnce) {
    const QImage before = OnScreen();
    ASSERT_FALSE(before.isNull());
    QTest::mouseClick(form_->Command4, Qt::LeftButton);   // "Zoom &Out": ten days more
    const QImage out = OnScreen();
    EXPECT_NE(out, before) << "the chart still shows eleven days";
    EXPECT_EQ(out, Chart()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32));

    QTest::mouseClick(form_->Command3, Qt::LeftButton);   // "&Zoom In": ten days less
    EXPECT_EQ(OnScreen(), before);
}

TEST_F(Form1Chart, TheTipShowsTheBarUnderTheMouseWhileShowTipIsTicked) {
    const GanttItem pump = Bar("Pump");
    QTest::mouseMove(Surface(), Centre(pump));
    EXPECT_EQ(Forms::Loaded<frmtip>(), nullptr);    // not ticked: no tip

    QTest::mouseMove(Surface(), QPoint(20, Surface()->height() - 5));
    QTest::mouseClick(form_->Check1, Qt::LeftButton);
    EXPECT_EQ(Settings::Get("Tips", "DateFlag"), "1");
    QTest::mouseMove(Surface(), Centre(pump));
    frmtip* tip = Forms::Loaded<frmtip>();
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->Label1->text(), "Start: " + DateText::FormatDate(from_) + "\nStop: " +
                                       DateText::FormatDate(from_.addDays(1)) + "\n");
    const QRect screen = tip->screen()->geometry();
    EXPECT_EQ(tip->pos(), QPoint(screen.width() / 2, screen.height() / 2));

    QTest::mouseMove(Surface(), Centre(Bar("Boiler 1")));
    EXPECT_TRUE(tip->Label1->text().startsWith("Start: " + DateText::FormatDate(from_.addDays(5)) + "\n"));
    QTest::mouseMove(Surface(), QPoint(20, Surface()->height() - 5));
    EXPECT_FALSE(tip->isVisible());

    // Clearing the box hides a tip that is showing.
    QTest::mouseMove(Surface(), Centre(pump));
    ASSERT_TRUE(tip->isVisible());
    QTest::mouseClick(form_->Check1, Qt::LeftButton);
    EXPECT_EQ(Settings::Get("Tips", "DateFlag"), "0");
    EXPECT_FALSE(tip->isVisible());
    EXPECT_EQ(Forms::Loaded<frmtip>(), tip);   // hidden, not unloaded

    // Leaving the chart page takes the tip away too.
    QTest::mouseMove(Surface(), QPoint(20, Surface()->height() - 5));   // on the way to the box
    QTest::mouseClick(form_->Check1, Qt::LeftButton);
    QTest::mouseMove(Surface(), Centre(pump));
    ASSERT_TRUE(tip->isVisible());
    form_->SSTab1->setCurrentIndex(0);
    EXPECT_FALSE(tip->isVisible());
}

TEST_F(Form1Chart, TheBuildRunsInOnePassWithoutLettingOtherEventsIn) {
    // Many tasks for one employee: an event queued before the refresh must
    // find the chart either untouched or complete, never half built.
    for (int i = 0; i < 3000; ++i) {
        const int r = form_->Grid1.Rows();
        form_->Grid1.SetRows(r + 1);
        form_->Grid1.SetText(r, 4, DateText::FormatDate(from_));
        form_->Grid1.SetText(r, 6, DateText::FormatDate(from_));
        form_->Grid1.SetText(r, 8, "Bob");
        form_->Grid1.SetRowHeight(r, Grid::kShownRowHeight);
    }
    QList<int> seen;
    QTimer::singleShot(0, form_, [&] { seen << Chart()->BarCount(); });
    QTimer::singleShot(0, form_, [&] { seen << Chart()->BarCount(); });
    QTest::mouseClick(form_->Command2, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(seen.size(), 2);
    for (int n : seen) EXPECT_TRUE(n == 4 || n == 3004) << n;
    EXPECT_EQ(Chart()->BarCount(), 3004);
}

class Form1ChartPrint : public Form1Chart {
protected:
    QString Pdf() const { return temp_ + "/chart.pdf"; }
    void OpenPreviewFromThePrintMenu() {
        QMenu* menu = form_->mnuprint1;
        menu->popup(form_->mapToGlobal(QPoint(10, 10)));
        QAction* item = form_->MenuItem("mnupgantt");
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QApplication::processEvents();
    }
    void ClickPrint(Form19* preview) {
        TestUi::ClickAction(preview->Toolbar1, preview->PrintButton);
    }
    static QString Run(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
};

TEST_F(Form1ChartPrint, ThePrintMenuOpensOnePreviewAndPrintsTheChartLandscape) {
    OpenPreviewFromThePrintMenu();
    Form19* preview = Forms::Loaded<Form19>();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->windowTitle(), "Print Preview");
    EXPECT_FALSE(preview->isModal());
    ASSERT_FALSE(preview->picPreview->pixmap().isNull());
    // The page as it prints, Letter in landscape (no printer known), the
    // chart at scale 1 inside half-inch margins.
    const double dpi = Chart()->PrintSize(QSizeF(10, 7.5)).width() / 10.0;
    EXPECT_EQ(preview->picPreview->pixmap().size(), QSize(qRound(11 * dpi), qRound(8.5 * dpi)));
    EXPECT_EQ(preview->PrintButton->toolTip(), "Print");
    EXPECT_EQ(preview->CloseButton->toolTip(), "Close Window");
    EXPECT_EQ(preview->PrintButton->icon().pixmap(32).toImage(), Printing::PrintIcon().pixmap(32).toImage());

    // The chart's own pop-up reuses the one window.
    RightClick(QPoint(20, Surface()->height() - 5));
    form_->mnugan->close();
    form_->MenuItem("mnupchart")->trigger();
    EXPECT_EQ(Forms::Loaded<Form19>(), preview);

    Printing::SetPdfOutput(Pdf());
    ClickPrint(preview);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(QFile::exists(Pdf()));
    const QString text = Run("pdftotext", {"-layout", Pdf(), "-"});
    for (const char* word : {"Ann", "Bob", "Cy", "Assigned To", "Pump", "Boiler 1"})
        EXPECT_TRUE(text.contains(word)) << word << "\n" << text.toStdString();
    const QString info = Run("pdfinfo", {Pdf()});
    EXPECT_TRUE(QRegularExpression("Pages:\\s+1\\n").match(info).hasMatch()) << info.toStdString();
    const QRegularExpressionMatch size = QRegularExpression("Page size:\\s+([0-9.]+) x ([0-9.]+)").match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble());   // landscape
    EXPECT_EQ(PdfReader::Info(Pdf(), "Title"), "Gantt Chart");   // the job's name in the queue

    TestUi::ClickAction(preview->Toolbar1, preview->CloseButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Forms::Loaded<Form19>(), nullptr);
}

TEST_F(Form1ChartPrint, WithNoPrinterTheChartGoesToThePdfFileTheUserNames) {
    OpenPreviewFromThePrintMenu();
    Form19* preview = Forms::Loaded<Form19>();
    ASSERT_NE(preview, nullptr);
    ASSERT_FALSE(Printing::HasPrinter());
    TestEnv::Dialogs().AnswerSave(temp_ + "/week");
    ClickPrint(preview);
    ASSERT_EQ(TestEnv::Dialogs().Calls().size(), 1u);
    EXPECT_EQ(TestEnv::Dialogs().Calls().front().kind, "Save");
    const QString pdf = temp_ + "/week.pdf";
    EXPECT_TRUE(PdfReader::Info(pdf, "Page size").startsWith("792 x 612"));
    EXPECT_TRUE(PdfReader::Text(pdf).contains("Boiler 1"));

    // Cancelled: nothing printed, nothing said.
    TestEnv::Dialogs().Reset();
    QFile::remove(pdf);
    ClickPrint(preview);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(Form1ChartPrint, PrintShowsTheChartAsItIsNowNotThePreviewsPicture) {
    OpenPreviewFromThePrintMenu();
    Form19* preview = Forms::Loaded<Form19>();
    ASSERT_NE(preview, nullptr);
    // Zoom onto Bob's day in the main window; then print.
    QTest::mouseClick(Surface(), Qt::LeftButton, {}, Centre(Bar("Pump")));
    Printing::SetPdfOutput(Pdf());
    ClickPrint(preview);
    const QString text = Run("pdftotext", {Pdf(), "-"});
    EXPECT_TRUE(text.contains("Pump"));
    EXPECT_FALSE(text.contains("Boiler 1")) << text.toStdString();   // outside the one-day window now
}

TEST_F(Form1ChartPrint, APrinterThatCannotBeOpenedIsSaidAndThePointerComesBack) {
    form_->Listbar1_ItemClick("Chart");
    Form19* preview = Forms::Loaded<Form19>();
    ASSERT_NE(preview, nullptr);
    Printing::SetPdfOutput(temp_ + "/no such folder/chart.pdf");
    ClickPrint(preview);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_FALSE(TestEnv::Dialogs().Messages().isEmpty());
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not")) << TestEnv::Dialogs().LastMessage().toStdString();
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().title, "Quillon");
}

TEST_F(Form1ChartPrint, AnEmptyChartPreviewsAndPrintsWithoutAMessage) {
    QFile::remove(form_->ListFilePath());
    QTest::mouseClick(form_->Command2, Qt::LeftButton);
    ASSERT_EQ(Chart()->RowCount(), 0);
    OpenPreviewFromThePrintMenu();
    Form19* preview = Forms::Loaded<Form19>();
    ASSERT_NE(preview, nullptr);
    Printing::SetPdfOutput(Pdf());
    ClickPrint(preview);
    EXPECT_TRUE(QFile::exists(Pdf()));
    EXPECT_TRUE(TestEnv::Dialogs().Calls().empty());
}

}  // namespace

namespace {
// Turns to a page of the main window by clicking its tab.
void ClickTab(QTabWidget* tabs, int index) {
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    QApplication::processEvents();
}
}  // namespace

TEST_F(Form1Chart, ThePageShowsWhatTheTaskPageChangedMeanwhile) {
    ASSERT_FALSE(Bar("Pump").IsNothing());
    ClickTab(form_->SSTab1, 0);

    // A task deleted on the Tasks page is gone from the chart the user turns to.
    ClickCell(1, Col::TaskId);                       // ID-1, Ann on the Pump
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    ClickListItem("Delete");
    ASSERT_EQ(form_->Grid1.Rows(), 4);
    ClickTab(form_->SSTab1, 1);
    EXPECT_EQ(Chart()->BarCount(), 3);

    // So is a task a status view hid: only the complete one stays.
    ClickTab(form_->SSTab1, 0);
    ClickListItem("Complete");
    ClickTab(form_->SSTab1, 1);
    ASSERT_EQ(Chart()->BarCount(), 1);
    EXPECT_EQ(Chart()->RowAt(2).bars.size(), 1u);   // Cy's

    // Nothing changed: the zoom the user chose stays when the page comes back.
    QTest::mouseClick(form_->Command4, Qt::LeftButton);
    const QDateTime zoomedEnd = Chart()->EndDate;
    ClickTab(form_->SSTab1, 0);
    ClickTab(form_->SSTab1, 1);
    EXPECT_EQ(Chart()->EndDate, zoomedEnd);
}

TEST_F(Form1ChartPrint, ThePrintMenuPrintsTheChartOfWhatTheTaskPageShowsNow) {
    QTabBar* tabs = form_->SSTab1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    ClickListItem("Complete");                 // only Cy's task stays shown
    OpenPreviewFromThePrintMenu();
    Form19* preview = Forms::Loaded<Form19>();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(Chart()->BarCount(), 1);
    Printing::SetPdfOutput(Pdf());
    ClickPrint(preview);
    const QString text = Run("pdftotext", {"-layout", Pdf(), "-"});
    EXPECT_TRUE(text.contains("Boiler 1")) << text.toStdString();
    EXPECT_FALSE(text.contains("Pump")) << "a task the view hid was printed\n" << text.toStdString();
}

namespace {
// A main window whose chart page the user has not turned to yet.
class Form1ChartUnseen : public Form1ChartPrint {
protected:
    Form1ChartUnseen() { showChartPage_ = false; }
    QImage PrintedPage() {
        OpenPreviewFromThePrintMenu();
        Form19* preview = Forms::Loaded<Form19>();
        if (!preview) return {};
        Printing::SetPdfOutput(Pdf());
        ClickPrint(preview);
        TestUi::ClickAction(preview->Toolbar1, preview->CloseButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return PdfReader::Render(Pdf(), 1, 50);
    }
};
}  // namespace

TEST_F(Form1ChartUnseen, TheChartPrintsAtTheSameSizeWhetherItsPageWasShownOrNot) {
    ASSERT_NE(form_->SSTab1->currentIndex(), 1);
    ASSERT_EQ(Chart()->BarCount(), 4);
    const QImage unseen = PrintedPage();
    ASSERT_FALSE(unseen.isNull());
    form_->resize(1500, 900);
    ClickTab(form_->SSTab1, 1);
    ASSERT_GT(Chart()->viewport()->width(), 700);
    EXPECT_EQ(PrintedPage(), unseen);
}

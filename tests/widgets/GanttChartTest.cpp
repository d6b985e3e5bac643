#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "widgets/GanttChart.h"
#include "support/TestEnv.h"

namespace {

using Time = GanttModel::Time;
const QDate kDay(2026, 3, 2);

GanttMetrics FixedMetrics() {
    GanttMetrics m;
    m.font.setPixelSize(12);
    m.rowHeight = 20;
    m.headerHeight = 40;
    return m;
}

// One row, bars given as (start, stop) date-times.
GanttItem AddBar(GanttModel& chart, int row, const QDateTime& start, const QDateTime& stop,
                 const QString& text = QString(), int32_t colour = 255) {
    GanttModel::TimeBar bar = chart.AddTimeBar(row, 0);
    bar.SetStyle(8);
    bar.SetColor(colour);
    bar.SetStartTime(GanttModel::ToTime(start));
    bar.SetStopTime(GanttModel::ToTime(stop));
    bar.Update();
    bar.SetText(text);
    return bar.Item();
}

QDateTime At(int day, int hour, int minute = 0) { return QDateTime(kDay.addDays(day), QTime(hour, minute)); }

class GanttLayoutTest : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        chart_.AddColumn(0, "Assigned To", 0, 100, true);
        for (const char* name : {"Ann", "Bob", "Cy"}) {
            const int row = chart_.LastRow() < 0 ? chart_.AddFirstRow() : chart_.AddRow(chart_.LastRow());
            chart_.SetRowCaption(row, name);
        }
        SetWindow(1);
    }
    void SetWindow(int days) {
        chart_.StartDate = kDay.startOfDay();
        chart_.EndDate = chart_.StartDate.addDays(days);
    }
    // 1000 pixels of time area beside a 100-pixel row-area column.
    GanttLayout Layout(double scrollY = 0, double height = 400) const {
        return GanttLayout(chart_, QRectF(0, 0, 1100, height), scrollY, FixedMetrics());
    }
    GanttModel chart_;
};

TEST_F(GanttLayoutTest, BarRectanglesFollowTheWindowAndRows) {
    const GanttItem morning = AddBar(chart_, 1, At(0, 6), At(0, 12));
    const GanttLayout l = Layout();
    EXPECT_DOUBLE_EQ(l.XOf(GanttModel::ToTime(At(0, 0))), 100);
    EXPECT_DOUBLE_EQ(l.XOf(GanttModel::ToTime(At(1, 0))), 1100);
    const QRectF r = l.BarRect(morning);
    EXPECT_DOUBLE_EQ(r.left(), 350);
    EXPECT_DOUBLE_EQ(r.right(), 600);
    // Row 1 lies below the header and row 0.
    EXPECT_GT(r.top(), 40 + 20);
    EXPECT_LT(r.bottom(), 40 + 40);
    EXPECT_EQ(l.RowAt(r.center().y()), 1);
    EXPECT_EQ(l.RowAt(39), -1);           // the header
    EXPECT_EQ(l.RowAt(40 + 3 * 20), -1);  // below the last row

    // Eleven days: the same bar is eleven times narrower.
    SetWindow(11);
    const QRectF wide = Layout().BarRect(morning);
    EXPECT_NEAR(wide.width(), 250.0 / 11, 1e-9);
}

TEST_F(GanttLayoutTest, ItemAtAPointAtTheEdgesOfABar) {
    const GanttItem bar = AddBar(chart_, 0, At(0, 6), At(0, 12));
    const GanttLayout l = Layout();
    const QRectF r = l.BarRect(bar);
    const double y = r.center().y();
    EXPECT_EQ(l.ItemAt({r.left(), y}), bar);
    EXPECT_EQ(l.ItemAt({r.right(), y}), bar);
    EXPECT_TRUE(l.ItemAt({r.left() - 1, y}).IsNothing());
    EXPECT_TRUE(l.ItemAt({r.right() + 1, y}).IsNothing());
    EXPECT_EQ(l.ItemAt({r.center().x(), r.top()}), bar);
    EXPECT_TRUE(l.ItemAt({r.center().x(), r.top() - 1}).IsNothing());
    EXPECT_TRUE(l.ItemAt({r.center().x(), r.bottom() + 1}).IsNothing());
    // The same time in another row is nothing.
    EXPECT_TRUE(l.ItemAt({r.center().x(), y + 20}).IsNothing());
    // Over the row-area column or the header: nothing.
    EXPECT_TRUE(l.ItemAt({50, y}).IsNothing());
    EXPECT_TRUE(l.ItemAt({r.center().x(), 10}).IsNothing());
}

TEST_F(GanttLayoutTest, ABarOfNoLengthIsDrawnAFewPixelsWideAndCanBeHit) {
    const GanttItem point = AddBar(chart_, 2, At(0, 0), At(0, 0));
    for (int days : {1, 11, 70}) {
        SetWindow(days);
        const GanttLayout l = Layout();
        const QRectF r = l.BarRect(point);
        EXPECT_DOUBLE_EQ(r.left(), 100) << days;
        EXPECT_DOUBLE_EQ(r.width(), GanttLayout::kMinBarWidth) << days;
        EXPECT_EQ(l.ItemAt(r.center()), point) << days;
        EXPECT_TRUE(l.ItemAt({r.right() + 1, r.center().y()}).IsNothing()) << days;
    }
}

TEST_F(GanttLayoutTest, AWindowOfManyWeeksSearchesOnlyTheBarsThatReachIntoIt) {
    // One bar a day for a year in row 0; a long bar that began well before.
    for (int d = -200; d < 165; ++d) AddBar(chart_, 0, At(d, 0), At(d, 12));
    const GanttItem longBar = AddBar(chart_, 1, At(-60, 0), At(3, 0));
    SetWindow(70);
    const GanttLayout l = Layout();
    int inWindow = 0;
    l.ForEachBarInWindow(0, l.Start(), l.End(), [&](int) { ++inWindow; });
    EXPECT_GE(inWindow, 70);
    EXPECT_LE(inWindow, 72);
    // A bar that began before the window is found where it shows.
    EXPECT_EQ(l.ItemAt({101, l.RowTop(1) + 10}), longBar);
    // Day 30 of the window, row 0: the bar of that day.
    const GanttItem day30 = l.ItemAt({l.XOf(GanttModel::ToTime(At(30, 1))), l.RowTop(0) + 10});
    ASSERT_FALSE(day30.IsNothing());
    EXPECT_NEAR(l.BarRect(day30).left(), l.XOf(GanttModel::ToTime(At(30, 0))), 0.5);   // drawn from its start
}

TEST_F(GanttLayoutTest, OverlappingBarsTheOneDrawnOnTopIsHit) {
    AddBar(chart_, 0, At(0, 6), At(0, 18), "first");
    const GanttItem later = AddBar(chart_, 0, At(0, 10), At(0, 12), "second");
    const GanttItem earlier = AddBar(chart_, 0, At(0, 2), At(0, 4), "added last, starts first");
    const GanttLayout l = Layout();
    EXPECT_EQ(l.ItemAt(l.BarRect(later).center()), later);
    EXPECT_EQ(l.ItemAt(l.BarRect(earlier).center()), earlier);
    EXPECT_EQ(l.ItemAt({l.XOf(GanttModel::ToTime(At(0, 15))), l.RowTop(0) + 10}), (GanttItem{0, 0}));
}

TEST_F(GanttLayoutTest, ScrolledRowsAndAnInvertedWindow) {
    for (int i = 0; i < 50; ++i) chart_.SetRowCaption(chart_.AddRow(chart_.LastRow()), QString::number(i));
    const GanttLayout top = Layout(0, 200);
    EXPECT_EQ(top.VisibleRows(), std::make_pair(0, 8));
    const GanttLayout scrolled = Layout(205, 200);
    EXPECT_EQ(scrolled.VisibleRows(), std::make_pair(10, 19));   // row 18 shows its top 5 pixels
    EXPECT_EQ(scrolled.RowAt(40), 10);    // just under the header
    EXPECT_EQ(scrolled.RowAt(39), -1);

    // A window that ends before it starts shows one day.
    chart_.StartDate = At(0, 0);
    chart_.EndDate = At(-5, 0);
    const GanttLayout l = Layout();
    EXPECT_EQ(l.End() - l.Start(), GanttModel::kDay);
}

TEST_F(GanttLayoutTest, PaintingDrawsBarsStripesAndScalesWithThePainter) {
    chart_.PyjamasColor = 0x00FF00;     // green
    chart_.BackColor = 0xFFFFFF;
    const GanttItem bar = AddBar(chart_, 0, At(0, 6), At(0, 12), "Boiler", 0xFF0000);   // blue
    QImage image(1100, 400, QImage::Format_RGB32);
    {
        QPainter p(&image);
        Layout().Paint(p);
    }
    const GanttLayout l = Layout();
    const QPointF c = l.BarRect(bar).center();
    EXPECT_EQ(image.pixelColor(int(c.x()) + 40, int(c.y())), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(900, int(l.RowTop(1)) + 10), QColor(0, 255, 0));   // second row: stripe
    EXPECT_EQ(image.pixelColor(900, int(l.RowTop(2)) + 10), QColor(255, 255, 255));

    // The same drawing at twice the size puts everything twice as far.
    QImage twice(2200, 800, QImage::Format_RGB32);
    {
        QPainter p(&twice);
        p.scale(2, 2);
        Layout().Paint(p);
    }
    EXPECT_EQ(twice.pixelColor(int(2 * c.x()) + 80, int(2 * c.y())), QColor(0, 0, 255));
}

// A short bar under a long one of the same colour, both with a long text:
// the second text neither lies on the first nor runs white past the dark
// bar onto the light background.
TEST_F(GanttLayoutTest, ATextBesideAHiddenBarLiesOnNoOtherTextAndStaysReadable) {
    chart_.BackColor = 0xC0C0C0;
    chart_.PyjamasColor = 0xC0C0C0;
    const QString name = "Maximilian Alexander Oberhauser-Whitmore";
    const GanttItem first = AddBar(chart_, 0, At(0, 6), At(0, 20), name, 0xFF0000);
    const auto paint = [this] {
        QImage image(1100, 400, QImage::Format_RGB32);
        QPainter p(&image);
        Layout().Paint(p);
        return image;
    };
    const QImage alone = paint();
    AddBar(chart_, 0, At(0, 8), At(0, 10), name, 0xFF0000);
    const QImage both = paint();
    const GanttLayout l = Layout();
    const QRectF bar = l.BarRect(first);
    const int textEnd = int(bar.left()) + 3 + QFontMetrics(FixedMetrics().font).horizontalAdvance(name);
    const int top = int(l.RowTop(0)), bottom = int(l.RowTop(1));
    ASSERT_LT(textEnd, int(bar.right()));
    EXPECT_EQ(both.copy(int(bar.left()), top, textEnd + 2 - int(bar.left()), bottom - top),
              alone.copy(int(bar.left()), top, textEnd + 2 - int(bar.left()), bottom - top));
    for (int x = int(bar.right()) + 2; x < 1100; ++x)
        for (int y = top; y < bottom; ++y)
            ASSERT_NE(both.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
}

TEST_F(GanttLayoutTest, ADayLabelThatWouldBeCutAtTheRightEdgeIsLeftOut) {
    chart_.EndDate = At(2, 1);   // the last day shows for an hour: 20 pixels
    QImage image(1100, 400, QImage::Format_RGB32);
    {
        QPainter p(&image);
        Layout().Paint(p);
    }
    const GanttLayout l = Layout();
    const QColor back = image.pixelColor(1095, 2);
    int marks = 0;
    for (int x = int(l.XOf(GanttModel::ToTime(At(2, 0)))) + 2; x < 1100; ++x)
        for (int y = 0; y < int(FixedMetrics().headerHeight / 2); ++y) marks += image.pixelColor(x, y) != back;
    EXPECT_EQ(marks, 0);
}

TEST_F(GanttLayoutTest, ClearingRemovesRowsBarsAndTheSelectionButKeepsTheColumn) {
    chart_.SelectedItem = AddBar(chart_, 0, At(0, 1), At(0, 2));
    chart_.ClearChart();
    EXPECT_EQ(chart_.RowCount(), 0);
    EXPECT_EQ(chart_.LastRow(), -1);
    EXPECT_TRUE(chart_.SelectedItem.IsNothing());
    EXPECT_EQ(chart_.ColumnCaption(), "Assigned To");
    EXPECT_TRUE(chart_.AddTimeBar(0).IsNothing());
    // Times keep the clock time they name (no zone, no daylight saving).
    EXPECT_EQ(GanttModel::FromTime(GanttModel::ToTime(QDateTime(QDate(2026, 3, 29), QTime(2, 30)))),
              QDateTime(QDate(2026, 3, 29), QTime(2, 30)));
}

// ---------------------------------------------------------------- widget

class GanttChartWidget : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        chart_ = std::make_unique<GanttChart>();
        chart_->resize(900, 300);
        chart_->AddColumn(0, "Equipment", 0, 100, true);
        for (int i = 0; i < 30; ++i) chart_->SetRowCaption(chart_->LastRow() < 0 ? chart_->AddFirstRow()
                                                                                 : chart_->AddRow(chart_->LastRow()),
                                                           QStringLiteral("Row %1").arg(i));
        chart_->StartDate = kDay.startOfDay();
        chart_->EndDate = chart_->StartDate.addDays(11);
        bar_ = AddBar(*chart_, 1, At(2, 0), At(4, 0), "Pump");
        last_ = AddBar(*chart_, 29, At(5, 0), At(5, 0), "Last");
        chart_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(chart_.get()));
    }
    QPoint Centre(GanttItem item) const { return chart_->ScreenLayout().BarRect(item).center().toPoint(); }
    std::unique_ptr<GanttChart> chart_;
    GanttItem bar_, last_;
};

TEST_F(GanttChartWidget, ClicksSelectABarOrNothing) {
    QSignalSpy clicks(chart_.get(), &GanttChart::ObjectClick);
    QTest::mouseClick(chart_->viewport(), Qt::LeftButton, {}, Centre(bar_));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).value<GanttItem>(), bar_);
    EXPECT_EQ(chart_->SelectedItem, bar_);

    QTest::mouseClick(chart_->viewport(), Qt::LeftButton, {}, Centre(bar_) + QPoint(0, 40));
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_TRUE(clicks.at(1).at(0).value<GanttItem>().IsNothing());
    EXPECT_TRUE(chart_->SelectedItem.IsNothing());
}

TEST_F(GanttChartWidget, ARightClickAsksForTheContextMenuAndSelectsNothing) {
    QSignalSpy menus(chart_.get(), &GanttChart::ContextMenu);
    const QPoint at = Centre(bar_);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, chart_->viewport()->mapToGlobal(at));
    QApplication::sendEvent(chart_->viewport(), &event);
    ASSERT_EQ(menus.count(), 1);
    EXPECT_EQ(menus.at(0).at(0).toPoint(), chart_->viewport()->mapToGlobal(at));
    EXPECT_TRUE(chart_->SelectedItem.IsNothing());
}

TEST_F(GanttChartWidget, HoverReportsEachBarOnceAndLeavingTheBars) {
    QSignalSpy over(chart_.get(), &GanttChart::MouseOverItem);
    QTest::mouseMove(chart_->viewport(), Centre(bar_));
    QTest::mouseMove(chart_->viewport(), Centre(bar_) + QPoint(1, 0));
    ASSERT_EQ(over.count(), 1);
    EXPECT_EQ(over.at(0).at(0).value<GanttItem>(), bar_);
    QTest::mouseMove(chart_->viewport(), Centre(bar_) + QPoint(0, 60));
    ASSERT_EQ(over.count(), 2);
    EXPECT_TRUE(over.at(1).at(0).value<GanttItem>().IsNothing());
}

TEST_F(GanttChartWidget, ManyRowsScrollAndTheLastRowsBarsCanBeClicked) {
    QScrollBar* bar = chart_->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_FALSE(chart_->viewport()->rect().contains(Centre(last_)));
    bar->setValue(bar->maximum());
    ASSERT_TRUE(chart_->viewport()->rect().contains(Centre(last_)));
    QTest::mouseClick(chart_->viewport(), Qt::LeftButton, {}, Centre(last_));
    EXPECT_EQ(chart_->SelectedItem, last_);
}

TEST_F(GanttChartWidget, DrawToDCDrawsEveryRowAsTheScreenShowsThem) {
    const QSize size = chart_->NaturalSize();
    EXPECT_EQ(size.width(), std::max(640, chart_->viewport()->width()));
    EXPECT_GE(size.height(), 30 * chart_->Metrics().rowHeight);
    QImage image(size * 2, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter p(&image);
        chart_->DrawToDC(p, 2.0);
    }
    // The last row, below the screen's fold, is in the drawing, in red.
    const GanttLayout whole(*chart_, QRectF(QPointF(0, 0), QSizeF(size)), 0, chart_->Metrics());
    const QPointF c = whole.BarRect(last_).center();
    EXPECT_EQ(image.pixelColor(int(2 * c.x()), int(2 * c.y())), QColor(255, 0, 0));
    // The screen shows the same place for the same bar when not scrolled.
    EXPECT_EQ(chart_->ScreenLayout().BarRect(bar_), whole.BarRect(bar_));
}

}  // namespace

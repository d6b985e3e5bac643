#include <QDate>
#include <QFile>
#include <gtest/gtest.h>

#include "model/lists/ListFile.h"
#include "platform/DateText.h"
#include "platform/GanttModel.h"
#include "platform/Grid.h"
#include "model/schedule/ResourceChart.h"
#include "support/TestEnv.h"

namespace {

using ResourceChart::Listing;
const QDate kFrom(2026, 5, 4);

class ResourceChartBuild : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        list_ = temp_ + "/plant.ini";
        grid_ = Grid(1, 14);
    }
    // A task row: equipment, assigned to, start and end texts, status.
    int Task(const QString& equipment, const QString& assigned, const QString& start, const QString& end,
             const QString& status = QStringLiteral("Ready")) {
        const int r = grid_.Rows();
        grid_.SetRows(r + 1);
        grid_.SetText(r, 1, QStringLiteral("ID-%1").arg(r));
        grid_.SetText(r, 2, equipment);
        grid_.SetText(r, 4, start);
        grid_.SetText(r, 6, end);
        grid_.SetText(r, 8, assigned);
        grid_.SetText(r, 13, status);
        grid_.SetRowHeight(r, Grid::kShownRowHeight);
        return r;
    }
    int Task(const QString& equipment, const QString& assigned, int day, int days = 0,
             const QString& status = QStringLiteral("Ready")) {
        return Task(equipment, assigned, DateText::FormatDate(kFrom.addDays(day)),
                    DateText::FormatDate(kFrom.addDays(day + days)), status);
    }
    void List(const QString& section, const QString& name, const QString& colour) {
        ASSERT_TRUE(ListFile(list_).Add(section, name, colour)) << name.toStdString();
    }
    void Build(Listing listing) { ResourceChart::Build(chart_, grid_, list_, listing, kFrom); }
    QStringList Captions() const {
        QStringList out;
        for (int r = 0; r < chart_.RowCount(); ++r) out << chart_.RowAt(r).caption;
        return out;
    }
    QStringList Texts(int row) const {
        QStringList out;
        for (const auto& b : chart_.RowAt(row).bars) out << b.text;
        return out;
    }
    QString list_;
    Grid grid_;
    GanttModel chart_;
};

TEST_F(ResourceChartBuild, RowsFollowTheListFileAndBarsTheGridOrderByExactName) {
    List(ListSection::Employees, "Zoe", "255");
    List(ListSection::Employees, "Ann", "65280");
    List(ListSection::Employees, "Idle", "0");
    Task("Boiler", "Ann", 3);
    Task("Pump", "Zoe", 1, 2);
    Task("Fan", "Ann", 0);
    Task("Lamp", "ann", 0);        // letter case differs
    Task("Belt", "Ann ", 0);       // trailing blank
    Task("Gate", "Nobody", 0);     // not in the list
    Build(Listing::ByEmployee);

    EXPECT_EQ(Captions(), QStringList({"Zoe", "Ann", "Idle"}));
    EXPECT_EQ(chart_.ColumnCaption(), "Assigned To");
    EXPECT_EQ(chart_.ColumnWidth(), 100);
    EXPECT_EQ(Texts(0), QStringList({"Pump"}));
    EXPECT_EQ(Texts(1), QStringList({"Boiler", "Fan"}));   // grid order, not date order
    EXPECT_TRUE(Texts(2).isEmpty());
    EXPECT_EQ(chart_.BarCount(), 3);

    const GanttModel::Bar& pump = chart_.RowAt(0).bars[0];
    EXPECT_EQ(GanttModel::FromTime(pump.start), kFrom.addDays(1).startOfDay());
    EXPECT_EQ(GanttModel::FromTime(pump.stop), kFrom.addDays(3).startOfDay());
    EXPECT_EQ(pump.style, 8);
    EXPECT_TRUE(pump.hasColour);
    EXPECT_EQ(pump.colour, 255);
    EXPECT_EQ(chart_.RowAt(1).bars[0].colour, 65280);

    EXPECT_EQ(chart_.StartDate, kFrom.startOfDay());
    EXPECT_EQ(chart_.EndDate, kFrom.addDays(11).startOfDay());
}

TEST_F(ResourceChartBuild, OnlyShownRowsGetBarsWhateverTheirStatus) {
    List(ListSection::Employees, "Ann", "255");
    Task("Boiler", "Ann", 0, 0, "Complete");
    Task("Pump", "Ann", 0, 0, "Canceled");
    const int hidden = Task("Fan", "Ann", 0, 0, "Ready");
    grid_.SetRowHeight(hidden, 0);
    Build(Listing::ByEmployee);
    EXPECT_EQ(Texts(0), QStringList({"Boiler", "Pump"}));
}

TEST_F(ResourceChartBuild, TheEquipmentListingAfterAStatusFilter) {
    List(ListSection::Equipment, "Pump", "16711680");
    List(ListSection::Employees, "Ann", "255");
    Task("Pump", "Ann", 0, 0, "Ready");
    const int done = Task("Pump", "Bob", 1, 0, "Complete");
    Task("Pump", "Cy", 2, 0, "Ready");
    // A status filter that shows only the Complete tasks.
    for (int r = 1; r < grid_.Rows(); ++r) grid_.SetRowHeight(r, r == done ? Grid::kShownRowHeight : 0);
    Build(Listing::ByEquipment);
    EXPECT_EQ(Captions(), QStringList({"Pump"}));
    EXPECT_EQ(chart_.ColumnCaption(), "Equipment");
    EXPECT_EQ(Texts(0), QStringList({"Bob"}));
    EXPECT_EQ(chart_.RowAt(0).bars[0].colour, 16711680);
}

TEST_F(ResourceChartBuild, AnEmptyOrMissingSectionLeavesNoRowsAndTheWindowSet) {
    Task("Pump", "Ann", 0);
    chart_.AddColumn(0, "before", 0, 100, true);
    Build(Listing::ByEmployee);   // no list file at all
    EXPECT_EQ(chart_.RowCount(), 0);
    EXPECT_EQ(chart_.ColumnCaption(), "before");
    EXPECT_EQ(chart_.StartDate, kFrom.startOfDay());
    EXPECT_EQ(chart_.EndDate, kFrom.addDays(11).startOfDay());

    List(ListSection::Employees, "Ann", "255");
    Build(Listing::ByEquipment);  // the file is there, its Equipment section is not
    EXPECT_EQ(chart_.RowCount(), 0);

    // A rebuild starts from nothing: the rows of the last build go.
    Build(Listing::ByEmployee);
    Build(Listing::ByEmployee);
    EXPECT_EQ(Captions(), QStringList({"Ann"}));
    EXPECT_EQ(chart_.BarCount(), 1);
}

TEST_F(ResourceChartBuild, DatesTimesAndTextsThatAreNotDates) {
    List(ListSection::Employees, "Ann", "not a colour");
    const QString day = DateText::FormatDate(kFrom);
    Task("Same day", "Ann", day, day);
    Task("With times", "Ann", day + " 08:30:00", DateText::FormatDate(kFrom.addDays(1)) + " 16:00:00");
    Task("Later", "Ann", 40);
    Task("No start", "Ann", "soon", day);
    Task("No end", "Ann", day, "");
    Build(Listing::ByEmployee);
    ASSERT_EQ(Texts(0), QStringList({"Same day", "With times", "Later"}));
    const auto& bars = chart_.RowAt(0).bars;
    EXPECT_EQ(bars[0].start, bars[0].stop);    // a bar of no length
    EXPECT_EQ(GanttModel::FromTime(bars[1].start), QDateTime(kFrom, QTime(8, 30)));
    EXPECT_EQ(GanttModel::FromTime(bars[1].stop), QDateTime(kFrom.addDays(1), QTime(16, 0)));
    // After the window, still charted.
    EXPECT_GT(bars[2].start, GanttModel::ToTime(chart_.EndDate));
    // A colour that is not a number leaves the chart's own colour.
    EXPECT_FALSE(bars[0].hasColour);
}

TEST_F(ResourceChartBuild, ANameListedTwiceGetsItsBarsInBothRows) {
    List(ListSection::Employees, "Ann", "255");
    List(ListSection::Employees, "Bob", "0");
    // A hand-edited file may hold a name twice; each line is a row.
    QFile f(list_);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("Ann=65280\n");
    f.close();
    Task("Pump", "Ann", 0);
    Build(Listing::ByEmployee);
    EXPECT_EQ(Captions(), QStringList({"Ann", "Bob", "Ann"}));
    EXPECT_EQ(Texts(0), QStringList({"Pump"}));
    EXPECT_EQ(Texts(2), QStringList({"Pump"}));
    // A name read twice takes the colour of its first line, as a lookup by name does.
    EXPECT_EQ(chart_.RowAt(2).bars[0].colour, 255);
}

}  // namespace

// The work order and the material list as data: rows, joined ranges,
// bands, bold labels and values for tasks with and without lists, and two
// sheets built one after the other on the same sheet grid.
#include <gtest/gtest.h>

#include <set>

#include "model/schedule/PrintSheets.h"
#include "support/TestEnv.h"

namespace {

class PrintSheetsTest : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        tasks_ = Grid(3, 14);
        const QStringList fields{"ID-7", "Boiler 1", "01/02/2026", "01/05/2026", "08:00:00", "01/06/2026",
                                 "16:00:00", "Ann", "Bob", "Inspection", "30", "/docs/p.png", "Ready"};
        for (int c = 0; c < fields.size(); ++c) tasks_.SetText(1, c + 1, fields[c]);
        tasks_.SetText(2, 1, "ID-8");
    }
    static Grid Items(const QStringList& texts) {
        Grid g(1, 2);
        g.SetText(0, 1, "Task Items");
        for (const QString& t : texts) {
            g.SetRows(g.Rows() + 1);
            g.SetText(g.Rows() - 1, 1, t);
        }
        return g;
    }
    static Grid Materials(const QList<QPair<QString, QString>>& rows) {
        Grid g(1, 3);
        g.SetText(0, 1, "Materials");
        g.SetText(0, 2, "Cost");
        for (const auto& [name, cost] : rows) {
            g.SetRows(g.Rows() + 1);
            g.SetText(g.Rows() - 1, 1, name);
            g.SetText(g.Rows() - 1, 2, cost);
        }
        return g;
    }
    // The rows joined across columns 1 to 7, each once.
    static std::set<int> JoinedRows(const Grid& sheet) {
        std::set<int> rows;
        for (const Grid::Merge& m : sheet.Merges()) {
            EXPECT_EQ(m.col1, 1);
            EXPECT_EQ(m.col2, 7);
            EXPECT_EQ(m.row1, m.row2);
            EXPECT_TRUE(rows.insert(m.row1).second) << "row " << m.row1 << " joined twice";
        }
        return rows;
    }
    static std::set<int> BandRows(const Grid& sheet) {
        std::set<int> rows;
        for (int r = 0; r < sheet.Rows(); ++r)
            for (int c = 0; c < sheet.Cols(); ++c)
                if (sheet.BackColor(r, c) != Grid::kWhite) {
                    EXPECT_EQ(sheet.BackColor(r, c), PrintSheets::kBandColour);
                    rows.insert(r);
                }
        return rows;
    }
    static std::set<int> Range(int a, int b) {
        std::set<int> s;
        for (int i = a; i <= b; ++i) s.insert(i);
        return s;
    }
    static std::set<int> Union(std::set<int> a, const std::set<int>& b) {
        a.insert(b.begin(), b.end());
        return a;
    }
    Grid tasks_;
    Grid sheet_{1, 1};
};

TEST_F(PrintSheetsTest, WorkOrderOfATaskWithoutListsHasItsLabelsValuesAndBands) {
    PrintSheets::BuildWorkOrder(sheet_, tasks_, 1, nullptr, nullptr);
    ASSERT_EQ(sheet_.Rows(), 27);
    ASSERT_EQ(sheet_.Cols(), 8);
    EXPECT_EQ(sheet_.ColumnWidth(0), 0);
    EXPECT_EQ(sheet_.RowHeight(0), 0);
    const std::vector<std::tuple<int, int, QString>> cells = {
        {1, 1, "Task ID:"}, {1, 2, "ID-7"}, {2, 1, "Equipment:"}, {2, 2, "Boiler 1"},
        {3, 1, "Request Date:"}, {3, 2, "01/02/2026"}, {4, 1, "Scheduled Start:"}, {4, 2, "01/05/2026  08:00:00"},
        {5, 1, "Scheduled End:"}, {5, 2, "01/06/2026  16:00:00"}, {9, 1, "Assigned To:"}, {9, 2, "Ann"},
        {10, 1, "Requested By:"}, {10, 2, "Bob"}, {9, 4, "Type Task:"}, {9, 5, "Inspection"},
        {10, 4, "Frequency:"}, {10, 5, "Every  30  Days"}, {11, 4, "Status:"}, {11, 5, "Ready"},
        {16, 1, "Task Items:"}, {20, 1, "(Materials Needed)"}, {22, 1, "Completion Date:"},
        {22, 3, "Completed By:"}, {24, 1, "Completion Date:"}, {24, 3, "Completed By:"}};
    int written = 0;
    for (int r = 0; r < sheet_.Rows(); ++r)
        for (int c = 0; c < sheet_.Cols(); ++c)
            if (!sheet_.Text(r, c).isEmpty()) ++written;
    EXPECT_EQ(written, int(cells.size())) << "the document path and nothing else stays off the sheet";
    for (const auto& [r, c, text] : cells) EXPECT_EQ(sheet_.Text(r, c), text) << r << "," << c;

    int bold = 0;
    for (int r = 0; r < sheet_.Rows(); ++r)
        for (int c = 0; c < sheet_.Cols(); ++c) bold += sheet_.Bold(r, c);
    EXPECT_EQ(bold, 11);
    EXPECT_FALSE(sheet_.Bold(22, 1));
    EXPECT_EQ(JoinedRows(sheet_), (std::set<int>{13, 14, 21}));
    EXPECT_EQ(BandRows(sheet_), (std::set<int>{13, 14, 21}));
    // Label columns fit their texts; the others keep the default width.
    EXPECT_GT(sheet_.ColumnWidth(2), 0);
    EXPECT_EQ(sheet_.ColumnWidth(3), Grid::kDefaultColumnWidth);
    EXPECT_EQ(sheet_.ColumnWidth(6), Grid::kDefaultColumnWidth);
}

TEST_F(PrintSheetsTest, WorkOrderWithItemsAndMaterialsJoinsTheListRowsAndPrintsNamesOnly) {
    const Grid items = Items({"Drain", "Flush\twith water", "Refill"});
    const Grid mats = Materials({{"Gasket", "12.50"}, {"Valve", "80"}});
    PrintSheets::BuildWorkOrder(sheet_, tasks_, 1, &items, &mats);
    ASSERT_EQ(sheet_.Rows(), 32);
    EXPECT_EQ(sheet_.Text(18, 1), "Drain");
    EXPECT_EQ(sheet_.Text(19, 1), "Flush\twith water") << "a tab stays inside its item";
    EXPECT_EQ(sheet_.Text(20, 1), "Refill");
    EXPECT_EQ(sheet_.Text(23, 1), "(Materials Needed)");
    EXPECT_EQ(sheet_.Text(24, 1), "Gasket");
    EXPECT_EQ(sheet_.Text(25, 1), "Valve");
    for (int r = 17; r < sheet_.Rows(); ++r)
        for (int c = 2; c < 8; ++c)
            if (r != 27 && r != 29) {
                EXPECT_TRUE(sheet_.Text(r, c).isEmpty()) << "no cost on row " << r;
            }
    EXPECT_EQ(sheet_.Text(27, 1), "Completion Date:");
    EXPECT_EQ(sheet_.Text(29, 3), "Completed By:");
    EXPECT_EQ(JoinedRows(sheet_), Union(Range(17, 26), {13, 14}));
    EXPECT_EQ(BandRows(sheet_), (std::set<int>{13, 14, 26}));

    // Items but no material list: only rows 17 to 20 are joined.
    Grid other{1, 1};
    PrintSheets::BuildWorkOrder(other, tasks_, 1, &items, nullptr);
    EXPECT_EQ(other.Rows(), 30);
    EXPECT_EQ(other.Text(23, 1), "(Materials Needed)");
    EXPECT_EQ(JoinedRows(other), Union(Range(17, 20), {13, 14, 24}));
    EXPECT_EQ(BandRows(other), (std::set<int>{13, 14, 24}));

    // Lists holding only their header rows append nothing, yet join row 17 on.
    const Grid noItems = Items({}), noMats = Materials({});
    Grid headed{1, 1};
    PrintSheets::BuildWorkOrder(headed, tasks_, 1, &noItems, &noMats);
    EXPECT_EQ(headed.Rows(), 27);
    EXPECT_EQ(JoinedRows(headed), Union(Range(17, 21), {13, 14}));
}

TEST_F(PrintSheetsTest, MaterialListHasNoItemsAndItsBandInTheMiddleOfElevenEmptyRows) {
    const Grid mats = Materials({{"Gasket", "12.50"}, {"Valve", "80"}});
    PrintSheets::BuildMaterialList(sheet_, tasks_, 1, &mats);
    ASSERT_EQ(sheet_.Rows(), 32);
    EXPECT_TRUE(sheet_.Text(16, 1).isEmpty());
    EXPECT_FALSE(sheet_.Bold(16, 1));
    EXPECT_EQ(sheet_.Text(18, 1), "(Materials Needed)");
    EXPECT_EQ(sheet_.Text(19, 1), "Gasket");
    EXPECT_EQ(sheet_.Text(20, 1), "Valve");
    for (int r = 21; r < 32; ++r)
        for (int c = 0; c < 8; ++c) EXPECT_TRUE(sheet_.Text(r, c).isEmpty());
    EXPECT_EQ(JoinedRows(sheet_), Union(Range(17, 20), {13, 14, 26}));
    EXPECT_EQ(BandRows(sheet_), (std::set<int>{13, 14, 26}));

    Grid none{1, 1};
    PrintSheets::BuildMaterialList(none, tasks_, 1, nullptr);
    EXPECT_EQ(none.Rows(), 30);
    EXPECT_EQ(none.Text(18, 1), "(Materials Needed)");
    EXPECT_EQ(JoinedRows(none), (std::set<int>{13, 14, 24}));
    EXPECT_EQ(none.Text(4, 2), "01/05/2026  08:00:00");
}

TEST_F(PrintSheetsTest, ASecondSheetOnTheSameGridHoldsNothingOfTheFirst) {
    const Grid items = Items({"Drain", "Flush", "Refill"});
    const Grid mats = Materials({{"Gasket", "1"}});
    PrintSheets::BuildWorkOrder(sheet_, tasks_, 1, &items, &mats);
    // Task ID-8 has empty fields and no lists.
    PrintSheets::BuildWorkOrder(sheet_, tasks_, 2, nullptr, nullptr);
    EXPECT_EQ(sheet_.Rows(), 27);
    EXPECT_EQ(sheet_.Text(1, 2), "ID-8");
    EXPECT_EQ(sheet_.Text(4, 2), "  ") << "an empty date and time print as the two blanks";
    EXPECT_EQ(sheet_.Text(10, 5), "Every    Days");
    for (int r = 0; r < sheet_.Rows(); ++r)
        for (int c = 0; c < sheet_.Cols(); ++c) {
            const QString t = sheet_.Text(r, c);
            EXPECT_FALSE(t == "Drain" || t == "Gasket" || t == "Boiler 1") << r << "," << c;
        }
    EXPECT_EQ(JoinedRows(sheet_), (std::set<int>{13, 14, 21}));
    EXPECT_EQ(BandRows(sheet_), (std::set<int>{13, 14, 21}));
    PrintSheets::BuildMaterialList(sheet_, tasks_, 2, nullptr);
    EXPECT_EQ(sheet_.Rows(), 30);
    EXPECT_EQ(BandRows(sheet_), (std::set<int>{13, 14, 24}));
}

TEST_F(PrintSheetsTest, LayoutsOfTheSheetsAndOfTheTaskGrid) {
    const GridPrint::PageSetup work = PrintSheets::SheetLayout("Work Order");
    EXPECT_EQ(work.PaperSize, 1);
    EXPECT_DOUBLE_EQ(work.LeftMargin, 1.5);
    EXPECT_DOUBLE_EQ(work.TopMargin, 2.0);
    EXPECT_DOUBLE_EQ(work.RightMargin, 2.0);
    EXPECT_DOUBLE_EQ(work.BottomMargin, 3.0);
    EXPECT_DOUBLE_EQ(work.HeaderMargin, 1.0);
    EXPECT_DOUBLE_EQ(work.FooterMargin, 2.0);
    EXPECT_EQ(work.Header, "Work Order");
    EXPECT_EQ(work.HeaderAlignment, 1);
    EXPECT_EQ(work.HeaderFont.name, "Courier New");
    EXPECT_DOUBLE_EQ(work.HeaderFont.points, 10);
    EXPECT_TRUE(work.HeaderFont.bold);
    EXPECT_FALSE(work.PrintGridLines);
    EXPECT_FALSE(work.RepeatHeaderRow);
    EXPECT_EQ(work.Footer, "Page &P Of &N");
    EXPECT_EQ(work.FooterAlignment, 2);
    EXPECT_DOUBLE_EQ(work.FooterFont.points, 8);
    EXPECT_FALSE(work.FooterFont.bold);
    EXPECT_EQ(work.Orientation, 1);

    const GridPrint::PageSetup grid = PrintSheets::TaskGridLayout("               Quillon");
    EXPECT_EQ(grid.Header, "               Quillon");
    EXPECT_EQ(grid.HeaderAlignment, 0);
    EXPECT_TRUE(grid.PrintGridLines);
    EXPECT_TRUE(grid.RepeatHeaderRow);
    EXPECT_EQ(grid.Orientation, 2);
    EXPECT_EQ(grid.Footer, work.Footer);
    EXPECT_DOUBLE_EQ(grid.BottomMargin, work.BottomMargin);
}

}  // namespace

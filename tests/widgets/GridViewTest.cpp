#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "widgets/GridView.h"
#include "support/TestEnv.h"
#include "support/Ui.h"

namespace {

// The Task IDs the view shows, top to bottom.
QString ShownIds(const GridView& view) {
    QStringList ids;
    for (int r = 0; r < view.model()->rowCount(); ++r) ids << view.model()->index(r, 1).data().toString();
    return ids.join(',');
}

class GridViewTest : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        grid_.SetText(0, 1, "Task ID");
        grid_.SetText(0, 2, "Status");
        grid_.SetColumnWidth(0, 0);
        for (int i = 1; i <= 5; ++i) grid_.AddItem(QStringLiteral("ID-%1\tReady").arg(i));
        view_ = std::make_unique<GridView>(&grid_);
        view_->resize(400, 300);
        view_->show();
        QApplication::processEvents();
    }
    Grid grid_{1, 3};
    std::unique_ptr<GridView> view_;
};

TEST_F(GridViewTest, HiddenRowsAndColumnsAreLeftOutOfTheView) {
    EXPECT_EQ(view_->model()->rowCount(), 5);
    EXPECT_TRUE(view_->isColumnHidden(0));
    grid_.SetRowHeight(2, 0);
    grid_.SetRowHeight(4, 0);
    view_->Sync();
    EXPECT_EQ(view_->model()->rowCount(), 3);
    EXPECT_EQ(ShownIds(*view_), "ID-1,ID-3,ID-5");
    grid_.SetColumnWidth(2, 0);
    EXPECT_TRUE(view_->isColumnHidden(2));
    EXPECT_EQ(view_->model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Task ID");
}

TEST_F(GridViewTest, ClicksMoveTheActiveCellAndReportTheButton) {
    QSignalSpy spy(view_.get(), &GridView::MouseDown);
    const QRect r = TestUi::CellRect(view_.get(), 3, 2);
    ASSERT_TRUE(r.isValid());
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(grid_.ActiveRow(), 3);
    EXPECT_EQ(grid_.ActiveCol(), 2);
    QTest::mousePress(view_->viewport(), Qt::RightButton, {}, TestUi::CellRect(view_.get(), 4, 1).center());
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 2);
}

TEST_F(GridViewTest, GridSelectionShowsInTheView) {
    grid_.SelectRange(2, 1, 4, 2);
    QApplication::processEvents();
    EXPECT_EQ(view_->currentIndex().row(), 1);
    EXPECT_TRUE(view_->selectionModel()->isSelected(view_->model()->index(3, 2)));
    // A shift-click extends the selection in the grid too.
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, TestUi::CellRect(view_.get(), 1, 1).center());
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::ShiftModifier, TestUi::CellRect(view_.get(), 3, 1).center());
    EXPECT_EQ(grid_.SelectionFirstRow(), 1);
    EXPECT_EQ(grid_.SelectionLastRow(), 3);
}

TEST_F(GridViewTest, AHugeCellIsShownAndHintedByItsStartOnly) {
    grid_.SetTextUtf8(2, 2, std::string(5 << 20, 'x'));
    const QModelIndex huge = view_->model()->index(1, 2);
    for (int role : {int(Qt::DisplayRole), int(Qt::ToolTipRole)})
        EXPECT_EQ(huge.data(role).toString(), grid_.ShownText(2, 2)) << role;
    EXPECT_EQ(grid_.ShownText(2, 2).size(), qsizetype(Grid::kShownBytes) + 1);
}

TEST_F(GridViewTest, CellChangesReachTheView) {
    grid_.SetText(1, 2, "Complete");
    EXPECT_EQ(view_->model()->index(0, 2).data().toString(), "Complete");
    grid_.SetText(0, 2, "State");
    EXPECT_EQ(view_->model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "State");
}

}  // namespace

namespace {
TEST_F(GridViewTest, AClickAfterTheHeaderRowWasMadeActiveMovesTheActiveCellBack) {
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, TestUi::CellRect(view_.get(), 2, 1).center());
    ASSERT_EQ(grid_.ActiveRow(), 2);
    grid_.SetActiveCell(0, 1);
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, TestUi::CellRect(view_.get(), 2, 1).center());
    EXPECT_EQ(grid_.ActiveRow(), 2);
}
}  // namespace

namespace {

TEST_F(GridViewTest, AddedAndRemovedRowsMoveInTheViewWithoutAReset) {
    QSignalSpy resets(view_->model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(view_->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(view_->model(), &QAbstractItemModel::rowsRemoved);

    grid_.AddItem("ID-6\tReady");
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 5);
    EXPECT_EQ(inserted[0][2].toInt(), 5);
    EXPECT_EQ(ShownIds(*view_), "ID-1,ID-2,ID-3,ID-4,ID-5,ID-6");

    // A hidden row inside the removed range: only the shown ones leave the
    // view, and the rows after it still show their own texts.
    grid_.SetRowHeight(3, 0);
    view_->Sync();
    resets.clear();
    grid_.DeleteRows(2, 4);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 1);
    EXPECT_EQ(removed[0][2].toInt(), 2);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(ShownIds(*view_), "ID-1,ID-5,ID-6");

    // Growing through SetRows inserts, shrinking removes.
    grid_.SetRows(6);
    EXPECT_EQ(view_->model()->rowCount(), 5);
    grid_.SetRows(2);
    EXPECT_EQ(ShownIds(*view_), "ID-1");
    EXPECT_EQ(resets.count(), 0);

    // The active cell follows: a click on the last row makes it active.
    grid_.AddItem("ID-7\tReady");
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, TestUi::CellRect(view_.get(), 2, 1).center());
    EXPECT_EQ(grid_.ActiveRow(), 2);
    EXPECT_EQ(grid_.Text(grid_.ActiveRow(), 1), "ID-7");
}

TEST(GridViewLifetime, AViewLeftBehindByItsGridShowsNothing) {
    auto grid = std::make_unique<Grid>(1, 3);
    grid->AddItem("ID-1\tReady");
    GridView view(grid.get());
    view.resize(300, 200);
    view.show();
    QApplication::processEvents();
    ASSERT_EQ(view.model()->rowCount(), 1);
    grid->SetRowHeight(1, 0);   // a refresh is queued
    grid.reset();
    QApplication::processEvents();
    EXPECT_EQ(view.model()->rowCount(), 0);
    EXPECT_FALSE(view.model()->index(0, 1).data().isValid());
    view.Sync();
    view.repaint();
}

}  // namespace

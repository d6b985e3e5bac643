// Every place that reads a date from a task cell reads it the same way.
#include <QDate>
#include <gtest/gtest.h>

#include "model/database/DateWindow.h"
#include "model/database/PastDue.h"
#include "platform/DateText.h"
#include "platform/Grid.h"
#include "support/TestEnv.h"

namespace {

class DateCellsTest : public QuillonTest {};

const QString kNbsp = QString(QChar(0x00A0));
const QString kNarrow = QString(QChar(0x202F));

TEST_F(DateCellsTest, TheCellReaderAndTheTextReaderAgreeOnEveryForm) {
    const QStringList cells = {
        "03/01/2026", "03" + kNbsp + "01" + kNbsp + "2026", kNbsp + "03/01/2026" + kNbsp,
        "03/01/2026" + kNarrow + "08:00:00", "03/01/2026" + kNbsp + "8:00" + kNarrow + "PM",
        "2026-03-01", "March 1, 2026", "1 " + QString::fromUtf8("März") + " 2026", "03/01/2026 x",
        QString::fromUtf8("03／01／2026"), "13/13/2026", "", kNbsp, "Ready", QString::fromUtf8("0３/01/2026")};
    for (const QString& cell : cells) {
        const auto asText = DateText::ParseDate(cell);
        EXPECT_EQ(DateText::ParseDateUtf8(cell.toStdString()), asText) << cell.toStdString();
        EXPECT_EQ(PastDue::StartDay(cell.toStdString()), asText) << cell.toStdString();
    }
    EXPECT_EQ(DateText::ParseDateUtf8(("03" + kNbsp + "01" + kNbsp + "2026").toStdString()), QDate(2026, 3, 1));
}

TEST_F(DateCellsTest, ANoBreakSpaceDateSortsFiltersAndFallsDueAsADate) {
    Grid g(1, 14);
    const int start = 4, status = 13;
    g.AddItem(QStringLiteral("ID-1\t\t\t03/05/2026"));
    g.AddItem(QStringLiteral("ID-2\t\t\t03") + kNbsp + "01" + kNbsp + "2026");
    g.AddItem(QStringLiteral("ID-3\t\t\t03/03/2026"));
    for (int r = 1; r < g.Rows(); ++r) g.SetText(r, status, "Ready");

    g.Sort(start, 0);
    EXPECT_EQ(g.Text(1, 1), "ID-2");
    EXPECT_EQ(g.Text(2, 1), "ID-3");
    EXPECT_EQ(g.Text(3, 1), "ID-1");

    // A window of two days from March 1st shows only that task.
    EXPECT_EQ(DateWindow::Apply(g, QDate(2026, 3, 1), 2), 1);
    EXPECT_TRUE(g.RowShown(1));
    EXPECT_FALSE(g.RowShown(2));

    const PastDue::Result r = PastDue::Mark(g, QDate(2026, 3, 2), {});
    EXPECT_EQ(r.marked, 1);
    EXPECT_EQ(g.Text(1, status), "Past Due");
    EXPECT_EQ(g.Text(2, status), "Ready");
}

}  // namespace

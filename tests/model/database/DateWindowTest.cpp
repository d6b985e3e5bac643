#include <gtest/gtest.h>

#include "model/database/DatabaseLocation.h"
#include "model/database/DateWindow.h"
#include "platform/DateText.h"
#include "platform/FileOps.h"
#include "platform/Grid.h"
#include "support/TestEnv.h"

namespace {

class DateWindowTest : public QuillonTest {
protected:
    // Rows 1.. with the given Scheduled Start texts.
    static Grid WithStarts(const QStringList& starts) {
        Grid g(1, 14);
        for (const QString& s : starts) {
            g.SetRows(g.Rows() + 1);
            g.SetText(g.Rows() - 1, 4, s);
        }
        return g;
    }
    static QString D(int y, int m, int d) { return DateText::FormatDate(QDate(y, m, d)); }
    static std::vector<bool> Shown(const Grid& g) {
        std::vector<bool> out;
        for (int r = 1; r < g.Rows(); ++r) out.push_back(g.RowHeight(r) > 0);
        return out;
    }
};

TEST_F(DateWindowTest, LeadingNumberReadsLikeTheDaysBox) {
    EXPECT_EQ(DateWindow::LeadingNumber("30"), 30);
    EXPECT_EQ(DateWindow::LeadingNumber("  7 days"), 7);
    EXPECT_EQ(DateWindow::LeadingNumber("2.5"), 2.5);
    EXPECT_EQ(DateWindow::LeadingNumber(""), 0);
    EXPECT_EQ(DateWindow::LeadingNumber("abc"), 0);
}

TEST_F(DateWindowTest, TheWindowIncludesItsFirstDayAndExcludesDayFromPlusLength) {
    Grid g = WithStarts({D(2026, 3, 9), D(2026, 3, 10), D(2026, 3, 16), D(2026, 3, 17)});
    EXPECT_EQ(DateWindow::Apply(g, QDate(2026, 3, 10), 7), 2);
    EXPECT_EQ(Shown(g), (std::vector<bool>{false, true, true, false}));
}

TEST_F(DateWindowTest, EmptyLengthHidesEveryRowAndOneDayShowsThatDayOnly) {
    Grid g = WithStarts({D(2026, 3, 10), D(2026, 3, 10) + " 14:30:00", D(2026, 3, 11)});
    EXPECT_EQ(DateWindow::Apply(g, QDate(2026, 3, 10), DateWindow::LeadingNumber("")), 0);
    EXPECT_EQ(Shown(g), (std::vector<bool>{false, false, false}));
    // A task later on the picker's day (time part present) is in the window.
    EXPECT_EQ(DateWindow::Apply(g, QDate(2026, 3, 10), 1), 2);
    EXPECT_EQ(Shown(g), (std::vector<bool>{true, true, false}));
}

TEST_F(DateWindowTest, ARowWithoutADateIsInEveryWindowThatIsNotEmpty) {
    Grid g = WithStarts({"not a date", D(2026, 1, 1), "", D(2026, 3, 10), "??"});
    DateWindow::Apply(g, QDate(2026, 3, 10), 3);
    EXPECT_EQ(Shown(g), (std::vector<bool>{true, false, true, true, true}));
    DateWindow::Apply(g, QDate(2026, 3, 10), 0);
    EXPECT_EQ(Shown(g), (std::vector<bool>{false, false, false, false, false}));
}

TEST_F(DateWindowTest, ColoursStatusesAndHiddenColumnsAreLeftAlone) {
    Grid g = WithStarts({D(2026, 3, 10)});
    g.SetText(1, 13, "Past Due");
    g.SetBackColor(1, 13, 255);
    g.SetColumnWidth(12, 0);
    DateWindow::Apply(g, QDate(2026, 4, 1), 5);
    EXPECT_EQ(g.Text(1, 13), "Past Due");
    EXPECT_EQ(g.BackColor(1, 13), 255u);
    EXPECT_EQ(g.ColumnWidth(12), 0);
}

TEST_F(DateWindowTest, LocationIsTheNameWithoutTheExtension) {
    auto p = DatabaseLocation::Derive("/data/plant.2010.vkt");
    EXPECT_EQ(p.folder, "/data/");
    EXPECT_EQ(p.name, "plant.2010");
    EXPECT_EQ(DatabaseLocation::LegacyName("/data/plant.2010.vkt"), "plant");
    p = DatabaseLocation::Derive("/plant.vkt");
    EXPECT_EQ(p.folder, "/");
    EXPECT_EQ(p.name, "plant");
    // No extension, or nothing but one: a folder name that is not the file's.
    p = DatabaseLocation::Derive("/data/noextension");
    EXPECT_EQ(p.folder, "/data/");
    EXPECT_EQ(p.name, "noextension_data");
    EXPECT_EQ(DatabaseLocation::Derive("/data/.vkt").name, ".vkt_data");
    EXPECT_EQ(DatabaseLocation::CompanionFolder("/data/", ""), "/data/");
}

TEST_F(DateWindowTest, CompanionSubfoldersAreCreatedWheneverMissing) {
    const QString folder = temp_ + "/";
    FileOps::MakeFolder(temp_ + "/plant");   // the companion exists, its subfolders do not
    EXPECT_TRUE(DatabaseLocation::EnsureCompanion(folder, "plant"));
    EXPECT_TRUE(FileOps::FolderExists(temp_ + "/plant/Tasks"));
    EXPECT_TRUE(FileOps::FolderExists(temp_ + "/plant/Materials"));
    // Clearing removes the named tasks' lists and nothing else.
    FileOps::WriteFileSafely(temp_ + "/plant/Tasks/ID-1.tsk", "x");
    FileOps::WriteFileSafely(temp_ + "/plant/Materials/ID-1.mts", "x");
    FileOps::WriteFileSafely(temp_ + "/plant/Tasks/ID-2.tsk", "x");
    FileOps::WriteFileSafely(temp_ + "/plant.ini", "[Types]\n");
    EXPECT_TRUE(DatabaseLocation::ClearPerTaskFiles(folder, "plant", {"ID-1"}));
    EXPECT_TRUE(FileOps::FileExists(temp_ + "/plant/Tasks/ID-2.tsk"));
    EXPECT_FALSE(FileOps::FileExists(temp_ + "/plant/Tasks/ID-1.tsk"));
    EXPECT_FALSE(FileOps::FileExists(temp_ + "/plant/Materials/ID-1.mts"));
    EXPECT_TRUE(FileOps::FileExists(temp_ + "/plant.ini"));
}

}  // namespace

#include <malloc.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <gtest/gtest.h>
#include <algorithm>
#include <numeric>

#include "platform/Grid.h"
#include "platform/GridFile.h"
#include "support/TestEnv.h"

namespace {

class GridTest : public QuillonTest {};

Grid SampleGrid() {
    Grid g(1, 5);
    g.SetText(0, 1, "Task ID");
    g.SetText(0, 2, "Name");
    g.SetText(0, 3, "When");
    g.SetText(0, 4, "");
    g.SetColumnWidth(0, 0);
    g.SetColumnWidth(4, 0);
    g.AddItem("ID-1\tPump A\t03/01/2026");
    g.AddItem(QStringLiteral("ID-2\ttab\\there\t"));
    g.AddItem("ID-3\t\t");
    g.SetText(2, 2, QStringLiteral("tab\there and\nnew line \"quoted\" \\ back"));
    g.SetText(3, 2, QStringLiteral("Ünïcödé ✓ 日本"));
    g.SetText(3, 4, QStringLiteral("\r\n"));
    g.SetRowHeight(2, 0);
    return g;
}

void ExpectSame(const Grid& a, const Grid& b) {
    ASSERT_EQ(a.Rows(), b.Rows());
    ASSERT_EQ(a.Cols(), b.Cols());
    for (int c = 0; c < a.Cols(); ++c) EXPECT_EQ(a.ColumnWidth(c), b.ColumnWidth(c)) << c;
    for (int r = 0; r < a.Rows(); ++r) {
        EXPECT_EQ(a.RowHeight(r), b.RowHeight(r)) << r;
        for (int c = 0; c < a.Cols(); ++c) EXPECT_EQ(a.Text(r, c), b.Text(r, c)) << r << "," << c;
    }
}

TEST_F(GridTest, SaveThenLoadGivesBackEverything) {
    const Grid g = SampleGrid();
    const QString path = temp_ + "/db.vkt";
    QString error;
    ASSERT_TRUE(g.SaveFile(path, &error)) << error.toStdString();
    Grid back(3, 3);
    ASSERT_TRUE(back.LoadFile(path, &error)) << error.toStdString();
    ExpectSame(g, back);
    EXPECT_EQ(back.Text(0, 1), "Task ID");
    EXPECT_EQ(back.ColumnWidth(4), 0);
    EXPECT_EQ(back.RowHeight(2), 0);
}

TEST_F(GridTest, EmptyAndHeaderOnlyGridsRoundTrip) {
    for (auto [rows, cols] : {std::pair{0, 0}, {1, 14}, {1, 1}, {2, 0}}) {
        Grid g(rows, cols);
        Grid back(5, 5);
        ASSERT_TRUE(back.Deserialize(g.Serialize())) << rows << "x" << cols;
        ExpectSame(g, back);
    }
}

TEST_F(GridTest, EveryByteToEscapeIsEscapedWhereverItStandsInACell) {
    // Cells are written a word or two at a time: each length around the
    // word sizes, with the byte at each place, beside cells of every kind.
    for (const char special : {'\t', '\n', '\r', '\\', '\x0b', '\xdc'}) {
        for (size_t length = 1; length <= 40; ++length) {
            for (size_t at = 0; at < length; ++at) {
                std::string text(length, 'a');
                text[at] = special;
                Grid g(2, 4);
                g.SetTextUtf8(1, 0, "short");
                g.SetTextUtf8(1, 1, text);
                g.SetTextUtf8(1, 2, std::string(length, 'b'));
                const std::string buffer = GridFile::Serialize(g);
                ASSERT_EQ(buffer.find('\r'), std::string::npos) << int(special) << " " << length << " " << at;
                Grid back;
                ASSERT_TRUE(back.Deserialize(buffer)) << int(special) << " " << length << " " << at;
                ASSERT_EQ(std::string_view(back.TextUtf8(1, 1)), text) << int(special) << " " << length << " " << at;
                ASSERT_EQ(std::string_view(back.TextUtf8(1, 2)), std::string(length, 'b'));
                ASSERT_TRUE(back.TextUtf8(1, 3).empty());
            }
        }
    }
}

TEST_F(GridTest, DamagedFilesAreRefusedAndTheGridStaysAsItWas) {
    const Grid g = SampleGrid();
    const std::string good = g.Serialize();
    std::vector<std::pair<std::string, std::string>> bad = {
        {"empty", ""},
        {"garbage", "\x89PNG\r\n\x1a\nrandom bytes"},
        {"truncated half-way", good.substr(0, good.size() / 2)},
        {"truncated before END", good.substr(0, good.rfind("END"))},
        {"newer version", "QUILLON-GRID 99\n" + good.substr(good.find('\n') + 1)},
        {"row count too large", [&] {
             std::string s = good;
             s.replace(s.find("\n4 5\n"), 5, "\n9 5\n");
             return s;
         }()},
        {"column count too small", [&] {
             std::string s = good;
             s.replace(s.find("\n4 5\n"), 5, "\n4 4\n");
             return s;
         }()},
        {"bad escape", [&] {
             std::string s = good;
             s.replace(s.find("ID-3"), 4, "ID\\q");
             return s;
         }()},
        {"data after end", good + "more\n"},
    };
    for (const auto& [what, data] : bad) {
        Grid target = SampleGrid();
        target.SetText(1, 1, "unchanged");
        QString error;
        EXPECT_FALSE(target.Deserialize(data, &error)) << what;
        EXPECT_FALSE(error.isEmpty()) << what;
        EXPECT_EQ(target.Text(1, 1), "unchanged") << what;
        EXPECT_EQ(target.Rows(), 4) << what;
    }
}

// A header that claims far more than the file holds, as a damaged or hostile
// file of a few hundred kilobytes can: rows x cols cells from the header alone
// would be gigabytes.
std::string HostileGrid(int rows, int cols, bool matchingLines = true) {
    std::string out = "QUILLON-GRID 1\n" + std::to_string(rows) + " " + std::to_string(cols) + "\n";
    for (int c = 0; c < (matchingLines ? cols : 1); ++c) out += c ? " 9" : "9";
    out += "\n";
    for (int r = 0; r < (matchingLines ? rows : 1); ++r) out += r ? " 1" : "1";
    out += "\nEND\n";
    return out;
}

TEST_F(GridTest, CountsTheFileCannotHoldAreRefusedBeforeAnythingIsAllocated) {
    const std::vector<std::string> hostile = {
        HostileGrid(40000, 10000),               // ~110 KB claiming 400 million cells
        HostileGrid(50'000'000, 2, false),       // heights the line cannot hold
        HostileGrid(3, 10000, false),            // widths the line cannot hold
        HostileGrid(1, 10000) + std::string(5000, '\t'),
        HostileGrid(20000, 0),                   // rows without a line each
    };
    for (size_t i = 0; i < hostile.size(); ++i) {
        Grid g = SampleGrid();
        QString error;
        EXPECT_FALSE(g.Deserialize(hostile[i], &error)) << i;
        EXPECT_FALSE(error.isEmpty()) << i;
        EXPECT_EQ(g.Rows(), 4) << i;
        // The same through a file, as the per-task lists (.tsk, .mts) load.
        const QString path = temp_ + QStringLiteral("/ID-%1.tsk").arg(i);
        ASSERT_TRUE(TestEnv::WriteAll(path, QByteArray::fromStdString(hostile[i])));
        EXPECT_FALSE(g.LoadFile(path, &error)) << i;
        EXPECT_EQ(g.Rows(), 4) << i;
    }
    // A large grid whose file does hold its cells still loads.
    Grid big(1, 3);
    big.SetRows(20000);
    Grid back;
    ASSERT_TRUE(back.Deserialize(big.Serialize()));
    EXPECT_EQ(back.Rows(), 20000);
}

TEST_F(GridTest, TheDateFormsTravelOnTheFirstLineWhereOlderReadersStopAtTheVersion) {
    Grid g = SampleGrid();
    const QString nbsp(QChar(0x00A0));
    g.SetForms({"d." + nbsp + "M." + nbsp + "yyyy", "h:mm:ss AP"});
    const std::string data = g.Serialize();
    EXPECT_EQ(data.substr(0, data.find('\n')), "QUILLON-GRID 1 dates=d.%C2%A0M.%C2%A0yyyy times=h:mm:ss%20AP");
    Grid back;
    ASSERT_TRUE(back.Deserialize(data));
    EXPECT_EQ(back.Forms(), g.Forms());
    ExpectSame(g, back);
    // A grid without dates, and a file from before forms, record none.
    EXPECT_EQ(SampleGrid().Serialize().substr(0, 15), "QUILLON-GRID 1\n");
    ASSERT_TRUE(back.Deserialize(SampleGrid().Serialize()));
    EXPECT_FALSE(back.Forms().Known());
    // Fields of later versions are left to them.
    const std::string body = data.substr(data.find('\n'));
    ASSERT_TRUE(back.Deserialize("QUILLON-GRID 1 zone=x dates=dd.MM.yyyy" + body));
    EXPECT_EQ(back.Forms().dates, "dd.MM.yyyy");
}

TEST_F(GridTest, ADamagedRecordedFormRefusesTheFile) {
    const std::string sample = SampleGrid().Serialize(), body = sample.substr(sample.find('\n'));
    const char* const lines[] = {
        "QUILLON-GRID 1 dates=",                       // empty
        "QUILLON-GRID 1 dates=dd.MM.yyyy dates=M/d/yyyy",
        "QUILLON-GRID 1 dates=%4",                     // cut escape
        "QUILLON-GRID 1 dates=dd%ZZMM",
        "QUILLON-GRID 1 dates=d%FF%FEM.yyyy",          // not UTF-8
        "QUILLON-GRID 1 dates=MMMM%20d,%20yyyy",       // month names: no numeric form
        "QUILLON-GRID 1 dates=dd.MM.yyyy times=H%3Bmm",
        "QUILLON-GRID 1 dates=dd.MM.yyyy times=hh%09mm",
        "QUILLON-GRID 1 dates=dd\tMM.yyyy",
    };
    for (const char* line : lines) {
        Grid g = SampleGrid();
        QString error;
        EXPECT_FALSE(g.Deserialize(line + body, &error)) << line;
        EXPECT_TRUE(error.contains("form")) << line;
        EXPECT_EQ(g.Rows(), 4) << line;
    }
    Grid g = SampleGrid();
    EXPECT_FALSE(g.Deserialize("QUILLON-GRID 1 " + std::string(2000, 'x') + body));
}

TEST_F(GridTest, LoadOfMissingFileFailsWithoutTouchingTheGrid) {
    Grid g = SampleGrid();
    QString error;
    EXPECT_FALSE(g.LoadFile(temp_ + "/nope.vkt", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(g.Rows(), 4);
}

TEST_F(GridTest, FailedSaveLeavesTheOldFileWhole) {
    const QString path = temp_ + "/db.vkt";
    Grid g = SampleGrid();
    ASSERT_TRUE(g.SaveFile(path));
    const QByteArray before = TestEnv::ReadAll(path);
    g.SetRows(2000);   // larger than the disk has room for
    QString error;
    bool saved = true;
    {
        TestEnv::DiskFull full(before.size() + 16);
        saved = g.SaveFile(path, &error);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, "The disk is full.");
    EXPECT_EQ(TestEnv::ReadAll(path), before);
    EXPECT_EQ(QDir(temp_).entryList(QDir::Files | QDir::Hidden), QStringList{"db.vkt"});   // no temporary left behind
}

TEST_F(GridTest, SaveIntoAMissingFolderFails) {
    Grid g = SampleGrid();
    QString error;
    EXPECT_FALSE(g.SaveFile(temp_ + "/no/such/folder/db.vkt", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(GridTest, SortMovesWholeRowsAndKeepsTheHeader) {
    Grid g(1, 4);
    g.SetText(0, 1, "Task ID");
    g.AddItem("ID-2\tb\t5");
    g.AddItem("ID-10\ta\t40");
    g.AddItem("ID-1\tc\t100");
    g.SetRowHeight(2, 0);
    g.SetBackColor(2, 2, 255);
    g.Sort(1, 0);
    // Task IDs are texts: "ID-10" sorts before "ID-2".
    EXPECT_EQ(g.Text(0, 1), "Task ID");
    EXPECT_EQ(g.Text(1, 1), "ID-1");
    EXPECT_EQ(g.Text(2, 1), "ID-10");
    EXPECT_EQ(g.Text(3, 1), "ID-2");
    EXPECT_EQ(g.Text(2, 2), "a");
    EXPECT_EQ(g.RowHeight(2), 0);     // the hidden row moved with its height
    EXPECT_EQ(g.BackColor(2, 2), 255u);
    EXPECT_EQ(g.RowHeight(3), Grid::kShownRowHeight);
    // Numbers compare as numbers, descending.
    g.Sort(3, 1);
    EXPECT_EQ(g.Text(1, 3), "100");
    EXPECT_EQ(g.Text(2, 3), "40");
    EXPECT_EQ(g.Text(3, 3), "5");
    EXPECT_EQ(g.Text(0, 1), "Task ID");
}

TEST_F(GridTest, SortComparesDatesAsDates) {
    Grid g(1, 2);
    g.AddItem("12/01/2025");
    g.AddItem("2/15/2026");
    g.AddItem("1/5/2026");
    g.Sort(1, 0);
    EXPECT_EQ(g.Text(1, 1), "12/01/2025");
    EXPECT_EQ(g.Text(2, 1), "1/5/2026");
    EXPECT_EQ(g.Text(3, 1), "2/15/2026");
}

TEST_F(GridTest, SortOrdersTextsAsQStringComparesThemIgnoringCaseAndKeepsTies) {
    const QStringList texts = {"b", "\u00C4pfel", "apple", "B", "Zebra", "a_b", "\u00E4pfel", "ab", "\u00E9t\u00E9", "A"};
    Grid g(1, 3);
    for (int i = 0; i < texts.size(); ++i) g.AddItem(texts[i] + "\t" + QString::number(i));
    QList<int> expected(texts.size());
    std::iota(expected.begin(), expected.end(), 0);
    std::stable_sort(expected.begin(), expected.end(),
                     [&](int a, int b) { return texts[a].compare(texts[b], Qt::CaseInsensitive) < 0; });
    g.Sort(1, 0);
    for (int r = 1; r < g.Rows(); ++r) EXPECT_EQ(g.Text(r, 2).toInt(), expected[r - 1]) << r;
}

// Only finite numbers written as numbers compare as numbers: "nan", "inf"
// and "Infinity" are words, whatever their case.
TEST_F(GridTest, SortTakesNanAndInfinityForWords) {
    const std::vector<std::pair<QStringList, QStringList>> columns = {
        {{"3", "1", "nan", "2", "0"}, {"0", "1", "2", "3", "nan"}},
        {{"Nan", "Anna", "Bob"}, {"Anna", "Bob", "Nan"}},
        {{"inf", "-INF", "Infinity", "10", "1e3", "-5", "NaN"}, {"-5", "10", "1e3", "-INF", "inf", "Infinity", "NaN"}},
    };
    for (const auto& [texts, ascending] : columns) {
        Grid g(1, 2);
        for (const QString& t : texts) g.AddItem(t);
        for (int order : {0, 1}) {
            g.Sort(1, order);
            QStringList sorted;
            for (int r = 1; r < g.Rows(); ++r) sorted << g.Text(r, 1);
            QStringList expected = ascending;
            if (order == 1) std::reverse(expected.begin(), expected.end());
            EXPECT_EQ(sorted, expected) << texts.join(',').toStdString() << " order " << order;
        }
    }
}

TEST_F(GridTest, CellColoursFollowTheirRowsHoweverManyTheGridHolds) {
    Grid g(1, 3);
    for (int i = 0; i < 300; ++i) {   // more distinct styles than a byte counts
        g.AddItem(QString::number(i));
        g.SetBackColor(i + 1, 2, 0x10000u + uint32_t(i));
        g.SetBold(i + 1, 1, i % 2 == 1);
    }
    g.Sort(1, 1);
    g.DeleteRows(2, 2);   // the row of 298
    g.DeleteRowList({3, 5});   // 296 and 294
    for (int r = 1; r < g.Rows(); ++r) {
        const int i = g.Text(r, 1).toInt();
        EXPECT_EQ(g.BackColor(r, 2), 0x10000u + uint32_t(i)) << r;
        EXPECT_EQ(g.Bold(r, 1), i % 2 == 1) << r;
        EXPECT_EQ(g.BackColor(r, 1), Grid::kWhite) << r;
    }
    EXPECT_EQ(g.Rows(), 298);
}

TEST_F(GridTest, DeleteRowsNeverRemovesTheHeader) {
    Grid g = SampleGrid();
    g.SelectRange(0, 1, 1, 1);
    g.DeleteSelectedRows();
    EXPECT_EQ(g.Rows(), 3);
    EXPECT_EQ(g.Text(0, 1), "Task ID");
    EXPECT_EQ(g.Text(1, 1), "ID-2");
    g.DeleteRows(0, 0);
    EXPECT_EQ(g.Rows(), 3);
    g.DeleteRows(1, 99);
    EXPECT_EQ(g.Rows(), 1);
    EXPECT_EQ(g.ActiveRow(), 0);
}

TEST_F(GridTest, AddItemFillsFromColumnOneAndIgnoresExtraFields) {
    Grid g(1, 3);
    g.AddItem("a\tb\tc\td");
    EXPECT_EQ(g.Rows(), 2);
    EXPECT_EQ(g.Text(1, 0), "");
    EXPECT_EQ(g.Text(1, 1), "a");
    EXPECT_EQ(g.Text(1, 2), "b");
    EXPECT_EQ(g.RowHeight(1), Grid::kShownRowHeight);
}

TEST_F(GridTest, OutOfRangeCallsChangeNothing) {
    Grid g = SampleGrid();
    g.SetActiveCell(1, 1);
    g.SetText(99, 1, "x");
    g.SetText(1, 99, "x");
    g.SetRowHeight(-1, 0);
    g.SetColumnWidth(42, 3);
    g.SetActiveCell(50, 1);
    EXPECT_EQ(g.Text(99, 1), "");
    EXPECT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.ActiveRow(), 1);
}

TEST_F(GridTest, CountsBelowZeroAreRefusedAndLeaveTheGrid) {
    Grid g = SampleGrid();
    g.SetRows(-1);
    g.SetCols(-3);
    EXPECT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.Cols(), 5);
    EXPECT_EQ(g.Text(1, 1), "ID-1");
}

TEST_F(GridTest, ColsAndRowsGrowAndShrinkAtTheEnd) {
    Grid g = SampleGrid();
    g.SetCols(3);
    EXPECT_EQ(g.Text(1, 2), "Pump A");
    g.SetCols(6);
    EXPECT_EQ(g.Text(1, 2), "Pump A");
    EXPECT_EQ(g.Text(1, 5), "");
    g.SetRows(2);
    EXPECT_EQ(g.Rows(), 2);
    g.ClearRows();
    EXPECT_EQ(g.Rows(), 0);
    EXPECT_EQ(g.Cols(), 0);
}

TEST_F(GridTest, ColoursAndMergesStayWithTheirCells) {
    Grid g(3, 3);
    g.SetBackColor(1, 1, 16711680);
    g.SetForeColor(1, 1, 255);
    g.SetBold(2, 2, true);
    g.MergeRange(1, 0, 1, 2);
    EXPECT_EQ(g.BackColor(1, 1), 16711680u);
    EXPECT_EQ(g.ForeColor(1, 1), 255u);
    EXPECT_EQ(g.BackColor(2, 1), Grid::kWhite);
    EXPECT_TRUE(g.Bold(2, 2));
    ASSERT_EQ(g.Merges().size(), 1u);
    g.MergeRange(1, 1, 2, 1);   // overlaps: replaces the first merge
    ASSERT_EQ(g.Merges().size(), 1u);
    EXPECT_EQ(g.Merges()[0].row2, 2);
}

TEST_F(GridTest, ObserversHearChangesExceptWhileRedrawIsOff) {
    Grid g(2, 2);
    int calls = 0;
    const int id = g.AddObserver([&](Grid::Change, int, int) { ++calls; });
    g.SetText(1, 1, "x");
    EXPECT_EQ(calls, 1);
    g.SetRedraw(false);
    for (int i = 0; i < 10; ++i) g.SetText(1, 1, "y");
    EXPECT_EQ(calls, 1);
    g.SetRedraw(true);
    EXPECT_EQ(calls, 2);
    g.RemoveObserver(id);
    g.SetText(1, 1, "z");
    EXPECT_EQ(calls, 2);
}

}  // namespace

namespace {
TEST_F(GridTest, AutoFitWidensShownColumnsAndLeavesHiddenOnesHidden) {
    Grid g = SampleGrid();
    g.SetColumnWidth(2, 5);
    g.AutoFit(2);
    EXPECT_GT(g.ColumnWidth(2), 5);
    g.AutoFit(4);   // hidden by width 0
    EXPECT_EQ(g.ColumnWidth(4), 0);
}

TEST_F(GridTest, AutoFitMeasuresWithTheGivenFunctionLineByLine) {
    Grid g(1, 3);
    g.SetText(0, 1, "Head");   // the header is measured bold
    g.AddItem("a\tx");
    g.AddItem("abcdef\ty");
    g.SetText(2, 1, "abc\nabcdefgh");   // the widest line counts, not the whole text
    QStringList measured;
    const auto width = [&](const QString& text, bool bold) {
        measured << (bold ? "*" : "") + text;
        return int(text.size()) * 10 + (bold ? 100 : 0);
    };
    g.AutoFit(1, width);
    EXPECT_EQ(g.ColumnWidth(1), 140 + 12);
    EXPECT_TRUE(measured.contains("*Head"));
    EXPECT_TRUE(measured.contains("abcdefgh"));
    EXPECT_FALSE(measured.contains("abc\nabcdefgh"));

    g.SetText(1, 2, "");
    g.SetText(2, 2, "");
    g.AutoFit(2, [](const QString&, bool) { return 0; });
    EXPECT_EQ(g.ColumnWidth(2), 20);   // never narrower than a column can be grabbed
}
}  // namespace

TEST_F(GridTest, EveryTextSurvivesLoadingCopyingSortingAndTheSourceGoingAway) {
    // Texts of every length the cell storage treats apart: none, within the
    // cell, just past it, in a block or an arena entry, escaped in the file,
    // and past what a view shows.
    const std::vector<std::string> texts = {"", "a", "1234567", "12345678", "tab\there\\and\nline",
                                            std::string(300, 'x'), QString(2000, QChar(0xE9)).toStdString(),
                                            std::string(3 << 20, 'y')};
    auto original = std::make_unique<Grid>(int(texts.size()) + 1, 3);
    for (size_t i = 0; i < texts.size(); ++i) {
        original->SetTextUtf8(int(i) + 1, 1, texts[i]);
        original->SetTextUtf8(int(i) + 1, 2, std::to_string(i));
    }
    auto loaded = std::make_unique<Grid>();
    ASSERT_TRUE(loaded->Deserialize(original->Serialize()));
    const char* const ways[] = {"set, then copied", "read from a file, then copied", "read from a file, then moved"};
    std::vector<Grid> copies;
    copies.push_back(*original);
    copies.push_back(*loaded);
    copies.emplace_back() = std::move(*loaded);
    // The grids the copies came from are gone, with every cell they owned.
    original.reset();
    loaded.reset();
    for (size_t k = 0; k < copies.size(); ++k) {
        SCOPED_TRACE(ways[k]);
        Grid& g = copies[k];
        g.Sort(2, 1);   // rows move whole, last first
        g.DeleteRows(1, 1);
        for (size_t i = 0; i + 1 < texts.size(); ++i)
            EXPECT_EQ(std::string(g.TextUtf8(int(texts.size() - 1 - i), 1)), texts[i]) << "text " << i;
        g.SetTextUtf8(1, 1, "changed after loading");
        EXPECT_EQ(g.Text(1, 1), "changed after loading");
    }
}

// A grid copied back and forth while every cell is set again (as an edit
// window hands its copy back) keeps about what it holds, not every text it
// ever held.
TEST_F(GridTest, CopiesOfCopiesDoNotKeepTextsNoCellHoldsAnyMore) {
    const auto heap = [] { const auto m = mallinfo2(); return m.uordblks + m.hblkhd; };
    Grid g(10000, 1);
    const auto fill = [&g](int round) {
        for (int r = 0; r < g.Rows(); ++r) g.SetTextUtf8(r, 0, std::string(100, char('a' + round % 26)) + std::to_string(r));
    };
    fill(0);
    const size_t before = heap();
    for (int round = 1; round <= 30; ++round) {
        Grid copy = g;
        g = copy;
        fill(round);
    }
    EXPECT_LT(heap(), before + 4 * size_t(g.Rows()) * 110);
    EXPECT_EQ(g.TextUtf8(9999, 0), std::string(100, 'e') + "9999");
}

TEST_F(GridTest, AWindowIsShownOnlyTheStartOfAHugeCellCutAtACharacter) {
    Grid g(2, 2);
    g.SetText(1, 1, QString(Grid::kShownBytes, QChar(0xE9)));   // two bytes each
    const QString shown = g.ShownText(1, 1);
    EXPECT_EQ(shown, QString(Grid::kShownBytes / 2, QChar(0xE9)) + QChar(0x2026));
    g.SetText(1, 1, QString(Grid::kShownBytes / 2, QChar(0xE9)));
    EXPECT_EQ(g.ShownText(1, 1), g.Text(1, 1));
}

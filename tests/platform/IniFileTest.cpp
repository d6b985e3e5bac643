#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <thread>
#include <sys/resource.h>

#include "support/TestEnv.h"

namespace {

using TestEnv::ReadAll;
using TestEnv::WriteAll;

// Lists a section the way the list windows do: count, then KeyAt 1..count.
std::vector<std::pair<QString, QString>> List(aaxIniFile& ini, const QString& section) {
    std::vector<std::pair<QString, QString>> out;
    ini.SelectSection(section);
    int count = 0;
    ini.KeyCount(count);
    for (int i = 1; i <= count; ++i) {
        QString key, value;
        if (ini.KeyAt(i, key, value) == 0) out.emplace_back(key, value);
    }
    return out;
}

using Entries = std::vector<std::pair<QString, QString>>;

}  // namespace

class IniFileTest : public QuillonTest {
protected:
    QString Path() const { return temp_ + "/list.ini"; }
};

TEST_F(IniFileTest, EditsKeepLayoutCommentsAndOrder) {
    WriteAll(Path(),
             "; list file\n"
             "[Employees]\n"
             "Zoe=255\n"
             "  Adam = 65280  \n"
             "; end of employees\n"
             "\n"
             "[Types]\n"
             "Oil=\n");
    IniDocument doc;
    ASSERT_TRUE(doc.Load(Path()));
    EXPECT_EQ(doc.Sections(), QStringList({"Employees", "Types"}));
    EXPECT_EQ(doc.Entries("Employees"), Entries({{"Zoe", "255"}, {"Adam", "65280"}}));

    EXPECT_EQ(doc.Value("EMPLOYEES", "adam"), QString("65280"));
    doc.SetValue("employees", "ADAM", "16711680");      // replaced where it stands, spelling kept
    doc.SetValue("Employees", "Bert", "0");             // after the last key
    doc.SetValue("Types", "Grease", "");
    doc.SetValue("Equipment", "Pump", "42");            // new section at the end
    doc.SetValue("Equipment", "Gone", "1");
    EXPECT_TRUE(doc.RemoveKey("EQUIPMENT", "gone"));
    EXPECT_FALSE(doc.RemoveKey("Equipment", "Gone"));
    ASSERT_TRUE(doc.Save(Path()));

    EXPECT_EQ(ReadAll(Path()),
              "; list file\n"
              "[Employees]\n"
              "Zoe=255\n"
              "  Adam = 16711680\n"
              "Bert=0\n"
              "; end of employees\n"
              "\n"
              "[Types]\n"
              "Oil=\n"
              "Grease=\n"
              "\n"
              "[Equipment]\n"
              "Pump=42\n");
}

TEST_F(IniFileTest, AKeyReplacedInOneDocumentIsStillFoundAndReplacedAgainInPlace) {
    WriteAll(Path(), "; staff\n[Employees]\nZoe=255\n  Adam = 65280\n; night shift\nBert=0\n");
    IniDocument doc;
    ASSERT_TRUE(doc.Load(Path()));
    doc.SetValue("Employees", "adam", "1");
    doc.SetValue("Employees", "Adam", "2");
    ASSERT_TRUE(doc.Save(Path()));
    EXPECT_EQ(ReadAll(Path()), "; staff\n[Employees]\nZoe=255\n  Adam = 2\n; night shift\nBert=0\n");
}

TEST_F(IniFileTest, ReadTrimsAndStripsQuotesAndWritesWhatWouldNotSurvive) {
    IniDocument doc;
    doc.Parse("[S]\n  a  =  plain  \nb=\"quoted\"\nc=\"only left\nd=\"\nnoequals line\n");
    EXPECT_EQ(doc.Value("S", "a"), QString("plain"));
    EXPECT_EQ(doc.Value("S", "b"), QString("quoted"));
    EXPECT_EQ(doc.Value("S", "c"), QString("\"only left"));
    EXPECT_EQ(doc.Value("S", "d"), QString("\""));
    EXPECT_EQ(doc.Entries("S").size(), 4u);   // a line without "=" is not a key

    // Values and keys that the reading rules would change come back whole.
    const QStringList values = {"  blanks around  ", "\"in quotes\"", "", "a=b", "x;y", "[not a section]"};
    const QStringList keys = {"Pump = 2", "[Boiler]", ";Fan", "\"Quoted\"", "Ünïcødé €"};
    for (int i = 0; i < values.size(); ++i) doc.SetValue("W", keys[i % keys.size()] + QString::number(i), values[i]);
    for (const QString& k : keys) doc.SetValue("K", k, "v");

    IniDocument again;
    again.Parse(doc.ToBytes());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(again.Value("W", keys[i % keys.size()] + QString::number(i)), values[i]) << i;
    Entries expected;
    for (const QString& k : keys) expected.emplace_back(k, "v");
    EXPECT_EQ(again.Entries("K"), expected);
    EXPECT_EQ(again.Sections(), QStringList({"S", "W", "K"}));
}

TEST_F(IniFileTest, LineBreaksInAValueCannotStartANewSection) {
    IniDocument doc;
    doc.SetValue("Employees", "Bob", "1\n[Evil]\nx=2");
    IniDocument again;
    again.Parse(doc.ToBytes());
    EXPECT_EQ(again.Sections(), QStringList({"Employees"}));
    EXPECT_EQ(again.Entries("Employees").size(), 1u);
}

TEST_F(IniFileTest, CrlfFileStaysCrlfAndBomIsSkippedButKept) {
    IniDocument doc;
    doc.Parse("\xEF\xBB\xBF[Types]\r\nOil=\r\n");
    EXPECT_EQ(doc.Sections(), QStringList({"Types"}));
    doc.SetValue("Types", "Grease", "");
    doc.SetValue("New", "k", "v");
    EXPECT_EQ(doc.ToBytes(), "\xEF\xBB\xBF[Types]\r\nOil=\r\nGrease=\r\n\r\n[New]\r\nk=v\r\n");

    IniDocument lf;
    lf.Parse("[A]\nx=1");   // no final line end
    lf.SetValue("A", "y", "2");
    EXPECT_EQ(lf.ToBytes(), "[A]\nx=1\ny=2\n");
}

TEST_F(IniFileTest, AnsiFileReadsAsWindows1252AndUntouchedLinesKeepTheirBytes) {
    // "José" and "€ 5" and "Müller" as Windows wrote them in code page 1252.
    WriteAll(Path(), "[Employees]\r\nJos\xE9=255\r\nM\xFCller=\x80 5\r\nQuote=\x93hi\x94\r\n");
    aaxIniFile ini;
    ini.FileName(Path());
    EXPECT_EQ(List(ini, "Employees"),
              Entries({{QString::fromUtf8("José"), "255"},
                       {QString::fromUtf8("Müller"), QString::fromUtf8("€ 5")},
                       {"Quote", QString::fromUtf8("\u201Chi\u201D")}}));

    // A new line is UTF-8; the lines the write did not change stay as they were.
    ASSERT_TRUE(ini.WriteValue("Employees", "Zoë", "1"));
    EXPECT_EQ(ReadAll(Path()), "[Employees]\r\nJos\xE9=255\r\nM\xFCller=\x80 5\r\nQuote=\x93hi\x94\r\nZo\xC3\xAB=1\r\n");
    // A changed line is written as UTF-8.
    ASSERT_TRUE(ini.WriteValue("Employees", QString::fromUtf8("josé"), "7"));
    EXPECT_EQ(ReadAll(Path()), "[Employees]\r\nJos\xC3\xA9=7\r\nM\xFCller=\x80 5\r\nQuote=\x93hi\x94\r\nZo\xC3\xAB=1\r\n");
    EXPECT_EQ(List(ini, "Employees").front(), std::make_pair(QString::fromUtf8("José"), QString("7")));
}

TEST_F(IniFileTest, ListFileOperationsAsTheListWindowsUseThem) {
    aaxIniFile ini;
    ini.FileName(Path());

    // No file yet: nothing to list, and nothing is created by looking.
    EXPECT_TRUE(List(ini, "Employees").empty());
    QString value = "stale";
    EXPECT_NE(ini.ReadValue("Employees", "Bob", value), 0);
    EXPECT_EQ(value, "");
    EXPECT_TRUE(ini.DeleteSection("Employees"));
    EXPECT_FALSE(QFileInfo::exists(Path()));

    // The first write creates the file and the section.
    ASSERT_TRUE(ini.WriteValue("Employees", "Bob", "255"));
    ASSERT_TRUE(ini.WriteValue("Employees", "Ann", "65280"));
    ASSERT_TRUE(ini.WriteValue("Equipment", "Pump", "16711680"));
    ASSERT_TRUE(ini.WriteValue("Employees", "bob", "-2147483643"));   // replaces Bob
    EXPECT_EQ(List(ini, "Employees"), Entries({{"Bob", "-2147483643"}, {"Ann", "65280"}}));
    EXPECT_EQ(ini.ReadValue("EMPLOYEES", "ann", value), 0);
    EXPECT_EQ(value, "65280");

    QString key = "x";
    EXPECT_NE(ini.KeyAt(0, key, value), 0);
    EXPECT_NE(ini.KeyAt(3, key, value), 0);
    EXPECT_EQ(key, "");
    ini.SelectSection("Missing");
    int count = -1;
    ini.KeyCount(count);
    EXPECT_EQ(count, 0);

    // Delete rebuilds the section from what the window still shows.
    ASSERT_TRUE(ini.DeleteSection("Employees"));
    EXPECT_TRUE(List(ini, "Employees").empty());
    ASSERT_TRUE(ini.WriteValue("Employees", "Ann", "65280"));
    EXPECT_EQ(List(ini, "Employees"), Entries({{"Ann", "65280"}}));
    EXPECT_EQ(List(ini, "Equipment"), Entries({{"Pump", "16711680"}}));

    // Deleting the last entry leaves no section behind.
    ASSERT_TRUE(ini.DeleteSection("Employees"));
    IniDocument doc;
    ASSERT_TRUE(doc.Load(Path()));
    EXPECT_EQ(doc.Sections(), QStringList({"Equipment"}));

    // Two list files in one folder stay apart.
    aaxIniFile other;
    other.FileName(temp_ + "/other.ini");
    ASSERT_TRUE(other.WriteValue("Equipment", "Fan", "1"));
    EXPECT_EQ(List(ini, "Equipment"), Entries({{"Pump", "16711680"}}));
}

TEST_F(IniFileTest, RemoveSectionTakesEveryCopyOfADuplicatedSection) {
    IniDocument doc;
    doc.Parse("[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n");
    EXPECT_EQ(doc.Entries("A"), Entries({{"x", "1"}}));   // the first copy answers
    EXPECT_TRUE(doc.RemoveSection("A"));
    EXPECT_FALSE(doc.HasSection("A"));
    EXPECT_EQ(doc.ToBytes(), "[B]\ny=2\n");
}

TEST_F(IniFileTest, FailedWriteLeavesTheOldFileWhole) {
    const QByteArray old = "[Employees]\nBob=255\n";
    WriteAll(Path(), old);
    aaxIniFile ini;
    ini.FileName(Path());
    {
        TestEnv::DiskFull limit(old.size() + 4);
        EXPECT_FALSE(ini.WriteValue("Employees", "A much longer name than fits", "65280"));
    }
    EXPECT_FALSE(ini.LastError().isEmpty());
    EXPECT_EQ(ReadAll(Path()), old);
    EXPECT_EQ(QDir(temp_).entryList(QDir::Files), QStringList({"list.ini"}));   // no temporary left
}

TEST_F(IniFileTest, WriteIntoReadOnlyFolderFails) {
    const QString folder = temp_ + "/locked";
    QDir().mkpath(folder);
    const QString path = folder + "/list.ini";
    const QByteArray old = "[Types]\nOil=\n";
    WriteAll(path, old);
    if (!TestEnv::MakeReadOnly(folder)) GTEST_SKIP() << "no read-only folder can be made here";
    aaxIniFile ini;
    ini.FileName(path);
    EXPECT_FALSE(ini.WriteValue("Types", "Grease", ""));
    EXPECT_FALSE(ini.DeleteSection("Types"));
    TestEnv::MakeWritable(folder);
    EXPECT_EQ(ReadAll(path), old);
}

TEST_F(IniFileTest, UnreadableFileIsNeverReplaced) {
    // A folder where the file should be: it cannot be read, so it must not
    // be replaced by a file holding only the new value.
    QDir().mkpath(Path());
    aaxIniFile ini;
    ini.FileName(Path());
    EXPECT_FALSE(ini.WriteValue("Types", "Oil", ""));
    EXPECT_TRUE(QFileInfo(Path()).isDir());

    aaxIniFile nowhere;
    nowhere.FileName(temp_ + "/no/such/folder/list.ini");
    EXPECT_FALSE(nowhere.WriteValue("Types", "Oil", ""));
    EXPECT_FALSE(nowhere.LastError().isEmpty());
}

TEST_F(IniFileTest, EveryCallSeesChangesMadeByOthers) {
    WriteAll(Path(), "[Employees]\nBob=1\nAnn=2\n");
    aaxIniFile window1, window2;
    window1.FileName(Path());
    window2.FileName(Path());
    EXPECT_EQ(List(window1, "Employees"), Entries({{"Bob", "1"}, {"Ann", "2"}}));

    ASSERT_TRUE(window2.WriteValue("Employees", "Cy", "3"));
    EXPECT_EQ(List(window1, "Employees"), Entries({{"Bob", "1"}, {"Ann", "2"}, {"Cy", "3"}}));

    // Changed in place by another program, to the same size.
    {
        QFile f(Path());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(16);
        f.write("9");
    }
    QString value;
    window1.ReadValue("Employees", "Bob", value);
    EXPECT_EQ(value, "9");

    QFile::remove(Path());
    EXPECT_TRUE(List(window1, "Employees").empty());
}

TEST_F(IniFileTest, ListingALongSectionKeyByKey) {
    // A long equipment list listed the way the list windows do it: key by
    // key, each value read again; a later duplicate key is not read.
    QByteArray text = "[Equipment]\n";
    for (int i = 0; i < 2000; ++i) text += "Item " + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
    text += "item 7=duplicate, not read\n[Types]\nOil=\n";
    WriteAll(Path(), text);
    aaxIniFile ini;
    ini.FileName(Path());
    ini.SelectSection("Equipment");
    int count = 0;
    ini.KeyCount(count);
    ASSERT_EQ(count, 2001);
    for (int i = 1; i <= 2000; ++i) {
        QString key, value;
        ASSERT_EQ(ini.KeyAt(i, key, value), 0);
        ini.ReadValue("Equipment", key, value);
        ASSERT_EQ(value, QString::number(i - 1));
    }
    QString value;
    EXPECT_EQ(ini.ReadValue("EQUIPMENT", "ITEM 7", value), 0);
    EXPECT_EQ(value, "7");
    EXPECT_EQ(ini.ReadValue("Types", "oil", value), 0);
    EXPECT_NE(ini.ReadValue("Equipment", "Item 2000", value), 0);
}

TEST_F(IniFileTest, OneStrayByteGarblesNothingElseAndIsNeverRewritten) {
    // A UTF-8 file (the path of a user's home) with one Windows-1252 line.
    const QByteArray utf8Line = "Default=/home/j\xC3\xBCrgen/plant.vkt";
    const QByteArray ansiLine = "Note=Stra\xDF" "e 5";
    WriteAll(Path(), "[Settings]\n" + utf8Line + "\n" + ansiLine + "\nName=Ren\xC3\xA9\n");
    aaxIniFile ini;
    ini.FileName(Path());
    QString value;
    ASSERT_EQ(ini.ReadValue("Settings", "Default", value), 0);
    EXPECT_EQ(value, QString::fromUtf8("/home/jürgen/plant.vkt"));
    ini.ReadValue("Settings", "Note", value);
    EXPECT_EQ(value, QString::fromUtf8("Straße 5"));
    ini.ReadValue("Settings", "Name", value);
    EXPECT_EQ(value, QString::fromUtf8("René"));

    // Writes elsewhere leave every other line byte for byte.
    ASSERT_TRUE(ini.WriteValue("Settings", "Name", QString::fromUtf8("Zoë")));
    ASSERT_TRUE(ini.WriteValue("Other", "x", "1"));
    ASSERT_TRUE(ini.DeleteKey("Other", "missing"));
    EXPECT_EQ(ReadAll(Path()), "[Settings]\n" + utf8Line + "\n" + ansiLine + "\nName=Zo\xC3\xAB\n\n[Other]\nx=1\n");
    ini.ReadValue("Settings", "Default", value);
    EXPECT_EQ(value, QString::fromUtf8("/home/jürgen/plant.vkt"));

    // Mixed line ends, a last line without one, and a byte-order mark all
    // survive a parse and write untouched.
    const QByteArray odd = "\xEF\xBB\xBF[A]\r\nk=\xE9\rl=\xC3\xA9\n;c\r\n\nlast=1";
    IniDocument doc;
    doc.Parse(odd);
    EXPECT_EQ(doc.ToBytes(), odd);
    EXPECT_EQ(doc.Value("A", "k"), QString::fromUtf8("é"));
    EXPECT_EQ(doc.Value("A", "l"), QString::fromUtf8("é"));
    doc.SetValue("A", "new", "2");
    EXPECT_EQ(doc.ToBytes(), "\xEF\xBB\xBF[A]\r\nk=\xE9\rl=\xC3\xA9\n;c\r\n\nlast=1\r\nnew=2\r\n");

    // Only the file's first bytes are a byte-order mark: on a later line it
    // is text, so that line is no section header.
    IniDocument mark;
    mark.Parse("[A]\n\xEF\xBB\xBF[B]\nk=v\n");
    EXPECT_EQ(mark.Sections(), QStringList({"A"}));
    EXPECT_EQ(mark.Value("A", "k"), QString("v"));
}

TEST_F(IniFileTest, EveryKeyTheWriterAcceptsReadsBackUnchanged) {
    const QStringList keys = {"Pipe 3\"=spare", "\"Pipe 3\"=spare\"", "a=b", "\"", "\"\"", "x\"", "\"=",
                              "=", "==\"\"==", "a\" = b", "[x]=y", ";c=\"d\"", "q\"\"=\"\"r", "plain"};
    aaxIniFile ini;
    ini.FileName(Path());
    for (int i = 0; i < keys.size(); ++i) ASSERT_TRUE(ini.WriteValue("K", keys[i], QString::number(i)));
    Entries expected;
    for (int i = 0; i < keys.size(); ++i) expected.emplace_back(keys[i], QString::number(i));
    EXPECT_EQ(List(ini, "K"), expected);
    for (int i = 0; i < keys.size(); ++i) {
        QString value;
        EXPECT_EQ(ini.ReadValue("K", keys[i], value), 0) << keys[i].toStdString();
        EXPECT_EQ(value, QString::number(i)) << keys[i].toStdString();
    }
    // Changing one replaces it where it stands; deleting takes only it.
    ASSERT_TRUE(ini.WriteValue("K", "Pipe 3\"=spare", "new"));
    ASSERT_TRUE(ini.DeleteKey("K", "a=b"));
    expected[0].second = "new";
    expected.erase(expected.begin() + 2);
    EXPECT_EQ(List(ini, "K"), expected);

    // Files written before keep reading as they did.
    IniDocument old;
    old.Parse("[K]\n\"a=b\"=1\n\"\"Quoted\"\"=2\n\"a\"b=c\"=3\nplain \"x\"=4\n");
    EXPECT_EQ(old.Entries("K"), Entries({{"a=b", "1"}, {"\"Quoted\"", "2"}, {"a\"b=c", "3"}, {"plain \"x\"", "4"}}));
    // A hand-written quoted key with blanks inside its quotes is found as
    // every name is, without them.
    old.Parse("[K]\n\" spaced \"=5\n\" odd\"\"=6\n");
    EXPECT_EQ(old.Value("K", "spaced"), QString("5"));
    EXPECT_EQ(old.Value("K", "odd\""), QString("6"));
}

TEST_F(IniFileTest, AFileTooLargeToBeAListIsRefusedAndLeftAlone) {
    {
        QFile f(Path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(IniDocument::kMaxFileBytes + 1));   // sparse: no disk used
    }
    IniDocument doc;
    QString error;
    EXPECT_FALSE(doc.Load(Path(), &error));
    EXPECT_TRUE(error.contains("too large")) << error.toStdString();
    aaxIniFile ini;
    ini.FileName(Path());
    EXPECT_FALSE(ini.WriteValue("Types", "Oil", ""));
    EXPECT_EQ(QFileInfo(Path()).size(), IniDocument::kMaxFileBytes + 1);
}

TEST_F(IniFileTest, WritersInParallelLoseNothing) {
    // Each thread opens the folder lock on its own, as another process would.
    constexpr int kEach = 150;
    auto add = [&](const QString& prefix) {
        aaxIniFile ini;
        ini.FileName(Path());
        for (int i = 0; i < kEach; ++i) ini.WriteValue("Employees", prefix + QString::number(i), "1");
    };
    std::thread a(add, QStringLiteral("A")), b(add, QStringLiteral("B"));
    a.join();
    b.join();
    aaxIniFile ini;
    ini.FileName(Path());
    EXPECT_EQ(List(ini, "Employees").size(), size_t(2 * kEach));
}

TEST_F(IniFileTest, SectionsAreFoundByNameWhateverTheirCaseAndNumber) {
    // Many sections, among them names that differ only in case (also outside
    // ASCII and outside the basic plane) and a duplicate: each lookup finds
    // the first section of its name, before and after edits move lines.
    QByteArray text;
    for (int i = 0; i < 3000; ++i) text += "[Key" + QByteArray::number(i) + "]\nv=" + QByteArray::number(i) + "\n";
    text += "[\xC3\x84rger]\nv=umlaut\n[\xF0\x90\x90\x80x]\nv=deseret\n[KEY7]\nv=second\n";
    IniDocument doc;
    doc.Parse(text);
    const struct {
        QString section;
        QString value;
    } cases[] = {
        {"key7", "7"},   {"KEY2999", "2999"}, {QString::fromUtf8("\xC3\xA4RGER"), "umlaut"},
        {QString::fromUtf8("\xF0\x90\x90\xA8X"), "deseret"}, {" Key0 ", "0"},
    };
    for (int round = 0; round < 2; ++round) {
        for (const auto& c : cases) EXPECT_EQ(doc.Value(c.section, "V"), c.value) << c.section.toStdString();
        EXPECT_FALSE(doc.HasSection("Key3000"));
        // Lines inserted at the top and a section removed shift the rest.
        doc.SetValue("Key0", "added", "x");
        doc.RemoveSection("Key1");
    }
    EXPECT_FALSE(doc.HasSection("Key1"));
    EXPECT_EQ(doc.Sections().size(), 3000 - 1 + 2);   // KEY7 is Key7 again
}

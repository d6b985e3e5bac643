// The spreadsheet and HTML exports, read back: the workbook through its
// zipped XML (and through a real spreadsheet program where one is
// installed), the page as XML, both compared with what the grid shows.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <zip.h>

#include "platform/FileOps.h"
#include "platform/Grid.h"
#include "platform/GridExport.h"
#include "support/TestEnv.h"

namespace {

using Table = std::vector<QStringList>;

QByteArray ZipEntry(const QString& archive, const char* name) {
    int err = 0;
    QByteArray data;
    zip_t* z = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &err);
    zip_stat_t st;
    if (z && zip_stat(z, name, 0, &st) == 0) {
        zip_file_t* f = zip_fopen(z, name, 0);
        data.resize(qsizetype(st.size));
        zip_fread(f, data.data(), st.size);
        zip_fclose(f);
    }
    if (z) zip_close(z);
    return data;
}

// The first sheet as rows of texts (shared and inline strings alike).
// Every cell must be a string: no formula, no number.
Table ReadXlsx(const QString& path) {
    QStringList shared;
    QXmlStreamReader ss(ZipEntry(path, "xl/sharedStrings.xml"));
    while (!ss.atEnd())
        if (ss.readNext() == QXmlStreamReader::StartElement && ss.name() == u"t") shared << ss.readElementText();
    Table table;
    QXmlStreamReader x(ZipEntry(path, "xl/worksheets/sheet1.xml"));
    QString type, ref;
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement()) continue;
        if (x.name() == u"c") {
            ref = x.attributes().value("r").toString();
            type = x.attributes().value("t").toString();
            EXPECT_TRUE(type == "s" || type == "inlineStr") << ref.toStdString();
        }
        EXPECT_NE(x.name(), u"f") << "formula in " << ref.toStdString();
        if (x.name() != u"v" && x.name() != u"t") continue;
        const QString v = x.readElementText();
        int col = 0, i = 0;
        for (; ref[i].isLetter(); ++i) col = col * 26 + (ref[i].unicode() - 'A' + 1);
        const int row = ref.mid(i).toInt() - 1;
        while (int(table.size()) <= row) table.emplace_back();
        while (table[size_t(row)].size() < col) table[size_t(row)] << QString();
        table[size_t(row)][col - 1] = (type == "s") ? shared.value(v.toInt()) : v;
    }
    return table;
}

Table Expected(const Grid& g, const std::vector<int>& rows, bool trim) {
    Table t;
    for (int r : rows) {
        QStringList line;
        for (int c : GridExport::ShownColumns(g)) line << g.Text(r, c);
        while (trim && !line.isEmpty() && line.last().isEmpty()) line.removeLast();
        t.push_back(line);
    }
    return t;
}

Grid SampleTasks() {
    Grid g(1, 14);
    g.SetText(0, 1, "Task ID");
    g.SetText(0, 2, "Equipment");
    g.SetText(0, 11, "Frequency (Days)");
    g.SetText(0, 13, "Status");
    for (int c = 1; c < 14; ++c) g.SetColumnWidth(c, c == 12 ? 0 : 80);
    g.SetColumnWidth(0, 0);
    g.AddItem("ID-1\tPump 3\t\t\t\t\t\t\t\t\t30\t/docs/p.png\tReady");
    g.AddItem("ID-2\tBoiler\t\t\t\t\t\t\t\t\t7\t\tComplete");
    g.AddItem("ID-3\tFan\t\t\t\t\t\t\t\t\t1\t\tOn Hold");
    return g;
}

}  // namespace

class GridExportTest : public QuillonTest {};

TEST_F(GridExportTest, WorkbookAndPageHoldTheShownTableWithEveryTextAsWritten) {
    Grid g = SampleTasks();
    g.SetRowHeight(2, 0);   // filtered out
    g.SetColumnWidth(3, 0);   // hidden by the user
    g.SetText(1, 2, "=1+2");
    g.SetText(1, 11, "007");
    g.SetText(3, 2, QString::fromUtf8("<script>x</script> & \"Über\" 日本\ntwo lines"));
    g.AddItem(QString(40000, QChar('x')));
    EXPECT_EQ(GridExport::ShownRows(g), (std::vector<int>{0, 1, 3, 4}));

    const QString sheet = temp_ + "/temp.xls";
    QString error;
    ASSERT_TRUE(ExportToExcel(g, sheet, &error)) << error.toStdString();
    Table want = Expected(g, {0, 1, 3, 4}, true);
    want[3][0].truncate(32767);   // what a spreadsheet cell holds
    EXPECT_EQ(ReadXlsx(sheet), want);
    EXPECT_FALSE(ZipEntry(sheet, "[Content_Types].xml").isEmpty());

    // The page: UTF-8, escaped, <th> for the header row; read back as XML.
    g.SetRows(4);
    const QString page = temp_ + "/tasks.html";
    ASSERT_TRUE(ExportToHTML(g, page, &error)) << error.toStdString();
    QByteArray raw;
    ASSERT_TRUE(FileOps::ReadFile(page, &raw));
    EXPECT_FALSE(raw.contains("<script>"));
    EXPECT_TRUE(raw.contains(QString::fromUtf8("Über").toUtf8()));
    QXmlStreamReader x(raw);
    Table got;
    QStringList tags;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == u"tr") got.emplace_back();
        if (x.isStartElement() && (x.name() == u"th" || x.name() == u"td")) {
            tags << x.name().toString();
            got.back() << x.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    EXPECT_FALSE(x.hasError()) << x.errorString().toStdString();
    want = Expected(g, {0, 1, 3}, false);
    want[2][1].replace('\n', "");   // <br /> carries the line break
    EXPECT_EQ(got, want);
    const qsizetype cols = qsizetype(GridExport::ShownColumns(g).size());
    EXPECT_EQ(tags.count("th"), cols);
    EXPECT_EQ(tags.indexOf("td"), cols);
}

TEST_F(GridExportTest, FailedExportKeepsTheOldFileAndLeavesNoLitter) {
    const QString path = temp_ + "/temp.xls";
    ASSERT_TRUE(FileOps::WriteFileSafely(path, "old"));
    Grid empty;
    empty.ClearRows();
    ASSERT_TRUE(ExportToExcel(empty, path));   // even an empty grid makes a workbook
    EXPECT_FALSE(ZipEntry(path, "xl/workbook.xml").isEmpty());
    EXPECT_EQ(QDir(temp_).entryList(QDir::Files | QDir::Hidden), QStringList{"temp.xls"});

    QString error;
    EXPECT_FALSE(ExportToExcel(SampleTasks(), temp_ + "/missing/temp.xls", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(ExportToExcel(SampleTasks(), temp_, &error));   // a folder
    EXPECT_FALSE(ExportToHTML(SampleTasks(), temp_ + "/missing/p.html", &error));
    EXPECT_FALSE(ZipEntry(path, "xl/workbook.xml").isEmpty());
    EXPECT_EQ(QDir(temp_).entryList(QDir::Files | QDir::Hidden), QStringList{"temp.xls"});
}

TEST_F(GridExportTest, ASheetInAFolderReplacesTheOldOneAndAFailedOneLeavesNone) {
    ASSERT_TRUE(FileOps::WriteFileSafely(temp_ + "/Alerts.xls", "last week's alerts"));
    QString path, error;
    ASSERT_TRUE(GridExport::WriteSheet(SampleTasks(), temp_ + "/", "Alerts.xls", &path, &error)) << error.toStdString();
    EXPECT_EQ(path, temp_ + "/Alerts.xls");
    EXPECT_FALSE(ZipEntry(path, "xl/workbook.xml").isEmpty());
    {
        TestEnv::DiskFull full(512);
        EXPECT_FALSE(GridExport::WriteSheet(SampleTasks(), temp_, "Alerts.xls", &path, &error));
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(path, temp_ + "/Alerts.xls");
    EXPECT_FALSE(QFile::exists(path));   // never mailed as if it were this one
}

// Runs where LibreOffice is installed; skipped elsewhere.
TEST_F(GridExportTest, SpreadsheetProgramReadsTheShownTable) {
    const QString soffice = QStandardPaths::findExecutable("soffice");
    if (soffice.isEmpty()) GTEST_SKIP() << "soffice is not on the PATH";
    Grid g = SampleTasks();
    g.SetRowHeight(3, 0);
    g.SetText(1, 2, QString::fromUtf8("Pump, \"north\" Ü"));
    g.SetText(2, 11, "007");
    const QString path = temp_ + "/temp.xls";
    ASSERT_TRUE(ExportToExcel(g, path));

    QProcess p;
    p.start(soffice, {"-env:UserInstallation=file://" + temp_ + "/profile", "--headless", "--convert-to",
                      "csv:Text - txt - csv (StarCalc):44,34,76", "--outdir", temp_ + "/csv", path});
    ASSERT_TRUE(p.waitForFinished(180000));
    QByteArray csv;
    ASSERT_TRUE(FileOps::ReadFile(temp_ + "/csv/temp.csv", &csv)) << p.readAllStandardError().toStdString();
    const QString text = QString::fromUtf8(csv);
    Table got(1);
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (quoted && ch == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
        else if (ch == '"') quoted = !quoted;
        else if (!quoted && (ch == ',' || ch == '\n')) {
            got.back() << field;
            field.clear();
            if (ch == '\n') got.emplace_back();
        } else if (ch != '\r') field += ch;
    }
    if (got.back().isEmpty()) got.pop_back();
    for (auto& r : got)
        while (!r.isEmpty() && r.last().isEmpty()) r.removeLast();
    EXPECT_EQ(got, Expected(g, {0, 1, 2}, true));
}

namespace {
class GridExportDiskTest : public QuillonTest {};
}

TEST_F(GridExportDiskTest, AFullDiskIsNamedForBothExportsAndTheOldFileStays) {
    Grid g(1, 3);
    g.SetText(0, 1, "Task ID");
    for (int i = 0; i < 3000; ++i) g.AddItem(QStringLiteral("ID-%1\tA long piece of equipment name %1").arg(i));
    for (const QString& name : {QStringLiteral("/temp.xls"), QStringLiteral("/page.html")}) {
        const QString path = temp_ + name;
        ASSERT_TRUE(TestEnv::WriteAll(path, "old export"));
        QString error;
        bool ok = true;
        {
            TestEnv::DiskFull full(4096);
            ok = name.endsWith(".xls") ? ExportToExcel(g, path, &error) : ExportToHTML(g, path, &error);
        }
        EXPECT_FALSE(ok) << name.toStdString();
        EXPECT_TRUE(error.contains("The disk is full.")) << error.toStdString();
        EXPECT_EQ(TestEnv::ReadAll(path), "old export");
    }
}

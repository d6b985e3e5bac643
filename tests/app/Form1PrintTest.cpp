// Printing from the main window as the user does it: the list bar, the
// task-row menu, the toolbar and the menus open the preview of the right
// sheet; "Print" in the preview writes it (to PDF here). Also the
// spreadsheet program at start-up and the export opening its sheet.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QToolBox>
#include <gtest/gtest.h>

#include "widgets/Forms.h"
#include "widgets/GridPrint.h"
#include "widgets/GridView.h"
#include "widgets/Printing.h"
#include "platform/Shell.h"
#include "model/schedule/ExcelPath.h"
#include "ui/schedule/Form9.h"
#include "ui/schedule/frmExcel.h"
#include "support/MainWindow.h"
#include "support/PdfReader.h"
#include "support/ScriptedDialogs.h"
#include "support/Ui.h"
#include "model/tasks/TaskFiles.h"

namespace {

using TestUi::ShownPreviews;

class Form1Print : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        pdf_ = temp_ + "/out.pdf";
        Printing::SetPdfOutput(pdf_);
    }
    void Open() {
        Start();
        NewDatabase();
        TestEnv::Dialogs().Reset();
    }
    void ClickItem(const QString& text) {
        for (int i = 0; i < form_->Listbar1->count(); ++i) {
            auto* l = qobject_cast<QListWidget*>(form_->Listbar1->widget(i));
            if (!l || l->findItems(text, Qt::MatchExactly).isEmpty()) continue;
            form_->Listbar1->setCurrentIndex(i);
            QApplication::processEvents();
            QListWidgetItem* item = l->findItems(text, Qt::MatchExactly).first();
            QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(item).center());
            return;
        }
        FAIL() << "no list item " << text.toStdString();
    }
    void RowMenu(int row, const char* item) {
        form_->Grid1View->Sync();
        const QRect cell = TestUi::CellRect(form_->Grid1View, row, Col::TaskId);
        ASSERT_TRUE(cell.isValid());
        QTest::mousePress(form_->Grid1View->viewport(), Qt::RightButton, {}, cell.center());
        ASSERT_TRUE(form_->mnuhid->isVisible());
        form_->MenuItem(item)->trigger();
        form_->mnuhid->hide();
    }
    // The one open preview, printed from its toolbar and closed; the PDF text.
    QString PrintPreviewed() {
        const auto previews = ShownPreviews();
        EXPECT_EQ(previews.size(), 1u);
        if (previews.size() != 1) return {};
        GridPrint::PrintPreview* p = previews.front();
        auto* bar = p->findChild<QToolBar*>("PreviewToolbar");
        TestUi::ClickAction(bar, p->PrintAction);
        TestUi::ClickAction(bar, p->CloseAction);
        QApplication::processEvents();
        return PdfReader::Text(pdf_);
    }
    static QStringList Column1(const Grid& sheet) {
        QStringList out;
        for (int r = 0; r < sheet.Rows(); ++r) out << sheet.Text(r, 1);
        return out;
    }
    QString pdf_;
};

TEST_F(Form1Print, WorkOrderFromTheListBarPrintsTheSelectedTaskWithItsLists) {
    Open();
    const QDate d(2026, 3, 2);
    AddTask("ID-1", d);
    AddTask("ID-2", d.addDays(7), "On Hold");
    WriteItems("ID-2", {"Drain the tank", "Replace the anode"});
    WriteMaterials("ID-2", {{"Anode rod", "45.00"}, {"Teflon tape", "2.10"}});
    form_->Command7_Click();
    SelectTask(2);
    ClickItem("Work Order");
    EXPECT_EQ(Forms::Loaded<Form9>(), nullptr) << "the host is released once its preview is open";
    ASSERT_EQ(ShownPreviews().size(), 1u);
    const Grid& sheet = ShownPreviews().front()->SheetGrid();
    EXPECT_EQ(sheet.Rows(), 31);
    EXPECT_EQ(sheet.Text(1, 2), "ID-2");
    EXPECT_EQ(sheet.Text(11, 5), "On Hold");

    const QString text = PrintPreviewed();
    for (const char* s : {"Work Order", "Task ID:", "ID-2", "Equipment:", "Boiler 1", "Scheduled Start:", "08:00:00",
                          "Assigned To:", "Ann", "Type Task:", "Inspection", "Every 7 Days", "Status:", "On Hold",
                          "Task Items:", "Drain the tank", "Replace the anode", "(Materials Needed)", "Anode rod",
                          "Teflon tape", "Completion Date:", "Completed By:", "Page 1 Of 1"})
        EXPECT_TRUE(text.contains(s)) << s << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains("45.00")) << "costs are not printed";
    EXPECT_FALSE(text.contains("ID-1"));
    EXPECT_TRUE(PdfReader::Info(pdf_, "Page size").startsWith("612 x 792")) << "Letter, portrait";
    // The three blue bands.
    const QImage page = PdfReader::Render(pdf_, 1, 36);
    int blueRows = 0;
    for (int y = 0; y < page.height(); ++y) {
        const QColor c = page.pixelColor(page.width() / 2, y);
        blueRows += c.blue() > 200 && c.red() < 60 && c.green() < 60;
    }
    EXPECT_GT(blueRows, 6);
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(Form1Print, MaterialListAndWorkOrderFromEveryEntryPointShowTheSameSheets) {
    Open();
    AddTask("ID-1", QDate(2026, 3, 2));
    AddTask("ID-2", QDate(2026, 3, 9));
    WriteItems("ID-2", {"Check"});
    WriteMaterials("ID-2", {{"Filter", "9"}});
    form_->Command7_Click();
    SelectTask(2);

    ClickItem("Materials");
    ASSERT_EQ(ShownPreviews().size(), 1u);
    const Grid fromListBar = ShownPreviews().front()->SheetGrid();
    EXPECT_EQ(fromListBar.Rows(), 31);
    EXPECT_FALSE(Column1(fromListBar).contains("Check")) << "no task items on the material list";
    const QString text = PrintPreviewed();
    EXPECT_TRUE(text.contains("Material List"));
    EXPECT_TRUE(text.contains("Filter"));
    EXPECT_FALSE(text.contains("Task Items:"));

    RowMenu(2, "mnumatre");
    ASSERT_EQ(ShownPreviews().size(), 1u);
    EXPECT_EQ(Column1(ShownPreviews().front()->SheetGrid()), Column1(fromListBar));
    PrintPreviewed();
    form_->MenuItem("mnupcost")->trigger();
    ASSERT_EQ(ShownPreviews().size(), 1u);
    EXPECT_EQ(ShownPreviews().front()->SheetGrid().Merges().size(), fromListBar.Merges().size());
    PrintPreviewed();

    ClickItem("Work Order");
    const QStringList work = Column1(ShownPreviews().at(0)->SheetGrid());
    PrintPreviewed();
    RowMenu(2, "mnupp");
    EXPECT_EQ(Column1(ShownPreviews().at(0)->SheetGrid()), work);
    PrintPreviewed();
    form_->MenuItem("mnuporder")->trigger();
    EXPECT_EQ(Column1(ShownPreviews().at(0)->SheetGrid()), work);
    EXPECT_TRUE(work.contains("Check"));
    PrintPreviewed();
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(Form1Print, NoTaskRowMeansNoTasksFoundAndNoPreview) {
    Open();   // a new database: the header row is the active row
    ClickItem("Work Order");
    ClickItem("Materials");
    form_->MenuItem("mnuporder")->trigger();
    EXPECT_EQ(TestEnv::Dialogs().Messages(), QStringList({"No Tasks Found", "No Tasks Found", "No Tasks Found"}));
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style, vb::vbCritical);
    EXPECT_TRUE(ShownPreviews().empty());
    EXPECT_EQ(Forms::Loaded<Form9>(), nullptr);
}

TEST_F(Form1Print, AnUnreadableListIsSaidAndNeverReplacedByTheLastTasksList) {
    Open();
    AddTask("ID-1", QDate(2026, 3, 2));
    AddTask("ID-2", QDate(2026, 3, 9));
    WriteItems("ID-1", {"Old item of task one"});
    WriteMaterials("ID-1", {{"Old material", "1"}});
    TestEnv::WriteAll(TaskFiles::ItemFile(form_->TasksFolder(), "ID-2"), "not a list at all");
    form_->Command7_Click();
    SelectTask(1);
    ClickItem("Work Order");
    PrintPreviewed();
    SelectTask(2);
    ClickItem("Work Order");
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("task item list of task ID-2"))
        << TestEnv::Dialogs().LastMessage().toStdString();
    ASSERT_EQ(ShownPreviews().size(), 1u);
    const QStringList col1 = Column1(ShownPreviews().front()->SheetGrid());
    EXPECT_FALSE(col1.contains("Old item of task one"));
    EXPECT_FALSE(col1.contains("Old material"));
    EXPECT_EQ(ShownPreviews().front()->SheetGrid().Rows(), 27);
    const QString text = PrintPreviewed();
    EXPECT_TRUE(text.contains("ID-2"));
    EXPECT_EQ(TestEnv::ReadAll(TaskFiles::ItemFile(form_->TasksFolder(), "ID-2")), "not a list at all");
}

TEST_F(Form1Print, TaskGridPrintsLandscapeWithCaptionHeaderAndPageNumbers) {
    Open();
    for (int i = 1; i <= 45; ++i) AddTask(QStringLiteral("ID-%1").arg(i), QDate(2026, 3, 1).addDays(i));
    form_->Command7_Click();
    ClickToolButton("Print");
    ASSERT_EQ(ShownPreviews().size(), 1u);
    EXPECT_EQ(ShownPreviews().front()->PageCount(), 2);
    const QString text = PrintPreviewed();
    EXPECT_EQ(PdfReader::Info(pdf_, "Pages"), "2");
    EXPECT_TRUE(PdfReader::Info(pdf_, "Page size").startsWith("792 x 612")) << "Letter, landscape";
    const QString first = PdfReader::PageText(pdf_, 1), second = PdfReader::PageText(pdf_, 2);
    EXPECT_TRUE(first.contains("Quillon"));
    EXPECT_TRUE(first.contains("Page 1 Of 2"));
    EXPECT_TRUE(second.contains("Page 2 Of 2"));
    EXPECT_TRUE(first.contains("Task ID") && second.contains("Task ID")) << "header row on every page";
    EXPECT_TRUE(text.contains("ID-45"));
    EXPECT_TRUE(first.contains("Boiler 1"));

    // A filtered view prints only its rows: one page now.
    form_->mnucomplete_Click();
    form_->MenuItem("mtprint")->trigger();
    ASSERT_EQ(ShownPreviews().size(), 1u);
    EXPECT_EQ(ShownPreviews().front()->PageCount(), 1);
    PrintPreviewed();
    ClickItem("Grid");
    EXPECT_EQ(ShownPreviews().size(), 1u);
    PrintPreviewed();
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());

    // A grid that was never set up.
    form_->Grid1.ClearRows();
    form_->MenuItem("mnusht")->trigger();
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "You must Load The Grid!");
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().title, "Quillon  ");
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style, vb::vbExclamation);
    EXPECT_TRUE(ShownPreviews().empty());
}

TEST_F(Form1Print, EveryCellOfTheTaskGridPrintsWhole) {
    Open();
    QStringList whole{"In Progress", "Past Due", "Employee 27", "Facilities Management Service Desk Team",
                      "Frequency (Days)", "Scheduled Start"};
    for (int i = 0; i < 10; ++i) {
        const QString id = QStringLiteral("ID-%1").arg(91950 + i);
        const QString name = QStringLiteral("Heat recovery ventilation unit, roof NW%1").arg(i);   // 40 letters
        AddTask({id, name, "02/03/2026", "03/03/2026", "08:00:00", "04/03/2026", "16:00:00", "Employee 27",
                 "Facilities Management Service Desk Team", "Inspection", "30", "", i % 2 ? "In Progress" : "Past Due"});
        whole << id << name;
    }
    form_->Command7_Click();
    ClickToolButton("Print");
    ASSERT_EQ(ShownPreviews().size(), 1u);
    const int pages = ShownPreviews().front()->PageCount();
    const QString text = PrintPreviewed();
    EXPECT_EQ(PdfReader::Info(pdf_, "Pages"), QString::number(pages));
    for (const QString& s : whole) EXPECT_TRUE(text.contains(s)) << s.toStdString() << "\n" << text.toStdString();
}

TEST_F(Form1Print, SheetsPrintTheirLabelsWholeAndWrapLongNamesAndItems) {
    Open();
    const QString equipment = QStringLiteral("Heat recovery ventilation unit, roof north wing, building C-12A");
    QStringList words;
    for (int i = 1; i <= 50; ++i) words << QStringLiteral("step%1").arg(i);
    const QString item = words.join(' ');   // over 300 letters
    AddTask({"ID-1", equipment, "02/03/2026", "03/03/2026", "08:00:00", "04/03/2026", "16:00:00", "Ann", "Bob",
             "Inspection", "30", "", "In Progress"});
    WriteItems("ID-1", {item, "Check the belts"});
    WriteMaterials("ID-1", {{item, "12.50"}});
    form_->Command7_Click();
    SelectTask(1);
    for (const char* sheet : {"Work Order", "Materials"}) {
        SCOPED_TRACE(sheet);
        ClickItem(sheet);
        const QString text = PrintPreviewed();
        for (const char* label : {"Task ID:", "Equipment:", "Request Date:", "Scheduled Start:", "Scheduled End:",
                                  "Assigned To:", "Requested By:", "Type Task:", "Frequency:", "Status:"})
            EXPECT_TRUE(text.contains(label)) << label;
        // Wrapped, the long texts read whole line after line.
        const QString joined = text.simplified();
        for (const QString& s : {equipment, item, QStringLiteral("Every 30 Days")})
            EXPECT_TRUE(joined.contains(s)) << s.toStdString() << "\n" << text.toStdString();
    }
}

TEST_F(Form1Print, StartUpKeepsAnAppliedPathWhenTheLookupFindsNothing) {
    const QString bin = temp_ + "/bin";
    QDir().mkpath(bin);
    ExcelPath::SetSearchPath({bin});
    ExcelPath::Store("/opt/my/calc");
    Start();
    EXPECT_EQ(ExcelPath::Stored(), "/opt/my/calc");
    // When one is found, start-up records it.
    const QString calc = bin + "/localc";
    TestEnv::WriteAll(calc, "#!/bin/sh\n");
    QFile(calc).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    form_->FindExcel();
    EXPECT_EQ(ExcelPath::Stored(), calc);
    ExcelPath::SetSearchPath({temp_ + "/no-programs"});

    form_->MenuItem("mnuexcel")->trigger();
    ASSERT_NE(Forms::Loaded<frmExcel>(), nullptr);
    EXPECT_TRUE(Forms::Loaded<frmExcel>()->isVisible());
    EXPECT_EQ(Forms::Loaded<frmExcel>()->Text1->text(), calc);
}

TEST_F(Form1Print, ExportOpensTheSheetInTheStoredProgramInTheDatabaseFolder) {
    Open();
    AddTask("ID-1", QDate(2026, 3, 2));
    const QString record = temp_ + "/record.txt";
    const QString program = temp_ + "/calc prog";
    TestEnv::WriteAll(program, QString("#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > '%1.part'\n"
                                       "mv '%1.part' '%1'\n")
                                   .arg(record)
                                   .toUtf8());
    QFile(program).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ExcelPath::Store(program);

    ClickItem("Excel");
    ASSERT_EQ(TestEnv::Shell().started.size(), 1u);
    const RecordingShell::Call call = TestEnv::Shell().started.front();
    EXPECT_EQ(call.what, program);
    // What the export asked for, started for real.
    ASSERT_TRUE(DesktopShell().StartProgram(call.what, call.args, call.folder));
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(record) && t.elapsed() < 10000) QTest::qWait(20);
    ASSERT_TRUE(QFile::exists(record));
    const QStringList lines = QString::fromUtf8(TestEnv::ReadAll(record)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << lines.join('|').toStdString();
    EXPECT_EQ(QDir(lines[0]).canonicalPath(), QDir(form_->DatabaseFolder()).canonicalPath());
    EXPECT_EQ(lines[1], "temp.xls");
    EXPECT_TRUE(QFile::exists(QDir(form_->DatabaseFolder()).filePath("temp.xls")));
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(Form1Print, ASpreadsheetProgramThatGivesUpAtOnceIsSaid) {
    Open();
    AddTask("ID-1", QDate(2026, 3, 2));
    ExcelPath::Store("/usr/bin/localc");
    TestEnv::Shell().failLater = "cannot open display: :0";
    ClickItem("Excel");
    ASSERT_EQ(TestEnv::Shell().started.size(), 1u);
    ASSERT_TRUE(QTest::qWaitFor([] { return !TestEnv::Dialogs().Messages().isEmpty(); }, 2000));
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(),
              "The spreadsheet program \"/usr/bin/localc\" could not be started.\ncannot open display: :0");
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().style, vb::vbExclamation);
}

}  // namespace

// The list bar and the toolbar, clicked as the user clicks them: what each
// item and button does, that a command needing a task does nothing on the
// header row, and that a failed export never leads on to a stale sheet.
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolBox>
#include <gtest/gtest.h>

#include "platform/DateText.h"
#include "platform/FileOps.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "widgets/PictureViewer.h"
#include "platform/Registry.h"
#include "support/MainWindow.h"
#include "support/Ui.h"
#include "support/ScriptedDialogs.h"
#include "ui/tasks/Form18.h"
#include "ui/tasks/Form6.h"

namespace {

using TestUi::FileBytes;
using TestUi::SheetXml;

class Form1Dispatch : public MainWindowTest {
protected:
    void Open() {
        Start();
        NewDatabase();
        TestEnv::Dialogs().Reset();
    }
    // Tasks 1..3: ID-1 Ready, ID-2 Complete, ID-3 Ready; starts in the future.
    void ThreeTasks() {
        const QDate d = QDate::currentDate().addDays(5);
        AddTask("ID-1", d, "Ready");
        AddTask("ID-2", d.addDays(1), "Complete");
        AddTask("ID-3", d.addDays(2), "Ready");
        TestUi::Click(form_->Command1);
        TestEnv::Dialogs().Reset();
    }
    void ClickItem(const QString& text) { ClickListItem(text); }
    void ClickTool(const QString& key) { ClickToolButton(key); }
    std::vector<int> Shown() const {
        std::vector<int> rows;
        for (int r = 1; r < form_->Grid1.Rows(); ++r)
            if (form_->Grid1.RowShown(r)) rows.push_back(r);
        return rows;
    }
    QString Picture(const QString& name, QColor colour = Qt::red) {
        QImage image(60, 40, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = temp_ + "/" + name;
        EXPECT_TRUE(image.save(path));
        return path;
    }
    void SetExcelPath(const QString& path) {
        basRegistry::SetRegValue(basRegistry::HKEY_CURRENT_USER, "Software\\Quillon\\Settings", "excelpath", path);
    }
    QString Sheet(const char* name) const { return FileOps::Join(form_->DatabaseFolder(), name); }
};

TEST_F(Form1Dispatch, ListBarAndToolBarHoldTheirFixedItemsInOrder) {
    Start();
    QStringList groups, items;
    for (int i = 0; i < form_->Listbar1->count(); ++i) {
        groups << form_->Listbar1->itemText(i);
        auto* list = qobject_cast<QListWidget*>(form_->Listbar1->widget(i));
        ASSERT_NE(list, nullptr);
        for (int j = 0; j < list->count(); ++j) items << list->item(j)->text();
    }
    EXPECT_EQ(groups, (QStringList{"Tasks", "Status", "Export", "Print"}));
    EXPECT_EQ(items, (QStringList{"Add", "Edit", "Delete", "Generate", "Complete", "In Progress", "Ready",
                                  "On Hold", "Canceled", "Past Due", "Excel", "HTML", "Work Order", "Materials",
                                  "Grid", "Chart"}));
    QStringList keys, tips;
    for (QAction* a : form_->Toolbar1->actions()) {
        keys << a->data().toString();
        tips << a->toolTip();
    }
    EXPECT_EQ(keys, (QStringList{"Add", "Open", "Edit", "Column", "Tray", "Photo", "Mail", "Help", "Print", "Exit"}));
    EXPECT_EQ(tips, (QStringList{"Create New Database", "Open Database", "Change Skin", "Select Visible Columns",
                                 "System Tray", "View Photo For Selected Task", "Send Excel Sheet By Email", "Help",
                                 "Print Task Grid", "Exit Program"}));
}

TEST_F(Form1Dispatch, UnknownItemsAndKeysDoNothing) {
    Open();
    ThreeTasks();
    ClickCell(1, 1);
    const std::string grid = form_->Grid1.Serialize();
    const QByteArray file = FileBytes(form_->DatabaseFile());
    const QString mode = form_->Label3->text();
    for (const char* text : {"add", "Add ", "Alert", "Tasks", "Export", "", "excel"}) form_->Listbar1_ItemClick(text);
    for (const char* key : {"add", "Mail ", "Refresh", "Photo1", "exit", ""}) form_->Toolbar1_ButtonClick(key);
    EXPECT_EQ(form_->Grid1.Serialize(), grid);
    EXPECT_EQ(FileBytes(form_->DatabaseFile()), file);
    EXPECT_EQ(form_->Label3->text(), mode);
    EXPECT_EQ(form_->SSTab1->currentIndex(), 0);
    EXPECT_TRUE(TestEnv::Dialogs().Calls().empty());
    EXPECT_TRUE(TestEnv::Shell().started.empty());
    EXPECT_TRUE(TestEnv::Shell().opened.empty());
    EXPECT_EQ(Forms::Loaded<Form6>(), nullptr);
    EXPECT_EQ(Forms::Loaded<Form18>(), nullptr);
    EXPECT_TRUE(form_->isVisible());
}

TEST_F(Form1Dispatch, WithoutATaskRowTaskCommandsSayNoTasksFoundAndChangeNothing) {
    Open();
    auto expectRefused = [&] {
        for (const char* item : {"Edit", "Delete", "Generate"}) {
            TestEnv::Dialogs().Reset();
            ClickItem(item);
            ASSERT_EQ(TestEnv::Dialogs().Messages(), QStringList{"No Tasks Found"}) << item;
            EXPECT_EQ(TestEnv::Dialogs().Calls()[0].style & 0xF0, int(vb::vbCritical));
            EXPECT_EQ(TestEnv::Dialogs().Calls()[0].title, "Quillon");
        }
        EXPECT_EQ(Forms::Loaded<Form6>(), nullptr);
        EXPECT_EQ(Forms::Loaded<Form18>(), nullptr);
    };
    expectRefused();   // an empty database

    ThreeTasks();
    // A header cell in the document column is never taken for a picture.
    form_->Grid1.SetText(0, Col::Document, Picture("header.png"));
    form_->Grid1.SetActiveCell(0, 1);
    const std::string grid = form_->Grid1.Serialize();
    const QByteArray file = FileBytes(form_->DatabaseFile());
    expectRefused();
    TestEnv::Dialogs().Reset();
    ClickTool("Photo");
    EXPECT_TRUE(form_->IHViewPortX1->IsEmpty());
    EXPECT_EQ(form_->SSTab1->currentIndex(), 2);
    EXPECT_TRUE(TestEnv::Dialogs().Calls().empty());
    EXPECT_EQ(form_->Grid1.Serialize(), grid);
    EXPECT_EQ(FileBytes(form_->DatabaseFile()), file);

    // "Add" needs no task row.
    ClickItem("Add");
    Form6* editor = Forms::Loaded<Form6>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->windowTitle(), "Add Task");
    EXPECT_EQ(form_->Label3->text(), "1");
}

TEST_F(Form1Dispatch, TaskAndStatusItemsActOnTheSelectedTaskAndTheView) {
    Open();
    ThreeTasks();
    const QByteArray file = FileBytes(form_->DatabaseFile());
    ClickItem("Complete");
    EXPECT_EQ(Shown(), std::vector<int>{2});
    ClickItem("On Hold");
    EXPECT_TRUE(Shown().empty());
    ClickItem("Complete");
    EXPECT_EQ(FileBytes(form_->DatabaseFile()), file);   // views save nothing

    ClickCell(2, 3);
    ClickItem("Edit");
    Form6* editor = Forms::Loaded<Form6>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), "Edit Task");
    EXPECT_EQ(form_->Label3->text(), "2");
    EXPECT_EQ(editor->Text1->text(), "ID-2");
    editor->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Generate hands over the Scheduled Start, not the Request Date.
    ClickItem("Ready");
    EXPECT_EQ(Shown(), (std::vector<int>{1, 3}));
    ClickCell(3, 1);
    ClickItem("Generate");
    Form18* generator = Forms::Loaded<Form18>();
    ASSERT_NE(generator, nullptr);
    EXPECT_TRUE(generator->isVisible());
    EXPECT_EQ(generator->DatePicker1->date(), *DateText::ParseDate(form_->Grid1.Text(3, Col::ScheduledStart)));
    Forms::Unload<Form18>();

    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    ClickCell(1, 1);
    ClickItem("Delete");
    ASSERT_EQ(form_->Grid1.Rows(), 3);
    EXPECT_EQ(form_->Grid1.Text(1, Col::TaskId), "ID-2");
    Grid stored;
    ASSERT_TRUE(stored.LoadFile(form_->DatabaseFile()));
    EXPECT_EQ(stored.Rows(), 3);
}

TEST_F(Form1Dispatch, ExcelWithoutAPathRemovesTheOldSheetAndSaysWhere) {
    Open();
    ThreeTasks();
    ASSERT_TRUE(FileOps::WriteFileSafely(Sheet("temp.xls"), "old"));
    ClickItem("Excel");
    EXPECT_FALSE(QFile::exists(Sheet("temp.xls")));
    EXPECT_EQ(TestEnv::Dialogs().Messages(), QStringList{"Please Set Path To Excel Under The Utilities Menu"});
    EXPECT_EQ(TestEnv::Dialogs().Calls()[0].style & 0xF0, int(vb::vbExclamation));
    EXPECT_TRUE(TestEnv::Shell().started.empty());
}

TEST_F(Form1Dispatch, ExcelAndMailWriteTheShownTableOverTheOldSheet) {
    Open();
    // "Mail" with only the header row still makes a sheet.
    ASSERT_TRUE(FileOps::WriteFileSafely(Sheet("quillontask.xls"), "stale"));
    ClickTool("Mail");
    QByteArray xml = SheetXml(Sheet("quillontask.xls"));
    EXPECT_TRUE(xml.contains(">Task ID<"));
    EXPECT_FALSE(xml.contains(">ID-1<"));

    ThreeTasks();
    SetExcelPath("/usr/bin/localc");
    ClickItem("Ready");   // ID-2 is hidden now
    ASSERT_TRUE(FileOps::WriteFileSafely(Sheet("temp.xls"), "old"));
    ClickItem("Excel");
    ClickTool("Mail");
    for (const char* sheet : {"temp.xls", "quillontask.xls"}) {
        xml = SheetXml(Sheet(sheet));
        EXPECT_TRUE(xml.contains(">ID-1<") && xml.contains(">ID-3<")) << sheet;
        EXPECT_FALSE(xml.contains(">ID-2<")) << sheet;
    }
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
    ASSERT_EQ(TestEnv::Shell().started.size(), 1u);
    EXPECT_EQ(TestEnv::Shell().started[0].what, "/usr/bin/localc");
    EXPECT_EQ(TestEnv::Shell().started[0].args, QStringList{"temp.xls"});
    EXPECT_EQ(TestEnv::Shell().started[0].folder, form_->DatabaseFolder());
}

TEST_F(Form1Dispatch, ASheetThatCutsTextsSaysOnceWhichTaskAndColumnAndHowManyMore) {
    Open();
    const QDate d = QDate::currentDate().addDays(5);
    auto task = [&](const QString& id, const QString& equipment, const QString& assigned, const QString& type) {
        AddTask({id, equipment, DateText::FormatDate(d), DateText::FormatDate(d), "08:00:00", DateText::FormatDate(d),
                 "16:00:00", assigned, "Bob", type, "7", "", "Ready"});
    };
    task("ID-1", "Boiler", "Ann", "Inspection");
    task("ID-2", QString(40000, 'e'), "Ann", "Inspection");
    TestUi::Click(form_->Command1);
    SetExcelPath("/usr/bin/localc");
    TestEnv::Dialogs().Reset();
    ClickItem("Excel");
    QByteArray xml = SheetXml(Sheet("temp.xls"));
    EXPECT_TRUE(xml.contains(QByteArray(32767, 'e')) && !xml.contains(QByteArray(32768, 'e')));
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    QString said = TestEnv::Dialogs().LastMessage();
    EXPECT_TRUE(said.startsWith("The text of task ID-2 in column \"Equipment\" is longer")) << said.toStdString();
    EXPECT_FALSE(said.contains("more")) << said.toStdString();
    EXPECT_EQ(TestEnv::Shell().started.size(), 1u) << "the sheet is still opened";

    task("ID-3", "Pump", QString(33000, 'a'), QString(40000, 't'));
    TestUi::Click(form_->Command1);
    TestEnv::Dialogs().Reset();
    ClickTool("Mail");
    xml = SheetXml(Sheet("quillontask.xls"));
    EXPECT_TRUE(xml.contains(QByteArray(32767, 'a')) && !xml.contains(QByteArray(32768, 'a')));
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    said = TestEnv::Dialogs().LastMessage();
    EXPECT_TRUE(said.startsWith("The text of task ID-2 in column \"Equipment\" and the texts of 2 more cells"))
        << said.toStdString();
}

TEST_F(Form1Dispatch, AFailedExportStartsNothingAndMailsNothingButSaysSo) {
    Open();
    ThreeTasks();
    SetExcelPath("/usr/bin/localc");
    // Folders where the sheets belong: neither can be removed nor written.
    for (const char* name : {"temp.xls", "quillontask.xls"}) {
        QDir().mkpath(Sheet(name));
        ASSERT_TRUE(FileOps::WriteFileSafely(Sheet(name) + "/keep", "x"));
    }
    ClickItem("Excel");
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not be exported"));
    EXPECT_TRUE(TestEnv::Shell().started.empty());

    TestEnv::Dialogs().Reset();
    ClickTool("Mail");
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not be exported"));
    EXPECT_TRUE(QFileInfo(Sheet("quillontask.xls")).isDir());
}

TEST_F(Form1Dispatch, HtmlAsksForAFileWritesTheTableAndOpensIt) {
    Open();
    ThreeTasks();
    TestEnv::Dialogs().AnswerSave("");   // cancelled
    ClickItem("HTML");
    EXPECT_TRUE(TestEnv::Shell().opened.empty());
    ASSERT_FALSE(TestEnv::Dialogs().Calls().empty());
    EXPECT_EQ(TestEnv::Dialogs().Calls()[0].prompt, "Save As Html Document:");

    const QString page = temp_ + "/tasks.html";
    TestEnv::Dialogs().AnswerSave(page);
    ClickItem("HTML");
    const QByteArray html = FileBytes(page);
    EXPECT_TRUE(html.contains("<th>Task ID</th>"));
    EXPECT_TRUE(html.contains("<td>ID-2</td>"));
    ASSERT_EQ(TestEnv::Shell().opened.size(), 1u);
    EXPECT_EQ(TestEnv::Shell().opened[0].what, page);

    TestEnv::Dialogs().Reset();
    TestEnv::Shell().Reset();
    TestEnv::Dialogs().AnswerSave(temp_ + "/no/such/folder/tasks.html");
    ClickItem("HTML");
    EXPECT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_TRUE(TestEnv::Shell().opened.empty());
}

TEST_F(Form1Dispatch, TrayDecidesTheAlertTimerFromTheSwitch) {
    Start();
    for (const auto& [value, on] : std::vector<std::pair<QString, bool>>{
             {"1", true}, {"0", false}, {"2", false}, {"", false}, {"x", false}, {"1", true}}) {
        form_->SkinLabel1->setText(value);
        ClickTool("Tray");
        EXPECT_EQ(form_->Timer1->isActive(), on) << value.toStdString();
    }
    form_->Timer1->stop();
}

TEST_F(Form1Dispatch, PhotoShowsTheSelectedTasksPictureOnThePhotoTab) {
    Open();
    ThreeTasks();
    form_->Grid1.SetText(1, Col::Document, Picture("pump.png"));
    ASSERT_TRUE(FileOps::WriteFileSafely(temp_ + "/notes.txt", "text"));
    form_->Grid1.SetText(3, Col::Document, temp_ + "/notes.txt");

    // Selecting a task with a picture loads it at actual size, tab unchanged.
    ClickCell(1, 2);
    EXPECT_FALSE(form_->IHViewPortX1->IsEmpty());
    EXPECT_EQ(form_->IHViewPortX1->sceneRect().size(), QSizeF(60, 40));
    EXPECT_EQ(form_->SSTab1->currentIndex(), 0);
    QTest::mouseClick(form_->Command31, Qt::LeftButton);
    EXPECT_GT(form_->IHViewPortX1->Scale(), 1.0);
    ClickCell(1, 3);   // another cell of the same row: loaded again, zoom reset
    EXPECT_DOUBLE_EQ(form_->IHViewPortX1->Scale(), 1.0);
    EXPECT_FALSE(form_->IHViewPortX1->IsEmpty());

    // A document that is not a picture shows nothing: never the picture of
    // the task selected before.
    ClickCell(3, 1);
    ClickTool("Photo");
    EXPECT_EQ(form_->SSTab1->currentIndex(), 2);
    EXPECT_TRUE(form_->IHViewPortX1->IsEmpty());

    // A task without a document empties the viewer.
    form_->SSTab1->setCurrentIndex(0);
    form_->Grid1.SetActiveCell(2, 1);
    ClickTool("Photo");
    EXPECT_TRUE(form_->IHViewPortX1->IsEmpty());
    EXPECT_EQ(form_->SSTab1->currentIndex(), 2);

    // The page's buttons; printing an empty viewer does nothing and says nothing.
    EXPECT_EQ(form_->Command31->text(), "&Zoom In");
    EXPECT_EQ(form_->Command30->text(), "Zoom &Out");
    EXPECT_EQ(form_->Command32->text(), "&Best Fit");
    EXPECT_EQ(form_->Command33->text(), "&Actual");
    EXPECT_EQ(form_->Command35->text(), "&Print");
    QTest::mouseClick(form_->Command35, Qt::LeftButton);
    EXPECT_TRUE(TestEnv::Dialogs().Calls().empty());
    EXPECT_TRUE(TestEnv::Shell().opened.empty());
}

}  // namespace

// The column chooser, opened from the toolbar and driven by clicks: its
// marks, what Apply does to the grid and the database file, and that the
// choice is still there after a restart.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include "app/Form5.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"

namespace {

class Form5Test : public MainWindowTest {
protected:
    void OpenDatabase() {
        Start();
        NewDatabase("plant.vkt", /*makeDefault=*/true);
        AddTask("ID-1", QDate::currentDate().addDays(3));
        AddTask({"ID-2", "A very long equipment name indeed", "", "", "", "", "", "", "", "", "14", "", "Ready"});
        TestEnv::Dialogs().Reset();
    }
    Form5* OpenChooser() {
        for (QAction* a : form_->Toolbar1->actions())
            if (a->data().toString() == "Column") QTest::mouseClick(form_->Toolbar1->widgetForAction(a), Qt::LeftButton);
        Form5* f = Forms::Loaded<Form5>();
        EXPECT_TRUE(f && f->isVisible());
        return f;
    }
    void Toggle(Form5* f, const QString& entry) {
        const auto found = f->List1->findItems(entry, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << entry.toStdString();
        QTest::mouseClick(f->List1->viewport(), Qt::LeftButton, {}, f->List1->visualItemRect(found[0]).center());
    }
    void Click(QPushButton* b) {
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(Forms::Loaded<Form5>(), nullptr);
    }
    QByteArray DatabaseBytes() {
        QFile f(form_->DatabaseFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(Form5Test, HiddenStatusSurvivesARestartAndShowsUnmarked) {
    OpenDatabase();
    Form5* f = OpenChooser();
    QStringList texts;
    for (int i = 0; i < f->List1->count(); ++i) texts << f->List1->item(i)->text();
    EXPECT_EQ(texts, (QStringList{"Task ID", "Equipment", "Request Date", "Scheduled Start", "Start Time",
                                  "Scheduled End", "End Time", "Assigned To", "Requested By", "Type",
                                  "Frequency (Days)", "Status"}));
    EXPECT_EQ(f->ListMarks(), std::vector<bool>(12, true));
    EXPECT_LT(f->Command2->x(), f->Command1->x());   // "&Close" left of "&Apply"

    Toggle(f, "Status");
    Click(f->Command1);
    EXPECT_EQ(form_->Grid1.Text(0, Col::Status), "");
    EXPECT_EQ(form_->Grid1.ColumnWidth(Col::Status), 0);
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());

    const QString file = form_->DatabaseFile();
    Start();   // the program starts again on its default database
    ASSERT_EQ(form_->DatabaseFile(), file);
    EXPECT_EQ(form_->Grid1.ColumnWidth(Col::Status), 0);
    EXPECT_EQ(form_->Grid1.Text(1, Col::Status), "Ready");   // cells untouched
    f = OpenChooser();
    std::vector<bool> marks(12, true);
    marks[11] = false;
    EXPECT_EQ(f->ListMarks(), marks);
}

TEST_F(Form5Test, MarkingAHiddenColumnBringsBackItsHeaderAndFitsEveryShownColumn) {
    OpenDatabase();
    form_->Grid1.SetText(0, Col::Frequency, "");
    form_->Grid1.SetColumnWidth(Col::Frequency, 0);
    // A document column that somehow got a header and a width goes hidden again.
    form_->Grid1.SetText(0, Col::Document, "Document");
    form_->Grid1.SetColumnWidth(Col::Document, 90);
    Form5* f = OpenChooser();
    EXPECT_FALSE(f->ListMarks()[10]);
    Toggle(f, "Frequency (Days)");
    Click(f->Command1);

    Grid fitted = form_->Grid1;
    for (int c : {Col::Frequency, Col::Equipment}) {
        fitted.AutoFit(c);
        EXPECT_EQ(form_->Grid1.ColumnWidth(c), fitted.ColumnWidth(c)) << c;
    }
    EXPECT_EQ(form_->Grid1.Text(0, Col::Frequency), "Frequency (Days)");
    EXPECT_EQ(form_->Grid1.ColumnWidth(Col::Document), 0);
    EXPECT_EQ(form_->Grid1.Text(0, Col::Document), "");
    Grid stored;
    ASSERT_TRUE(stored.LoadFile(form_->DatabaseFile()));
    EXPECT_EQ(stored.Serialize(), form_->Grid1.Serialize());
}

TEST_F(Form5Test, OneLongCellLeavesTheColumnsAfterItInTheWindow) {
    OpenDatabase();
    form_->resize(1400, 900);
    // A note of a few hundred characters is measured another way than one
    // of tens of thousands; both stop at the limit.
    int id = 3;
    for (const int times : {10, 1000}) {
        const QString note = QStringLiteral("Called in by the night shift, see the log. ").repeated(times);
        AddTask({QStringLiteral("ID-%1").arg(id++), "Boiler 1", "", "", "", "", "", "Ann", note, "Inspection", "7", "",
                 "Ready"});
        Click(OpenChooser()->Command1);

        GridView* view = form_->Grid1View;
        view->Sync();
        QApplication::processEvents();
        // Scrolled to it, the user sees Type, Frequency and Status beside it.
        const int from = view->columnViewportPosition(Col::RequestedBy);
        const int to = view->columnViewportPosition(Col::Status) + view->columnWidth(Col::Status);
        EXPECT_LE(to - from, view->viewport()->width()) << times;
    }
}

TEST_F(Form5Test, CloseAndASecondOpenLeaveGridFileAndMarksAlone) {
    OpenDatabase();
    const QByteArray before = DatabaseBytes();
    const std::string grid = form_->Grid1.Serialize();
    Form5* f = OpenChooser();
    Toggle(f, "Type");
    EXPECT_EQ(OpenChooser(), f);   // only brought forward: the user's marks stay
    EXPECT_FALSE(f->ListMarks()[9]);
    Click(f->Command2);
    EXPECT_EQ(form_->Grid1.Serialize(), grid);
    EXPECT_EQ(DatabaseBytes(), before);
}

TEST_F(Form5Test, ApplyNeverWidensAColumnThatStaysHidden) {
    // Columns hidden by width alone and the usual way, and one past the task
    // columns, all with long texts that fitting would measure.
    Grid g(1, Col::Count + 1);
    for (const auto& e : ColumnChooser::Entries()) g.SetText(0, e.col, e.text);
    for (int c = 1; c < Col::Count; ++c) g.SetColumnWidth(c, 80);
    g.SetColumnWidth(0, 0);
    g.SetText(0, Col::Count, "Extra");
    g.SetColumnWidth(Col::Count, 0);
    g.AddItem("ID-1\tA long, long, long equipment name\t\t\t\t\t\tSomebody with a long name\t\t\t\t\t\tmore text");
    g.SetColumnWidth(Col::Equipment, 0);
    g.SetText(0, Col::AssignedTo, "");
    g.SetColumnWidth(Col::AssignedTo, 0);

    ColumnChooser::Apply(g, ColumnChooser::Marks(g));
    for (int c : {0, int(Col::Equipment), int(Col::AssignedTo), int(Col::Document), int(Col::Count)})
        EXPECT_EQ(g.ColumnWidth(c), 0) << c;
    EXPECT_EQ(g.Text(0, Col::Equipment), "");
    EXPECT_EQ(g.Text(0, Col::Count), "Extra");
    EXPECT_GT(g.ColumnWidth(Col::TaskId), 0);
    const std::string once = g.Serialize();
    ColumnChooser::Apply(g, ColumnChooser::Marks(g));
    EXPECT_EQ(g.Serialize(), once);

    // Nothing marked hides columns 1 to 13.
    ColumnChooser::Apply(g, std::vector<bool>(12, false));
    for (int c = 1; c < Col::Count; ++c) EXPECT_EQ(g.ColumnWidth(c), 0) << c;
}

}  // namespace

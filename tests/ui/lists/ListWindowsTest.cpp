#include <QApplication>
#include <QInputDialog>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QItemSelectionModel>
#include <QTest>
#include <gtest/gtest.h>

#include "app/Form1.h"
#include "model/lists/ListFile.h"
#include "ui/lists/ListWindows.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "support/Keyboard.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnv.h"
#include "support/Ui.h"
#include "ui/tasks/Form6.h"

namespace {

using TestUi::Settle;

void Click(QPushButton* button) { TestUi::ClickSettled(button); }

void ClickRow(ListWindow* w, int row, Qt::KeyboardModifiers mods = {}) { TestUi::ClickRow(w->Grid1View, row, 1, mods); }

QStringList GridNames(const ListWindow* w) {
    QStringList out;
    for (int r = 1; r < w->Grid1.Rows(); ++r) out << w->Grid1.Text(r, 1);
    return out;
}

class ListWindowsTest : public QuillonTest {
protected:
    void SetUp() override {
        QuillonTest::SetUp();
        main_ = new Form1;
        OpenDatabase("Plant");
    }
    void TearDown() override {
        Forms::UnloadAll();
        delete main_;
        Settle();
    }
    void OpenDatabase(const QString& name) {
        const QString db = temp_ + "/" + name + ".vkt";
        main_->NewData(db);
        ASSERT_TRUE(main_->Opendata(db));
    }
    ListFile Lists() const { return ListFile(main_->ListFilePath()); }
    QStringList Values() const {
        QStringList out;
        for (const ListEntry& e : Lists().Entries(ListSection::Employees)) out << e.value;
        return out;
    }

    // Opens the window's Add dialog, names the entry, picks a colour unless
    // none is given, and saves.
    template <class Dialog>
    void AddThrough(ListWindow* window, const QString& name, std::optional<QColor> colour) {
        Click(window->Command1);
        Dialog* d = Forms::Loaded<Dialog>();
        ASSERT_TRUE(d && d->isVisible());
        QTest::keyClicks(d->Text1, name);
        if (colour) {
            TestEnv::Dialogs().AnswerColor(colour);
            Click(d->Command3);
        }
        Click(d->Command1);
    }

    Form1* main_ = nullptr;
};

TEST_F(ListWindowsTest, AddDialogWritesTheEntryWithItsColourAndRefreshesTheList) {
    main_->mnueploy_Click();
    Form2* w = Forms::Loaded<Form2>();
    ASSERT_TRUE(w && w->isVisible());
    EXPECT_EQ(w->Grid1.Rows(), 1);
    EXPECT_EQ(w->Grid1.Text(0, 1), "Employee");
    EXPECT_EQ(w->Grid1.Text(0, 2), "Gantt Color");

    AddThrough<frmemployee>(w, "Alice", QColor(255, 0, 0));
    EXPECT_EQ(Forms::Loaded<frmemployee>(), nullptr) << "Save closes the dialog";
    EXPECT_EQ(GridNames(w), QStringList({"Alice"}));
    EXPECT_EQ(w->Grid1.BackColor(1, 2), 255u);

    // Untouched, the button stores the button-face colour; a cancelled
    // colour dialog keeps the colour chosen before.
    AddThrough<frmemployee>(w, "Bob", std::nullopt);
    Click(w->Command1);
    frmemployee* d = Forms::Loaded<frmemployee>();
    EXPECT_TRUE(d->Text1->text().isEmpty());
    TestEnv::Dialogs().AnswerColor(QColor(0, 255, 0));
    Click(d->Command3);
    TestEnv::Dialogs().AnswerColor(std::nullopt);
    Click(d->Command3);   // the green saved below is the colour kept

    // Refused names are told; the dialog keeps what was typed.
    for (const QString& name : {QString(), QStringLiteral("  "), QStringLiteral("Ann "), QStringLiteral("a=b")}) {
        d->Text1->setText(name);
        TestEnv::Dialogs().Reset();
        Click(d->Command1);
        ASSERT_EQ(Forms::Loaded<frmemployee>(), d);
        EXPECT_EQ(TestEnv::Dialogs().Messages().size(), 1) << name.toStdString();
    }
    d->Text1->setText("Alice");   // already listed: new colour, same row
    Click(d->Command1);
    EXPECT_EQ(GridNames(w), QStringList({"Alice", "Bob"}));
    EXPECT_EQ(Values(), QStringList({"65280", "-2147483633"}));
    EXPECT_EQ(int32_t(w->Grid1.BackColor(2, 2)), ListFile::kButtonFace);
}

TEST_F(ListWindowsTest, ANameListedInOtherLettersIsSaidSoAndNothingIsWritten) {
    const QByteArray before = "[Employees]\nAnn=255\n\n[Types]\nInspection=\n";
    ASSERT_TRUE(FileOps::WriteFileSafely(main_->ListFilePath(), before));
    main_->mnueploy_Click();
    Form2* w = Forms::Loaded<Form2>();
    Click(w->Command1);
    frmemployee* d = Forms::Loaded<frmemployee>();
    ASSERT_NE(d, nullptr);
    TestKeys::Type(d->Text1, "ANN");
    TestEnv::Dialogs().Reset();
    Click(d->Command1);
    EXPECT_EQ(TestEnv::Dialogs().Messages(), QStringList{"\"Ann\" is already in the list."});
    EXPECT_EQ(Forms::Loaded<frmemployee>(), d) << "the dialog stays with what was typed";
    EXPECT_EQ(d->Text1->text(), "ANN");

    // The type list's input box says the same and stays up with the text.
    Form3* types = main_->ShowList<Form3>();
    TestEnv::Dialogs().Reset();
    TestEnv::Dialogs().ShowRealInputBoxes();
    QString keptAfterRefusal;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        auto* line = box ? box->findChild<QLineEdit*>() : nullptr;
        if (!line) return;
        TestKeys::Type(line, "inspection");
        QTest::keyClick(line, Qt::Key_Return);
        if (QApplication::activeModalWidget() == box) keptAfterRefusal = line->text();
        QTest::keyClick(line, Qt::Key_Escape);
    });
    Click(types->Command1);
    EXPECT_EQ(keptAfterRefusal, "inspection");
    EXPECT_EQ(TestEnv::Dialogs().Messages(), QStringList{"\"Inspection\" is already in the list."});
    EXPECT_EQ(TestUi::FileBytes(main_->ListFilePath()), before);
}

// Names alike but for case or the blanks around them are entries of their
// own, as the list shows them: Delete takes the chosen row and no other.
TEST_F(ListWindowsTest, DeleteTakesOnlyTheChosenOneOfNamesAlike) {
    ASSERT_TRUE(FileOps::WriteFileSafely(main_->ListFilePath(), "[Employees]\nann=1\nAnn=2\nAnn =3\nBo=4\n"));
    main_->mnueploy_Click();
    Form2* w = Forms::Loaded<Form2>();
    ASSERT_EQ(GridNames(w), QStringList({"ann", "Ann", "Ann", "Bo"}));
    ClickRow(w, 1);
    Click(w->Command2);
    EXPECT_EQ(GridNames(w), QStringList({"Ann", "Ann", "Bo"}));
    ClickRow(w, 2);   // the second "Ann", written "Ann " by hand
    Click(w->Command2);
    EXPECT_EQ(TestUi::FileBytes(main_->ListFilePath()), "[Employees]\nAnn=2\nBo=4\n");
}

TEST_F(ListWindowsTest, SavingWhileTheListWindowIsClosedDoesNotOpenIt) {
    main_->mnuequip_Click();
    frmequip* w = Forms::Loaded<frmequip>();
    EXPECT_EQ(w->Grid1.Text(0, 1), "Equipment");
    Click(w->Command1);
    frmemployee4* d = Forms::Loaded<frmemployee4>();
    EXPECT_EQ(d->windowTitle(), "Add Equipment");
    Click(w->Command4);
    ASSERT_EQ(Forms::Loaded<frmequip>(), nullptr);
    QTest::keyClicks(d->Text1, "Lathe");
    Click(d->Command1);
    EXPECT_EQ(Forms::Loaded<frmequip>(), nullptr);
    main_->mnuequip_Click();
    EXPECT_EQ(GridNames(Forms::Loaded<frmequip>()), QStringList({"Lathe"}));
}

TEST_F(ListWindowsTest, DeleteRemovesTheSelectedRowsAndKeepsEverythingElse) {
    QFile f(main_->ListFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Employees]\nAnn=255\nBen=blue\nCy=65280\nDee=-2147483633\n[Types]\nSafety=\n");
    f.close();
    main_->mnueploy_Click();
    Form2* w = Forms::Loaded<Form2>();
    ASSERT_EQ(GridNames(w), QStringList({"Ann", "Ben", "Cy", "Dee"}));
    // Another window adds an employee after this grid was filled.
    ASSERT_TRUE(Lists().Add(ListSection::Employees, "Eve", "7"));

    // Whatever the clicks, the rows Delete removes are the rows shown selected.
    ClickRow(w, 1);
    ClickRow(w, 3, Qt::ControlModifier);
    EXPECT_EQ(w->Grid1View->selectionModel()->selectedRows(1).size(),
              w->Grid1.SelectionLastRow() - w->Grid1.SelectionFirstRow() + 1);
    ClickRow(w, 2);
    ClickRow(w, 3, Qt::ShiftModifier);
    Click(w->Command2);
    EXPECT_EQ(GridNames(w), QStringList({"Ann", "Dee", "Eve"}));
    EXPECT_EQ(Values(), QStringList({"255", "-2147483633", "7"}));

    ClickRow(w, 2);
    Click(w->Command2);
    EXPECT_EQ(GridNames(w), QStringList({"Ann", "Eve"}));
    ClickRow(w, 1);
    ClickRow(w, 2, Qt::ShiftModifier);
    Click(w->Command2);
    EXPECT_EQ(w->Grid1.Rows(), 1);
    EXPECT_TRUE(Lists().Entries(ListSection::Employees).empty());
    EXPECT_EQ(Lists().Names(ListSection::Types), QStringList({"Safety"}));
    Click(w->Command2);   // header only: nothing happens
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(ListWindowsTest, ApplyAndDoubleClickFillTheirEditorFieldAndClose) {
    ListFile lists = Lists();
    for (const char* n : {"Ann", "Ben"}) ASSERT_TRUE(lists.Add(ListSection::Employees, n, "1"));
    for (const char* n : {"Lathe", "Press"}) ASSERT_TRUE(lists.Add(ListSection::Equipment, n, "2"));

    // An empty list hands nothing over and stays open.
    Form3* types = main_->ShowList<Form3>();
    Click(types->Command3);
    types->Grid1_DblClick();
    EXPECT_EQ(Forms::Loaded<Form6>(), nullptr);
    EXPECT_EQ(Forms::Loaded<Form3>(), types);

    // The editor is loaded for the field, not shown.
    ClickRow(main_->ShowList<Form2>(), 2);
    Click(Forms::Loaded<Form2>()->Command3);
    EXPECT_EQ(Forms::Loaded<Form2>(), nullptr);
    Form6* editor = Forms::Loaded<Form6>();
    ASSERT_TRUE(editor);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(editor->Text3->text(), "Ben");

    editor->Text5->setText("someone");
    ClickRow(main_->ShowList<Form4>(), 1);
    Click(Forms::Loaded<Form4>()->Command3);
    EXPECT_EQ(editor->Text5->text(), "Ann");

    frmequip* eq = main_->ShowList<frmequip>();
    eq->Grid1View->Sync();
    QTest::mouseDClick(eq->Grid1View->viewport(), Qt::LeftButton, {}, TestUi::CellRect(eq->Grid1View, 2, 1).center());
    Settle();
    EXPECT_EQ(editor->Text2->text(), "Press");
    EXPECT_EQ(Forms::Loaded<frmequip>(), nullptr);
    EXPECT_EQ(editor->Text3->text(), "Ben") << "nothing else of the editor is touched";
    EXPECT_EQ(editor->Combo1->text(), "");
}

TEST_F(ListWindowsTest, TypeAddAsksForTheNameAndApplyFillsTheTypeField) {
    Form3* w = main_->ShowList<Form3>();
    TestEnv::Dialogs().AnswerInput(std::nullopt);
    Click(w->Command1);
    TestEnv::Dialogs().AnswerInput(QString());
    Click(w->Command1);
    EXPECT_FALSE(QFile::exists(main_->ListFilePath()));
    ASSERT_EQ(TestEnv::Dialogs().Calls().size(), 2u);
    EXPECT_EQ(TestEnv::Dialogs().Calls()[0].prompt, "Enter Type");
    EXPECT_EQ(TestEnv::Dialogs().Calls()[0].title, "Task Manager");
    TestEnv::Dialogs().AnswerInput(QStringLiteral("   "));
    Click(w->Command1);
    EXPECT_EQ(TestEnv::Dialogs().Messages().size(), 1);

    for (const char* t : {"Electrical", "Plumbing", "Safety"}) {
        TestEnv::Dialogs().AnswerInput(QString::fromLatin1(t));
        Click(w->Command1);
    }
    EXPECT_EQ(Lists().Names(ListSection::Types), QStringList({"Electrical", "Plumbing", "Safety"}));
    ClickRow(w, 2);
    Click(w->Command2);
    EXPECT_EQ(GridNames(w), QStringList({"Electrical", "Safety"}));
    ClickRow(w, 2);
    Click(w->Command3);
    EXPECT_EQ(Forms::Loaded<Form6>()->Combo1->text(), "Safety");
    EXPECT_EQ(Forms::Loaded<Form3>(), nullptr);
}

TEST_F(ListWindowsTest, EachDatabaseHasItsOwnListAndNoneMeansNothingWritten) {
    AddThrough<frmemployee>(main_->ShowList<Form2>(), "Alice", std::nullopt);
    const QString plantList = main_->ListFilePath();
    Forms::UnloadAll();

    OpenDatabase("Office");
    Form2* w = main_->ShowList<Form2>();
    EXPECT_EQ(w->Grid1.Rows(), 1);
    AddThrough<frmemployee>(w, "Bob", std::nullopt);
    EXPECT_EQ(ListFile(plantList).Names(ListSection::Employees), QStringList({"Alice"}));
    EXPECT_EQ(Lists().Names(ListSection::Employees), QStringList({"Bob"}));
    Forms::UnloadAll();

    delete main_;
    main_ = new Form1;
    AddThrough<frmemployee>(main_->ShowList<Form2>(), "Cy", std::nullopt);
    EXPECT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_NE(Forms::Loaded<frmemployee>(), nullptr);
    EXPECT_EQ(QDir(temp_).entryList({"*.ini"}, QDir::Files).size(), 2);
    EXPECT_FALSE(QFile::exists(".ini"));
}

}  // namespace

TEST_F(ListWindowsTest, AnUnreadableListFileIsSaidAndNeverWrittenOver) {
    {
        QFile f(main_->ListFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(IniDocument::kMaxFileBytes + 1));   // sparse: no disk used
    }
    main_->mnueploy_Click();
    Form2* w = Forms::Loaded<Form2>();
    ASSERT_TRUE(w && w->isVisible());
    EXPECT_EQ(w->Grid1.Rows(), 1);
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not be read")) << TestEnv::Dialogs().LastMessage().toStdString();

    TestEnv::Dialogs().Reset();
    AddThrough<frmemployee>(w, "Alice", QColor(255, 0, 0));
    EXPECT_TRUE(TestEnv::Dialogs().Messages().join("\n").contains("could not be written"));
    EXPECT_EQ(QFileInfo(main_->ListFilePath()).size(), IniDocument::kMaxFileBytes + 1);
}

TEST_F(ListWindowsTest, AListFileThatIsALinkIsNeitherReadNorWrittenAndTheMessageNamesIt) {
    // Someone made the database's list file a link to a file of theirs.
    const QString theirs = temp_ + "/theirs.ini";
    const QByteArray bytes = "[Employees]\nMallory=1\n";
    ASSERT_TRUE(TestEnv::WriteAll(theirs, bytes));
    ASSERT_TRUE(QFile::link(theirs, main_->ListFilePath()));
    main_->mnueploy_Click();
    Form2* w = Forms::Loaded<Form2>();
    ASSERT_TRUE(w && w->isVisible());
    EXPECT_EQ(GridNames(w), QStringList());   // read as unreadable, not as theirs
    ASSERT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("\"" + main_->ListFilePath() + "\" is a link"))
        << TestEnv::Dialogs().LastMessage().toStdString();

    TestEnv::Dialogs().Reset();
    AddThrough<frmemployee>(w, "Alice", QColor(255, 0, 0));
    const QString said = TestEnv::Dialogs().Messages().join("\n");
    EXPECT_TRUE(said.contains("could not be written")) << said.toStdString();
    EXPECT_TRUE(said.contains("\"" + main_->ListFilePath() + "\" is a link")) << said.toStdString();
    EXPECT_EQ(TestEnv::ReadAll(theirs), bytes);
    EXPECT_TRUE(QFileInfo(main_->ListFilePath()).isSymLink());
}

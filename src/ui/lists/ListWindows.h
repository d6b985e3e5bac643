#pragma once
// The windows that keep the lists of the open database's list file and hand
// a chosen entry to whoever opened them (the task editor's fields).
//
// One design serves every list window: ListWindow shows one section of the
// list file in its grid and has Add, Delete, Apply and Close. The concrete
// windows differ only in their caption, section, header, the Add they open
// and the task-editor field their Apply is meant for (the opener supplies
// the Apply itself, SetApply):
//   Form2     "Employees"  section Employees  Add: frmemployee   Apply: Form6.Text3 (Assigned To)
//   Form4     "Employees"  section Employees  Add: frmemployee2  Apply: Form6.Text5 (Requested By)
//   frmequip  "Equipment"  section Equipment  Add: frmemployee4  Apply: Form6.Text2 (Equipment)
//   Form3     "Types"      section Types      Add: an input box  Apply: Form6.Combo1 (Type)
// The colour lists show a second column whose background is the entry's
// Gantt colour; the type list has no colour.
//
// AddEntryDialog is the one design of the dialogs that add a name with its
// colour (frmemployee, frmemployee2, frmemployee4). Each refreshes the list
// window it belongs to after saving, when that window is open.
//
// Every window is a single instance reached through Forms
// (Forms::Show<Form2>(database)), modeless, and deleted when it closes.

#include <QDialog>
#include <cstdint>
#include <functional>

#include "platform/Grid.h"

class GridView;
class QLabel;
class QLineEdit;
class QPushButton;
class TaskDatabase;

class ListWindow : public QDialog {
    Q_OBJECT
public:
    // Empties the grid and sets up its columns and header row.
    void ClearGrid();
    // Appends one row per entry of the window's section, as the file holds it now.
    void ReadReg();

    void Command1_Click();   // "&Add"
    void Command2_Click();   // "&Delete": the rows the selection spans
    void Command3_Click();   // "&Apply": the active row's name into the task editor
    void Command4_Click();   // "&Close"
    void Grid1_DblClick();   // same as Apply

    QString Section() const { return section_; }

    // The task-editor field the window's Apply is meant for.
    enum class EditorField { Equipment, AssignedTo, RequestedBy, Type };
    virtual EditorField Target() const = 0;
    // What Apply does with the chosen name (supplied by the opener).
    void SetApply(std::function<void(const QString&)> apply) { apply_ = std::move(apply); }

    Grid Grid1;
    GridView* Grid1View = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;

protected:
    struct Design {
        QString caption;
        QString section;
        QString nameHeader;
        bool colours;            // a "Gantt Color" column
        bool fitAfterListing;    // ReadReg fits the columns to their contents
    };
    ListWindow(TaskDatabase& database, const Design& design);

    virtual void AddEntry() = 0;
    TaskDatabase& db_;

private:
    void SetUpGrid();
    int columns() const { return colours_ ? 3 : 2; }
    QString section_;
    QString nameHeader_;
    bool colours_;
    bool fitAfterListing_;
    std::function<void(const QString&)> apply_;
};

// Employee list window of the Setup menu and the Assigned To picker.
class Form2 : public ListWindow {
    Q_OBJECT
public:
    explicit Form2(TaskDatabase& database);
    EditorField Target() const override;
protected:
    void AddEntry() override;
};

// The task editor's Requested By picker: the employee list once more.
class Form4 : public ListWindow {
    Q_OBJECT
public:
    explicit Form4(TaskDatabase& database);
    EditorField Target() const override;
protected:
    void AddEntry() override;
};

// Equipment list window of the Setup menu and the Equipment picker.
class frmequip : public ListWindow {
    Q_OBJECT
public:
    explicit frmequip(TaskDatabase& database);
    EditorField Target() const override;
protected:
    void AddEntry() override;
};

// Task-type list window of the Setup menu and the Type picker.
class Form3 : public ListWindow {
    Q_OBJECT
public:
    explicit Form3(TaskDatabase& database);
    EditorField Target() const override;
protected:
    void AddEntry() override;
};

class AddEntryDialog : public QDialog {
    Q_OBJECT
public:
    void Command1_Click();   // "&Save"
    void Command2_Click();   // "&Cancel"
    void Command3_Click();   // the colour button

    // Paints the colour button in the colour number it will store.
    void SetButtonColour(int32_t colour);

    QLineEdit* Text1 = nullptr;      // the name
    QPushButton* Command3 = nullptr; // colour button
    QPushButton* Command1 = nullptr; // Save
    QPushButton* Command2 = nullptr; // Cancel

protected:
    AddEntryDialog(TaskDatabase& database, const QString& caption, const QString& label, const QString& section);
    // Shows the new entry in the list window this dialog belongs to, when
    // that window is open; a closed one is not opened by it.
    virtual void RefreshList() = 0;

private:
    TaskDatabase& db_;
    QString section_;
    int32_t colour_;
};

class frmemployee : public AddEntryDialog {   // Add of Form2
    Q_OBJECT
public:
    explicit frmemployee(TaskDatabase& database);
protected:
    void RefreshList() override;
};

class frmemployee2 : public AddEntryDialog {  // Add of Form4
    Q_OBJECT
public:
    explicit frmemployee2(TaskDatabase& database);
protected:
    void RefreshList() override;
};

class frmemployee4 : public AddEntryDialog {  // Add of frmequip
    Q_OBJECT
public:
    explicit frmemployee4(TaskDatabase& database);
protected:
    void RefreshList() override;
};


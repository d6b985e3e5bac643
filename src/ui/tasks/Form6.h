#pragma once
// The task editor ("Add Task" / "Edit Task"): the fields of one task row,
// its item list and material list (each written to the task's own file as
// it changes), and its attached document. A single modeless instance.
//
// The editor is handed the task database it edits by whoever loads it, and
// reports a saved task by the TaskSaved signal. Open it with OpenForAdd() or
// OpenForEdit(): they show the editor and, for an edit, bind it to the task
// on the active row. A bound editor keeps acting on that task (Save, Clear
// of the document, the material dialog) whatever row the user clicks
// meanwhile.
//
// Loading the editor takes a task number from the counter and proposes
// "ID-<number>"; closing it without saving gives the number back.

#include <QDate>
#include <QDialog>
#include <QIcon>
#include <QTime>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>
#include <map>

#include "ui/lists/ListWindows.h"
#include "platform/Grid.h"

class GridView;
class QComboBox;
class QDateEdit;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class TaskDatabase;
class frmcost;

class Form6 : public QDialog {
    Q_OBJECT
public:
    explicit Form6(TaskDatabase& database);
    ~Form6() override;

    // How the opener loads the single editor (wired to it), and where the
    // editor mode ("1" add, "2" edit) is kept when an opener that did not
    // bind the editor shows it.
    using Loader = std::function<Form6*()>;
    void SetOpener(Loader load, std::function<QString()> editorMode);

    // The list bar's "Add": empty lists for a new task, the editor shown as
    // "Add Task". An editor open on an existing task is closed first (a new
    // task never shares another task's lists); an editor already adding a
    // task is shown as it is.
    static Form6* OpenForAdd(const Loader& load);
    // The list bar's "Edit": "No Tasks Found" without a task row; otherwise
    // the editor bound to the active task, its fields, document, items and
    // materials shown as "Edit Task". nullptr when refused.
    static Form6* OpenForEdit(TaskDatabase& database, const Loader& load);

    // The field a list window's Apply fills, and the Apply that fills it in
    // the editor `load` gives (loaded hidden when it is not open).
    QLineEdit* Field(ListWindow::EditorField field) const;
    static std::function<void(const QString&)> ApplyInto(Loader load, ListWindow::EditorField field);

    // ---- fields ----
    QLineEdit* Text1 = nullptr;     // Task ID
    QLineEdit* Text2 = nullptr;     // Equipment
    QLineEdit* Text3 = nullptr;     // Assigned To
    QLineEdit* Text4 = nullptr;     // last saved material cost
    QLineEdit* Text5 = nullptr;     // Requested By
    QLineEdit* Combo1 = nullptr;    // Type (a one-line box)
    QComboBox* Combo2 = nullptr;    // Status
    QComboBox* Combo3 = nullptr;    // Number of Days Between Task
    QComboBox* Combo4 = nullptr;    // Select Number Of Tasks To Generate
    QDateEdit* DatePicker1 = nullptr;   // Request Date
    QDateEdit* DatePicker2 = nullptr;   // Scheduled Start Date
    QDateEdit* DatePicker3 = nullptr;   // Scheduled Stop Date
    QTimeEdit* DatePicker4 = nullptr;   // Scheduled Start Time
    QTimeEdit* DatePicker5 = nullptr;   // Scheduled Stop Time
    QLabel* Label8 = nullptr;       // the attached document's full path
    QLabel* Picture1 = nullptr;     // the document's icon

    // ---- lists ----
    Grid Grid1;                     // task items
    Grid Grid2;                     // materials and costs
    GridView* Grid1View = nullptr;
    GridView* Grid2View = nullptr;

    // ---- buttons ----
    QPushButton* Command1 = nullptr;    // Assigned To picker
    QPushButton* Command2 = nullptr;    // "&Close"
    QPushButton* Command3 = nullptr;    // "&Save Task"
    QPushButton* Command4 = nullptr;    // "Add Task" (item)
    QPushButton* Command5 = nullptr;    // "&Help"
    QPushButton* Command6 = nullptr;    // "Edit Task" (item)
    QPushButton* Command7 = nullptr;    // Requested By picker
    QPushButton* Command8 = nullptr;    // Type picker
    QPushButton* Command9 = nullptr;    // "Add Material"
    std::array<QPushButton*, 3> Command10{};   // "&Load", "&View", "&Clear" (document)
    QPushButton* Command11 = nullptr;   // "Edit Material"
    QPushButton* Command12 = nullptr;   // "Delete Selected Item" (items)
    QPushButton* Command13 = nullptr;   // "Delete Selected Item" (materials)
    QPushButton* Command15 = nullptr;   // Equipment picker

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click(int index);
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Command15_Click();

    // Before the editor turns to another task: when the fields of the task
    // being edited were changed and not saved, asks to save them first.
    // False when the user keeps the editor as it is.
    bool ConfirmLeave();

    // Writes the fields into the row of the task being edited; false when
    // that task is no longer in the grid.
    bool EditRow();

    // Fill the lists from the files of a task (missing files give the empty
    // lists; an unreadable file is reported and left as it is).
    void LoadItemList(const QString& taskId);
    void LoadMaterialList(const QString& taskId);

    // Whether the lists may be written under the ID in Text1 now; says why
    // not. Writes of the lists to the task's files, reporting a failure.
    bool ListsWritable();
    bool WriteItems();
    bool WriteMaterials();
    // At Save: the lists shown, on file under the ID the task is saved with.
    // A list stored under another ID (the box changed after it was written)
    // is written under this one; a file this editor did not write (left by
    // an editor closed unsaved) is replaced or removed. Failures are reported.
    void StoreListsUnder(const QString& id);

    // Change whenever the lists are those of another task, and whenever the
    // material rows move (a deletion or reload), so the material dialog can
    // tell that the row it was opened on is still the one it edits.
    quint64 TaskGeneration() const { return taskGeneration_; }
    quint64 MaterialRowsVersion() const { return materialRowsVersion_; }

    // The desktop's icon of a document; a null icon for "" or a missing file.
    static QIcon GetDocIcon(const QString& path);
    static QString TrimPath(const QString& path);
    static bool FileExist(const QString& path);

    // The material dialog's entry, added to or changed in the material list.
    void TakeMaterial(frmcost* dialog);

signals:
    // After Save: the generate values (interval, further count) and whether
    // the task reached the file (occurrences are made only then).
    void TaskSaved(const QString& interval, const QString& count, bool stored);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    enum class Mode { None, Add, Edit };
    void BuildWindow();
    void FillFromRow(int row);
    void SetDocument(const QString& path, const QString& iconOf);
    QStringList Cells() const;
    bool Editing() const;
    int TaskRow() const;           // the bound task's row now, -1 when none
    void Release();                // stop being the global instance and close
    void Form_Unload();
    template <class Picker>
    void Pick();

    TaskDatabase& db_;
    Loader load_;
    std::function<QString()> editorMode_;

    Mode mode_ = Mode::None;
    int boundRow_ = -1;
    QString boundId_;
    bool saved_ = false;
    bool unloaded_ = false;
    qint64 taken_ = 0;
    QIcon picture_;
    // What the load gave the pickers: a cell that is no date or time leaves
    // its picker at these, never at another task's value.
    QDate loadDate_;
    QTime loadTime_;
    struct Filled {
        QString text;     // the cell
        QVariant value;   // the date or time the picker was set to
    };
    std::map<const QWidget*, Filled> filled_;
    QStringList cellsAtFill_;    // the fields as an edit showed them
    // The ID under which each list, as shown, is on file ("" when nowhere).
    QString itemsOnFileAs_;
    QString materialsOnFileAs_;
    quint64 taskGeneration_ = 0;
    quint64 materialRowsVersion_ = 0;
};

#pragma once
// "Task Items": an older editor of one task's item list that keeps the items
// in an INI file (Tasks/<ID>.ini, one section named after the Task ID, keys
// "1", "2", ... by row). No command of the program opens it; it is kept so
// the window and its file form stay known and working.

#include <QDialog>

#include "platform/Grid.h"
#include "platform/IniFile.h"

class TaskDatabase;

class GridView;
class QPushButton;

class Form11 : public QDialog {
    Q_OBJECT
public:
    explicit Form11(TaskDatabase& database);
    ~Form11() override;

    void GetTasks();          // fills the list from the item file
    void Command1_Click();    // "&Close"
    void Command2_Click();    // "&Clear": the task's whole section
    void Command3_Click();    // "&Edit": the selected row

    Grid Grid1;
    GridView* Grid1View = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    aaxIniFile aaxIniFile1;

    // The task the window was opened on and its item file ("" when the ID
    // cannot name a file or no database is open).
    QString TaskId() const { return taskId_; }
    QString ItemFile() const { return itemFile_; }

private:
    void ResetList();
    QString taskId_;
    QString itemFile_;
};

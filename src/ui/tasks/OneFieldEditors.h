#pragma once
// Small windows that change one field of the active task in place: the
// equipment, the assignee and the type from the list file, the request date,
// and the scheduled start and end with their times. Each writes its cells of
// the task row active at the moment Apply is pressed, fits the column and
// saves the database; none touches the status.

#include <QDateTime>
#include <QDialog>

class QDateEdit;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimeEdit;
class TaskDatabase;

// A list of the names of one section of the list file.
class ListFieldEditor : public QDialog {
    Q_OBJECT
public:
    QListWidget* List1 = nullptr;
    QPushButton* Command3 = nullptr;   // "&Apply"
    QPushButton* Command4 = nullptr;   // "&Close"

    // Lists the section's names (once per load).
    void ReadReg();
    void Command3_Click();
    void Command4_Click();
    int Column() const { return setup_.column; }

protected:
    struct Setup {
        QString caption;
        QString section;
        int column;
        bool closesAfterApply;
    };
    ListFieldEditor(TaskDatabase& database, const Setup& setup);
    virtual void Release() = 0;

private:
    TaskDatabase& db_;
    Setup setup_;
};

// A date picker (and for the scheduled start and end, a time picker).
class DateFieldEditor : public QDialog {
    Q_OBJECT
public:
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QDateEdit* DatePicker1 = nullptr;
    QTimeEdit* DatePicker2 = nullptr;   // nullptr in the request-date editor
    QPushButton* Command1 = nullptr;    // "&Apply"
    QPushButton* Command2 = nullptr;    // "&Close"

    void Command1_Click();
    void Command2_Click();

protected:
    struct Setup {
        QString caption;
        QString dateLabel;
        int dateColumn;
        QString timeLabel;   // empty: no time picker
        int timeColumn;      // -1: none
    };
    DateFieldEditor(TaskDatabase& database, const Setup& setup);
    virtual void Release() = 0;

private:
    void Preset();
    TaskDatabase& db_;
    Setup setup_;
};

// Each window is a single instance of its own class.
class frme2 : public ListFieldEditor {   // "Equipment": column 2, closes after Apply
public:
    explicit frme2(TaskDatabase& database);
protected:
    void Release() override;
};

class Form12 : public ListFieldEditor {  // "Assign To": column 8
public:
    explicit Form12(TaskDatabase& database);
protected:
    void Release() override;
};

class Form16 : public ListFieldEditor {  // "Type": column 10, double click applies
public:
    explicit Form16(TaskDatabase& database);
    void List1_DblClick();
protected:
    void Release() override;
};

class Form13 : public DateFieldEditor {  // "Request Date": column 3
public:
    explicit Form13(TaskDatabase& database);
protected:
    void Release() override;
};

class Form14 : public DateFieldEditor {  // "Scheduled Start": columns 4 and 5
public:
    explicit Form14(TaskDatabase& database);
protected:
    void Release() override;
};

class Form15 : public DateFieldEditor {  // "Scheduled End": columns 6 and 7
public:
    explicit Form15(TaskDatabase& database);
protected:
    void Release() override;
};

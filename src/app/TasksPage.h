#pragma once
// The Tasks page: the list bar beside the date window ("From Date:", "#
// Days" and their buttons), where the open database is, and the task grid.
// A class of its own because the date window keeps a value of its own: the
// last day count the user had accepted. A count that is no number is put
// back to it, and the box's activation when it merely loses the focus (the
// window going to the tray) is told apart from a new count by it, so an
// alert's filter survives.

#include <QDate>
#include <QString>
#include <QWidget>

class Grid;
class GridView;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QToolBox;

class TasksPage : public QWidget {
    Q_OBJECT
public:
    explicit TasksPage(Grid& tasks, QWidget* parent = nullptr);

    QToolBox* ListBar() const { return listBar_; }
    QDateEdit* FromDate() const { return from_; }
    QComboBox* Days() const { return days_; }
    QPushButton* RefreshButton() const { return refresh_; }       // Command1
    QPushButton* TodayButton() const { return today_; }           // Command6
    QPushButton* ViewAllButton() const { return viewAll_; }       // Command7
    QPushButton* ClearAlertsButton() const { return clearAlerts_; }   // Command5
    QLabel* NameLabel() const { return name_; }                   // Label7
    QLabel* FolderLabel() const { return folder_; }               // lblpath
    GridView* View() const { return view_; }

    QDate From() const;
    // Set from code: no DateChange follows.
    void SetFrom(const QDate& date);
    // The window's length: the number the box's text begins with.
    double Length() const;
    // "1".."365" in the list, the text in the box kept.
    void FillDayList();
    // The box's present text is the accepted count.
    void AcceptDays();
    // "# Days" must be a number; otherwise says so, puts back the accepted
    // count and returns false.
    bool CheckDays();
    // The window stored for the next start (both, or one part); a failed
    // write is said.
    void StoreWindow();
    void StoreFrom();
    void StoreDays();

signals:
    void FromChanged();   // the user changed the date
    void DaysChosen();    // the user chose another count

private:
    QToolBox* listBar_ = nullptr;
    QDateEdit* from_ = nullptr;
    QComboBox* days_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* today_ = nullptr;
    QPushButton* viewAll_ = nullptr;
    QPushButton* clearAlerts_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* folder_ = nullptr;
    GridView* view_ = nullptr;
    QString accepted_ = QStringLiteral("7");
};

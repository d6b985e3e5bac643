#pragma once
// "Auto Generate Selected Task": the interval and the number of further
// occurrences of the active task, handed to whoever opened it (ValuesChosen)
// with a request to generate them (GenerateRequested).

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class TaskDatabase;

class Form18 : public QDialog {
    Q_OBJECT
public:
    explicit Form18(TaskDatabase& database);
    ~Form18() override;

    QDateEdit* DatePicker1 = nullptr;   // the active task's Scheduled Start, shown only
    QComboBox* Combo1 = nullptr;        // days between tasks, "1".."10000"
    QComboBox* Combo2 = nullptr;        // tasks to generate, "1".."1000"
    QLabel* SkinLabel1 = nullptr;
    QLabel* SkinLabel2 = nullptr;
    QLabel* SkinLabel3 = nullptr;
    QPushButton* Command1 = nullptr;    // "&Generate"
    QPushButton* Command2 = nullptr;    // "&Cancel"
    QPushButton* Command3 = nullptr;    // "&Help"

    void Combo1_Click();
    void Combo2_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

signals:
    void ValuesChosen(const QString& interval, const QString& count);
    void GenerateRequested();

private:
    void CopyTexts();
    void Release();
    TaskDatabase& db_;
};

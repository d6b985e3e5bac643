#pragma once
// "Load By Default ": chooses the database opened at the next start,
// browsing from the open database's folder.
#include <QDialog>

class QLineEdit;
class TaskDatabase;
class QPushButton;

class Form7 : public QDialog {
    Q_OBJECT
public:
    explicit Form7(const TaskDatabase& db);
    void Command1_Click();   // "&Browse"
    void Command3_Click();   // "&Close"
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command3 = nullptr;

private:
    const TaskDatabase& db_;
};

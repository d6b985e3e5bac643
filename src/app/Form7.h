#pragma once
// "Load By Default ": chooses the database opened at the next start.
#include <QDialog>

class QLineEdit;
class QPushButton;

class Form7 : public QDialog {
    Q_OBJECT
public:
    Form7();
    void Command1_Click();   // "&Browse"
    void Command3_Click();   // "&Close"
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command3 = nullptr;
};

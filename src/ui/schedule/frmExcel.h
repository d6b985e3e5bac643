#pragma once
// "Set Path To Excel": shows the stored spreadsheet program, finds it again
// (Auto Find), lets the user pick the program file (Browse) and stores the
// path (Apply). Nothing is stored until Apply; Close drops an unapplied edit.

#include <QDialog>

class QLineEdit;
class QPushButton;

class frmExcel : public QDialog {
    Q_OBJECT
public:
    frmExcel();

    QLineEdit* Text1 = nullptr;        // the path being edited
    QPushButton* Command1 = nullptr;   // "&Browse"
    QPushButton* Command2 = nullptr;   // "&Apply"
    QPushButton* Command3 = nullptr;   // "&Close"
    QPushButton* Command4 = nullptr;   // "&Auto Find"

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Opendata(const QString& path);
    static QString GetExcelPath();
};

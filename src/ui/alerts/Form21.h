#pragma once
// "Email Alert Setup": the ten values of "Software\Quillon\Email" that the
// alert mail is built from. Apply stores them as typed and closes; Cancel
// closes without storing.

#include <QDialog>

#include "platform/Registry.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class Form21 : public QDialog {
    Q_OBJECT
public:
    Form21();

    void Command1_Click();   // "&Apply"
    void Command2_Click();   // "&Cancel"
    void Command3_Click();   // "&Help"

    QLineEdit* Text1 = nullptr;    // Server
    QLineEdit* Text8 = nullptr;    // Port
    QLineEdit* Text2 = nullptr;    // User
    QLineEdit* Text3 = nullptr;    // Password, never echoed
    QLineEdit* Text4 = nullptr;    // From
    QLineEdit* Text5 = nullptr;    // FromEmail
    QLineEdit* Text6 = nullptr;    // To
    QLineEdit* Text7 = nullptr;    // ToEmail
    QLineEdit* Text9 = nullptr;    // Subject
    QPlainTextEdit* Text10 = nullptr;   // Body
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QLabel* SkinLabel[10] = {};    // SkinLabel1 .. SkinLabel10
    aaxRegistry aaxRegistry1;
};

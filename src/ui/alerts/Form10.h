#pragma once
// "Tray Notify Alert": how an alert is given (tray notifier or e-mail), how
// many days ahead a task becomes an alert, and the time of day of the check.
// Reads the alert settings when it opens; "&Apply" stores them and closes,
// "&Cancel" closes without storing.

#include <QDialog>
#include <QTime>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

class Form10 : public QDialog {
    Q_OBJECT
public:
    Form10();

    QRadioButton* Option1 = nullptr;   // "Alert By Tray"
    QRadioButton* Option2 = nullptr;   // "Alert By Email"
    QLineEdit* Text1 = nullptr;        // days in advance, stored as typed
    QTimeEdit* DatePicker2 = nullptr;  // hours and minutes shown
    QPushButton* Command1 = nullptr;   // "&Apply"
    QPushButton* Command2 = nullptr;   // "&Cancel"
    QPushButton* Command3 = nullptr;   // "&Help"

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    // The time Apply stores: the picker's hours and minutes, with the
    // seconds of the stored time while the user has not changed it.
    QTime PickedTime() const;

private:
    QTime loaded_;
};

#pragma once
// "Position Notifier": the hint shown before the notifier is put in the
// middle of the screen for the user to drag where it should appear.
// "&OK" asks for that (OkClicked); "&Close" only closes. "Don't Show Again"
// is stored at once (Settings NotTip "1" or "0").

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

class Form24 : public QDialog {
    Q_OBJECT
public:
    Form24();

    QLabel* SkinLabel1 = nullptr;
    QCheckBox* Check1 = nullptr;      // "Don't Show Again"
    QPushButton* Command1 = nullptr;  // "&OK"
    QPushButton* Command2 = nullptr;  // "&Close"

    void Check1_Click();
    void Command1_Click();
    void Command2_Click();

signals:
    void OkClicked();
};

#pragma once
// The task editor ("Add Task" / "Edit Task").

#include <QDialog>

class QLineEdit;

class Form6 : public QDialog {
    Q_OBJECT
public:
    Form6();
    ~Form6() override;

    QLineEdit* Text1 = nullptr;    // Task ID
    QLineEdit* Text2 = nullptr;    // Equipment
    QLineEdit* Text3 = nullptr;    // Assigned To
    QLineEdit* Text4 = nullptr;    // last saved material cost
    QLineEdit* Text5 = nullptr;    // Requested By
    QLineEdit* Combo1 = nullptr;   // Type (a one-line box)
};

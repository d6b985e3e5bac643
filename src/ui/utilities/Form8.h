#pragma once
// The About box.

#include <QWidget>

class QLabel;
class QPushButton;

class Form8 : public QWidget {
    Q_OBJECT
public:
    explicit Form8(QWidget* parent = nullptr);
    void Command1_Click();   // "&Close"
    void Command2_Click();   // the web page
    QLabel* SkinLabel1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
};

#pragma once
// The preferences window: start at log-on, start with today's view, the two
// past-due colours of the task grid and the two colours of the chart. Every
// control writes its setting the moment it is used; there is no OK step.
// The window knows neither the grid nor the chart: it says what changed and
// its opener applies it.

#include <QWidget>

class QCheckBox;
class QPushButton;

class frmpref : public QWidget {
    Q_OBJECT
public:
    explicit frmpref(QWidget* parent = nullptr);

    // Shows the stored settings; a check box set to another state than it
    // shows counts as a change and writes its setting again.
    void GetValues();
    void Check1_Click();
    void Check2_Click();
    void Command1_Click();   // past-due back colour
    void Command2_Click();   // past-due fore colour
    void Command3_Click();   // chart back colour
    void Command4_Click();   // chart pyjama colour
    void Command5_Click();   // "&Close"

    QCheckBox* Check1 = nullptr;   // "Load Quillon On Windows Startup"
    QCheckBox* Check2 = nullptr;   // "Always Start With Today"
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;

signals:
    // A colour was stored: past-due rows are to be marked and coloured again.
    void ColorsStored();
    // A chart colour was chosen (a colour number, red in the low byte).
    void ChartBackColorChosen(qint64 colour);
    void ChartPyjamasColorChosen(qint64 colour);

private:
    // Asks for a colour, stores it under key/value, hands it to `applied`
    // (when given) and has past-due rows coloured again. Cancel stores nothing.
    void ChooseColor(const QString& key, const QString& value, void (frmpref::*applied)(qint64));
    QColor last_ = Qt::black;    // the dialog's colour: the last one chosen here
};

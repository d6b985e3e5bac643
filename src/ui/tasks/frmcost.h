#pragma once
// "Material And Cost": adds a material with its cost to the task editor's
// material list, or changes the material it was opened on; the editor takes
// the entry (MaterialEntered), writes the list to the task's material file
// and closes the dialog. Modeless; the task editor stays usable meanwhile,
// so the dialog remembers which task's list and which row it was opened for,
// and the editor refuses to write it anywhere else.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class frmcost : public QDialog {
    Q_OBJECT
public:
    frmcost();
    ~frmcost() override;

    QLabel* SkinLabel4 = nullptr;     // mode: "0" add, "1" edit (hidden)
    QLineEdit* Text1 = nullptr;       // Material
    QLineEdit* Text2 = nullptr;       // Cost, free text
    QPushButton* Command1 = nullptr;  // "&Cancel"
    QPushButton* Command2 = nullptr;  // "&Save"

    void Command1_Click();
    void Command2_Click();

    // Called by the task editor when it opens the dialog: the editor's task
    // and material-row versions at that moment, and the row to change (-1
    // when adding).
    void Bind(quint64 taskGeneration, quint64 materialRowsVersion, int row);
    bool Bound() const { return bound_; }
    quint64 TaskGeneration() const { return taskGeneration_; }
    quint64 MaterialRowsVersion() const { return materialRowsVersion_; }
    int Row() const { return row_; }

    // Stops being the single instance and closes.
    void Release();

signals:
    // Save with a material and a cost entered.
    void MaterialEntered(frmcost* dialog);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    quint64 taskGeneration_ = 0;
    quint64 materialRowsVersion_ = 0;
    int row_ = -1;
    bool bound_ = false;
};

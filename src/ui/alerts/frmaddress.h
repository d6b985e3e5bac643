#pragma once
// "Quillon Address Book": e-mail addresses kept under "Software\Quillon\Email"
// as `Count` and `Item0`, `Item1`, ... Every Add and Remove is stored at once;
// Add takes any answer as typed (the send-mail window checks an address when
// it sends), stored without the blanks around it.
// Apply hands the selected address to the send-mail window through
// AddressApplied (its opener connects it) and closes.

#include <QDialog>

class QListWidget;
class QPushButton;

class frmaddress : public QDialog {
    Q_OBJECT
public:
    frmaddress();

    // The two texts are not used (kept for the callers' sake).
    void GetList(const QString& appName, const QString& listName, QListWidget* list);
    // False (and the user told) when the list could not be stored.
    bool SaveList(const QString& appName, const QString& listName, QListWidget* list);

    void Command5_Click();   // "&Add"
    void Command3_Click();   // "&Remove"
    void Command1_Click();   // "&Apply"
    void Command2_Click();   // "&Close"
    void Command6_Click();   // help

    QListWidget* List1 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command6 = nullptr;

signals:
    void AddressApplied(const QString& address);
};

#pragma once
// The backup window Form23 ("Backup"), the restore window frmZip
// ("Restore") and the folder chooser Form22 ("Select Path"). They know
// nothing of the main window: their opener hands them the database
// location and learns of a restore by signal.

#include <QDialog>
#include <QStringList>
#include <functional>

class ArchiveJob;
class QCheckBox;
class QLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// What both archive windows share: the listing, the two progress bars and
// the work running behind them.
class ArchiveWindow : public QDialog {
    Q_OBJECT
public:
    QTreeWidget* lv = nullptr;            // "Contents:"
    QProgressBar* ProgressBar1 = nullptr; // the current file
    QProgressBar* overallprogress = nullptr;
    bool Working() const;
    // The task databases this copy of Quillon holds open (asked when work
    // starts): the windows may replace those, never one another copy holds.
    std::function<QStringList()> HeldDatabases;

protected:
    ArchiveWindow();
    ~ArchiveWindow() override;
    // The fields on top, then the listing, the bars, the check box and the
    // buttons in a row.
    void Arrange(QLayout* fields, QCheckBox* check, const QList<QPushButton*>& buttons);
    // While working the inputs are disabled, the bars shown and the busy
    // pointer on; all of it is undone when the work ends, however it ends.
    void SetWorking(bool working);
    QStringList Held() const { return HeldDatabases ? HeldDatabases() : QStringList(); }
    // Interrupted restores the work found and put right, told first.
    void TellNotices(const QStringList& notices);
    void closeEvent(QCloseEvent* event) override;
    QList<QWidget*> inputs_;
    ArchiveJob* job_ = nullptr;
    bool closing_ = false;   // closed while working: the outcome comes after
};

class Form23 : public ArchiveWindow {
    Q_OBJECT
public:
    Form23();
    ~Form23() override;

    struct Location {
        QString folder;   // DatabaseFolder
        QString name;     // DatabaseName
    };
    // Asked at the moment a backup starts (and for the Save dialog's folder).
    std::function<Location()> DatabaseLocation;

    QLineEdit* Text1 = nullptr;           // "Backup File:"
    QCheckBox* Check1 = nullptr;          // "Back Up Full Path"
    QPushButton* Command1 = nullptr;      // "&Create File"
    QPushButton* Command2 = nullptr;      // "&Refresh"
    QPushButton* Command5 = nullptr;      // "Start &Backup"
    QPushButton* Command4 = nullptr;      // "&Help"
    QPushButton* Command3 = nullptr;      // "&Close"

    void Command1_Click();
    void Command2_Click();
    void Command5_Click();
    void Command4_Click();
    void Command3_Click();

signals:
    // After every backup that started, with its outcome.
    void BackupFinished(bool ok);
};

class frmZip : public ArchiveWindow {
    Q_OBJECT
public:
    frmZip();
    ~frmZip() override;

    // The Open dialog's first folder.
    std::function<QString()> StartFolder;
    // Asked with the files a restore is about to replace; false stops it.
    std::function<bool(const QStringList& files)> BeforeRestore;

    QLineEdit* Text1 = nullptr;           // "Backup File To Restore:"
    QLineEdit* Text2 = nullptr;           // "Restore Path:"
    QCheckBox* Check1 = nullptr;          // "Restore to Full Path"
    QPushButton* Command1 = nullptr;      // "L&oad File"
    QPushButton* Command2 = nullptr;      // "&Refresh"
    QPushButton* Command8 = nullptr;      // "&Set Path"
    QPushButton* Command7 = nullptr;      // "Re&store"
    QPushButton* Command5 = nullptr;      // "&Help"
    QPushButton* Command4 = nullptr;      // "&Close"

    void Command1_Click();
    void Command2_Click();
    void Command8_Click();
    void Command7_Click();
    void Command5_Click();
    void Command4_Click();

signals:
    void SetPathRequested();               // the opener shows Form22
    void Restored(const QStringList& files);
    void RestoreFinished(bool ok);          // after every restore that started
};

class Form22 : public QDialog {
    Q_OBJECT
public:
    Form22();
    ~Form22() override;

    QComboBox* Drive1 = nullptr;          // mount points
    QTreeWidget* Dir1 = nullptr;          // folder tree of the chosen one
    QPushButton* Command1 = nullptr;      // "&Apply"
    QPushButton* Command2 = nullptr;      // "&Cancel"

    QString Path() const;                 // the folder chosen in Dir1
    void SetPath(const QString& folder);  // shows and selects it

    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
    void Command2_Click();

signals:
    void Applied(const QString& folder);

private:
    void ShowDrive(const QString& root);
    void Populate(QTreeWidgetItem* item);
};

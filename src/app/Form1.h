#pragma once
// The main window: it owns the task database (Database: the task grid, its
// location, lock and saves) and shows its location; the date window, the
// list bar, toolbar, menus and status bar. It opens the other windows and
// hands them the database they work on; windows below src/app never reach
// back into it. Form1::Get() is the single instance, for code in src/app.
// (Tests start it through the fixture in tests/support/MainWindow.h, which
// also creates databases and tasks.)

#include <QMainWindow>
#include <QPointer>
#include <QDate>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <memory>

#include <QDateTime>
#include <functional>

#include "model/alerts/AlertCheck.h"
#include "model/database/TaskColumns.h"
#include "model/database/TaskDatabase.h"
#include "platform/Grid.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolBox;
class QListWidget;
class QSystemTrayIcon;
class Tray;
class GridView;
class GanttChart;
class Form6;
class Form18;
struct GanttItem;
class PictureViewer;
class MailSender;
class UpdateChecker;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    Form1();
    ~Form1() override;

    // The single instance (nullptr before start-up and after shutdown).
    static Form1* Get();

    // ---- start-up and shutdown ----
    void Form_Load();            // the whole start-up sequence
    void GetSet();               // settings load
    void GetResolution();        // size to the screen's available area
    void LoadStart();            // start-up options
    void UnloadAllForms();       // ends the program
    static int GetTaskbarHeight();

    // ---- database location (kept by Database, shown in Text1, lblpath, Label7) ----
    QString DatabaseFile() const;
    QString DatabaseFolder() const;   // ends with '/'
    QString DatabaseName() const;
    QString CompanionFolder() const;  // DatabaseFolder + DatabaseName
    QString TasksFolder() const;      // companion/Tasks
    QString MaterialsFolder() const;  // companion/Materials
    QString ListFilePath() const;     // DatabaseFolder + DatabaseName + ".ini"
    bool DatabaseOpen() const;        // a database file is named and was read
    // Saves Grid1 to DatabaseFile. A failure (or no open database) is told to
    // the user here, once, and false is returned so the caller can stop.
    bool SaveDatabase();
    // Says "no database is open" and returns false when none is.
    bool RequireDatabase();

    void SetGrid();
    // Both false (with the reason told) when the new file could not be
    // written; the open database then stays open, unchanged.
    bool NewData(const QString& path);
    bool FinishNew(const QString& path);
    bool Opendata(const QString& path);
    void mnunewd_Click();
    void mnuopend_Click();
    void mnudef_Click();

    // ---- progress and views ----
    void ShowProgress(bool show);
    void SetStatusText(const QString& text);    // panel 1
    QString StatusText() const;
    void GetDate();
    void GetDue();
    void StartToday();
    void Command1_Click();      // Tasks page "&Refresh"
    void Command2_Click();      // chart page "&Refresh"
    void Command3_Click();      // "&Zoom In"
    void Command4_Click();      // "Zoom &Out"
    void Command6_Click();      // "&Today"
    void Command7_Click();      // "&View All"
    void Command5_Click();      // "&Clear Alerts"
    void mnuselstart_Click();
    void DatePicker1_DateChange();
    void Combo3_Click();
    void Check1_Click();
    void mnusort_Click();
    void mnusort2_Click();
    void Grid1_MouseDown(int button, int shift, int x, int y);

    // ---- statuses, filters, past due, counter, removal ----
    void ViewStatus(const QString& status);     // the status views' row loop
    void mnuall_Click();
    void mnusel_Click();
    void mnuready_Click();
    void mnuprog_Click();
    void mnuhold2_Click();
    void mnucomplete_Click();
    void mnucanceled_Click();
    void mnupastdue_Click();
    void SetActiveStatus(const QString& status);
    void mnured_Click();
    void mnuhold_Click();
    void mnucancel_Click();
    void mnucomp_Click();
    void mnupast_Click();
    void mnuprog2_Click();
    void mnualert2_Click();
    void Getpast();
    void GetCount();
    void ResortNum();
    void Removeit();
    void mnurem_Click();

    // ---- dispatchers ----
    void Listbar1_ItemClick(const QString& itemText);
    void Toolbar1_ButtonClick(const QString& key);

    // ---- task editing and generation ----
    void Generate();
    void GetTasks();    // fills the editor's item list from the ActiveTask's file
    void GetMat();      // fills the editor's material list
    void mnutype_Click();
    void mnuassigned_Click();
    void mnurequest_Click();
    void mnustart_Click();
    void mnuebd_Click();
    void mnudesc_Click();
    void mnudup_Click();
    void mnuequip_Click();
    void mnueploy_Click();
    void mnuptype_Click();

    // ---- openers of the windows that work on Database (wired to this window) ----
    Form6* TaskEditor();        // the single task editor, loaded hidden when needed
    Form6* EditorForAdd();      // the list bar's "Add"
    Form6* EditorForEdit();     // the list bar's "Edit"; nullptr when refused
    Form18* Generator();        // "Auto Generate Selected Task", loaded
    // A list window whose Apply fills its field of the task editor.
    template <class ListWindowClass>
    ListWindowClass* ShowList();

    // ---- chart, printing, alerts, mail, backup, utilities ----
    void GetChart();
    void FindExcel();
    void SetTray();
    void PrintWork();
    void mnupcost_Click();
    void mnumatre_Click();
    void mnupp_Click();
    void mnuporder_Click();
    void mtprint_Click();
    void mnusht_Click();
    void mnupgantt_Click();
    void mnuexcel_Click();
    void mnuin_Click();
    void mnuout_Click();
    void mnugrefresh_Click();
    void mnupchart_Click();
    void mnuskin_Click();
    void mnupref_Click();
    void mnubackup_Click();
    void mnures_Click();
    void mnutray_Click();
    void mnuaon_Click();
    void mnuoff_Click();
    void mnunot_Click();
    void mnusetemail_Click();
    void mnuptray_Click();
    void mnurestore_Click();
    void mnuexit_Click();
    void mnuexit2_Click();
    void mnuupdate_Click();
    void mnucont_Click();
    void mnuvisit_Click();
    void mnuabout_Click();
    void GetAlert();
    void MatchAlerts();
    void MailNotify();          // the alert mail

    // ---- e-mail ----
    // The send-mail window, loaded when it is not, with `attachment` in its box.
    void OpenMailWindow(const QString& attachment);
    void OpenAddressBook();
    void ApplyAddress(const QString& address);   // the address book's choice into MainMail
    std::shared_ptr<MailSender> MailSender1;   // the last alert mail's sender
    bool alertMailWaiting_ = false;            // an alert mail waits for another message

    // ---- preferences, skins, update check, help ----
    QString GetSkinFile();      // "" when cancelled
    void axAutoUpdate1_UpdateResult(const QString& text, int status);
    UpdateChecker* axAutoUpdate1 = nullptr;

    // ---- the Photo page ----
    void BuildPhotoPage();      // the buttons below IHViewPortX1
    void LoadTaskPicture();     // the ActiveTask's document into the viewer
    void Grid1_SelChange();
    void Command30_Click();     // "Zoom &Out"
    void Command31_Click();     // "&Zoom In"
    void Command32_Click();     // "&Best Fit"
    void Command33_Click();     // "&Actual"
    void Command35_Click();     // "&Print"

    // ---- controls (names as the other windows use them) ----
    TaskDatabase Database;       // the task database: grid, location, lock
    Grid& Grid1 = Database.Tasks();   // the task grid
    Grid Grid2, Grid3;           // work grids of the print sheets
    GridView* Grid1View = nullptr;
    QLineEdit* Text1 = nullptr;     // shows DatabaseFile
    QLabel* lblpath = nullptr;      // shows DatabaseFolder
    QLabel* Label7 = nullptr;       // shows DatabaseName
    QLineEdit* Text3 = nullptr;     // GenerateInterval
    QLineEdit* Text4 = nullptr;     // GenerateCount
    QLabel* Label3 = nullptr;       // EditorMode: "1" add, "2" edit
    QLabel* SkinLabel1 = nullptr;   // AlertSwitch
    QLabel* SkinLabel2 = nullptr;   // AlertBetween
    QLabel* SkinLabel3 = nullptr;   // LastCheck
    QDateEdit* DatePicker1 = nullptr;
    QComboBox* Combo3 = nullptr;
    QCheckBox* Check1 = nullptr;    // "Show Tip"
    QRadioButton* Option1 = nullptr;   // "List By Employee"
    QRadioButton* Option2 = nullptr;   // "List By Equipment"
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* Panel1 = nullptr;       // status text
    QLabel* Panel2 = nullptr;       // where the progress bar sits
    QLabel* Panel3 = nullptr;       // time
    QProgressBar* Bar1 = nullptr;
    QToolBox* Listbar1 = nullptr;
    QToolBar* Toolbar1 = nullptr;
    GanttChart* phGantX1 = nullptr;
    PictureViewer* IHViewPortX1 = nullptr;
    QPushButton* Command30 = nullptr;   // Photo page buttons
    QPushButton* Command31 = nullptr;
    QPushButton* Command32 = nullptr;
    QPushButton* Command33 = nullptr;
    QPushButton* Command35 = nullptr;
    QTimer* Timer1 = nullptr;
    Tray* csSysTray1 = nullptr;
    QList<QIcon> ImageList2;        // the four 32x32 frames of the tray animation
    QSystemTrayIcon* Balloon1 = nullptr;   // the balloon: the tray icon's message
    aaxRegistry aaxRegistry1;       // registry component
    aaxIniFile aaxIniFile1;         // INI-file component (the list file)
    struct FileToolbox {
        bool FileExists(const QString& path) const;
    } ArclabFileIOSystemToolbox1;   // file-system component

    QMenu* mnuhid = nullptr;        // task-row pop-up
    QMenu* mnugan = nullptr;        // chart pop-up
    QMenu* mnutray1 = nullptr;      // tray pop-up
    QMenu* mnuprint1 = nullptr;
    QAction* mnuaon = nullptr;
    QAction* mnuoff = nullptr;
    // Every menu item by its name (mnunewd, mnuopend, ...), for tests and
    // for windows that trigger menu commands.
    QAction* MenuItem(const QString& name) const;

    // True while a long pass or a recurrence run works on the grid; user
    // commands that would change the grid wait for it.
    bool Busy() const { return Database.Busy(); }
    // Lets pending paint and timer events run, but no user input.
    static void DoEvents();
    // Moves Bar1 to `value` when a hundredth of it has passed or 50 ms (a
    // per-row update would cost more than the pass itself); always on the
    // last value.
    void StepProgress(int value);
    void SetPickerDate(const QDate& date);    // from code: no DateChange event

    // ---- what the user is shown and asked (unsaved state, day count) ----
    // True while the grid holds changes whose save failed; the status bar
    // says so until a save succeeds.
    bool Unsaved() const { return Database.Unsaved(); }
    // Before the grid is closed or replaced: with unsaved changes, asks to
    // retry the save, save to another file, or discard them. False when the
    // user keeps the window as it is (or the changes are still unsaved).
    bool ResolveUnsaved();
    // "# Days" must be a number; otherwise says so, puts back the last
    // accepted count and returns false (the rows stay as they are).
    bool CheckDays();
    QLabel* PanelUnsaved = nullptr;

    // ---- backup and restore ----
    // Before a restore replaces `files`: false when the open database is
    // among them and the user keeps its unsaved changes.
    bool ConfirmRestoreOver(const QStringList& files);
    // After a restore wrote `files`: the open database is read again when
    // it was among them, so the next save cannot bring back the old grid.
    void ReloadAfterRestore(const QStringList& files);
    // The database this copy holds open (the lock), for the archive windows.
    QStringList HeldDatabases() const;
    // Tells what opening the database found and put right in its folder (a
    // restore that was interrupted, finished or undone).
    void TellDatabaseNotices();

    // ---- alerts and the tray ----
    void Timer1_Timer();
    void TrayNotify();
    void csSysTray1_IconClick();
    void csSysTray1_IconRightClick();
    // Starts or stops the tray icon's alert animation; the alert mail stops
    // it once the mail has gone (or failed).
    void TrayAnimation(bool on);
    // What time it is for the alert clock (tests step it instead of waiting).
    void SetAlertClock(std::function<QDateTime()> now);
    bool AlertFound = false;
private:
    void BuildAlerts();
    // To the tray; `decideTimer` switches the alert timer by AlertSwitch, a
    // clock it starts counting from `since`.
    void EnterTray(bool decideTimer, const QDateTime& since);
    // The notifier in the middle of the screen, the window in the tray.
    void PositionNotifier();
    Alerts::AlertTimer alertTimer_;
    bool checking_ = false;
    QDateTime startedAt_;   // for the alert clock of a start in the tray
    // ---- end of alerts and the tray ----
public:
    // ---- the schedule chart (Form1_Chart.cpp) ----
    void GetEmpChart();
    void GetEquipChart();
    void Option1_Click();
    void Option2_Click();
    void phGantX1_ObjectClick(const GanttItem& item);
    void phGantX1_MouseOverItem(const GanttItem& item);
    void phGantX1_ContextMenu(const QPoint& globalPos);
private:
    void ConnectChart();            // the chart's events, the tip box
    void BuildChart(int listing);
    bool chartBuilding_ = false;
    int chartPending_ = -1;         // a listing asked for while a build ran
    bool chartStale_ = false;       // the task grid changed since the last build

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class BusyGuard;
    void BuildWindow();
    void BuildMenus();
    void BuildListBar();
    void BuildToolBar();
    void KeyboardOrder();
    bool Shutdown();
    QAction* AddItem(QMenu* menu, const QString& name, const QString& caption, void (Form1::*handler)());
    void MirrorLocation();
    // Makes the open database's companion folder (with Tasks and Materials)
    // when it is missing. Returns what the user must be told: that the
    // folder (and the list file) were not found beside the database, as
    // after a database was moved alone; "" when the folder was there.
    QString EnsureCompanionFolder();
    void StoreDateWindow();   // From and To, saying so when they cannot be stored
    // ---- what the windows show the user (the Photo page, unsaved state) ----
    void ShowUnsaved(bool unsaved);
    void AdoptLegacyFiles();       // files named by an older Quillon, see DatabaseLocation
    QString lastDays_ = QStringLiteral("7");
    bool photoQueued_ = false;
    QString photoShown_;       // the document the Photo page was loaded from
    bool unloading_ = false;
    qint64 lastProgressMs_ = 0;
    QList<QAction*> items_;
};

// The height of the screen strip below the available desktop area (a
// panel docked at the bottom); 0 when the panel sits at another edge.
namespace taskbarsize {
int GetTaskbarHeight();
}

// Marks a long pass: the hourglass shows, and yields to the event loop
// (Form1::DoEvents) leave user input queued until the pass ends.
class BusyGuard {
public:
    explicit BusyGuard(Form1* form);
    ~BusyGuard();
private:
    QPointer<Form1> form_;
};

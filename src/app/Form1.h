#pragma once
// The main window: it owns the task database (Database: the task grid, its
// location, lock and saves) and shows its location; its pages, menus, list
// bar, toolbar and status bar. It opens the other windows and hands them the
// database they work on; windows below src/app never reach back into it.
// Form1::Get() is the single instance, for code in src/app.
//
// The pages and services with a state of their own are classes of their
// own, each handed what it needs (the database, a few callbacks) rather
// than this window: TasksPage (the date window), ChartPage, PhotoPage,
// TrayAlerts (the tray, the alert clock and the alert mail), StatusPanels
// (the progress), GridPasses (the long passes over the grid), PrintJobs and
// ProgramUtilities; DatabaseQuestions says what the user is told about the
// database, CommandBars builds the list bar and the toolbar. Form1 keeps
// the window, its menus and its dispatchers, the handlers under the names
// the other windows know (forwarding), and the controls by those names.
// (Tests start it through the fixture in tests/support/MainWindow.h, which
// also creates databases and tasks.)

#include <QMainWindow>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "app/BusyGuard.h"
#include "app/ChartPage.h"
#include "app/DatabaseQuestions.h"
#include "app/GridPasses.h"
#include "app/PhotoPage.h"
#include "app/PrintJobs.h"
#include "app/ProgramUtilities.h"
#include "app/StatusPanels.h"
#include "app/TasksPage.h"
#include "app/TrayAlerts.h"
#include "model/database/DatabaseNotices.h"
#include "model/database/TaskColumns.h"
#include "model/database/TaskCounter.h"
#include "model/database/TaskDatabase.h"
#include "model/database/TaskViews.h"
#include "platform/Grid.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "widgets/PictureViewer.h"

class Form18;
class Form6;
class GanttChart;
class GridView;
class MailSender;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolBox;
class Tray;
class UpdateChecker;
struct GanttItem;

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
    void mnuexit_Click() { UnloadAllForms(); }
    void mnuexit2_Click();

    // ---- database location (kept by Database, shown in Text1, lblpath, Label7) ----
    QString DatabaseFile() const { return Database.File(); }
    QString DatabaseFolder() const { return Database.Folder(); }   // ends with '/'
    QString DatabaseName() const { return Database.Name(); }
    QString CompanionFolder() const { return Database.CompanionFolder(); }   // DatabaseFolder + DatabaseName
    QString TasksFolder() const { return Database.TasksFolder(); }           // companion/Tasks
    QString MaterialsFolder() const { return Database.MaterialsFolder(); }   // companion/Materials
    QString ListFilePath() const { return Database.ListFilePath(); }   // DatabaseFolder + DatabaseName + ".ini"
    bool DatabaseOpen() const { return Database.IsOpen(); }   // a database file is named and was read
    // Saves Grid1 to DatabaseFile. A failure (or no open database) is told to
    // the user here, once, and false is returned so the caller can stop.
    bool SaveDatabase() { return DatabaseNotices::Save(Database); }
    // Says "no database is open" and returns false when none is.
    bool RequireDatabase() { return DatabaseNotices::RequireOpen(Database); }

    void SetGrid();
    // Both false (with the reason told) when the new file could not be
    // written; the open database then stays open, unchanged.
    bool NewData(const QString& path);
    bool FinishNew(const QString& path);
    bool Opendata(const QString& path);
    void mnunewd_Click();
    void mnuopend_Click();
    void mnudef_Click();

    // ---- progress and the date window ----
    void ShowProgress(bool show) { status_->ShowProgress(show); }
    // Moves Bar1 to `value` on each hundredth of it or every 50 ms; always on the last value.
    void StepProgress(int value) { status_->StepProgress(value); }
    void SetStatusText(const QString& text) { status_->SetText(text); }   // panel 1
    QString StatusText() const { return status_->Text(); }
    void GetDate() { passes_->ShowDateWindow(tasks_->From(), tasks_->Length()); }
    void GetDue();
    void StartToday();
    void SetPickerDate(const QDate& date) { tasks_->SetFrom(date); }   // from code: no DateChange event
    // "# Days" must be a number; otherwise says so, puts back the last
    // accepted count and returns false (the rows stay as they are).
    bool CheckDays() { return tasks_->CheckDays(); }
    void Command1_Click();      // Tasks page "&Refresh"
    void Command2_Click() { Command1_Click(); }   // chart page "&Refresh"
    void Command6_Click();      // "&Today"
    void Command7_Click() { mnuall_Click(); }              // "&View All"
    void Command5_Click() { passes_->ClearAlerts(true); }  // "&Clear Alerts"
    void mnuselstart_Click();
    void DatePicker1_DateChange();
    void Combo3_Click();
    void mnusort_Click();
    void mnusort2_Click();
    void Grid1_MouseDown(int button, int shift, int x, int y);

    // ---- statuses, filters, past due, counter, removal ----
    void ViewStatus(const QString& status) { passes_->ShowStatus(status, true); }   // the list bar's
    void mnuall_Click() { passes_->ShowAll(); }
    void mnusel_Click() { passes_->MatchSelected(); }
    void mnuready_Click() { passes_->ShowStatus(TaskStatus::kReady, false); }
    void mnuprog_Click() { passes_->ShowStatus(TaskStatus::kInProgress, false); }
    void mnuhold2_Click() { passes_->ShowStatus(TaskStatus::kOnHold, false); }
    void mnucomplete_Click() { passes_->ShowStatus(TaskStatus::kComplete, false); }
    void mnucanceled_Click() { passes_->ShowStatus(TaskStatus::kCanceled, false); }
    void mnupastdue_Click() { passes_->ShowStatus(TaskStatus::kPastDue, false); }
    void SetActiveStatus(const QString& status) { passes_->SetActiveStatus(status); }
    void mnured_Click() { SetActiveStatus(TaskStatus::kReady); }
    void mnuhold_Click() { SetActiveStatus(TaskStatus::kOnHold); }
    void mnucancel_Click() { SetActiveStatus(TaskStatus::kCanceled); }
    void mnucomp_Click() { SetActiveStatus(TaskStatus::kComplete); }
    void mnupast_Click() { SetActiveStatus(TaskStatus::kPastDue); }
    void mnuprog2_Click() { SetActiveStatus(TaskStatus::kInProgress); }
    void mnualert2_Click() { passes_->ClearAlerts(false); }
    void Getpast() { passes_->MarkPastDue(); }
    void GetCount() { TaskCounter::WriteRowCount(Grid1); }
    void ResortNum() { passes_->Recount(); }
    void Removeit() { passes_->Remove(); }
    void mnurem_Click() { Removeit(); }

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
    // The openers of the windows that work on Database (wired to this window).
    Form6* TaskEditor();        // the single task editor, loaded hidden when needed
    Form6* EditorForAdd();      // the list bar's "Add"
    Form6* EditorForEdit();     // the list bar's "Edit"; nullptr when refused
    Form18* Generator();        // "Auto Generate Selected Task", loaded
    // A list window whose Apply fills its field of the task editor.
    template <class ListWindowClass>
    ListWindowClass* ShowList();

    // ---- the chart page ----
    void GetChart() { chart_->Build(); }
    void GetEmpChart() { chart_->Build(ResourceChart::Listing::ByEmployee); }
    void GetEquipChart() { chart_->Build(ResourceChart::Listing::ByEquipment); }
    void Option1_Click() { GetEmpChart(); }
    void Option2_Click() { GetEquipChart(); }
    void Check1_Click() { chart_->StoreShowTip(); }
    void Command3_Click() { chart_->ZoomIn(); }    // "&Zoom In"
    void Command4_Click() { chart_->ZoomOut(); }   // "Zoom &Out"
    void phGantX1_ObjectClick(const GanttItem& item) { chart_->ZoomToBar(item); }
    void phGantX1_MouseOverItem(const GanttItem& item) { chart_->HoverTip(item); }
    void phGantX1_ContextMenu(const QPoint& globalPos);
    void mnuin_Click() { chart_->ZoomToSelected(); }
    void mnuout_Click() { chart_->ZoomOut(); }
    void mnugrefresh_Click() { Command2_Click(); }
    void mnupchart_Click() { mnupgantt_Click(); }

    // ---- the Photo page ----
    void LoadTaskPicture() { photo_->LoadTaskPicture(); }   // the ActiveTask's document into the viewer
    void Grid1_SelChange() { photo_->LoadTaskPicture(); }
    void Command30_Click() { IHViewPortX1->ZoomOut(); }    // "Zoom &Out"
    void Command31_Click() { IHViewPortX1->ZoomIn(); }     // "&Zoom In"
    void Command32_Click() { IHViewPortX1->BestFit(); }    // "&Best Fit"
    void Command33_Click() { IHViewPortX1->ActualSize(); } // "&Actual"
    void Command35_Click() { photo_->PrintPicture(); }     // "&Print"

    // ---- printing ----
    void FindExcel() { ProgramUtilities::FindSpreadsheetProgram(); }
    void PrintWork() { print_->WorkOrder(); }
    void mnupcost_Click() { print_->MaterialList(); }
    void mnumatre_Click() { mnupcost_Click(); }
    void mnupp_Click() { PrintWork(); }
    void mnuporder_Click() { PrintWork(); }
    void mtprint_Click() { print_->TaskGrid(); }
    void mnusht_Click() { mtprint_Click(); }
    void mnupgantt_Click() { chart_->PrintPreview(); }
    void mnuexcel_Click() { ProgramUtilities::SpreadsheetPathWindow(); }

    // ---- the tray, the alert and its mail ----
    void SetTray() { alerts_->SendToTrayAtStart(); }
    void mnutray_Click() { alerts_->SendToTray(); }
    // The toolbar's Tray goes to the tray on its own, not through the menu
    // command: whatever test that command makes before deciding the alert
    // clock, the toolbar decides it every time.
    void ToolbarTray() { alerts_->SendToTray(); }
    void mnurestore_Click() { alerts_->Restore(); }
    void csSysTray1_IconClick() { alerts_->IconClicked(); }
    void csSysTray1_IconRightClick() { alerts_->IconRightClicked(); }
    // Starts or stops the tray icon's alert animation; the alert mail stops
    // it once the mail has gone (or failed).
    void TrayAnimation(bool on) { alerts_->Animate(on); }
    // What time it is for the alert clock (tests step it instead of waiting).
    void SetAlertClock(std::function<QDateTime()> now) { alerts_->SetClock(std::move(now)); }
    void Timer1_Timer() { alerts_->Tick(); }
    void GetAlert() { alerts_->Check(); }
    void MatchAlerts() { ViewStatus(QString::fromLatin1(TaskStatus::kAlert)); }
    void TrayNotify() { alerts_->Notify(); }
    void MailNotify() { alerts_->MailAlert(); }   // the alert mail
    bool AlertFound() const { return alerts_->AlertFound(); }
    // The last alert mail's sender.
    std::shared_ptr<MailSender> MailSender1() const { return alerts_->LastSender(); }
    void mnuaon_Click();
    void mnuoff_Click();
    void mnunot_Click();
    void mnusetemail_Click();
    void mnuptray_Click() { alerts_->PositionNotifierAsked(); }

    // ---- e-mail ----
    // The send-mail window, loaded when it is not, with `attachment` in its box.
    void OpenMailWindow(const QString& attachment);
    void OpenAddressBook();
    void ApplyAddress(const QString& address);   // the address book's choice into MainMail

    // ---- backup and restore ----
    void mnubackup_Click();
    void mnures_Click();
    // Before a restore replaces `files`: false when the open database is
    // among them and the user keeps its unsaved changes.
    bool ConfirmRestoreOver(const QStringList& files) { return DatabaseQuestions::ConfirmRestoreOver(Database, files); }
    // After a restore wrote `files`: the open database is read again when
    // it was among them, so the next save cannot bring back the old grid.
    void ReloadAfterRestore(const QStringList& files);
    // The database this copy holds open (the lock), for the archive windows.
    QStringList HeldDatabases() const;
    // Tells what opening the database found and put right in its folder (a
    // restore that was interrupted, finished or undone).
    void TellDatabaseNotices();

    // ---- preferences, skins, update check, help ----
    void mnuskin_Click() { utilities_->ChangeSkin(); }
    void mnupref_Click() { utilities_->Preferences(); }
    QString GetSkinFile() { return ProgramUtilities::AskSkinFile(); }   // "" when cancelled
    void mnuupdate_Click() { axAutoUpdate1 = utilities_->StartUpdateCheck(); }
    void axAutoUpdate1_UpdateResult(const QString&, int status) { utilities_->TellUpdateResult(status); }
    void mnucont_Click() { ProgramUtilities::HelpContents(); }
    void mnuvisit_Click() { ProgramUtilities::WebPage(); }
    void mnuabout_Click() { ProgramUtilities::About(); }
    UpdateChecker* axAutoUpdate1 = nullptr;

    // ---- the database and the controls, by the names the other windows use ----
    TaskDatabase Database;       // the task database: grid, location, lock
    Grid& Grid1 = Database.Tasks();   // the task grid
    QLineEdit* Text3 = nullptr;     // GenerateInterval
    QLineEdit* Text4 = nullptr;     // GenerateCount
    QLabel* Label3 = nullptr;       // EditorMode: "1" add, "2" edit
    QLabel* SkinLabel1 = nullptr;   // AlertSwitch
    QTabWidget* SSTab1 = nullptr;
    QToolBar* Toolbar1 = nullptr;
    aaxRegistry aaxRegistry1;       // registry component
    aaxIniFile aaxIniFile1;         // INI-file component (the list file)
    struct FileToolbox {
        bool FileExists(const QString& path) const;
    } ArclabFileIOSystemToolbox1;   // file-system component
    QList<QIcon> ImageList2;        // the four 32x32 frames of the tray animation
    QMenu* mnuhid = nullptr;        // task-row pop-up
    QMenu* mnugan = nullptr;        // chart pop-up
    QMenu* mnutray1 = nullptr;      // tray pop-up
    QMenu* mnuprint1 = nullptr;
    QAction* mnuaon = nullptr;
    QAction* mnuoff = nullptr;
    // The pages' controls (each page owns and wires its own).
    QToolBox* Listbar1 = nullptr;
    QDateEdit* DatePicker1 = nullptr;
    QComboBox* Combo3 = nullptr;
    QPushButton *Command1 = nullptr, *Command5 = nullptr, *Command6 = nullptr, *Command7 = nullptr;
    QLabel* lblpath = nullptr;      // shows DatabaseFolder
    QLabel* Label7 = nullptr;       // shows DatabaseName
    GridView* Grid1View = nullptr;
    GanttChart* phGantX1 = nullptr;
    QRadioButton* Option1 = nullptr;   // "List By Employee"
    QRadioButton* Option2 = nullptr;   // "List By Equipment"
    QCheckBox* Check1 = nullptr;       // "Show Tip"
    QPushButton *Command2 = nullptr, *Command3 = nullptr, *Command4 = nullptr;
    PictureViewer* IHViewPortX1 = nullptr;
    QPushButton *Command30 = nullptr, *Command31 = nullptr, *Command32 = nullptr, *Command33 = nullptr,
                *Command35 = nullptr;
    QTimer* Timer1 = nullptr;
    Tray* csSysTray1 = nullptr;
    QSystemTrayIcon* Balloon1 = nullptr;   // the balloon: the tray icon's message
    QProgressBar* Bar1 = nullptr;
    QLabel* PanelUnsaved = nullptr;
    // Every menu item by its name (mnunewd, mnuopend, ...), for tests and
    // for windows that trigger menu commands.
    QAction* MenuItem(const QString& name) const;

    // True while a long pass or a recurrence run works on the grid; user
    // commands that would change the grid wait for it.
    bool Busy() const { return Database.Busy(); }
    // Lets pending paint and timer events run, but no user input.
    static void DoEvents() { YieldToEvents(); }

    // True while the grid holds changes whose save failed; the status bar
    // says so until a save succeeds.
    bool Unsaved() const { return Database.Unsaved(); }
    // Before the grid is closed or replaced: with unsaved changes, asks to
    // retry the save, save to another file, or discard them. False when the
    // user keeps the window as it is (or the changes are still unsaved).
    bool ResolveUnsaved() { return DatabaseQuestions::ResolveUnsaved(Database); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWindow();
    void BuildPages();
    void BuildMenus();
    bool Shutdown();
    void MirrorLocation();
    // The branches of the list bar and the toolbar that are more than a call.
    void ListAdd();
    void ListEdit();
    void ListDelete();
    void ListGenerate();
    void ListExcel();
    void ListHtml();
    void ShowColumns();
    void ShowPhoto();
    void MailTaskSheet();
    TrayAlerts::Sheet AlertSheet();

    QLineEdit* Text1 = nullptr;     // shows DatabaseFile
    QLabel* SkinLabel2 = nullptr;   // AlertBetween
    QLabel* SkinLabel3 = nullptr;   // LastCheck
    TasksPage* tasks_ = nullptr;
    ChartPage* chart_ = nullptr;
    PhotoPage* photo_ = nullptr;
    TrayAlerts* alerts_ = nullptr;
    StatusPanels* status_ = nullptr;
    std::unique_ptr<GridPasses> passes_;
    std::unique_ptr<PrintJobs> print_;
    ProgramUtilities* utilities_ = nullptr;
    bool unloading_ = false;
    QList<QAction*> items_;
};

// The height of the screen strip below the available desktop area (a
// panel docked at the bottom); 0 when the panel sits at another edge.
namespace taskbarsize {
int GetTaskbarHeight();
}

#include "app/Form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CommandBars.h"
#include "app/Form25.h"
#include "app/Form7.h"
#include "model/database/DatabaseLocation.h"
#include "platform/Colors.h"
#include "platform/DateText.h"
#include "platform/Dialogs.h"
#include "platform/FileOps.h"
#include "ui/alerts/NotifierAnimation.h"
#include "widgets/Forms.h"
#include "widgets/GanttChart.h"
#include "widgets/GridView.h"
#include "widgets/Skin.h"
#include "widgets/Tray.h"

namespace {
Form1* g_form1 = nullptr;
using Quillon::kTitle;
const QString kDatabaseFilter = QStringLiteral("Quillon Task(*.vkt)");
}  // namespace

// ---------------------------------------------------------------- lifetime

Form1::Form1() {
    g_form1 = this;
    setObjectName(QStringLiteral("Form1"));
    // Fifteen blanks before the name: the printed grid uses the caption as
    // its page header.
    setWindowTitle(QStringLiteral("               Quillon"));
    BuildWindow();
    passes_ = std::make_unique<GridPasses>(Database, *status_, this, [this] { Command1_Click(); });
    print_ = std::make_unique<PrintJobs>(Database, this);
    utilities_ = new ProgramUtilities({this, phGantX1, [this] { return DatabaseFolder(); }, [this] { Getpast(); },
                                       [this] { UnloadAllForms(); }});
    BuildMenus();
    ImageList2 = NotifierAnimation::TrayFrames();
    alerts_ = new TrayAlerts({this, &Database, [this] { return SkinLabel1->text(); }, [this] { MatchAlerts(); },
                              [this] { return AlertSheet(); }, mnutray1, &ImageList2});
    Timer1 = alerts_->Timer();
    csSysTray1 = alerts_->Icon();
    Balloon1 = csSysTray1;
    Dialogs::SetParentWindow(this);
    Database.SetLocationChanged([this] { MirrorLocation(); });
    Database.SetUnsavedChanged([this](bool unsaved) { status_->ShowUnsaved(unsaved); });
}

Form1::~Form1() {
    // The other windows work on this window's database: none outlives it.
    Forms::UnloadAll();
    if (g_form1 == this) g_form1 = nullptr;
}

Form1* Form1::Get() { return g_form1; }

BusyGuard::BusyGuard(Form1* form) : BusyGuard(form->Database, form) {}

// ---------------------------------------------------------------- layout

void Form1::BuildWindow() {
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(4, 4, 4, 0);
    SSTab1 = new QTabWidget(central);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    outer->addWidget(SSTab1);
    setCentralWidget(central);

    // Values other windows hand over through controls that are never shown.
    auto hidden = [this](auto* control, const char* name) {
        control->setParent(this);
        control->setObjectName(QLatin1String(name));
        control->hide();
        return control;
    };
    Text1 = hidden(new QLineEdit, "Text1");
    Text3 = hidden(new QLineEdit, "Text3");
    Text4 = hidden(new QLineEdit, "Text4");
    Label3 = hidden(new QLabel, "Label3");
    SkinLabel1 = hidden(new QLabel, "SkinLabel1");
    SkinLabel2 = hidden(new QLabel, "SkinLabel2");
    SkinLabel3 = hidden(new QLabel, "SkinLabel3");

    BuildPages();
    status_ = new StatusPanels(statusBar());
    Bar1 = status_->Progress();
    PanelUnsaved = status_->UnsavedPanel();
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    CommandBars::FillListBar(Listbar1, [this](const QString& item) { Listbar1_ItemClick(item); });
    CommandBars::FillToolBar(Toolbar1, [this](const QString& key) { Toolbar1_ButtonClick(key); });
    CommandBars::ChainReadingOrder(this, Toolbar1, SSTab1, Listbar1, DatePicker1);
}

// The three pages, in the order of their tabs, and their controls by the
// names the other windows know them.
void Form1::BuildPages() {
    tasks_ = new TasksPage(Grid1);
    SSTab1->addTab(tasks_, QStringLiteral("Tasks"));
    Listbar1 = tasks_->ListBar();
    DatePicker1 = tasks_->FromDate();
    Combo3 = tasks_->Days();
    Command1 = tasks_->RefreshButton();
    Command6 = tasks_->TodayButton();
    Command7 = tasks_->ViewAllButton();
    Command5 = tasks_->ClearAlertsButton();
    Label7 = tasks_->NameLabel();
    lblpath = tasks_->FolderLabel();
    Grid1View = tasks_->View();
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(tasks_, &TasksPage::FromChanged, this, &Form1::DatePicker1_DateChange);
    connect(tasks_, &TasksPage::DaysChosen, this, &Form1::Combo3_Click);
    connect(Grid1View, &GridView::MouseDown, this, &Form1::Grid1_MouseDown);
    connect(Grid1View, &GridView::MenuKey, this, [this](const QPoint& at) {
        mnuhid->popup(Grid1View->viewport()->mapToGlobal(at));
        // Opened by a key: the arrows start on the first item.
        if (!mnuhid->actions().isEmpty()) mnuhid->setActiveAction(mnuhid->actions().first());
    });

    chart_ = new ChartPage(Grid1, {[this] { return ListFilePath(); }, [this] { return DatePicker1->date(); },
                                   [this] { return Busy(); }, [this] { Command2_Click(); },
                                   [this](QPoint at) { phGantX1_ContextMenu(at); }});
    SSTab1->addTab(chart_, QStringLiteral("&Task Schedule Chart"));
    phGantX1 = chart_->Chart();
    Option1 = chart_->ByEmployee();
    Option2 = chart_->ByEquipment();
    Check1 = chart_->ShowTip();
    Command2 = chart_->RefreshButton();
    Command3 = chart_->ZoomInButton();
    Command4 = chart_->ZoomOutButton();
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        if (SSTab1->widget(index) == chart_) chart_->TurnedTo();
    });

    photo_ = new PhotoPage(Grid1, Grid1View);
    SSTab1->addTab(photo_, QStringLiteral("Photo"));
    IHViewPortX1 = photo_->Viewer();
    Command30 = photo_->ZoomOutButton();
    Command31 = photo_->ZoomInButton();
    Command32 = photo_->BestFitButton();
    Command33 = photo_->ActualButton();
    Command35 = photo_->PrintButton();
}

// ---------------------------------------------------------------- start-up

void Form1::Form_Load() {
    // Start-up writes settings through several steps (the counter, the
    // spreadsheet path): any of them failing is said once the window is up.
    const int failedWrites = RegistryStore::WriteFailures();
    alerts_->MarkStart();
    Forms::Show<Form25>();                                  // 1. splash
    Skin::ApplyCurrent(this);                               // 2. skin
    csSysTray1->hide();                                     // 3. no tray icon while shown
    DoEvents();                                             // 4. let the splash paint
    GetSet();                                               // 5. settings
    QString startProblem = DatabaseQuestions::OpenAtStart(Database);   // 6. (told once the window is up)
    GetResolution();                                        // 7.
    FindExcel();                                            // 8.
    Timer1->stop();                                         // 9.
    Grid1.SetColumnWidth(Col::Document, 0);                 // 10.
    tasks_->FillDayList();                                  // 12. "1".."365", keeping the text
    SSTab1->setCurrentIndex(0);                             // 13.
    GetDue();                                               // 14.
    Getpast();                                              // 15.
    if (DatabaseOpen()) ResortNum();                        // 16. (a first start writes nothing)
    File1Path = TasksFolder();                              // 17.
    File2Path = MaterialsFolder();
    // 18. The picker keeps the date the rows were just filtered by: showing
    // today over rows of another window would misstate what is shown.
    tasks_->AcceptDays();
    if (RegistryStore::WriteFailures() != failedWrites) {
        if (!startProblem.isEmpty()) startProblem += QStringLiteral("\n\n");
        startProblem += Settings::NotSaved(QStringLiteral("Some of Quillon's settings"));
    }
    // The window is up before the start-up options, so that starting in the
    // tray can hide it again.
    show();
    TellDatabaseNotices();
    if (!startProblem.isEmpty()) {
        Forms::Unload<Form25>();
        MsgBox(startProblem, vb::vbExclamation, kTitle);
    }
    if (DatabaseOpen() && !Database.DateNotice().isEmpty()) {
        Forms::Unload<Form25>();
        MsgBox(Database.DateNotice(), vb::vbInformation, kTitle);
    }
    LoadStart();                                            // 19.
    Forms::Unload<Form25>();                                // 20. (21: its hourglass goes with it)
}

void Form1::GetSet() {
    aaxRegistry& reg = aaxRegistry1;
    reg.Root(QStringLiteral("HKEY_CURRENT_USER"));
    reg.OpenKey(QStringLiteral("Software\\Quillon\\Settings"));
    const QString title = reg.GetValue(QStringLiteral("FileTitle"));

    reg.OpenKey(QStringLiteral("Software\\Quillon\\Chart"));
    if (auto back = Colors::Parse(reg.GetValue(QStringLiteral("BackColor")))) phGantX1->BackColor = *back;
    if (auto fore = Colors::Parse(reg.GetValue(QStringLiteral("ForeColor")))) phGantX1->PyjamasColor = *fore;
    phGantX1->ShowGrid = true;
    phGantX1->update();

    reg.OpenKey(QStringLiteral("Software\\Quillon\\Dates"));
    if (auto from = DateText::ParseSettingDate(reg.GetValue(QStringLiteral("From")))) SetPickerDate(*from);
    // Nothing stored (a first start): the box keeps its 7 days rather than
    // showing nothing over rows filtered by a window of none.
    const QString days = reg.GetValue(QStringLiteral("To"));
    if (!days.trimmed().isEmpty()) Combo3->setEditText(days);

    reg.OpenKey(QStringLiteral("Software\\Quillon\\Settings"));
    const QString path = reg.GetValue(QStringLiteral("Path"));
    Database.SetLocation(reg.GetValue(QStringLiteral("Default")),
                         path.isEmpty() ? QString() : FileOps::WithTrailingSlash(path), title);
    SkinLabel1->setText(reg.GetValue(QStringLiteral("Alert")));
    bool on = false;
    const bool alertOn = SkinLabel1->text().toInt(&on) == 1 && on;
    mnuaon->setChecked(alertOn);
    mnuoff->setChecked(!alertOn);
    SkinLabel2->setText(reg.GetValue(QStringLiteral("AlertBetween")));
    SkinLabel3->setText(reg.GetValue(QStringLiteral("LastCheck")));

    reg.OpenKey(QStringLiteral("Software\\Quillon\\Tips"));
    bool ok = false;
    const int flag = reg.GetValue(QStringLiteral("DateFlag")).trimmed().toInt(&ok);
    if (ok) Check1->setChecked(flag != 0);
}

int taskbarsize::GetTaskbarHeight() {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return 0;
    const QRect full = s->geometry();
    const QRect avail = s->availableGeometry();
    return std::max(0, full.bottom() - avail.bottom());
}

int Form1::GetTaskbarHeight() { return taskbarsize::GetTaskbarHeight(); }

bool Form1::FileToolbox::FileExists(const QString& path) const { return FileOps::FileExists(path); }

void Form1::GetResolution() {
    // The screen's available area, so a panel at any edge never covers it.
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    setGeometry(s->availableGeometry());
}

void Form1::LoadStart() {
    bool ok = false;
    if (Settings::Get(QStringLiteral("Settings"), QStringLiteral("Startup")).trimmed().toInt(&ok) == 1 && ok)
        SetTray();
    ok = false;
    if (Settings::Get(QStringLiteral("Settings"), QStringLiteral("Today")).trimmed().toInt(&ok) == 1 && ok)
        StartToday();
}

// ---------------------------------------------------------------- shutdown

// The one way the program ends, from File, Exit and from closing the window.
// False when it does not end now (already ending, or the user kept the
// window for changes a failed save left).
bool Form1::Shutdown() {
    if (unloading_) return false;
    if (!ResolveUnsaved()) return false;
    unloading_ = true;
    Timer1->stop();
    csSysTray1->hide();
    Forms::UnloadAll();    // every other window
    QCoreApplication::quit();
    return true;
}

void Form1::UnloadAllForms() {
    if (Shutdown()) close();
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closed by the shutdown itself, or ended now; otherwise the user kept
    // the window for its unsaved changes.
    if (!unloading_ && !Shutdown()) {
        event->ignore();
        return;
    }
    event->accept();
}

void Form1::mnuexit2_Click() {
    Timer1->stop();
    UnloadAllForms();
}

// ---------------------------------------------------------------- location

// The controls show where the database is; the database object keeps it.
void Form1::MirrorLocation() {
    Text1->setText(Database.File());
    lblpath->setText(Database.Folder());
    Label7->setText(Database.Name());
}

// ---------------------------------------------------------------- database

void Form1::SetGrid() { TaskDatabase::SetHeaders(Grid1); }

bool Form1::NewData(const QString& path) {
    DoEvents();
    // The open database stays open until the new file is on disk.
    const TaskDatabase::Result created = Database.Create(path);
    if (!created) {
        MsgBox(QStringLiteral("The database \"%1\" could not be created: %2").arg(path, created.reason),
               vb::vbCritical, kTitle);
        return false;
    }
    return true;
}

void Form1::mnunewd_Click() {
    QString path = Dialogs::Get().SaveFileName(QStringLiteral("Create Or Overwrite A Database:"), kDatabaseFilter,
                                               QCoreApplication::applicationDirPath());
    if (path.isEmpty()) return;
    if (!ResolveUnsaved()) return;
    // A name typed without the extension ("plant", "plant.2027") still names
    // a Quillon database; the dialog asked about the name as typed, so an
    // existing file under the full name is asked about here.
    if (QFileInfo(path).suffix().compare(QLatin1String("vkt"), Qt::CaseInsensitive) != 0) {
        path += QStringLiteral(".vkt");
        if (FileOps::FileExists(path) &&
            MsgBox(QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path),
                   vb::vbYesNo | vb::vbExclamation | vb::vbDefaultButton2, kTitle) != vb::vbYes)
            return;
    }
    FinishNew(path);
}

bool Form1::FinishNew(const QString& path) {
    // A file that could not be written is not offered as the default and
    // moves no setting.
    if (!NewData(path)) return false;
    const int answer = MsgBox(QStringLiteral("Set This Database To Load Each Time You Start Quillon?"),
                              vb::vbYesNo | vb::vbCritical | vb::vbDefaultButton2, kTitle);
    const auto parts = DatabaseLocation::Derive(path);
    if (answer == vb::vbYes && !(Settings::Set(QStringLiteral("Settings"), QStringLiteral("Default"), path) &&
                                 Settings::Set(QStringLiteral("Settings"), QStringLiteral("Path"), parts.folder) &&
                                 Settings::Set(QStringLiteral("Settings"), QStringLiteral("FileTitle"), parts.name)))
        MsgBox(Settings::NotSaved(QStringLiteral("The default database")), vb::vbExclamation, kTitle);
    SetPickerDate(QDate::currentDate());
    Combo3->setEditText(QStringLiteral("30"));
    tasks_->AcceptDays();
    tasks_->StoreWindow();
    File1Path = TasksFolder();
    File2Path = MaterialsFolder();
    return true;
}

void Form1::mnuopend_Click() {
    const QString path = Dialogs::Get().OpenFileName(QStringLiteral("Open A Database:"), kDatabaseFilter,
                                                     DatabaseFolder());
    if (path.isEmpty()) return;
    if (!ResolveUnsaved()) return;
    if (Opendata(path)) GetDue();   // the rows as the date window shows them
}

bool Form1::Opendata(const QString& path) {
    DoEvents();
    // The grid is replaced only by a file that read completely; otherwise the
    // open database stays open and nothing is written anywhere.
    const TaskDatabase::Result opened = Database.Open(path);
    TellDatabaseNotices();
    if (!opened) {
        MsgBox(QStringLiteral("The database \"%1\" could not be opened: %2").arg(path, opened.reason), vb::vbCritical,
               kTitle);
        return false;
    }
    GetCount();
    DatabaseQuestions::AdoptLegacyFiles(Database);
    const QString companionNotice = DatabaseQuestions::EnsureCompanionFolder(Database);
    File1Path = TasksFolder();
    File2Path = MaterialsFolder();
    ResortNum();
    if (!companionNotice.isEmpty()) MsgBox(companionNotice, vb::vbExclamation, kTitle);
    if (!Database.DateNotice().isEmpty()) MsgBox(Database.DateNotice(), vb::vbInformation, kTitle);
    return true;
}

void Form1::mnudef_Click() { Forms::Show<Form7>(Database); }

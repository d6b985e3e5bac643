#include "app/Form1.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolBox>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/alerts/NotifierAnimation.h"
#include "app/Form25.h"
#include "app/Form7.h"
#include "model/database/DatabaseLocation.h"
#include "model/database/DatabaseNotices.h"
#include "model/database/DateWindow.h"
#include "platform/Colors.h"
#include "widgets/DateField.h"
#include "platform/DateText.h"
#include "platform/Dialogs.h"
#include "platform/FileOps.h"
#include "widgets/Forms.h"
#include "widgets/GanttChart.h"
#include "widgets/GridView.h"
#include "widgets/PictureViewer.h"
#include "platform/Registry.h"
#include "widgets/Skin.h"
#include "widgets/Tray.h"

namespace {
Form1* g_form1 = nullptr;
using Quillon::kTitle;
const QString kDatabaseFilter = QStringLiteral("Quillon Task(*.vkt)");

qint64 NowMs() {
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    return clock.elapsed();
}
}  // namespace

// ---------------------------------------------------------------- lifetime

Form1::Form1() {
    g_form1 = this;
    setObjectName(QStringLiteral("Form1"));
    // Fifteen blanks before the name: the printed grid uses the caption as
    // its page header.
    setWindowTitle(QStringLiteral("               Quillon"));
    BuildWindow();
    BuildMenus();
    Balloon1 = csSysTray1;
    ImageList2 = NotifierAnimation::TrayFrames();
    BuildAlerts();
    Dialogs::SetParentWindow(this);
    Database.SetLocationChanged([this] { MirrorLocation(); });
    Database.SetUnsavedChanged([this](bool unsaved) { ShowUnsaved(unsaved); });
}

Form1::~Form1() {
    // The other windows work on this window's database: none outlives it.
    Forms::UnloadAll();
    if (g_form1 == this) g_form1 = nullptr;
}

Form1* Form1::Get() { return g_form1; }

BusyGuard::BusyGuard(Form1* form) : form_(form) {
    if (form_) form_->Database.BeginBusy();
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyGuard::~BusyGuard() {
    if (form_) form_->Database.EndBusy();
    QApplication::restoreOverrideCursor();
}

void Form1::DoEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

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
    auto hiddenEdit = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->hide();
        return e;
    };
    auto hiddenLabel = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->hide();
        return l;
    };
    Text1 = hiddenEdit("Text1");
    Text3 = hiddenEdit("Text3");
    Text4 = hiddenEdit("Text4");
    Label3 = hiddenLabel("Label3");
    SkinLabel1 = hiddenLabel("SkinLabel1");
    SkinLabel2 = hiddenLabel("SkinLabel2");
    SkinLabel3 = hiddenLabel("SkinLabel3");

    // Tasks page: list bar on the left, date window and grid on the right.
    auto* tasks = new QWidget;
    auto* tasksLayout = new QHBoxLayout(tasks);
    auto* split = new QSplitter(Qt::Horizontal, tasks);
    tasksLayout->addWidget(split);
    Listbar1 = new QToolBox;
    Listbar1->setObjectName(QStringLiteral("Listbar1"));
    Listbar1->setMinimumWidth(150);
    split->addWidget(Listbar1);

    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("From Date:")));
    DatePicker1 = NewDateField();
    DatePicker1->setDate(QDate::currentDate());
    DatePicker1->setObjectName(QStringLiteral("DatePicker1"));
    bar->addWidget(DatePicker1);
    bar->addWidget(new QLabel(QStringLiteral("# Days")));
    Combo3 = new QComboBox;
    Combo3->setObjectName(QStringLiteral("Combo3"));
    Combo3->setEditable(true);
    Combo3->setInsertPolicy(QComboBox::NoInsert);
    Combo3->setEditText(QStringLiteral("7"));
    Combo3->setMinimumWidth(70);
    bar->addWidget(Combo3);
    auto button = [](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    Command1 = button("Command1", QStringLiteral("&Refresh"));
    Command6 = button("Command6", QStringLiteral("&Today"));
    Command7 = button("Command7", QStringLiteral("&View All"));
    Command5 = button("Command5", QStringLiteral("&Clear Alerts"));
    for (auto* b : {Command1, Command6, Command7, Command5}) bar->addWidget(b);
    bar->addStretch(1);
    rightLayout->addLayout(bar);
    auto* where = new QHBoxLayout;
    where->addWidget(new QLabel(QStringLiteral("Database:")));
    Label7 = new QLabel;
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setStyleSheet(QStringLiteral("font-weight: bold"));
    where->addWidget(Label7);
    lblpath = new QLabel;
    lblpath->setObjectName(QStringLiteral("lblpath"));
    lblpath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path must not make the window wider than the screen.
    lblpath->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblpath->setMinimumWidth(40);
    where->addWidget(lblpath, 1);
    rightLayout->addLayout(where);
    Grid1View = new GridView(&Grid1);
    Grid1View->setObjectName(QStringLiteral("Grid1"));
    rightLayout->addWidget(Grid1View, 1);
    split->addWidget(right);
    split->setStretchFactor(1, 1);
    SSTab1->addTab(tasks, QStringLiteral("Tasks"));

    // Chart page.
    auto* chart = new QWidget;
    auto* chartLayout = new QVBoxLayout(chart);
    auto* chartBar = new QHBoxLayout;
    Option1 = new QRadioButton(QStringLiteral("List By Employee"));
    Option1->setObjectName(QStringLiteral("Option1"));
    Option1->setChecked(true);
    Option2 = new QRadioButton(QStringLiteral("List By Equipment"));
    Option2->setObjectName(QStringLiteral("Option2"));
    Check1 = new QCheckBox(QStringLiteral("Show Tip"));
    Check1->setObjectName(QStringLiteral("Check1"));
    Command2 = button("Command2", QStringLiteral("&Refresh"));
    Command3 = button("Command3", QStringLiteral("&Zoom In"));
    Command4 = button("Command4", QStringLiteral("Zoom &Out"));
    for (QWidget* w : std::initializer_list<QWidget*>{Option1, Option2, Check1, Command2, Command3, Command4})
        chartBar->addWidget(w);
    chartBar->addStretch(1);
    chartLayout->addLayout(chartBar);
    phGantX1 = new GanttChart;
    phGantX1->setObjectName(QStringLiteral("phGantX1"));
    chartLayout->addWidget(phGantX1, 1);
    SSTab1->addTab(chart, QStringLiteral("&Task Schedule Chart"));

    // Photo page.
    auto* photo = new QWidget;
    auto* photoLayout = new QVBoxLayout(photo);
    IHViewPortX1 = new PictureViewer(photo);
    IHViewPortX1->setObjectName(QStringLiteral("IHViewPortX1"));
    photoLayout->addWidget(IHViewPortX1);
    SSTab1->addTab(photo, QStringLiteral("Photo"));
    BuildPhotoPage();

    // Status bar: text, progress (hidden between passes), time.
    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    Panel1 = new QLabel;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel2 = new QLabel;
    Panel2->setMinimumWidth(220);
    auto* panel2Layout = new QHBoxLayout(Panel2);
    panel2Layout->setContentsMargins(0, 0, 0, 0);
    Bar1 = new QProgressBar(Panel2);
    Bar1->setObjectName(QStringLiteral("Bar1"));
    Bar1->setTextVisible(false);
    Bar1->hide();
    panel2Layout->addWidget(Bar1);
    Panel3 = new QLabel;
    Panel3->setObjectName(QStringLiteral("Panel3"));
    StatusBar1->addWidget(Panel1, 1);
    StatusBar1->addPermanentWidget(Panel2);
    StatusBar1->addPermanentWidget(Panel3);
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, [this] { Panel3->setText(QTime::currentTime().toString("HH:mm")); });
    clock->start(1000);
    Panel3->setText(QTime::currentTime().toString("HH:mm"));

    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(60);
    csSysTray1 = new Tray(this);
    csSysTray1->setToolTip(kTitle);

    BuildListBar();
    BuildToolBar();
    KeyboardOrder();

    // Events of the controls.
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(DatePicker1, &QDateEdit::dateChanged, this, [this] { DatePicker1_DateChange(); });
    // The box also reports an activation when it merely loses the focus (the
    // window going to the tray, another window activated); only a length the
    // user changed re-runs the date window, so an alert's filter survives.
    connect(Combo3, &QComboBox::activated, this, [this] {
        if (Combo3->currentText() != lastDays_) Combo3_Click();
    });
    connect(Check1, &QCheckBox::clicked, this, [this] { Check1_Click(); });
    connect(Option1, &QRadioButton::clicked, this, [this] { Option1_Click(); });
    connect(Option2, &QRadioButton::clicked, this, [this] { Option2_Click(); });
    ConnectChart();
    connect(Grid1View, &GridView::MouseDown, this,
            [this](int b, int s, int x, int y) { Grid1_MouseDown(b, s, x, y); });
    connect(Grid1View, &GridView::MenuKey, this, [this](const QPoint& at) {
        mnuhid->popup(Grid1View->viewport()->mapToGlobal(at));
        // Opened by a key: the arrows start on the first item.
        if (!mnuhid->actions().isEmpty()) mnuhid->setActiveAction(mnuhid->actions().first());
    });
}

void Form1::KeyboardOrder() {
    // Tab reads the window: the toolbar, the page tabs, the list bar (each
    // group's caption, then its items), then the date bar, the grid and the
    // other pages' controls in the order they were made. The list bar's
    // items and the toolbar's buttons are made last, so without this they
    // would come last.
    std::vector<QWidget*> order = Forms::ReadingOrder(Toolbar1);
    order.push_back(SSTab1->tabBar());
    const QList<QAbstractButton*> captions = Listbar1->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
    for (int i = 0; i < Listbar1->count(); ++i) {
        if (i < captions.size()) order.push_back(captions[i]);
        order.push_back(Listbar1->widget(i));
    }
    const std::vector<QWidget*> head = order;
    for (QWidget* w = DatePicker1; w && w != this; w = w->nextInFocusChain()) {
        if (std::find(head.begin(), head.end(), w) != head.end()) break;
        if (w->window() == this && !w->focusProxy() && (w->focusPolicy() & Qt::TabFocus)) order.push_back(w);
    }
    Forms::ChainTabOrder(order);
    // The page tabs are the stop; the tab widget itself, which would hand
    // the focus on to them, would be a second one where it was made (before
    // the toolbar).
    SSTab1->setFocusProxy(nullptr);
    SSTab1->setFocusPolicy(Qt::NoFocus);
    // The frames around the groups' lists are no stop of their own.
    for (QScrollArea* frame : Listbar1->findChildren<QScrollArea*>()) frame->setFocusPolicy(Qt::NoFocus);
    // A keyboard starts on the list bar's "Add".
    Listbar1->widget(0)->setFocus();
}

QAction* Form1::AddItem(QMenu* menu, const QString& name, const QString& caption, void (Form1::*handler)()) {
    auto* a = menu->addAction(caption);
    a->setObjectName(name);
    if (handler) connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    items_.append(a);
    return a;
}

QAction* Form1::MenuItem(const QString& name) const {
    for (QAction* a : items_)
        if (a->objectName() == name) return a;
    return nullptr;
}

void Form1::BuildMenus() {
    QMenuBar* mb = menuBar();
    auto top = [&](const char* name, const QString& caption) {
        QMenu* m = mb->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        items_.append(m->menuAction());
        return m;
    };
    auto sub = [&](QMenu* parent, const char* name, const QString& caption) {
        QMenu* m = parent->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        m->menuAction()->setObjectName(QLatin1String(name));
        items_.append(m->menuAction());
        return m;
    };

    QMenu* file = top("mnufile", "&File");
    AddItem(file, "mnunewd", "New Database", &Form1::mnunewd_Click);
    AddItem(file, "mnuopend", "Open Database", &Form1::mnuopend_Click);
    AddItem(file, "mnuskin", "Change Skin", &Form1::mnuskin_Click);
    AddItem(file, "mnusht", "Print Task Grid", &Form1::mnusht_Click);
    AddItem(file, "mnupref", "Preferences", &Form1::mnupref_Click);
    AddItem(file, "mnudef", "Set Default Database", &Form1::mnudef_Click);
    AddItem(file, "mnuexit", "Exit Quillon", &Form1::mnuexit_Click);

    QMenu* setup = top("mnusetup", "&Setup");
    AddItem(setup, "mnuequip", "Add Equipment", &Form1::mnuequip_Click);
    AddItem(setup, "mnueploy", "Add Employees", &Form1::mnueploy_Click);
    AddItem(setup, "mnuptype", "Add Task Types", &Form1::mnuptype_Click);
    AddItem(setup, "mnuexcel", "Set Path To Excel", &Form1::mnuexcel_Click);

    // The task-row pop-up: not in the menu bar.
    mnuhid = new QMenu(QStringLiteral("&Selected Menu"), this);
    mnuhid->setObjectName(QStringLiteral("mnuhid"));
    AddItem(mnuhid, "mnuselstart", "Select As From Date", &Form1::mnuselstart_Click);
    QMenu* filt = sub(mnuhid, "mnufilt", "Filters");
    AddItem(filt, "mnusel", "Match Only Selected", &Form1::mnusel_Click);
    AddItem(filt, "mnuall", "View All", &Form1::mnuall_Click);
    AddItem(filt, "mnuready", "View Ready", &Form1::mnuready_Click);
    AddItem(filt, "mnuprog", "View In Progress", &Form1::mnuprog_Click);
    AddItem(filt, "mnuhold2", "View On Hold", &Form1::mnuhold2_Click);
    AddItem(filt, "mnucomplete", "View Complete", &Form1::mnucomplete_Click);
    AddItem(filt, "mnucanceled", "View Canceled", &Form1::mnucanceled_Click);
    AddItem(filt, "mnupastdue", "View Past Due", &Form1::mnupastdue_Click);
    QMenu* stat = sub(mnuhid, "mnustat", "Change Status");
    AddItem(stat, "mnured", "Ready", &Form1::mnured_Click);
    AddItem(stat, "mnuhold", "On Hold", &Form1::mnuhold_Click);
    AddItem(stat, "mnucancel", "Canceled", &Form1::mnucancel_Click);
    AddItem(stat, "mnucomp", "Complete", &Form1::mnucomp_Click);
    AddItem(stat, "mnupast", "Past Due", &Form1::mnupast_Click);
    AddItem(stat, "mnuprog2", "In Progress", &Form1::mnuprog2_Click);
    AddItem(mnuhid, "mnutype", "Change Type", &Form1::mnutype_Click);
    AddItem(mnuhid, "mnuassigned", "Change Assigned To", &Form1::mnuassigned_Click);
    QMenu* dates = sub(mnuhid, "mnudates", "Change Dates");
    AddItem(dates, "mnurequest", "Request Date", &Form1::mnurequest_Click);
    AddItem(dates, "mnustart", "Scheduled Start", &Form1::mnustart_Click);
    AddItem(dates, "mnuebd", "Scheduled End", &Form1::mnuebd_Click);
    AddItem(mnuhid, "mnudesc", "Change Equipment", &Form1::mnudesc_Click);
    AddItem(mnuhid, "mnudup", "Auto Generate Duplicate Tasks", &Form1::mnudup_Click);
    AddItem(mnuhid, "mnurem", "Remove Selected", &Form1::mnurem_Click);
    AddItem(mnuhid, "mnumatre", "Print Material List", &Form1::mnumatre_Click);
    AddItem(mnuhid, "mnupp", "Print Work Order", &Form1::mnupp_Click);
    QMenu* srt = sub(mnuhid, "mnusrt", "Sort Selected Column");
    AddItem(srt, "mnusort", "Sort Ascending", &Form1::mnusort_Click);
    AddItem(srt, "mnusort2", "Sort Descending", &Form1::mnusort2_Click);

    // The chart pop-up.
    mnugan = new QMenu(QStringLiteral("&Gantt"), this);
    mnugan->setObjectName(QStringLiteral("mnugan"));
    AddItem(mnugan, "mnuin", "Zoom In", &Form1::mnuin_Click);
    AddItem(mnugan, "mnuout", "Zoom Out", &Form1::mnuout_Click);
    AddItem(mnugan, "mnugrefresh", "Refresh", &Form1::mnugrefresh_Click);
    AddItem(mnugan, "mnupchart", "Print Chart", &Form1::mnupchart_Click);

    mnuprint1 = top("mnuprint1", "&Print Menu");
    AddItem(mnuprint1, "mnuporder", "Print Selected Work Order", &Form1::mnuporder_Click);
    AddItem(mnuprint1, "mnupcost", "Print Selected Material List", &Form1::mnupcost_Click);
    AddItem(mnuprint1, "mnupgantt", "Print Gantt Chart", &Form1::mnupgantt_Click);
    AddItem(mnuprint1, "mtprint", "Print Grid", &Form1::mtprint_Click);

    QMenu* util = top("mnuutil", "&Utilities");
    AddItem(util, "mnubackup", "Backup", &Form1::mnubackup_Click);
    AddItem(util, "mnures", "Restore", &Form1::mnures_Click);
    AddItem(util, "mnutray", "System Tray", &Form1::mnutray_Click);

    QMenu* alert = top("mnualert", "&Alerts");
    mnuaon = AddItem(alert, "mnuaon", "Alert On", &Form1::mnuaon_Click);
    mnuoff = AddItem(alert, "mnuoff", "Alert Off", &Form1::mnuoff_Click);
    mnuaon->setCheckable(true);
    mnuoff->setCheckable(true);
    AddItem(alert, "mnunot", "Alert Options", &Form1::mnunot_Click);
    AddItem(alert, "mnusetemail", "Setup Up Email Alert", &Form1::mnusetemail_Click);
    AddItem(alert, "mnuptray", "Position Notifier", &Form1::mnuptray_Click);
    AddItem(alert, "mnualert2", "Clea", &Form1::mnualert2_Click);

    QMenu* net = top("mnunet", "&Network");
    AddItem(net, "mnumap", "Map A Network Drive", nullptr);
    AddItem(net, "mnunetpath", "Set Network Path", nullptr);

    // The tray pop-up.
    mnutray1 = new QMenu(QStringLiteral("&Tray"), this);
    mnutray1->setObjectName(QStringLiteral("mnutray1"));
    AddItem(mnutray1, "mnurestore", "Restore", &Form1::mnurestore_Click);
    AddItem(mnutray1, "mnuexit2", "Exit Quillon", &Form1::mnuexit2_Click);
    csSysTray1->setContextMenu(mnutray1);

    QMenu* help = top("mnuhelp", "&Help");
    AddItem(help, "mnuupdate", "Check For Update", &Form1::mnuupdate_Click);
    AddItem(help, "mnucont", "Help Contents", &Form1::mnucont_Click);
    AddItem(help, "mnuvisit", "Quillon On The Web", &Form1::mnuvisit_Click);
    AddItem(help, "mnuabout", "About", &Form1::mnuabout_Click);
}

// ---------------------------------------------------------------- start-up

void Form1::Form_Load() {
    // Start-up writes settings through several steps (the counter, the
    // spreadsheet path): any of them failing is said once the window is up.
    const int failedWrites = RegistryStore::WriteFailures();
    startedAt_ = alertTimer_.Now();
    Forms::Show<Form25>();                                  // 1. splash
    Skin::ApplyCurrent(this);                               // 2. skin
    csSysTray1->hide();                                     // 3. no tray icon while shown
    DoEvents();                                             // 4. let the splash paint
    GetSet();                                               // 5. settings

    // 6. The default database, when there is one. A file that is missing or
    // cannot be read is said so and left alone: no database is open, so no
    // command can save an empty grid over it.
    const QString file = DatabaseFile();
    QString error;
    QString startProblem;   // told once the main window is up, over it
    TaskDatabase::Result opened;
    if (!file.isEmpty() && FileOps::FileExists(file) && (opened = Database.Open(file))) {
        // The name follows the file (Open derives it), whatever an older
        // Quillon stored; the files it kept under that older name come over.
        AdoptLegacyFiles();
        startProblem = EnsureCompanionFolder();
    } else {
        error = opened.reason;
        SetGrid();
        // No database is open: none is named.
        Database.SetLocation(file, QString(), QString());
        if (!file.isEmpty() && !FileOps::FileExists(file))
            startProblem = QStringLiteral("The default database \"%1\" was not found.\nNo database is open.").arg(file);
        else if (!file.isEmpty() && opened.inUse)
            startProblem = QStringLiteral("The default database \"%1\" was not opened because %2\nNo database is open.")
                               .arg(file, error);
        else if (!file.isEmpty())
            startProblem =
                QStringLiteral("The default database \"%1\" could not be read: %2\nNo database is open.").arg(file, error);
    }
    GetResolution();                                        // 7.
    FindExcel();                                            // 8.
    Timer1->stop();                                         // 9.
    Grid1.SetColumnWidth(Col::Document, 0);                 // 10.
    {                                                       // 12. "1".."365", keeping the text
        const QString text = Combo3->currentText();
        QSignalBlocker block(Combo3);
        QStringList days;
        days.reserve(365);
        for (int i = 1; i <= 365; ++i) days << QString::number(i);
        Combo3->clear();
        Combo3->addItems(days);
        Combo3->setEditText(text);
    }
    SSTab1->setCurrentIndex(0);                             // 13.
    GetDue();                                               // 14.
    Getpast();                                              // 15.
    if (DatabaseOpen()) ResortNum();                        // 16. (a first start writes nothing)
    // 18. The picker keeps the date the rows were just filtered by: showing
    // today over rows of another window would misstate what is shown.
    lastDays_ = Combo3->currentText();
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

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
}

void Form1::mnuexit_Click() { UnloadAllForms(); }

void Form1::mnuexit2_Click() {
    Timer1->stop();
    UnloadAllForms();
}

// ---------------------------------------------------------------- location

QString Form1::DatabaseFile() const { return Database.File(); }
QString Form1::DatabaseFolder() const { return Database.Folder(); }
QString Form1::DatabaseName() const { return Database.Name(); }
QString Form1::CompanionFolder() const { return Database.CompanionFolder(); }
QString Form1::TasksFolder() const { return Database.TasksFolder(); }
QString Form1::MaterialsFolder() const { return Database.MaterialsFolder(); }
QString Form1::ListFilePath() const { return Database.ListFilePath(); }
bool Form1::DatabaseOpen() const { return Database.IsOpen(); }

bool Form1::RequireDatabase() { return DatabaseNotices::RequireOpen(Database); }

bool Form1::SaveDatabase() { return DatabaseNotices::Save(Database); }

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
    lastDays_ = Combo3->currentText();
    StoreDateWindow();
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
    AdoptLegacyFiles();
    const QString companionNotice = EnsureCompanionFolder();
    ResortNum();
    if (!companionNotice.isEmpty()) MsgBox(companionNotice, vb::vbExclamation, kTitle);
    if (!Database.DateNotice().isEmpty()) MsgBox(Database.DateNotice(), vb::vbInformation, kTitle);
    return true;
}

void Form1::mnudef_Click() { Forms::Show<Form7>(); }

// ---------------------------------------------------------------- progress

void Form1::ShowProgress(bool show) {
    if (show) {
        Bar1->setValue(0);
        Bar1->show();
        lastProgressMs_ = 0;
    } else {
        Bar1->hide();
    }
}

void Form1::StepProgress(int value) {
    // Each hundredth of the bar, and at least every 50 ms when the steps
    // come slower than that.
    const qint64 now = NowMs();
    const bool stepped = value - Bar1->value() >= std::max(1, (Bar1->maximum() - Bar1->minimum()) / 100);
    if (value < Bar1->maximum() && !stepped && now - lastProgressMs_ < 50) return;
    lastProgressMs_ = now;
    Bar1->setValue(value);
    Bar1->repaint();
}

void Form1::SetStatusText(const QString& text) { Panel1->setText(text); }
QString Form1::StatusText() const { return Panel1->text(); }

// ---------------------------------------------------------------- date window

void Form1::SetPickerDate(const QDate& date) {
    QSignalBlocker block(DatePicker1);
    DatePicker1->setDate(date);
}

void Form1::GetDate() {
    DoEvents();
    Bar1->setRange(0, std::max(0, Grid1.Rows() - 1));
    Grid1.SetRedraw(false);
    DateWindow::Apply(Grid1, DatePicker1->date(), DateWindow::LeadingNumber(Combo3->currentText()));
    Grid1.SetRedraw(true);
    StepProgress(Bar1->maximum());
}

void Form1::GetDue() {
    BusyGuard busy(this);
    ShowProgress(true);
    SetStatusText(QStringLiteral("Processing Rows...."));
    GetDate();
    GetChart();
    ShowProgress(false);
    SetStatusText(QStringLiteral("Done"));
}

void Form1::StartToday() {
    SetPickerDate(QDate::currentDate());
    GetDue();
}

void Form1::Command1_Click() {
    if (!CheckDays()) return;
    GetDue();
}

void Form1::Command2_Click() {
    if (!CheckDays()) return;
    ShowProgress(true);
    SetStatusText(QStringLiteral("Processing Rows...."));
    BusyGuard busy(this);
    GetDate();
    GetChart();
    ShowProgress(false);
    SetStatusText(QStringLiteral("Done"));
}

void Form1::Command3_Click() {
    if (phGantX1->EndDate == phGantX1->StartDate.addDays(1)) return;
    phGantX1->EndDate = phGantX1->EndDate.addDays(-10);
    phGantX1->Refresh();
}

void Form1::Command4_Click() {
    phGantX1->EndDate = phGantX1->EndDate.addDays(10);
    phGantX1->Refresh();
}

void Form1::Command6_Click() {
    SetPickerDate(QDate::currentDate());
    Command2_Click();
}

void Form1::mnuselstart_Click() {
    const int r = Grid1.ActiveRow();
    if (r < 1) return;
    if (auto d = DateText::ParseDate(Grid1.Text(r, Col::ScheduledStart))) SetPickerDate(*d);
    Command2_Click();
}

void Form1::StoreDateWindow() {
    if (!Settings::Set(QStringLiteral("Dates"), QStringLiteral("From"), DateText::FormatSettingDate(DatePicker1->date())) ||
        !Settings::Set(QStringLiteral("Dates"), QStringLiteral("To"), Combo3->currentText()))
        MsgBox(Settings::NotSaved(QStringLiteral("The date window")), vb::vbExclamation, kTitle);
}

void Form1::DatePicker1_DateChange() {
    if (!Settings::Set(QStringLiteral("Dates"), QStringLiteral("From"), DateText::FormatSettingDate(DatePicker1->date())))
        MsgBox(Settings::NotSaved(QStringLiteral("The date window")), vb::vbExclamation, kTitle);
    Command2_Click();
}

void Form1::Combo3_Click() {
    if (!CheckDays()) return;
    if (!Settings::Set(QStringLiteral("Dates"), QStringLiteral("To"), Combo3->currentText()))
        MsgBox(Settings::NotSaved(QStringLiteral("The date window")), vb::vbExclamation, kTitle);
    Command2_Click();
}

void Form1::Check1_Click() {
    if (!Settings::Set(QStringLiteral("Tips"), QStringLiteral("DateFlag"), Check1->isChecked() ? "1" : "0"))
        MsgBox(Settings::NotSaved(QStringLiteral("The Show Tip setting")), vb::vbExclamation, kTitle);
}

// ---------------------------------------------------------------- grid

void Form1::mnusort_Click() {
    if (Busy()) return;
    Grid1.Sort(Grid1.ActiveCol(), 0);
}

void Form1::mnusort2_Click() {
    if (Busy()) return;
    Grid1.Sort(Grid1.ActiveCol(), 1);
}

void Form1::Grid1_MouseDown(int button, int, int x, int y) {
    if (button != 2) return;
    mnuhid->popup(Grid1View->viewport()->mapToGlobal(QPoint(x, y)));
}

// The main window's tray mode and timed alert: going to the tray and back,
// the alert clock's ticks with a stepped clock, the notification, the
// notifier's commands, Position Notifier and Alert Options.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>
#include <gtest/gtest.h>

#include "ui/alerts/Form10.h"
#include "ui/alerts/Form20.h"
#include "ui/alerts/Form24.h"
#include "widgets/Forms.h"
#include "platform/DateText.h"
#include "platform/Mailer.h"
#include "platform/Registry.h"
#include "widgets/Tray.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/SmtpServer.h"
#include "support/Ui.h"

namespace {

void Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

class Form1Alerts : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Tray::OverrideAvailable(true);
    }
    void TearDown() override {
        // An alert mail on its way is let finish before the program ends.
        MailDelivery::Wait(15000);
        MainWindowTest::TearDown();
        Tray::OverrideAvailable(std::nullopt);
    }
    // A main window with a database, alerts on, the alert settings given,
    // and a clock the test steps.
    void Prepare(const QString& days = "1", const QString& tray = "True", const QString& mail = "False") {
        StoreAlertSettings(days, tray, mail);
        Start();
        NewDatabase();
        TestEnv::Dialogs().Reset();
        form_->SetAlertClock([this] { return now_; });
        now_ = QDateTime(today_, QTime(7, 0));
    }
    void StoreAlertSettings(const QString& days, const QString& tray = "True", const QString& mail = "False") {
        Settings::Set("Settings", "Alert", "1");
        Settings::Set("Settings", "AlertTime", "07:30:15");
        Settings::Set("Settings", "AlertDays", days);
        Settings::Set("Settings", "AlertTray", tray);
        Settings::Set("Settings", "AlertMail", mail);
    }
    // A default database with tasks starting `days` after today, alerts on
    // for tasks of today; the program is not running afterwards.
    void DefaultDatabaseWithTasksIn(const QList<int>& days) {
        StoreAlertSettings("0");
        Start();
        NewDatabase("plant.vkt", true);
        for (int i = 0; i < days.size(); ++i) AddTask(QStringLiteral("ID-%1").arg(i + 1), today_.addDays(days[i]));
        Stop();
        TestEnv::Dialogs().Reset();
    }
    void Tick(const QTime& t, int day = 0) {
        now_ = QDateTime(today_.addDays(day), t);
        form_->Timer1_Timer();
        Settle();
    }
    QStringList Statuses() const {
        QStringList out;
        for (int r = 1; r < form_->Grid1.Rows(); ++r) out << form_->Grid1.Text(r, Col::Status);
        return out;
    }
    QList<int> Shown() const {
        QList<int> out;
        for (int r = 1; r < form_->Grid1.Rows(); ++r)
            if (form_->Grid1.RowShown(r)) out << r;
        return out;
    }
    void ClickToolbar(const QString& key) {
        for (QAction* a : form_->Toolbar1->actions())
            if (a->data().toString() == key || a->objectName() == key) {
                QTest::mouseClick(form_->Toolbar1->widgetForAction(a), Qt::LeftButton);
                return;
            }
        ADD_FAILURE() << "no toolbar button " << key.toStdString();
    }
    const QDate today_ = QDate(2026, 3, 10);
    QDateTime now_;
};

TEST_F(Form1Alerts, SystemTrayHidesTheWindowAndRestoreBringsItBack) {
    Start();
    ASSERT_TRUE(form_->isVisible());
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
    form_->MenuItem("mnutray")->trigger();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_TRUE(form_->csSysTray1->isVisible());
    EXPECT_FALSE(form_->Timer1->isActive());            // alerts never switched on
    form_->MenuItem("mnurestore")->trigger();
    EXPECT_TRUE(form_->isVisible());
    EXPECT_FALSE(form_->csSysTray1->isVisible());

    form_->MenuItem("mnuaon")->trigger();
    form_->MenuItem("mnutray")->trigger();
    EXPECT_TRUE(form_->Timer1->isActive());
    EXPECT_EQ(form_->Timer1->interval(), 60);
    // A click on the icon brings the window back with the clock still running.
    emit form_->csSysTray1->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_TRUE(form_->Timer1->isActive());
    EXPECT_FALSE(form_->csSysTray1->isVisible());
    // The tray menu's Restore stops it.
    ClickToolbar("Tray");
    EXPECT_FALSE(form_->isVisible());
    EXPECT_TRUE(form_->Timer1->isActive());
    form_->MenuItem("mnurestore")->trigger();
    EXPECT_FALSE(form_->Timer1->isActive());
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
}

TEST_F(Form1Alerts, RightClickOnTheIconPopsUpTheTrayMenu) {
    Start();
    form_->MenuItem("mnutray")->trigger();
    emit form_->csSysTray1->activated(QSystemTrayIcon::Context);
    EXPECT_TRUE(form_->mnutray1->isVisible());
    QStringList items;
    for (QAction* a : form_->mnutray1->actions()) items << a->text();
    EXPECT_EQ(items, (QStringList{"Restore", "Exit Quillon"}));
    // A second right click while it is up does not pop it up again elsewhere.
    const QPoint at = form_->mnutray1->pos();
    emit form_->csSysTray1->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(form_->mnutray1->pos(), at);
    QTest::mouseClick(form_->mnutray1, Qt::LeftButton, {},
                      form_->mnutray1->actionGeometry(form_->MenuItem("mnurestore")).center());
    EXPECT_TRUE(form_->isVisible());
}

TEST_F(Form1Alerts, WithoutATrayTheWindowIsMinimisedAndTheUserToldOnce) {
    Tray::OverrideAvailable(false);
    Start();
    form_->MenuItem("mnutray")->trigger();
    EXPECT_TRUE(form_->isMinimized());
    EXPECT_FALSE(form_->csSysTray1->isVisible());
    EXPECT_EQ(TestEnv::Dialogs().Messages(), QStringList{Tray::NoTrayMessage()});
    form_->MenuItem("mnurestore")->trigger();
    EXPECT_FALSE(form_->isMinimized());
    EXPECT_TRUE(form_->isVisible());
    ClickToolbar("Tray");
    EXPECT_TRUE(form_->isMinimized());
    EXPECT_EQ(TestEnv::Dialogs().Messages().size(), 1);
}

TEST_F(Form1Alerts, StartingInTheTrayRunsTheClockWhenAlertsAreOn) {
    Settings::Set("Settings", "Startup", "1");
    Settings::Set("Settings", "Alert", "1");
    Start();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_TRUE(form_->csSysTray1->isVisible());
    EXPECT_TRUE(form_->Timer1->isActive());
    Stop();
    Settings::Set("Settings", "Alert", "0");
    Start();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_FALSE(form_->Timer1->isActive());
}

TEST_F(Form1Alerts, TheAlertFiresOnceAtTheAlertTimeAndShowsTheNotifierAndTheAlerts) {
    Prepare();
    AddTask("ID-1", today_.addDays(1), "Ready");
    AddTask("ID-2", today_.addDays(2), "Ready");
    AddTask("ID-3", today_.addDays(1), "Complete");
    AddTask("ID-4", today_.addDays(1), "On Hold");
    form_->MenuItem("mnutray")->trigger();
    ASSERT_TRUE(form_->Timer1->isActive());

    Tick(QTime(7, 30, 14, 950));
    EXPECT_EQ(Statuses(), (QStringList{"Ready", "Ready", "Complete", "On Hold"}));
    EXPECT_EQ(Forms::Loaded<Form20>(), nullptr);

    Tick(QTime(7, 30, 15, 10));
    EXPECT_EQ(Statuses(), (QStringList{"Alert", "Ready", "Complete", "Alert"}));
    Form20* n = Forms::Loaded<Form20>();
    ASSERT_TRUE(n && n->isVisible());
    EXPECT_EQ(n->AniGIF1->toolTip(), "Alert Received " + DateText::FormatDate(today_) + " 07:30:15 07:30:15");
    EXPECT_EQ(Shown(), (QList<int>{1, 4}));
    EXPECT_EQ(form_->StatusText(), "Done");
    EXPECT_FALSE(form_->isVisible());                    // still in the tray
    EXPECT_TRUE(form_->Timer1->isActive());
    EXPECT_FALSE(form_->AlertFound());

    // The other ticks of that second find the rows as the user left them.
    form_->Grid1.SetText(1, Col::Status, "Ready");
    Tick(QTime(7, 30, 15, 70));
    Tick(QTime(7, 30, 15, 910));
    EXPECT_EQ(form_->Grid1.Text(1, Col::Status), "Ready");

    // Dismiss: the window stays in the tray and the clock runs on.
    QTest::mouseClick(n->Label1, Qt::RightButton);
    QTest::mouseClick(n->mnufile, Qt::LeftButton, {}, n->mnufile->actionGeometry(n->mnudismiss).center());
    Settle();
    EXPECT_EQ(Forms::Loaded<Form20>(), nullptr);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_TRUE(form_->Timer1->isActive());

    // The next day, at the same time, it runs again.
    Tick(QTime(7, 30, 15, 20), 1);
    EXPECT_EQ(Statuses(), (QStringList{"Ready", "Alert", "Complete", "Alert"}));
    n = Forms::Loaded<Form20>();
    ASSERT_TRUE(n);

    // Show Alerts: the window comes back with the alerts and the clock off.
    QTest::mouseClick(n->Label1, Qt::LeftButton);
    Settle();
    EXPECT_EQ(Forms::Loaded<Form20>(), nullptr);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_FALSE(form_->csSysTray1->isVisible());
    EXPECT_FALSE(form_->Timer1->isActive());
    EXPECT_EQ(Shown(), (QList<int>{2, 4}));

    // Clearing the alerts gives Ready back and leaves finished work alone.
    QTest::mouseClick(form_->Command5, Qt::LeftButton);
    EXPECT_EQ(Statuses(), (QStringList{"Ready", "Ready", "Complete", "Ready"}));
}

TEST_F(Form1Alerts, AnotherAlertTimeOrAlertOnAgainFiresTheSameDay) {
    Prepare("0");
    AddTask("ID-1", today_, "Ready");
    ClickToolbar("Tray");
    Tick(QTime(7, 30, 15, 10));
    Form20* n = Forms::Loaded<Form20>();
    ASSERT_TRUE(n);
    // The user looks (Show Alerts: the window back, the clock off) and sets
    // a later time for the day.
    QTest::mouseClick(n->Label1, Qt::LeftButton);
    Settle();
    auto setTime = [&](const QString& hhmm) {
        form_->MenuItem("mnunot")->trigger();
        Form10* f = Forms::Loaded<Form10>();
        ASSERT_TRUE(f);
        TestUi::TypeTime(f->DatePicker2, hhmm);
        QTest::mouseClick(f->Command1, Qt::LeftButton);
        Settle();
    };
    setTime("0800");
    ASSERT_EQ(Settings::Get("Settings", "AlertTime"), "08:00:00");
    now_ = QDateTime(today_, QTime(7, 45));
    ClickToolbar("Tray");
    Tick(QTime(7, 59, 59, 950));
    EXPECT_FALSE(Forms::Loaded<Form20>());
    Tick(QTime(8, 0, 0, 30));
    n = Forms::Loaded<Form20>();
    ASSERT_TRUE(n) << "a time set after the day's first alert fires that day";

    // Alert Off, a new time, Alert On again: it fires at that time.
    QTest::mouseClick(n->Label1, Qt::LeftButton);
    Settle();
    form_->MenuItem("mnuoff")->trigger();
    setTime("0900");
    form_->MenuItem("mnuaon")->trigger();
    now_ = QDateTime(today_, QTime(8, 30));
    ClickToolbar("Tray");
    ASSERT_TRUE(form_->Timer1->isActive());
    Tick(QTime(9, 0, 0, 40));
    EXPECT_TRUE(Forms::Loaded<Form20>());
}

TEST_F(Form1Alerts, WithoutATrayTheClockRunsWhileTheBoxIsOpenAndFiresWhenItCloses) {
    DefaultDatabaseWithTasksIn({0});
    Settings::Set("Settings", "Startup", "1");
    Tray::OverrideAvailable(false);

    // Started at 7:29:50; the user reads the no-tray box until 7:31.
    now_ = QDateTime(today_, QTime(7, 29, 50));
    bool sawBox = false, firedUnderTheBox = false;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || sawBox) return;
        sawBox = true;
        now_ = QDateTime(today_, QTime(7, 31));
        QTest::qWait(300);   // the alert clock ticks meanwhile
        firedUnderTheBox = Forms::Loaded<Form20>() != nullptr;
        QTest::keyClick(box, Qt::Key_Return);
    });
    reader.start(20);
    TestEnv::Dialogs().ShowRealMsgBoxes();
    form_ = new Form1;
    form_->SetAlertClock([this] { return now_; });
    form_->Form_Load();
    reader.stop();
    ASSERT_TRUE(sawBox);
    EXPECT_EQ(TestEnv::Dialogs().Messages(), QStringList{Tray::NoTrayMessage()});
    EXPECT_FALSE(firedUnderTheBox);
    EXPECT_TRUE(form_->isMinimized());
    ASSERT_TRUE(form_->Timer1->isActive());
    for (int i = 0; i < 50 && !Forms::Loaded<Form20>(); ++i) QTest::qWait(20);
    EXPECT_TRUE(Forms::Loaded<Form20>());
    EXPECT_EQ(form_->Grid1.Text(1, Col::Status), "Alert");
}

TEST_F(Form1Alerts, TheAlertFilterStaysOverEveryTripToTheTray) {
    DefaultDatabaseWithTasksIn({0, 2});
    Settings::Set("Dates", "To", "7");
    Start();   // as every day: the default database, seven days shown
    form_->SetAlertClock([this] { return now_; });
    form_->SetPickerDate(today_);
    QTest::mouseClick(form_->Command1, Qt::LeftButton);
    ASSERT_EQ(Shown(), (QList<int>{1, 2}));
    QApplication::setActiveWindow(nullptr);   // the user is in another program
    now_ = QDateTime(today_, QTime(7, 0));
    ClickToolbar("Tray");
    Tick(QTime(7, 30, 15, 10));
    ASSERT_EQ(Shown(), QList<int>{1});
    for (int trip = 1; trip <= 2; ++trip) {
        form_->csSysTray1_IconClick();
        QApplication::setActiveWindow(form_);   // the desktop activates it
        // The user looks at "# Days" and leaves it as it is.
        QTest::mouseClick(form_->Combo3->lineEdit(), Qt::LeftButton);
        Settle();
        EXPECT_EQ(Shown(), QList<int>{1}) << "back from the tray, trip " << trip;
        ClickToolbar("Tray");   // the window goes and the box loses the focus
        Settle();
    }
    form_->csSysTray1_IconClick();
    Settle();
    EXPECT_EQ(Shown(), QList<int>{1});

    // A length the user types still applies when the box loses the focus.
    QApplication::setActiveWindow(form_);
    QLineEdit* days = form_->Combo3->lineEdit();
    QTest::mouseClick(days, Qt::LeftButton);
    QTest::keyClick(days, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(days, "3");
    ASSERT_EQ(days->text(), "3");
    ClickCell(1, Col::TaskId);
    EXPECT_EQ(Shown(), (QList<int>{1, 2}));
    EXPECT_EQ(Settings::Get("Dates", "To"), "3");
}

TEST_F(Form1Alerts, ThePointerRestingOnTheNotifiersBellShowsWhenTheAlertCame) {
    Prepare("0");
    AddTask("ID-1", today_, "Ready");
    ClickToolbar("Tray");
    Tick(QTime(7, 30, 15, 10));
    Form20* n = Forms::Loaded<Form20>();
    ASSERT_TRUE(n && n->isVisible());
    QApplication::setActiveWindow(nullptr);   // the user works in another program
    ASSERT_FALSE(n->isActiveWindow());
    QTest::mouseMove(n->AniGIF1, n->AniGIF1->rect().center());
    const QString said = "Alert Received " + DateText::FormatDate(today_) + " 07:30:15 07:30:15";
    EXPECT_TRUE(WaitUntil([&] { return QToolTip::isVisible() && QToolTip::text() == said; }, 3000))
        << QToolTip::text().toStdString();
    QToolTip::hideText();
}

TEST_F(Form1Alerts, TheRunningTimerItselfRunsTheCheck) {
    Prepare("0");
    AddTask("ID-1", today_, "Ready");
    now_ = QDateTime(today_, QTime(7, 30, 15, 300));
    form_->MenuItem("mnutray")->trigger();
    for (int i = 0; i < 50 && !Forms::Loaded<Form20>(); ++i) QTest::qWait(20);
    EXPECT_EQ(form_->Grid1.Text(1, Col::Status), "Alert");
    EXPECT_TRUE(Forms::Loaded<Form20>());
}

TEST_F(Form1Alerts, ATickMissedWhileBusyOrAsleepStillAlertsButNeverInsideAnotherPass) {
    Prepare("0");
    AddTask("ID-1", today_, "Ready");
    form_->MenuItem("mnutray")->trigger();
    Tick(QTime(7, 30, 14));
    {
        // A long pass is running (its yields let timer ticks through).
        BusyGuard busy(form_);
        Tick(QTime(7, 30, 15, 100));
        EXPECT_EQ(form_->Grid1.Text(1, Col::Status), "Ready");
    }
    Tick(QTime(7, 30, 15, 700));
    EXPECT_EQ(form_->Grid1.Text(1, Col::Status), "Alert");
    Forms::Unload<Form20>();

    // The machine slept through the next day's alert second.
    form_->Grid1.SetText(1, Col::Status, "Ready");
    form_->Grid1.SetText(1, Col::ScheduledStart, DateText::FormatDate(today_.addDays(1)));
    Tick(QTime(6, 0), 1);
    Tick(QTime(9, 45), 1);
    EXPECT_EQ(form_->Grid1.Text(1, Col::Status), "Alert");
    EXPECT_TRUE(Forms::Loaded<Form20>());
}

TEST_F(Form1Alerts, MailNotificationAnimatesTheIconAndNoChoiceKeepsTheView) {
    Prepare("1", "False", "True");
    AddTask("ID-1", today_.addDays(1), "Ready");
    AddTask("ID-2", today_.addDays(5), "Ready");
    form_->MenuItem("mnutray")->trigger();
    Tick(QTime(7, 30, 14));
    Tick(QTime(7, 30, 15, 40));
    EXPECT_EQ(Statuses(), (QStringList{"Alert", "Ready"}));
    EXPECT_EQ(Forms::Loaded<Form20>(), nullptr);
    EXPECT_TRUE(form_->csSysTray1->Animating());
    EXPECT_EQ(Shown(), QList<int>{1});
    // The mail stops the animation once it has gone.
    form_->TrayAnimation(false);
    EXPECT_FALSE(form_->csSysTray1->Animating());
    EXPECT_EQ(form_->csSysTray1->icon().cacheKey(), form_->ImageList2.first().cacheKey());

    // Neither notification chosen: marked, but nobody told and no filter.
    Settings::Set("Settings", "AlertMail", "true");
    form_->Grid1.SetText(1, Col::Status, "Ready");
    form_->Grid1.SetText(2, Col::ScheduledStart, DateText::FormatDate(today_.addDays(2)));
    QTest::mouseClick(form_->Command7, Qt::LeftButton);   // View All
    ASSERT_EQ(Shown(), (QList<int>{1, 2}));
    Tick(QTime(7, 30, 15, 40), 1);
    EXPECT_EQ(Statuses(), (QStringList{"Ready", "Alert"}));
    EXPECT_EQ(Shown(), (QList<int>{1, 2}));
    EXPECT_FALSE(form_->csSysTray1->Animating());
    EXPECT_EQ(Forms::Loaded<Form20>(), nullptr);
}

TEST_F(Form1Alerts, WithBothNotificationsChosenOnlyTheNotifierIsUsed) {
    Prepare("2", "True", "True");
    AddTask("ID-1", today_.addDays(2), "In Progress");
    form_->MenuItem("mnutray")->trigger();
    Tick(QTime(7, 30, 14));
    Tick(QTime(7, 30, 15, 500));
    EXPECT_EQ(Statuses(), QStringList{"Alert"});
    EXPECT_TRUE(Forms::Loaded<Form20>());
    EXPECT_FALSE(form_->csSysTray1->Animating());   // the mail's sign: no mail goes
}

TEST_F(Form1Alerts, PositionNotifierShowsTheHintFirstThenCentresTheNotifier) {
    Start();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    form_->MenuItem("mnuptray")->trigger();
    Form24* hint = Forms::Loaded<Form24>();
    ASSERT_TRUE(hint && hint->isVisible());
    EXPECT_TRUE(form_->isVisible());
    QTest::mouseClick(hint->Command2, Qt::LeftButton);
    Settle();
    EXPECT_EQ(Forms::Loaded<Form24>(), nullptr);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_EQ(Settings::Get("Float", "Top"), "");

    form_->MenuItem("mnuptray")->trigger();
    hint = Forms::Loaded<Form24>();
    ASSERT_TRUE(hint);
    QTest::mouseClick(hint->Check1, Qt::LeftButton, {}, QPoint(8, hint->Check1->height() / 2));
    QTest::mouseClick(hint->Command1, Qt::LeftButton);
    Settle();
    EXPECT_EQ(Forms::Loaded<Form24>(), nullptr);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_FALSE(form_->Timer1->isActive());
    Form20* n = Forms::Loaded<Form20>();
    ASSERT_TRUE(n && n->isVisible());
    EXPECT_EQ(n->pos(), QPoint(screen.width() / 2, screen.height() / 2));
    EXPECT_EQ(n->AniGIF1->toolTip(), "");
    EXPECT_EQ(Settings::Get("Settings", "NotTip"), "1");

    // Dragged away, then Position Notifier again: no hint now; the centre is
    // stored for the next opening, the notifier on screen stays where it is.
    QTest::mousePress(n, Qt::LeftButton, {}, QPoint(n->width() - 8, 4));
    QTest::mouseMove(n, QPoint(n->width() - 8 - 50, 4));
    QTest::mouseRelease(n, Qt::LeftButton, {}, QPoint(n->width() - 8 - 50, 4));
    const QPoint moved = n->pos();
    ASSERT_NE(moved, QPoint(screen.width() / 2, screen.height() / 2));
    form_->csSysTray1_IconClick();
    Settle();
    ASSERT_TRUE(form_->isVisible());
    n = Forms::Show<Form20>();
    form_->MenuItem("mnuptray")->trigger();
    EXPECT_EQ(Forms::Loaded<Form24>(), nullptr);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(n->pos(), moved);
    EXPECT_EQ(Settings::Get("Float", "Left"), QString::number(screen.width() / 2));
    EXPECT_EQ(Settings::Get("Float", "Top"), QString::number(screen.height() / 2));
}

TEST_F(Form1Alerts, AlertOptionsOpensTheSettingsWindowOnce) {
    Start();
    form_->MenuItem("mnunot")->trigger();
    Form10* f = Forms::Loaded<Form10>();
    ASSERT_TRUE(f && f->isVisible());
    form_->MenuItem("mnunot")->trigger();
    EXPECT_EQ(Forms::Loaded<Form10>(), f);
    QTest::mouseClick(f->Command2, Qt::LeftButton);
    Settle();
    EXPECT_EQ(Forms::Loaded<Form10>(), nullptr);
}

TEST_F(Form1Alerts, ExitFromTheTrayMenuStopsTheClockAndEndsTheProgram) {
    Settings::Set("Settings", "Alert", "1");
    Start();
    form_->MenuItem("mnutray")->trigger();
    form_->TrayAnimation(true);
    ASSERT_TRUE(form_->Timer1->isActive());
    form_->MenuItem("mnuexit2")->trigger();
    EXPECT_FALSE(form_->Timer1->isActive());
    EXPECT_FALSE(form_->csSysTray1->isVisible());
}

}  // namespace

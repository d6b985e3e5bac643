// The alert windows on their own, worked with the mouse and keyboard: the
// alert settings, the notifier and the position hint.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMovie>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>
#include <gtest/gtest.h>
#include <memory>

#include "ui/alerts/Form10.h"
#include "ui/alerts/Form20.h"
#include "ui/alerts/Form24.h"
#include "ui/alerts/NotifierAnimation.h"
#include "platform/Help.h"
#include "widgets/Forms.h"
#include "platform/Registry.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnv.h"
#include "support/Ui.h"

namespace {

QString Setting(const QString& name) { return Settings::Get("Settings", name); }
QString Float(const QString& name) { return Settings::Get("Float", name); }

void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
// Option buttons and check boxes answer on their mark and words only.
void Tick(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }

template <class W>
std::unique_ptr<W> Open() {
    auto w = std::make_unique<W>();
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    return w;
}

using TestUi::TypeTime;

class AlertWindows : public QuillonTest {};

// ---------------------------------------------------------------- settings

TEST_F(AlertWindows, SettingsFirstOpenedStoreWhatTheyShow) {
    auto f = Open<Form10>();
    EXPECT_EQ(f->windowTitle(), "Tray Notify Alert");
    EXPECT_EQ(f->Text1->text(), "");
    EXPECT_FALSE(f->Option1->isChecked());
    EXPECT_FALSE(f->Option2->isChecked());
    const QTime initial = f->DatePicker2->time();
    Click(f->Command1);
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(Setting("AlertDays"), "");
    EXPECT_EQ(Setting("AlertTray"), "False");
    EXPECT_EQ(Setting("AlertMail"), "False");
    EXPECT_EQ(Setting("AlertTime"), initial.toString("HH:mm:ss"));
}

TEST_F(AlertWindows, SettingsTypedAreStoredAndShownAgain) {
    auto f = Open<Form10>();
    QTest::mouseClick(f->Text1, Qt::LeftButton);
    QTest::keyClicks(f->Text1, " 02");          // stored exactly as typed
    Tick(f->Option2);
    TypeTime(f->DatePicker2, "1945");
    EXPECT_EQ(f->DatePicker2->text(), "19:45");
    Click(f->Command1);
    EXPECT_EQ(Setting("AlertDays"), " 02");
    EXPECT_EQ(Setting("AlertTray"), "False");
    EXPECT_EQ(Setting("AlertMail"), "True");
    EXPECT_EQ(Setting("AlertTime"), "19:45:00");

    auto g = Open<Form10>();
    EXPECT_EQ(g->Text1->text(), " 02");
    EXPECT_FALSE(g->Option1->isChecked());
    EXPECT_TRUE(g->Option2->isChecked());
    EXPECT_EQ(g->DatePicker2->time(), QTime(19, 45));
    Tick(g->Option1);                            // one group: the other clears
    EXPECT_FALSE(g->Option2->isChecked());
    Click(g->Command1);
    EXPECT_EQ(Setting("AlertTray"), "True");
    EXPECT_EQ(Setting("AlertMail"), "False");
}

// Each option is a Tab stop of its own and still an option button: read out
// as one, and moved by the arrow keys.
TEST_F(AlertWindows, TheAlertOptionsAreOptionButtonsTheArrowsMove) {
    auto f = Open<Form10>();
    for (QRadioButton* o : {f->Option1, f->Option2}) {
        QAccessibleInterface* said = QAccessible::queryAccessibleInterface(o);
        ASSERT_NE(said, nullptr);
        EXPECT_EQ(said->role(), QAccessible::RadioButton) << o->text().toStdString();
    }
    Tick(f->Option1);
    QTest::keyClick(f->Option1, Qt::Key_Down);
    EXPECT_TRUE(f->Option2->isChecked());
    EXPECT_FALSE(f->Option1->isChecked());
    EXPECT_TRUE(f->Option2->hasFocus());
    QTest::keyClick(f->Option2, Qt::Key_Up);
    EXPECT_TRUE(f->Option1->isChecked());
    EXPECT_FALSE(f->Option2->isChecked());
}

TEST_F(AlertWindows, SettingsKeepStoredSecondsAndReadOlderTimeForms) {
    Settings::Set("Settings", "AlertTime", "7:30:15 PM");
    Settings::Set("Settings", "AlertTray", "true");
    Settings::Set("Settings", "AlertMail", "maybe");   // unreadable: left as it was
    auto f = Open<Form10>();
    EXPECT_EQ(f->DatePicker2->text(), "19:30");
    EXPECT_TRUE(f->Option1->isChecked());
    EXPECT_FALSE(f->Option2->isChecked());
    Click(f->Command1);
    EXPECT_EQ(Setting("AlertTime"), "19:30:15");

    auto g = Open<Form10>();
    TypeTime(g->DatePicker2, "1931");
    Click(g->Command1);
    EXPECT_EQ(Setting("AlertTime"), "19:31:00");
}

TEST_F(AlertWindows, CancelStoresNothingAndHelpOpensItsTopic) {
    Settings::Set("Settings", "AlertDays", "3");
    auto f = Open<Form10>();
    QTest::mouseClick(f->Text1, Qt::LeftButton);
    QTest::keyClicks(f->Text1, "0");
    Tick(f->Option1);
    Click(f->Command3);
    ASSERT_EQ(TestEnv::Shell().opened.size(), 1u);
    EXPECT_EQ(PageLeadsTo(TestEnv::Shell().opened[0].what), Help::HelpUrl(1014));
    Click(f->Command2);
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(Setting("AlertDays"), "3");
    EXPECT_EQ(Setting("AlertTray"), "");
    EXPECT_EQ(Setting("AlertTime"), "");
}

TEST_F(AlertWindows, ReturnInAFieldOpensNoHelp) {
    Form10* f = Forms::Show<Form10>();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f));
    QTest::mouseClick(f->Text1, Qt::LeftButton);
    QTest::keyClick(f->Text1, Qt::Key_Return);
    EXPECT_TRUE(TestEnv::Shell().opened.empty());
    EXPECT_TRUE(f->isVisible());
    Forms::Unload<Form10>();
}

TEST_F(AlertWindows, SettingsThatCannotBeSavedAreSaidSoAndStayOnScreen) {
    Settings::Set("Settings", "AlertDays", "3");
    auto f = Open<Form10>();
    QTest::mouseClick(f->Text1, Qt::LeftButton);
    QTest::keyClick(f->Text1, Qt::Key_Backspace);
    QTest::keyClicks(f->Text1, "5");
    {
        TestEnv::DiskFull full(16);
        Click(f->Command1);
    }
    EXPECT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->Text1->text(), "5");
    EXPECT_EQ(Setting("AlertDays"), "3");
    Click(f->Command1);
    EXPECT_EQ(Setting("AlertDays"), "5");
    EXPECT_FALSE(f->isVisible());
}

// ---------------------------------------------------------------- notifier

TEST_F(AlertWindows, TheNotifierPlaysItsOwnBellAndSaysQuillonAlert) {
    auto n = Open<Form20>();
    EXPECT_EQ(n->Label1->text(), "Quillon Alert");
    EXPECT_TRUE(n->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(n->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ((n->windowFlags() & Qt::WindowType_Mask), Qt::Tool);   // no task-bar entry
    ASSERT_TRUE(n->Movie->isValid());
    EXPECT_EQ(n->Movie->frameCount(), NotifierAnimation::kFrames);
    EXPECT_EQ(n->Movie->frameRect().size(), QSize(40, 52));
    EXPECT_EQ(n->Movie->state(), QMovie::Running);
    // The frames differ: it moves.
    const QList<QImage> frames = NotifierAnimation::Frames();
    EXPECT_NE(frames[0], frames[4]);
    EXPECT_EQ(n->Label1->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(AlertWindows, TheNotifierOpensWhereItWasLeftOrOnTheScreenWhenThatIsGone) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    Settings::Set("Float", "Left", "120");
    Settings::Set("Float", "Top", "90");
    EXPECT_EQ(Open<Form20>()->pos(), QPoint(120, 90));

    Settings::Set("Float", "Top", "high");    // that coordinate stays where it would open
    auto n = Open<Form20>();
    EXPECT_EQ(n->pos(), QPoint(120, n->DefaultPosition().y()));
    EXPECT_TRUE(screen.contains(QRect(n->DefaultPosition(), n->size())));

    Settings::Set("Float", "Top", QString::number(screen.height() + 400));
    EXPECT_EQ(Open<Form20>()->pos(), n->DefaultPosition());
    Settings::Set("Float", "Top", "-4000");
    Settings::Set("Float", "Left", "-4000");
    EXPECT_EQ(Open<Form20>()->pos(), n->DefaultPosition());
    // Partly off the screen but still within reach stays put.
    Settings::Set("Float", "Left", QString::number(screen.width() - 40));
    Settings::Set("Float", "Top", "10");
    EXPECT_EQ(Open<Form20>()->pos(), QPoint(screen.width() - 40, 10));
}

TEST_F(AlertWindows, DraggingTheNotifierMovesItAndStoresItsPlace) {
    Settings::Set("Float", "Left", "200");
    Settings::Set("Float", "Top", "150");
    auto n = Open<Form20>();
    ASSERT_EQ(n->pos(), QPoint(200, 150));
    const QPoint grip(n->width() - 8, 4);     // the body, right of the words
    ASSERT_EQ(n->childAt(grip), nullptr);
    QTest::mousePress(n.get(), Qt::LeftButton, {}, grip);
    EXPECT_EQ(QPoint(n->DragX, n->DragY), grip);
    QTest::mouseMove(n.get(), grip + QPoint(30, 20));
    EXPECT_EQ(n->pos(), QPoint(230, 170));
    EXPECT_EQ(Float("Left"), "230");
    EXPECT_EQ(Float("Top"), "170");
    QTest::mouseMove(n.get(), grip + QPoint(-10, 0));   // the grabbed point stays under the pointer
    EXPECT_EQ(n->pos(), QPoint(220, 170));
    QTest::mouseRelease(n.get(), Qt::LeftButton, {}, grip + QPoint(-10, 0));
    EXPECT_EQ(Float("Left"), "220");

    auto again = Open<Form20>();
    EXPECT_EQ(again->pos(), QPoint(220, 170));
}

TEST_F(AlertWindows, TheRightButtonOpensTheMenuAndNeitherItNorTheWordsDrag) {
    Settings::Set("Float", "Left", "200");
    Settings::Set("Float", "Top", "150");
    auto n = Open<Form20>();
    const QPoint grip(n->width() - 8, 4);
    QTest::mousePress(n.get(), Qt::RightButton, {}, grip);
    EXPECT_TRUE(n->mnufile->isVisible());
    n->mnufile->hide();
    Settings::Set("Float", "Left", "");
    QTest::mouseMove(n.get(), grip + QPoint(30, 20));
    EXPECT_EQ(n->pos(), QPoint(200, 150));
    EXPECT_EQ(Float("Left"), "200");            // stored all the same
    QTest::mouseRelease(n.get(), Qt::RightButton, {}, grip + QPoint(30, 20));

    // Pressing on the words and moving does not move the window either.
    QTest::mousePress(n->Label1, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(n->Label1, QPoint(40, 20));
    EXPECT_EQ(n->pos(), QPoint(200, 150));
    QTest::mouseRelease(n->Label1, Qt::LeftButton, {}, QPoint(200, 40));   // released elsewhere: no click
    QTest::mousePress(n->AniGIF1, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(n->mnufile->isVisible());
    n->mnufile->hide();
    EXPECT_TRUE(n->isVisible());
}

TEST_F(AlertWindows, ShowAlertsAsksForTheMainWindowAndDismissOnlyCloses) {
    auto n = Open<Form20>();
    QSignalSpy show(n.get(), &Form20::ShowAlerts);
    QTest::mouseClick(n->Label1, Qt::LeftButton);
    EXPECT_EQ(show.count(), 1);
    EXPECT_FALSE(n->isVisible());

    auto m = Open<Form20>();
    QSignalSpy show2(m.get(), &Form20::ShowAlerts);
    QTest::mouseClick(m->Label1, Qt::RightButton);
    ASSERT_TRUE(m->mnufile->isVisible());
    QTest::mouseClick(m->mnufile, Qt::LeftButton, {}, m->mnufile->actionGeometry(m->mnudismiss).center());
    EXPECT_EQ(show2.count(), 0);
    EXPECT_FALSE(m->isVisible());

    m->show();
    QTest::mouseClick(m.get(), Qt::RightButton, {}, QPoint(m->width() - 8, 4));
    ASSERT_TRUE(m->mnufile->isVisible());
    QTest::mouseClick(m->mnufile, Qt::LeftButton, {}, m->mnufile->actionGeometry(m->mnusal).center());
    EXPECT_EQ(show2.count(), 1);
    EXPECT_FALSE(m->isVisible());
}

// ---------------------------------------------------------------- the hint

TEST_F(AlertWindows, TheHintStoresDontShowAgainAtOnceAndCloseDoesNothingElse) {
    auto h = Open<Form24>();
    EXPECT_EQ(h->windowTitle(), "Position Notifier");
    EXPECT_FALSE(h->Check1->isChecked());
    QSignalSpy ok(h.get(), &Form24::OkClicked);
    Tick(h->Check1);
    EXPECT_EQ(Setting("NotTip"), "1");
    Tick(h->Check1);
    EXPECT_EQ(Setting("NotTip"), "0");
    Click(h->Command2);
    EXPECT_FALSE(h->isVisible());
    EXPECT_EQ(ok.count(), 0);
    EXPECT_EQ(Float("Top"), "");

    auto g = Open<Form24>();
    QSignalSpy ok2(g.get(), &Form24::OkClicked);
    Click(g->Command1);
    EXPECT_EQ(ok2.count(), 1);
    EXPECT_FALSE(g->isVisible());
}

}  // namespace

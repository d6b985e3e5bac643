// Tab walks every window's controls in reading order: top to bottom, and
// left to right along a line; a window with an order of its own keeps it.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolBox>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

#include "ui/alerts/Form10.h"
#include "ui/alerts/Form20.h"
#include "ui/alerts/Form21.h"
#include "ui/alerts/Form24.h"
#include "ui/alerts/MainMail.h"
#include "ui/alerts/frmaddress.h"
#include "app/Form5.h"
#include "app/Form7.h"
#include "ui/lists/ListWindows.h"
#include "widgets/Forms.h"
#include "widgets/GridPrint.h"
#include "widgets/GridView.h"
#include "ui/schedule/Form19.h"
#include "ui/schedule/frmExcel.h"
#include "support/Keyboard.h"
#include "support/MainWindow.h"
#include "support/Ui.h"
#include "ui/tasks/Form11.h"
#include "ui/tasks/Form18.h"
#include "ui/tasks/Form6.h"
#include "ui/tasks/OneFieldEditors.h"
#include "ui/tasks/frmcost.h"
#include "ui/utilities/BackupWindows.h"
#include "ui/utilities/Form8.h"
#include "ui/utilities/frmpref.h"

namespace {

class TabOrder : public MainWindowTest {};

QRect Place(QWidget* w, QWidget* window) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); }

std::string Describe(QWidget* w, QWidget* window) {
    QString name = w->objectName();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) name += " '" + b->text() + "'";
    const QRect r = Place(w, window);
    return QStringLiteral("%1 %2 at %3,%4").arg(w->metaObject()->className(), name).arg(r.x()).arg(r.y()).toStdString();
}

template <class W, class... Db>
std::function<QWidget*()> Opens(Db&... db) {
    return [&db...] { return Forms::Show<W>(db...); };
}

TEST_F(TabOrder, EveryWindowIsWalkedInReadingOrder) {
    Start();
    NewDatabase();
    AddTask("ID-1", QDate::currentDate());
    TaskDatabase& db = form_->Database;
    const std::function<QWidget*()> windows[] = {
        Opens<Form6>(db), Opens<frmcost>(), Opens<Form18>(db), Opens<Form11>(db), Opens<frme2>(db),
        Opens<Form12>(db), Opens<Form16>(db), Opens<Form13>(db), Opens<Form14>(db), Opens<Form15>(db),
        Opens<Form2>(db), Opens<Form3>(db), Opens<Form4>(db), Opens<frmequip>(db), Opens<frmemployee>(db),
        Opens<frmemployee2>(db), Opens<frmemployee4>(db), Opens<Form5>(db), Opens<Form7>(db), Opens<Form8>(),
        Opens<frmpref>(), Opens<Form19>(), Opens<frmExcel>(), Opens<Form24>(), Opens<Form21>(), Opens<frmaddress>(), Opens<Form23>(), Opens<frmZip>(), Opens<Form22>(),
        [&] { return GridPrint::ShowPreview(form_->Grid1, GridPrint::PageSetup(), 100); },
    };
    for (const auto& open : windows) {
        QWidget* window = open();
        TestUi::Settle();
        const std::string name = window->metaObject()->className();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window)) << name;
        // Tab from the focus the window opened with until it comes back.
        std::vector<QWidget*> chain;
        for (int i = 0; i < 200; ++i) {
            QWidget* now = TestKeys::Focused();
            ASSERT_TRUE(now) << name;
            if (!chain.empty() && now == chain.front()) break;
            ASSERT_TRUE(chain.empty() || chain.back() != now) << name << ": Tab stays in " << Describe(now, window);
            chain.push_back(now);
            TestKeys::Press(Qt::Key_Tab);
        }
        ASSERT_GE(chain.size(), 2u) << name;
        // Read from the control nearest the top left, every next one lies
        // further right on the same line or on a lower line.
        const int slack = std::max(4, window->fontMetrics().height() / 2);
        auto sameLine = [&](QRect a, QRect b) { return std::abs(a.top() - b.top()) <= slack; };
        std::rotate(chain.begin(), std::min_element(chain.begin(), chain.end(), [&](QWidget* a, QWidget* b) {
                        const QRect pa = Place(a, window), pb = Place(b, window);
                        return sameLine(pa, pb) ? pa.left() < pb.left() : pa.top() < pb.top();
                    }), chain.end());
        for (size_t i = 1; i < chain.size(); ++i) {
            const QRect a = Place(chain[i - 1], window), b = Place(chain[i], window);
            EXPECT_TRUE(sameLine(a, b) ? b.left() > a.left() : b.top() > a.top())
                << name << ": Tab goes from " << Describe(chain[i - 1], window) << " to " << Describe(chain[i], window);
        }
        window->close();
        TestUi::Settle();
    }
}

TEST_F(TabOrder, WindowsWithAnOrderOfTheirOwnKeepItOnceShown) {
    Start();
    Form10* alert = Forms::Show<Form10>();
    MainMail* mail = Forms::Show<MainMail>();
    const struct {
        QWidget* window;
        std::vector<QWidget*> order;
    } windows[] = {
        {alert, {alert->Text1, alert->Option1, alert->Option2, alert->DatePicker2, alert->Command1, alert->Command2,
                 alert->Command3}},
        {mail, {mail->txtFromName, mail->txtFrom, mail->txtTo, mail->txtReplyTo, mail->txtSubject, mail->txtMsg,
                mail->txtAttachments, mail->btnAddAttach, mail->btnClearAttach, mail->btnSend, mail->btnExit,
                mail->Command1, mail->Check2, mail->Command2, mail->SSTab1->tabBar()}},
    };
    for (const auto& w : windows) {
        const std::string name = w.window->metaObject()->className();
        w.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.window)) << name;
        ASSERT_TRUE(TestKeys::TabTo(w.order.front())) << name;
        // Round the whole cycle, back to the first.
        for (size_t i = 1; i <= w.order.size(); ++i) {
            TestKeys::Press(Qt::Key_Tab);
            QWidget* want = w.order[i % w.order.size()];
            QWidget* now = TestKeys::Focused();
            ASSERT_EQ(now, want) << name << " step " << i << ": " << (now ? Describe(now, w.window) : "nothing")
                                 << " instead of " << Describe(want, w.window);
        }
    }
}

TEST_F(TabOrder, TheMainWindowReadsToolbarPageTabsListBarDateBarAndGrid) {
    Start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
    // A keyboard starts on the list bar's "Add".
    QWidget* tasks = form_->Listbar1->widget(0);
    ASSERT_EQ(TestKeys::Focused(), tasks);
    std::vector<QWidget*> expected;
    for (QAction* a : form_->Toolbar1->actions()) expected.push_back(form_->Toolbar1->widgetForAction(a));
    const auto captions = form_->Listbar1->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(captions.size(), 4);
    // The other groups' lists are closed.
    const std::initializer_list<QWidget*> rest = {
        form_->SSTab1->tabBar(), captions[0], tasks, captions[1], captions[2], captions[3],
        form_->DatePicker1, form_->Combo3, form_->Command1, form_->Command6, form_->Command7, form_->Command5,
        form_->Grid1View};
    expected.insert(expected.end(), rest);
    // From the last toolbar button round to it again.
    ASSERT_TRUE(TestKeys::TabTo(expected.front()));
    for (size_t i = 1; i <= expected.size(); ++i) {
        TestKeys::Press(Qt::Key_Tab);
        QWidget* want = expected[i % expected.size()];
        QWidget* now = TestKeys::Focused();
        ASSERT_TRUE(now == want || want->isAncestorOf(now))
            << "step " << i << ": " << (now ? Describe(now, form_) : "nothing") << " instead of " << Describe(want, form_);
    }
}

}  // namespace

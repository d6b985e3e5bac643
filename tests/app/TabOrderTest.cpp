// Tab walks every window's controls in reading order: top to bottom, and
// left to right along a line.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolBox>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <algorithm>

#include "alerts/Form10.h"
#include "alerts/Form20.h"
#include "alerts/Form21.h"
#include "alerts/Form24.h"
#include "alerts/MainMail.h"
#include "alerts/frmaddress.h"
#include "app/Form5.h"
#include "app/Form7.h"
#include "lists/ListWindows.h"
#include "platform/Forms.h"
#include "platform/GridPrint.h"
#include "platform/GridView.h"
#include "schedule/Form19.h"
#include "schedule/frmExcel.h"
#include "tasks/Form11.h"
#include "tasks/Form18.h"
#include "tasks/Form6.h"
#include "tasks/OneFieldEditors.h"
#include "tasks/frmcost.h"
#include "utilities/BackupWindows.h"
#include "utilities/Form8.h"
#include "utilities/frmpref.h"
#include "support/Keyboard.h"
#include "support/MainWindow.h"
#include "support/Ui.h"

namespace {

class TabOrder : public MainWindowTest {};

QString Describe(QWidget* w, QWidget* window) {
    QString name = w->objectName();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) name += " '" + b->text() + "'";
    if (name.isEmpty()) name = w->accessibleName();
    const QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
    return QStringLiteral("%1 %2 (%3,%4 %5x%6)")
        .arg(QString::fromLatin1(w->metaObject()->className()), name)
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

TEST_F(TabOrder, EveryWindowIsWalkedInReadingOrder) {
    Start();
    NewDatabase();
    AddTask("ID-1", QDate::currentDate());
    TaskDatabase& db = form_->Database;
    const std::vector<std::pair<const char*, std::function<QWidget*()>>> windows = {
        {"Form6", [&] { return Forms::Show<Form6>(db); }},
        {"frmcost", [&] { return Forms::Show<frmcost>(); }},
        {"Form18", [&] { return Forms::Show<Form18>(db); }},
        {"Form11", [&] { return Forms::Show<Form11>(db); }},
        {"frme2", [&] { return Forms::Show<frme2>(db); }},
        {"Form12", [&] { return Forms::Show<Form12>(db); }},
        {"Form16", [&] { return Forms::Show<Form16>(db); }},
        {"Form13", [&] { return Forms::Show<Form13>(db); }},
        {"Form14", [&] { return Forms::Show<Form14>(db); }},
        {"Form15", [&] { return Forms::Show<Form15>(db); }},
        {"Form2", [&] { return Forms::Show<Form2>(db); }},
        {"Form3", [&] { return Forms::Show<Form3>(db); }},
        {"Form4", [&] { return Forms::Show<Form4>(db); }},
        {"frmequip", [&] { return Forms::Show<frmequip>(db); }},
        {"frmemployee", [&] { return Forms::Show<frmemployee>(db); }},
        {"frmemployee2", [&] { return Forms::Show<frmemployee2>(db); }},
        {"frmemployee4", [&] { return Forms::Show<frmemployee4>(db); }},
        {"Form5", [&] { return Forms::Show<Form5>(); }},
        {"Form7", [&] { return Forms::Show<Form7>(); }},
        {"Form8", [&] { return Forms::Show<Form8>(); }},
        {"frmpref", [&] { return Forms::Show<frmpref>(); }},
        {"Form19", [&] { return Forms::Show<Form19>(); }},
        {"PrintPreview", [&] { return GridPrint::ShowPreview(form_->Grid1, GridPrint::PageSetup(), 100); }},
        {"frmExcel", [&] { return Forms::Show<frmExcel>(); }},
        {"MainMail", [&] { return Forms::Show<MainMail>(); }},
        {"Form24", [&] { return Forms::Show<Form24>(); }},
        {"Form10", [&] { return Forms::Show<Form10>(); }},
        {"Form21", [&] { return Forms::Show<Form21>(); }},
        {"frmaddress", [&] { return Forms::Show<frmaddress>(); }},
        {"Form23", [&] { return Forms::Show<Form23>(); }},
        {"frmZip", [&] { return Forms::Show<frmZip>(); }},
        {"Form22", [&] { return Forms::Show<Form22>(); }},
    };
    for (const auto& [name, open] : windows) {
        QWidget* window = open();
        TestUi::Settle();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window)) << name;
        // Tab from the focus the window opened with until it comes back.
        std::vector<QWidget*> chain;
        for (int i = 0; i < 200; ++i) {
            QWidget* now = TestKeys::Focused();
            ASSERT_TRUE(now) << name;
            if (!chain.empty() && now == chain.front()) break;
            ASSERT_TRUE(chain.empty() || chain.back() != now) << name << ": Tab stays in " << Describe(now, window).toStdString();
            chain.push_back(now);
            TestKeys::Press(Qt::Key_Tab);
        }
        ASSERT_GE(chain.size(), 2u) << name;
        // Read from the control nearest the top left, every next one lies
        // further right on the same line or on a lower line.
        auto place = [&](QWidget* w) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); };
        const int slack = std::max(4, window->fontMetrics().height() / 2);
        const auto first = std::min_element(chain.begin(), chain.end(), [&](QWidget* a, QWidget* b) {
            const QRect pa = place(a), pb = place(b);
            return pa.top() + slack < pb.top() || (std::abs(pa.top() - pb.top()) <= slack && pa.left() < pb.left());
        });
        std::rotate(chain.begin(), first, chain.end());
        for (size_t i = 1; i < chain.size(); ++i) {
            const QRect a = place(chain[i - 1]), b = place(chain[i]);
            const bool sameLine = std::abs(a.top() - b.top()) <= slack;
            EXPECT_TRUE(sameLine ? b.left() > a.left() : b.top() > a.top())
                << name << ": Tab goes from " << Describe(chain[i - 1], window).toStdString() << " to " << Describe(chain[i], window).toStdString();
        }
        window->close();
        TestUi::Settle();
    }
}

}  // namespace

namespace {

TEST_F(TabOrder, TheMainWindowReadsToolbarPageTabsListBarDateBarAndGrid) {
    Start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
    // A keyboard starts on the list bar's "Add".
    QWidget* tasks = form_->Listbar1->widget(0);
    ASSERT_EQ(TestKeys::Focused(), tasks);
    std::vector<QWidget*> expected;
    for (QAction* a : form_->Toolbar1->actions()) expected.push_back(form_->Toolbar1->widgetForAction(a));
    expected.push_back(form_->SSTab1->tabBar());
    const auto captions = form_->Listbar1->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(captions.size(), 4);
    expected.push_back(captions[0]);
    expected.push_back(tasks);   // the other groups' lists are closed
    expected.insert(expected.end(), captions.begin() + 1, captions.end());
    for (QWidget* w : std::initializer_list<QWidget*>{form_->DatePicker1, form_->Combo3, form_->Command1,
                                                      form_->Command6, form_->Command7, form_->Command5,
                                                      form_->Grid1View})
        expected.push_back(w);
    // From the last toolbar button round to it again.
    ASSERT_TRUE(TestKeys::TabTo(expected.front()));
    for (size_t i = 1; i <= expected.size(); ++i) {
        TestKeys::Press(Qt::Key_Tab);
        QWidget* want = expected[i % expected.size()];
        QWidget* now = TestKeys::Focused();
        ASSERT_TRUE(now == want || want->isAncestorOf(now))
            << "step " << i << ": " << (now ? Describe(now, form_).toStdString() : "nothing") << " instead of "
            << Describe(want, form_).toStdString();
    }
}

}  // namespace

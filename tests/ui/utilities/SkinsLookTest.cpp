// Every window under every shipped skin, as painted: the arrows of date,
// time and combo boxes and the marks of check boxes and option buttons
// stand out from what they are drawn on; and a change of skin leaves
// nothing of the skin before.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabWidget>
#include <cmath>
#include <functional>
#include <type_traits>
#include <gtest/gtest.h>

#include "ui/alerts/Form10.h"
#include "ui/alerts/Form21.h"
#include "ui/alerts/Form24.h"
#include "ui/alerts/MainMail.h"
#include "ui/alerts/frmaddress.h"
#include "app/Form25.h"
#include "app/Form5.h"
#include "app/Form7.h"
#include "model/database/TaskDatabase.h"
#include "ui/lists/ListWindows.h"
#include "widgets/Skin.h"
#include "ui/schedule/Form19.h"
#include "ui/schedule/frmExcel.h"
#include "ui/schedule/frmtip.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "ui/tasks/Form11.h"
#include "ui/tasks/Form18.h"
#include "ui/tasks/Form6.h"
#include "ui/tasks/OneFieldEditors.h"
#include "ui/tasks/frmcost.h"
#include "ui/utilities/BackupWindows.h"
#include "ui/utilities/Form8.h"
#include "ui/utilities/frmpref.h"

namespace {

const QStringList kSkins = {"light", "dark", "high-contrast"};
QString ShippedSkin(const QString& name) { return Skin::ShippedSkinsFolder() + "/" + name + ".skn"; }

double Luminance(QRgb c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double Contrast(QRgb a, QRgb b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How many pixels of `area` stand out (3:1, as marks must) from the colour
// the area is mostly painted in.
int StandingOut(const QImage& image, const QRect& area) {
    const QRect r = area.intersected(image.rect());
    QHash<QRgb, int> counts;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) ++counts[image.pixel(x, y) | 0xff000000];
    QRgb ground = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), ground = it.key();
    int out = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (Contrast(it.key(), ground) >= 3.0) out += it.value();
    return out;
}

QImage Grab(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Checks that every mark the control paints stands out, each in the look the
// user sees; returns how many it checked.
int CheckMarks(QWidget* w, const std::string& where) {
    int checked = 0;
    auto check = [&](const std::string& what, const QImage& image, const QRect& area) {
        ++checked;
        EXPECT_GE(StandingOut(image, area), 4) << where << ": the " << what << " of " << w->metaObject()->className()
                                               << " \"" << w->objectName().toStdString() << "\" does not stand out";
    };
    QStyle* style = w->style();
    auto* spin = qobject_cast<QAbstractSpinBox*>(w);
    auto* dt = qobject_cast<QDateTimeEdit*>(w);
    auto* combo = qobject_cast<QComboBox*>(w);
    if (combo || (dt && dt->calendarPopup())) {
        // A date field with a calendar is painted as a combo box too.
        QStyleOptionComboBox opt;
        opt.initFrom(w);
        opt.editable = !combo || combo->isEditable();
        opt.frame = combo ? combo->hasFrame() : spin->hasFrame();
        opt.subControls = QStyle::SC_All;
        check("drop-down arrow", Grab(w), style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, w));
    } else if (spin) {
        QStyleOptionSpinBox opt;
        opt.initFrom(w);
        opt.frame = spin->hasFrame();
        opt.buttonSymbols = spin->buttonSymbols();
        opt.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
        opt.subControls = QStyle::SC_All;
        // An arrow that cannot step is dimmed on purpose, and a field holding
        // the time now cannot step its hour up after 23:00; so the field is
        // put mid-range, where both arrows step whatever the clock says.
        if (dt && !spin->wrapping()) {
            const QDateTime least = dt->minimumDateTime();
            dt->setDateTime(least.addMSecs(least.msecsTo(dt->maximumDateTime()) / 2));
        }
        check("up arrow", Grab(w), style->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxUp, w));
        check("down arrow", Grab(w), style->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxDown, w));
    } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
        // Both states, painted as the box paints itself.
        const bool box = qobject_cast<QCheckBox*>(w);
        for (const bool on : {false, true}) {
            QStyleOptionButton opt;
            opt.initFrom(w);
            opt.text = static_cast<QAbstractButton*>(w)->text();
            opt.state &= ~(QStyle::State_On | QStyle::State_Off);
            opt.state |= on ? QStyle::State_On : QStyle::State_Off;
            QImage image = Grab(w);
            QPainter p(&image);
            style->drawControl(box ? QStyle::CE_CheckBox : QStyle::CE_RadioButton, &opt, &p, w);
            p.end();
            check(std::string(on ? "ticked " : "clear ") + (box ? "check box" : "option button"), image, style->subElementRect(box ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &opt, w));
        }
    }
    return checked;
}

// Every enabled control the window shows, over all pages of its tabs.
QList<QWidget*> Controls(QWidget* window) {
    QList<QWidget*> seen;
    auto collect = [&] {
        for (QWidget* w : window->findChildren<QWidget*>())
            if (w->isVisibleTo(window) && w->isEnabled() && !seen.contains(w) &&
                (qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w) ||
                 qobject_cast<QRadioButton*>(w)))
                seen << w;
    };
    collect();
    for (QTabWidget* tabs : window->findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            collect();
        }
    return seen;
}

class SkinsLook : public MainWindowTest {
protected:
    void TearDown() override {
        QFile::remove(Skin::CurrentSkinPath());
        MainWindowTest::TearDown();
    }
    // The marks of every control of `window` in `skin`; returns how many.
    int CheckWindow(QWidget* window, const QString& name, const QString& skin) {
        window->show();
        QApplication::processEvents();
        int checked = 0;
        for (QWidget* control : Controls(window)) checked += CheckMarks(control, (skin + ", " + name).toStdString());
        return checked;
    }
};

using Make = std::function<QWidget*(TaskDatabase&)>;

// A window as the program makes it, handed the database when it edits one.
template <class W>
std::pair<QString, Make> Window(const char* name) {
    return {name, [](TaskDatabase& db) -> QWidget* {
                if constexpr (std::is_constructible_v<W, TaskDatabase&>) return new W(db);
                else return new W;
            }};
}

TEST_F(SkinsLook, EveryWindowsArrowsAndMarksStandOutInEveryShippedSkin) {
    const std::vector<std::pair<QString, Make>> windows = {
        Window<Form6>("Form6"),         Window<Form10>("Form10"),   Window<Form11>("Form11"),
        Window<Form18>("Form18"),       Window<Form19>("Form19"),   Window<Form21>("Form21"),
        Window<Form24>("Form24"),       Window<MainMail>("MainMail"), Window<frmaddress>("frmaddress"),
        Window<frmcost>("frmcost"),     Window<frmtip>("frmtip"),   Window<frmExcel>("frmExcel"),
        Window<Form8>("Form8"),         Window<frmpref>("frmpref"), Window<Form2>("Form2"),
        Window<Form4>("Form4"),         Window<frmequip>("frmequip"), Window<Form3>("Form3"),
        Window<frmemployee>("frmemployee"), Window<frme2>("frme2"), Window<Form12>("Form12"),
        Window<Form16>("Form16"),       Window<Form13>("Form13"),   Window<Form14>("Form14"),
        Window<Form15>("Form15"),       Window<Form23>("Form23"),   Window<frmZip>("frmZip"),
        Window<Form22>("Form22"),       Window<Form5>("Form5"),     Window<Form7>("Form7"),
    };
    for (const QString& skin : kSkins) {
        QString error;
        ASSERT_TRUE(Skin::MakeCurrent(ShippedSkin(skin), &error)) << error.toStdString();
        Start();   // the main window takes the skin at start-up
        int checked = CheckWindow(form_, "Form1", skin);
        for (const auto& [name, make] : windows) {
            std::unique_ptr<QWidget> w(make(form_->Database));
            Skin::ApplyCurrent(w.get());   // as every window does when it loads
            checked += CheckWindow(w.get(), name, skin);
        }
        EXPECT_GE(checked, 40) << skin.toStdString();
        Stop();
    }
}

TEST_F(SkinsLook, ChangingTheSkinLeavesNothingOfTheSkinBefore) {
    QString error;
    ASSERT_TRUE(Skin::MakeCurrent(ShippedSkin("light"), &error)) << error.toStdString();
    Start();
    QApplication::setActiveWindow(nullptr);   // no blinking cursor in the pictures
    const QList<QWidget*> fields = {form_->DatePicker1, form_->Combo3};
    QList<QImage> fresh;
    for (QWidget* f : fields) fresh << Grab(f);

    for (const QString& skin : {QString("high-contrast"), QString("light")}) {
        TestEnv::Dialogs().AnswerOpen(ShippedSkin(skin));
        form_->MenuItem("mnuskin")->trigger();
        QApplication::processEvents();
    }
    for (int i = 0; i < fields.size(); ++i)
        EXPECT_EQ(Grab(fields[i]), fresh[i]) << fields[i]->objectName().toStdString() << " keeps a look of the skin before";
}

}  // namespace

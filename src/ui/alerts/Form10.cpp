#include "ui/alerts/Form10.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "model/alerts/AlertCheck.h"
#include "widgets/DateField.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "platform/Help.h"
#include "widgets/Forms.h"
#include "widgets/OptionButton.h"
#include "widgets/Skin.h"

namespace {
const QString kKey = QStringLiteral("Settings");

// A stored Boolean as the option buttons read it: "True"/"False" in any
// case, or a number (not 0 is true); anything else is unreadable.
std::optional<bool> ReadBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) return false;
    bool ok = false;
    const double n = t.toDouble(&ok);
    if (ok) return n != 0;
    return std::nullopt;
}

QString BoolText(bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); }
}  // namespace

Form10::Form10() {
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Tray Notify Alert"));
    setModal(false);

    Option1 = new OptionButton(QStringLiteral("Alert By Tray"), this);
    Option2 = new OptionButton(QStringLiteral("Alert By Email"), this);
    Text1 = new QLineEdit(this);
    DatePicker2 = NewTimeField(this);
    DatePicker2->setDisplayFormat(QStringLiteral("HH:mm"));
    Command1 = new QPushButton(QStringLiteral("&Apply"), this);
    Command2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command3 = new QPushButton(QStringLiteral("&Help"), this);

    auto* fields = new QGridLayout;
    fields->addWidget(Option1, 0, 0, 1, 2);
    fields->addWidget(Option2, 1, 0, 1, 2);
    auto* days = new QLabel(QStringLiteral("Notify Days In Advance"), this);
    days->setBuddy(Text1);
    fields->addWidget(days, 2, 0);
    fields->addWidget(Text1, 2, 1);
    auto* time = new QLabel(QStringLiteral("Time To Check:"), this);
    time->setBuddy(DatePicker2);
    fields->addWidget(time, 3, 0);
    fields->addWidget(DatePicker2, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command3);
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);

    // The days first, then how and when, then the buttons from Apply on.
    Forms::KeepTabOrder(this, {Text1, Option1, Option2, DatePicker2, Command1, Command2, Command3});

    connect(Command1, &QPushButton::clicked, this, &Form10::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form10::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form10::Command3_Click);
    Skin::ApplyCurrent(this);
    Form_Load();
    Text1->setFocus();
}

void Form10::Form_Load() {
    aaxRegistry reg;
    reg.Root(QStringLiteral("HKEY_CURRENT_USER"));
    reg.OpenKey(QStringLiteral("Software\\Quillon\\Settings"));
    Text1->setText(reg.GetValue(QStringLiteral("AlertDays")));
    if (auto tray = ReadBool(reg.GetValue(QStringLiteral("AlertTray")))) Option1->setChecked(*tray);
    if (auto mail = ReadBool(reg.GetValue(QStringLiteral("AlertMail")))) Option2->setChecked(*mail);
    if (auto at = Alerts::ParseAlertTime(reg.GetValue(QStringLiteral("AlertTime")))) {
        loaded_ = QTime(at->hour(), at->minute(), at->second());
        DatePicker2->setTime(loaded_);
    }
}

QTime Form10::PickedTime() const {
    const QTime shown = DatePicker2->time();
    const QTime t(shown.hour(), shown.minute());
    if (loaded_.isValid() && loaded_.hour() == t.hour() && loaded_.minute() == t.minute()) return loaded_;
    return t;
}

void Form10::Command1_Click() {
    const QString at = Alerts::FormatAlertTime(PickedTime());
    bool ok = ::Settings::Set(kKey, QStringLiteral("AlertDays"), Text1->text());
    ok = ::Settings::Set(kKey, QStringLiteral("AlertTray"), BoolText(Option1->isChecked())) && ok;
    ok = ::Settings::Set(kKey, QStringLiteral("AlertMail"), BoolText(Option2->isChecked())) && ok;
    ok = ::Settings::Set(kKey, QStringLiteral("AlertTime"), at) && ok;
    if (!ok) {
        // The window stays open with what was typed, so nothing is lost.
        MsgBox(::Settings::NotSaved(QStringLiteral("The alert settings")), vb::vbExclamation);
        return;
    }
    close();
}

void Form10::Command2_Click() { close(); }

void Form10::Command3_Click() { Help::Show(Help::AlertSettings); }

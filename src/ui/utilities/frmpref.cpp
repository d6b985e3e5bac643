#include "ui/utilities/frmpref.h"

#include <QCheckBox>
#include <QColor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Autostart.h"
#include "platform/Colors.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "widgets/Forms.h"

namespace {
void ShowColour(QPushButton* button, const QString& key, const QString& value) {
    const auto number = Colors::Parse(Settings::Get(key, value));
    if (!number) return;   // absent or not a number: the button stays as it was
    const QColor c = Colors::ToQColor(*number);
    button->setStyleSheet(QStringLiteral("background-color: %1;").arg(c.name()));
    button->setProperty("colourNumber", QVariant::fromValue<qint64>(*number));
}

QPushButton* ColourButton(QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setFixedSize(48, 24);
    b->setAutoDefault(false);
    return b;
}
}  // namespace

frmpref::frmpref(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Preferences"));
    Check1 = new QCheckBox(QStringLiteral("Load Quillon On Windows Startup"), this);
    Check2 = new QCheckBox(QStringLiteral("Always Start With Today"), this);
    Command1 = ColourButton(this);
    Command2 = ColourButton(this);
    Command3 = ColourButton(this);
    Command4 = ColourButton(this);
    Command5 = new QPushButton(QStringLiteral("&Close"), this);
    Command5->setAutoDefault(false);

    // Each colour button is named after its own label, not its frame, so a
    // screen reader tells the two of a frame apart.
    const auto row = [](QGroupBox* frame, QGridLayout* grid, int line, const QString& text, QPushButton* button) {
        auto* label = new QLabel(text, frame);
        label->setBuddy(button);
        button->setAccessibleName(text);
        grid->addWidget(label, line, 0);
        grid->addWidget(button, line, 1);
    };
    auto* pastDue = new QGroupBox(QStringLiteral("Past Due"), this);
    auto* pastGrid = new QGridLayout(pastDue);
    row(pastDue, pastGrid, 0, QStringLiteral("Past Due Back Color"), Command1);
    row(pastDue, pastGrid, 1, QStringLiteral("Past Due Fore Color"), Command2);
    auto* chart = new QGroupBox(QStringLiteral("Gantt Chart"), this);
    auto* chartGrid = new QGridLayout(chart);
    row(chart, chartGrid, 0, QStringLiteral("Gannt Back Color"), Command3);
    row(chart, chartGrid, 1, QStringLiteral("Gantt Pyjamas Color"), Command4);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Check1);
    layout->addWidget(Check2);
    auto* frames = new QHBoxLayout;
    frames->addWidget(pastDue);
    frames->addWidget(chart);
    layout->addLayout(frames);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(Command5);
    layout->addLayout(bottom);

    // toggled, not clicked: setting the box from the stored value runs the
    // handler too when it changes the box, which rewrites the autostart entry.
    connect(Check1, &QCheckBox::toggled, this, &frmpref::Check1_Click);
    connect(Check2, &QCheckBox::toggled, this, &frmpref::Check2_Click);
    connect(Command1, &QPushButton::clicked, this, &frmpref::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmpref::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmpref::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmpref::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &frmpref::Command5_Click);

    Forms::Prepare(this);
    GetValues();
}

void frmpref::GetValues() {
    ShowColour(Command1, QStringLiteral("Colors"), QStringLiteral("PastDue"));
    ShowColour(Command2, QStringLiteral("Colors"), QStringLiteral("ForeDue"));
    ShowColour(Command3, QStringLiteral("Chart"), QStringLiteral("Backcolor"));
    ShowColour(Command4, QStringLiteral("Chart"), QStringLiteral("Forecolor"));
    bool ok = false;
    const int startup = Settings::Get(QStringLiteral("Settings"), QStringLiteral("Startup")).trimmed().toInt(&ok);
    if (ok) Check1->setChecked(startup != 0);
    ok = false;
    const int today = Settings::Get(QStringLiteral("Settings"), QStringLiteral("Today")).trimmed().toInt(&ok);
    if (ok) Check2->setChecked(today != 0);
}

void frmpref::Check1_Click() {
    const bool on = Check1->isChecked();
    if (!Settings::Set(QStringLiteral("Settings"), QStringLiteral("Startup"), on ? QStringLiteral("1") : QStringLiteral("0")))
        MsgBox(Settings::NotSaved(QStringLiteral("The start-up option")), vb::vbExclamation);
    QString error;
    if (!(on ? Autostart::Enable(&error) : Autostart::Disable(&error)))
        MsgBox(on ? QStringLiteral("Quillon could not be set to start at log-on: %1").arg(error)
                  : QStringLiteral("Quillon could not be kept from starting at log-on: %1").arg(error),
               vb::vbExclamation);
}

void frmpref::Check2_Click() {
    if (!Settings::Set(QStringLiteral("Settings"), QStringLiteral("Today"),
                       Check2->isChecked() ? QStringLiteral("1") : QStringLiteral("0")))
        MsgBox(Settings::NotSaved(QStringLiteral("The start-up option")), vb::vbExclamation);
}

void frmpref::ChooseColor(const QString& key, const QString& value, void (frmpref::*applied)(qint64)) {
    const auto colour = Dialogs::Get().Color(last_, QString());
    if (!colour || !colour->isValid()) return;   // cancel keeps the stored colour
    last_ = *colour;
    const quint32 number = Colors::FromQColor(*colour);
    if (!Settings::Set(key, value, Colors::ToText(static_cast<qint32>(number)))) {
        MsgBox(Settings::NotSaved(QStringLiteral("The colour")), vb::vbExclamation);
        return;
    }
    if (applied) emit(this->*applied)(number);
    emit ColorsStored();
    GetValues();
}

void frmpref::Command1_Click() { ChooseColor(QStringLiteral("Colors"), QStringLiteral("PastDue"), nullptr); }
void frmpref::Command2_Click() { ChooseColor(QStringLiteral("Colors"), QStringLiteral("ForeDue"), nullptr); }
void frmpref::Command3_Click() {
    ChooseColor(QStringLiteral("Chart"), QStringLiteral("Backcolor"), &frmpref::ChartBackColorChosen);
}
void frmpref::Command4_Click() {
    ChooseColor(QStringLiteral("Chart"), QStringLiteral("Forecolor"), &frmpref::ChartPyjamasColorChosen);
}

void frmpref::Command5_Click() { close(); }

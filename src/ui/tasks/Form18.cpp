#include "ui/tasks/Form18.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/database/TaskDatabase.h"
#include "widgets/DateField.h"
#include "platform/Dialogs.h"
#include "widgets/Forms.h"
#include "platform/Help.h"
#include "model/tasks/Recurrence.h"

namespace {

QStringList Numbers(int last) {
    QStringList list;
    list.reserve(last);
    for (int i = 1; i <= last; ++i) list << QString::number(i);
    return list;
}

QComboBox* NumberList(QWidget* parent, int last) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    // Typed text is handed over as it stands; it must never turn into a new
    // list entry.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(Numbers(last));
    combo->setCurrentText(QStringLiteral("1"));
    combo->setMaxVisibleItems(20);
    return combo;
}

}  // namespace

Form18::Form18(TaskDatabase& database) : db_(database) {
    setWindowTitle(QStringLiteral("Auto Generate Selected Task"));

    SkinLabel1 = new QLabel(QStringLiteral("From Date:"), this);
    SkinLabel2 = new QLabel(QStringLiteral("Number Of Days Between Tasks"), this);
    SkinLabel3 = new QLabel(QStringLiteral("Number Of Tasks To Generate"), this);
    DatePicker1 = NewDateField(this);
    DatePicker1->setCalendarPopup(false);
    DatePicker1->setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
    DatePicker1->setDate(QDate::currentDate());
    DatePicker1->setEnabled(false);
    Combo1 = NumberList(this, Recurrence::kMaxInterval);
    Combo2 = NumberList(this, Recurrence::kMaxCount);
    Command1 = new QPushButton(QStringLiteral("&Generate"), this);
    Command2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command3 = new QPushButton(QStringLiteral("&Help"), this);

    auto* inputs = new QGridLayout;
    inputs->addWidget(SkinLabel1, 0, 0);
    inputs->addWidget(SkinLabel2, 0, 1);
    inputs->addWidget(SkinLabel3, 0, 2);
    inputs->addWidget(DatePicker1, 1, 0);
    inputs->addWidget(Combo1, 1, 1);
    inputs->addWidget(Combo2, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(inputs);
    layout->addLayout(buttons);

    connect(Combo1, &QComboBox::activated, this, &Form18::Combo1_Click);
    connect(Combo2, &QComboBox::activated, this, &Form18::Combo2_Click);
    connect(Command1, &QPushButton::clicked, this, &Form18::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form18::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form18::Command3_Click);

    Forms::Prepare(this);
}

Form18::~Form18() = default;

void Form18::CopyTexts() {
    emit ValuesChosen(Combo1->currentText(), Combo2->currentText());
}

void Form18::Combo1_Click() { CopyTexts(); }
void Form18::Combo2_Click() { CopyTexts(); }

void Form18::Release() {
    Forms::Forget(this);
    close();
}

void Form18::Command1_Click() {
    if (db_.Busy()) return;
    // Refused input keeps the window open so the user can correct it.
    const int row = db_.Tasks().ActiveRow();
    if (!db_.Tasks().IsDataRow(row)) {
        MsgBox(QStringLiteral("No Tasks Found"), vb::vbCritical);
        return;
    }
    const std::optional<int> count = Recurrence::ReadCount(Combo2->currentText());
    if (!count) {
        MsgBox(Recurrence::CountRefused(), vb::vbExclamation);
        return;
    }
    if (*count > 0 && !Recurrence::ReadInterval(Combo1->currentText())) {
        MsgBox(Recurrence::IntervalRefused(), vb::vbExclamation);
        return;
    }
    showMinimized();
    CopyTexts();
    QPointer<Form18> self(this);
    emit GenerateRequested();
    if (self) self->Release();
}

void Form18::Command2_Click() { Release(); }

void Form18::Command3_Click() {
    Help::Show(Help::Recurrence);
}

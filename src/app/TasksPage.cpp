#include "app/TasksPage.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolBox>
#include <QVBoxLayout>

#include "model/database/DateWindow.h"
#include "platform/DateText.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "widgets/DateField.h"
#include "widgets/GridView.h"

namespace {
QPushButton* Button(const char* name, const QString& caption) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QLatin1String(name));
    return b;
}

void DateWindowNotSaved() {
    MsgBox(Settings::NotSaved(QStringLiteral("The date window")), vb::vbExclamation, Quillon::kTitle);
}
}  // namespace

TasksPage::TasksPage(Grid& tasks, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    auto* split = new QSplitter(Qt::Horizontal, this);
    layout->addWidget(split);
    listBar_ = new QToolBox;
    listBar_->setObjectName(QStringLiteral("Listbar1"));
    listBar_->setMinimumWidth(150);
    split->addWidget(listBar_);

    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("From Date:")));
    from_ = NewDateField();
    from_->setDate(QDate::currentDate());
    from_->setObjectName(QStringLiteral("DatePicker1"));
    bar->addWidget(from_);
    bar->addWidget(new QLabel(QStringLiteral("# Days")));
    days_ = new QComboBox;
    days_->setObjectName(QStringLiteral("Combo3"));
    days_->setEditable(true);
    days_->setInsertPolicy(QComboBox::NoInsert);
    days_->setEditText(QStringLiteral("7"));
    days_->setMinimumWidth(70);
    bar->addWidget(days_);
    refresh_ = Button("Command1", QStringLiteral("&Refresh"));
    today_ = Button("Command6", QStringLiteral("&Today"));
    viewAll_ = Button("Command7", QStringLiteral("&View All"));
    clearAlerts_ = Button("Command5", QStringLiteral("&Clear Alerts"));
    for (auto* b : {refresh_, today_, viewAll_, clearAlerts_}) bar->addWidget(b);
    bar->addStretch(1);
    rightLayout->addLayout(bar);
    auto* where = new QHBoxLayout;
    where->addWidget(new QLabel(QStringLiteral("Database:")));
    name_ = new QLabel;
    name_->setObjectName(QStringLiteral("Label7"));
    name_->setStyleSheet(QStringLiteral("font-weight: bold"));
    where->addWidget(name_);
    folder_ = new QLabel;
    folder_->setObjectName(QStringLiteral("lblpath"));
    folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path must not make the window wider than the screen.
    folder_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    folder_->setMinimumWidth(40);
    where->addWidget(folder_, 1);
    rightLayout->addLayout(where);
    view_ = new GridView(&tasks);
    view_->setObjectName(QStringLiteral("Grid1"));
    rightLayout->addWidget(view_, 1);
    split->addWidget(right);
    split->setStretchFactor(1, 1);

    connect(from_, &QDateEdit::dateChanged, this, &TasksPage::FromChanged);
    // The box also reports an activation when it merely loses the focus;
    // only a count the user changed re-runs the date window.
    connect(days_, &QComboBox::activated, this, [this] {
        if (days_->currentText() != accepted_) emit DaysChosen();
    });
}

QDate TasksPage::From() const { return from_->date(); }

void TasksPage::SetFrom(const QDate& date) {
    QSignalBlocker block(from_);
    from_->setDate(date);
}

double TasksPage::Length() const { return DateWindow::LeadingNumber(days_->currentText()); }

void TasksPage::FillDayList() {
    const QString text = days_->currentText();
    QSignalBlocker block(days_);
    QStringList days;
    days.reserve(365);
    for (int i = 1; i <= 365; ++i) days << QString::number(i);
    days_->clear();
    days_->addItems(days);
    days_->setEditText(text);
}

void TasksPage::AcceptDays() { accepted_ = days_->currentText(); }

bool TasksPage::CheckDays() {
    bool ok = false;
    const double days = days_->currentText().trimmed().toDouble(&ok);
    if (ok && days >= 0) {
        AcceptDays();
        return true;
    }
    MsgBox(QStringLiteral("\"%1\" is not a number of days. Enter a number such as 7 or 30.").arg(days_->currentText()),
           vb::vbExclamation, Quillon::kTitle);
    days_->setEditText(accepted_);
    return false;
}

void TasksPage::StoreWindow() {
    if (!Settings::Set(QStringLiteral("Dates"), QStringLiteral("From"), DateText::FormatSettingDate(from_->date())) ||
        !Settings::Set(QStringLiteral("Dates"), QStringLiteral("To"), days_->currentText()))
        DateWindowNotSaved();
}

void TasksPage::StoreFrom() {
    if (!Settings::Set(QStringLiteral("Dates"), QStringLiteral("From"), DateText::FormatSettingDate(from_->date())))
        DateWindowNotSaved();
}

void TasksPage::StoreDays() {
    if (!Settings::Set(QStringLiteral("Dates"), QStringLiteral("To"), days_->currentText())) DateWindowNotSaved();
}

#include "ui/tasks/OneFieldEditors.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "model/database/DatabaseNotices.h"
#include "model/database/TaskColumns.h"
#include "model/database/TaskDatabase.h"
#include "model/lists/ListFile.h"
#include "widgets/DateField.h"
#include "platform/DateText.h"
#include "widgets/Forms.h"

namespace {

// The row Apply writes: the active task row, or -1 when the header row (or
// nothing) is active, or while a long pass is working on the grid.
int TargetRow(const TaskDatabase& db) {
    if (db.Busy()) return -1;
    const int row = db.Tasks().ActiveRow();
    return db.Tasks().IsDataRow(row) ? row : -1;
}

QHBoxLayout* ButtonRow(QPushButton* apply, QPushButton* close) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(apply);
    row->addWidget(close);
    return row;
}

// Releases the window's single instance and closes it (it is deleted once
// closed), so the next opening loads it afresh.
template <class T>
void ReleaseWindow(T* window) {
    Forms::Forget(window);
    window->close();
}

}  // namespace

// ---------------------------------------------------------------------------

ListFieldEditor::ListFieldEditor(TaskDatabase& database, const Setup& setup) : db_(database), setup_(setup) {
    setWindowTitle(setup.caption);
    List1 = new QListWidget(this);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setSortingEnabled(false);
    Command3 = new QPushButton(QStringLiteral("&Apply"), this);
    Command4 = new QPushButton(QStringLiteral("&Close"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List1);
    layout->addLayout(ButtonRow(Command3, Command4));
    connect(Command3, &QPushButton::clicked, this, &ListFieldEditor::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &ListFieldEditor::Command4_Click);
    Forms::Prepare(this);
    ReadReg();
}

void ListFieldEditor::ReadReg() {
    List1->addItems(ListFile(db_.ListFilePath()).Names(setup_.section));
}

void ListFieldEditor::Command3_Click() {
    const int row = TargetRow(db_);
    if (row < 0) return;
    Grid& grid = db_.Tasks();
    for (int i = 0; i < List1->count(); ++i) {
        QListWidgetItem* item = List1->item(i);
        if (item->isSelected()) grid.SetText(row, setup_.column, item->text());
    }
    grid.AutoFit(setup_.column);
    DatabaseNotices::Save(db_);
    if (setup_.closesAfterApply) Release();
}

void ListFieldEditor::Command4_Click() { Release(); }

// ---------------------------------------------------------------------------

DateFieldEditor::DateFieldEditor(TaskDatabase& database, const Setup& setup) : db_(database), setup_(setup) {
    setWindowTitle(setup.caption);
    Label1 = new QLabel(setup.dateLabel, this);
    DatePicker1 = NewDateField(this);
    // The picker's value is kept as written: no local-time rule may move it.
    DatePicker1->setTimeSpec(Qt::UTC);
    auto* form = new QFormLayout;
    form->addRow(Label1, DatePicker1);
    if (setup.timeColumn >= 0) {
        Label2 = new QLabel(setup.timeLabel, this);
        DatePicker2 = NewTimeField(this);
        form->addRow(Label2, DatePicker2);
    }
    Command1 = new QPushButton(QStringLiteral("&Apply"), this);
    Command2 = new QPushButton(QStringLiteral("&Close"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(ButtonRow(Command1, Command2));
    connect(Command1, &QPushButton::clicked, this, &DateFieldEditor::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &DateFieldEditor::Command2_Click);
    Preset();
    Forms::Prepare(this);
}

// The pickers open on the active task's value, or on today when it has none.
void DateFieldEditor::Preset() {
    const QDateTime now = QDateTime::currentDateTime();
    QDateTime date(now.date(), QTime(0, 0), Qt::UTC);
    QTime time(now.time().hour(), now.time().minute());
    const Grid& grid = db_.Tasks();
    const int row = grid.ActiveRow();
    if (grid.IsDataRow(row)) {
        if (const auto d = DateText::ParseDateTime(grid.Text(row, setup_.dateColumn)))
            date = QDateTime(d->date(), d->time(), Qt::UTC);
        if (setup_.timeColumn >= 0)
            if (const auto t = DateText::ParseTime(grid.Text(row, setup_.timeColumn))) time = *t;
    }
    DatePicker1->setDateTime(date);
    if (DatePicker2) DatePicker2->setTime(time);
}

void DateFieldEditor::Command1_Click() {
    const int row = TargetRow(db_);
    if (row < 0) return;
    Grid& grid = db_.Tasks();
    const QDateTime picked = DatePicker1->dateTime();
    grid.SetText(row, setup_.dateColumn,
                 DateText::FormatGeneral(QDateTime(picked.date(), picked.time(), Qt::UTC)));
    if (DatePicker2) grid.SetText(row, setup_.timeColumn, DateText::FormatTime(DatePicker2->time()));
    grid.AutoFit(setup_.dateColumn);
    if (DatePicker2) grid.AutoFit(setup_.timeColumn);
    DatabaseNotices::Save(db_);
}

void DateFieldEditor::Command2_Click() { Release(); }

// ---------------------------------------------------------------------------

frme2::frme2(TaskDatabase& database)
    : ListFieldEditor(database, {QStringLiteral("Equipment"), ListSection::Equipment, Col::Equipment, true}) {}
void frme2::Release() { ReleaseWindow(this); }

Form12::Form12(TaskDatabase& database)
    : ListFieldEditor(database, {QStringLiteral("Assign To"), ListSection::Employees, Col::AssignedTo, false}) {}
void Form12::Release() { ReleaseWindow(this); }

Form16::Form16(TaskDatabase& database)
    : ListFieldEditor(database, {QStringLiteral("Type"), ListSection::Types, Col::Type, false}) {
    connect(List1, &QListWidget::itemDoubleClicked, this, &Form16::List1_DblClick);
}
void Form16::List1_DblClick() { Command3_Click(); }
void Form16::Release() { ReleaseWindow(this); }

Form13::Form13(TaskDatabase& database)
    : DateFieldEditor(database, {QStringLiteral("Request Date"), QStringLiteral("Request Date"), Col::RequestDate, QString(), -1}) {}
void Form13::Release() { ReleaseWindow(this); }

Form14::Form14(TaskDatabase& database)
    : DateFieldEditor(database, {QStringLiteral("Scheduled Start"), QStringLiteral("Scheduled Start Date"), Col::ScheduledStart,
                       QStringLiteral("Scheduled Start Time"), Col::StartTime}) {}
void Form14::Release() { ReleaseWindow(this); }

Form15::Form15(TaskDatabase& database)
    : DateFieldEditor(database, {QStringLiteral("Scheduled End"), QStringLiteral("Scheduled End Date"), Col::ScheduledEnd,
                       QStringLiteral("Scheduled End Time"), Col::EndTime}) {}
void Form15::Release() { ReleaseWindow(this); }

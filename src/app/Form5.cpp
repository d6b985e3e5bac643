#include "app/Form5.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/database/DatabaseNotices.h"
#include "model/database/TaskColumns.h"
#include "model/database/TaskDatabase.h"
#include "widgets/Forms.h"
#include "platform/Grid.h"

namespace ColumnChooser {

const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = {
        {QStringLiteral("Task ID"), Col::TaskId},
        {QStringLiteral("Equipment"), Col::Equipment},
        {QStringLiteral("Request Date"), Col::RequestDate},
        {QStringLiteral("Scheduled Start"), Col::ScheduledStart},
        {QStringLiteral("Start Time"), Col::StartTime},
        {QStringLiteral("Scheduled End"), Col::ScheduledEnd},
        {QStringLiteral("End Time"), Col::EndTime},
        {QStringLiteral("Assigned To"), Col::AssignedTo},
        {QStringLiteral("Requested By"), Col::RequestedBy},
        {QStringLiteral("Type"), Col::Type},
        {QStringLiteral("Frequency (Days)"), Col::Frequency},
        {QStringLiteral("Status"), Col::Status},
    };
    return entries;
}

std::vector<bool> Marks(const Grid& grid) {
    std::vector<bool> marks;
    for (const Entry& e : Entries())
        marks.push_back(e.col < grid.Cols() && grid.ColumnWidth(e.col) > 0);
    return marks;
}

void Apply(Grid& grid, const std::vector<bool>& marks) {
    const auto& entries = Entries();
    grid.SetRedraw(false);
    for (size_t i = 0; i < entries.size(); ++i) {
        const int c = entries[i].col;
        if (c >= grid.Cols()) continue;
        if (i < marks.size() && marks[i]) {
            grid.SetColumnWidth(c, 100);
            grid.SetText(0, c, entries[i].text);
        } else {
            grid.SetText(0, c, QString());
            grid.SetColumnWidth(c, 0);
        }
    }
    // The document column is never shown, whatever its header says.
    if (Col::Document < grid.Cols()) {
        grid.SetColumnWidth(Col::Document, 0);
        grid.SetText(0, Col::Document, QString());
    }
    // Fit only what is shown: fitting measures the texts and would give a
    // hidden column its width back.
    for (int k = 1; k < grid.Cols(); ++k) {
        if (grid.TextUtf8(0, k).empty())
            grid.SetColumnWidth(k, 0);
        else if (grid.ColumnWidth(k) > 0)
            grid.AutoFit(k);
    }
    grid.SetRedraw(true);
}

}  // namespace ColumnChooser

Form5::Form5(TaskDatabase& db) : db_(db) {
    setWindowTitle(QStringLiteral("Columns"));
    List1 = new QListWidget(this);
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    Command1 = new QPushButton(QStringLiteral("&Apply"), this);
    Command2 = new QPushButton(QStringLiteral("&Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command2);
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List1, 1);
    layout->addLayout(buttons);
    connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);

    Forms::Prepare(this, QSize(240, 320));
    GetGrid1();
}

Form5::~Form5() = default;

void Form5::GetGrid1() {
    List1->clear();
    for (const auto& e : ColumnChooser::Entries()) List1->addItem(e.text);
    const std::vector<bool> marks = ColumnChooser::Marks(db_.Tasks());
    for (int i = 0; i < List1->count() && i < int(marks.size()); ++i) List1->item(i)->setSelected(marks[size_t(i)]);
}

std::vector<bool> Form5::ListMarks() const {
    std::vector<bool> marks;
    for (int i = 0; i < List1->count(); ++i) marks.push_back(List1->item(i)->isSelected());
    return marks;
}

void Form5::Command1_Click() {
    ColumnChooser::Apply(db_.Tasks(), ListMarks());
    // A failed save is told to the user there; the choice stays in memory.
    DatabaseNotices::Save(db_);
    close();
}

void Form5::Command2_Click() {
    close();
}

#include "ui/tasks/Form11.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/database/TaskColumns.h"
#include "model/database/TaskDatabase.h"
#include "platform/Dialogs.h"
#include "platform/FileOps.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "model/tasks/TaskFiles.h"

namespace {
using Quillon::kTitle;
}

Form11::Form11(TaskDatabase& database) {
    setWindowTitle(QStringLiteral("Task Items"));
    Grid1View = new GridView(&Grid1, this);
    Command3 = new QPushButton(QStringLiteral("&Edit"), this);
    Command2 = new QPushButton(QStringLiteral("&Clear"), this);
    Command1 = new QPushButton(QStringLiteral("&Close"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command3);
    buttons->addWidget(Command2);
    buttons->addStretch();
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Grid1View, 1);
    layout->addLayout(buttons);
    connect(Command1, &QPushButton::clicked, this, &Form11::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form11::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form11::Command3_Click);

    Forms::Prepare(this, QSize(320, 360));

    // The window stays with the task it was opened on.
    {
        const Grid& tasks = database.Tasks();
        const int row = tasks.ActiveRow();
        if (tasks.IsDataRow(row)) taskId_ = tasks.Text(row, Col::TaskId);
        if (!database.TasksFolder().isEmpty() && TaskFiles::IdProblem(taskId_).isEmpty())
            itemFile_ = FileOps::Join(database.TasksFolder(), taskId_ + QStringLiteral(".ini"));
    }
    ResetList();
    GetTasks();
    Grid1.AutoFit(1);
}

Form11::~Form11() = default;

void Form11::ResetList() {
    Grid1.ClearRows();
    Grid1.SetCols(2);
    Grid1.SetRows(1);
    Grid1.SetColumnWidth(0, 0);
    Grid1.SetColumnWidth(1, 250);
    Grid1.SetText(0, 1, TaskFiles::kItemsHeader);
}

void Form11::GetTasks() {
    if (itemFile_.isEmpty()) return;
    aaxIniFile1.FileName(itemFile_);
    aaxIniFile1.SelectSection(taskId_);
    int count = 0;
    aaxIniFile1.KeyCount(count);
    for (int i = 1; i <= count; ++i) {
        QString key, value;
        if (aaxIniFile1.KeyAt(i, key, value) != 0) continue;
        Grid1.SetRows(Grid1.Rows() + 1);
        Grid1.SetText(Grid1.Rows() - 1, 1, value);
    }
    for (int r = 1; r < Grid1.Rows(); ++r)
        if (Grid1.TextUtf8(r, 1).empty()) Grid1.SetRowHeight(r, 0);
}

void Form11::Command3_Click() {
    const int row = Grid1.ActiveRow();
    if (!Grid1.IsDataRow(row) || itemFile_.isEmpty()) return;
    aaxIniFile1.FileName(itemFile_);
    const std::optional<QString> answer =
        Dialogs::Get().InputBox(QStringLiteral("Enter Task"), kTitle, Grid1.Text(row, 1));
    if (!answer || answer->isEmpty()) return;
    // One item is one line of the file: a line break would start a new key.
    if (answer->contains(QLatin1Char('\n')) || answer->contains(QLatin1Char('\r'))) {
        MsgBox(QStringLiteral("A task item must be a single line."), vb::vbExclamation, kTitle);
        return;
    }
    Grid1.SetText(row, 1, *answer);
    FileOps::MakeFolder(QFileInfo(itemFile_).absolutePath());
    if (!aaxIniFile1.WriteValue(taskId_, QString::number(row), *answer))
        MsgBox(QStringLiteral("The task item could not be saved: %1").arg(aaxIniFile1.LastError()), vb::vbCritical,
               kTitle);
}

void Form11::Command2_Click() {
    if (MsgBox(QStringLiteral("Delete Selected Record?"), vb::vbYesNo + vb::vbCritical + vb::vbDefaultButton2,
               kTitle) != vb::vbYes)
        return;
    if (!itemFile_.isEmpty() && FileOps::FileExists(itemFile_)) {
        aaxIniFile1.FileName(itemFile_);
        if (!aaxIniFile1.DeleteSection(taskId_)) {
            MsgBox(QStringLiteral("The task items could not be cleared: %1").arg(aaxIniFile1.LastError()),
                   vb::vbCritical, kTitle);
            return;
        }
    }
    ResetList();
}

void Form11::Command1_Click() {
    Forms::Forget(this);
    close();
}

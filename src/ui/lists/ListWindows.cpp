#include "ui/lists/ListWindows.h"

#include <QAbstractItemView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "model/database/DatabaseNotices.h"
#include "model/database/TaskDatabase.h"
#include "model/lists/ListFile.h"
#include "platform/Colors.h"
#include "platform/Dialogs.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"

namespace {
using Quillon::kTitle;
constexpr int kNameWidth = 144;

// Writing needs an open database; without one the user is told so once.
QString ListPathForWriting(const TaskDatabase& db) {
    if (!DatabaseNotices::RequireOpen(db)) return {};
    return db.ListFilePath();
}

// A name turned away is said as such; anything else is a failed write.
void ReportWriteFailure(const ListFile& file) {
    if (file.Refused()) {
        MsgBox(file.LastError(), vb::vbExclamation, kTitle);
        return;
    }
    MsgBox(QStringLiteral("The list file \"%1\" could not be written: %2\nIt keeps its previous content.")
               .arg(file.Path(), file.LastError()),
           vb::vbCritical, kTitle);
}

template <class Window>
void RefreshIfOpen() {
    if (Window* w = Forms::Loaded<Window>()) {
        w->ClearGrid();
        w->ReadReg();
    }
}
}  // namespace

// ---------------------------------------------------------------- ListWindow

ListWindow::ListWindow(TaskDatabase& database, const Design& design)
    : db_(database), section_(design.section), nameHeader_(design.nameHeader), colours_(design.colours),
      fitAfterListing_(design.fitAfterListing) {
    setWindowTitle(design.caption);
    Grid1View = new GridView(&Grid1, this);
    // One block of rows at a time: the rows Delete removes are exactly the
    // ones shown selected.
    Grid1View->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1View->setSelectionMode(QAbstractItemView::ContiguousSelection);

    Command1 = new QPushButton(style()->standardIcon(QStyle::SP_FileIcon), QStringLiteral("&Add"), this);
    Command2 = new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon), QStringLiteral("&Delete"), this);
    Command3 = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("&Apply"), this);
    Command4 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Close"), this);
    for (QPushButton* b : {Command1, Command2, Command3, Command4}) b->setAutoDefault(false);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    buttons->addWidget(Command4);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Grid1View, 1);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &ListWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ListWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &ListWindow::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &ListWindow::Command4_Click);
    connect(Grid1View, &GridView::DblClick, this, &ListWindow::Grid1_DblClick);

    Forms::Prepare(this, QSize(colours_ ? 420 : 340, 320));

    SetUpGrid();
    ReadReg();
    // Fitted to the entries listed, not to the empty grid before them.
    for (int c = 1; c < columns(); ++c) Grid1.AutoFit(c);
}

void ListWindow::SetUpGrid() {
    Grid1.SetCols(columns());
    Grid1.SetRows(1);
    Grid1.SetColumnWidth(0, 0);
    Grid1.SetColumnWidth(1, kNameWidth);
    Grid1.SetText(0, 1, nameHeader_);
    if (colours_) {
        Grid1.SetColumnWidth(2, kNameWidth);
        Grid1.SetText(0, 2, QStringLiteral("Gantt Color"));
    }
}

void ListWindow::ClearGrid() {
    Grid1.SetRedraw(false);
    Grid1View->hide();
    Grid1.ClearRows();
    SetUpGrid();
    Grid1.SetRedraw(true);
    Grid1View->show();
}

void ListWindow::ReadReg() {
    const ListFile file(db_.ListFilePath());
    const auto entries = file.Entries(section_);
    // A damaged list file shows no entries; the user learns why, and the
    // file is never written over, as every write reads it first.
    if (!file.LastError().isEmpty())
        MsgBox(QStringLiteral("The list file \"%1\" could not be read: %2").arg(file.Path(), file.LastError()),
               vb::vbExclamation, kTitle);
    Grid1.SetRedraw(false);
    for (const ListEntry& entry : entries) {
        // Cells are set one by one rather than as a tab-separated line, so a
        // name is never split over the columns.
        const int row = Grid1.Rows();
        Grid1.SetRows(row + 1);
        Grid1.SetText(row, 1, entry.name);
        // A colour that is not a number leaves the cell's default background.
        if (colours_)
            if (const auto colour = entry.Colour()) Grid1.SetBackColor(row, 2, uint32_t(*colour));
    }
    if (fitAfterListing_)
        for (int c = 1; c < columns(); ++c) Grid1.AutoFit(c);
    // The first entry starts active, so the row the view shows as current is
    // the one Apply takes.
    if (Grid1.Rows() > 1) Grid1.SetActiveCell(1, 1);
    Grid1.SetRedraw(true);
}

void ListWindow::Command1_Click() { AddEntry(); }

void ListWindow::Command2_Click() {
    const int first = std::max(1, Grid1.SelectionFirstRow());
    const int last = std::min(Grid1.Rows() - 1, Grid1.SelectionLastRow());
    if (first > last) return;
    QStringList listed;
    for (int r = 1; r < Grid1.Rows(); ++r) listed << Grid1.Text(r, 1);
    const QString path = ListPathForWriting(db_);
    if (path.isEmpty()) return;
    // Only the chosen entries leave the file as it stands now; look-alikes
    // of them, entries the grid does not show (added meanwhile by another
    // window, or not listed) and the others' values are left as written.
    ListFile file(path);
    if (!file.Delete(section_, ListFile::Chosen(listed, first - 1, last - 1))) ReportWriteFailure(file);
    ClearGrid();
    ReadReg();
}

void ListWindow::Command3_Click() {
    const int row = Grid1.ActiveRow();
    // The header row is never an entry: an empty list hands nothing over.
    if (!Grid1.IsDataRow(row)) return;
    const QString name = Grid1.Text(row, 1);
    if (apply_) apply_(name);
    close();
}

void ListWindow::Command4_Click() { close(); }

void ListWindow::Grid1_DblClick() { Command3_Click(); }

// ---------------------------------------------------------------- the list windows

Form2::Form2(TaskDatabase& database)
    : ListWindow(database, {QStringLiteral("Employees"), ListSection::Employees, QStringLiteral("Employee"), true, false}) {}
void Form2::AddEntry() { Forms::Show<frmemployee>(db_); }
ListWindow::EditorField Form2::Target() const { return EditorField::AssignedTo; }

Form4::Form4(TaskDatabase& database)
    : ListWindow(database, {QStringLiteral("Employees"), ListSection::Employees, QStringLiteral("Employee"), true, true}) {}
void Form4::AddEntry() { Forms::Show<frmemployee2>(db_); }
ListWindow::EditorField Form4::Target() const { return EditorField::RequestedBy; }

frmequip::frmequip(TaskDatabase& database)
    : ListWindow(database, {QStringLiteral("Equipment"), ListSection::Equipment, QStringLiteral("Equipment"), true, true}) {}
void frmequip::AddEntry() { Forms::Show<frmemployee4>(db_); }
ListWindow::EditorField frmequip::Target() const { return EditorField::Equipment; }

Form3::Form3(TaskDatabase& database)
    : ListWindow(database, {QStringLiteral("Types"), ListSection::Types, QStringLiteral("Type"), false, true}) {}

void Form3::AddEntry() {
    // The name is written while the box is up: one turned away, or one the
    // file could not take, is told and stays in the box to be mended, as in
    // the employee and equipment dialogs.
    const auto write = [this](const QString& answer) {
        if (answer.isEmpty()) return true;   // adds nothing
        const QString path = ListPathForWriting(db_);
        if (path.isEmpty()) return true;
        ListFile file(path);
        if (file.Add(ListSection::Types, answer, QString())) return true;
        ReportWriteFailure(file);
        return false;
    };
    const auto answer =
        Dialogs::Get().InputBox(QStringLiteral("Enter Type"), QStringLiteral("Task Manager"), QString(), write);
    if (!answer || answer->isEmpty()) return;
    ClearGrid();
    ReadReg();
}

ListWindow::EditorField Form3::Target() const { return EditorField::Type; }

// ---------------------------------------------------------------- AddEntryDialog

AddEntryDialog::AddEntryDialog(TaskDatabase& database, const QString& caption, const QString& label,
                               const QString& section)
    : db_(database), section_(section), colour_(ListFile::kButtonFace) {
    setWindowTitle(caption);
    Text1 = new QLineEdit(this);
    Command3 = new QPushButton(this);
    Command3->setFixedSize(64, 24);
    Command3->setAutoDefault(false);
    Command1 = new QPushButton(QStringLiteral("&Save"), this);
    Command2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command2->setAutoDefault(false);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(label, this), 0, 0);
    fields->addWidget(Text1, 1, 0);
    fields->addWidget(new QLabel(QStringLiteral("Gantt Color"), this), 2, 0);
    fields->addWidget(Command3, 3, 0, Qt::AlignLeft);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &AddEntryDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &AddEntryDialog::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &AddEntryDialog::Command3_Click);

    SetButtonColour(colour_);
    Forms::Prepare(this, QSize(260, 170));
}

void AddEntryDialog::SetButtonColour(int32_t colour) {
    colour_ = colour;
    const QColor c = Colors::ToQColor(colour);
    // A style sheet, unlike a palette, colours a push button in every style.
    Command3->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid gray; }")
                                .arg(c.name()));
}

void AddEntryDialog::Command3_Click() {
    // A cancelled colour dialog leaves the colour chosen so far.
    const auto chosen = Dialogs::Get().Color(Colors::ToQColor(colour_), QStringLiteral("Gantt Color"));
    if (chosen && chosen->isValid()) SetButtonColour(int32_t(Colors::FromQColor(*chosen)));
}

void AddEntryDialog::Command1_Click() {
    const QString path = ListPathForWriting(db_);
    if (path.isEmpty()) return;
    ListFile file(path);
    if (!file.Add(section_, Text1->text(), Colors::ToText(colour_))) {
        // A name turned away or a failed write: the dialog stays open with
        // what was typed, so nothing is lost.
        ReportWriteFailure(file);
        Text1->setFocus();
        return;
    }
    RefreshList();
    close();
}

void AddEntryDialog::Command2_Click() { close(); }

frmemployee::frmemployee(TaskDatabase& database)
    : AddEntryDialog(database, QStringLiteral("Add Employee"), QStringLiteral("Employee"), ListSection::Employees) {}
void frmemployee::RefreshList() { RefreshIfOpen<Form2>(); }

frmemployee2::frmemployee2(TaskDatabase& database)
    : AddEntryDialog(database, QStringLiteral("Add Employee"), QStringLiteral("Employee"), ListSection::Employees) {}
void frmemployee2::RefreshList() { RefreshIfOpen<Form4>(); }

frmemployee4::frmemployee4(TaskDatabase& database)
    : AddEntryDialog(database, QStringLiteral("Add Equipment"), QStringLiteral("Equipment"), ListSection::Equipment) {}
void frmemployee4::RefreshList() { RefreshIfOpen<frmequip>(); }

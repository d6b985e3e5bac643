#include "ui/tasks/Form6.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "model/database/DatabaseNotices.h"
#include "model/database/TaskColumns.h"
#include "model/database/TaskDatabase.h"
#include "ui/lists/ListWindows.h"
#include "widgets/DateField.h"
#include "platform/DateText.h"
#include "platform/Dialogs.h"
#include "platform/FileOps.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "platform/Help.h"
#include "platform/Shell.h"
#include "model/tasks/Recurrence.h"
#include "model/tasks/TaskFiles.h"
#include "model/tasks/TaskRecord.h"
#include "ui/tasks/frmcost.h"

namespace {

using Quillon::kTitle;

QStringList Numbers(int last) {
    QStringList list;
    list.reserve(last);
    for (int i = 1; i <= last; ++i) list << QString::number(i);
    return list;
}

QComboBox* EditableList(QWidget* parent, const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    // Typed text is taken as it stands and never becomes a list entry.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setMaxVisibleItems(20);
    return combo;
}

QPushButton* PictureButton(QWidget* parent, QStyle::StandardPixmap pixmap, const QString& tip) {
    auto* button = new QPushButton(parent);
    button->setIcon(parent->style()->standardIcon(pixmap));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    return button;
}

}  // namespace

// ---------------------------------------------------------------- load

Form6::Form6(TaskDatabase& database) : db_(database) {
    BuildWindow();
    Forms::Prepare(this, QSize(720, 620));

    saved_ = false;
    // Without an open database nothing can be saved here, so no number is
    // taken (nor, at the close, given back) from the counter every copy of
    // Quillon shares.
    qint64 number = 0;
    if (db_.IsOpen()) number = taken_ = TaskRecord::TakeNumber(db_.Tasks());
    else number = TaskRecord::ProposedNumber(db_.Tasks());

    Combo2->addItems({QStringLiteral("Ready"), QStringLiteral("On Hold"), QStringLiteral("In Progress"),
                      QStringLiteral("Complete"), QStringLiteral("Canceled"), QStringLiteral("Past Due")});
    Combo2->setCurrentIndex(-1);
    Combo2->setEditText(QString());
    Combo3->addItems(Numbers(Recurrence::kMaxInterval));
    Combo3->setEditText(QStringLiteral("1"));
    Combo4->addItems(Numbers(Recurrence::kMaxCount));
    Combo4->setEditText(QStringLiteral("1"));

    loadDate_ = QDate::currentDate();
    loadTime_ = QTime::currentTime();
    DatePicker1->setDate(loadDate_);
    DatePicker2->setDate(loadDate_);
    DatePicker3->setDate(loadDate_);
    DatePicker4->setTime(loadTime_);
    DatePicker5->setTime(loadTime_);

    Text1->setText(QStringLiteral("ID-") + QString::number(number));

    // A new task carries the document of the task selected in the main grid.
    QString document;
    const int row = db_.Tasks().ActiveRow();
    if (db_.Tasks().IsDataRow(row)) document = db_.Tasks().Text(row, Col::Document);
    SetDocument(document, document);

    TaskFiles::ResetItems(Grid1);
    TaskFiles::ResetMaterials(Grid2);
}

void Form6::BuildWindow() {
    Text1 = new QLineEdit(this);
    Text2 = new QLineEdit(this);
    Text3 = new QLineEdit(this);
    Text4 = new QLineEdit(this);
    Text4->hide();
    Text5 = new QLineEdit(this);
    Combo1 = new QLineEdit(this);
    Combo2 = EditableList(this, {});
    Combo3 = EditableList(this, {});
    Combo4 = EditableList(this, {});
    auto dateEdit = [this] { return NewDateField(this); };
    auto timeEdit = [this] { return NewTimeField(this); };
    DatePicker1 = dateEdit();
    DatePicker2 = dateEdit();
    DatePicker3 = dateEdit();
    DatePicker4 = timeEdit();
    DatePicker5 = timeEdit();
    Label8 = new QLabel(this);
    Label8->setWordWrap(true);
    Picture1 = new QLabel(this);
    Picture1->setFixedSize(36, 36);
    Picture1->setAlignment(Qt::AlignCenter);

    Command15 = PictureButton(this, QStyle::SP_FileDialogContentsView, QStringLiteral("Equipment"));
    Command1 = PictureButton(this, QStyle::SP_FileDialogContentsView, QStringLiteral("Assigned To"));
    Command8 = PictureButton(this, QStyle::SP_FileDialogContentsView, QStringLiteral("Type"));
    Command7 = PictureButton(this, QStyle::SP_FileDialogContentsView, QStringLiteral("Requested By"));
    Command4 = PictureButton(this, QStyle::SP_FileDialogNewFolder, QStringLiteral("Add Task"));
    Command6 = PictureButton(this, QStyle::SP_FileDialogDetailedView, QStringLiteral("Edit Task"));
    Command12 = PictureButton(this, QStyle::SP_TrashIcon, QStringLiteral("Delete Selected Item"));
    Command9 = PictureButton(this, QStyle::SP_FileDialogNewFolder, QStringLiteral("Add Material"));
    Command11 = PictureButton(this, QStyle::SP_FileDialogDetailedView, QStringLiteral("Edit Material"));
    Command13 = PictureButton(this, QStyle::SP_TrashIcon, QStringLiteral("Delete Selected Item"));
    const char* docCaptions[] = {"&Load", "&View", "&Clear"};
    const char* docTips[] = {"Load Document", "View Document", "Clear Document"};
    for (int i = 0; i < 3; ++i) {
        Command10[i] = new QPushButton(QString::fromLatin1(docCaptions[i]), this);
        Command10[i]->setToolTip(QString::fromLatin1(docTips[i]));
    }
    Command5 = new QPushButton(QStringLiteral("&Help"), this);
    Command2 = new QPushButton(QStringLiteral("&Close"), this);
    Command3 = new QPushButton(QStringLiteral("&Save Task"), this);
    Command3->setAutoDefault(false);

    Grid1View = new GridView(&Grid1, this);
    Grid2View = new GridView(&Grid2, this);

    // Fields in reading order, each with its label above it.
    auto* fields = new QGridLayout;
    auto place = [&](int row, int col, const char* label, QWidget* field, QPushButton* picker = nullptr) {
        fields->addWidget(new QLabel(QString::fromLatin1(label), this), row * 2, col);
        if (!picker) {
            fields->addWidget(field, row * 2 + 1, col);
            return;
        }
        auto* box = new QHBoxLayout;
        box->setSpacing(2);
        box->addWidget(field, 1);
        box->addWidget(picker);
        fields->addLayout(box, row * 2 + 1, col);
    };
    place(0, 0, "Task ID", Text1);
    place(0, 1, "Equipment", Text2, Command15);
    place(0, 2, "Type", Combo1, Command8);
    place(1, 0, "Request Date", DatePicker1);
    place(1, 1, "Assigned To", Text3, Command1);
    place(1, 2, "Status", Combo2);
    place(2, 0, "Scheduled Start Date", DatePicker2);
    place(2, 1, "Scheduled Start Time", DatePicker4);
    place(2, 2, "Scheduled Stop Date", DatePicker3);
    place(3, 0, "Scheduled Stop Time", DatePicker5);
    place(3, 1, "Requested By", Text5, Command7);
    place(3, 2, "Number of Days Between Task", Combo3);
    place(4, 0, "Select Number Of Tasks To Generate", Combo4);

    auto listBox = [&](GridView* view, QPushButton* add, QPushButton* edit, QPushButton* remove) {
        auto* column = new QVBoxLayout;
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(add);
        buttons->addWidget(edit);
        buttons->addWidget(remove);
        buttons->addStretch();
        column->addWidget(view, 1);
        column->addLayout(buttons);
        return column;
    };
    auto* photo = new QGroupBox(QStringLiteral("Photo"), this);
    auto* photoLayout = new QVBoxLayout(photo);
    photoLayout->addWidget(Picture1, 0, Qt::AlignHCenter);
    for (QPushButton* b : Command10) photoLayout->addWidget(b);
    photoLayout->addWidget(Label8);
    photoLayout->addStretch();

    auto* lists = new QHBoxLayout;
    lists->addLayout(listBox(Grid1View, Command4, Command6, Command12), 1);
    lists->addLayout(listBox(Grid2View, Command9, Command11, Command13), 1);
    lists->addWidget(photo);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Command5);
    bottom->addStretch();
    bottom->addWidget(Command2);
    bottom->addWidget(Command3);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(lists, 1);
    layout->addLayout(bottom);

    connect(Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form6::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form6::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form6::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &Form6::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form6::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &Form6::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &Form6::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &Form6::Command9_Click);
    connect(Command11, &QPushButton::clicked, this, &Form6::Command11_Click);
    connect(Command12, &QPushButton::clicked, this, &Form6::Command12_Click);
    connect(Command13, &QPushButton::clicked, this, &Form6::Command13_Click);
    connect(Command15, &QPushButton::clicked, this, &Form6::Command15_Click);
    for (int i = 0; i < 3; ++i)
        connect(Command10[i], &QPushButton::clicked, this, [this, i] { Command10_Click(i); });
}

Form6::~Form6() {
    Form_Unload();
}

// ---------------------------------------------------------------- openers

void Form6::SetOpener(Loader load, std::function<QString()> editorMode) {
    load_ = std::move(load);
    editorMode_ = std::move(editorMode);
}

Form6* Form6::OpenForAdd(const Loader& load) {
    Form6* open = Forms::Loaded<Form6>();
    // An editor on an existing task holds that task's ID and lists: a new
    // task starts in an editor of its own.
    if (open && open->mode_ == Mode::Edit) {
        if (!open->ConfirmLeave()) return open;
        Forms::Unload<Form6>();
    }
    Form6* editor = load();
    if (editor->mode_ == Mode::None) {
        // The lists of an editor already adding a task mirror its files and
        // stay; a fresh editor starts with the empty lists.
        TaskFiles::ResetItems(editor->Grid1);
        TaskFiles::ResetMaterials(editor->Grid2);
        editor->itemsOnFileAs_.clear();
        editor->materialsOnFileAs_.clear();
        ++editor->taskGeneration_;
        ++editor->materialRowsVersion_;
    }
    if (editor->mode_ == Mode::None) editor->cellsAtFill_ = editor->Cells();
    editor->mode_ = Mode::Add;
    editor->boundRow_ = -1;
    editor->boundId_.clear();
    Forms::Raise(editor);
    editor->setWindowTitle(QStringLiteral("Add Task"));
    return editor;
}

Form6* Form6::OpenForEdit(TaskDatabase& database, const Loader& load) {
    const Grid& grid = database.Tasks();
    const int row = grid.ActiveRow();
    if (!grid.IsDataRow(row)) {
        MsgBox(QStringLiteral("No Tasks Found"), vb::vbCritical, kTitle);
        return nullptr;
    }
    // The fields are filled again from the grid: changes typed into them are
    // not overwritten unasked.
    if (Form6* open = Forms::Loaded<Form6>(); open && !open->ConfirmLeave()) return open;
    Form6* editor = load();
    editor->mode_ = Mode::Edit;
    editor->boundRow_ = row;
    editor->boundId_ = grid.Text(row, Col::TaskId);
    Forms::Raise(editor);
    editor->setWindowTitle(QStringLiteral("Edit Task"));
    editor->FillFromRow(row);
    // The task's own document, also when the editor was already open on
    // another task.
    const QString document = grid.Text(row, Col::Document);
    editor->SetDocument(document, document);
    editor->cellsAtFill_ = editor->Cells();
    editor->LoadItemList(editor->boundId_);
    editor->LoadMaterialList(editor->boundId_);
    return editor;
}

QLineEdit* Form6::Field(ListWindow::EditorField field) const {
    switch (field) {
    case ListWindow::EditorField::Equipment: return Text2;
    case ListWindow::EditorField::AssignedTo: return Text3;
    case ListWindow::EditorField::RequestedBy: return Text5;
    case ListWindow::EditorField::Type: return Combo1;
    }
    return nullptr;
}

std::function<void(const QString&)> Form6::ApplyInto(Loader load, ListWindow::EditorField field) {
    // Writing the field loads the task editor, hidden, when it is not open;
    // it keeps the value until it is shown.
    return [load = std::move(load), field](const QString& name) {
        if (Form6* editor = load ? load() : nullptr) editor->Field(field)->setText(name);
    };
}

void Form6::FillFromRow(int row) {
    const Grid& g = db_.Tasks();
    // What each picker was given and the cell it came from: a picker the
    // user leaves alone gives its cell back whole (a time of day within a
    // date cell, a text that is no date), not the picker's rendering.
    filled_.clear();
    auto setDate = [&](QDateEdit* picker, int col) {
        const QString text = g.Text(row, col);
        std::optional<QDate> date = DateText::ParseDate(text);
        if (!date) {
            if (auto dt = DateText::ParseDateTime(text)) date = dt->date();
        }
        picker->setDate(date && date->isValid() ? *date : loadDate_);
        filled_[picker] = {text, QVariant(picker->date())};
    };
    auto setTime = [&](QTimeEdit* picker, int col) {
        const QString text = g.Text(row, col);
        std::optional<QTime> time = DateText::ParseTime(text);
        if (!time) {
            if (auto dt = DateText::ParseDateTime(text)) time = dt->time();
        }
        picker->setTime(time && time->isValid() ? *time : loadTime_);
        filled_[picker] = {text, QVariant(picker->time())};
    };
    Text1->setText(g.Text(row, Col::TaskId));
    Text2->setText(g.Text(row, Col::Equipment));
    setDate(DatePicker1, Col::RequestDate);
    setDate(DatePicker2, Col::ScheduledStart);
    setTime(DatePicker4, Col::StartTime);
    setDate(DatePicker3, Col::ScheduledEnd);
    setTime(DatePicker5, Col::EndTime);
    Text3->setText(g.Text(row, Col::AssignedTo));
    Text5->setText(g.Text(row, Col::RequestedBy));
    Combo1->setText(g.Text(row, Col::Type));
    Combo3->setEditText(g.Text(row, Col::Frequency));
    Combo2->setEditText(g.Text(row, Col::Status));
}

// ---------------------------------------------------------------- the task row

bool Form6::ConfirmLeave() {
    if (mode_ == Mode::None || saved_ || Cells() == cellsAtFill_) return true;
    const QString question =
        mode_ == Mode::Edit
            ? QStringLiteral("The changes to task \"%1\" are not saved.\nSave them first?").arg(boundId_)
            : QStringLiteral("The new task \"%1\" is not saved.\nSave it first?").arg(Text1->text());
    const int answer = MsgBox(question, vb::vbYesNoCancel | vb::vbExclamation, kTitle);
    if (answer == vb::vbCancel) return false;
    if (answer == vb::vbYes) {
        Command3_Click();
        return saved_;   // a refused save keeps the editor and its changes
    }
    return true;
}

bool Form6::Editing() const {
    if (mode_ != Mode::None) return mode_ == Mode::Edit;
    return editorMode_ && editorMode_() == QLatin1String("2");
}

int Form6::TaskRow() const {
    if (mode_ == Mode::Edit) return TaskRecord::Locate(db_.Tasks(), boundRow_, boundId_);
    if (Editing()) {
        // Shown by an opener that did not bind it: the active task.
        const int row = db_.Tasks().ActiveRow();
        return db_.Tasks().IsDataRow(row) ? row : -1;
    }
    return -1;
}

QStringList Form6::Cells() const {
    auto kept = [this](QDateTimeEdit* picker, const QVariant& now, const QString& shown) {
        const auto it = filled_.find(picker);
        return it != filled_.end() && it->second.value == now ? it->second.text : shown;
    };
    auto date = [&](QDateEdit* p) { return kept(p, QVariant(p->date()), DateText::FormatDate(p->date())); };
    auto time = [&](QTimeEdit* p) { return kept(p, QVariant(p->time()), DateText::FormatTime(p->time())); };
    return {Text1->text(),
            Text2->text(),
            date(DatePicker1),
            date(DatePicker2),
            time(DatePicker4),
            date(DatePicker3),
            time(DatePicker5),
            Text3->text(),
            Text5->text(),
            Combo1->text(),
            Combo3->currentText(),
            Label8->text(),
            Combo2->currentText()};
}

bool Form6::EditRow() {
    const int row = TaskRow();
    if (row < 1) return false;
    TaskRecord::Write(db_.Tasks(), row, Cells());
    db_.Tasks().SelectRange(row, Col::TaskId, row, Col::TaskId);
    return true;
}

void Form6::Command3_Click() {
    // A recurrence run in progress owns the grid until it ends.
    if (db_.Busy()) return;
    if (!DatabaseNotices::RequireOpen(db_)) return;
    const bool editing = Editing();
    const int ownRow = editing ? TaskRow() : -1;
    if (editing && ownRow < 1) {
        MsgBox(QStringLiteral("The task being edited is no longer in the task grid; it was not saved."),
               vb::vbExclamation, kTitle);
        return;
    }
    const QStringList cells = Cells();
    const QString problem = TaskRecord::SaveProblem(db_.Tasks(), cells, ownRow);
    if (!problem.isEmpty()) {
        MsgBox(problem, vb::vbOKOnly, kTitle);
        return;
    }
    const std::optional<int> further = TaskRecord::FurtherOccurrences(Combo4->currentText());
    if (!further) {
        MsgBox(Recurrence::CountRefused(), vb::vbExclamation, kTitle);
        return;
    }
    if (*further > 0 && !Recurrence::ReadInterval(Combo3->currentText())) {
        MsgBox(Recurrence::IntervalRefused(), vb::vbExclamation, kTitle);
        return;
    }

    saved_ = true;
    if (editing) EditRow();
    else TaskRecord::Append(db_.Tasks(), cells);
    TaskRecord::FitColumns(db_.Tasks());
    const bool stored = DatabaseNotices::Save(db_);
    const QString interval = Combo3->currentText();
    // Before the occurrences are made: they copy the lists of this ID.
    if (stored) StoreListsUnder(cells[0]);
    Release();
    // Occurrences are made only from a task that reached the file; a failed
    // save was reported and the task stays in the grid for the next save.
    emit TaskSaved(interval, QString::number(*further), stored);
}

void Form6::Command2_Click() { Release(); }

void Form6::Command5_Click() { Help::Show(Help::TaskEditor); }

// ---------------------------------------------------------------- pickers

template <class Picker>
void Form6::Pick() {
    Picker* picker = Forms::Show<Picker>(db_);
    QPointer<Form6> self(this);
    Loader load = load_ ? load_ : Loader([self] { return self.data(); });
    picker->SetApply(ApplyInto(std::move(load), picker->Target()));
}

void Form6::Command15_Click() { Pick<frmequip>(); }
void Form6::Command1_Click() { Pick<Form2>(); }
void Form6::Command8_Click() { Pick<Form3>(); }
void Form6::Command7_Click() { Pick<Form4>(); }

// ---------------------------------------------------------------- lists

void Form6::LoadItemList(const QString& taskId) {
    const QString path = db_.ItemFile(taskId);
    QString error;
    ++taskGeneration_;
    itemsOnFileAs_ = taskId;
    if (TaskFiles::LoadItems(Grid1, path, &error) == TaskFiles::LoadResult::Failed)
        MsgBox(QStringLiteral("The task items of %1 could not be read: %2\nThe file is left as it is.").arg(taskId, error),
               vb::vbExclamation, kTitle);
}

void Form6::LoadMaterialList(const QString& taskId) {
    const QString path = db_.MaterialFile(taskId);
    QString error;
    ++taskGeneration_;
    ++materialRowsVersion_;
    materialsOnFileAs_ = taskId;
    if (TaskFiles::LoadMaterials(Grid2, path, &error) == TaskFiles::LoadResult::Failed)
        MsgBox(QStringLiteral("The materials of %1 could not be read: %2\nThe file is left as it is.").arg(taskId, error),
               vb::vbExclamation, kTitle);
}

bool Form6::ListsWritable() {
    if (!DatabaseNotices::RequireOpen(db_)) return false;
    // The ID names the files: it must be usable as a file name, and no other
    // task's lists may be overwritten by this task's.
    const QString problem = TaskRecord::IdProblem(db_.Tasks(), Text1->text(), Editing() ? TaskRow() : -1);
    if (problem.isEmpty()) return true;
    MsgBox(problem, vb::vbExclamation, kTitle);
    return false;
}

bool Form6::WriteItems() {
    if (!ListsWritable()) return false;
    QString error;
    const QString path = db_.ItemFile(Text1->text());
    if (TaskFiles::SaveList(Grid1, path, &error)) {
        itemsOnFileAs_ = Text1->text();
        return true;
    }
    MsgBox(QStringLiteral("The task items could not be saved: %1").arg(error), vb::vbCritical, kTitle);
    return false;
}

bool Form6::WriteMaterials() {
    if (!ListsWritable()) return false;
    QString error;
    const QString path = db_.MaterialFile(Text1->text());
    if (TaskFiles::SaveList(Grid2, path, &error)) {
        materialsOnFileAs_ = Text1->text();
        return true;
    }
    MsgBox(QStringLiteral("The materials could not be saved: %1").arg(error), vb::vbCritical, kTitle);
    return false;
}

void Form6::StoreListsUnder(const QString& id) {
    // The ID was checked by Save: no other task has it, so whatever lies
    // under it and was not written from here belongs to no task.
    auto store = [&](const Grid& list, QString& onFileAs, const QString& path, const QString& what) {
        if (onFileAs == id || path.isEmpty()) return;
        QString error;
        bool ok = true;
        if (list.Rows() > 1) {
            ok = TaskFiles::SaveList(list, path, &error);
        } else if (!FileOps::RemoveFile(path)) {
            ok = false;
            error = QStringLiteral("%1 could not be removed.").arg(path);
        }
        if (ok) onFileAs = id;
        else MsgBox(QStringLiteral("The %1 of %2 could not be saved: %3").arg(what, id, error), vb::vbCritical, kTitle);
    };
    store(Grid1, itemsOnFileAs_, db_.ItemFile(id), QStringLiteral("task items"));
    store(Grid2, materialsOnFileAs_, db_.MaterialFile(id), QStringLiteral("materials"));
}

void Form6::Command4_Click() {
    if (!ListsWritable()) return;
    const std::optional<QString> answer = Dialogs::Get().InputBox(QStringLiteral("Enter Task"), kTitle, QString());
    if (!answer || answer->isEmpty()) return;
    TaskFiles::AddItem(Grid1, *answer);
    WriteItems();
}

void Form6::Command6_Click() {
    const int row = Grid1.ActiveRow();
    if (!Grid1.IsDataRow(row)) return;   // the header is no item
    if (!ListsWritable()) return;
    const std::optional<QString> answer =
        Dialogs::Get().InputBox(QStringLiteral("Enter Task"), kTitle, Grid1.Text(row, 1));
    if (!answer || answer->isEmpty()) return;
    TaskFiles::SetItem(Grid1, row, *answer);
    WriteItems();
}

void Form6::Command12_Click() {
    if (!ListsWritable()) return;
    if (MsgBox(QStringLiteral("Delete Selected Item?"), vb::vbYesNo + vb::vbCritical + vb::vbDefaultButton2, kTitle) !=
        vb::vbYes)
        return;
    TaskFiles::DeleteSelected(Grid1);
    WriteItems();
}

void Form6::Command9_Click() {
    if (!ListsWritable()) return;
    frmcost* cost = Forms::Load<frmcost>();
    connect(cost, &frmcost::MaterialEntered, this, &Form6::TakeMaterial, Qt::UniqueConnection);
    cost->SkinLabel4->setText(QStringLiteral("0"));
    cost->Bind(taskGeneration_, materialRowsVersion_, -1);
    Forms::Show<frmcost>();
}

void Form6::Command11_Click() {
    const int row = Grid2.ActiveRow();
    if (!Grid2.IsDataRow(row)) return;   // the header is no material
    if (!ListsWritable()) return;
    frmcost* cost = Forms::Load<frmcost>();
    connect(cost, &frmcost::MaterialEntered, this, &Form6::TakeMaterial, Qt::UniqueConnection);
    cost->SkinLabel4->setText(QStringLiteral("1"));
    cost->Text1->setText(Grid2.Text(row, 1));
    cost->Text2->setText(Grid2.Text(row, 2));
    cost->Bind(taskGeneration_, materialRowsVersion_, row);
    Forms::Show<frmcost>();
}

void Form6::Command13_Click() {
    if (!ListsWritable()) return;
    if (MsgBox(QStringLiteral("Delete Selected Item?"), vb::vbYesNo + vb::vbCritical + vb::vbDefaultButton2, kTitle) !=
        vb::vbYes)
        return;
    TaskFiles::DeleteSelected(Grid2);
    ++materialRowsVersion_;
    WriteMaterials();
}

void Form6::TakeMaterial(frmcost* dialog) {
    if (!dialog->Bound() || dialog->TaskGeneration() != taskGeneration_) {
        MsgBox(QStringLiteral("The task editor no longer shows the task this material was for; it was not saved."),
               vb::vbExclamation, kTitle);
        dialog->Release();
        return;
    }
    const int row = dialog->Row();
    const bool editing = dialog->SkinLabel4->text().trimmed() == QLatin1String("1");
    if (editing && (dialog->MaterialRowsVersion() != materialRowsVersion_ || !Grid2.IsDataRow(row))) {
        MsgBox(QStringLiteral("The material being changed is no longer in the list; nothing was saved."),
               vb::vbExclamation, kTitle);
        dialog->Release();
        return;
    }
    // The Task ID may have changed since the dialog opened: the dialog stays
    // open until the list can be written.
    if (!ListsWritable()) return;
    const QString material = dialog->Text1->text(), cost = dialog->Text2->text();
    if (editing) TaskFiles::SetMaterial(Grid2, row, material, cost);
    else TaskFiles::AddMaterial(Grid2, material, cost);
    Text4->setText(cost);
    WriteMaterials();
    dialog->Release();
}

// ---------------------------------------------------------------- document

QIcon Form6::GetDocIcon(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) return QIcon();
    QIcon icon = QFileIconProvider().icon(QFileInfo(path));
    if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return icon;
}

QString Form6::TrimPath(const QString& path) { return TaskFiles::TrimPath(path); }

bool Form6::FileExist(const QString& path) { return FileOps::FileExists(path); }

void Form6::SetDocument(const QString& path, const QString& iconOf) {
    Label8->setText(path);
    picture_ = GetDocIcon(iconOf);
    if (picture_.isNull()) Picture1->clear();
    else Picture1->setPixmap(picture_.pixmap(32, 32));
}

void Form6::Command10_Click(int index) {
    switch (index) {
    case 0: {   // Load
        if (!DatabaseNotices::RequireOpen(db_)) return;
        const QString chosen = Dialogs::Get().OpenFileName(
            QStringLiteral("Load Document:"), TaskFiles::PictureFilter(), db_.Folder());
        if (chosen.isEmpty()) return;
        const QString docs = FileOps::WithTrailingSlash(FileOps::Join(db_.Folder(), QStringLiteral("Docs")));
        const TaskFiles::CopyResult copy = TaskFiles::CopyDocument(chosen, docs);
        if (copy.status == TaskFiles::CopyResult::Failed) {
            MsgBox(QStringLiteral("The document could not be copied into %1: %2\nThe task's document is unchanged.")
                       .arg(docs, copy.error),
                   vb::vbExclamation, kTitle);
            return;
        }
        SetDocument(copy.path, chosen);
        return;
    }
    case 1:   // View
        if (picture_.isNull()) return;
        showMinimized();
        Shell::Get().OpenDocument(Label8->text());
        return;
    case 2: {   // Clear
        if (MsgBox(QStringLiteral("Are you sure you want to remove this document?"),
                   vb::vbYesNo + vb::vbCritical + vb::vbDefaultButton2, kTitle) != vb::vbYes)
            return;
        SetDocument(QString(), QString());
        // Only the task being edited loses its document at once; a new task
        // simply does not take over the selected task's document.
        const int row = TaskRow();
        if (row < 1) return;
        db_.Tasks().SetText(row, Col::Document, QString());
        db_.Tasks().SetColumnWidth(Col::Document, 0);
        DatabaseNotices::Save(db_);
        return;
    }
    default:
        return;
    }
}

// ---------------------------------------------------------------- unload

void Form6::Release() {
    Forms::Forget(this);
    close();
}

void Form6::reject() { close(); }

void Form6::closeEvent(QCloseEvent* event) {
    // Not QDialog's: it would route the close through reject() again.
    Form_Unload();
    event->accept();
}

void Form6::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    Forms::Forget(this);
    // The material dialog edits this editor's list; it goes with it.
    if (Forms::Loaded<Form6>() == nullptr) Forms::Unload<frmcost>();
    if (!saved_) TaskRecord::GiveBack(taken_);
}

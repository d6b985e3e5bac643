// The openers of the task editor, the generate dialog and the list windows
// (whose Apply fills its field of the task editor), and the editor's lists
// filled from the ActiveTask's per-task files.
#include <QLabel>
#include <QLineEdit>

#include "app/Form1.h"
#include "ui/lists/ListWindows.h"
#include "widgets/Forms.h"
#include "ui/tasks/Form18.h"
#include "ui/tasks/Form6.h"

namespace {
QString ActiveTaskId(const Grid& grid) {
    const int row = grid.ActiveRow();
    return grid.IsDataRow(row) ? grid.Text(row, Col::TaskId) : QString();
}
}  // namespace

void Form1::GetTasks() { TaskEditor()->LoadItemList(ActiveTaskId(Grid1)); }

void Form1::GetMat() { TaskEditor()->LoadMaterialList(ActiveTaskId(Grid1)); }

Form6* Form1::TaskEditor() {
    if (Form6* open = Forms::Loaded<Form6>()) return open;
    Form6* editor = Forms::Load<Form6>(Database);
    editor->SetOpener([this] { return TaskEditor(); }, [this] { return Label3->text(); });
    connect(editor, &Form6::TaskSaved, this, [this](const QString& interval, const QString& count, bool stored) {
        Text3->setText(interval);
        Text4->setText(count);
        if (stored) Generate();
    });
    return editor;
}

Form6* Form1::EditorForAdd() {
    // The mode changes only when the editor does: an editor kept for its
    // unsaved changes stays an edit.
    return Form6::OpenForAdd([this] {
        Label3->setText(QStringLiteral("1"));
        return TaskEditor();
    });
}

Form6* Form1::EditorForEdit() {
    Form6* editor = Form6::OpenForEdit(Database, [this] {
        Label3->setText(QStringLiteral("2"));
        return TaskEditor();
    });
    return editor;
}

Form18* Form1::Generator() {
    if (Form18* open = Forms::Loaded<Form18>()) return open;
    Form18* generator = Forms::Load<Form18>(Database);
    connect(generator, &Form18::ValuesChosen, this, [this](const QString& interval, const QString& count) {
        Text3->setText(interval);
        Text4->setText(count);
    });
    connect(generator, &Form18::GenerateRequested, this, [this] { Generate(); });
    return generator;
}

template <class ListWindowClass>
ListWindowClass* Form1::ShowList() {
    ListWindowClass* window = Forms::Show<ListWindowClass>(Database);
    window->SetApply(Form6::ApplyInto([this] { return TaskEditor(); }, window->Target()));
    return window;
}

template Form2* Form1::ShowList<Form2>();
template Form3* Form1::ShowList<Form3>();
template Form4* Form1::ShowList<Form4>();
template frmequip* Form1::ShowList<frmequip>();

void Form1::mnuequip_Click() { ShowList<frmequip>(); }
void Form1::mnueploy_Click() { ShowList<Form2>(); }
void Form1::mnuptype_Click() { ShowList<Form3>(); }

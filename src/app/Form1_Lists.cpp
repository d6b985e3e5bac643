// The Setup menu's openers of the list windows, and the list windows the
// task editor's pickers open: each Apply fills its field of the task editor.
#include "app/Form1.h"
#include "ui/lists/ListWindows.h"
#include "widgets/Forms.h"
#include "ui/tasks/Form6.h"

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

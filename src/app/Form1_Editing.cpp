// The task editor's lists, filled from the ActiveTask's per-task files.
#include "app/Form1.h"

void Form1::GetTasks() {}
void Form1::GetMat() {}

#pragma once
// The window registry lives with the widget components, so that windows below
// the main window can use it; this name stays for the code that has it.
#include "platform/Forms.h"

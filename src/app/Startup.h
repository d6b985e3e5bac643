#pragma once
// Creates the main window and runs its start-up; false when it could not start.
bool StartQuillon();

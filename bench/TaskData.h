#pragma once
// Realistic task rows for the benchmarks.
#include "platform/Grid.h"

namespace BenchData {
// A 14-column task grid of `tasks` rows with a spread of dates and statuses,
// in the current locale's forms (which it records, as a database does).
Grid TaskGrid(int tasks);
// Resident memory of this process in kilobytes (VmRSS), or -1.
long ResidentKb();
// Peak resident memory of this process in kilobytes (VmHWM), or -1.
long PeakResidentKb();
// Starts the peak afresh, freed memory first given back to the system, so
// a later reading is of what follows alone.
void ResetPeakResident();
}

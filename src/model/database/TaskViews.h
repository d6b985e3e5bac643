#pragma once
// Views over the task grid by row height (a shown row has height 18, a
// hidden one 0; rows are never removed to filter) and the alert clearing.
// Every pass walks the task rows 1..Rows-1 and never touches the header row.
// Status texts are compared as exact whole texts: "Ready " and "ready" are
// not "Ready".

#include <QString>

#include "model/database/RowProgress.h"
#include "platform/Grid.h"

namespace TaskStatus {
inline constexpr char kReady[] = "Ready";
inline constexpr char kInProgress[] = "In Progress";
inline constexpr char kOnHold[] = "On Hold";
inline constexpr char kComplete[] = "Complete";
inline constexpr char kCanceled[] = "Canceled";
inline constexpr char kPastDue[] = "Past Due";
inline constexpr char kAlert[] = "Alert";
}

namespace TaskViews {
// Shows exactly the rows whose Status equals `status`; every other task row
// is hidden, whatever view was in force before. Returns the rows shown.
int ShowStatus(Grid& grid, const QString& status, const TaskPass::RowProgress& progress = {});

// Shows every task row. Returns the number of task rows.
int ShowAll(Grid& grid, const TaskPass::RowProgress& progress = {});

// Narrows the present view to the rows whose cell in the active column
// equals the active cell: differing shown rows are hidden, no row is shown.
// With the header row active (no task selected) nothing changes and -1 is
// returned; otherwise the number of rows it hid.
int MatchSelected(Grid& grid, const TaskPass::RowProgress& progress = {});

// Turns every "Alert" status back into "Ready". Returns the rows changed.
int ClearAlerts(Grid& grid, const TaskPass::RowProgress& progress = {});
}

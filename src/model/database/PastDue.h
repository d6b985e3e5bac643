#pragma once
// The past-due pass: every "Ready" task whose Scheduled Start lies on a day
// before today becomes "Past Due", and every task row is painted — the cells
// of a "Past Due" row (columns 1..Cols-1) in the past-due colours, every
// other row black on white. It is the only place that colours task rows.
// It changes no row height and saves nothing.

#include <QDate>
#include <QString>
#include <cstdint>
#include <optional>

#include "model/database/RowProgress.h"
#include "platform/Grid.h"

namespace PastDue {

// The user's past-due colours; an absent or unreadable one is not applied,
// so past-due cells keep the colour they had.
struct Colours {
    std::optional<uint32_t> back;   // registry Colors\PastDue
    std::optional<uint32_t> fore;   // registry Colors\ForeDue
};
Colours ReadColours();
std::optional<uint32_t> ParseColour(const QString& text);

struct Result {
    int marked = 0;     // rows turned from "Ready" into "Past Due"
    int pastDue = 0;    // rows that are "Past Due" after the pass
};

// `today` is the calendar day the Scheduled Starts are compared with (the
// time of day plays no part on either side).
Result Mark(Grid& grid, const QDate& today, const Colours& colours,
            const TaskPass::RowProgress& progress = {});

// The calendar day of a Scheduled Start cell, if it holds a date.
std::optional<QDate> StartDay(std::string_view cell);
}

#include "bench/TaskData.h"

#include <QDate>
#include <QFile>
#include <QStringList>
#include <malloc.h>
#include <string>
#include <vector>

#include "platform/DateText.h"

namespace BenchData {

Grid TaskGrid(int tasks) {
    static const char* kHeaders[] = {"", "Task ID", "Equipment", "Request Date", "Scheduled Start",
                                     "Start Time", "Scheduled End", "End Time", "Assigned To",
                                     "Requested By", "Type", "Frequency (Days)", "", "Status"};
    static const char* kEquipment[] = {"Boiler 1", "Chiller North", "Air Handler 3", "Pump Station B",
                                       "Cooling Tower", "Generator", "Elevator 2", "Fire Pump"};
    static const char* kPeople[] = {"A. Moreau", "B. Lindqvist", "C. Okafor", "D. Tanaka", "E. Rossi"};
    static const char* kTypes[] = {"Inspection", "Lubrication", "Filter Change", "Calibration"};
    static const char* kStatus[] = {"Ready", "In Progress", "On Hold", "Canceled", "Complete", "Past Due"};
    Grid g(1, 14);
    for (int c = 0; c < 14; ++c) g.SetText(0, c, kHeaders[c]);
    g.SetColumnWidth(0, 0);
    g.SetColumnWidth(12, 0);
    g.SetRows(tasks + 1);
    const QDate base(2026, 1, 1);
    // The starts fall on 720 days: their texts are made once, not per row,
    // so a million-row grid takes a moment rather than seconds.
    constexpr int kFirst = -200 - 7, kLast = 519 + 1;
    std::vector<std::string> dates;
    dates.reserve(kLast - kFirst + 1);
    for (int d = kFirst; d <= kLast; ++d) dates.push_back(DateText::FormatDate(base.addDays(d)).toStdString());
    auto date = [&](int day) -> const std::string& { return dates[size_t(day - kFirst)]; };
    for (int i = 1; i <= tasks; ++i) {
        const int start = (i * 37) % 720 - 200;
        g.SetTextUtf8(i, 1, "ID-" + std::to_string(i));
        g.SetTextUtf8(i, 2, kEquipment[i % 8]);
        g.SetTextUtf8(i, 3, date(start - 7));
        g.SetTextUtf8(i, 4, date(start));
        g.SetTextUtf8(i, 5, "08:00:00");
        g.SetTextUtf8(i, 6, date(start + 1));
        g.SetTextUtf8(i, 7, "16:30:00");
        g.SetTextUtf8(i, 8, kPeople[i % 5]);
        g.SetTextUtf8(i, 9, kPeople[(i + 2) % 5]);
        g.SetTextUtf8(i, 10, kTypes[i % 4]);
        g.SetTextUtf8(i, 11, std::to_string(7 * (1 + i % 4)));
        if (i % 50 == 0) g.SetTextUtf8(i, 12, "/home/planner/Docs/photo" + std::to_string(i) + ".jpg");
        g.SetTextUtf8(i, 13, kStatus[i % 6]);
    }
    g.SetForms({DateText::DateFormat(), DateText::TimeFormat()});
    return g;
}

static long StatusKb(const QByteArray& field) {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field)) return line.mid(field.size()).trimmed().split(' ').first().toLong();
    return -1;
}

long ResidentKb() { return StatusKb("VmRSS:"); }
long PeakResidentKb() { return StatusKb("VmHWM:"); }

void ResetPeakResident() {
    ::malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

}  // namespace BenchData

// The grid file loader (task databases, per-task item and material lists).
// Any input either is refused with a reason or loads into a grid that saves
// and loads again to the same bytes.
#include "FuzzTarget.h"

#include <QString>

#include "platform/Grid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Grid grid(2, 3);
    grid.SetText(1, 1, "before");
    QString error;
    if (!grid.Deserialize(bytes, &error)) {
        FUZZ_CHECK(!error.isEmpty());
        FUZZ_CHECK(grid.Rows() == 2 && grid.Cols() == 3 && grid.Text(1, 1) == "before");
        return 0;
    }
    const std::string saved = grid.Serialize();
    Grid again;
    FUZZ_CHECK(again.Deserialize(saved, &error));
    FUZZ_CHECK(again.Serialize() == saved);
    FUZZ_CHECK(again.Rows() == grid.Rows() && again.Cols() == grid.Cols());
    return 0;
}

std::vector<std::string> QuillonFuzzSeeds() {
    std::vector<std::string> seeds;
    Grid tasks(1, 14);
    const char* headers[] = {"", "Task ID", "Equipment", "Request Date", "Scheduled Start", "Start Time",
                             "Scheduled End", "End Time", "Assigned To", "Requested By", "Type",
                             "Frequency (Days)", "", "Status"};
    for (int c = 0; c < 14; ++c) tasks.SetText(0, c, headers[c]);
    tasks.SetColumnWidth(0, 0);
    tasks.SetColumnWidth(12, 0);
    tasks.AddItem("ID-1\tBoiler 1\t03/01/2026\t03/04/2026\t08:00:00\t03/05/2026\t16:00:00\tAnn\tBob\tInspection\t7\t\tReady");
    tasks.AddItem(QString::fromUtf8("ID-2\tPümp \\ 2\t\t\t\t\t\tÅsa\t\t\t\t/docs/a b.png\tPast Due"));
    tasks.SetText(2, 2, "multi\nline\ttab\rreturn");
    tasks.SetRowHeight(2, 0);
    seeds.push_back(tasks.Serialize());
    tasks.SetForms({QString::fromUtf8("d.\u00A0M.\u00A0yyyy"), QStringLiteral("h:mm:ss AP")});
    seeds.push_back(tasks.Serialize());
    Grid items(1, 2);
    items.SetText(0, 1, "Task Items");
    items.AddItem("Check the oil");
    seeds.push_back(items.Serialize());
    Grid materials(1, 3);
    materials.SetText(0, 1, "Materials");
    materials.SetText(0, 2, "Cost");
    materials.AddItem("Filter\t12.50");
    seeds.push_back(materials.Serialize());
    seeds.push_back(Grid(0, 0).Serialize());
    seeds.push_back(Grid(1, 0).Serialize());
    return seeds;
}

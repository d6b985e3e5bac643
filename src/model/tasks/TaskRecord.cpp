#include "model/tasks/TaskRecord.h"

#include "model/database/TaskColumns.h"
#include "model/database/TaskCounter.h"
#include "model/tasks/TaskFiles.h"
#include "platform/Grid.h"

namespace TaskRecord {

QString IdProblem(const Grid& tasks, const QString& id, int ownRow) {
    const QString problem = TaskFiles::IdProblem(id);
    if (!problem.isEmpty()) return problem;
    const std::string key = id.toStdString();
    for (int r = 1; r < tasks.Rows(); ++r)
        if (r != ownRow && tasks.TextUtf8(r, Col::TaskId) == key)
            return QStringLiteral("The Task ID %1 is already used by another task").arg(id);
    return QString();
}

QString SaveProblem(const Grid& tasks, const QStringList& cells, int ownRow) {
    auto cell = [&](int col) { return col - 1 < cells.size() ? cells[col - 1] : QString(); };
    const QString id = cell(Col::TaskId);
    if (id.isEmpty()) return QStringLiteral("You must enter a Task ID");
    if (QString p = IdProblem(tasks, id, ownRow); !p.isEmpty()) return p;
    if (cell(Col::Equipment).isEmpty()) return QStringLiteral("You must enter Equipment");
    if (cell(Col::Type).isEmpty()) return QStringLiteral("You must enter a Type");
    if (cell(Col::RequestDate).isEmpty()) return QStringLiteral("You must select a Request Date");
    return QString();
}

int Append(Grid& tasks, const QStringList& cells) {
    const bool redraw = tasks.Redraw();
    tasks.SetRedraw(false);
    tasks.SetRows(tasks.Rows() + 1);
    const int row = tasks.Rows() - 1;
    Write(tasks, row, cells);
    tasks.SetRedraw(redraw);
    tasks.SelectRange(row, Col::TaskId, row, Col::TaskId);
    return row;
}

void Write(Grid& tasks, int row, const QStringList& cells) {
    for (int c = 1; c <= kCells && c - 1 < cells.size(); ++c) tasks.SetText(row, c, cells[c - 1]);
}

int Locate(const Grid& tasks, int row, const QString& id) {
    const std::string key = id.toStdString();
    if (tasks.IsDataRow(row) && tasks.TextUtf8(row, Col::TaskId) == key) return row;
    for (int r = 1; r < tasks.Rows(); ++r)
        if (tasks.TextUtf8(r, Col::TaskId) == key) return r;
    return -1;
}

void FitColumns(Grid& tasks) {
    for (int c = 1; c < tasks.Cols(); ++c) {
        if (tasks.TextUtf8(0, c).empty()) tasks.SetColumnWidth(c, 0);
        else if (tasks.ColumnWidth(c) != 0) tasks.AutoFit(c);
    }
    if (Col::Document < tasks.Cols()) tasks.SetColumnWidth(Col::Document, 0);
}

namespace {
// The number after the counter's. A counter that is no number is recomputed
// from the grid, so the proposed ID is not one a task already has.
qint64 NextNumber(const Grid& tasks, std::optional<qint64> counter) {
    if (tasks.Rows() < 2) return 1;
    return counter.value_or(TaskCounter::LargestTaskNumber(tasks).value_or(0)) + 1;
}
}  // namespace

qint64 TakeNumber(const Grid& tasks) {
    // Read and increment are one step, so a second running copy never
    // proposes the same ID.
    const auto taken = TaskCounter::Update(
        [&](std::optional<qint64> now) -> std::optional<qint64> { return NextNumber(tasks, now); });
    if (taken) return *taken;
    // The settings could not be written: the number is still proposed.
    return ProposedNumber(tasks);
}

qint64 ProposedNumber(const Grid& tasks) { return NextNumber(tasks, TaskCounter::Read()); }

void GiveBack(qint64 taken) {
    if (taken < 1) return;
    // Only while nobody has taken a later number since.
    TaskCounter::Update([&](std::optional<qint64> now) -> std::optional<qint64> {
        if (now && *now == taken) return taken - 1;
        return std::nullopt;
    });
}

std::optional<int> FurtherOccurrences(const QString& countText) {
    bool ok = false;
    const int count = countText.trimmed().toInt(&ok);
    if (!ok || count < 1 || count > 1000) return std::nullopt;
    return count - 1;
}

}  // namespace TaskRecord

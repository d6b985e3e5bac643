#include "model/tasks/Recurrence.h"

#include <algorithm>

#include "model/database/RowProgress.h"
#include "model/database/TaskColumns.h"
#include "model/database/TaskCounter.h"
#include "model/database/TaskDatabase.h"
#include "platform/DateText.h"
#include "platform/FileOps.h"

namespace Recurrence {

namespace {

std::optional<int> ReadWhole(const QString& text, int max) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 9) return std::nullopt;
    int n = 0;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        n = n * 10 + (c.unicode() - '0');
    }
    if (n > max) return std::nullopt;
    return n;
}

QString TaskId(qint64 number) { return QStringLiteral("ID-%1").arg(number); }

// One per-task list: copied over the target, or the target removed.
bool CopyOrClear(const QString& source, const QString& target) {
    if (target.isEmpty()) return false;
    if (!source.isEmpty() && FileOps::FileExists(source)) return FileOps::CopyFile(source, target, true);
    return FileOps::RemoveFile(target);
}

// The database is busy for as long as a run lasts, so that nothing the
// window does while the run yields starts another pass over its grid.
class BusyMark {
public:
    explicit BusyMark(TaskDatabase& db) : db_(db) { db_.BeginBusy(); }
    ~BusyMark() { db_.EndBusy(); }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;
private:
    TaskDatabase& db_;
};

}  // namespace

std::optional<int> ReadCount(const QString& text) { return ReadWhole(text, kMaxCount); }
std::optional<int> ReadInterval(const QString& text) { return ReadWhole(text, kMaxInterval); }

QString CountRefused() {
    return QStringLiteral("The number of tasks to generate must be a whole number from 1 to %1.").arg(kMaxCount);
}

QString IntervalRefused() {
    return QStringLiteral("The number of days between tasks must be a whole number from 0 to %1.")
        .arg(kMaxInterval);
}

QString MoveDate(const QString& text, int days) {
    const std::optional<QDateTime> parsed = DateText::ParseDateTime(text);
    // A wall-clock time inside a spring-forward gap makes the local date-time
    // "invalid", yet its date and time are what the user wrote: use those.
    if (!parsed || !parsed->date().isValid() || !parsed->time().isValid()) return text;
    const QDate date = parsed->date().addDays(days);
    if (!date.isValid() || date.year() < 100 || date.year() > 9999) return text;
    // Built in UTC so that no local-time rule can shift the wall-clock time
    // (a time that falls in a spring-forward gap stays as written).
    return DateText::FormatGeneral(QDateTime(date, parsed->time(), Qt::UTC));
}

bool CopyTaskFiles(const QString& fromId, const QString& toId, const TaskDatabase& db) {
    if (fromId == toId || db.TasksFolder().isEmpty()) return false;
    // A source ID that is no plain file name has no lists we may read.
    bool ok = CopyOrClear(db.ItemFile(fromId), db.ItemFile(toId));
    ok &= CopyOrClear(db.MaterialFile(fromId), db.MaterialFile(toId));
    return ok;
}

Result Run(TaskDatabase& db, int count, int interval, Progress* progress) {
    Result result;
    Grid& grid = db.Tasks();
    if (count <= 0 || grid.Cols() < Col::Count) return result;
    if (!grid.IsDataRow(grid.ActiveRow())) return result;
    if (!db.IsOpen()) {
        result.saveFailed = true;
        result.saveError = QStringLiteral("no database is open.");
        return result;
    }
    Progress none;
    Progress& report = progress ? *progress : none;
    BusyMark busy(db);
    // The grid's views learn of the new rows once, at the end: a view
    // redrawn after every occurrence would cost more than the occurrence.
    TaskPass::RedrawHold<Grid> hold(grid);

    // Each number is taken from the counter in one step (read, increment,
    // write), so a second running copy generating at the same time never
    // gets the same IDs; none is lower than an ID the grid already has.
    qint64 floor = TaskCounter::LargestTaskNumber(grid).value_or(0);
    const QString frequency = QString::number(interval);
    bool progressShown = false;

    for (int j = 1; j <= count; ++j) {
        report.Yield();
        std::optional<qint64> next;
        TaskCounter::Update([&](std::optional<qint64> now) -> std::optional<qint64> {
            const qint64 n = std::max<qint64>({now.value_or(0), floor, 0}) + 1;
            if (n > TaskCounter::kMaxNumber) return std::nullopt;
            next = n;
            return n;
        });
        if (!next) break;
        const qint64 number = *next;
        floor = number;

        const int source = grid.ActiveRow();
        const int row = grid.Rows();
        grid.SetRows(row + 1);
        for (int c = 1; c < grid.Cols(); ++c) grid.SetTextUtf8(row, c, grid.TextUtf8(source, c));
        const QString id = TaskId(number);
        grid.SetText(row, Col::TaskId, id);
        grid.SetText(row, Col::Frequency, frequency);
        grid.SetText(row, Col::Status, QStringLiteral("Ready"));
        grid.SetText(row, Col::ScheduledStart, MoveDate(grid.Text(source, Col::ScheduledStart), interval));
        grid.SetText(row, Col::ScheduledEnd, MoveDate(grid.Text(source, Col::ScheduledEnd), interval));

        const TaskDatabase::Result saved = db.Save();
        if (!CopyTaskFiles(grid.Text(source, Col::TaskId), id, db)) result.copyFailed = true;
        grid.SelectRange(row, Col::TaskId, row, Col::TaskId);
        ++result.made;

        if (j >= 2) report.Step(j - 2);
        if (j == 1 && count >= 2) {
            progressShown = true;
            report.Begin(count);
        }
        if (!saved) {
            // The occurrences made so far stay in the grid and reach the
            // file with the next save that succeeds.
            result.saveFailed = true;
            result.saveError = saved.reason;
            result.saveReplaced = saved.replaced;
            break;
        }
    }

    if (progressShown) {
        TaskCounter::Recount(grid);
        report.End();
    }
    return result;
}

}  // namespace Recurrence

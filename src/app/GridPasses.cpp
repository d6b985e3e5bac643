#include "app/GridPasses.h"

#include <QDate>
#include <QProgressBar>
#include <algorithm>

#include "app/BusyGuard.h"
#include "app/StatusPanels.h"
#include "model/database/DatabaseNotices.h"
#include "model/database/DateWindow.h"
#include "model/database/PastDue.h"
#include "model/database/TaskCounter.h"
#include "model/database/TaskDatabase.h"
#include "model/database/TaskRemoval.h"
#include "model/database/TaskViews.h"
#include "platform/Dialogs.h"

namespace {

using Quillon::kTitle;
const QString kProcessingRows = QStringLiteral("Processing Rows....");
const QString kProcessingView = QStringLiteral("Processing.....");
const QString kDone = QStringLiteral("Done");

// The frame of a whole-grid pass, the pass text in panel 1.
class LongPass {
public:
    LongPass(TaskDatabase& db, StatusPanels& status, QObject* holder, const QString& text)
        : status_(status), busy_(db, holder) {
        status_.ShowProgress(true);
        status_.SetText(text);
        status_.Progress()->setRange(0, std::max(0, db.Tasks().Rows()));
        status_.Progress()->setValue(0);
    }
    TaskPass::RowProgress Progress() const {
        StatusPanels* status = &status_;
        return [status](int row) { status->StepProgress(row); };
    }

private:
    StatusPanels& status_;
    BusyGuard busy_;
};

}  // namespace

GridPasses::GridPasses(TaskDatabase& db, StatusPanels& status, QObject* holder, std::function<void()> refresh)
    : db_(db), status_(status), holder_(holder), refresh_(std::move(refresh)) {}

void GridPasses::ShowDateWindow(const QDate& from, double length) {
    YieldToEvents();
    Grid& grid = db_.Tasks();
    status_.Progress()->setRange(0, std::max(0, grid.Rows() - 1));
    grid.SetRedraw(false);
    DateWindow::Apply(grid, from, length);
    grid.SetRedraw(true);
    status_.StepProgress(status_.Progress()->maximum());
}

// Both views leave the hidden bar in the status bar rather than removing the
// progress display.
void GridPasses::ShowStatus(const QString& status, bool yieldFirst) {
    if (db_.Busy()) return;
    {
        LongPass pass(db_, status_, holder_, kProcessingView);
        if (yieldFirst) YieldToEvents();
        TaskViews::ShowStatus(db_.Tasks(), status, pass.Progress());
    }
    status_.Progress()->hide();
    status_.SetText(kDone);
}

void GridPasses::ShowAll() {
    if (db_.Busy()) return;
    {
        LongPass pass(db_, status_, holder_, kProcessingRows);
        TaskViews::ShowAll(db_.Tasks(), pass.Progress());
    }
    status_.ShowProgress(false);
    status_.SetText(kDone);
}

void GridPasses::MatchSelected() {
    if (db_.Busy()) return;
    {
        LongPass pass(db_, status_, holder_, kProcessingRows);
        // With the header row active there is no task value to match:
        // MatchSelected leaves every row as it is, and the pass still ends
        // with "Done" like every other view.
        TaskViews::MatchSelected(db_.Tasks(), pass.Progress());
    }
    status_.ShowProgress(false);
    status_.SetText(kDone);
}

void GridPasses::SetActiveStatus(const QString& status) {
    if (db_.Busy()) return;
    Grid& grid = db_.Tasks();
    const int r = grid.ActiveRow();
    // With the header row active there is no task: writing would replace the
    // column's caption.
    if (!grid.IsDataRow(r)) return;
    grid.SetText(r, Col::Status, status);
    // Frequency, not Status, is the column fitted here: the Status column
    // keeps the width the user sees (AutoFit keeps a hidden column hidden).
    grid.AutoFit(Col::Frequency);
    // Saved before the past-due pass: statuses that pass changes reach the
    // file with the next save.
    DatabaseNotices::Save(db_);
    MarkPastDue();
}

// The button's pass lets pending window events run once before it walks.
void GridPasses::ClearAlerts(bool yieldFirst) {
    if (db_.Busy()) return;
    int changed = 0;
    {
        BusyGuard busy(db_, holder_);
        {
            LongPass pass(db_, status_, holder_, kProcessingRows);
            if (yieldFirst) YieldToEvents();
            changed = TaskViews::ClearAlerts(db_.Tasks(), pass.Progress());
        }
        status_.ShowProgress(false);
        status_.SetText(kDone);
        refresh_();
    }
    // Without a database there is nowhere to save; say so only when the
    // grid has changed.
    if (changed > 0 || db_.IsOpen()) DatabaseNotices::Save(db_);
}

void GridPasses::MarkPastDue() {
    const PastDue::Colours colours = PastDue::ReadColours();
    status_.Progress()->setRange(0, std::max(0, db_.Tasks().Rows() - 1));
    PastDue::Mark(db_.Tasks(), QDate::currentDate(), colours, [this](int row) { status_.StepProgress(row); });
}

void GridPasses::Recount() { TaskCounter::Recount(db_.Tasks()); }

void GridPasses::Remove() {
    if (db_.Busy()) return;
    Grid& grid = db_.Tasks();
    // Only rows the user can see are removed: a task hidden by the view is
    // no selected task, even when the active row was filtered out.
    const QStringList ids = TaskRemoval::SelectedIds(grid);
    if (ids.isEmpty()) {
        MsgBox(QStringLiteral("No Tasks Found"), vb::vbOKOnly | vb::vbCritical, kTitle);
        return;
    }
    // Rows removed from a grid that cannot be saved would only seem gone.
    if (!DatabaseNotices::RequireOpen(db_)) return;
    const QString question = ids.size() == 1
                                 ? QStringLiteral("Delete Task \"%1\"?").arg(ids.front())
                                 : QStringLiteral("Delete The %1 Selected Tasks?").arg(ids.size());
    if (MsgBox(question, vb::vbYesNo | vb::vbCritical | vb::vbDefaultButton2, kTitle) != vb::vbYes)
        return;
    QStringList removed;
    {
        BusyGuard busy(db_, holder_);
        removed = TaskRemoval::RemoveSelected(grid);
        Recount();
    }
    // The files go only once the database no longer lists their tasks; a
    // failed save (reported by Save) keeps them.
    if (!DatabaseNotices::Save(db_)) return;
    TaskRemoval::DeleteTaskFiles(db_.TasksFolder(), db_.MaterialsFolder(), TaskRemoval::OrphanedIds(grid, removed));
}

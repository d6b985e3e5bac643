// Status views, status changes, past-due marking, the counter and removal.
// The passes themselves live in database/ (TaskViews, PastDue, TaskCounter,
// TaskRemoval); the handlers here add the window's part: the progress
// display, the status-bar texts, the hourglass, the saves and the messages.
#include <QDate>
#include <QProgressBar>
#include <algorithm>

#include "app/Form1.h"
#include "model/database/PastDue.h"
#include "model/database/TaskCounter.h"
#include "model/database/TaskRemoval.h"
#include "model/database/TaskViews.h"
#include "platform/Dialogs.h"

namespace {

using Quillon::kTitle;
const QString kProcessingRows = QStringLiteral("Processing Rows....");
const QString kProcessingView = QStringLiteral("Processing.....");
const QString kDone = QStringLiteral("Done");

// The frame of a whole-grid pass: the hourglass and the busy mark (so no
// command starts until the pass ends), the progress bar over the status
// bar scaled to the row count, the pass text in panel 1.
class LongPass {
public:
    LongPass(Form1* form, const QString& text) : form_(form), busy_(form) {
        form_->ShowProgress(true);
        form_->SetStatusText(text);
        form_->Bar1->setRange(0, std::max(0, form_->Grid1.Rows()));
        form_->Bar1->setValue(0);
    }
    TaskPass::RowProgress Progress() const {
        Form1* form = form_;
        return [form](int row) { form->StepProgress(row); };
    }

private:
    Form1* form_;
    BusyGuard busy_;
};

// The status views of the "Filters" menu and of the list bar's "Status"
// group: one row loop (TaskViews::ShowStatus), two frames. The list bar's
// pass lets pending window events run once before it walks the rows (user
// input stays queued until the pass has ended) and keeps the grid on screen
// until the loop starts; the menu's pass does not yield. Both leave the
// hidden bar in the status bar rather than removing the progress display.
void RunStatusView(Form1* form, const QString& status, bool yieldFirst) {
    if (form->Busy()) return;
    {
        LongPass pass(form, kProcessingView);
        if (yieldFirst) Form1::DoEvents();
        TaskViews::ShowStatus(form->Grid1, status, pass.Progress());
    }
    form->Bar1->hide();
    form->SetStatusText(kDone);
}

}  // namespace

// ---------------------------------------------------------------- views

void Form1::ViewStatus(const QString& status) {
    RunStatusView(this, status, /*yieldFirst=*/true);
}

void Form1::mnuready_Click() { RunStatusView(this, TaskStatus::kReady, false); }
void Form1::mnuprog_Click() { RunStatusView(this, TaskStatus::kInProgress, false); }
void Form1::mnuhold2_Click() { RunStatusView(this, TaskStatus::kOnHold, false); }
void Form1::mnucomplete_Click() { RunStatusView(this, TaskStatus::kComplete, false); }
void Form1::mnucanceled_Click() { RunStatusView(this, TaskStatus::kCanceled, false); }
void Form1::mnupastdue_Click() { RunStatusView(this, TaskStatus::kPastDue, false); }

void Form1::mnuall_Click() {
    if (Busy()) return;
    {
        LongPass pass(this, kProcessingRows);
        TaskViews::ShowAll(Grid1, pass.Progress());
    }
    ShowProgress(false);
    SetStatusText(kDone);
}

void Form1::Command7_Click() { mnuall_Click(); }

void Form1::mnusel_Click() {
    if (Busy()) return;
    {
        LongPass pass(this, kProcessingRows);
        // With the header row active there is no task value to match:
        // MatchSelected leaves every row as it is, and the pass still ends
        // with "Done" like every other view.
        TaskViews::MatchSelected(Grid1, pass.Progress());
    }
    ShowProgress(false);
    SetStatusText(kDone);
}

// ---------------------------------------------------------------- statuses

void Form1::SetActiveStatus(const QString& status) {
    if (Busy()) return;
    const int r = Grid1.ActiveRow();
    // With the header row active there is no task: writing would replace the
    // column's caption.
    if (!Grid1.IsDataRow(r)) return;
    Grid1.SetText(r, Col::Status, status);
    // The column just written is fitted too, so a longer status shows whole
    // (AutoFit keeps a column the user hid, width 0, hidden).
    Grid1.AutoFit(Col::Frequency);
    Grid1.AutoFit(Col::Status);
    // Saved before the past-due pass: statuses that pass changes reach the
    // file with the next save.
    SaveDatabase();
    Getpast();
}

void Form1::mnured_Click() { SetActiveStatus(TaskStatus::kReady); }
void Form1::mnuhold_Click() { SetActiveStatus(TaskStatus::kOnHold); }
void Form1::mnucancel_Click() { SetActiveStatus(TaskStatus::kCanceled); }
void Form1::mnucomp_Click() { SetActiveStatus(TaskStatus::kComplete); }
void Form1::mnupast_Click() { SetActiveStatus(TaskStatus::kPastDue); }
void Form1::mnuprog2_Click() { SetActiveStatus(TaskStatus::kInProgress); }

namespace {
// Alert clearing: every "Alert" back to "Ready", the date window applied
// again (it replaces the alert view), then the save. The button variant lets
// pending window events run once before its pass.
void ClearAlerts(Form1* form, bool yieldFirst) {
    if (form->Busy()) return;
    int changed = 0;
    {
        BusyGuard busy(form);
        {
            LongPass pass(form, kProcessingRows);
            if (yieldFirst) Form1::DoEvents();
            changed = TaskViews::ClearAlerts(form->Grid1, pass.Progress());
        }
        form->ShowProgress(false);
        form->SetStatusText(kDone);
        form->Command1_Click();
    }
    // Without a database there is nowhere to save; say so only when the
    // grid has changed.
    if (changed > 0 || form->DatabaseOpen()) form->SaveDatabase();
}
}  // namespace

void Form1::mnualert2_Click() { ClearAlerts(this, false); }
void Form1::Command5_Click() { ClearAlerts(this, true); }

// ---------------------------------------------------------------- past due

void Form1::Getpast() {
    const PastDue::Colours colours = PastDue::ReadColours();
    Bar1->setRange(0, std::max(0, Grid1.Rows() - 1));
    PastDue::Mark(Grid1, QDate::currentDate(), colours, [this](int row) { StepProgress(row); });
}

// ---------------------------------------------------------------- counter

void Form1::GetCount() { TaskCounter::WriteRowCount(Grid1); }

void Form1::ResortNum() { TaskCounter::Recount(Grid1); }

// ---------------------------------------------------------------- removal

void Form1::Removeit() {
    if (Busy()) return;
    // Only rows the user can see are removed: a task hidden by the view is
    // no selected task, even when the active row was filtered out.
    const QStringList ids = TaskRemoval::SelectedIds(Grid1);
    if (ids.isEmpty()) {
        MsgBox(QStringLiteral("No Tasks Found"), vb::vbOKOnly | vb::vbCritical, kTitle);
        return;
    }
    // Rows removed from a grid that cannot be saved would only seem gone.
    if (!RequireDatabase()) return;
    const QString question = ids.size() == 1
                                 ? QStringLiteral("Delete Task \"%1\"?").arg(ids.front())
                                 : QStringLiteral("Delete The %1 Selected Tasks?").arg(ids.size());
    if (MsgBox(question, vb::vbYesNo | vb::vbCritical | vb::vbDefaultButton2, kTitle) != vb::vbYes)
        return;
    QStringList removed;
    {
        BusyGuard busy(this);
        removed = TaskRemoval::RemoveSelected(Grid1);
        ResortNum();
    }
    // The files go only once the database no longer lists their tasks; a
    // failed save (reported by SaveDatabase) keeps them.
    if (!SaveDatabase()) return;
    TaskRemoval::DeleteTaskFiles(TasksFolder(), MaterialsFolder(),
                                 TaskRemoval::OrphanedIds(Grid1, removed));
}

void Form1::mnurem_Click() { Removeit(); }

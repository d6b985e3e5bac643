// Recurring occurrences and the one-field editors' openers.
#include <QDateEdit>
#include <QLineEdit>
#include <QProgressBar>

#include "app/Form1.h"
#include "model/database/DatabaseNotices.h"
#include "platform/DateText.h"
#include "platform/Dialogs.h"
#include "widgets/Forms.h"
#include "widgets/GridView.h"
#include "ui/tasks/Form18.h"
#include "ui/tasks/OneFieldEditors.h"
#include "model/tasks/Recurrence.h"

namespace {

// A run's progress in the status bar: the bar over its second panel and the
// pass's texts in the first; between occurrences the window repaints.
class GenerateProgress : public Recurrence::Progress {
public:
    explicit GenerateProgress(Form1* form) : form_(form) {}
    void Yield() override { Form1::DoEvents(); }
    void Begin(int total) override {
        form_->Bar1->setRange(0, total);
        form_->ShowProgress(true);
        form_->SetStatusText(QStringLiteral("Processing Rows...."));
    }
    void Step(int value) override { form_->StepProgress(value); }
    void End() override {
        form_->ShowProgress(false);
        form_->SetStatusText(QStringLiteral("Done"));
    }

private:
    Form1* form_;
};

}  // namespace

void Form1::Generate() {
    // One run at a time: a run yields to the event loop, and nothing that
    // arrives then may start another pass over the grid.
    if (Busy()) return;
    const int row = Grid1.ActiveRow();
    if (!Grid1.IsDataRow(row)) return;

    const std::optional<int> count = Recurrence::ReadCount(Text4->text());
    if (!count) {
        MsgBox(Recurrence::CountRefused(), vb::vbExclamation);
        return;
    }
    if (*count == 0) return;
    const std::optional<int> interval = Recurrence::ReadInterval(Text3->text());
    if (!interval) {
        MsgBox(Recurrence::IntervalRefused(), vb::vbExclamation);
        return;
    }
    if (!RequireDatabase()) return;

    BusyGuard busy(this);
    GenerateProgress progress(this);
    const Recurrence::Result result = Recurrence::Run(Database, *count, *interval, &progress);
    // The view took the new rows in at once, at the end of the run: the last
    // one, the active row, comes into view as when rows came one by one.
    Grid1View->scrollTo(Grid1View->currentIndex());
    if (result.saveFailed) DatabaseNotices::SaveFailed(Database, result.saveError, result.saveReplaced);
    if (result.copyFailed)
        MsgBox(QStringLiteral("The item or material list of a new task could not be copied."),
               vb::vbExclamation);
}

void Form1::mnutype_Click() { Forms::Show<Form16>(Database); }
void Form1::mnuassigned_Click() { Forms::Show<Form12>(Database); }
void Form1::mnurequest_Click() { Forms::Show<Form13>(Database); }
void Form1::mnustart_Click() { Forms::Show<Form14>(Database); }
void Form1::mnuebd_Click() { Forms::Show<Form15>(Database); }
void Form1::mnudesc_Click() { Forms::Show<frme2>(Database); }

void Form1::mnudup_Click() {
    if (Grid1.Rows() < 2) {
        MsgBox(QStringLiteral("Nothing to generate"), vb::vbOKOnly);
        return;
    }
    Form18* f = Generator();
    const int row = Grid1.ActiveRow();
    if (Grid1.IsDataRow(row)) {
        if (const auto date = DateText::ParseDate(Grid1.Text(row, Col::ScheduledStart)))
            f->DatePicker1->setDate(*date);
    }
    Forms::Raise(f);
}

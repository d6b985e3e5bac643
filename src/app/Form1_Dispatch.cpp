// The list bar's and the toolbar's dispatchers: each looks the clicked
// item's text or the button's key up in its table. A text or key that is
// not one of theirs does nothing, and no command starts in the middle of a
// pass over the grid.
#include <QDateEdit>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QPointer>
#include <QTabWidget>

#include "app/Form1.h"
#include "app/Form5.h"
#include "model/database/TaskViews.h"
#include "platform/DateText.h"
#include "platform/Dialogs.h"
#include "platform/GridExport.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "ui/tasks/Form18.h"
#include "ui/tasks/Form6.h"
#include "widgets/Forms.h"
#include "widgets/WaitCursor.h"

namespace {

using Quillon::kTitle;
using Handler = void (Form1::*)();

// A task row is active, else "No Tasks Found" is said: the commands that
// act on the ActiveTask need one.
bool TaskRowActive(const Grid& grid) {
    if (grid.IsDataRow(grid.ActiveRow())) return true;
    MsgBox(QStringLiteral("No Tasks Found"), vb::vbCritical, kTitle);
    return false;
}

// A sheet written with texts cut to what a spreadsheet cell holds says so,
// once, naming the first such cell by its task and column.
void TellShortened(const Grid& grid, const GridExport::Shortened& cut) {
    if (cut.count == 0) return;
    const QString caption = grid.Text(0, cut.col);
    QString first;
    if (cut.row < 1) {
        first = QStringLiteral("The header of column \"%1\"").arg(caption);
    } else {
        const QString id = grid.Text(cut.row, Col::TaskId);
        first = QStringLiteral("The text of task %1 in column \"%2\"")
                    .arg(id.isEmpty() ? QStringLiteral("(no Task ID)") : id, caption);
    }
    const QString limit = QLocale().toString(GridExport::kMaxCellChars);
    const QString text =
        cut.count == 1
            ? QStringLiteral("%1 is longer than a spreadsheet cell can hold, so the sheet has only its first %2 "
                             "characters.")
                  .arg(first, limit)
            : QStringLiteral("%1 and the texts of %2 more cells are longer than a spreadsheet cell can hold, so the "
                             "sheet has only the first %3 characters of each.")
                  .arg(first, QString::number(cut.count - 1), limit);
    MsgBox(text + QStringLiteral("\nThe HTML export keeps every text whole."), vb::vbExclamation, kTitle);
}

}  // namespace

void Form1::Listbar1_ItemClick(const QString& itemText) {
    static const QHash<QString, Handler> items = {
        {"Add", &Form1::ListAdd},          {"Edit", &Form1::ListEdit},        {"Delete", &Form1::ListDelete},
        {"Generate", &Form1::ListGenerate}, {"Excel", &Form1::ListExcel},     {"HTML", &Form1::ListHtml},
        {"Work Order", &Form1::PrintWork}, {"Materials", &Form1::mnupcost_Click}, {"Grid", &Form1::mtprint_Click},
        {"Chart", &Form1::mnupgantt_Click},
    };
    static const QStringList statuses = {TaskStatus::kComplete, TaskStatus::kInProgress, TaskStatus::kReady,
                                         TaskStatus::kOnHold,   TaskStatus::kCanceled,   TaskStatus::kPastDue};
    if (Busy()) return;
    if (statuses.contains(itemText)) ViewStatus(itemText);
    else if (const Handler handler = items.value(itemText)) (this->*handler)();
}

void Form1::Toolbar1_ButtonClick(const QString& key) {
    static const QHash<QString, Handler> buttons = {
        {"Add", &Form1::mnunewd_Click}, {"Open", &Form1::mnuopend_Click}, {"Edit", &Form1::mnuskin_Click},
        {"Column", &Form1::ShowColumns}, {"Tray", &Form1::ToolbarTray}, {"Photo", &Form1::ShowPhoto},
        {"Print", &Form1::mnusht_Click}, {"Help", &Form1::mnucont_Click}, {"Mail", &Form1::MailTaskSheet},
        {"Exit", &Form1::UnloadAllForms},
    };
    if (Busy()) return;
    if (const Handler handler = buttons.value(key)) (this->*handler)();
}

// ---------------------------------------------------------------- the list bar

void Form1::ListAdd() { EditorForAdd(); }

// Refuses with "No Tasks Found" when no task row is active.
void Form1::ListEdit() { EditorForEdit(); }

void Form1::ListDelete() {
    if (TaskRowActive(Grid1)) Removeit();
}

void Form1::ListGenerate() {
    if (!TaskRowActive(Grid1)) return;
    const int r = Grid1.ActiveRow();
    Form18* generator = Generator();
    if (const auto start = DateText::ParseDate(Grid1.Text(r, Col::ScheduledStart)))
        generator->DatePicker1->setDate(*start);
    Forms::Raise(generator);
}

void Form1::ListExcel() {
    if (DatabaseFolder().isEmpty()) {
        RequireDatabase();
        return;
    }
    GridExport::ClearSheet(DatabaseFolder(), QStringLiteral("temp.xls"));
    const QString program =
        basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, QStringLiteral("Software\\Quillon\\Settings"),
                                 QStringLiteral("excelpath"))
            .toString();
    if (program.trimmed().isEmpty()) {
        MsgBox(QStringLiteral("Please Set Path To Excel Under The Utilities Menu"), vb::vbExclamation, kTitle);
        return;
    }
    QString error;
    GridExport::Shortened cut;
    {
        WaitCursor wait;
        if (!GridExport::WriteSheet(Grid1, DatabaseFolder(), QStringLiteral("temp.xls"), nullptr, &error, &cut)) {
            // Nothing to open: the sheet was not written.
            MsgBox(QStringLiteral("The task sheet could not be exported: %1").arg(error), vb::vbCritical, kTitle);
            return;
        }
    }
    TellShortened(Grid1, cut);
    // Said also when the program starts and gives up at once (no
    // display, a broken installation), which would otherwise look as if
    // nothing happened.
    const QString cannot = QStringLiteral("The spreadsheet program \"%1\" could not be started.").arg(program);
    QPointer<Form1> self(this);
    if (!Shell::Get().StartProgram(program, {QStringLiteral("temp.xls")}, DatabaseFolder(),
                                   [self, cannot](const QString& reason) {
                                       if (self) MsgBox(cannot + QLatin1Char('\n') + reason, vb::vbExclamation, kTitle);
                                   }))
        MsgBox(cannot, vb::vbExclamation, kTitle);
}

void Form1::ListHtml() {
    QString file = Dialogs::Get().SaveFileName(QStringLiteral("Save As Html Document:"),
                                               QStringLiteral("Html (*.html)"), DatabaseFolder());
    if (file.isEmpty()) return;
    // Without the extension no browser would take the page for one.
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".html");
    QString error;
    {
        WaitCursor wait;
        if (!ExportToHTML(Grid1, file, &error)) {
            MsgBox(QStringLiteral("The HTML page could not be written: %1").arg(error), vb::vbCritical, kTitle);
            return;
        }
    }
    if (!Shell::Get().OpenDocument(file))
        MsgBox(QStringLiteral("The page was saved as \"%1\", but no program could be found to show it.").arg(file),
               vb::vbInformation, kTitle);
}

// ---------------------------------------------------------------- the toolbar

// An open chooser is only brought forward; its marks stay.
void Form1::ShowColumns() { Forms::Show<Form5>(Database); }

void Form1::ShowPhoto() {
    LoadTaskPicture();
    SSTab1->setCurrentIndex(2);
}

void Form1::MailTaskSheet() {
    if (Grid1.Rows() < 1) {
        MsgBox(QStringLiteral("You must Load The Grid!"), vb::vbExclamation, QStringLiteral("Quillon  "));
        return;
    }
    if (DatabaseFolder().isEmpty()) {
        RequireDatabase();
        return;
    }
    QString sheet, error;
    GridExport::Shortened cut;
    {
        WaitCursor wait;
        if (!GridExport::WriteSheet(Grid1, DatabaseFolder(), QStringLiteral("quillontask.xls"), &sheet, &error,
                                    &cut)) {
            // A mail must never go out with a stale or missing sheet.
            MsgBox(QStringLiteral("The task sheet could not be exported, so it cannot be mailed: %1").arg(error),
                   vb::vbCritical, kTitle);
            return;
        }
    }
    TellShortened(Grid1, cut);
    OpenMailWindow(sheet);
}

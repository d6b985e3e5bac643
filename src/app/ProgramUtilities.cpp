#include "app/ProgramUtilities.h"

#include <QWidget>

#include "model/schedule/ExcelPath.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/UpdateChecker.h"
#include "ui/schedule/frmExcel.h"
#include "ui/utilities/Form8.h"
#include "ui/utilities/frmpref.h"
#include "widgets/Forms.h"
#include "widgets/GanttChart.h"
#include "widgets/Skin.h"

using Quillon::kTitle;

ProgramUtilities::ProgramUtilities(Window window) : QObject(window.window), window_(std::move(window)) {}

void ProgramUtilities::Preferences() {
    const bool fresh = !Forms::Loaded<frmpref>();
    frmpref* pref = Forms::Load<frmpref>();
    if (fresh) {
        connect(pref, &frmpref::ColorsStored, this, [this] { window_.pastDue(); });
        connect(pref, &frmpref::ChartBackColorChosen, this, [this](qint64 colour) {
            window_.chart->BackColor = colour;
            window_.chart->update();
        });
        connect(pref, &frmpref::ChartPyjamasColorChosen, this, [this](qint64 colour) {
            window_.chart->PyjamasColor = colour;
            window_.chart->update();
        });
    }
    Forms::Show<frmpref>();
}

QString ProgramUtilities::AskSkinFile() {
    return Dialogs::Get().OpenFileName(QStringLiteral("Open Skin"), QStringLiteral("Skin files (*.skn)"),
                                       Skin::ShippedSkinsFolder());
}

void ProgramUtilities::ChangeSkin() {
    const QString path = AskSkinFile();
    if (path.isEmpty()) return;
    QString sheet, error;
    if (!Skin::Load(path, &sheet, &error)) {
        MsgBox(error + QStringLiteral("\nThe look stays as it is."), vb::vbExclamation, kTitle);
        return;
    }
    // A skin that could not be kept still dresses this window; the next
    // windows keep the previous one.
    if (!Skin::MakeCurrent(path, &error)) MsgBox(error, vb::vbExclamation, kTitle);
    Skin::Apply(window_.window, sheet);
}

void ProgramUtilities::FindSpreadsheetProgram() {
    const QString found = ExcelPath::GetExcelPath();
    if (!found.isEmpty() && found != ExcelPath::Stored()) ExcelPath::Store(found);
}

void ProgramUtilities::SpreadsheetPathWindow() { Forms::Show<frmExcel>(); }

UpdateChecker* ProgramUtilities::StartUpdateCheck() {
    if (!checker_) {
        checker_ = new UpdateChecker(this);
        connect(checker_, &UpdateChecker::UpdateResult, this, [this](const QString&, int status) { TellUpdateResult(status); });
    }
    checker_->MajorVersion = 4;
    checker_->MinorVersion = 3;
    checker_->RevisionNumber = 1;
    checker_->ProductName = QStringLiteral("Quillon");
    checker_->UpdateFlag = false;
    checker_->ApplicationFolder = window_.databaseFolder();
    checker_->UpdateListUrl = UpdateChecker::DefaultListUrl();
    checker_->CheckForUpdate();
    return checker_;
}

void ProgramUtilities::TellUpdateResult(int status) {
    switch (status) {
    case 1:
        MsgBox(QStringLiteral("Failed To Connect\nPlease Check Your Internet Connection."),
               vb::vbCritical | vb::vbDefaultButton3, kTitle);
        break;
    case 2:
        window_.quit();
        break;
    case 5:
        MsgBox(QStringLiteral("Operation Was Cancelled By User"), vb::vbCritical, kTitle);
        break;
    default:
        break;
    }
}

void ProgramUtilities::HelpContents() { Help::Show(); }
void ProgramUtilities::WebPage() { Help::ShowWebPage(); }
void ProgramUtilities::About() { Forms::Show<Form8>(); }

// The main window's preferences, skins, the spreadsheet program's path, the
// update check, help and About.
#include "app/Form1.h"

#include <QApplication>

#include "widgets/Forms.h"
#include "platform/Dialogs.h"
#include "widgets/GanttChart.h"
#include "platform/Help.h"
#include "widgets/Skin.h"
#include "platform/UpdateChecker.h"
#include "model/schedule/ExcelPath.h"
#include "ui/schedule/frmExcel.h"
#include "ui/utilities/Form8.h"
#include "ui/utilities/frmpref.h"

namespace {
const QString kTitle = QStringLiteral("Quillon");
}

void Form1::mnupref_Click() {
    const bool fresh = !Forms::Loaded<frmpref>();
    frmpref* pref = Forms::Load<frmpref>();
    if (fresh) {
        connect(pref, &frmpref::ColorsStored, this, &Form1::Getpast);
        connect(pref, &frmpref::ChartBackColorChosen, this, [this](qint64 colour) {
            phGantX1->BackColor = colour;
            phGantX1->update();
        });
        connect(pref, &frmpref::ChartPyjamasColorChosen, this, [this](qint64 colour) {
            phGantX1->PyjamasColor = colour;
            phGantX1->update();
        });
    }
    Forms::Show<frmpref>();
}

QString Form1::GetSkinFile() {
    return Dialogs::Get().OpenFileName(QStringLiteral("Open Skin"), QStringLiteral("Skin files (*.skn)"),
                                       Skin::ShippedSkinsFolder());
}

void Form1::mnuskin_Click() {
    const QString path = GetSkinFile();
    if (path.isEmpty()) return;
    QString sheet, error;
    if (!Skin::Load(path, &sheet, &error)) {
        MsgBox(error + QStringLiteral("\nThe look stays as it is."), vb::vbExclamation, kTitle);
        return;
    }
    // A skin that could not be kept still dresses this window; the next
    // windows keep the previous one.
    if (!Skin::MakeCurrent(path, &error)) MsgBox(error, vb::vbExclamation, kTitle);
    Skin::Apply(this, sheet);
}

void Form1::FindExcel() {
    // A path the user applied stays when the lookup finds nothing.
    const QString found = ExcelPath::GetExcelPath();
    if (!found.isEmpty() && found != ExcelPath::Stored()) ExcelPath::Store(found);
}

void Form1::mnuexcel_Click() { Forms::Show<frmExcel>(); }

void Form1::mnuupdate_Click() {
    if (!axAutoUpdate1) {
        axAutoUpdate1 = new UpdateChecker(this);
        connect(axAutoUpdate1, &UpdateChecker::UpdateResult, this, &Form1::axAutoUpdate1_UpdateResult);
    }
    axAutoUpdate1->MajorVersion = 4;
    axAutoUpdate1->MinorVersion = 3;
    axAutoUpdate1->RevisionNumber = 1;
    axAutoUpdate1->ProductName = QStringLiteral("Quillon");
    axAutoUpdate1->UpdateFlag = false;
    axAutoUpdate1->ApplicationFolder = DatabaseFolder();
    axAutoUpdate1->UpdateListUrl = UpdateChecker::DefaultListUrl();
    axAutoUpdate1->CheckForUpdate();
}

void Form1::axAutoUpdate1_UpdateResult(const QString& text, int status) {
    switch (status) {
    case 1:
        MsgBox(QStringLiteral("Failed To Connect\nPlease Check Your Internet Connection."),
               vb::vbCritical | vb::vbDefaultButton3, kTitle);
        break;
    case 2:
        UnloadAllForms();
        break;
    case 5:
        MsgBox(QStringLiteral("Operation Was Cancelled By User"), vb::vbCritical, kTitle);
        break;
    default:
        break;
    }
}

void Form1::mnucont_Click() { Help::Show(); }

void Form1::mnuvisit_Click() { Help::ShowWebPage(); }

void Form1::mnuabout_Click() {
    Forms::Show<Form8>();
}

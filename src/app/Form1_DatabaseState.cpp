// What the main window tells and asks the user about the database as a
// whole: changes a failed save left unsaved, the day count of the date
// window, and the files an older Quillon named for the open database.
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>

#include "app/Form1.h"
#include "database/DatabaseLocation.h"
#include "database/TaskDatabase.h"
#include "platform/Dialogs.h"

namespace {
const QString kTitle = QStringLiteral("Quillon");
const QString kDatabaseFilter = QStringLiteral("Quillon Task(*.vkt)");
}  // namespace

void Form1::ShowUnsaved(bool unsaved) {
    if (!PanelUnsaved) {
        if (!unsaved) return;
        PanelUnsaved = new QLabel;
        PanelUnsaved->setObjectName(QStringLiteral("PanelUnsaved"));
        PanelUnsaved->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
        // First of the permanent panels, after the status text.
        StatusBar1->insertPermanentWidget(1, PanelUnsaved);
    }
    PanelUnsaved->setText(unsaved ? QStringLiteral("Unsaved changes: the last save failed") : QString());
    PanelUnsaved->setVisible(unsaved);
}

bool Form1::ResolveUnsaved() {
    enum { Retry, Elsewhere, Discard, Cancel };
    while (Database.Unsaved() && DatabaseOpen()) {
        const int answer = Dialogs::Get().Choose(
            QStringLiteral("The changes to the database \"%1\" could not be saved.\n\n"
                           "Try the save again, save the tasks to another file, or discard the changes?")
                .arg(DatabaseFile()),
            kTitle, {QStringLiteral("&Retry Save"), QStringLiteral("Save &Elsewhere..."), QStringLiteral("&Discard Changes"),
                     QStringLiteral("Cancel")},
            Retry, Cancel);
        if (answer == Retry) {
            SaveDatabase();   // says why when it fails again; the question comes back
        } else if (answer == Elsewhere) {
            const QString path = Dialogs::Get().SaveFileName(QStringLiteral("Save The Tasks Elsewhere:"),
                                                             kDatabaseFilter, DatabaseFolder());
            if (path.isEmpty()) continue;
            // "Elsewhere" must not be a way around the checks a save makes: the
            // open file may have been refused because another program changed
            // it, and another copy of Quillon may hold the chosen one.
            const QString chosen = QFileInfo(path).absoluteFilePath();
            const QString own = QFileInfo(DatabaseFile()).absoluteFilePath();
            const bool same = chosen == own || (QFileInfo::exists(path) &&
                                                QFileInfo(path).canonicalFilePath() == QFileInfo(own).canonicalFilePath());
            if (same) {
                MsgBox(QStringLiteral("\"%1\" is the database that could not be saved. Choose another file, or "
                                      "Retry Save.").arg(path),
                       vb::vbExclamation, kTitle);
                continue;
            }
            const QString holder = TaskDatabase::LockHolder(path);
            if (!holder.isEmpty()) {
                MsgBox(QStringLiteral("\"%1\" is in use by %2. Choose another file.").arg(path, holder),
                       vb::vbExclamation, kTitle);
                continue;
            }
            QString error;
            if (!Grid1.SaveFile(path, &error)) {
                MsgBox(QStringLiteral("The tasks could not be saved to \"%1\": %2").arg(path, error), vb::vbCritical,
                       kTitle);
                continue;
            }
            // The tasks' lists go with them, so the copy opens whole.
            QStringList ids;
            for (int r = 1; r < Grid1.Rows(); ++r) ids << Grid1.Text(r, Col::TaskId);
            const auto from = DatabaseLocation::Derive(DatabaseFile());
            if (!DatabaseLocation::CopyCompanion(from, DatabaseLocation::Derive(path), ids, &error))
                MsgBox(QStringLiteral("The tasks were saved to \"%1\", but not all of their item and material lists "
                                      "could be copied beside it: %2")
                           .arg(path, error),
                       vb::vbExclamation, kTitle);
            Database.ForgetUnsaved();
        } else if (answer == Discard) {
            Database.ForgetUnsaved();
        } else {
            return false;
        }
    }
    return true;
}

bool Form1::CheckDays() {
    bool ok = false;
    const double days = Combo3->currentText().trimmed().toDouble(&ok);
    if (ok && days >= 0) {
        lastDays_ = Combo3->currentText();
        return true;
    }
    MsgBox(QStringLiteral("\"%1\" is not a number of days. Enter a number such as 7 or 30.").arg(Combo3->currentText()),
           vb::vbExclamation, kTitle);
    Combo3->setEditText(lastDays_);
    return false;
}

void Form1::AdoptLegacyFiles() {
    QStringList ids;
    for (int r = 1; r < Grid1.Rows(); ++r) ids << Grid1.Text(r, Col::TaskId);
    QString error;
    if (DatabaseLocation::AdoptLegacyFiles(DatabaseFile(), ids, &error) == DatabaseLocation::Adopted::Failed)
        MsgBox(QStringLiteral("The task lists of \"%1\" could not all be brought to its folder \"%2\": %3\n"
                              "The files stay where they were.")
                   .arg(DatabaseFile(), CompanionFolder(), error),
               vb::vbExclamation, kTitle);
}

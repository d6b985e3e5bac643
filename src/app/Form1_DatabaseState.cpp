// What the main window tells and asks the user about the database as a
// whole: changes a failed save left unsaved, the day count of the date
// window, the files an older Quillon named for the open database, and a
// database opened without the folder and list file that belong beside it.
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>

#include "app/Form1.h"
#include "model/database/DatabaseLocation.h"
#include "model/database/TaskDatabase.h"
#include "platform/Dialogs.h"
#include "platform/FileOps.h"

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

QString Form1::EnsureCompanionFolder() {
    if (DatabaseFolder().isEmpty()) return QString();
    const QString folder = CompanionFolder();
    if (FileOps::FolderExists(folder)) {
        // Tasks or Materials alone may be missing (removed by hand): made
        // again without a word, the other lists being where they belong.
        DatabaseLocation::EnsureCompanion(DatabaseFolder(), DatabaseName());
        return QString();
    }
    const bool listMissing = !FileOps::FileExists(ListFilePath());
    const bool made = DatabaseLocation::EnsureCompanion(DatabaseFolder(), DatabaseName());
    const QString folderName = QFileInfo(folder).fileName();
    const QString listName = QFileInfo(ListFilePath()).fileName();
    QString text =
        listMissing
            ? QStringLiteral("The folder \"%1\" and the list file \"%2\" of the database \"%3\" were not found beside "
                             "it. They hold its tasks' items and materials and its employees, equipment and task "
                             "types, which therefore show empty.")
                  .arg(folderName, listName, DatabaseFile())
            : QStringLiteral("The folder \"%1\" of the database \"%2\" was not found beside it. It holds its tasks' "
                             "items and materials, which therefore show empty.")
                  .arg(folderName, DatabaseFile());
    text += made ? QStringLiteral("\nAn empty folder was made in its place.")
                 : QStringLiteral("\nAn empty folder could not be made in its place either.");
    text += QStringLiteral("\n\nA database that is moved needs its folder and its list file moved with it. Close "
                           "Quillon, move them beside the database (replacing the empty folder), and open it again.");
    return text;
}

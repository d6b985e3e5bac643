#include "app/DatabaseQuestions.h"

#include <QDir>
#include <QFileInfo>

#include "model/backup/RestoreArchive.h"
#include "model/database/DatabaseLocation.h"
#include "model/database/DatabaseNotices.h"
#include "model/database/TaskColumns.h"
#include "model/database/TaskDatabase.h"
#include "platform/Dialogs.h"
#include "platform/FileOps.h"

namespace DatabaseQuestions {

namespace {
using Quillon::kTitle;
const QString kDatabaseFilter = QStringLiteral("Quillon Task(*.vkt)");
QString Cleaned(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }
}  // namespace

bool ResolveUnsaved(TaskDatabase& db) {
    enum { Retry, Elsewhere, Discard, Cancel };
    while (db.Unsaved() && db.IsOpen()) {
        const int answer = Dialogs::Get().Choose(
            QStringLiteral("The changes to the database \"%1\" could not be saved.\n\n"
                           "Try the save again, save the tasks to another file, or discard the changes?")
                .arg(db.File()),
            kTitle, {QStringLiteral("&Retry Save"), QStringLiteral("Save &Elsewhere..."), QStringLiteral("&Discard Changes"),
                     QStringLiteral("Cancel")},
            Retry, Cancel);
        if (answer == Retry) {
            DatabaseNotices::Save(db);   // says why when it fails again; the question comes back
        } else if (answer == Elsewhere) {
            const QString path = Dialogs::Get().SaveFileName(QStringLiteral("Save The Tasks Elsewhere:"),
                                                             kDatabaseFilter, db.Folder());
            if (path.isEmpty()) continue;
            // "Elsewhere" must not be a way around the checks a save makes: the
            // open file may have been refused because another program changed
            // it, and another copy of Quillon may hold the chosen one.
            const QString chosen = QFileInfo(path).absoluteFilePath();
            const QString own = QFileInfo(db.File()).absoluteFilePath();
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
            if (!db.Tasks().SaveFile(path, &error)) {
                MsgBox(QStringLiteral("The tasks could not be saved to \"%1\": %2").arg(path, error), vb::vbCritical,
                       kTitle);
                continue;
            }
            // The tasks' lists go with them, so the copy opens whole.
            QStringList ids;
            for (int r = 1; r < db.Tasks().Rows(); ++r) ids << db.Tasks().Text(r, Col::TaskId);
            const auto from = DatabaseLocation::Derive(db.File());
            if (!DatabaseLocation::CopyCompanion(from, DatabaseLocation::Derive(path), ids, &error))
                MsgBox(QStringLiteral("The tasks were saved to \"%1\", but not all of their item and material lists "
                                      "could be copied beside it: %2")
                           .arg(path, error),
                       vb::vbExclamation, kTitle);
            db.ForgetUnsaved();
        } else if (answer == Discard) {
            db.ForgetUnsaved();
        } else {
            return false;
        }
    }
    return true;
}

void AdoptLegacyFiles(TaskDatabase& db) {
    QStringList ids;
    for (int r = 1; r < db.Tasks().Rows(); ++r) ids << db.Tasks().Text(r, Col::TaskId);
    QString error;
    if (DatabaseLocation::AdoptLegacyFiles(db.File(), ids, &error) == DatabaseLocation::Adopted::Failed)
        MsgBox(QStringLiteral("The task lists of \"%1\" could not all be brought to its folder \"%2\": %3\n"
                              "The files stay where they were.")
                   .arg(db.File(), db.CompanionFolder(), error),
               vb::vbExclamation, kTitle);
}

QString EnsureCompanionFolder(const TaskDatabase& db) {
    if (db.Folder().isEmpty()) return QString();
    const QString folder = db.CompanionFolder();
    if (FileOps::FolderExists(folder)) {
        // Tasks or Materials alone may be missing (removed by hand): made
        // again without a word, the other lists being where they belong.
        DatabaseLocation::EnsureCompanion(db.Folder(), db.Name());
        return QString();
    }
    const bool listMissing = !FileOps::FileExists(db.ListFilePath());
    const bool made = DatabaseLocation::EnsureCompanion(db.Folder(), db.Name());
    const QString folderName = QFileInfo(folder).fileName();
    const QString listName = QFileInfo(db.ListFilePath()).fileName();
    QString text =
        listMissing
            ? QStringLiteral("The folder \"%1\" and the list file \"%2\" of the database \"%3\" were not found beside "
                             "it. They hold its tasks' items and materials and its employees, equipment and task "
                             "types, which therefore show empty.")
                  .arg(folderName, listName, db.File())
            : QStringLiteral("The folder \"%1\" of the database \"%2\" was not found beside it. It holds its tasks' "
                             "items and materials, which therefore show empty.")
                  .arg(folderName, db.File());
    text += made ? QStringLiteral("\nAn empty folder was made in its place.")
                 : QStringLiteral("\nAn empty folder could not be made in its place either.");
    text += QStringLiteral("\n\nA database that is moved needs its folder and its list file moved with it. Close "
                           "Quillon, move them beside the database (replacing the empty folder), and open it again.");
    return text;
}

QString OpenAtStart(TaskDatabase& db) {
    const QString file = db.File();
    TaskDatabase::Result opened;
    if (!file.isEmpty() && FileOps::FileExists(file) && (opened = db.Open(file))) {
        // The name follows the file (Open derives it), whatever an older
        // Quillon stored; the files it kept under that older name come over.
        AdoptLegacyFiles(db);
        return EnsureCompanionFolder(db);
    }
    TaskDatabase::SetHeaders(db.Tasks());
    // No database is open: none is named.
    db.SetLocation(file, QString(), QString());
    if (file.isEmpty()) return QString();
    if (!FileOps::FileExists(file))
        return QStringLiteral("The default database \"%1\" was not found.\nNo database is open.").arg(file);
    if (opened.inUse)
        return QStringLiteral("The default database \"%1\" was not opened because %2\nNo database is open.")
            .arg(file, opened.reason);
    return QStringLiteral("The default database \"%1\" could not be read: %2\nNo database is open.")
        .arg(file, opened.reason);
}

bool OpenAmong(const TaskDatabase& db, const QStringList& files) {
    if (!db.IsOpen()) return false;
    const QString open = Cleaned(db.File());
    for (const QString& f : files) {
        if (Cleaned(f) == open) return true;
    }
    return false;
}

bool ConfirmRestoreOver(const TaskDatabase& db, const QStringList& files) {
    if (!OpenAmong(db, files)) return true;
    if (db.Busy()) {
        MsgBox(QStringLiteral("Quillon is still working on the open database; restore it when that has finished."),
               vb::vbExclamation, QStringLiteral("Restore"));
        return false;
    }
    if (RestoreArchive::GridMatchesFile(db.Tasks(), db.File())) return true;
    const QString prompt =
        QStringLiteral("The restore replaces the open database \"%1\" with the copy in the backup, and the "
                       "changes not yet saved in it will be lost.\n\nRestore anyway?")
            .arg(db.File());
    return MsgBox(prompt, vb::vbYesNo | vb::vbExclamation | vb::vbDefaultButton2, QStringLiteral("Restore")) == vb::vbYes;
}

}  // namespace DatabaseQuestions

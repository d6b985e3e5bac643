#include "model/database/DatabaseNotices.h"

#include "model/database/TaskDatabase.h"
#include "platform/Dialogs.h"

namespace DatabaseNotices {

bool RequireOpen(const TaskDatabase& db) {
    if (db.IsOpen()) return true;
    MsgBox(QStringLiteral("No database is open. Create one with File, New Database, or open one with File, Open Database."),
           vb::vbExclamation, Quillon::kTitle);
    return false;
}

bool Save(TaskDatabase& db) {
    if (!RequireOpen(db)) return false;
    const TaskDatabase::Result saved = db.Save();
    if (saved) return true;
    SaveFailed(db, saved.reason, saved.replaced);
    return false;
}

void SaveFailed(const TaskDatabase& db, const QString& reason, bool replaced) {
    const QString kept = replaced ? QString() : QStringLiteral("\nThe file on disk keeps its previous content.");
    MsgBox(QStringLiteral("The database could not be saved to \"%1\": %2%3").arg(db.File(), reason, kept),
           vb::vbCritical, Quillon::kTitle);
}

}  // namespace DatabaseNotices

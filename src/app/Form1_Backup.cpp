// The Utilities menu's Backup and Restore: their windows get the database
// location from here, and a restore over the open database reloads it.
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include "app/Form1.h"
#include "app/Form25.h"
#include "widgets/Forms.h"
#include "platform/Dialogs.h"
#include "ui/utilities/BackupWindows.h"
#include "model/backup/RestoreArchive.h"

namespace {
QString Cleaned(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

bool OpenDatabaseAmong(const Form1* main, const QStringList& files) {
    if (!main->DatabaseOpen()) return false;
    const QString open = Cleaned(main->DatabaseFile());
    for (const QString& f : files) {
        if (Cleaned(f) == open) return true;
    }
    return false;
}
}  // namespace

void Form1::mnubackup_Click() {
    const bool fresh = !Forms::Loaded<Form23>();
    Form23* w = Forms::Show<Form23>();
    if (!fresh) return;
    Forms::Centre(w);
    w->DatabaseLocation = [this] { return Form23::Location{DatabaseFolder(), DatabaseName()}; };
    w->HeldDatabases = [this] { return HeldDatabases(); };
}

void Form1::mnures_Click() {
    const bool fresh = !Forms::Loaded<frmZip>();
    frmZip* w = Forms::Show<frmZip>();
    if (!fresh) return;
    Forms::Centre(w);
    w->StartFolder = [this] { return DatabaseFolder(); };
    w->HeldDatabases = [this] { return HeldDatabases(); };
    w->BeforeRestore = [this](const QStringList& files) { return ConfirmRestoreOver(files); };
    connect(w, &frmZip::Restored, this, &Form1::ReloadAfterRestore);
    connect(w, &frmZip::SetPathRequested, this, [] {
        const bool freshChooser = !Forms::Loaded<Form22>();
        Form22* chooser = Forms::Show<Form22>();
        if (!freshChooser) return;
        Forms::Centre(chooser);
        QObject::connect(chooser, &Form22::Applied, chooser, [](const QString& folder) {
            if (frmZip* restore = Forms::Loaded<frmZip>()) restore->Text2->setText(folder);
        });
    });
}

QStringList Form1::HeldDatabases() const {
    return Database.HoldsLock(DatabaseFile()) ? QStringList{DatabaseFile()} : QStringList();
}

void Form1::TellDatabaseNotices() {
    const QStringList notices = Database.TakeNotices();
    if (notices.isEmpty()) return;
    Forms::Unload<Form25>();   // the splash would cover the message at start-up
    MsgBox(notices.join(QStringLiteral("\n\n")), vb::vbInformation, QStringLiteral("Quillon"));
}

bool Form1::ConfirmRestoreOver(const QStringList& files) {
    if (!OpenDatabaseAmong(this, files)) return true;
    if (Busy()) {
        MsgBox(QStringLiteral("Quillon is still working on the open database; restore it when that has finished."),
               vb::vbExclamation, QStringLiteral("Restore"));
        return false;
    }
    if (RestoreArchive::GridMatchesFile(Grid1, DatabaseFile())) return true;
    const QString prompt =
        QStringLiteral("The restore replaces the open database \"%1\" with the copy in the backup, and the "
                       "changes not yet saved in it will be lost.\n\nRestore anyway?")
            .arg(DatabaseFile());
    return MsgBox(prompt, vb::vbYesNo | vb::vbExclamation | vb::vbDefaultButton2, QStringLiteral("Restore")) == vb::vbYes;
}

void Form1::ReloadAfterRestore(const QStringList& files) {
    if (!OpenDatabaseAmong(this, files)) return;
    Opendata(DatabaseFile());
}

// The Utilities menu's Backup and Restore: their windows get the database
// location from here, and a restore over the open database reloads it.
#include <QLineEdit>

#include "app/DatabaseQuestions.h"
#include "app/Form1.h"
#include "app/Form25.h"
#include "widgets/Forms.h"
#include "platform/Dialogs.h"
#include "ui/utilities/BackupWindows.h"

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
    StagedRestore::Notes notes;   // said again at the next open until read
    const QStringList notices = Database.TakeNotices(&notes);
    if (notices.isEmpty()) return;
    Forms::Unload<Form25>();   // the splash would cover the message at start-up
    MsgBox(notices.join(QStringLiteral("\n\n")), vb::vbInformation, QStringLiteral("Quillon"));
}

void Form1::ReloadAfterRestore(const QStringList& files) {
    if (!DatabaseQuestions::OpenAmong(Database, files)) return;
    Opendata(DatabaseFile());
}

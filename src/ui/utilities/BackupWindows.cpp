#include "ui/utilities/BackupWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "widgets/Skin.h"
#include "ui/utilities/ArchiveJob.h"
#include "model/backup/BackupArchive.h"
#include "model/backup/RestoreArchive.h"

namespace {

QProgressBar* Bar(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->hide();
    return bar;
}

// Refresh of either window: the archive's entries, its last on top. A file
// not there yet (a new backup's name) empties the list quietly; one that
// is not an archive is said.
void ListArchive(const QString& path, QTreeWidget* lv, const QString& title) {
    QList<ZipEntry> entries;
    QString error;
    if (!QFileInfo::exists(path)) {
        ArchiveListing::Fill(lv, {});
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = BackupArchive::List(path, &entries, &error);
    ArchiveListing::Fill(lv, entries);
    QApplication::restoreOverrideCursor();
    if (!ok) MsgBox(QStringLiteral("The contents of \"%1\" cannot be listed: %2.").arg(path, error), vb::vbExclamation, title);
}

QString WithZipSuffix(const QString& path) {
    return path.isEmpty() || !QFileInfo(path).suffix().isEmpty() ? path : path + QStringLiteral(".zip");
}

const QString kBackupFilter = QStringLiteral("Quillon Backup (*.zip *.Zip *.ZIP);;All (*)");

}  // namespace

// ------------------------------------------------------------------ ArchiveWindow

ArchiveWindow::ArchiveWindow() {
    lv = ArchiveListing::Make(this);
    ProgressBar1 = Bar(this);
    overallprogress = Bar(this);
    job_ = new ArchiveJob(ProgressBar1, overallprogress, this);
}

ArchiveWindow::~ArchiveWindow() = default;

bool ArchiveWindow::Working() const { return job_->Running(); }

void ArchiveWindow::Arrange(QLayout* fields, QCheckBox* check, const QList<QPushButton*>& buttons) {
    auto* row = new QHBoxLayout;
    row->addWidget(check);
    row->addStretch();
    for (QPushButton* b : buttons) row->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(new QLabel(QStringLiteral("Contents:"), this));
    layout->addWidget(lv, 1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(overallprogress);
    layout->addLayout(row);
    Skin::ApplyCurrent(this);
    resize(640, 440);
}

void ArchiveWindow::SetWorking(bool working) {
    for (QWidget* w : inputs_) w->setEnabled(!working);
    ProgressBar1->setValue(0);
    overallprogress->setValue(0);
    ProgressBar1->setVisible(working);
    overallprogress->setVisible(working);
    if (working) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void ArchiveWindow::TellNotices(const QStringList& notices) {
    if (!notices.isEmpty()) MsgBox(notices.join(QStringLiteral("\n\n")), vb::vbInformation, windowTitle());
}

void ArchiveWindow::closeEvent(QCloseEvent* event) {
    if (Working()) {
        // Closing stops the work: a backup leaves the archive that was
        // there, a restore the folder as it was, unless it was already
        // replacing files: then it ends, and the database is reloaded.
        // Either way the outcome is said.
        closing_ = true;
        job_->CancelAndFinish();
        closing_ = false;
    }
    QDialog::closeEvent(event);
}

// ------------------------------------------------------------------ Form23

Form23::Form23() {
    setWindowTitle(QStringLiteral("Backup"));
    Text1 = new QLineEdit(this);
    Check1 = new QCheckBox(QStringLiteral("Back Up Full Path"), this);
    Command1 = new QPushButton(QStringLiteral("&Create File"), this);
    Command2 = new QPushButton(QStringLiteral("&Refresh"), this);
    Command5 = new QPushButton(QStringLiteral("Start &Backup"), this);
    Command4 = new QPushButton(QStringLiteral("&Help"), this);
    Command3 = new QPushButton(QStringLiteral("&Close"), this);
    inputs_ = {Text1, Check1, Command1, Command2, Command5};

    auto* file = new QHBoxLayout;
    file->addWidget(new QLabel(QStringLiteral("Backup File:"), this));
    file->addWidget(Text1, 1);
    file->addWidget(Command1);
    Arrange(file, Check1, {Command2, Command5, Command4, Command3});

    connect(Command1, &QPushButton::clicked, this, &Form23::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form23::Command2_Click);
    connect(Command5, &QPushButton::clicked, this, &Form23::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &Form23::Command4_Click);
    connect(Command3, &QPushButton::clicked, this, &Form23::Command3_Click);
}

Form23::~Form23() = default;

void Form23::Command1_Click() {
    if (Working()) return;
    const QString folder = DatabaseLocation ? DatabaseLocation().folder : QString();
    const QString path = WithZipSuffix(Dialogs::Get().SaveFileName(QStringLiteral("Select file"), kBackupFilter, folder));
    if (path.isEmpty()) return;
    Text1->setText(path);
    Command2_Click();
}

void Form23::Command2_Click() {
    if (Text1->text().isEmpty() || Working()) return;
    ListArchive(Text1->text(), lv, windowTitle());
}

void Form23::Command5_Click() {
    const QString archive = Text1->text();
    if (archive.isEmpty() || Working()) return;
    const Location where = DatabaseLocation ? DatabaseLocation() : Location{};
    if (where.folder.isEmpty()) {
        MsgBox(QStringLiteral("No database is open, so there is nothing to back up."), vb::vbExclamation, windowTitle());
        return;
    }
    const bool fullPaths = Check1->isChecked();
    const QStringList held = Held();
    SetWorking(true);
    setWindowTitle(QStringLiteral("Backing Up Data..."));
    auto result = std::make_shared<BackupArchive::Result>();
    job_->Start(
        [=](ZipProgress& progress) {
            *result = BackupArchive::Run(archive, where.folder, where.name, fullPaths, &progress, held);
        },
        [this, result] {
            SetWorking(false);
            setWindowTitle(QStringLiteral("Backup"));
            TellNotices(result->notices);
            if (result->ok) {
                setWindowTitle(QStringLiteral("Backup Complete"));
                Command2_Click();
                if (!result->leftOut.isEmpty()) {
                    QStringList leftOut;
                    for (const LeftOutEntry& e : result->leftOut) leftOut << QStringLiteral("%1: %2").arg(e.path, e.why);
                    MsgBox(QStringLiteral("The backup is complete, but these were left out of it (a backup takes only "
                                          "files it can read and never follows a link, so nothing from outside the "
                                          "database folder ends up in it):\n\n%1")
                               .arg(MessageLines(leftOut).join(QLatin1Char('\n'))),
                           vb::vbInformation, QStringLiteral("Backup"));
                }
            } else {
                MsgBox(result->message, vb::vbExclamation, QStringLiteral("Backup"));
            }
            emit BackupFinished(result->ok);
        });
}

void Form23::Command4_Click() { Help::Show(Help::SendMailAndBackup); }

void Form23::Command3_Click() { close(); }

// ------------------------------------------------------------------ frmZip

frmZip::frmZip() {
    setWindowTitle(QStringLiteral("Restore"));
    Text1 = new QLineEdit(this);
    Text2 = new QLineEdit(this);
    Check1 = new QCheckBox(QStringLiteral("Restore to Full Path"), this);
    Command1 = new QPushButton(QStringLiteral("L&oad File"), this);
    Command2 = new QPushButton(QStringLiteral("&Refresh"), this);
    Command8 = new QPushButton(QStringLiteral("&Set Path"), this);
    Command7 = new QPushButton(QStringLiteral("Re&store"), this);
    Command5 = new QPushButton(QStringLiteral("&Help"), this);
    Command4 = new QPushButton(QStringLiteral("&Close"), this);
    inputs_ = {Text1, Text2, Check1, Command1, Command2, Command8, Command7};

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Backup File To Restore:"), this), 0, 0);
    fields->addWidget(Text1, 0, 1);
    fields->addWidget(Command1, 0, 2);
    fields->addWidget(new QLabel(QStringLiteral("Restore Path:"), this), 1, 0);
    fields->addWidget(Text2, 1, 1);
    fields->addWidget(Command8, 1, 2);
    Arrange(fields, Check1, {Command2, Command7, Command5, Command4});

    connect(Command1, &QPushButton::clicked, this, &frmZip::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmZip::Command2_Click);
    connect(Command8, &QPushButton::clicked, this, &frmZip::Command8_Click);
    connect(Command7, &QPushButton::clicked, this, &frmZip::Command7_Click);
    connect(Command5, &QPushButton::clicked, this, &frmZip::Command5_Click);
    connect(Command4, &QPushButton::clicked, this, &frmZip::Command4_Click);
}

frmZip::~frmZip() = default;

void frmZip::Command1_Click() {
    if (Working()) return;
    const QString folder = StartFolder ? StartFolder() : QString();
    const QString path = Dialogs::Get().OpenFileName(QStringLiteral("Select file"), kBackupFilter, folder);
    if (path.isEmpty()) return;
    Text1->setText(path);
    Command2_Click();
}

void frmZip::Command2_Click() {
    if (Text1->text().isEmpty() || Working()) return;
    ListArchive(Text1->text(), lv, windowTitle());
}

void frmZip::Command8_Click() { emit SetPathRequested(); }

void frmZip::Command7_Click() {
    const QString folder = Text2->text();
    if (folder.isEmpty() || Working()) return;
    const bool fullPaths = Check1->isChecked();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto plan = std::make_shared<RestoreArchive::Plan>(RestoreArchive::Prepare(Text1->text(), folder, fullPaths));
    QApplication::restoreOverrideCursor();
    if (!plan->error.isEmpty()) {
        MsgBox(plan->error, vb::vbExclamation, QStringLiteral("Restore"));
        return;
    }
    if (!plan->refused.isEmpty()) {
        MsgBox(RestoreArchive::RefusedMessage(*plan), vb::vbCritical, QStringLiteral("Restore"));
        return;
    }
    if (plan->items.isEmpty()) {
        MsgBox(QStringLiteral("The backup file \"%1\" holds no files to restore.").arg(plan->archive), vb::vbExclamation,
               QStringLiteral("Restore"));
        return;
    }
    if (fullPaths) {
        const QStringList folders = MessageLines(plan->Folders());
        const QString prompt = QStringLiteral("\"Restore to Full Path\" writes the backup's files back where they were "
                                              "taken from, into these folders, replacing files of the same name:\n\n%1\n\nRestore?")
                                   .arg(folders.join(QLatin1Char('\n')));
        if (MsgBox(prompt, vb::vbYesNo | vb::vbQuestion | vb::vbDefaultButton2, QStringLiteral("Restore")) != vb::vbYes) return;
    }
    if (BeforeRestore && !BeforeRestore(plan->Files())) return;
    plan->held = Held();

    SetWorking(true);
    auto result = std::make_shared<RestoreArchive::Result>();
    job_->Start([plan, result](ZipProgress& progress) { *result = RestoreArchive::Run(*plan, &progress); },
                [this, result] {
                    SetWorking(false);
                    TellNotices(result->notices);
                    if (result->ok) {
                        setWindowTitle(QStringLiteral("Restore Complete"));
                        if (closing_) MsgBox(QStringLiteral("Restore Complete"), vb::vbInformation, QStringLiteral("Restore"));
                        emit Restored(result->written);
                    } else {
                        MsgBox(result->message, vb::vbExclamation, QStringLiteral("Restore"));
                    }
                    emit RestoreFinished(result->ok);
                });
}

void frmZip::Command5_Click() { Help::Show(Help::RestoreAndAddressBook); }

void frmZip::Command4_Click() { close(); }

// ------------------------------------------------------------------ Form22

namespace {
constexpr int kPathRole = Qt::UserRole;

QStringList MountPoints() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) roots << volume.rootPath();
    }
    if (!roots.contains(QStringLiteral("/"))) roots << QStringLiteral("/");
    roots.removeDuplicates();
    roots.sort();
    return roots;
}

QString DriveOf(const QString& folder) {
    const QString root = QStorageInfo(folder).rootPath();
    return root.isEmpty() ? QStringLiteral("/") : root;
}
}  // namespace

Form22::Form22() {
    setWindowTitle(QStringLiteral("Select Path"));
    Drive1 = new QComboBox(this);
    Drive1->addItems(MountPoints());
    Dir1 = new QTreeWidget(this);
    Dir1->setHeaderHidden(true);
    Dir1->setColumnCount(1);
    Command1 = new QPushButton(QStringLiteral("&Apply"), this);
    Command2 = new QPushButton(QStringLiteral("&Cancel"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Drive:"), this));
    layout->addWidget(Drive1);
    layout->addWidget(new QLabel(QStringLiteral("Folder:"), this));
    layout->addWidget(Dir1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    layout->addLayout(buttons);

    connect(Drive1, &QComboBox::activated, this, &Form22::Drive1_Change);
    connect(Dir1, &QTreeWidget::itemExpanded, this, &Form22::Populate);
    connect(Dir1, &QTreeWidget::currentItemChanged, this, &Form22::Dir1_Change);
    connect(Command1, &QPushButton::clicked, this, &Form22::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form22::Command2_Click);

    Skin::ApplyCurrent(this);
    resize(360, 420);
    SetPath(QDir::currentPath());
}

Form22::~Form22() = default;

QString Form22::Path() const {
    const QTreeWidgetItem* item = Dir1->currentItem();
    return item ? item->data(0, kPathRole).toString() : QString();
}

void Form22::ShowDrive(const QString& root) {
    Dir1->clear();
    auto* item = new QTreeWidgetItem(Dir1, QStringList{root});
    item->setData(0, kPathRole, root);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    Dir1->setCurrentItem(item);
}

// Folders are read when their item opens, so a large tree costs nothing
// until the user goes there.
void Form22::Populate(QTreeWidgetItem* item) {
    if (item->childCount() > 0 || item->data(0, kPathRole + 1).toBool()) return;
    item->setData(0, kPathRole + 1, true);
    const QDir dir(item->data(0, kPathRole).toString());
    const QFileInfoList folders = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    QList<QTreeWidgetItem*> children;
    for (const QFileInfo& f : folders) {
        auto* child = new QTreeWidgetItem(QStringList{f.fileName()});
        child->setData(0, kPathRole, f.absoluteFilePath());
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        children << child;
    }
    item->addChildren(children);
    if (children.isEmpty()) item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
}

void Form22::SetPath(const QString& folder) {
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString drive = DriveOf(path);
    {
        QSignalBlocker block(Drive1);
        if (Drive1->findText(drive) < 0) Drive1->addItem(drive);
        Drive1->setCurrentText(drive);
    }
    ShowDrive(drive);
    QTreeWidgetItem* item = Dir1->topLevelItem(0);
    const QString below = QDir(drive).relativeFilePath(path);
    if (below != QLatin1String(".") && !below.startsWith(QLatin1String(".."))) {
        for (const QString& part : below.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            item->setExpanded(true);
            Populate(item);
            QTreeWidgetItem* next = nullptr;
            for (int i = 0; i < item->childCount() && !next; ++i) {
                if (item->child(i)->text(0) == part) next = item->child(i);
            }
            if (!next) break;
            item = next;
        }
    }
    Dir1->setCurrentItem(item);
    Dir1->scrollToItem(item);
}

void Form22::Drive1_Change() { ShowDrive(Drive1->currentText()); }

void Form22::Dir1_Change() {
    const QString path = Path();
    if (path.isEmpty()) return;
    const QString drive = DriveOf(path);
    QSignalBlocker block(Drive1);
    if (Drive1->findText(drive) < 0) Drive1->addItem(drive);
    Drive1->setCurrentText(drive);
}

void Form22::Command1_Click() {
    const QString path = Path();
    if (!path.isEmpty()) emit Applied(path);
    close();
}

void Form22::Command2_Click() { close(); }

#include "tasks/frmcost.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Forms.h"
#include "platform/Dialogs.h"
#include "platform/Skin.h"
#include "tasks/Form6.h"
#include "tasks/TaskFiles.h"

namespace {
const QString kTitle = QStringLiteral("Quillon");
}

frmcost::frmcost() {
    setWindowTitle(QStringLiteral("Material And Cost"));
    SkinLabel4 = new QLabel(QStringLiteral("0"), this);
    SkinLabel4->hide();
    Text1 = new QLineEdit(this);
    Text2 = new QLineEdit(QStringLiteral("0"), this);
    Command2 = new QPushButton(QStringLiteral("&Save"), this);
    Command1 = new QPushButton(QStringLiteral("&Cancel"), this);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Material"), this), 0, 0);
    fields->addWidget(Text1, 0, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("Cost"), this), 1, 0);
    fields->addWidget(new QLabel(QStringLiteral("$"), this), 1, 1);
    fields->addWidget(Text2, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setTabOrder(Text1, Text2);

    connect(Command1, &QPushButton::clicked, this, &frmcost::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmcost::Command2_Click);

    Skin::ApplyCurrent(this);
    adjustSize();
    Forms::Centre(this);
}

frmcost::~frmcost() = default;

void frmcost::Bind(quint64 taskGeneration, quint64 materialRowsVersion, int row) {
    taskGeneration_ = taskGeneration;
    materialRowsVersion_ = materialRowsVersion;
    row_ = row;
    bound_ = true;
}

void frmcost::Release() {
    Forms::Forget(this);
    close();
}

void frmcost::reject() { Release(); }

void frmcost::closeEvent(QCloseEvent* event) {
    // Not QDialog's: it would route the close through reject() again.
    Forms::Forget(this);
    event->accept();
}

void frmcost::Command1_Click() { Release(); }

void frmcost::Command2_Click() {
    if (Text1->text().isEmpty()) {
        MsgBox(QStringLiteral("No Material Entered"), vb::vbOKOnly, kTitle);
        Text1->setFocus();
        return;
    }
    if (Text2->text().isEmpty()) {
        MsgBox(QStringLiteral("No Cost Entered"), vb::vbOKOnly, kTitle);
        Text2->setFocus();
        return;
    }
    Form6* editor = Forms::Loaded<Form6>();
    if (!editor || !bound_ || editor->TaskGeneration() != taskGeneration_) {
        MsgBox(QStringLiteral("The task editor no longer shows the task this material was for; it was not saved."),
               vb::vbExclamation, kTitle);
        Release();
        return;
    }
    const bool editing = SkinLabel4->text().trimmed() == QLatin1String("1");
    if (editing && (editor->MaterialRowsVersion() != materialRowsVersion_ || row_ < 1 ||
                    row_ >= editor->Grid2.Rows())) {
        MsgBox(QStringLiteral("The material being changed is no longer in the list; nothing was saved."),
               vb::vbExclamation, kTitle);
        Release();
        return;
    }
    // The Task ID may have changed since the dialog opened: the dialog stays
    // open until the list can be written.
    if (!editor->ListsWritable()) return;
    if (editing) TaskFiles::SetMaterial(editor->Grid2, row_, Text1->text(), Text2->text());
    else TaskFiles::AddMaterial(editor->Grid2, Text1->text(), Text2->text());
    editor->Text4->setText(Text2->text());
    editor->WriteMaterials();
    Release();
}

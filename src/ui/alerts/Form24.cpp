#include "ui/alerts/Form24.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "widgets/Skin.h"

Form24::Form24() {
    setObjectName(QStringLiteral("Form24"));
    setWindowTitle(QStringLiteral("Position Notifier"));
    setModal(false);
    SkinLabel1 = new QLabel(
        QStringLiteral("Drag notifier to position to show on the screen during a tray alert."
                       "It will remember the position you leave it."),
        this);
    SkinLabel1->setWordWrap(true);
    Check1 = new QCheckBox(QStringLiteral("Don't Show Again"), this);
    Command2 = new QPushButton(QStringLiteral("&Close"), this);
    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setDefault(true);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Check1);
    bottom->addStretch();
    bottom->addWidget(Command2);
    bottom->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SkinLabel1);
    layout->addLayout(bottom);
    resize(340, sizeHint().height());

    connect(Check1, &QCheckBox::clicked, this, &Form24::Check1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form24::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form24::Command2_Click);
    Skin::ApplyCurrent(this);
}

void Form24::Check1_Click() {
    const QString value = Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    if (!::Settings::Set(QStringLiteral("Settings"), QStringLiteral("NotTip"), value))
        MsgBox(::Settings::NotSaved(QStringLiteral("The setting")), vb::vbExclamation);
}

void Form24::Command1_Click() {
    hide();
    emit OkClicked();
    close();
}

void Form24::Command2_Click() { close(); }

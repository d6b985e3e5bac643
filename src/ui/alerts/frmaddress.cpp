#include "ui/alerts/frmaddress.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "widgets/Forms.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/Registry.h"

namespace {
const QString kKey = QStringLiteral("Software\\Quillon\\Email");
const QString kApp = QStringLiteral("MyApp");
const QString kList = QStringLiteral("MyList");
}

frmaddress::frmaddress() {
    setObjectName(QStringLiteral("frmaddress"));
    setWindowTitle(QStringLiteral("Quillon Address Book"));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    Command6 = new QPushButton(this);
    Command6->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    Command6->setToolTip(QStringLiteral("Help"));
    Command5 = new QPushButton(QStringLiteral("&Add"), this);
    Command3 = new QPushButton(QStringLiteral("&Remove"), this);
    Command2 = new QPushButton(QStringLiteral("&Close"), this);
    Command1 = new QPushButton(QStringLiteral("&Apply"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command6);
    buttons->addWidget(Command5);
    buttons->addWidget(Command3);
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List1, 1);
    layout->addLayout(buttons);
    Forms::KeepTabOrder(this, {List1, Command6, Command5, Command3, Command2, Command1});
    connect(Command5, &QPushButton::clicked, this, &frmaddress::Command5_Click);
    connect(Command3, &QPushButton::clicked, this, &frmaddress::Command3_Click);
    connect(Command1, &QPushButton::clicked, this, &frmaddress::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmaddress::Command2_Click);
    connect(Command6, &QPushButton::clicked, this, &frmaddress::Command6_Click);
    // Enter in a box clicks nothing, as the user expects of these windows.
    for (QPushButton* b : {Command1, Command2, Command3, Command5, Command6}) b->setAutoDefault(false);
    Forms::Prepare(this, QSize(340, 300));
    GetList(kApp, kList, List1);
}

void frmaddress::GetList(const QString&, const QString&, QListWidget* list) {
    list->clear();
    bool ok = false;
    const int n = basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, kKey, QStringLiteral("Count")).toInt(&ok);
    if (!ok) return;
    // A damaged count never makes the window list millions of empty lines.
    for (int i = 0; i < std::min(n, 32767); ++i)
        list->addItem(basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, kKey,
                                               QStringLiteral("Item%1").arg(i))
                          .toString());
}

bool frmaddress::SaveList(const QString&, const QString&, QListWidget* list) {
    const int n = list->count();
    basRegistry::SetRegValue(basRegistry::HKEY_CURRENT_USER, kKey, QStringLiteral("Count"), QString::number(n));
    bool saved = true;
    for (int i = 0; i < n; ++i) {
        const QString name = QStringLiteral("Item%1").arg(i);
        const QString text = list->item(i)->text();
        basRegistry::SetRegValue(basRegistry::HKEY_CURRENT_USER, kKey, name, text);
        if (basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, kKey, name).toString() != text.trimmed())
            saved = false;
    }
    if (basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, kKey, QStringLiteral("Count")).toInt() != n)
        saved = false;
    if (!saved) MsgBox(Settings::NotSaved(QStringLiteral("The address book")), vb::vbCritical);
    return saved;
}

void frmaddress::Command5_Click() {
    // Any answer is taken as typed: Send checks an address when it is used.
    const QString answer = Dialogs::Get()
                               .InputBox(QStringLiteral("Enter An Email Address"), QStringLiteral("Quillon "), QString())
                               .value_or(QString());
    if (answer.isEmpty()) return;
    List1->addItem(answer);
    SaveList(kApp, kList, List1);
}

void frmaddress::Command3_Click() {
    for (int i = List1->count() - 1; i >= 0; --i)
        if (List1->item(i)->isSelected()) delete List1->takeItem(i);
    SaveList(kApp, kList, List1);
}

void frmaddress::Command1_Click() {
    for (int i = 0; i < List1->count(); ++i)
        if (List1->item(i)->isSelected()) emit AddressApplied(List1->item(i)->text());
    close();
}

void frmaddress::Command2_Click() { close(); }

void frmaddress::Command6_Click() { Help::Show(Help::RestoreAndAddressBook); }

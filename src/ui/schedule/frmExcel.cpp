#include "ui/schedule/frmExcel.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "widgets/Skin.h"
#include "model/schedule/ExcelPath.h"

frmExcel::frmExcel() {
    setObjectName(QStringLiteral("frmExcel"));
    setWindowTitle(QStringLiteral("Set Path To Excel"));
    Text1 = new QLineEdit(this);
    Text1->setMinimumWidth(360);
    Command1 = new QPushButton(QStringLiteral("&Browse"), this);
    Command2 = new QPushButton(QStringLiteral("&Apply"), this);
    Command3 = new QPushButton(QStringLiteral("&Close"), this);
    Command4 = new QPushButton(QStringLiteral("&Auto Find"), this);

    auto* path = new QHBoxLayout;
    path->addWidget(Text1, 1);
    path->addWidget(Command1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command4);
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Path To Excel:"), this));
    layout->addLayout(path);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &frmExcel::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmExcel::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmExcel::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &frmExcel::Command4_Click);
    Form_Load();
}

void frmExcel::Form_Load() {
    Skin::ApplyCurrent(this);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    Text1->setText(ExcelPath::Stored());
}

QString frmExcel::GetExcelPath() { return ExcelPath::GetExcelPath(); }

void frmExcel::Opendata(const QString& path) { Text1->setText(path); }

void frmExcel::Command1_Click() {
    // An open dialog over programs: the file must exist to be chosen.
    const QString current = Text1->text().trimmed();
    const QString folder = current.isEmpty() ? QStringLiteral("/usr/bin") : QFileInfo(current).absolutePath();
    const QString file =
        Dialogs::Get().OpenFileName(QStringLiteral("Find Excel:"), QStringLiteral("Programs (*)"), folder);
    if (file.isEmpty()) return;
    Opendata(file);
}

void frmExcel::Command2_Click() {
    if (!ExcelPath::Store(Text1->text()))
        MsgBox(Settings::NotSaved(QStringLiteral("The path")), vb::vbCritical, QStringLiteral("Quillon"));
}

void frmExcel::Command3_Click() { close(); }

void frmExcel::Command4_Click() { Text1->setText(GetExcelPath()); }

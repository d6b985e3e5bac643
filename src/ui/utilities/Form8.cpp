#include "ui/utilities/Form8.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/Help.h"
#include "widgets/Forms.h"

Form8::Form8(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("About..."));
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().isNull()
                        ? style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48)
                        : QApplication::windowIcon().pixmap(48, 48));
    SkinLabel1 = new QLabel(QStringLiteral("Quillon 4.3.2"), this);
    QFont big = SkinLabel1->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    SkinLabel1->setFont(big);
    auto* what = new QLabel(QStringLiteral("Preventive-maintenance scheduling"), this);
    Command1 = new QPushButton(QStringLiteral("&Close"), this);
    Command2 = new QPushButton(QStringLiteral("Quillon On The &Web"), this);

    auto* text = new QVBoxLayout;
    text->addWidget(SkinLabel1);
    text->addWidget(what);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command2);
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &Form8::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form8::Command2_Click);
    Forms::Prepare(this);
}

void Form8::Command1_Click() { close(); }

void Form8::Command2_Click() { Help::ShowWebPage(); }

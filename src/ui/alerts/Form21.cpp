#include "ui/alerts/Form21.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/Forms.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"

namespace {
const QString kKey = QStringLiteral("Software\\Quillon\\Email");
const char* const kNames[10] = {"Server", "Port", "User", "Password", "From", "FromEmail", "To", "ToEmail",
                                "Subject", "Body"};
const char* const kCaptions[10] = {"SMTP Server", "SMTP Port", "User Name", "Password", "From Name", "From Email",
                                   "To Name", "To Email", "Subject Line", "Body Text"};
}

Form21::Form21() {
    setObjectName(QStringLiteral("Form21"));
    setWindowTitle(QStringLiteral("Email Alert Setup"));
    auto* form = new QGridLayout;
    QLineEdit** lines[9] = {&Text1, &Text8, &Text2, &Text3, &Text4, &Text5, &Text6, &Text7, &Text9};
    for (int i = 0; i < 10; ++i) {
        SkinLabel[i] = new QLabel(QString::fromLatin1(kCaptions[i]), this);
        SkinLabel[i]->setObjectName(QStringLiteral("SkinLabel%1").arg(i + 1));
        form->addWidget(SkinLabel[i], i, 0, i == 9 ? Qt::AlignTop : Qt::AlignVCenter);
        if (i < 9) {
            *lines[i] = new QLineEdit(this);
            form->addWidget(*lines[i], i, 1);
            SkinLabel[i]->setBuddy(*lines[i]);
        }
    }
    Text1->setObjectName(QStringLiteral("Text1"));
    Text8->setObjectName(QStringLiteral("Text8"));
    Text2->setObjectName(QStringLiteral("Text2"));
    Text3->setObjectName(QStringLiteral("Text3"));
    Text4->setObjectName(QStringLiteral("Text4"));
    Text5->setObjectName(QStringLiteral("Text5"));
    Text6->setObjectName(QStringLiteral("Text6"));
    Text7->setObjectName(QStringLiteral("Text7"));
    Text9->setObjectName(QStringLiteral("Text9"));
    Text3->setEchoMode(QLineEdit::Password);
    Text10 = new QPlainTextEdit(this);
    Text10->setObjectName(QStringLiteral("Text10"));
    Text10->setTabChangesFocus(true);
    form->addWidget(Text10, 9, 1);
    SkinLabel[9]->setBuddy(Text10);

    Command1 = new QPushButton(QStringLiteral("&Apply"), this);
    Command2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command3 = new QPushButton(QStringLiteral("&Help"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command3);
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    Forms::KeepTabOrder(this, {Text1, Text8, Text2, Text3, Text4, Text5, Text6, Text7, Text9, Text10, Command3,
                               Command1, Command2});
    connect(Command1, &QPushButton::clicked, this, &Form21::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form21::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form21::Command3_Click);
    // Enter in a box clicks nothing, as the user expects of these windows.
    for (QPushButton* b : {Command1, Command2, Command3}) b->setAutoDefault(false);
    Forms::Prepare(this, QSize(420, 440));
    aaxRegistry1.Root(QStringLiteral("HKEY_CURRENT_USER"));
    aaxRegistry1.OpenKey(kKey);
    for (int i = 0; i < 9; ++i) (*lines[i])->setText(aaxRegistry1.GetValue(QString::fromLatin1(kNames[i])));
    Text10->setPlainText(aaxRegistry1.GetValue(QStringLiteral("Body")));
}

void Form21::Command1_Click() {
    aaxRegistry1.Root(QStringLiteral("HKEY_CURRENT_USER"));
    bool saved = aaxRegistry1.CreateKey(kKey);
    const QString values[10] = {Text1->text(), Text8->text(), Text2->text(), Text3->text(), Text4->text(),
                                Text5->text(), Text6->text(), Text7->text(), Text9->text(), Text10->toPlainText()};
    for (int i = 0; i < 10; ++i) saved = aaxRegistry1.SetValue(QString::fromLatin1(kNames[i]), values[i]) && saved;
    if (!saved) {
        // The window stays open so nothing typed is lost.
        MsgBox(Settings::NotSaved(QStringLiteral("The e-mail alert settings")), vb::vbCritical);
        return;
    }
    close();
}

void Form21::Command2_Click() { close(); }

void Form21::Command3_Click() { Help::Show(Help::AlertSettings); }

#include "app/Form7.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/database/DatabaseLocation.h"
#include "model/database/TaskDatabase.h"
#include "platform/Dialogs.h"
#include "widgets/Forms.h"
#include "platform/Registry.h"

Form7::Form7(const TaskDatabase& db) : db_(db) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Load By Default "));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Database opened when Quillon starts:")));
    Text1 = new QLineEdit;
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setMinimumWidth(380);
    layout->addWidget(Text1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1 = new QPushButton(QStringLiteral("&Browse"));
    Command1->setObjectName(QStringLiteral("Command1"));
    Command3 = new QPushButton(QStringLiteral("&Close"));
    Command3->setObjectName(QStringLiteral("Command3"));
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    layout->addLayout(buttons);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    Forms::Prepare(this);
    Text1->setText(Settings::Get(QStringLiteral("Settings"), QStringLiteral("Default")));
}

void Form7::Command1_Click() {
    const QString folder = db_.Folder();
    // Choosing the database to start with replaces nothing: an open
    // dialog, which asks no "replace it?" question.
    const QString path = Dialogs::Get().OpenFileName(QStringLiteral("Default Project Sheet:"),
                                                     QStringLiteral("Quillon (*.vkt)"), folder);
    if (path.isEmpty()) return;
    Text1->setText(path);
    const auto parts = DatabaseLocation::Derive(path);
    bool stored = Settings::Set(QStringLiteral("Settings"), QStringLiteral("Default"), path);
    stored = Settings::Set(QStringLiteral("Settings"), QStringLiteral("Path"), parts.folder) && stored;
    stored = Settings::Set(QStringLiteral("Settings"), QStringLiteral("FileTitle"), parts.name) && stored;
    // "Restart" would promise a default that the next start does not find.
    if (!stored) {
        MsgBox(Settings::NotSaved(QStringLiteral("The default database")), vb::vbCritical, Quillon::kTitle);
        return;
    }
    MsgBox(QStringLiteral("You must exit and restart"), vb::vbOKOnly, Quillon::kTitle);
    Forms::Unload<Form7>();
}

void Form7::Command3_Click() { Forms::Unload<Form7>(); }

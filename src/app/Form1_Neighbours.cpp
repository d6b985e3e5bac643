// Entry points into printing, alerts and utilities.
// Those parts of Quillon are not built yet: each entry point exists so the
// menus and dispatchers can call it, and does nothing visible until then.
#include "app/Form1.h"

#include <QAction>
#include <QDateEdit>
#include <QLabel>

#include "platform/Registry.h"

// TODO: the alert e-mail settings window replaces this.
void Form1::mnusetemail_Click() {}
// TODO: the alert e-mail replaces this.
void Form1::MailNotify() {}

void Form1::mnuaon_Click() {
    Settings::Set(QStringLiteral("Settings"), QStringLiteral("Alert"), QStringLiteral("1"));
    SkinLabel1->setText(QStringLiteral("1"));
    mnuaon->setChecked(true);
    mnuoff->setChecked(false);
}

void Form1::mnuoff_Click() {
    Settings::Set(QStringLiteral("Settings"), QStringLiteral("Alert"), QStringLiteral("0"));
    SkinLabel1->setText(QStringLiteral("0"));
    mnuaon->setChecked(false);
    mnuoff->setChecked(true);
}

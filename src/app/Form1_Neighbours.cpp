// Entry points into printing, alerts and utilities.
// Those parts of Quillon are not built yet: each entry point exists so the
// menus and dispatchers can call it, and does nothing visible until then.
#include "app/Form1.h"

#include <QAction>
#include <QDateEdit>
#include <QLabel>

#include "platform/Registry.h"

// TODO: the spreadsheet-program lookup replaces this.
void Form1::FindExcel() {}
// TODO: the work-order sheet and its print preview replace this.
void Form1::PrintWork() {}
// TODO: the material-list sheet and its print preview replace this.
void Form1::mnupcost_Click() {}
void Form1::mnumatre_Click() { mnupcost_Click(); }
void Form1::mnupp_Click() { PrintWork(); }
void Form1::mnuporder_Click() { PrintWork(); }
// TODO: the grid print with its page set-up and preview replaces this.
void Form1::mtprint_Click() {}
void Form1::mnusht_Click() { mtprint_Click(); }
// TODO: the spreadsheet-path window replaces this.
void Form1::mnuexcel_Click() {}
// TODO: backup replaces this.
void Form1::mnubackup_Click() {}
// TODO: restore replaces this.
void Form1::mnures_Click() {}
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

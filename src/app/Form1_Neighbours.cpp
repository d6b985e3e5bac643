// Entry points into the schedule chart, printing, alerts and utilities.
// Those parts of Quillon are not built yet: each entry point exists so the
// menus and dispatchers can call it, and does nothing visible until then.
#include "app/Form1.h"

#include <QAction>
#include <QDateEdit>
#include <QLabel>

#include "platform/GanttChart.h"
#include "platform/Registry.h"

// TODO: the resource chart by employee or equipment (its rows and bars)
// replaces this; for now a rebuild only sets the chart's one-day window
// from the date picker, which the zoom buttons then widen and narrow.
void Form1::GetChart() {
    phGantX1->StartDate = DatePicker1->date();
    phGantX1->EndDate = DatePicker1->date().addDays(1);
    phGantX1->update();
}
// TODO: the chart print preview replaces this.
void Form1::mnupgantt_Click() {}
void Form1::mnuin_Click() { Command3_Click(); }
void Form1::mnuout_Click() { Command4_Click(); }
void Form1::mnugrefresh_Click() { Command2_Click(); }
void Form1::mnupchart_Click() { mnupgantt_Click(); }
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

// The date window: the task rows of the days the Tasks page chooses, the
// chart rebuilt with them, the progress shown; and the grid's own commands
// (sorting, its pop-up menu).
#include <QDate>
#include <QMenu>

#include "app/Form1.h"
#include "platform/DateText.h"
#include "widgets/GridView.h"

namespace {
const QString kProcessingRows = QStringLiteral("Processing Rows....");
const QString kDone = QStringLiteral("Done");
}  // namespace

// ---------------------------------------------------------------- date window

void Form1::GetDue() {
    BusyGuard busy(this);
    ShowProgress(true);
    SetStatusText(kProcessingRows);
    GetDate();
    GetChart();
    ShowProgress(false);
    SetStatusText(kDone);
}

void Form1::StartToday() {
    SetPickerDate(QDate::currentDate());
    GetDue();
}

void Form1::Command1_Click() {
    if (!CheckDays()) return;
    GetDue();
}

void Form1::Command6_Click() {
    SetPickerDate(QDate::currentDate());
    Command2_Click();
}

void Form1::mnuselstart_Click() {
    const int r = Grid1.ActiveRow();
    if (r < 1) return;
    if (auto d = DateText::ParseDate(Grid1.Text(r, Col::ScheduledStart))) SetPickerDate(*d);
    Command2_Click();
}

void Form1::DatePicker1_DateChange() {
    tasks_->StoreFrom();
    Command2_Click();
}

void Form1::Combo3_Click() {
    if (!CheckDays()) return;
    tasks_->StoreDays();
    Command2_Click();
}

// ---------------------------------------------------------------- grid

void Form1::mnusort_Click() {
    if (Busy()) return;
    Grid1.Sort(Grid1.ActiveCol(), 0);
}

void Form1::mnusort2_Click() {
    if (Busy()) return;
    Grid1.Sort(Grid1.ActiveCol(), 1);
}

void Form1::Grid1_MouseDown(int button, int, int x, int y) {
    if (button != 2) return;
    mnuhid->popup(Grid1View->viewport()->mapToGlobal(QPoint(x, y)));
}

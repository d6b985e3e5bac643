// The chart page: the resource chart build, its navigation (click, zoom,
// refresh), the hover tip and the chart's print preview.
#include "app/Form1.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTabWidget>

#include "platform/Dialogs.h"
#include "widgets/Forms.h"
#include "widgets/GanttChart.h"
#include "ui/schedule/Form19.h"
#include "model/schedule/ResourceChart.h"
#include "ui/schedule/frmtip.h"

void Form1::ConnectChart() {
    connect(phGantX1, &GanttChart::ObjectClick, this, [this](GanttItem item) { phGantX1_ObjectClick(item); });
    connect(phGantX1, &GanttChart::MouseOverItem, this, [this](GanttItem item) { phGantX1_MouseOverItem(item); });
    connect(phGantX1, &GanttChart::ContextMenu, this, [this](const QPoint& at) { phGantX1_ContextMenu(at); });
    // A tip that is showing goes with the tick that allowed it.
    connect(Check1, &QCheckBox::toggled, this, [](bool on) {
        if (frmtip* tip = Forms::Loaded<frmtip>(); tip && !on) tip->hide();
    });
    // Tasks added, edited, deleted or filtered since the chart was drawn would
    // leave the page showing a schedule that no longer exists; it is redrawn
    // when the user turns to it (not on every change, so a zoomed chart that
    // nothing changed under stays as the user left it).
    Grid1.AddObserver([this](Grid::Change change, int, int) {
        if (change != Grid::Change::Active) chartStale_ = true;
    });
    connect(SSTab1, &QTabWidget::currentChanged, this, [this](int index) {
        if (chartStale_ && SSTab1->widget(index) == phGantX1->parentWidget() && !Busy()) GetChart();
    });
}

void Form1::GetChart() {
    if (Option1->isChecked()) GetEmpChart();
    else if (Option2->isChecked()) GetEquipChart();
}

void Form1::GetEmpChart() { BuildChart(int(ResourceChart::Listing::ByEmployee)); }
void Form1::GetEquipChart() { BuildChart(int(ResourceChart::Listing::ByEquipment)); }
void Form1::Option1_Click() { GetEmpChart(); }
void Form1::Option2_Click() { GetEquipChart(); }

void Form1::BuildChart(int listing) {
    // The build itself never yields; should anything it calls ever do so, a
    // build asked for meanwhile runs after this one, so the chart always
    // ends as one complete build.
    if (chartBuilding_) {
        chartPending_ = listing;
        return;
    }
    chartBuilding_ = true;
    for (int next = listing; next >= 0;) {
        chartPending_ = -1;
        ResourceChart::Build(*phGantX1, Grid1, ListFilePath(), ResourceChart::Listing(next), DatePicker1->date());
        chartStale_ = false;
        next = chartPending_;
    }
    chartBuilding_ = false;
}

// A one-day window from the bar's start.
static void WindowOnBar(GanttChart* chart, const GanttItem& item) {
    const GanttModel::Bar* bar = chart->BarAt(item);
    if (!bar) return;
    chart->StartDate = GanttModel::FromTime(bar->start);
    chart->EndDate = chart->StartDate.addDays(1);
    chart->Refresh();
}

void Form1::phGantX1_ObjectClick(const GanttItem& item) {
    if (!item.IsNothing()) WindowOnBar(phGantX1, item);
}

void Form1::mnuin_Click() {
    if (phGantX1->EndDate == phGantX1->StartDate.addDays(1)) return;
    if (!phGantX1->BarAt(phGantX1->SelectedItem)) {
        MsgBox(QStringLiteral("Nothing Selected"), vb::vbOKOnly, QStringLiteral("Quillon"));
        return;
    }
    WindowOnBar(phGantX1, phGantX1->SelectedItem);
}

void Form1::mnuout_Click() {
    phGantX1->EndDate = phGantX1->EndDate.addDays(10);
    phGantX1->Refresh();
}

void Form1::mnugrefresh_Click() { Command2_Click(); }

void Form1::phGantX1_ContextMenu(const QPoint& globalPos) { mnugan->popup(globalPos); }

void Form1::phGantX1_MouseOverItem(const GanttItem& item) {
    if (!Check1->isChecked()) return;
    const GanttModel::Bar* bar = phGantX1->BarAt(item);
    if (!bar) {
        if (frmtip* tip = Forms::Loaded<frmtip>()) tip->hide();
        return;
    }
    frmtip* tip = Forms::Load<frmtip>();
    // The tip lives until the program ends; hiding is its way of closing.
    tip->setAttribute(Qt::WA_DeleteOnClose, false);
    tip->ShowBar(GanttModel::FromTime(bar->start), GanttModel::FromTime(bar->stop));
}

void Form1::mnupgantt_Click() {
    // Printed from the Print Menu without a look at the chart page, a chart
    // drawn before the last change would print tasks that are gone.
    if (chartStale_ && !Busy()) GetChart();
    Form19* preview = Forms::Show<Form19>();
    preview->ShowChart(phGantX1);
}

void Form1::mnupchart_Click() { mnupgantt_Click(); }

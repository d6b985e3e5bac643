#include "app/ChartPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/Dialogs.h"
#include "platform/Grid.h"
#include "platform/Registry.h"
#include "ui/schedule/Form19.h"
#include "ui/schedule/frmtip.h"
#include "widgets/Forms.h"
#include "widgets/GanttChart.h"

ChartPage::ChartPage(Grid& tasks, Window window, QWidget* parent)
    : QWidget(parent), tasks_(tasks), window_(std::move(window)) {
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    byEmployee_ = new QRadioButton(QStringLiteral("List By Employee"));
    byEmployee_->setObjectName(QStringLiteral("Option1"));
    byEmployee_->setChecked(true);
    byEquipment_ = new QRadioButton(QStringLiteral("List By Equipment"));
    byEquipment_->setObjectName(QStringLiteral("Option2"));
    showTip_ = new QCheckBox(QStringLiteral("Show Tip"));
    showTip_->setObjectName(QStringLiteral("Check1"));
    auto button = [](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    refresh_ = button("Command2", QStringLiteral("&Refresh"));
    zoomIn_ = button("Command3", QStringLiteral("&Zoom In"));
    zoomOut_ = button("Command4", QStringLiteral("Zoom &Out"));
    for (QWidget* w : std::initializer_list<QWidget*>{byEmployee_, byEquipment_, showTip_, refresh_, zoomIn_, zoomOut_})
        bar->addWidget(w);
    bar->addStretch(1);
    layout->addLayout(bar);
    chart_ = new GanttChart;
    chart_->setObjectName(QStringLiteral("phGantX1"));
    layout->addWidget(chart_, 1);

    connect(refresh_, &QPushButton::clicked, this, [this] { window_.refresh(); });
    connect(zoomIn_, &QPushButton::clicked, this, &ChartPage::ZoomIn);
    connect(zoomOut_, &QPushButton::clicked, this, &ChartPage::ZoomOut);
    connect(byEmployee_, &QRadioButton::clicked, this, [this] { Build(ResourceChart::Listing::ByEmployee); });
    connect(byEquipment_, &QRadioButton::clicked, this, [this] { Build(ResourceChart::Listing::ByEquipment); });
    connect(showTip_, &QCheckBox::clicked, this, &ChartPage::StoreShowTip);
    // A tip that is showing goes with the tick that allowed it.
    connect(showTip_, &QCheckBox::toggled, this, [](bool on) {
        if (frmtip* tip = Forms::Loaded<frmtip>(); tip && !on) tip->hide();
    });
    connect(chart_, &GanttChart::ObjectClick, this, &ChartPage::ZoomToBar);
    connect(chart_, &GanttChart::MouseOverItem, this, &ChartPage::HoverTip);
    connect(chart_, &GanttChart::ContextMenu, this, [this](const QPoint& at) { window_.popUpMenu(at); });
    tasks_.AddObserver([this](Grid::Change change, int, int) {
        if (change != Grid::Change::Active) stale_ = true;
    });
}

void ChartPage::Build() {
    if (byEmployee_->isChecked()) Build(ResourceChart::Listing::ByEmployee);
    else if (byEquipment_->isChecked()) Build(ResourceChart::Listing::ByEquipment);
}

void ChartPage::Build(ResourceChart::Listing listing) {
    // The build itself never yields; should anything it calls ever do so, a
    // build asked for meanwhile runs after this one.
    if (building_) {
        pending_ = int(listing);
        return;
    }
    building_ = true;
    for (int next = int(listing); next >= 0;) {
        pending_ = -1;
        ResourceChart::Build(*chart_, tasks_, window_.listFile(), ResourceChart::Listing(next), window_.from());
        stale_ = false;
        next = pending_;
    }
    building_ = false;
}

void ChartPage::TurnedTo() {
    if (stale_ && !window_.busy()) Build();
}

void ChartPage::ZoomIn() {
    if (chart_->EndDate == chart_->StartDate.addDays(1)) return;
    chart_->EndDate = chart_->EndDate.addDays(-10);
    chart_->Refresh();
}

void ChartPage::ZoomOut() {
    chart_->EndDate = chart_->EndDate.addDays(10);
    chart_->Refresh();
}

void ChartPage::ZoomToBar(const GanttItem& item) {
    const GanttModel::Bar* bar = chart_->BarAt(item);
    if (!bar) return;
    chart_->StartDate = GanttModel::FromTime(bar->start);
    chart_->EndDate = chart_->StartDate.addDays(1);
    chart_->Refresh();
}

void ChartPage::ZoomToSelected() {
    if (chart_->EndDate == chart_->StartDate.addDays(1)) return;
    if (!chart_->BarAt(chart_->SelectedItem)) {
        MsgBox(QStringLiteral("Nothing Selected"), vb::vbOKOnly, QStringLiteral("Quillon"));
        return;
    }
    ZoomToBar(chart_->SelectedItem);
}

void ChartPage::HoverTip(const GanttItem& item) {
    if (!showTip_->isChecked()) return;
    const GanttModel::Bar* bar = chart_->BarAt(item);
    if (!bar) {
        if (frmtip* tip = Forms::Loaded<frmtip>()) tip->hide();
        return;
    }
    frmtip* tip = Forms::Load<frmtip>();
    // The tip lives until the program ends; hiding is its way of closing.
    tip->setAttribute(Qt::WA_DeleteOnClose, false);
    tip->ShowBar(GanttModel::FromTime(bar->start), GanttModel::FromTime(bar->stop));
}

void ChartPage::StoreShowTip() {
    if (!Settings::Set(QStringLiteral("Tips"), QStringLiteral("DateFlag"), showTip_->isChecked() ? "1" : "0"))
        MsgBox(Settings::NotSaved(QStringLiteral("The Show Tip setting")), vb::vbExclamation, Quillon::kTitle);
}

void ChartPage::PrintPreview() {
    // Printed from the Print Menu without a look at the page, a chart drawn
    // before the last change would print tasks that are gone.
    if (stale_ && !window_.busy()) Build();
    Form19* preview = Forms::Show<Form19>();
    preview->ShowChart(chart_);
}

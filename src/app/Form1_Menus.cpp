// The main window's menu tree, in design order, from one table: the menu
// bar's menus, the three pop-ups that are not in it (the task row's, the
// chart's and the tray's), their submenus and items.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <iterator>

#include "app/Form1.h"

namespace {

// Level 0: a menu of the menu bar; -1: a pop-up menu outside it; 1 and 2:
// the items below. A row without a handler followed by deeper rows is a
// submenu; one without deeper rows is an item that does nothing.
struct MenuRow {
    int level;
    const char* name;
    const char* caption;
    void (Form1::*handler)();
};

const MenuRow kMenuTree[] = {
    {0, "mnufile", "&File", nullptr},
    {1, "mnunewd", "New Database", &Form1::mnunewd_Click},
    {1, "mnuopend", "Open Database", &Form1::mnuopend_Click},
    {1, "mnuskin", "Change Skin", &Form1::mnuskin_Click},
    {1, "mnusht", "Print Task Grid", &Form1::mnusht_Click},
    {1, "mnupref", "Preferences", &Form1::mnupref_Click},
    {1, "mnudef", "Set Default Database", &Form1::mnudef_Click},
    {1, "mnuexit", "Exit Quillon", &Form1::mnuexit_Click},
    {0, "mnusetup", "&Setup", nullptr},
    {1, "mnuequip", "Add Equipment", &Form1::mnuequip_Click},
    {1, "mnueploy", "Add Employees", &Form1::mnueploy_Click},
    {1, "mnuptype", "Add Task Types", &Form1::mnuptype_Click},
    {1, "mnuexcel", "Set Path To Excel", &Form1::mnuexcel_Click},
    {-1, "mnuhid", "&Selected Menu", nullptr},
    {1, "mnuselstart", "Select As From Date", &Form1::mnuselstart_Click},
    {1, "mnufilt", "Filters", nullptr},
    {2, "mnusel", "Match Only Selected", &Form1::mnusel_Click},
    {2, "mnuall", "View All", &Form1::mnuall_Click},
    {2, "mnuready", "View Ready", &Form1::mnuready_Click},
    {2, "mnuprog", "View In Progress", &Form1::mnuprog_Click},
    {2, "mnuhold2", "View On Hold", &Form1::mnuhold2_Click},
    {2, "mnucomplete", "View Complete", &Form1::mnucomplete_Click},
    {2, "mnucanceled", "View Canceled", &Form1::mnucanceled_Click},
    {2, "mnupastdue", "View Past Due", &Form1::mnupastdue_Click},
    {1, "mnustat", "Change Status", nullptr},
    {2, "mnured", "Ready", &Form1::mnured_Click},
    {2, "mnuhold", "On Hold", &Form1::mnuhold_Click},
    {2, "mnucancel", "Canceled", &Form1::mnucancel_Click},
    {2, "mnucomp", "Complete", &Form1::mnucomp_Click},
    {2, "mnupast", "Past Due", &Form1::mnupast_Click},
    {2, "mnuprog2", "In Progress", &Form1::mnuprog2_Click},
    {1, "mnutype", "Change Type", &Form1::mnutype_Click},
    {1, "mnuassigned", "Change Assigned To", &Form1::mnuassigned_Click},
    {1, "mnudates", "Change Dates", nullptr},
    {2, "mnurequest", "Request Date", &Form1::mnurequest_Click},
    {2, "mnustart", "Scheduled Start", &Form1::mnustart_Click},
    {2, "mnuebd", "Scheduled End", &Form1::mnuebd_Click},
    {1, "mnudesc", "Change Equipment", &Form1::mnudesc_Click},
    {1, "mnudup", "Auto Generate Duplicate Tasks", &Form1::mnudup_Click},
    {1, "mnurem", "Remove Selected", &Form1::mnurem_Click},
    {1, "mnumatre", "Print Material List", &Form1::mnumatre_Click},
    {1, "mnupp", "Print Work Order", &Form1::mnupp_Click},
    {1, "mnusrt", "Sort Selected Column", nullptr},
    {2, "mnusort", "Sort Ascending", &Form1::mnusort_Click},
    {2, "mnusort2", "Sort Descending", &Form1::mnusort2_Click},
    {-1, "mnugan", "&Gantt", nullptr},
    {1, "mnuin", "Zoom In", &Form1::mnuin_Click},
    {1, "mnuout", "Zoom Out", &Form1::mnuout_Click},
    {1, "mnugrefresh", "Refresh", &Form1::mnugrefresh_Click},
    {1, "mnupchart", "Print Chart", &Form1::mnupchart_Click},
    {0, "mnuprint1", "&Print Menu", nullptr},
    {1, "mnuporder", "Print Selected Work Order", &Form1::mnuporder_Click},
    {1, "mnupcost", "Print Selected Material List", &Form1::mnupcost_Click},
    {1, "mnupgantt", "Print Gantt Chart", &Form1::mnupgantt_Click},
    {1, "mtprint", "Print Grid", &Form1::mtprint_Click},
    {0, "mnuutil", "&Utilities", nullptr},
    {1, "mnubackup", "Backup", &Form1::mnubackup_Click},
    {1, "mnures", "Restore", &Form1::mnures_Click},
    {1, "mnutray", "System Tray", &Form1::mnutray_Click},
    {0, "mnualert", "&Alerts", nullptr},
    {1, "mnuaon", "Alert On", &Form1::mnuaon_Click},
    {1, "mnuoff", "Alert Off", &Form1::mnuoff_Click},
    {1, "mnunot", "Alert Options", &Form1::mnunot_Click},
    {1, "mnusetemail", "Setup Up Email Alert", &Form1::mnusetemail_Click},
    {1, "mnuptray", "Position Notifier", &Form1::mnuptray_Click},
    {1, "mnualert2", "Clea", &Form1::mnualert2_Click},
    {0, "mnunet", "&Network", nullptr},
    {1, "mnumap", "Map A Network Drive", nullptr},
    {1, "mnunetpath", "Set Network Path", nullptr},
    {-1, "mnutray1", "&Tray", nullptr},
    {1, "mnurestore", "Restore", &Form1::mnurestore_Click},
    {1, "mnuexit2", "Exit Quillon", &Form1::mnuexit2_Click},
    {0, "mnuhelp", "&Help", nullptr},
    {1, "mnuupdate", "Check For Update", &Form1::mnuupdate_Click},
    {1, "mnucont", "Help Contents", &Form1::mnucont_Click},
    {1, "mnuvisit", "Quillon On The Web", &Form1::mnuvisit_Click},
    {1, "mnuabout", "About", &Form1::mnuabout_Click},
};

}  // namespace

void Form1::BuildMenus() {
    const size_t count = std::size(kMenuTree);
    QMenu* open[3] = {};   // the menu that rows of each level go into
    for (size_t i = 0; i < count; ++i) {
        const MenuRow& row = kMenuTree[i];
        const QString caption = QString::fromUtf8(row.caption);
        const int depth = std::max(row.level, 0);
        const bool submenu = i + 1 < count && kMenuTree[i + 1].level > depth;
        QAction* action = nullptr;
        if (row.level <= 0 || submenu) {
            QMenu* menu = row.level == 0  ? menuBar()->addMenu(caption)
                          : row.level < 0 ? new QMenu(caption, this)
                                          : open[row.level]->addMenu(caption);
            menu->setObjectName(QLatin1String(row.name));
            open[depth + 1] = menu;
            if (row.level < 0) continue;   // the pop-ups are no item of any menu
            action = menu->menuAction();
        } else {
            action = open[row.level]->addAction(caption);
            if (auto handler = row.handler)
                connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        }
        action->setObjectName(QLatin1String(row.name));
        items_.append(action);
    }
    mnuhid = findChild<QMenu*>(QStringLiteral("mnuhid"));
    mnugan = findChild<QMenu*>(QStringLiteral("mnugan"));
    mnutray1 = findChild<QMenu*>(QStringLiteral("mnutray1"));
    mnuprint1 = findChild<QMenu*>(QStringLiteral("mnuprint1"));
    mnuaon = MenuItem(QStringLiteral("mnuaon"));
    mnuoff = MenuItem(QStringLiteral("mnuoff"));
    mnuaon->setCheckable(true);
    mnuoff->setCheckable(true);
}

QAction* Form1::MenuItem(const QString& name) const {
    for (QAction* a : items_)
        if (a->objectName() == name) return a;
    return nullptr;
}

void Form1::phGantX1_ContextMenu(const QPoint& globalPos) { mnugan->popup(globalPos); }

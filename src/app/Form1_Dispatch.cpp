// The list bar and the toolbar: one handler each, dispatching on the item
// text or the button key. A text or key that is not one of theirs does
// nothing.
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolBox>

#include "app/Form1.h"
#include "app/Form5.h"
#include "platform/DateText.h"
#include "platform/Dialogs.h"
#include "platform/FileOps.h"
#include "platform/Forms.h"
#include "platform/GridExport.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "tasks/Form18.h"
#include "tasks/Form6.h"

namespace {

using Quillon::kTitle;

struct ListGroup {
    QString name;
    QStringList items;
};

const std::vector<ListGroup>& ListGroups() {
    static const std::vector<ListGroup> groups = {
        {QStringLiteral("Tasks"), {"Add", "Edit", "Delete", "Generate"}},
        {QStringLiteral("Status"), {"Complete", "In Progress", "Ready", "On Hold", "Canceled", "Past Due"}},
        {QStringLiteral("Export"), {"Excel", "HTML"}},
        {QStringLiteral("Print"), {"Work Order", "Materials", "Grid", "Chart"}},
    };
    return groups;
}

struct ToolButton {
    QString key;
    QString tip;
    QStyle::StandardPixmap icon;
};

const std::vector<ToolButton>& ToolButtons() {
    static const std::vector<ToolButton> buttons = {
        {"Add", "Create New Database", QStyle::SP_FileIcon},
        {"Open", "Open Database", QStyle::SP_DialogOpenButton},
        {"Edit", "Change Skin", QStyle::SP_DesktopIcon},
        {"Column", "Select Visible Columns", QStyle::SP_FileDialogDetailedView},
        {"Tray", "System Tray", QStyle::SP_TitleBarMinButton},
        {"Photo", "View Photo For Selected Task", QStyle::SP_FileDialogContentsView},
        {"Mail", "Send Excel Sheet By Email", QStyle::SP_DriveNetIcon},
        {"Help", "Help", QStyle::SP_DialogHelpButton},
        {"Print", "Print Task Grid", QStyle::SP_DialogSaveButton},
        {"Exit", "Exit Program", QStyle::SP_DialogCloseButton},
    };
    return buttons;
}

QIcon ListIcon(const QString& item) {
    QStyle* style = QApplication::style();
    if (item == "Add") return style->standardIcon(QStyle::SP_FileIcon);
    if (item == "Edit") return style->standardIcon(QStyle::SP_FileDialogDetailedView);
    if (item == "Delete") return style->standardIcon(QStyle::SP_TrashIcon);
    if (item == "Generate") return style->standardIcon(QStyle::SP_BrowserReload);
    if (item == "Excel" || item == "HTML") return style->standardIcon(QStyle::SP_DialogSaveButton);
    if (item == "Chart") return style->standardIcon(QStyle::SP_FileDialogListView);
    if (item == "Work Order" || item == "Materials" || item == "Grid")
        return style->standardIcon(QStyle::SP_FileDialogContentsView);
    return style->standardIcon(QStyle::SP_ArrowRight);
}

// The hourglass for the length of one command.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// A task row is active: the commands that act on the ActiveTask need one.
bool TaskRowActive(const Grid& grid) {
    const int r = grid.ActiveRow();
    return grid.IsDataRow(r);
}

}  // namespace

void Form1::BuildListBar() {
    if (!Listbar1) return;
    for (const ListGroup& group : ListGroups()) {
        auto* list = new QListWidget;
        list->setObjectName(group.name);
        list->setIconSize(QSize(24, 24));
        list->setSpacing(2);
        for (const QString& text : group.items) new QListWidgetItem(ListIcon(text), text, list);
        connect(list, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { Listbar1_ItemClick(item->text()); });
        Listbar1->addItem(list, group.name);
    }
}

void Form1::BuildToolBar() {
    if (Toolbar1) {
        for (const ToolButton& b : ToolButtons()) {
            QAction* a = Toolbar1->addAction(style()->standardIcon(b.icon), b.key);
            a->setObjectName(b.key);
            a->setData(b.key);
            a->setToolTip(b.tip);
            const QString key = b.key;
            connect(a, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        }
    }
}

void Form1::Listbar1_ItemClick(const QString& itemText) {
    // No command starts in the middle of a pass over the grid.
    if (Busy()) return;
    const QString item = itemText;

    if (item == "Add") {
        EditorForAdd();
    } else if (item == "Edit") {
        // Refuses with "No Tasks Found" when no task row is active.
        EditorForEdit();
    } else if (item == "Delete") {
        if (!TaskRowActive(Grid1)) {
            MsgBox(QStringLiteral("No Tasks Found"), vb::vbCritical, kTitle);
            return;
        }
        Removeit();
    } else if (item == "Generate") {
        if (!TaskRowActive(Grid1)) {
            MsgBox(QStringLiteral("No Tasks Found"), vb::vbCritical, kTitle);
            return;
        }
        const int r = Grid1.ActiveRow();
        Form18* generator = Generator();
        if (const auto start = DateText::ParseDate(Grid1.Text(r, Col::ScheduledStart)))
            generator->DatePicker1->setDate(*start);
        Forms::Raise(generator);
    } else if (item == "Complete" || item == "In Progress" || item == "Ready" || item == "On Hold" ||
               item == "Canceled" || item == "Past Due") {
        ViewStatus(item);
    } else if (item == "Excel") {
        if (DatabaseFolder().isEmpty()) {
            RequireDatabase();
            return;
        }
        const QString sheet = FileOps::Join(DatabaseFolder(), QStringLiteral("temp.xls"));
        FileOps::RemoveFile(sheet);
        const QString program =
            basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, QStringLiteral("Software\\Quillon\\Settings"),
                                     QStringLiteral("excelpath"))
                .toString();
        if (program.trimmed().isEmpty()) {
            MsgBox(QStringLiteral("Please Set Path To Excel Under The Utilities Menu"), vb::vbExclamation, kTitle);
            return;
        }
        QString error;
        {
            WaitCursor wait;
            if (!ExportToExcel(Grid1, sheet, &error)) {
                // Nothing to open: the sheet was not written.
                MsgBox(QStringLiteral("The task sheet could not be exported: %1").arg(error), vb::vbCritical, kTitle);
                return;
            }
        }
        if (!Shell::Get().StartProgram(program, {QStringLiteral("temp.xls")}, DatabaseFolder()))
            MsgBox(QStringLiteral("The spreadsheet program \"%1\" could not be started.").arg(program),
                   vb::vbExclamation, kTitle);
    } else if (item == "HTML") {
        const QString file = Dialogs::Get().SaveFileName(QStringLiteral("Save As Html Document:"),
                                                         QStringLiteral("Html (*.html)"), DatabaseFolder());
        if (file.isEmpty()) return;
        QString error;
        {
            WaitCursor wait;
            if (!ExportToHTML(Grid1, file, &error)) {
                MsgBox(QStringLiteral("The HTML page could not be written: %1").arg(error), vb::vbCritical, kTitle);
                return;
            }
        }
        Shell::Get().OpenDocument(file);
    } else if (item == "Work Order") {
        PrintWork();
    } else if (item == "Materials") {
        mnupcost_Click();
    } else if (item == "Grid") {
        mtprint_Click();
    } else if (item == "Chart") {
        mnupgantt_Click();
    }
}

void Form1::Toolbar1_ButtonClick(const QString& key) {
    if (Busy()) return;

    if (key == "Add") {
        mnunewd_Click();
    } else if (key == "Open") {
        mnuopend_Click();
    } else if (key == "Edit") {
        mnuskin_Click();
    } else if (key == "Column") {
        // An open chooser is only brought forward; its marks stay.
        Forms::Show<Form5>();
    } else if (key == "Tray") {
        mnutray_Click();
    } else if (key == "Photo") {
        LoadTaskPicture();
        SSTab1->setCurrentIndex(2);
    } else if (key == "Print") {
        mnusht_Click();
    } else if (key == "Help") {
        mnucont_Click();
    } else if (key == "Mail") {
        if (Grid1.Rows() < 1) {
            MsgBox(QStringLiteral("You must Load The Grid!"), vb::vbExclamation, QStringLiteral("Quillon  "));
            return;
        }
        if (DatabaseFolder().isEmpty()) {
            RequireDatabase();
            return;
        }
        const QString sheet = FileOps::Join(DatabaseFolder(), QStringLiteral("quillontask.xls"));
        if (FileOps::FileExists(sheet)) FileOps::RemoveFile(sheet);
        QString error;
        {
            WaitCursor wait;
            if (!ExportToExcel(Grid1, sheet, &error)) {
                // A mail must never go out with a stale or missing sheet.
                MsgBox(QStringLiteral("The task sheet could not be exported, so it cannot be mailed: %1").arg(error),
                       vb::vbCritical, kTitle);
                return;
            }
        }
        // TODO: the send-mail window (MainMail) is loaded and shown here with
        // its attachment box set to `sheet`.
    } else if (key == "Exit") {
        UnloadAllForms();
    }
}

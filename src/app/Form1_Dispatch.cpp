// The list bar and the toolbar: one handler each, dispatching on the item
// text or the button key. A text or key that is not one of theirs does
// nothing.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPolygonF>
#include <QPointer>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolBox>
#include <functional>

#include "app/Form1.h"
#include "widgets/WaitCursor.h"
#include "app/Form5.h"
#include "platform/DateText.h"
#include "platform/Dialogs.h"
#include "widgets/Printing.h"
#include "widgets/Forms.h"
#include "platform/GridExport.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "ui/tasks/Form18.h"
#include "ui/tasks/Form6.h"

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

// Each button's picture: the desktop theme's icon of that name, else one of
// ours that shows the same thing.
struct ToolButton {
    QString key;
    QString tip;
    QString themeName;   // freedesktop icon name
};

const std::vector<ToolButton>& ToolButtons() {
    static const std::vector<ToolButton> buttons = {
        {"Add", "Create New Database", "document-new"},
        {"Open", "Open Database", "document-open"},
        {"Edit", "Change Skin", "preferences-desktop-theme"},
        {"Column", "Select Visible Columns", "view-list-details"},
        {"Tray", "System Tray", "go-down"},
        {"Photo", "View Photo For Selected Task", "image-x-generic"},
        {"Mail", "Send Excel Sheet By Email", "mail-send"},
        {"Help", "Help", "help-browser"},
        {"Print", "Print Task Grid", "document-print"},
        {"Exit", "Exit Program", "application-exit"},
    };
    return buttons;
}

// Our own pictures, drawn at 32x32 for the buttons Qt's standard set has no
// fitting picture for.
QIcon DrawnIcon(const QString& key) {
    QPixmap pix(32, 32);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen outline(QColor(60, 60, 60), 1.5);
    p.setPen(outline);
    auto page = [&] {
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({{7, 3}, {20, 3}, {26, 9}, {26, 29}, {7, 29}}));
    };
    if (key == "Add") {
        page();
        p.setPen(QPen(QColor(30, 140, 40), 3));
        p.drawLine(QPointF(17, 13), QPointF(17, 25));
        p.drawLine(QPointF(11, 19), QPointF(23, 19));
    } else if (key == "Edit") {
        p.setBrush(QColor(230, 200, 150));
        p.drawEllipse(QRectF(3, 5, 26, 22));
        const QColor dots[] = {Qt::red, QColor(30, 120, 220), QColor(30, 160, 60), QColor(240, 200, 0)};
        const QPointF at[] = {{10, 12}, {17, 10}, {23, 14}, {11, 20}};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(dots[i]);
            p.drawEllipse(at[i], 2.8, 2.8);
        }
    } else if (key == "Exit") {
        // Red under a white cross reads on light, dark and black toolbars.
        p.setBrush(QColor(200, 40, 40));
        p.drawEllipse(QRectF(3, 3, 26, 26));
        p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 11), QPointF(21, 21));
        p.drawLine(QPointF(21, 11), QPointF(11, 21));
    } else if (key == "Tray") {
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(3, 22, 26, 7));
        p.setBrush(QColor(40, 110, 200));
        p.drawPolygon(QPolygonF({{16, 19}, {9, 10}, {13, 10}, {13, 3}, {19, 3}, {19, 10}, {23, 10}}));
    } else if (key == "Photo") {
        p.setBrush(QColor(170, 215, 245));
        p.drawRect(QRectF(3, 6, 26, 20));
        p.setBrush(QColor(60, 150, 60));
        p.drawPolygon(QPolygonF({{4, 25}, {12, 14}, {18, 21}, {22, 17}, {28, 25}}));
        p.setBrush(QColor(250, 210, 40));
        p.drawEllipse(QPointF(22, 11), 2.5, 2.5);
    } else if (key == "Mail") {
        p.setBrush(QColor(250, 245, 225));
        p.drawRect(QRectF(3, 8, 26, 17));
        p.drawPolyline(QPolygonF({{3, 8}, {16, 18}, {29, 8}}));
    } else {
        page();
    }
    p.end();
    return QIcon(pix);
}

QIcon ToolIcon(const ToolButton& b, QStyle* style) {
    QIcon fallback;
    if (b.key == "Open") fallback = style->standardIcon(QStyle::SP_DialogOpenButton);
    else if (b.key == "Column") fallback = style->standardIcon(QStyle::SP_FileDialogDetailedView);
    else if (b.key == "Help") fallback = style->standardIcon(QStyle::SP_DialogHelpButton);
    // The style's and the desktop theme's exit pictures are a black cross,
    // which vanishes on the dark and high-contrast skins' toolbars.
    else if (b.key == "Exit") return DrawnIcon(b.key);
    // The same printer as every Print button of the program.
    else if (b.key == "Print") return Printing::PrintIcon();
    else fallback = DrawnIcon(b.key);
    return QIcon::fromTheme(b.themeName, fallback);
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

// Keys that act on the focused list bar item or button as a click does:
// Return and Enter (and Space for the list items, whose Space would only
// select). The watched object's action runs; false when it had none.
class KeyClick : public QObject {
public:
    KeyClick(QObject* parent, bool withSpace, std::function<bool(QObject*)> act)
        : QObject(parent), withSpace_(withSpace), act_(std::move(act)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        // Held down, the key would open the same window over and over.
        if (key->isAutoRepeat() || (key->modifiers() & ~Qt::KeypadModifier)) return false;
        const bool acts = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                          (withSpace_ && key->key() == Qt::Key_Space);
        return acts && act_(watched);
    }

private:
    bool withSpace_;
    std::function<bool(QObject*)> act_;
};

// Return on a focused button presses it (Space does already).
KeyClick* ButtonKeys(QObject* parent) {
    return new KeyClick(parent, false, [](QObject* watched) {
        static_cast<QAbstractButton*>(watched)->click();
        return true;
    });
}

// A task row is active: the commands that act on the ActiveTask need one.
bool TaskRowActive(const Grid& grid) {
    const int r = grid.ActiveRow();
    return grid.IsDataRow(r);
}

}  // namespace

void Form1::BuildListBar() {
    if (!Listbar1) return;
    auto* itemKeys = new KeyClick(this, true, [this](QObject* watched) {
        const QListWidgetItem* item = static_cast<QListWidget*>(watched)->currentItem();
        if (!item) return false;
        Listbar1_ItemClick(item->text());
        return true;
    });
    for (const ListGroup& group : ListGroups()) {
        auto* list = new QListWidget;
        list->setObjectName(group.name);
        list->setIconSize(QSize(24, 24));
        list->setSpacing(2);
        for (const QString& text : group.items) new QListWidgetItem(ListIcon(text), text, list);
        connect(list, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { Listbar1_ItemClick(item->text()); });
        list->installEventFilter(itemKeys);
        Listbar1->addItem(list, group.name);
    }
    // The group captions open their groups from the keyboard too (Tab to
    // one, then Space or Return).
    KeyClick* buttonKeys = ButtonKeys(this);
    for (QAbstractButton* caption : Listbar1->findChildren<QAbstractButton*>()) {
        caption->setFocusPolicy(Qt::TabFocus);
        caption->installEventFilter(buttonKeys);
    }
}

void Form1::BuildToolBar() {
    if (Toolbar1) {
        for (const ToolButton& b : ToolButtons()) {
            QAction* a = Toolbar1->addAction(ToolIcon(b, style()), b.key);
            a->setObjectName(b.key);
            a->setData(b.key);
            a->setToolTip(b.tip);
            const QString key = b.key;
            connect(a, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        }
        // Reachable by Tab, pressed by Space (as any button) or Return.
        KeyClick* buttonKeys = ButtonKeys(this);
        for (QAction* a : Toolbar1->actions())
            if (QWidget* button = Toolbar1->widgetForAction(a)) {
                button->setFocusPolicy(Qt::TabFocus);
                button->installEventFilter(buttonKeys);
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
        GridExport::ClearSheet(DatabaseFolder(), QStringLiteral("temp.xls"));
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
            if (!GridExport::WriteSheet(Grid1, DatabaseFolder(), QStringLiteral("temp.xls"), nullptr, &error)) {
                // Nothing to open: the sheet was not written.
                MsgBox(QStringLiteral("The task sheet could not be exported: %1").arg(error), vb::vbCritical, kTitle);
                return;
            }
        }
        // Said also when the program starts and gives up at once (no
        // display, a broken installation), which would otherwise look as if
        // nothing happened.
        const QString cannot = QStringLiteral("The spreadsheet program \"%1\" could not be started.").arg(program);
        QPointer<Form1> self(this);
        if (!Shell::Get().StartProgram(program, {QStringLiteral("temp.xls")}, DatabaseFolder(),
                                       [self, cannot](const QString& reason) {
                                           if (self) MsgBox(cannot + QLatin1Char('\n') + reason, vb::vbExclamation, kTitle);
                                       }))
            MsgBox(cannot, vb::vbExclamation, kTitle);
    } else if (item == "HTML") {
        QString file = Dialogs::Get().SaveFileName(QStringLiteral("Save As Html Document:"),
                                                   QStringLiteral("Html (*.html)"), DatabaseFolder());
        if (file.isEmpty()) return;
        // Without the extension no browser would take the page for one.
        if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".html");
        QString error;
        {
            WaitCursor wait;
            if (!ExportToHTML(Grid1, file, &error)) {
                MsgBox(QStringLiteral("The HTML page could not be written: %1").arg(error), vb::vbCritical, kTitle);
                return;
            }
        }
        if (!Shell::Get().OpenDocument(file))
            MsgBox(QStringLiteral("The page was saved as \"%1\", but no program could be found to show it.").arg(file),
                   vb::vbInformation, kTitle);
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
        QString sheet, error;
        {
            WaitCursor wait;
            if (!GridExport::WriteSheet(Grid1, DatabaseFolder(), QStringLiteral("quillontask.xls"), &sheet, &error)) {
                // A mail must never go out with a stale or missing sheet.
                MsgBox(QStringLiteral("The task sheet could not be exported, so it cannot be mailed: %1").arg(error),
                       vb::vbCritical, kTitle);
                return;
            }
        }
        OpenMailWindow(sheet);
    } else if (key == "Exit") {
        UnloadAllForms();
    }
}

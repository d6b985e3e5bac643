#include "app/CommandBars.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QPolygonF>
#include <QScrollArea>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolBox>
#include <algorithm>

#include "widgets/Forms.h"
#include "widgets/Printing.h"

namespace {

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

}  // namespace

namespace CommandBars {

void FillListBar(QToolBox* bar, const std::function<void(const QString&)>& chosen) {
    auto* itemKeys = new KeyClick(bar, true, [chosen](QObject* watched) {
        const QListWidgetItem* item = static_cast<QListWidget*>(watched)->currentItem();
        if (!item) return false;
        chosen(item->text());
        return true;
    });
    for (const ListGroup& group : ListGroups()) {
        auto* list = new QListWidget;
        list->setObjectName(group.name);
        list->setIconSize(QSize(24, 24));
        list->setSpacing(2);
        for (const QString& text : group.items) new QListWidgetItem(ListIcon(text), text, list);
        QObject::connect(list, &QListWidget::itemClicked, bar, [chosen](QListWidgetItem* item) { chosen(item->text()); });
        list->installEventFilter(itemKeys);
        bar->addItem(list, group.name);
    }
    // The group captions open their groups from the keyboard too (Tab to
    // one, then Space or Return).
    KeyClick* buttonKeys = ButtonKeys(bar);
    for (QAbstractButton* caption : bar->findChildren<QAbstractButton*>()) {
        caption->setFocusPolicy(Qt::TabFocus);
        caption->installEventFilter(buttonKeys);
    }
}

void FillToolBar(QToolBar* bar, const std::function<void(const QString&)>& pressed) {
    for (const ToolButton& b : ToolButtons()) {
        QAction* a = bar->addAction(ToolIcon(b, bar->style()), b.key);
        a->setObjectName(b.key);
        a->setData(b.key);
        a->setToolTip(b.tip);
        const QString key = b.key;
        QObject::connect(a, &QAction::triggered, bar, [pressed, key] { pressed(key); });
    }
    KeyClick* buttonKeys = ButtonKeys(bar);
    for (QAction* a : bar->actions())
        if (QWidget* button = bar->widgetForAction(a)) {
            button->setFocusPolicy(Qt::TabFocus);
            button->installEventFilter(buttonKeys);
        }
}

void ChainReadingOrder(QWidget* window, QToolBar* toolBar, QTabWidget* tabs, QToolBox* listBar, QWidget* firstOfPages) {
    // Tab reads the window: the toolbar, the page tabs, the list bar (each
    // group's caption, then its items), then the date bar, the grid and the
    // other pages' controls in the order they were made. The list bar's
    // items and the toolbar's buttons are made last, so without this they
    // would come last.
    std::vector<QWidget*> order = Forms::ReadingOrder(toolBar);
    order.push_back(tabs->tabBar());
    const QList<QAbstractButton*> captions = listBar->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly);
    for (int i = 0; i < listBar->count(); ++i) {
        if (i < captions.size()) order.push_back(captions[i]);
        order.push_back(listBar->widget(i));
    }
    const std::vector<QWidget*> head = order;
    for (QWidget* w = firstOfPages; w && w != window; w = w->nextInFocusChain()) {
        if (std::find(head.begin(), head.end(), w) != head.end()) break;
        if (w->window() == window && !w->focusProxy() && (w->focusPolicy() & Qt::TabFocus)) order.push_back(w);
    }
    Forms::ChainTabOrder(order);
    // The page tabs are the stop; the tab widget itself, which would hand
    // the focus on to them, would be a second one where it was made (before
    // the toolbar).
    tabs->setFocusProxy(nullptr);
    tabs->setFocusPolicy(Qt::NoFocus);
    // The frames around the groups' lists are no stop of their own.
    for (QScrollArea* frame : listBar->findChildren<QScrollArea*>()) frame->setFocusPolicy(Qt::NoFocus);
    // A keyboard starts on the list bar's "Add".
    listBar->widget(0)->setFocus();
}

}  // namespace CommandBars

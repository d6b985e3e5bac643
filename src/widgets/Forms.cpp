#include "widgets/Forms.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <algorithm>

#include "widgets/Skin.h"

namespace Forms {

namespace {

void ReadingTabOrder(QWidget* window);

// The order a window keeps for itself, held by the window.
class OwnTabOrder : public QObject {
public:
    OwnTabOrder(QWidget* window, const std::vector<QWidget*>& controls) : QObject(window) {
        setObjectName(QStringLiteral("quillonOwnTabOrder"));
        for (QWidget* w : controls) controls_.emplace_back(w);
    }
    static OwnTabOrder* Of(QWidget* window) {
        return window->findChild<OwnTabOrder*>(QStringLiteral("quillonOwnTabOrder"), Qt::FindDirectChildrenOnly);
    }
    void Apply() const {
        std::vector<QWidget*> order;
        for (const QPointer<QWidget>& w : controls_)
            if (w) order.push_back(w.data());
        ChainTabOrder(order);
    }

private:
    std::vector<QPointer<QWidget>> controls_;
};

// Arranges a window's Tab order when it is shown (its controls have their
// places then, pages and fields added since included), and what Return in
// one of its fields does.
class WindowKeeper : public QObject {
public:
    static WindowKeeper* Get() {
        static QPointer<WindowKeeper> keeper;
        if (!keeper) keeper = new WindowKeeper(QCoreApplication::instance());
        return keeper.data();
    }

protected:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType()) return false;
        auto* window = static_cast<QWidget*>(watched);
        if (!window->isWindow()) return false;
        if (event->type() == QEvent::Show) {
            ReadingTabOrder(window);
            NoteDefaultButtons(window);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) return PressDefault(window);
        }
        return false;
    }

private:
    // A dialog shown with no default button makes the first button in its
    // Tab order the default (and draws it so), so Return typed in a field
    // would press a pick list or Help button. Only a button made the default
    // before the window first showed is one; the others are kept from being
    // picked, and Return on one of them while it has the focus is given to
    // it here.
    static constexpr char kDefault[] = "quillonDefault";
    static constexpr char kNoted[] = "quillonDefaultsNoted";
    static void NoteDefaultButtons(QWidget* window) {
        if (window->property(kNoted).toBool()) return;
        window->setProperty(kNoted, true);
        for (QPushButton* b : window->findChildren<QPushButton*>()) {
            if (b->isDefault()) b->setProperty(kDefault, true);
            else b->setAutoDefault(false);
        }
    }
    // Return that reached the window: the focused button takes it, else the
    // noted default button, else nothing.
    static bool PressDefault(QWidget* window) {
        if (auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget())) {
            if (focused->window() == window && focused->isEnabled()) focused->click();
            return true;
        }
        for (QPushButton* b : window->findChildren<QPushButton*>())
            if (b->property(kDefault).toBool() && b->window() == window && b->isVisible()) {
                if (b->isEnabled()) b->click();
                return true;
            }
        return true;
    }
};

void ReadingTabOrder(QWidget* window) {
    // Toolbar buttons first, whichever order follows: a window keeping an
    // order of its own still has a keyboard user who must reach them.
    for (QToolBar* bar : window->findChildren<QToolBar*>())
        for (QAction* action : bar->actions())
            if (QWidget* button = action->isSeparator() ? nullptr : bar->widgetForAction(action);
                button && button->focusPolicy() == Qt::NoFocus)
                button->setFocusPolicy(Qt::TabFocus);
    // Chained again at every show: making a page or a field since then
    // (a tab widget moving its pages) may have changed the chain.
    if (const OwnTabOrder* own = OwnTabOrder::Of(window)) own->Apply();
    else ChainTabOrder(ReadingOrder(window));
}

}  // namespace

void KeepReadingTabOrder(QWidget* window) { window->installEventFilter(WindowKeeper::Get()); }

std::vector<QWidget*> ReadingOrder(QWidget* area) {
    // Pages not shown yet (a tab widget's others) are laid out too, so that
    // their controls have their places.
    for (QWidget* w : area->findChildren<QWidget*>())
        if (w->layout()) w->layout()->activate();
    QWidget* window = area->window();
    struct Control {
        QWidget* widget;
        QRect place;   // in the window
    };
    std::vector<Control> controls;
    for (QWidget* w = area->nextInFocusChain(); w && w != area; w = w->nextInFocusChain()) {
        // A control that hands its focus on (the line edit of a date field
        // or an editable list) goes with the one it hands it to.
        if (!area->isAncestorOf(w) || w->window() != window || w->focusProxy() || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        controls.push_back({w, QRect(w->mapTo(window, QPoint(0, 0)), w->size())});
    }
    // Controls whose tops lie within half a line of each other share a line.
    const int slack = std::max(4, area->fontMetrics().height() / 2);
    std::stable_sort(controls.begin(), controls.end(),
                     [](const Control& a, const Control& b) { return a.place.top() < b.place.top(); });
    for (auto line = controls.begin(); line != controls.end();) {
        const int top = line->place.top();
        auto end = std::find_if(line, controls.end(), [&](const Control& c) { return c.place.top() > top + slack; });
        std::stable_sort(line, end, [](const Control& a, const Control& b) { return a.place.left() < b.place.left(); });
        line = end;
    }
    std::vector<QWidget*> order;
    order.reserve(controls.size());
    for (const Control& c : controls) order.push_back(c.widget);
    return order;
}

void ChainTabOrder(const std::vector<QWidget*>& controls) {
    for (size_t i = 1; i < controls.size(); ++i) QWidget::setTabOrder(controls[i - 1], controls[i]);
}

void KeepTabOrder(QWidget* window, const std::vector<QWidget*>& controls) {
    delete OwnTabOrder::Of(window);
    (new OwnTabOrder(window, controls))->Apply();
}

std::vector<QPointer<QWidget>>& All() {
    static std::vector<QPointer<QWidget>> all;
    return all;
}

void Register(QWidget* window) {
    auto& all = All();
    all.erase(std::remove_if(all.begin(), all.end(), [](const QPointer<QWidget>& p) { return p.isNull(); }),
              all.end());
    all.emplace_back(window);
    KeepReadingTabOrder(window);
}

void UnloadAll() {
    // Copy first: closing a window may load or unload others.
    std::vector<QPointer<QWidget>> windows = All();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (QWidget* w = it->data()) {
            w->hide();
            delete w;
        }
    }
    All().clear();
}

void Centre(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size().isValid() ? window->frameGeometry().size() : window->size();
    window->move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

void Prepare(QWidget* window, const QSize& size) {
    Skin::ApplyCurrent(window);
    if (size.isValid()) window->resize(size);
    else window->adjustSize();
    Centre(window);
}

}  // namespace Forms

#pragma once
// The list bar's groups and items and the toolbar's buttons, with their
// pictures, the keys that press them and their place in the window's
// reading order. What a click does is the main window's dispatchers'
// business: each bar hands the clicked item's text or the button's key to
// the one function it is given.

#include <QString>
#include <functional>

class QTabWidget;
class QToolBar;
class QToolBox;
class QWidget;

namespace CommandBars {
// The four groups, each a list whose items a click, Return, Enter or Space
// chooses; the groups' captions open from the keyboard too.
void FillListBar(QToolBox* bar, const std::function<void(const QString&)>& chosen);
// The ten buttons, reachable by Tab, pressed by Space or Return.
void FillToolBar(QToolBar* bar, const std::function<void(const QString&)>& pressed);
// Tab reads the window: the toolbar, the page tabs, the list bar (each
// group's caption, then its items), then the pages' controls from
// `firstOfPages` on in the order they were made; a keyboard starts on the
// list bar's first item.
void ChainReadingOrder(QWidget* window, QToolBar* toolBar, QTabWidget* tabs, QToolBox* listBar, QWidget* firstOfPages);
}  // namespace CommandBars

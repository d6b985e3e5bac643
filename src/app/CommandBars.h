#pragma once
// The list bar's groups and items and the toolbar's buttons, with their
// pictures and the keys that press them. What a click does is the main
// window's dispatchers' business: each bar hands the clicked item's text or
// the button's key to the one function it is given.

#include <QString>
#include <functional>

class QToolBar;
class QToolBox;

namespace CommandBars {
// The four groups, each a list whose items a click, Return, Enter or Space
// chooses; the groups' captions open from the keyboard too.
void FillListBar(QToolBox* bar, const std::function<void(const QString&)>& chosen);
// The ten buttons, reachable by Tab, pressed by Space or Return.
void FillToolBar(QToolBar* bar, const std::function<void(const QString&)>& pressed);
}  // namespace CommandBars

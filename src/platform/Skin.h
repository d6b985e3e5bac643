#pragma once
// Window skins are Qt style sheets. The skin in use is "current.skm" in the
// per-user data folder (or, when the user never chose one, beside the
// program); a missing file leaves the window with the desktop's own look.

#include <QString>

class QWidget;

namespace Skin {
QString CurrentSkinPath();
// Loads the current skin and applies it to the window; false when none.
bool ApplyCurrent(QWidget* window);
}

#pragma once
// Window skins are Qt style sheets kept in files with the extension ".skn".
// The skin in use is a copy named "current.skm" in the per-user data folder
// (the program's own folder is not writable once installed); every window
// applies it when it loads. A missing file leaves the desktop's own look.

#include <QString>

class QWidget;

namespace Skin {
// Where "current.skm" is written and read.
QString CurrentSkinPath();
// The folder the shipped skins lie in (beside the program).
QString ShippedSkinsFolder();
// Loads the current skin and applies it to the window; false when none.
bool ApplyCurrent(QWidget* window);
// Dresses the window in a skin's style sheet, first undoing what the skin it
// wore before set (a bold font stays with the inner fields of date, time and
// combo boxes otherwise).
void Apply(QWidget* window, const QString& styleSheet);
// Reads a skin file's style sheet; false with the reason when it cannot be
// read or is not text.
bool Load(const QString& path, QString* styleSheet, QString* error);
// Makes the skin at `path` the current one: copies it to CurrentSkinPath()
// (nothing to copy when it is that file already). False with the reason.
bool MakeCurrent(const QString& path, QString* error);
}

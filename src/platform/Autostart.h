#pragma once
// Starting the program when the user logs on: the freedesktop autostart
// entry "quillon.desktop" in $XDG_CONFIG_HOME/autostart (~/.config/autostart
// when unset), which every Linux desktop reads at log-on.

#include <QString>

namespace Autostart {
QString EntryPath();
// The entry's text for a program at `program` (a real path; quoted as the
// desktop-entry format requires).
QByteArray EntryText(const QString& program);
// Writes the entry for this program (safely); false with the reason told in
// *error when it cannot be written.
bool Enable(QString* error = nullptr);
// Removes the entry; true when no entry is left.
bool Disable(QString* error = nullptr);
// Quotes one argument of an Exec line.
QString QuoteExecArgument(const QString& argument);
}

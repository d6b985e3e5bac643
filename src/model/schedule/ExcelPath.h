#pragma once
// Where the spreadsheet program is. The export opens its sheet in the
// program whose full path is stored as `excelpath` (key Settings); the
// lookup finds it from the desktop's default application for spreadsheets
// and, failing that, from the usual spreadsheet programs on the PATH.

#include <QString>
#include <QStringList>

namespace ExcelPath {

// The two spreadsheet types the lookup asks the desktop about, in order.
QStringList SpreadsheetTypes();
// The programs tried on the PATH when the desktop names none, in order.
QStringList KnownPrograms();

// The folders programs are looked for in (bare program names of Exec and
// TryExec lines, the known programs); empty, the default, means the PATH.
// Tests point it at folders of their own.
void SetSearchPath(const QStringList& folders);

// The program of a desktop Exec command line: quotes and escapes honoured,
// an "env VAR=value" prefix skipped, field codes (%U, %f...) and the
// arguments dropped; a bare name is looked up on the PATH. "" when the line
// names no program that exists.
QString CommandExecutable(const QString& commandLine);

// The desktop file id the desktop opens a type with ("" when none), read
// from the mimeapps.list files as the desktop reads them: the user's
// configuration before the system's before the application folders, the
// current desktop's own list before the common one in each, every list's
// [Default Applications] before any list's [Added Associations] (less those
// a list of the same or more weight removes), and only applications that
// are installed. Only files are read; no program is run, so start-up never
// waits on the desktop.
QString DefaultDesktopFile(const QString& mimeType);
// The full path of a desktop file id in the XDG application folders.
QString DesktopFilePath(const QString& desktopId);

// The full path of the program the desktop opens this type with ("" when
// none is found).
QString GetServerPath(const QString& mimeType);
// The spreadsheet program: the desktop's default for either type, then the
// known programs on the PATH; "" when there is none.
QString GetExcelPath();

// The stored path (registry value `excelpath`) and its write.
QString Stored();
bool Store(const QString& path);

}  // namespace ExcelPath

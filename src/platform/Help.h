#pragma once
// The help: one HTML page shipped beside the program ("quillontask.html"),
// with one anchor per help context number. Every Help button and the Help
// menu open it through here, so a missing file or a desktop without a
// browser is said in one way everywhere.

#include <QString>

namespace Help {

// The context numbers the windows pass; the shipped page has an anchor
// (id="<number>") for each.
enum Context : int {
    TaskEditor = 1003,
    Recurrence = 1007,
    MailSetup = 1011,
    SendMailAndBackup = 1012,
    RestoreAndAddressBook = 1013,
    AlertSettings = 1014,
};

// The help page shipped with the program.
QString HelpFile();
// The address that opens the page at a context (0: the top of the page).
QString HelpUrl(int context);
// A small page of our own (in the per-user data folder) that forwards to
// HelpUrl(context): opened by its path, it reaches the section also where
// the desktop's opener drops the "#" part of a file address (xdg-open does
// where it knows no desktop). Empty, with the reason, when it cannot be
// written.
QString SectionPage(int context, QString* error = nullptr);
// Opens the page (at the context, when one is given). A page that is
// missing or cannot be opened is said in a message; false then.
bool Show(int context = 0);

// The program's web page, as the Help menu and the About box open it.
QString WebPageUrl();
bool ShowWebPage();
}

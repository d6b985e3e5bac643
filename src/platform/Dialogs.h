#pragma once
// Message boxes, input boxes and the common dialogs, behind one interface so
// that tests install a scripted one and no test ever waits on a modal window.

#include <QColor>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

// Message box styles and answers as the windows pass and test them.
namespace vb {
enum MsgStyle : int {
    vbOKOnly = 0, vbOKCancel = 1, vbAbortRetryIgnore = 2, vbYesNoCancel = 3,
    vbYesNo = 4, vbRetryCancel = 5,
    vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
    vbDefaultButton2 = 256, vbDefaultButton3 = 512,
};
enum MsgResult : int {
    vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7,
};
}

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual int MsgBox(const QString& prompt, int style, const QString& title) = 0;
    // The text typed (std::nullopt when cancelled) that `accept`, where
    // given, took: it is asked on OK and, when it says no (after telling
    // the user why), the box stays open with the text to be mended.
    using Acceptance = std::function<bool(const QString& text)>;
    virtual std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText, const Acceptance& accept = {}) = 0;
    // Filters as Qt writes them: "Quillon Task (*.vkt)". "" when cancelled.
    virtual QString OpenFileName(const QString& title, const QString& filter,
                                 const QString& folder) = 0;
    virtual QString SaveFileName(const QString& title, const QString& filter,
                                 const QString& folder) = 0;
    virtual QString FolderName(const QString& title, const QString& folder) = 0;
    virtual std::optional<QColor> Color(const QColor& initial, const QString& title) = 0;
    // A question with buttons of its own captions: the index of the button
    // chosen; `escapeButton` when the box is closed without one.
    virtual int Choose(const QString& prompt, const QString& title, const QStringList& buttons,
                       int defaultButton, int escapeButton);
    // The print dialog over `printer`, which comes set up (printer or PDF
    // file, paper, orientation); the user may change any of it, the copies
    // and the pages printed (of 1 to `pageCount`). True when the user chose
    // to print, with the printer as the user left it.
    virtual bool PrintDialog(QPrinter& printer, int pageCount, const QString& title);

    // The installed instance: the program installs QtDialogs at start, tests
    // their scripted ones. Before that, every question takes its default.
    static Dialogs& Get();
    static void Install(std::unique_ptr<Dialogs> dialogs);
    // The window dialogs are parented to: the active window, else the one
    // set (the main window once it exists); these two live with QtDialogs,
    // in the widget layer.
    static void SetParentWindow(QWidget* parent);
    static QWidget* ParentWindow();
};

namespace Quillon {
// The program's name as every message box and window title shows it.
inline const QString kTitle = QStringLiteral("Quillon");
}

// Shorthands used everywhere.
int MsgBox(const QString& prompt, int style = vb::vbOKOnly, const QString& title = Quillon::kTitle);
// How many lines of a list a message box names, so that a long list still
// leaves its buttons on the screen.
inline constexpr int kNamedInMessage = 15;
// A list for a message box, one line each: the first kNamedInMessage, then
// "... and N more".
QStringList MessageLines(const QStringList& lines);

// The real dialogs (QtDialogs.cpp, in the widget layer).
class QtDialogs : public Dialogs {
public:
    int MsgBox(const QString& prompt, int style, const QString& title) override;
    std::optional<QString> InputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText, const Acceptance& accept = {}) override;
    QString OpenFileName(const QString& title, const QString& filter, const QString& folder) override;
    QString SaveFileName(const QString& title, const QString& filter, const QString& folder) override;
    QString FolderName(const QString& title, const QString& folder) override;
    std::optional<QColor> Color(const QColor& initial, const QString& title) override;
    int Choose(const QString& prompt, const QString& title, const QStringList& buttons, int defaultButton,
               int escapeButton) override;
    bool PrintDialog(QPrinter& printer, int pageCount, const QString& title) override;
};

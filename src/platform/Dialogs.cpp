#include "platform/Dialogs.h"

#include <QDebug>

namespace {
std::unique_ptr<Dialogs> g_dialogs;

// Until a program installs its dialogs (the real ones or a test's scripted
// ones) nobody can answer: each question takes its default answer, logged.
class UnattendedDialogs : public Dialogs {
public:
    int MsgBox(const QString& prompt, int style, const QString& title) override {
        qWarning().noquote() << "unanswered message:" << title << "-" << prompt;
        switch (style & 7) {
        case vb::vbOKCancel: return (style & vb::vbDefaultButton2) ? vb::vbCancel : vb::vbOK;
        case vb::vbYesNo:
        case vb::vbYesNoCancel: return (style & vb::vbDefaultButton2) ? vb::vbNo : vb::vbYes;
        case vb::vbRetryCancel: return vb::vbCancel;
        case vb::vbAbortRetryIgnore: return vb::vbAbort;
        default: return vb::vbOK;
        }
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&, const Acceptance&) override {
        return std::nullopt;
    }
    QString OpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString FolderName(const QString&, const QString&) override { return {}; }
    std::optional<QColor> Color(const QColor&, const QString&) override { return std::nullopt; }
};
}  // namespace

Dialogs& Dialogs::Get() {
    if (!g_dialogs) g_dialogs = std::make_unique<UnattendedDialogs>();
    return *g_dialogs;
}

void Dialogs::Install(std::unique_ptr<Dialogs> dialogs) { g_dialogs = std::move(dialogs); }

int MsgBox(const QString& prompt, int style, const QString& title) {
    return Dialogs::Get().MsgBox(prompt, style, title);
}

QStringList MessageLines(const QStringList& lines) {
    QStringList shown = lines.mid(0, kNamedInMessage);
    if (lines.size() > kNamedInMessage) shown << QStringLiteral("... and %1 more").arg(lines.size() - kNamedInMessage);
    return shown;
}

// Unattended, the way out: a caller that asks again until answered never
// spins.
int Dialogs::Choose(const QString&, const QString&, const QStringList&, int, int escapeButton) {
    return escapeButton;
}

// Unattended, the dialog's default button: print, on the printer it opened on.
bool Dialogs::PrintDialog(QPrinter&, int, const QString&) { return true; }

#include "platform/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace {
QPointer<QWidget> g_parent;
}

void Dialogs::SetParentWindow(QWidget* parent) { g_parent = parent; }
QWidget* Dialogs::ParentWindow() {
    // Over the window the user works in (the backup window, an editor), so
    // that closing the box gives that window the focus back instead of
    // raising the main window over it.
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible()) return active;
    return g_parent.data();
}

int QtDialogs::MsgBox(const QString& prompt, int style, const QString& title) {
    QMessageBox box(Dialogs::ParentWindow());
    box.setWindowTitle(title);
    box.setText(prompt);
    switch (style & 0x70) {
    case vb::vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vb::vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vb::vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vb::vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    struct B { QMessageBox::StandardButton button; int answer; };
    std::vector<B> buttons;
    switch (style & 7) {
    case vb::vbOKCancel: buttons = {{QMessageBox::Ok, vb::vbOK}, {QMessageBox::Cancel, vb::vbCancel}}; break;
    case vb::vbAbortRetryIgnore:
        buttons = {{QMessageBox::Abort, vb::vbAbort}, {QMessageBox::Retry, vb::vbRetry}, {QMessageBox::Ignore, vb::vbIgnore}};
        break;
    case vb::vbYesNoCancel:
        buttons = {{QMessageBox::Yes, vb::vbYes}, {QMessageBox::No, vb::vbNo}, {QMessageBox::Cancel, vb::vbCancel}};
        break;
    case vb::vbYesNo: buttons = {{QMessageBox::Yes, vb::vbYes}, {QMessageBox::No, vb::vbNo}}; break;
    case vb::vbRetryCancel: buttons = {{QMessageBox::Retry, vb::vbRetry}, {QMessageBox::Cancel, vb::vbCancel}}; break;
    default: buttons = {{QMessageBox::Ok, vb::vbOK}}; break;
    }
    for (const auto& b : buttons) box.addButton(b.button);
    size_t def = (style & vb::vbDefaultButton3) ? 2 : (style & vb::vbDefaultButton2) ? 1 : 0;
    if (def >= buttons.size()) def = 0;
    box.setDefaultButton(buttons[def].button);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const auto& b : buttons)
        if (b.button == clicked) return b.answer;
    // Closed with Escape or the title bar: Cancel where there is one.
    for (const auto& b : buttons)
        if (b.answer == vb::vbCancel || b.answer == vb::vbNo) return b.answer;
    return buttons.front().answer;
}

namespace {
// OK closes the box only on a text its asker takes.
class CheckedInput : public QInputDialog {
public:
    CheckedInput(QWidget* parent, Dialogs::Acceptance accept) : QInputDialog(parent), accept_(std::move(accept)) {}
    void done(int result) override {
        if (result == QDialog::Accepted && accept_ && !accept_(textValue())) return;
        QInputDialog::done(result);
    }

private:
    Dialogs::Acceptance accept_;
};
}  // namespace

std::optional<QString> QtDialogs::InputBox(const QString& prompt, const QString& title,
                                           const QString& defaultText, const Acceptance& accept) {
    CheckedInput box(Dialogs::ParentWindow(), accept);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    box.setTextValue(defaultText);
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.textValue();
}

QString QtDialogs::OpenFileName(const QString& title, const QString& filter, const QString& folder) {
    return QFileDialog::getOpenFileName(Dialogs::ParentWindow(), title, folder, filter);
}

QString QtDialogs::SaveFileName(const QString& title, const QString& filter, const QString& folder) {
    return QFileDialog::getSaveFileName(Dialogs::ParentWindow(), title, folder, filter);
}

QString QtDialogs::FolderName(const QString& title, const QString& folder) {
    return QFileDialog::getExistingDirectory(Dialogs::ParentWindow(), title, folder);
}

std::optional<QColor> QtDialogs::Color(const QColor& initial, const QString& title) {
    const QColor c = QColorDialog::getColor(initial, Dialogs::ParentWindow(), title);
    if (!c.isValid()) return std::nullopt;
    return c;
}

int QtDialogs::Choose(const QString& prompt, const QString& title, const QStringList& buttons, int defaultButton,
                      int escapeButton) {
    QMessageBox box(Dialogs::ParentWindow());
    box.setWindowTitle(title);
    box.setText(prompt);
    box.setIcon(QMessageBox::Warning);
    QList<QAbstractButton*> made;
    for (int i = 0; i < buttons.size(); ++i) {
        const auto role = i == escapeButton ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        made << box.addButton(buttons[i], role);
    }
    if (defaultButton >= 0 && defaultButton < made.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(made[defaultButton]));
    if (escapeButton >= 0 && escapeButton < made.size()) box.setEscapeButton(made[escapeButton]);
    box.exec();
    const int chosen = int(made.indexOf(box.clickedButton()));
    return chosen >= 0 ? chosen : escapeButton;
}

bool QtDialogs::PrintDialog(QPrinter& printer, int pageCount, const QString& title) {
    QPrintDialog dialog(&printer, Dialogs::ParentWindow());
    dialog.setWindowTitle(title);
    dialog.setMinMax(1, std::max(1, pageCount));
    dialog.setFromTo(0, 0);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

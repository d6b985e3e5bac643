#include "support/Keyboard.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace TestKeys {

namespace {
// Whether the character is typed with Shift on a US layout.
bool NeedsShift(QChar c) { return c.isUpper() || QStringLiteral("~!@#$%^&*()_+{}|:\"<>?").contains(c); }
}  // namespace

void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        // With the Shift modifier QTest sends the Shift press first and the
        // Shift release last, as separate key events around the character.
        QTest::keyClick(widget, c.toLatin1(), NeedsShift(c) ? Qt::ShiftModifier : Qt::NoModifier);
    }
}

void PressAlone(QWidget* widget, Qt::Key key) {
    QTest::sendKeyEvent(QTest::Click, widget, key, QString(), Qt::NoModifier);
}

QWidget* Focused() {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget();
}

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    if (QWidget* w = Focused()) QTest::keyClick(w, key, modifiers);
}

void TypeHere(const QString& text) {
    if (QWidget* w = Focused()) Type(w, text);
}

bool TabTo(const QWidget* target, int most) {
    for (int i = 0; i <= most; ++i) {
        QWidget* now = Focused();
        if (now && (now == target || target->isAncestorOf(now))) return true;
        if (!now) return false;
        QTest::keyClick(now, Qt::Key_Tab);
    }
    return false;
}

}  // namespace TestKeys

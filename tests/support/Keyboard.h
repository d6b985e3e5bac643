#pragma once
// Typing as a person does on a US keyboard: a character that needs Shift
// (a capital, ":", "?", ...) comes with its own Shift press before it and
// Shift release after it. QTest::keyClicks sends no Shift at all, so a field
// that mishandles the Shift key passes a test typed with it.

#include <QString>
#include <Qt>

class QWidget;

namespace TestKeys {
// Types the (ASCII) text into the widget, key by key.
void Type(QWidget* widget, const QString& text);
// Presses and releases a key that types nothing (a modifier, Caps Lock).
void PressAlone(QWidget* widget, Qt::Key key);

// Where the keyboard types now: the open pop-up menu, else the focused
// widget of the active window (nullptr when none has the focus).
QWidget* Focused();
// A key (with its modifier presses) to whatever has the focus.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void TypeHere(const QString& text);
// Presses Tab until `target` (or a widget inside it, the line edit of an
// editable list) has the focus; false after `most` presses without.
bool TabTo(const QWidget* target, int most = 100);
}

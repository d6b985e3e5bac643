#pragma once
// Typing as a person does on a US keyboard: a character that needs Shift
// (a capital, ":", "?", ...) comes with its own Shift press before it and
// Shift release after it. QTest::keyClicks sends no Shift at all, so a field
// that mishandles the Shift key passes a test typed with it.

#include <QString>
#include <Qt>

class QWidget;

namespace TestKeys {
// Whether the character is typed with Shift on a US layout.
bool NeedsShift(QChar c);
// Types the (ASCII) text into the widget, key by key.
void Type(QWidget* widget, const QString& text);
// Presses and releases a key that types nothing (a modifier, Caps Lock).
void PressAlone(QWidget* widget, Qt::Key key);
}

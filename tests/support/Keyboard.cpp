#include "support/Keyboard.h"

#include <QTest>
#include <QWidget>

namespace TestKeys {

bool NeedsShift(QChar c) {
    return c.isUpper() || QStringLiteral("~!@#$%^&*()_+{}|:\"<>?").contains(c);
}

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

}  // namespace TestKeys

#pragma once
// An option button of an exclusive group that stays a Tab stop of its own.
// Qt gives the Tab stop of such a group to the focused button alone, so Tab
// would skip the others; where a window's order names each option, each
// must keep it. Everything else is the plain option button's: it is read
// out as an option (radio) button and the arrow keys move the choice.

#include <QRadioButton>

class OptionButton : public QRadioButton {
public:
    explicit OptionButton(const QString& text, QWidget* parent = nullptr) : QRadioButton(text, parent) {}

protected:
    void focusInEvent(QFocusEvent* event) override;
};

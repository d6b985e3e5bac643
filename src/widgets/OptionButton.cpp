#include "widgets/OptionButton.h"

void OptionButton::focusInEvent(QFocusEvent* event) {
    // The base class takes the Tab stop from the group's other buttons here.
    QRadioButton::focusInEvent(event);
    if (!parentWidget()) return;
    for (auto* sibling : parentWidget()->findChildren<OptionButton*>(Qt::FindDirectChildrenOnly))
        if (sibling->autoExclusive()) sibling->setFocusPolicy(Qt::FocusPolicy(sibling->focusPolicy() | Qt::TabFocus));
}

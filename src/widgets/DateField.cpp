#include "widgets/DateField.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/DateText.h"

namespace {

// Keys that only change what the next key types (Shift for ":" or a
// capital, AltGr for "/" on many layouts) or lock a case: pressing one
// is part of typing, never the end of it.
bool IsModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

template <class Base>
class WholeTyped : public Base {
public:
    using Base::Base;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (typing_ && IsModifierKey(event->key())) {
            event->accept();
            return;
        }
        const QString text = event->text();
        // AltGr arrives as the group switch: its characters are typed ones.
        const bool plain =
            !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier));
        const bool printable = plain && !text.isEmpty() && text.at(0).isPrint();
        if (!typing_) {
            QLineEdit* edit = Base::lineEdit();
            if (printable && edit->hasSelectedText() && edit->selectedText() == edit->text()) {
                typing_ = true;
                typed_ = text;
                Show();
                return;
            }
            if (IsModifierKey(event->key())) {
                PassOn(event);
                return;
            }
            // A section that took its last possible digit moves on by itself;
            // the separator the user types after it is that same move, not a
            // second one into the section after.
            const bool separator = printable && !text.at(0).isLetterOrNumber();
            if (separator && movedOn_) {
                movedOn_ = false;
                event->accept();
                return;
            }
            const auto section = Base::currentSection();
            PassOn(event);
            movedOn_ = printable && !separator && Base::currentSection() != section;
            return;
        }
        switch (event->key()) {
        case Qt::Key_Escape:
            Cancel();
            return;
        case Qt::Key_Backspace:
            typed_.chop(1);
            Show();
            return;
        default:
            break;
        }
        if (printable) {
            typed_ += text;
            Show();
            return;
        }
        // Enter, Tab, the arrows: the typing ends there.
        Commit();
        PassOn(event);
    }

    void focusOutEvent(QFocusEvent* event) override {
        Commit();
        Base::focusOutEvent(event);
    }

    void mousePressEvent(QMouseEvent* event) override {
        Commit();
        Base::mousePressEvent(event);
    }

    // Tab goes on to the next control, as from any field; the cursor keys
    // and the typed separators ("5/6/2028" typed section by section) move
    // between the sections, and leave the field only past its last one.
    bool focusNextPrevChild(bool next) override {
        if (betweenSections_) return Base::focusNextPrevChild(next);
        return QWidget::focusNextPrevChild(next);
    }

    QValidator::State validate(QString& input, int& pos) const override {
        // The typed text is read whole at the end, not section by section.
        if (typing_) return QValidator::Intermediate;
        return Base::validate(input, pos);
    }

private:
    void PassOn(QKeyEvent* event) {
        betweenSections_ = event->key() != Qt::Key_Tab && event->key() != Qt::Key_Backtab;
        Base::keyPressEvent(event);
        betweenSections_ = false;
    }

    void Show() { Base::lineEdit()->setText(typed_); }

    void Cancel() {
        typing_ = false;
        Base::lineEdit()->setText(Base::textFromDateTime(Base::dateTime()));
    }

    void Commit() {
        if (!typing_) return;
        const QString typed = typed_.trimmed();
        Cancel();
        Apply(typed);
    }

    void Apply(const QString& typed);

    bool typing_ = false;
    bool betweenSections_ = false;
    bool movedOn_ = false;   // the last digit typed moved to the next section
    QString typed_;
};

template <>
void WholeTyped<QDateEdit>::Apply(const QString& typed) {
    std::optional<QDate> date = DateText::ParseDate(typed);
    if (!date)
        if (auto dt = DateText::ParseDateTime(typed)) date = dt->date();
    if (date && date->isValid() && *date >= minimumDate() && *date <= maximumDate()) setDate(*date);
    else QApplication::beep();
}

template <>
void WholeTyped<QTimeEdit>::Apply(const QString& typed) {
    std::optional<QTime> time = DateText::ParseTime(typed);
    if (!time)
        if (auto dt = DateText::ParseDateTime(typed)) time = dt->time();
    if (time && time->isValid()) setTime(*time);
    else QApplication::beep();
}

}  // namespace

QDateEdit* NewDateField(QWidget* parent) {
    auto* field = new WholeTyped<QDateEdit>(parent);
    field->setCalendarPopup(true);
    field->setDisplayFormat(DateText::DateFormat());
    return field;
}

QTimeEdit* NewTimeField(QWidget* parent) {
    auto* field = new WholeTyped<QTimeEdit>(parent);
    field->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return field;
}

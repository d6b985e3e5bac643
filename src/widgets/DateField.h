#pragma once
// The date and time fields of every window. Beyond the section-by-section
// editing of QDateEdit/QTimeEdit, a field whose whole text is selected takes
// what is typed next as one whole text, read when the typing ends (Enter,
// Tab, a click elsewhere): "2027-01-02" or the user's own short date become
// that date, instead of the digits being spread over the sections of the
// display format. A text that is no date or time puts the field back.
// Tab leaves the field for the next control; the cursor keys and the typed
// separators move between its sections.

#include <QDateEdit>
#include <QTimeEdit>

// A date field in the program's date format, with the calendar pop-up.
QDateEdit* NewDateField(QWidget* parent = nullptr);
// A time field showing HH:mm:ss.
QTimeEdit* NewTimeField(QWidget* parent = nullptr);

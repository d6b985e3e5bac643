#pragma once
// Dates and times as the task grid stores them: the user's short date with a
// four-digit year, times as HH:mm:ss. Reading accepts that form, the
// locale's own forms and ISO 8601, so a change of locale never makes stored
// dates unreadable. Uses QLocale() (the default locale: the desktop's, from
// LC_ALL, else LC_TIME, else LANG, unless a test sets another).
//
// Text written under one locale and read under another (03.04.2027 is
// 3 April day first, 4 March month first) is read by the form that wrote
// it: a task database records its forms, and Recast reads a cell in that
// form's order and writes it in the current one.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>
#include <string>

namespace DateText {
// The numeric short-date format in use ("MM/dd/yyyy", "dd.MM.yyyy", ...).
QString DateFormat();
// The form times are written in, under every locale.
QString TimeFormat();

// The order of day, month and year in a numeric date form.
enum class Order { MonthFirst, DayFirst, YearFirst };
Order CurrentOrder();
// The order of a date form as DateFormat gives it (or another locale's
// gave it); nothing when it is not a numeric form this reader writes.
std::optional<Order> OrderOfForm(const QString& dateForm);
// A time form as a file may record it ("HH:mm:ss", "h:mm:ss AP").
bool IsTimeForm(const QString& timeForm);

QString FormatDate(const QDate& date);
QString FormatTime(const QTime& time);
// VB's general date: the date, plus the time when it is not midnight.
QString FormatGeneral(const QDateTime& dateTime);

std::optional<QDate> ParseDate(const QString& text);
std::optional<QDate> ParseDateUtf8(std::string_view text);   // fast path for grid passes
std::optional<QTime> ParseTime(const QString& text);
std::optional<QDateTime> ParseDateTime(const QString& text);
// A date with its time of day (midnight when the text names a date alone),
// as the wall-clock time it names: no time zone is looked up, which keeps
// passes over many rows fast.
struct LocalDateTime {
    QDate date;
    QTime time;
};
std::optional<LocalDateTime> ParseLocalUtf8(std::string_view text);
// Cells read by the numeric pattern of an order alone (no locale forms, no
// guessing), cheap enough for a pass over every date cell of a large grid.
// The orders a cell reads in as a date, with its time when one follows
// (OrderBit of each; 0 for none).
constexpr unsigned OrderBit(Order order) { return 1u << int(order); }
unsigned OrdersOf(std::string_view text);
// A cell written in `order` (a date, with its time when one follows) in the
// current form, into `out`; false when it does not read in that order.
bool Recast(std::string_view text, Order order, std::string& out);

// Dates kept in settings: ISO 8601, the same under every locale.
QString FormatSettingDate(const QDate& date);
// Reads what FormatSettingDate wrote, and the values older versions wrote
// in the locale of their day: in the current order, or where that does not
// read, in another.
std::optional<QDate> ParseSettingDate(const QString& text);
// Re-reads the locale (after QLocale::setDefault).
void ResetCache();
}

#pragma once
// Dates and times as the task grid stores them: the user's short date with a
// four-digit year, times as HH:mm:ss. Reading accepts that form, the
// locale's own forms and ISO 8601, so a change of locale never makes stored
// dates unreadable. Uses QLocale() (the default locale, which tests set).

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>
#include <string>

namespace DateText {
// The numeric short-date format in use ("MM/dd/yyyy", "dd.MM.yyyy", ...).
QString DateFormat();
QString FormatDate(const QDate& date);
QString FormatTime(const QTime& time);
// VB's general date: the date, plus the time when it is not midnight.
QString FormatGeneral(const QDateTime& dateTime);

std::optional<QDate> ParseDate(const QString& text);
std::optional<QDate> ParseDateUtf8(const std::string& text);   // fast path for grid passes
std::optional<QTime> ParseTime(const QString& text);
std::optional<QDateTime> ParseDateTime(const QString& text);
// A date with its time of day (midnight when the text names a date alone),
// as the wall-clock time it names: no time zone is looked up, which keeps
// passes over many rows fast.
struct LocalDateTime {
    QDate date;
    QTime time;
};
std::optional<LocalDateTime> ParseLocalUtf8(const std::string& text);
// Re-reads the locale (after QLocale::setDefault).
void ResetCache();
}

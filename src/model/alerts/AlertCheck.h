#pragma once
// The timed alert: which tasks fall due, how the user is told, and when the
// check runs. Plain logic over the task grid, with the time handed in, so
// that nothing here waits on a real clock.
//
// Settings under "Software\Quillon\Settings", all text:
//   AlertTime  time of day of the check, written as HH:mm:ss (older forms
//              such as "7:30:15 AM" still read)
//   AlertDays  days ahead, compared as exact text: "2" matches, "02" and
//              " 2" match nothing
//   AlertTray  "True": the notifier pops up
//   AlertMail  "True" (and AlertTray not): the alert sheet is mailed

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>
#include <functional>
#include <optional>

#include "platform/Grid.h"

namespace Alerts {

struct Settings {
    QString days;   // AlertDays
    QString tray;   // AlertTray
    QString mail;   // AlertMail
};
Settings ReadSettings();

// The Alert On / Alert Off switch reads as the number 1.
bool SwitchOn(const QString& alertSwitch);

// The day count a setting names: only the plain decimal text of a number
// ("0", "3", "-1") counts.
std::optional<int> DayCount(const QString& days);

// Gives the status "Alert" to every task whose Scheduled Start lies exactly
// `days` calendar days after `today` (times of day play no part), hidden
// rows included. Complete and Canceled tasks keep their status: clearing
// the alerts later would otherwise make them "Ready". Returns the number of
// rows marked; saves nothing.
int MarkDue(Grid& grid, const QString& days, const QDate& today);

enum class Notice { None, Tray, Mail };
// The notifier when tray notification is chosen, else the mail when that
// is; nobody when no row was marked.
Notice ChooseNotice(bool found, const Settings& settings);

std::optional<QTime> ParseAlertTime(const QString& text);
QString FormatAlertTime(const QTime& time);

// Decides on each tick whether the check is due: once when the clock passes
// the alert time, once a day for each alert time, so a time changed or set
// again after the day's alert fires when it comes, and never twice for the
// same time on one day. A tick that comes late (a busy or sleeping machine,
// a box kept open) still fires; time before the clock was started is not
// caught up.
class AlertClock {
public:
    bool Due(const QDateTime& now, const std::optional<QTime>& at);
    // The timer starts anew: the first tick fires only inside the alert second.
    void Restart() { last_.reset(); }
    // The timer starts anew, counting from `since`: an alert time passed
    // after that moment fires at the first tick.
    void StartFrom(const QDateTime& since);

private:
    std::optional<QDateTime> last_;
    // The alert times that have fired, by day; only the last two days are kept.
    QList<QDateTime> fired_;
};

// The alert timer's tick: reads AlertTime (from the settings file only when
// that has changed since the last tick) and asks the AlertClock.
class AlertTimer {
public:
    using Clock = std::function<QDateTime()>;
    AlertTimer();
    void SetClock(Clock clock);
    QDateTime Now() const;
    // The clock counts from `since` (an invalid one: from now).
    void Start(const QDateTime& since = QDateTime()) { clock_.StartFrom(since.isValid() ? since : now_()); }
    bool Tick();

private:
    Clock now_;
    AlertClock clock_;
    QByteArray stamp_;
    bool read_ = false;
    QString text_;
    std::optional<QTime> at_;
};

}  // namespace Alerts

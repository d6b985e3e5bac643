#include "model/alerts/AlertCheck.h"

#include <QRegularExpression>

#include "model/database/PastDue.h"
#include "model/database/RowProgress.h"
#include "model/database/TaskViews.h"
#include "platform/DateText.h"
#include "platform/Registry.h"

namespace Alerts {

namespace {
const QString kKey = QStringLiteral("Settings");
const QString kTrue = QStringLiteral("True");
}

Settings ReadSettings() {
    return {::Settings::Get(kKey, QStringLiteral("AlertDays")), ::Settings::Get(kKey, QStringLiteral("AlertTray")),
            ::Settings::Get(kKey, QStringLiteral("AlertMail"))};
}

bool SwitchOn(const QString& alertSwitch) {
    bool ok = false;
    const double value = alertSwitch.trimmed().toDouble(&ok);
    return ok && value == 1.0;
}

std::optional<int> DayCount(const QString& days) {
    bool ok = false;
    const int n = days.toInt(&ok);
    if (!ok || QString::number(n) != days) return std::nullopt;
    return n;
}

int MarkDue(Grid& grid, const QString& days, const QDate& today) {
    const std::optional<int> count = DayCount(days);
    if (!count || !today.isValid()) return 0;
    const QDate target = today.addDays(*count);
    if (!target.isValid()) return 0;
    TaskPass::RedrawHold<Grid> hold(grid);
    int marked = 0;
    const int last = grid.Rows() - 1;
    for (int r = 1; r <= last; ++r) {
        const std::string_view status = grid.TextUtf8(r, Col::Status);
        if (status == TaskStatus::kComplete || status == TaskStatus::kCanceled) continue;
        const std::optional<QDate> start = PastDue::StartDay(grid.TextUtf8(r, Col::ScheduledStart));
        if (!start || *start != target) continue;
        if (status != TaskStatus::kAlert) grid.SetTextUtf8(r, Col::Status, TaskStatus::kAlert);
        ++marked;
    }
    return marked;
}

Notice ChooseNotice(bool found, const Settings& settings) {
    if (!found) return Notice::None;
    if (settings.tray == kTrue) return Notice::Tray;
    if (settings.mail == kTrue) return Notice::Mail;
    return Notice::None;
}

std::optional<QTime> ParseAlertTime(const QString& text) {
    if (auto t = DateText::ParseTime(text)) return t;
    // The locale's long form carries a time zone after the time
    // ("7:30:15 AM Central European Time"): the time before it still counts.
    static const QRegularExpression lead(QStringLiteral("^\\s*(\\d{1,2}:\\d{2}(?::\\d{2})?(?:\\s*[AaPp][Mm])?)\\b"));
    const QRegularExpressionMatch m = lead.match(text);
    if (m.hasMatch()) return DateText::ParseTime(m.captured(1));
    return std::nullopt;
}

QString FormatAlertTime(const QTime& time) { return DateText::FormatTime(time); }

bool AlertClock::Due(const QDateTime& now, const std::optional<QTime>& at) {
    const std::optional<QDateTime> last = last_;
    last_ = now;
    if (!at || !at->isValid() || !now.isValid()) return false;
    const QTime second(at->hour(), at->minute(), at->second());
    QDateTime latest(now.date(), second);   // the last alert second begun by now
    if (latest > now) latest = latest.addDays(-1);
    if (!last) {
        if (latest.msecsTo(now) >= 1000) return false;
    } else {
        if (now <= *last) return false;   // the clock was set back
        if (latest <= *last) return false;
    }
    if (fired_.contains(latest)) return false;
    const QDate keepFrom = latest.date().addDays(-1);
    fired_.removeIf([&](const QDateTime& t) { return t.date() < keepFrom; });
    fired_.append(latest);
    return true;
}

void AlertClock::StartFrom(const QDateTime& since) {
    // An alert second that had begun but not ended at `since` still counts.
    if (since.isValid())
        last_ = since.addMSecs(-1000);
    else
        last_.reset();
}

AlertTimer::AlertTimer() : now_([] { return QDateTime::currentDateTime(); }) {}

void AlertTimer::SetClock(Clock clock) {
    now_ = clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); });
}

QDateTime AlertTimer::Now() const { return now_(); }

bool AlertTimer::Tick() {
    const QByteArray stamp = RegistryStore::Stamp(QStringLiteral("HKEY_CURRENT_USER"));
    if (!read_ || stamp != stamp_) {
        const QString text = ::Settings::Get(kKey, QStringLiteral("AlertTime"));
        if (!read_ || text != text_) at_ = ParseAlertTime(text);
        text_ = text;
        stamp_ = stamp;
        read_ = true;
    }
    return clock_.Due(now_(), at_);
}

}  // namespace Alerts

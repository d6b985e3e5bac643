#include "model/database/TaskCounter.h"

#include "model/database/RowProgress.h"
#include "model/database/TaskColumns.h"
#include "platform/Registry.h"

namespace TaskCounter {

namespace {
const QString kKey = QStringLiteral("Count");
const QString kValue = QStringLiteral("Tasks");
}

std::optional<qint64> TaskNumber(const std::string& id) {
    if (id.size() <= 3 || id.compare(0, 3, "ID-") != 0) return std::nullopt;
    // More digits than any task number can have: not one of ours.
    if (id.size() - 3 > 10) return std::nullopt;
    qint64 n = 0;
    for (size_t i = 3; i < id.size(); ++i) {
        const char ch = id[i];
        if (ch < '0' || ch > '9') return std::nullopt;
        n = n * 10 + (ch - '0');
    }
    if (n > kMaxNumber) return std::nullopt;
    return n;
}

std::optional<qint64> LargestTaskNumber(const Grid& grid) {
    std::optional<qint64> best;
    for (int r = 1; r < grid.Rows(); ++r) {
        const std::optional<qint64> n = TaskNumber(grid.TextUtf8(r, Col::TaskId));
        if (n && (!best || *n > *best)) best = n;
    }
    return best;
}

QString RightAligned(qint64 number) {
    return QStringLiteral("%1").arg(number, 6, 10, QLatin1Char(' '));
}

QString ReadText() {
    return Settings::Get(kKey, kValue);
}

namespace {
std::optional<qint64> AsNumber(const QString& stored) {
    const QString text = stored.trimmed();
    if (text.isEmpty()) return std::nullopt;
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (!ok) return std::nullopt;
    return n;
}
}  // namespace

std::optional<qint64> Read() { return AsNumber(ReadText()); }

std::optional<qint64> Update(const std::function<std::optional<qint64>(std::optional<qint64> current)>& next) {
    std::optional<qint64> stored;
    const bool ok = RegistryStore::Update(
        QStringLiteral("HKEY_CURRENT_USER"), QStringLiteral("Software\\Quillon\\") + kKey, kValue,
        [&](const RegistryStore::Value& current) -> std::optional<RegistryStore::Value> {
            std::optional<qint64> now;
            if (current.type == RegistryStore::Type::Text) now = AsNumber(current.text);
            else if (current.type == RegistryStore::Type::Number) now = current.number;
            stored = next(now);
            if (!stored) return std::nullopt;
            RegistryStore::Value v;
            v.type = RegistryStore::Type::Text;
            v.text = QString::number(*stored);
            return v;
        });
    if (!ok) return std::nullopt;
    return stored;
}

bool WriteText(const QString& text) {
    return Settings::Set(kKey, kValue, text);
}

bool WritePlain(qint64 number) {
    return WriteText(QString::number(number));
}

bool WriteRowCount(const Grid& grid) {
    return WritePlain(std::max(0, grid.Rows() - 1));
}

bool Recount(const Grid& grid) {
    if (grid.Rows() < 2) return true;
    return WriteText(RightAligned(LargestTaskNumber(grid).value_or(0)));
}

}  // namespace TaskCounter

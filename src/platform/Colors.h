#pragma once
// Decimal colour numbers in the Windows byte order (red in the low byte).
// A negative number is a system colour and maps to the palette.

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

namespace Colors {
QColor ToQColor(int64_t colourNumber);
uint32_t FromQColor(const QColor& colour);
// Text as stored ("255", "-2147483633"); nullopt when not a 32-bit number.
std::optional<int32_t> Parse(const QString& text);
QString ToText(int32_t colourNumber);
}

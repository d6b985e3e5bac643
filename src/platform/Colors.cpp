#include "platform/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

// The Windows system colours by index (COLOR_SCROLLBAR = 0 ... COLOR_MENUBAR
// = 30), each with the palette entry that plays its part here and the
// classic Windows colour used when no application palette exists yet.
struct SystemColour {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    QRgb classic;
};

constexpr SystemColour kSystemColours[] = {
    {QPalette::Active, QPalette::Mid, 0xC8C8C8},              // 0 scroll bar
    {QPalette::Active, QPalette::Window, 0x000000},           // 1 desktop
    {QPalette::Active, QPalette::Highlight, 0x99B4D1},        // 2 active caption
    {QPalette::Inactive, QPalette::Highlight, 0xBFCDDB},      // 3 inactive caption
    {QPalette::Active, QPalette::Window, 0xF0F0F0},           // 4 menu
    {QPalette::Active, QPalette::Base, 0xFFFFFF},             // 5 window
    {QPalette::Active, QPalette::Shadow, 0x646464},           // 6 window frame
    {QPalette::Active, QPalette::WindowText, 0x000000},       // 7 menu text
    {QPalette::Active, QPalette::Text, 0x000000},             // 8 window text
    {QPalette::Active, QPalette::HighlightedText, 0x000000},  // 9 caption text
    {QPalette::Active, QPalette::Button, 0xB4B4B4},           // 10 active border
    {QPalette::Inactive, QPalette::Button, 0xF4F7FC},         // 11 inactive border
    {QPalette::Active, QPalette::Dark, 0xABABAB},             // 12 application workspace
    {QPalette::Active, QPalette::Highlight, 0x0078D7},        // 13 highlight
    {QPalette::Active, QPalette::HighlightedText, 0xFFFFFF},  // 14 highlight text
    {QPalette::Active, QPalette::Button, 0xF0F0F0},           // 15 button face
    {QPalette::Active, QPalette::Dark, 0xA0A0A0},             // 16 button shadow
    {QPalette::Disabled, QPalette::Text, 0x6D6D6D},           // 17 grey text
    {QPalette::Active, QPalette::ButtonText, 0x000000},       // 18 button text
    {QPalette::Disabled, QPalette::WindowText, 0x000000},     // 19 inactive caption text
    {QPalette::Active, QPalette::Light, 0xFFFFFF},            // 20 button highlight
    {QPalette::Active, QPalette::Shadow, 0x696969},           // 21 3D dark shadow
    {QPalette::Active, QPalette::Midlight, 0xE3E3E3},         // 22 3D light
    {QPalette::Active, QPalette::ToolTipText, 0x000000},      // 23 tooltip text
    {QPalette::Active, QPalette::ToolTipBase, 0xFFFFE1},      // 24 tooltip background
    {QPalette::Active, QPalette::Button, 0xF0F0F0},           // 25 (unused index)
    {QPalette::Active, QPalette::Link, 0x0066CC},             // 26 hot-track
    {QPalette::Active, QPalette::Highlight, 0xB9D1EA},        // 27 active caption gradient
    {QPalette::Inactive, QPalette::Highlight, 0xD7E4F2},      // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight, 0x3399FF},        // 29 menu highlight
    {QPalette::Active, QPalette::Window, 0xF0F0F0},           // 30 menu bar
};
constexpr int kSystemColourCount = int(sizeof(kSystemColours) / sizeof(kSystemColours[0]));

QColor SystemColor(int index) {
    // An index Windows does not define reads as the window background,
    // a neutral choice that keeps text on it readable.
    const SystemColour& sc = (index >= 0 && index < kSystemColourCount) ? kSystemColours[index]
                                                                         : kSystemColours[5];
    if (!qGuiApp) return QColor::fromRgb(sc.classic);
    return QGuiApplication::palette().color(sc.group, sc.role);
}

}  // namespace

namespace Colors {

QColor ToQColor(int64_t colourNumber) {
    // Only the low 32 bits carry the colour. The high bit marks a system
    // colour whether the number arrives signed (-2147483643) or unsigned
    // (2147483653, as the grid keeps colours).
    const auto v = static_cast<uint32_t>(static_cast<uint64_t>(colourNumber));
    if (v & 0x80000000u) return SystemColor(int(v & 0xFFu));
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

uint32_t FromQColor(const QColor& colour) {
    if (!colour.isValid()) return 0;
    const QRgb rgb = colour.rgb();
    return uint32_t(qRed(rgb)) | (uint32_t(qGreen(rgb)) << 8) | (uint32_t(qBlue(rgb)) << 16);
}

std::optional<int32_t> Parse(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= t.size()) return std::nullopt;
    int64_t value = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > int64_t(INT32_MAX) + 1) return std::nullopt;   // past any 32-bit number
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return int32_t(value);
}

QString ToText(int32_t colourNumber) { return QString::number(colourNumber); }

}  // namespace Colors

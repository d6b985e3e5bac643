#include "platform/Colors.h"

#include <QGuiApplication>
#include <QPalette>

#include "support/TestEnv.h"

class ColorsTest : public QuillonTest {};

TEST_F(ColorsTest, RedIsTheLowByte) {
    EXPECT_EQ(Colors::ToQColor(255), QColor(255, 0, 0));
    EXPECT_EQ(Colors::ToQColor(65280), QColor(0, 255, 0));
    EXPECT_EQ(Colors::ToQColor(16711680), QColor(0, 0, 255));
    EXPECT_EQ(Colors::FromQColor(QColor(0x56, 0x34, 0x12, 10)), 0x123456u);   // alpha dropped
    EXPECT_EQ(Colors::FromQColor(QColor()), 0u);
    for (uint32_t n : {0u, 1u, 0x808080u, 0xFFFFFFu, 0xABCDEFu})
        EXPECT_EQ(Colors::FromQColor(Colors::ToQColor(n)), n);
}

TEST_F(ColorsTest, SystemColoursComeFromThePaletteSignedOrUnsigned) {
    const QPalette pal = QGuiApplication::palette();
    EXPECT_EQ(Colors::ToQColor(-2147483643), pal.color(QPalette::Base));              // window
    EXPECT_EQ(Colors::ToQColor(0x80000005LL), pal.color(QPalette::Base));             // as the grid keeps it
    EXPECT_EQ(Colors::ToQColor(-2147483640), pal.color(QPalette::Text));              // window text
    EXPECT_EQ(Colors::ToQColor(-2147483633), pal.color(QPalette::Button));            // button face
    EXPECT_EQ(Colors::ToQColor(-2147483635), pal.color(QPalette::Highlight));         // highlight
    EXPECT_EQ(Colors::ToQColor(-2147483634), pal.color(QPalette::HighlightedText));   // highlight text
    EXPECT_EQ(Colors::ToQColor(-2147483630), pal.color(QPalette::ButtonText));        // button text
    // Indexes Windows does not define, and other negatives, still give a
    // usable colour rather than an invalid one.
    EXPECT_TRUE(Colors::ToQColor(-2147483648LL + 200).isValid());
    EXPECT_TRUE(Colors::ToQColor(-1).isValid());
}

TEST_F(ColorsTest, ParseTakesOnlyA32BitNumber) {
    EXPECT_EQ(Colors::Parse("255"), 255);
    EXPECT_EQ(Colors::Parse("  16711680 "), 16711680);
    EXPECT_EQ(Colors::Parse("-2147483643"), -2147483643);
    EXPECT_EQ(Colors::Parse("-2147483648"), INT32_MIN);
    EXPECT_EQ(Colors::Parse("2147483647"), INT32_MAX);
    EXPECT_EQ(Colors::Parse("+12"), 12);
    EXPECT_EQ(Colors::Parse("000255"), 255);
    for (const char* bad : {"", " ", "-", "+", "2147483648", "-2147483649", "99999999999999999999",
                            "12a", "1.5", "0x10", "1 2", "--1", "&HFF"})
        EXPECT_FALSE(Colors::Parse(bad).has_value()) << bad;
    EXPECT_EQ(Colors::ToText(-2147483643), "-2147483643");
    EXPECT_EQ(Colors::ToText(255), "255");
}

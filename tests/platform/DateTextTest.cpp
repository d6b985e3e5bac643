#include "platform/DateText.h"

#include <QLocale>

#include "support/TestEnv.h"

class DateTextTest : public QuillonTest {
protected:
    void TearDown() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        DateText::ResetCache();
        QuillonTest::TearDown();
    }
    static void UseLocale(const char* name) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        DateText::ResetCache();
    }
};

TEST_F(DateTextTest, WritesTheShortDateWithAFourDigitYear) {
    EXPECT_EQ(DateText::DateFormat(), "M/d/yyyy");
    EXPECT_EQ(DateText::FormatDate(QDate(2026, 3, 1)), "3/1/2026");
    EXPECT_EQ(DateText::FormatDate(QDate(1999, 12, 31)), "12/31/1999");
    EXPECT_EQ(DateText::FormatDate(QDate()), "");
    EXPECT_EQ(DateText::FormatTime(QTime(8, 5, 0)), "08:05:00");
    EXPECT_EQ(DateText::FormatTime(QTime()), "");
    EXPECT_EQ(DateText::FormatGeneral(QDateTime(QDate(2026, 3, 1), QTime(0, 0))), "3/1/2026");
    EXPECT_EQ(DateText::FormatGeneral(QDateTime(QDate(2026, 3, 1), QTime(14, 30, 5))), "3/1/2026 14:30:05");
    EXPECT_EQ(DateText::FormatGeneral(QDateTime()), "");
}

TEST_F(DateTextTest, EveryDayRoundTripsInSeveralLocales) {
    // en_US (month first), de_DE (day first, dots), ja_JP (year first),
    // bg_BG (a short format with a word in it, so ISO is written instead).
    const std::pair<const char*, const char*> locales[] = {
        {"en_US", "M/d/yyyy"}, {"de_DE", "dd.MM.yyyy"}, {"ja_JP", "yyyy/MM/dd"}, {"bg_BG", "yyyy-MM-dd"}};
    for (const auto& [name, format] : locales) {
        UseLocale(name);
        EXPECT_EQ(DateText::DateFormat(), format) << name;
        for (QDate d(1930, 1, 1); d <= QDate(2035, 12, 31); d = d.addDays(1)) {
            const QString text = DateText::FormatDate(d);
            ASSERT_EQ(DateText::ParseDate(text), d) << name << " " << text.toStdString();
            ASSERT_EQ(DateText::ParseDateUtf8(text.toStdString()), d) << name;
        }
    }
}

TEST_F(DateTextTest, ReadsTheFormsTheGridMeets) {
    const std::pair<const char*, QDate> ok[] = {
        {"3/1/2026", QDate(2026, 3, 1)},
        {"03/01/2026", QDate(2026, 3, 1)},
        {"  3/1/2026  ", QDate(2026, 3, 1)},
        {"3-1-2026", QDate(2026, 3, 1)},
        {"3/1/26", QDate(2026, 3, 1)},
        {"3/1/29", QDate(2029, 3, 1)},        // two-digit years: 1930-2029
        {"3/1/30", QDate(1930, 3, 1)},
        {"2/29/2024", QDate(2024, 2, 29)},
        {"2026-03-01", QDate(2026, 3, 1)},    // ISO 8601 in any locale
        {"2026-03-01T08:00:00", QDate(2026, 3, 1)},
        {"2026-03-01T23:30:00+02:00", QDate(2026, 3, 1)},
        {"3/1/2026 08:00:00", QDate(2026, 3, 1)},
        {"Sunday, March 1, 2026", QDate(2026, 3, 1)},   // the locale's long form
    };
    for (const auto& [text, date] : ok) {
        EXPECT_EQ(DateText::ParseDate(text), date) << text;
        EXPECT_EQ(DateText::ParseDateUtf8(text), date) << text;
    }
}

TEST_F(DateTextTest, RefusesWhatIsNotADate) {
    const char* bad[] = {
        "", "   ", "abc", "3/1", "2/30/2026", "2/29/2025", "13/1/2026", "0/1/2026", "3/0/2026",
        "3/32/2026", "1/2/345", "3/1/20266", "3/1/2026x", "3/1/2026 25:00", "3/1/2026 08:60",
        "3//", "2026-13-01", "2026-02-30", "111/1/2026", "3/1/2026 8:00 PMX", "0099-01-01",
    };
    for (const char* text : bad) {
        EXPECT_FALSE(DateText::ParseDate(text).has_value()) << text;
        EXPECT_FALSE(DateText::ParseDateUtf8(text).has_value()) << text;
        EXPECT_FALSE(DateText::ParseDateTime(text).has_value()) << text;
    }
    EXPECT_FALSE(DateText::ParseDateUtf8("3/1/2026\xFF").has_value());
}

TEST_F(DateTextTest, ReadsTimesAndDateTimes) {
    EXPECT_EQ(DateText::ParseTime("08:05:00"), QTime(8, 5, 0));
    EXPECT_EQ(DateText::ParseTime(" 8:05 "), QTime(8, 5));
    EXPECT_EQ(DateText::ParseTime("12:00 AM"), QTime(0, 0));
    EXPECT_EQ(DateText::ParseTime("12:30 pm"), QTime(12, 30));
    EXPECT_EQ(DateText::ParseTime("1:15PM"), QTime(13, 15));
    EXPECT_EQ(DateText::ParseTime("0:30 AM"), QTime(0, 30));
    for (const char* bad : {"", "24:00", "08:60", "8", "13:00 PM", "08:00:61", "x", "8:00 XM"})
        EXPECT_FALSE(DateText::ParseTime(bad).has_value()) << bad;

    EXPECT_EQ(DateText::ParseDateTime("3/1/2026 14:30:05"), QDateTime(QDate(2026, 3, 1), QTime(14, 30, 5)));
    EXPECT_EQ(DateText::ParseDateTime("3/1/2026 2:30 PM"), QDateTime(QDate(2026, 3, 1), QTime(14, 30)));
    EXPECT_EQ(DateText::ParseDateTime("3/1/2026"), QDateTime(QDate(2026, 3, 1), QTime(0, 0)));
    EXPECT_EQ(DateText::ParseDateTime("2026-03-01T08:00:00.250"),
              QDateTime(QDate(2026, 3, 1), QTime(8, 0, 0, 250)));
    const QDateTime general(QDate(2026, 3, 1), QTime(9, 15, 30));
    EXPECT_EQ(DateText::ParseDateTime(DateText::FormatGeneral(general)), general);
}

TEST_F(DateTextTest, AfterALocaleChangeIsoAndTheNewFormatStillRead) {
    const QString written = DateText::FormatDate(QDate(2026, 3, 20));   // "3/20/2026"
    UseLocale("de_DE");
    EXPECT_EQ(DateText::DateFormat(), "dd.MM.yyyy");
    EXPECT_EQ(DateText::FormatDate(QDate(2026, 3, 20)), "20.03.2026");
    EXPECT_EQ(DateText::ParseDate("20.03.2026"), QDate(2026, 3, 20));
    EXPECT_EQ(DateText::ParseDate("1.3.26"), QDate(2026, 3, 1));
    EXPECT_EQ(DateText::ParseDate("2026-03-20"), QDate(2026, 3, 20));
    EXPECT_EQ(DateText::ParseDateTime("20.03.2026 08:00:00"), QDateTime(QDate(2026, 3, 20), QTime(8, 0)));
    // The old month-first text is day-first now: 20 is no month, so it is
    // refused rather than read as some other day.
    EXPECT_FALSE(DateText::ParseDate(written).has_value());

    UseLocale("en_US");
    EXPECT_EQ(DateText::ParseDate(written), QDate(2026, 3, 20));
}

TEST_F(DateTextTest, EveryDateOfTenYearsRoundTripsThroughBothParsers) {
    for (int i = 0; i < 3660; ++i) {
        const QDate d = QDate(2020, 1, 1).addDays(i);
        const QString text = DateText::FormatDate(d);
        ASSERT_EQ(DateText::ParseDateUtf8(text.toStdString()), d) << text.toStdString();
        ASSERT_EQ(DateText::ParseDate(text), d) << text.toStdString();
    }
}

TEST_F(DateTextTest, ASettingDateIsWrittenInIsoAndOlderFormsStillRead) {
    UseLocale("de_DE");
    EXPECT_EQ(DateText::FormatSettingDate(QDate(2026, 12, 9)), "2026-12-09");
    // reader, stored text, the day it reads as
    const std::tuple<const char*, const char*, QDate> cases[] = {
        {"en_US", "2026-12-09", QDate(2026, 12, 9)},
        {"ja_JP", "2026-12-09", QDate(2026, 12, 9)},
        {"en_US", "12/9/2026", QDate(2026, 12, 9)},    // its own older form
        {"de_DE", "09.12.2026", QDate(2026, 12, 9)},
        {"en_US", "17.04.2027", QDate(2027, 4, 17)},   // no date month first: read day first
        {"en_US", "09.12.2026", QDate(2026, 12, 9)},   // dots are written day first
        {"de_DE", "4/17/2027", QDate(2027, 4, 17)},
        {"ja_JP", "17.04.2027", QDate(2027, 4, 17)},
    };
    for (const auto& [reader, text, day] : cases) {
        UseLocale(reader);
        EXPECT_EQ(DateText::ParseSettingDate(text), day) << reader << " " << text;
    }
    EXPECT_FALSE(DateText::ParseSettingDate("not a date").has_value());
}

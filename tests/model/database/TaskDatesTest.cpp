// A task database written under one desktop language and opened under
// another: the dates read as the days written, and the user hears once where
// that took a guess.
#include <QLocale>
#include <QProcess>
#include <gtest/gtest.h>

#include "model/database/TaskColumns.h"
#include "model/database/TaskDatabase.h"
#include "platform/DateText.h"
#include "platform/GridFile.h"
#include "support/TestEnv.h"

namespace {

class TaskDatesTest : public QuillonTest {
protected:
    // A task database whose date columns hold `dates` (one task each), with
    // times as the program writes them; recorded or as an older Quillon
    // left it.
    QString Write(const QStringList& dates, bool recordForms, const QString& name = QStringLiteral("plant.vkt")) {
        Grid g;
        TaskDatabase::SetHeaders(g);
        for (int i = 0; i < dates.size(); ++i) {
            g.SetRows(g.Rows() + 1);
            const int r = g.Rows() - 1;
            g.SetText(r, Col::TaskId, QStringLiteral("ID-%1").arg(i + 1));
            for (int c : {Col::RequestDate, Col::ScheduledStart, Col::ScheduledEnd}) g.SetText(r, c, dates[i]);
            g.SetText(r, Col::StartTime, QStringLiteral("08:15:00"));
            g.SetText(r, Col::Status, QStringLiteral("Ready"));
        }
        if (recordForms) g.SetForms({DateText::DateFormat(), DateText::TimeFormat()});
        const QString path = temp_ + "/" + name;
        EXPECT_TRUE(GridFile::Save(g, path));
        return path;
    }
};

TEST_F(TaskDatesTest, AFileFromBeforeRecordedFormsIsReadInTheOrderItsDatesShow) {
    const QDate none;
    struct Case {
        const char* what;
        const char* writer;   // only for the trace: the cells are as it wrote them
        const char* reader;
        QStringList cells;
        std::vector<QDate> days;   // as every reader reads them after the open
        const char* notice;        // a part of what the user is told; "" for nothing
    };
    const Case cases[] = {
        {"weekly, the third no date month first", "de_DE", "en_US", {"03.04.2027", "10.04.2027", "17.04.2027"},
         {QDate(2027, 4, 3), QDate(2027, 4, 10), QDate(2027, 4, 17)}, "were read day first"},
        {"nothing tells the orders apart: as always", "de_DE", "en_US", {"03.04.2027", "10.04.2027"},
         {QDate(2027, 3, 4), QDate(2027, 10, 4)}, ""},
        {"month first under a day-first desktop", "en_US", "de_DE", {"4/3/2027", "4/17/2027 14:30:00"},
         {QDate(2027, 4, 3), QDate(2027, 4, 17)}, "were read month first"},
        {"two orders in one file", "en_US", "en_US", {"4/3/2027", "4/17/2027", "17.04.2027"},
         {QDate(2027, 4, 3), QDate(2027, 4, 17), QDate(2027, 4, 17)}, "Tasks read day first (day, month, year): ID-3."},
        {"day first under a year-first desktop", "de_DE", "ja_JP", {"03.04.2027", "17.04.2027"},
         {QDate(2027, 4, 3), QDate(2027, 4, 17)}, "were read day first"},
        {"a date of no order", "en_US", "en_US", {"4/3/2027", "31.31.2027"}, {QDate(2027, 4, 3), none},
         "cannot be read (3): ID-2, Request Date \"31.31.2027\"; ID-2, Scheduled Start"},
        {"its own desktop", "de_DE", "de_DE", {"03.04.2027", "17.04.2027"}, {QDate(2027, 4, 3), QDate(2027, 4, 17)}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestEnv::UseLocale(c.writer);
        const QString path = Write(c.cells, false);
        TestEnv::UseLocale(c.reader);
        TaskDatabase db;
        ASSERT_TRUE(db.Open(path));
        const Grid& g = db.Tasks();
        for (int r = 1; r < g.Rows(); ++r) {
            for (int col : {Col::RequestDate, Col::ScheduledStart, Col::ScheduledEnd}) {
                const QDate expected = c.days[size_t(r - 1)];
                EXPECT_EQ(DateText::ParseDate(g.Text(r, col)).value_or(QDate()), expected) << r << "," << col;
            }
        }
        if (*c.notice) EXPECT_TRUE(db.DateNotice().contains(c.notice)) << db.DateNotice().toStdString();
        else EXPECT_EQ(db.DateNotice(), "");
    }
}

TEST_F(TaskDatesTest, TodaysFilesOpenedAndSavedUnderTheirOwnLocaleKeepTheirBytes) {
    for (const char* locale : {"de_DE", "en_US", "en_GB", "fr_FR", "ja_JP", "ko_KR"}) {
        for (bool recorded : {false, true}) {
            SCOPED_TRACE(std::string(locale) + (recorded ? " recorded" : " from before forms"));
            TestEnv::UseLocale(locale);
            const QString path = Write({DateText::FormatGeneral(QDateTime(QDate(2027, 4, 3), QTime(14, 30))),
                                        DateText::FormatDate(QDate(2027, 12, 31))},
                                       recorded, QStringLiteral("%1-%2.vkt").arg(locale).arg(recorded));
            const QByteArray before = TestEnv::ReadAll(path);
            TaskDatabase db;
            ASSERT_TRUE(db.Open(path));
            ASSERT_TRUE(db.Save());
            EXPECT_EQ(TestEnv::ReadAll(path), before);
            // A change writes the file with its forms recorded, the rest as it was.
            for (int r : {1, 2}) db.Tasks().SetText(r, Col::Status, QStringLiteral("Complete"));
            ASSERT_TRUE(db.Save());
            const QByteArray after = TestEnv::ReadAll(path);
            const QByteArray first = "QUILLON-GRID 1 dates=" + DateText::DateFormat().toUtf8().toPercentEncoding("/:,") +
                                     " times=HH:mm:ss\n";
            EXPECT_TRUE(after.startsWith(first)) << after.left(60).toStdString();
            EXPECT_EQ(after.mid(first.size()), before.mid(before.indexOf('\n') + 1).replace("\tReady\n", "\tComplete\n"));
        }
    }
}

TEST_F(TaskDatesTest, RecordedTwoDigitYearsAndAmPmTimesReadAsWritten) {
    Grid g;
    TaskDatabase::SetHeaders(g);
    g.AddItem("ID-1\tBoiler\t03.04.27\t03.04.27 3:04:05 PM\t3:04:05 PM\t04.04.27\t12:30:00 AM");
    g.SetForms({QStringLiteral("dd.MM.yy"), QStringLiteral("h:mm:ss AP")});
    const QString path = temp_ + "/old.vkt";
    ASSERT_TRUE(GridFile::Save(g, path));
    // reader, Scheduled Start as it shows it
    const std::pair<const char*, const char*> readers[] = {
        {"en_US", "4/3/2027 15:04:05"}, {"de_DE", "03.04.2027 15:04:05"}, {"ja_JP", "2027/04/03 15:04:05"}};
    for (const auto& [reader, start] : readers) {
        SCOPED_TRACE(reader);
        TestEnv::UseLocale(reader);
        TaskDatabase db;
        ASSERT_TRUE(db.Open(path));
        EXPECT_EQ(db.Tasks().Text(1, Col::ScheduledStart), start);
        EXPECT_EQ(db.Tasks().Text(1, Col::StartTime), "15:04:05");
        EXPECT_EQ(db.Tasks().Text(1, Col::EndTime), "00:30:00");
        EXPECT_EQ(DateText::ParseDate(db.Tasks().Text(1, Col::RequestDate)), QDate(2027, 4, 3));
    }
}

TEST_F(TaskDatesTest, TheProgramTakesItsFormsFromTheDesktopsLocaleSettings) {
    for (const char* name : {"de_DE", "en_GB", "ja_JP", "fr_FR"})
        if (QLocale(QString::fromLatin1(name)).name() != QLatin1String(name))
            GTEST_SKIP() << "Qt has no locale " << name << " here";
    // environment, the form the program writes under it
    const std::pair<QStringList, const char*> cases[] = {
        {{"LANG=de_DE.UTF-8"}, "dd.MM.yyyy"},
        {{"LANG=en_US.UTF-8", "LC_TIME=en_GB.UTF-8"}, "dd/MM/yyyy"},
        {{"LANG=ja_JP.UTF-8"}, "yyyy/MM/dd"},
        {{"LANG=en_US.UTF-8", "LC_TIME=de_DE.UTF-8", "LC_ALL=fr_FR.UTF-8"}, "dd/MM/yyyy"},
    };
    int n = 0;
    for (const auto& [environment, form] : cases) {
        SCOPED_TRACE(environment.join(' ').toStdString());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"LANG", "LANGUAGE", "LC_ALL", "LC_TIME"}) env.remove(QString::fromLatin1(v));
        for (const QString& kv : environment) env.insert(kv.section('=', 0, 0), kv.section('=', 1));
        const QString path = temp_ + QStringLiteral("/desk%1.vkt").arg(++n);
        QProcess helper;
        helper.setProcessEnvironment(env);
        helper.start(QStringLiteral(QUILLON_TASKDB_HELPER), {"dated", path, "ID-7", "2027-04-03"});
        ASSERT_TRUE(helper.waitForFinished(20000));
        EXPECT_EQ(QString::fromUtf8(helper.readAllStandardOutput()).trimmed(), form);
        // Read here, under en_US, as the day it was.
        TaskDatabase db;
        ASSERT_TRUE(db.Open(path));
        EXPECT_EQ(db.Tasks().Text(1, Col::ScheduledStart), "4/3/2027 15:04:05");
        EXPECT_EQ(db.Tasks().Text(1, Col::StartTime), "15:04:05");
    }
}

}  // namespace

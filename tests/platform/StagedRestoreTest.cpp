// A restore cut off at any step, as it lies on the disk afterwards, and
// what the next sweep makes of it.
#include "platform/StagedRestore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "support/TestEnv.h"

namespace {

using TestEnv::DeadPid;
using TestEnv::WriteAll;

void Move(const QString& from, const QString& to) {
    QDir().mkpath(QFileInfo(to).path());
    ASSERT_EQ(::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()), 0) << qPrintable(from);
}

}  // namespace

class StagedRestoreTest : public QuillonTest {};

TEST_F(StagedRestoreTest, InterruptedRestoresAreFinishedOrUndoneFromWhatTheJournalShows) {
    // The units in the order the journal lists them: three files that
    // replace one, a new file, a new folder moved whole.
    const QStringList units{"a.txt", "b.txt", "d.txt", "newdir", "sub/c.txt"};
    const QStringList replaced{"a.txt", "b.txt", "sub/c.txt"};
    const QStringList restored{"a.txt", "b.txt", "d.txt", "newdir/e.txt", "sub/c.txt"};
    struct Case {
        const char* label;
        bool journal;
        bool undo;
        QStringList done;    // new file in place, original aside
        QStringList aside;   // original aside, new one not yet in
        const char* told;    // "" when nothing is said
        bool endsNew;
    };
    const std::vector<Case> cases = {
        {"journal written, nothing moved", true, false, {}, {}, "has now been finished", true},
        {"first original aside", true, false, {}, {"a.txt"}, "has now been finished", true},
        {"half way", true, false, {"a.txt", "b.txt", "d.txt", "newdir"}, {"sub/c.txt"}, "has now been finished", true},
        {"every unit in place, staging not yet removed", true, false, units, {}, "has now been finished", true},
        {"undoing, half undone", true, true, {"a.txt"}, {"b.txt"}, "has now been undone", false},
        {"undone, staging not yet removed", true, true, {}, {}, "has now been undone", false},
        {"still extracting", false, false, {}, {}, "before it had replaced any file", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QString base = TestEnv::NewTempFolder();
        const QString staging = base + QStringLiteral("/.quillon-restore-%1-aBc123").arg(DeadPid());
        for (const QString& f : replaced) WriteAll(base + "/" + f, "old " + f.toUtf8());
        for (const QString& f : restored) WriteAll(staging + "/new/" + f, "new " + f.toUtf8());
        for (const QString& u : c.done + c.aside)
            if (QFileInfo::exists(base + "/" + u)) Move(base + "/" + u, staging + "/old/" + u);
        for (const QString& u : c.done) Move(staging + "/new/" + u, base + "/" + u);
        if (c.journal) WriteAll(staging + "/journal", ("quillon-restore 1\n" + units.join('\n') + "\nend 5\n").toUtf8());
        if (c.undo) WriteAll(staging + "/undo", "");

        const QStringList told = StagedRestore::Sweep(base);
        ASSERT_EQ(told.size(), 1);
        EXPECT_TRUE(told[0].contains(c.told)) << told[0].toStdString();
        EXPECT_TRUE(told[0].contains(base));
        // Every file of one restore or of none, and nothing of the staging left.
        QMap<QString, QByteArray> expected{{"sub", "dir"}};
        if (c.endsNew) expected["newdir"] = "dir";
        for (const QString& f : c.endsNew ? restored : replaced) expected[f] = (c.endsNew ? "new " : "old ") + f.toUtf8();
        EXPECT_EQ(TestEnv::Snapshot(base), expected);
        // A second sweep finds nothing more to do.
        EXPECT_TRUE(StagedRestore::Sweep(base).isEmpty());
    }
}

TEST_F(StagedRestoreTest, OnlyOurOwnUnheldLeftoversGo) {
    const QString base = temp_;
    const pid_t dead = DeadPid();
    auto staging = [&](const QString& name) {
        WriteAll(base + "/" + name + "/new/x.txt", "x");
        return base + "/" + name;
    };
    const QString done = staging(QStringLiteral(".quillon-restore-%1-dOnE12-done").arg(dead));
    const QString older = staging(".quillon-restore-Xy12Ab");   // an older version's, without a process
    const QString held = staging(QStringLiteral(".quillon-restore-%1-HeLd12").arg(dead));
    const QString young = staging(QStringLiteral(".quillon-restore-%1-yOuNg1").arg(getpid()));
    const QString outside = TestEnv::NewTempFolder();
    QDir().mkpath(outside + "/keep");
    ASSERT_TRUE(QFile::link(outside + "/keep", base + QStringLiteral("/.quillon-restore-%1-lInK12").arg(dead)));
    // A restore still running holds its folder locked.
    const int fd = ::open(QFile::encodeName(held).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);

    EXPECT_TRUE(StagedRestore::Sweep(base).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(done));
    EXPECT_FALSE(QFileInfo::exists(older));
    EXPECT_TRUE(QFileInfo::exists(held + "/new/x.txt"));
    EXPECT_TRUE(QFileInfo::exists(young + "/new/x.txt"));   // being made by a process that is alive
    EXPECT_TRUE(QFileInfo(outside + "/keep").isDir());
    ::close(fd);
    EXPECT_EQ(StagedRestore::Sweep(base).size(), 1);   // now it is a dead restore's
    EXPECT_FALSE(QFileInfo::exists(held));
}

// Killed after every file was in place, before it told the user: its note
// is said at the next sweep, once, however far the removal of its working
// files got; a note its restore still holds is not said.
TEST_F(StagedRestoreTest, ARestoreKilledBeforeItToldIsSaidCompleteOnce) {
    const pid_t dead = DeadPid();
    const struct {
        const char* label;
        // The working folder left: the restore's name with this suffix;
        // none when it is all removed.
        const char* folderSuffix;
    } cases[] = {
        {"note left, nothing removed yet", ""},
        {"renamed done, half removed", "-done"},
        {"all removed", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const QString base = TestEnv::NewTempFolder();
        const QString name = base + QStringLiteral("/.quillon-restore-%1-aBc123").arg(dead);
        WriteAll(base + "/a.txt", "new a");
        if (c.folderSuffix) WriteAll(name + c.folderSuffix + "/old/a.txt", "old a");
        WriteAll(name + "-complete", "quillon-restore 2\na.txt\nend 1\n");
        const QStringList said = StagedRestore::Sweep(base);
        ASSERT_EQ(said.size(), 1);
        EXPECT_TRUE(said[0].contains("It is complete")) << said[0].toStdString();
        EXPECT_EQ(TestEnv::Snapshot(base), (QMap<QString, QByteArray>{{"a.txt", "new a"}}));
        EXPECT_TRUE(StagedRestore::Sweep(base).isEmpty());
    }
    // Held by a restore telling of it now, or by a sweep whose caller has
    // not told yet: not said.
    const QString note = temp_ + QStringLiteral("/.quillon-restore-%1-hElD12-complete").arg(dead);
    WriteAll(note, "quillon-restore 2\nend 0\n");
    StagedRestore::Notes kept;
    ASSERT_EQ(StagedRestore::Sweep(temp_, {}, &kept).size(), 1);
    EXPECT_TRUE(StagedRestore::Sweep(temp_).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(note));
    kept.reset();
    EXPECT_FALSE(QFileInfo::exists(note));
}

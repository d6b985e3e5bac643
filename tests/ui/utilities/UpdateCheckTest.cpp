// The update check against a real HTTP server on 127.0.0.1 that serves the
// update list, and the main window's answers to the check's result.
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>

#include "widgets/Forms.h"
#include "platform/UpdateChecker.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"

namespace {

quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// python3 -m http.server serving one folder, stopped with the test.
class ListServer {
public:
    explicit ListServer(const QString& folder) {
        port_ = FreePort();
        process_.setProgram("/usr/bin/python3");
        process_.setArguments({"-m", "http.server", QString::number(port_), "--bind", "127.0.0.1", "--directory", folder});
        process_.start();
        process_.waitForStarted(5000);
        for (int i = 0; i < 100; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port_);
            if (s.waitForConnected(100)) return;
            QTest::qWait(50);
        }
    }
    ~ListServer() {
        process_.kill();
        process_.waitForFinished(3000);
    }
    QString Url(const QString& file) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(file); }

private:
    QProcess process_;
    quint16 port_ = 0;
};

class UpdateCheckTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        lists_ = temp_ + "/www";
        QDir().mkpath(lists_);
        TestEnv::WriteAll(lists_ + "/newer.txt", "# Quillon update list\nProduct=Quillon\nVersion=4.10.0\nPage=https://www.quillon.org/download\n");
        TestEnv::WriteAll(lists_ + "/same.txt", "Product=Quillon\nVersion=4.3.1\nPage=https://www.quillon.org/download\n");
        TestEnv::WriteAll(lists_ + "/older.txt", "Product=Quillon\nVersion=3.99.99\n");
        TestEnv::WriteAll(lists_ + "/bad.txt", "<html>Not found, but said with 200</html>\n");
        TestEnv::WriteAll(lists_ + "/local.txt", "Product=Quillon\nVersion=5.0.0\nPage=file:///etc/passwd\n");
    }
    void TearDown() override {
        qunsetenv("QUILLON_UPDATE_URL");
        MainWindowTest::TearDown();
    }
    // Runs Help, Check For Update against `url` and returns the status.
    int Check(const QString& url) {
        qputenv("QUILLON_UPDATE_URL", url.toUtf8());
        form_->MenuItem("mnuupdate")->trigger();
        EXPECT_NE(form_->axAutoUpdate1, nullptr);
        if (!form_->axAutoUpdate1) return -1;
        QSignalSpy spy(form_->axAutoUpdate1, &UpdateChecker::UpdateResult);
        if (!spy.wait(10000)) return -1;
        return spy.at(0).at(1).toInt();
    }
    QString lists_;
};

TEST_F(UpdateCheckTest, ANewerVersionIsOfferedAndEndsTheProgramOnlyWhenTaken) {
    Start();
    ListServer server(lists_);
    // Declined: a cancel by the user.
    TestEnv::Dialogs().AnswerMsgBox(vb::vbNo);
    EXPECT_EQ(Check(server.Url("newer.txt")), 5);
    QStringList said = TestEnv::Dialogs().Messages();
    ASSERT_EQ(said.size(), 2);
    EXPECT_TRUE(said[0].contains("4.10.0")) << said[0].toStdString();
    // No version of our own beside the About box's "Quillon 4.3.2".
    EXPECT_FALSE(said[0].contains("4.3.1")) << said[0].toStdString();
    EXPECT_EQ(said[1], "Operation Was Cancelled By User");
    EXPECT_TRUE(TestEnv::Shell().opened.empty());
    EXPECT_TRUE(form_->isVisible());

    // Taken: the page opens, then every window is unloaded.
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    EXPECT_EQ(Check(server.Url("newer.txt")), 2);
    ASSERT_EQ(TestEnv::Shell().opened.size(), 1u);
    EXPECT_EQ(TestEnv::Shell().opened[0].what, "https://www.quillon.org/download");
    QApplication::processEvents();
    EXPECT_FALSE(form_->isVisible());
}

TEST_F(UpdateCheckTest, NothingNewAndMalformedListsEndQuietlyAfterTheirOwnWord) {
    Start();
    ListServer server(lists_);
    EXPECT_EQ(Check(server.Url("same.txt")), 3);
    EXPECT_EQ(TestEnv::Dialogs().Messages().size(), 1);
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "You have the newest version of Quillon.");
    EXPECT_EQ(Check(server.Url("older.txt")), 3);
    EXPECT_EQ(Check(server.Url("bad.txt")), 6);
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains("could not be read"));
    // A page that is not a web address is never opened.
    TestEnv::Dialogs().AnswerMsgBox(vb::vbYes);
    EXPECT_EQ(Check(server.Url("local.txt")), 4);
    EXPECT_TRUE(TestEnv::Shell().opened.empty());
    EXPECT_TRUE(form_->isVisible());
}

TEST_F(UpdateCheckTest, NoServerOrNoListIsAFailedConnection) {
    Start();
    EXPECT_EQ(Check(QStringLiteral("http://127.0.0.1:%1/updatequillon.txt").arg(FreePort())), 1);
    ASSERT_EQ(TestEnv::Dialogs().Calls().size(), 1u);
    EXPECT_EQ(TestEnv::Dialogs().Calls()[0].prompt, "Failed To Connect\nPlease Check Your Internet Connection.");
    EXPECT_EQ(TestEnv::Dialogs().Calls()[0].style, 528);
    EXPECT_EQ(TestEnv::Dialogs().Calls()[0].title, "Quillon");

    ListServer server(lists_);
    EXPECT_EQ(Check(server.Url("missing.txt")), 1);
    EXPECT_TRUE(form_->isVisible());
}

TEST_F(UpdateCheckTest, ResultTableAnswers) {
    Start();
    for (int quiet : {0, 3, 4, 6, 7, -1}) form_->axAutoUpdate1_UpdateResult("x", quiet);
    EXPECT_TRUE(TestEnv::Dialogs().Calls().empty());
    EXPECT_TRUE(form_->isVisible());
    form_->axAutoUpdate1_UpdateResult("x", 5);
    ASSERT_EQ(TestEnv::Dialogs().Calls().size(), 1u);
    EXPECT_EQ(TestEnv::Dialogs().Calls()[0].style, 16);
    form_->axAutoUpdate1_UpdateResult("x", 2);
    QApplication::processEvents();
    EXPECT_FALSE(form_->isVisible());
}

TEST(UpdateListFormat, ParsesOnlyWhatItDocuments) {
    auto ok = UpdateList::Parse("Product=Quillon\r\nversion = 4.3.2\n# note\n\nPAGE=https://x/y\n");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->VersionText(), "4.3.2");
    EXPECT_EQ(ok->page, "https://x/y");
    EXPECT_TRUE(ok->IsNewerThan(4, 3, 1));
    EXPECT_FALSE(ok->IsNewerThan(4, 3, 2));
    EXPECT_FALSE(ok->IsNewerThan(4, 10, 0));   // numbers, not text
    EXPECT_TRUE(UpdateList::Parse("Product=Quillon\nVersion=10.0.0\n")->IsNewerThan(9, 99, 99));
    for (const char* bad : {"", "Product=Quillon\n", "Version=5.0.0\n", "Product=Other\nVersion=5.0.0\n",
                            "Product=Quillon\nVersion=5.0\n", "Product=Quillon\nVersion=5.x.0\n",
                            "Product=Quillon\nVersion=-1.0.0\n", "Product=Quillon\nVersion 5.0.0\n"})
        EXPECT_FALSE(UpdateList::Parse(bad)) << bad;
    EXPECT_FALSE(UpdateList::Parse(QByteArray(70000, 'a')));
}

}  // namespace

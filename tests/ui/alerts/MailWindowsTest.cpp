// The alert mail, its settings window, the send-mail window and the address
// book, worked as a user works them, against a real local SMTP server.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QInputDialog>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <tuple>
#include <gtest/gtest.h>

#include "model/alerts/AlertMail.h"
#include "ui/alerts/Form21.h"
#include "ui/alerts/MainMail.h"
#include "ui/alerts/frmaddress.h"
#include "widgets/Forms.h"
#include "widgets/Balloon.h"
#include "platform/DateText.h"
#include "platform/FileOps.h"
#include "platform/Mailer.h"
#include "platform/Registry.h"
#include "widgets/Tray.h"
#include "support/MainWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/SmtpServer.h"
#include "support/Ui.h"

namespace {

const QString kUser = "planner";
const QString kPassword = "Pa55-wörd";

class MailWindows : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        MailSender::DefaultResponseTimeoutMs = 1000;
        Balloon::SetShowMs(60000);
        Start();
    }
    void TearDown() override {
        MailDelivery::Wait(15000);
        if (QWidget* b = Balloon::Current()) delete b;
        MainWindowTest::TearDown();
    }

    static void Type(QWidget* box, const QString& text) {
        if (auto* line = qobject_cast<QLineEdit*>(box)) line->selectAll();
        if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) plain->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        // Characters outside ASCII come as key events carrying their text,
        // as an input method delivers them.
        for (QChar c : text) {
            if (c == QLatin1Char('\n')) {
                QTest::keyClick(box, Qt::Key_Return);
            } else if (c.unicode() < 0x80) {
                QTest::keyClick(box, c.toLatin1());
            } else {
                QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
        }
    }
    // A click; windows it closes are gone afterwards.
    static void Click(QPushButton* b) { TestUi::ClickSettled(b); }
    static void Trigger(QAction* a) {
        a->trigger();
        TestUi::Settle();
    }

    void ClickTool(const QString& key) {
        for (QAction* a : form_->Toolbar1->actions())
            if (a->data().toString() == key) {
                QTest::mouseClick(form_->Toolbar1->widgetForAction(a), Qt::LeftButton);
                TestUi::Settle();
                return;
            }
        FAIL() << "no button " << key.toStdString();
    }

    // The alert settings typed into "Email Alert Setup" and applied.
    void SetUpAlertMail(int port, const QString& subject = "Wartung fällig – Kessel") {
        form_->MenuItem("mnusetemail")->trigger();
        Form21* w = Forms::Loaded<Form21>();
        ASSERT_NE(w, nullptr);
        Type(w->Text1, "127.0.0.1");
        Type(w->Text8, " " + QString::number(port) + " ");
        Type(w->Text2, kUser);
        Type(w->Text3, kPassword);
        Type(w->Text4, "Quillon Planner");
        Type(w->Text5, "planner@plant.example");
        Type(w->Text6, "Jörg Crew");
        Type(w->Text7, "crew@plant.example");
        Type(w->Text9, subject);
        Type(w->Text10, "Tasks due.");
        Click(w->Command1);
        EXPECT_EQ(Forms::Loaded<Form21>(), nullptr);
    }

    // Database with two tasks, the second marked "Alert".
    void AlertTasks() {
        NewDatabase();
        AddTask("ID-1", QDate::currentDate().addDays(5));
        AddTask("ID-2", QDate::currentDate().addDays(1), "Alert");
    }

    QString BalloonText() const {
        QWidget* b = Balloon::Current();
        auto* label = b ? b->findChild<QLabel*>("Text") : nullptr;
        return label ? label->text() : QString();
    }
    QString BalloonDetail() const {
        QWidget* b = Balloon::Current();
        auto* label = b ? b->findChild<QLabel*>("Detail") : nullptr;
        return label ? label->text() : QString();
    }

    MainMail* OpenMailWindow() {
        ClickTool("Mail");
        return Forms::Loaded<MainMail>();
    }
};

}  // namespace

TEST_F(MailWindows, AlertSetupStoresTheTenValuesAsTypedAndShowsThemAgain) {
    SetUpAlertMail(2525);
    aaxRegistry reg;
    reg.OpenKey("Software\\Quillon\\Email");
    EXPECT_EQ(reg.GetValue("Server"), "127.0.0.1");
    EXPECT_EQ(reg.GetValue("Port"), " 2525 ");
    EXPECT_EQ(reg.GetValue("User"), kUser);
    EXPECT_EQ(reg.GetValue("Password"), kPassword);
    EXPECT_EQ(reg.GetValue("From"), "Quillon Planner");
    EXPECT_EQ(reg.GetValue("FromEmail"), "planner@plant.example");
    EXPECT_EQ(reg.GetValue("To"), "Jörg Crew");
    EXPECT_EQ(reg.GetValue("ToEmail"), "crew@plant.example");
    EXPECT_EQ(reg.GetValue("Subject"), "Wartung fällig – Kessel");
    EXPECT_EQ(reg.GetValue("Body"), "Tasks due.");

    form_->MenuItem("mnusetemail")->trigger();
    Form21* w = Forms::Loaded<Form21>();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Email Alert Setup");
    EXPECT_EQ(w->Text3->text(), kPassword);
    EXPECT_EQ(w->Text3->echoMode(), QLineEdit::Password);
    EXPECT_EQ(w->Text10->toPlainText(), "Tasks due.");
    // Cancel keeps what is stored.
    Type(w->Text1, "other.example");
    Click(w->Command2);
    EXPECT_EQ(Forms::Loaded<Form21>(), nullptr);
    EXPECT_EQ(Settings::Get("Email", "Server"), "127.0.0.1");
    // Apply with every box empty stores ten empty values.
    form_->MenuItem("mnusetemail")->trigger();
    w = Forms::Loaded<Form21>();
    for (QWidget* box : std::initializer_list<QWidget*>{w->Text1, w->Text8, w->Text2, w->Text3, w->Text4, w->Text5,
                                                        w->Text6, w->Text7, w->Text9, w->Text10})
        Type(box, "");
    Click(w->Command3);
    ASSERT_FALSE(TestEnv::Shell().opened.empty());
    EXPECT_TRUE(PageLeadsTo(TestEnv::Shell().opened.back().what).endsWith("quillontask.html#1014"));
    Click(w->Command1);
    for (const char* name : {"Server", "Port", "User", "Password", "From", "FromEmail", "To", "ToEmail", "Subject",
                             "Body"}) {
        reg.OpenKey("Software\\Quillon\\Email");
        QString out = "x";
        EXPECT_EQ(reg.GetValue(name, out), 0) << name;
        EXPECT_EQ(out, "") << name;
    }
}

TEST_F(MailWindows, MailSettingsAndAddressesThatCannotBeSavedAreSaidSo) {
    NewDatabase();
    TestEnv::Dialogs().Reset();
    form_->MenuItem("mnusetemail")->trigger();
    Form21* f = Forms::Loaded<Form21>();
    Type(f->Text1, "mail.plant.example");
    {
        TestEnv::DiskFull full(16);
        Click(f->Command1);
    }
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "The e-mail alert settings could not be saved: The disk is full.");
    ASSERT_EQ(Forms::Loaded<Form21>(), f);   // still open with what was typed
    EXPECT_EQ(f->Text1->text(), "mail.plant.example");
    Click(f->Command2);

    MainMail* w = OpenMailWindow();
    Type(w->txtserver, "mail.plant.example");
    {
        TestEnv::DiskFull full(16);
        Click(w->Command2);
    }
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "The mail settings could not be saved: The disk is full.");
    EXPECT_EQ(Settings::Get("SetEmail", "Server"), "");

    Click(w->Command1);
    frmaddress* book = Forms::Loaded<frmaddress>();
    TestEnv::Dialogs().AnswerInput(QString("ann@plant.example"));
    {
        TestEnv::DiskFull full(16);
        Click(book->Command5);
    }
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "The address book could not be saved: The disk is full.");
}

TEST_F(MailWindows, AlertMailCarriesTheAlertSheetAndTheBalloonSaysItWentOut) {
    SmtpServer server({.user = kUser, .password = kPassword});
    ASSERT_TRUE(server.Running());
    SetUpAlertMail(server.Port());
    AlertTasks();
    const QString sheet = form_->DatabaseFolder() + "Alerts.xls";
    ASSERT_TRUE(FileOps::WriteFileSafely(sheet, "an old sheet"));

    const QDateTime before = QDateTime::currentDateTime();
    form_->MailNotify();
    // The sheet was made from the "Alert" rows alone.
    EXPECT_EQ(form_->Grid1.RowHeight(1), 0);
    EXPECT_GT(form_->Grid1.RowHeight(2), 0);
    ASSERT_TRUE(WaitUntil([&] { return !BalloonText().isEmpty(); }, 15000));
    const QString text = BalloonText();
    EXPECT_TRUE(text.startsWith("Quillon Alert Email Sent.\r\n\r\n")) << text.toStdString();
    // The tail is the date and time of now, two blanks and the time again.
    const QString tail = text.mid(QString("Quillon Alert Email Sent.\r\n\r\n").size());
    const QDateTime after = QDateTime::currentDateTime();
    EXPECT_TRUE(tail == DateText::FormatGeneral(before) + "  " + DateText::FormatTime(before.time()) ||
                tail == DateText::FormatGeneral(after) + "  " + DateText::FormatTime(after.time()))
        << tail.toStdString();
    EXPECT_TRUE(BalloonDetail().isEmpty());
    EXPECT_EQ(form_->MailSender1()->LastError(), "");

    ASSERT_TRUE(server.WaitForMessages(1));
    const QJsonObject got = server.Summary(0);
    EXPECT_EQ(got["mail_from"].toString(), "planner@plant.example");
    EXPECT_EQ(got["rcpt_tos"][0].toString(), "crew@plant.example");
    EXPECT_EQ(got["headers"].toObject()["Subject"].toString(), "Wartung fällig – Kessel");
    EXPECT_EQ(got["headers"].toObject()["To"].toString(), "Jörg Crew <crew@plant.example>");
    EXPECT_EQ(got["body"].toString(), "Tasks due.");
    ASSERT_EQ(got["attachments"].toArray().size(), 1);
    EXPECT_EQ(got["attachments"][0]["filename"].toString(), "Alerts.xls");
    // The sheet is new, stays in the database folder, and is what arrived.
    const QByteArray bytes = TestEnv::ReadAll(sheet);
    EXPECT_TRUE(bytes.startsWith("PK"));
    EXPECT_EQ(server.Attachment(0, 0), bytes);
    // The logs are the user's own and keep the password out.
    for (const char* name : {"mailSent.log", "log.xml", "mail.xml"}) {
        const QByteArray log = TestEnv::ReadAll(MailFiles::Path(name));
        EXPECT_FALSE(log.isEmpty()) << name;
        EXPECT_FALSE(log.contains(kPassword.toUtf8())) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + "/mailSent.log"));
}

TEST_F(MailWindows, TheAlertCheckMailsTheAlertsAndTheTrayIconStopsWhenItIsOver) {
    SmtpServer server({.user = kUser, .password = kPassword});
    ASSERT_TRUE(server.Running());
    SetUpAlertMail(server.Port());
    NewDatabase();
    AddTask("ID-1", QDate::currentDate().addDays(5));
    AddTask("ID-2", QDate::currentDate().addDays(2));
    Settings::Set("Settings", "AlertDays", "2");
    Settings::Set("Settings", "AlertMail", "True");
    form_->GetAlert();
    EXPECT_EQ(form_->Grid1.Text(2, Col::Status), "Alert");
    EXPECT_TRUE(form_->csSysTray1->Animating());
    ASSERT_TRUE(WaitUntil([&] { return !BalloonText().isEmpty(); }, 15000));
    EXPECT_TRUE(BalloonText().startsWith("Quillon Alert Email Sent.")) << BalloonDetail().toStdString();
    EXPECT_FALSE(form_->csSysTray1->Animating());
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.Attachment(0, 0), TestEnv::ReadAll(form_->DatabaseFolder() + "Alerts.xls"));
}

TEST_F(MailWindows, AlertMailThatFailsSaysSoWithTheReasonAndTheWindowStaysResponsive) {
    SmtpServer silent({.silent = true});
    ASSERT_TRUE(silent.Running());
    SetUpAlertMail(silent.Port());
    AlertTasks();
    QElapsedTimer t;
    t.start();
    form_->MailNotify();
    EXPECT_LT(t.elapsed(), 1000);   // the sending does not hold the window
    EXPECT_TRUE(MailDelivery::Busy());
    // Meanwhile the user works on (only the "Alert" row is shown now).
    ClickCell(2, Col::TaskId);
    EXPECT_EQ(form_->Grid1.ActiveRow(), 2);
    ASSERT_TRUE(WaitUntil([&] { return !BalloonText().isEmpty(); }, 15000));
    EXPECT_TRUE(BalloonText().startsWith("Error Sending Quillon Email Alert\r\n\r\n"));
    // The balloon sits at the bottom right of the work area.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(Balloon::Current()->geometry().bottomRight(), area.bottomRight());

    // No server at all (what a server says is checked with the window's).
    Settings::Set("Email", "Server", "");
    delete Balloon::Current();
    form_->MailNotify();
    ASSERT_TRUE(WaitUntil([&] { return !BalloonText().isEmpty(); }, 15000));
    EXPECT_EQ(BalloonDetail(), "No SMTP server is set.");
}

TEST_F(MailWindows, AnAlertMailDuringAnotherSendingGoesOutAfterIt) {
    SmtpServer silent({.silent = true});
    SmtpServer server({.user = kUser, .password = kPassword});
    ASSERT_TRUE(silent.Running() && server.Running());
    SetUpAlertMail(server.Port());
    AlertTasks();
    TestEnv::Dialogs().Reset();
    MainMail* w = OpenMailWindow();
    Type(w->txtFrom, "planner@plant.example");
    Type(w->txtTo, "crew@plant.example");
    Type(w->txtserver, "127.0.0.1");
    Type(w->txtport, QString::number(silent.Port()));
    Click(w->btnSend);
    ASSERT_TRUE(w->Sending());
    form_->MailNotify();
    form_->MailNotify();   // a second call while it waits adds nothing
    ASSERT_TRUE(WaitUntil([&] { return !w->Sending(); }, 15000));
    EXPECT_EQ(w->Label5->text(), "Success:  0\r\n");
    ASSERT_TRUE(WaitUntil([&] { return !BalloonText().isEmpty(); }, 15000));
    EXPECT_TRUE(BalloonText().startsWith("Quillon Alert Email Sent."));
    ASSERT_TRUE(server.WaitForMessages(1));
    MailDelivery::Wait(15000);
    QTest::qWait(400);
    EXPECT_EQ(server.MessageCount(), 1);
}

TEST_F(MailWindows, BalloonTextForSentAndNotSent) {
    const QDateTime at(QDate(2026, 3, 4), QTime(7, 30, 15));
    const std::string date = DateText::FormatDate(at.date()).toStdString();
    EXPECT_EQ(AlertMail::BalloonText(1, at).toStdString(),
              "Quillon Alert Email Sent.\r\n\r\n" + date + " 07:30:15  07:30:15");
    EXPECT_EQ(AlertMail::BalloonText(-3, at).toStdString(),
              "Quillon Alert Email Sent.\r\n\r\n" + date + " 07:30:15  07:30:15");
    const QDateTime midnight(QDate(2026, 3, 4), QTime(0, 0, 0));
    EXPECT_EQ(AlertMail::BalloonText(0, midnight).toStdString(),
              "Error Sending Quillon Email Alert\r\n\r\n" + date + "  00:00:00");
}

TEST_F(MailWindows, SendMailWindowMailsTheTaskSheetWithTheAddressFromTheBook) {
    SmtpServer server({.user = kUser, .password = kPassword});
    ASSERT_TRUE(server.Running());
    AlertTasks();
    MainMail* w = OpenMailWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Send Email ");
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->SSTab1->currentIndex(), 0);
    const QString sheet = form_->DatabaseFolder() + "quillontask.xls";
    EXPECT_EQ(w->txtAttachments->text(), sheet);
    EXPECT_EQ(w->Label5->text(), "");

    Type(w->txtFromName, "Planner");
    Type(w->txtFrom, "planner@plant.example");
    Type(w->txtSubject, "Task sheet");
    Type(w->txtMsg, "Here it is.\nRegards");
    w->SSTab1->setCurrentIndex(1);
    Type(w->txtserver, "127.0.0.1");
    Type(w->txtport, QString::number(server.Port()) + ".2");
    Type(w->txtuser, kUser);
    Type(w->txtpass, kPassword);
    EXPECT_EQ(w->txtpass->echoMode(), QLineEdit::Password);
    w->SSTab1->setCurrentIndex(0);

    // The recipient comes from the address book.
    Click(w->Command1);
    frmaddress* book = Forms::Loaded<frmaddress>();
    ASSERT_NE(book, nullptr);
    TestEnv::Dialogs().AnswerInput(QString("  crew@plant.example "));
    Click(book->Command5);
    ASSERT_EQ(book->List1->count(), 1);
    QTest::mouseClick(book->List1->viewport(), Qt::LeftButton, {},
                      book->List1->visualItemRect(book->List1->item(0)).center());
    Click(book->Command1);
    EXPECT_EQ(Forms::Loaded<frmaddress>(), nullptr);
    EXPECT_EQ(w->txtTo->text(), "  crew@plant.example ") << "as listed until the book is opened again";

    QTest::mouseClick(w->Check2, Qt::LeftButton);
    Click(w->btnSend);
    EXPECT_TRUE(w->Sending());
    EXPECT_FALSE(w->btnSend->isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return !w->Sending(); }, 15000));
    EXPECT_EQ(w->Label5->text(), "Success:  1\r\n");
    EXPECT_TRUE(w->btnSend->isEnabled());
    ASSERT_TRUE(server.WaitForMessages(1));
    const QJsonObject got = server.Summary(0);
    EXPECT_EQ(got["rcpt_tos"][0].toString(), "crew@plant.example");
    EXPECT_EQ(got["headers"].toObject()["Subject"].toString(), "Task sheet");
    EXPECT_EQ(got["headers"].toObject()["Disposition-Notification-To"].toString(),
              "Planner <planner@plant.example>");
    EXPECT_EQ(got["body"].toString(), "Here it is.\r\nRegards");
    EXPECT_EQ(server.Attachment(0, 0), TestEnv::ReadAll(sheet));
    // Nothing is cleared for another sending, and nothing was stored.
    EXPECT_EQ(w->txtTo->text(), "  crew@plant.example ");
    EXPECT_EQ(Settings::Get("SetEmail", "Server"), "");
}

TEST_F(MailWindows, SendMailChecksBothAddressesAndReportsAFailedSending) {
    NewDatabase();
    TestEnv::Dialogs().Reset();
    MainMail* w = OpenMailWindow();
    ASSERT_NE(w, nullptr);
    Type(w->txtFrom, "planner.plant.example");
    Type(w->txtTo, "crew");
    Click(w->btnSend);
    ASSERT_EQ(TestEnv::Dialogs().Calls().size(), 1u);
    EXPECT_EQ(TestEnv::Dialogs().Calls()[0].prompt, "You must enter Your Email Address");
    EXPECT_EQ(TestEnv::Dialogs().Calls()[0].style, 64);
    EXPECT_EQ(TestEnv::Dialogs().Calls()[0].title, "Error");
    Type(w->txtFrom, "@");
    Click(w->btnSend);
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), "You must enter the Recipient Email Address");
    EXPECT_EQ(TestEnv::Dialogs().Calls().size(), 2u);
    EXPECT_FALSE(w->Sending());

    // A missing attachment is a failure, never a message without it.
    SmtpServer server;
    Type(w->txtFrom, "planner@plant.example");
    Type(w->txtTo, "crew@plant.example");
    w->SSTab1->setCurrentIndex(1);
    Type(w->txtserver, "127.0.0.1");
    Type(w->txtport, QString::number(server.Port()));
    w->SSTab1->setCurrentIndex(0);
    Type(w->txtAttachments, temp_ + "/gone.xls");
    Click(w->btnSend);
    ASSERT_TRUE(WaitUntil([&] { return !w->Sending(); }, 15000));
    EXPECT_EQ(w->Label5->text(), "Success:  0\r\n");
    EXPECT_TRUE(w->Label5->toolTip().contains("gone.xls")) << w->Label5->toolTip().toStdString();
    // A subject with a line break (pasted) is refused.
    Click(w->btnClearAttach);
    EXPECT_EQ(w->txtAttachments->text(), "");
    w->txtSubject->setText("Due\nBcc: all@else.example");
    Click(w->btnSend);
    ASSERT_TRUE(WaitUntil([&] { return !w->Sending(); }, 15000));
    EXPECT_EQ(w->Label5->text(), "Success:  0\r\n");
    EXPECT_TRUE(w->Label5->toolTip().contains("line break"));
    EXPECT_EQ(server.MessageCount(), 0);
    // An empty attachment box sends the text alone.
    Type(w->txtSubject, "No sheet");
    Click(w->btnSend);
    ASSERT_TRUE(WaitUntil([&] { return !w->Sending(); }, 15000));
    EXPECT_EQ(w->Label5->text(), "Success:  1\r\n");
    ASSERT_TRUE(server.WaitForMessages(1));
    EXPECT_EQ(server.Summary(0)["attachments"].toArray().size(), 0);
}

// Why a message was not sent is said in plain words, with the server's own
// reply where it gave one: in the alert balloon, beside the send-mail
// window's result, and in the log.
TEST_F(MailWindows, AFailedSendingIsSaidInPlainWordsWithTheServersReply) {
    AlertTasks();
    const int closedPort = SmtpServer().Port();   // a server gone: its port refuses
    SmtpServer guarded({.user = kUser, .password = kPassword}), silent({.silent = true});
    SmtpServer refusing({.refuseRecipient = true}), dropping({.dropInData = true});
    ASSERT_TRUE(closedPort > 0 && guarded.Running() && silent.Running() && refusing.Running() && dropping.Running());
    const QString to = "crew@plant.example";
    Settings::Set("Email", "FromEmail", "planner@plant.example");
    Settings::Set("Email", "ToEmail", to);
    Settings::Set("Email", "Server", "127.0.0.1");
    MainMail* w = OpenMailWindow();
    ASSERT_NE(w, nullptr);
    Type(w->txtFrom, "planner@plant.example");
    Type(w->txtTo, to);
    QTabBar* pages = w->SSTab1->tabBar();
    auto send = [&](int port, const QString& user, const QString& password) {
        QTest::mouseClick(pages, Qt::LeftButton, {}, pages->tabRect(1).center());
        Type(w->txtserver, "127.0.0.1");
        Type(w->txtport, QString::number(port));
        Type(w->txtuser, user);
        Type(w->txtpass, password);
        QTest::mouseClick(pages, Qt::LeftButton, {}, pages->tabRect(0).center());
        Click(w->btnSend);
        return WaitUntil([&] { return !w->Sending(); }, 15000);
    };
    const auto at = [](int port) { return QStringLiteral("127.0.0.1:%1").arg(port); };
    const struct {
        const char* what;
        int port;
        QString password;
        QString said;
    } cases[] = {
        {"nothing at the port", closedPort, kPassword, "Could not reach the mail server " + at(closedPort) + "."},
        {"a wrong password", guarded.Port(), "wrong",
         "The mail server " + at(guarded.Port()) +
             " refused the login (user name and password). It answered: 535 5.7.8 Authentication credentials invalid"},
        {"an unknown recipient", refusing.Port(), "",
         "The mail server " + at(refusing.Port()) + " refused the recipient " + to +
             ". It answered: 550 5.1.1 <" + to + ">: Recipient address rejected: User unknown"},
        {"the connection dropped in the message", dropping.Port(), "",
         "The connection to the mail server " + at(dropping.Port()) + " broke while the message was being sent."},
        {"no answer", silent.Port(), "", "The mail server " + at(silent.Port()) + " did not answer in time."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString user = c.password.isEmpty() ? QString() : kUser;
        // The alert mail: its balloon.
        Settings::Set("Email", "Port", QString::number(c.port));
        Settings::Set("Email", "User", user);
        Settings::Set("Email", "Password", c.password);
        delete Balloon::Current();
        form_->MailNotify();
        ASSERT_TRUE(WaitUntil([&] { return !BalloonText().isEmpty(); }, 15000));
        EXPECT_EQ(BalloonDetail(), c.said);
        EXPECT_TRUE(QString(TestEnv::ReadAll(MailFiles::Path("mailSent.log"))).contains("Not sent: " + c.said));
        // The send-mail window: beside its result.
        ASSERT_TRUE(send(c.port, user, c.password));
        EXPECT_EQ(w->Label5->text(), "Success:  0\r\n");
        EXPECT_TRUE(w->lblReason->isVisible());
        EXPECT_EQ(w->lblReason->text(), "Not sent: " + c.said);
        EXPECT_TRUE(QString(TestEnv::ReadAll(MailFiles::Path("log.xml"))).contains(c.said.toHtmlEscaped()));
    }
    EXPECT_EQ(refusing.MessageCount() + guarded.MessageCount(), 0);
    // Beside the result: to its right, on its line.
    const QRect result(w->Label5->mapTo(w, QPoint(0, 0)), w->Label5->size());
    const QRect reason(w->lblReason->mapTo(w, QPoint(0, 0)), w->lblReason->size());
    EXPECT_GE(reason.left(), result.right());
    EXPECT_EQ(reason.top(), result.top());
    // A message that goes takes the last reason away.
    ASSERT_TRUE(send(guarded.Port(), kUser, kPassword));
    EXPECT_EQ(w->Label5->text(), "Success:  1\r\n");
    EXPECT_EQ(w->lblReason->text(), "");
    EXPECT_TRUE(guarded.WaitForMessages(1));
}

// A failure's balloon stays at least as long as a success's, longer by the
// time to read why.
TEST_F(MailWindows, AFailureBalloonStaysLongerThanASuccessOne) {
    SmtpServer server({.user = kUser, .password = kPassword});
    ASSERT_TRUE(server.Running());
    SetUpAlertMail(server.Port());
    AlertTasks();
    Balloon::SetShowMs(600);
    const auto lifetime = [&] {
        delete Balloon::Current();
        form_->MailNotify();
        EXPECT_TRUE(WaitUntil([&] { return !BalloonText().isEmpty(); }, 15000));
        QElapsedTimer t;
        t.start();
        EXPECT_TRUE(WaitUntil([&] { return Balloon::Current() == nullptr; }, 30000));
        return t.elapsed();
    };
    const qint64 sent = lifetime();
    Settings::Set("Email", "Password", "wrong");
    const qint64 failed = lifetime();
    EXPECT_GE(sent, 500);
    EXPECT_GT(failed, sent + 2000);
}

TEST_F(MailWindows, SaveSettingsAttachClearAndHelpOfTheSendMailWindow) {
    NewDatabase();
    TestEnv::Dialogs().Reset();
    MainMail* w = OpenMailWindow();
    ASSERT_NE(w, nullptr);
    Type(w->txtFromName, "Planner");
    Type(w->txtFrom, "planner@plant.example");
    Type(w->txtSubject, "Sheet");
    w->SSTab1->setCurrentIndex(1);
    Type(w->txtserver, "mail.plant.example");
    Type(w->txtport, "587");
    Type(w->txtuser, "pl");
    Type(w->txtpass, "pw");
    w->SSTab1->setCurrentIndex(0);
    Click(w->Command2);
    EXPECT_TRUE(TestEnv::Dialogs().Calls().empty());
    EXPECT_EQ(Settings::Get("SetEmail", "FromEmail"), "planner@plant.example");
    EXPECT_EQ(Settings::Get("SetEmail", "Password"), "pw");
    Click(w->btnExit);
    EXPECT_EQ(Forms::Loaded<MainMail>(), nullptr);

    w = OpenMailWindow();
    EXPECT_EQ(w->txtserver->text(), "mail.plant.example");
    EXPECT_EQ(w->txtport->text(), "587");
    EXPECT_EQ(w->txtuser->text(), "pl");
    EXPECT_EQ(w->txtpass->text(), "pw");
    EXPECT_EQ(w->txtFromName->text(), "Planner");
    EXPECT_EQ(w->txtFrom->text(), "planner@plant.example");
    EXPECT_EQ(w->txtReplyTo->text(), "planner@plant.example");
    EXPECT_EQ(w->txtSubject->text(), "Sheet");

    // Attach: a cancelled dialog gives back the file chosen before.
    TestEnv::Dialogs().AnswerOpen("");
    Click(w->btnAddAttach);
    EXPECT_EQ(w->txtAttachments->text(), "");
    TestEnv::Dialogs().AnswerOpen(temp_ + "/a.pdf");
    Click(w->btnAddAttach);
    EXPECT_EQ(w->txtAttachments->text(), temp_ + "/a.pdf");
    Click(w->btnClearAttach);
    EXPECT_EQ(w->txtAttachments->text(), "");
    TestEnv::Dialogs().AnswerOpen("");
    Click(w->btnAddAttach);
    EXPECT_EQ(w->txtAttachments->text(), temp_ + "/a.pdf");

    w->mnusethlp->trigger();
    EXPECT_EQ(w->SSTab1->currentIndex(), 1);
    ASSERT_FALSE(TestEnv::Shell().opened.empty());
    EXPECT_TRUE(PageLeadsTo(TestEnv::Shell().opened.back().what).endsWith("#1011"));
    w->mnuehlp->trigger();
    EXPECT_TRUE(PageLeadsTo(TestEnv::Shell().opened.back().what).endsWith("#1012"));

    // Saving empty boxes stores seven empty values.
    for (QLineEdit* box : {w->txtserver, w->txtport, w->txtuser, w->txtpass, w->txtFromName, w->txtFrom,
                           w->txtSubject})
        box->clear();
    Click(w->Command2);
    Trigger(w->mnuclose);
    w = OpenMailWindow();
    EXPECT_EQ(w->txtserver->text(), "");
    EXPECT_EQ(w->txtReplyTo->text(), "");
}

// A screen reader names each box by the label beside it.
TEST_F(MailWindows, EveryBoxOfTheSendMailWindowIsNamedByItsLabel) {
    NewDatabase();
    MainMail* w = OpenMailWindow();
    const std::pair<QWidget*, QString> boxes[] = {
        {w->txtFromName, "From Name:"}, {w->txtFrom, "From Email:"},   {w->txtTo, "To Email:"},
        {w->txtReplyTo, "Reply-To:"},   {w->txtSubject, "Subject:"},   {w->txtMsg, "Message Body:"},
        {w->txtAttachments, "Attachments:"}, {w->txtserver, "SMTP Server"}, {w->txtport, "SMTP Port"},
        {w->txtuser, "User name"},      {w->txtpass, "Password"}};
    for (const auto& [box, label] : boxes) {
        QAccessibleInterface* said = QAccessible::queryAccessibleInterface(box);
        ASSERT_NE(said, nullptr);
        EXPECT_EQ(said->text(QAccessible::Name), label) << box->objectName().toStdString();
        EXPECT_EQ(said->role(), QAccessible::EditableText) << box->objectName().toStdString();
    }
}

TEST_F(MailWindows, AddressBookKeepsTypedEntriesAndRemovesTheSelectedOne) {
    NewDatabase();
    MainMail* mail = OpenMailWindow();
    mail->mnuaddress->trigger();
    frmaddress* book = Forms::Loaded<frmaddress>();
    ASSERT_NE(book, nullptr);
    EXPECT_EQ(book->windowTitle(), "Quillon Address Book");
    EXPECT_EQ(book->List1->count(), 0);

    for (const char* typed : {" cy@plant.example ", "ann@plant.example", "bob@plant.example"}) {
        TestEnv::Dialogs().AnswerInput(QString(typed));
        Click(book->Command5);
    }
    TestEnv::Dialogs().AnswerInput(std::nullopt);   // cancelled: nothing added
    Click(book->Command5);
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().prompt, "Enter An Email Address");
    EXPECT_EQ(TestEnv::Dialogs().Calls().back().title, "Quillon ");
    ASSERT_EQ(book->List1->count(), 3);
    const QString key = "Software\\Quillon\\Email";
    EXPECT_EQ(basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, key, "Count"), QVariant(3));
    EXPECT_EQ(basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, key, "Item0"), QVariant(QString("cy@plant.example")));
    EXPECT_EQ(basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, key, "Item2"),
              QVariant(QString("bob@plant.example")));

    // Remove with nothing selected keeps the list.
    Click(book->Command3);
    EXPECT_EQ(book->List1->count(), 3);
    QTest::mouseClick(book->List1->viewport(), Qt::LeftButton, {},
                      book->List1->visualItemRect(book->List1->item(1)).center());
    Click(book->Command3);
    ASSERT_EQ(book->List1->count(), 2);
    EXPECT_EQ(basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, key, "Count"), QVariant(2));
    EXPECT_EQ(basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, key, "Item1"),
              QVariant(QString("bob@plant.example")));
    // Apply with nothing selected closes and leaves the recipient alone.
    Type(mail->txtTo, "kept@plant.example");
    book->List1->clearSelection();
    Click(book->Command1);
    EXPECT_EQ(Forms::Loaded<frmaddress>(), nullptr);
    EXPECT_EQ(mail->txtTo->text(), "kept@plant.example");

    // The next opening reads the list afresh.
    Click(mail->Command1);
    book = Forms::Loaded<frmaddress>();
    ASSERT_EQ(book->List1->count(), 2);
    EXPECT_EQ(book->List1->item(0)->text(), "cy@plant.example");
    EXPECT_EQ(book->List1->item(1)->text(), "bob@plant.example");
    // Apply after the send-mail window was closed loads it unshown with the address.
    Click(mail->btnExit);
    EXPECT_EQ(Forms::Loaded<MainMail>(), nullptr);
    QTest::mouseClick(book->List1->viewport(), Qt::LeftButton, {},
                      book->List1->visualItemRect(book->List1->item(1)).center());
    Click(book->Command1);
    mail = Forms::Loaded<MainMail>();
    ASSERT_NE(mail, nullptr);
    EXPECT_FALSE(mail->isVisible());
    EXPECT_EQ(mail->txtTo->text(), "bob@plant.example");
    // Removing every entry stores a count of 0 and the list shows empty.
    Click(mail->Command1);
    book = Forms::Loaded<frmaddress>();
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(book->List1->viewport(), Qt::LeftButton, {},
                          book->List1->visualItemRect(book->List1->item(0)).center());
        Click(book->Command3);
    }
    EXPECT_EQ(basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, key, "Count"), QVariant(0));
    Click(book->Command2);
    Click(mail->Command1);
    EXPECT_EQ(Forms::Loaded<frmaddress>()->List1->count(), 0);
    Click(Forms::Loaded<frmaddress>()->Command6);
    EXPECT_TRUE(PageLeadsTo(TestEnv::Shell().opened.back().what).endsWith("#1013"));
}

// The address book takes any answer as typed; Send checks the address it
// is given, with its own words.
TEST_F(MailWindows, TheAddressBookKeepsAnyAnswerAsTypedAndSendChecksIt) {
    NewDatabase();
    TestEnv::Dialogs().Reset();
    MainMail* mail = OpenMailWindow();
    Click(mail->Command1);
    frmaddress* book = Forms::Loaded<frmaddress>();
    ASSERT_NE(book, nullptr);
    const QString named = "Zoë Ørsted <zoe@example.test>";
    for (const QString& typed : {named, QString("007")}) {
        TestEnv::Dialogs().ShowRealInputBoxes();
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            auto* line = box ? box->findChild<QLineEdit*>() : nullptr;
            if (!line) return;
            Type(line, typed);
            QTest::keyClick(line, Qt::Key_Return);
        });
        Click(book->Command5);
    }
    TestEnv::Dialogs().AnswerInput(QStringLiteral(" cy@plant.example "));
    Click(book->Command5);
    EXPECT_TRUE(TestEnv::Dialogs().Messages().isEmpty());
    const auto shown = [](frmaddress* b) {
        QStringList items;
        for (int i = 0; i < b->List1->count(); ++i) items << b->List1->item(i)->text();
        return items;
    };
    EXPECT_EQ(shown(book), QStringList({named, "007", " cy@plant.example "}));
    const QString key = "Software\\Quillon\\Email";
    EXPECT_EQ(basRegistry::GetRegValue(basRegistry::HKEY_CURRENT_USER, key, "Item1"), QVariant(QString("007")));
    Click(book->Command2);
    Click(mail->Command1);
    book = Forms::Loaded<frmaddress>();
    EXPECT_EQ(shown(book), QStringList({named, "007", "cy@plant.example"}));

    QTest::mouseClick(book->List1->viewport(), Qt::LeftButton, {},
                      book->List1->visualItemRect(book->List1->item(0)).center());
    Click(book->Command1);
    EXPECT_EQ(mail->txtTo->text(), named);
    Type(mail->txtFrom, "planner@plant.example");
    Click(mail->btnSend);
    EXPECT_FALSE(mail->Sending());
    EXPECT_EQ(TestEnv::Dialogs().LastMessage(), AlertMail::RecipientProblem(named));
    EXPECT_TRUE(TestEnv::Dialogs().LastMessage().contains(named));
}

#include "support/MessageRecorder.h"
#include "support/PythonServer.h"
#include "support/ReceivedMail.h"
#include "support/TestDatabase.h"

#include "shell/FeedbackMail.h"
#include "shell/TfrmMeasure.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"

#include <QCheckBox>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class FeedbackTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_folder;
    QTemporaryDir m_mailDir;

    std::unique_ptr<PythonServer> startMailServer()
    {
        auto server =
            std::make_unique<PythonServer>(QFINDTESTDATA("../transport/fixtures/smtp_server.py"),
                                           QStringList{m_mailDir.path(), QStringLiteral("secret")});
        IniFile ini(ProgramFolder::settingsPath());
        ini.writeValues("Maker", {{"SmtpServer", "127.0.0.1"},
                                  {"SmtpPort", QString::number(server->port())},
                                  {"SmtpUser", "maker@quillet.test"},
                                  {"SmtpPassword", "secret"},
                                  {"MailAddress", "maker@quillet.test"}});
        return server;
    }

    QJsonObject receivedMail(int n)
    {
        return ::receivedMail(m_mailDir.filePath(QString::number(n) + ".eml"));
    }

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestDatabase>(TestDatabase::Empty);
        ProgramFolder::set(m_folder->folder());
    }
    void cleanup() { m_folder.reset(); }

    void addressTest_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("passes");
        QTest::newRow("six after the at sign") << "a@bcdefg" << true;
        QTest::newRow("five after the at sign") << "a@bcdef" << false;
        QTest::newRow("at sign first") << "@abcdefg.com" << false;
        QTest::newRow("no at sign") << "abcdefg.com" << false;
        QTest::newRow("long ending") << "ab@cd.efgh" << true;
        QTest::newRow("three after the dot") << "ab@cdefg.com" << true;
        QTest::newRow("two after the dot") << "ab@cdefg.cn" << false;
        QTest::newRow("dot before the at sign only") << "a.b@cdefgh" << true;
        QTest::newRow("line break") << "ab@cdefg.com\r\nBcc: x@y.com" << false;
        QTest::newRow("space") << "a b@cdefg.com" << false;
    }
    void addressTest()
    {
        QFETCH(QString, address);
        QFETCH(bool, passes);
        QCOMPARE(passesAddressTest(address), passes);
    }

    void mailText()
    {
        FeedbackAnswers a;
        a.score = " 90";
        a.bug = "b";
        a.toadd = "t";
        a.giveup = "g";
        a.decideBuy = "d";
        a.other = "o";
        a.replyTo = "me@example.org";
        const QString expected =
            QStringLiteral("我电脑登陆用户是tester\r\n1.对本软件整体评分（百分制）： 90\r\n"
                           "2.本软件是否满足我的打印需求：否\r\n3.本软件有哪些地方不足之处：b\r\n"
                           "4.我觉得本软件最需要增加什么功能：t\r\n"
                           "5.如果我放弃购买本软件，是什么原因：g\r\n"
                           "6.如果我决定购买本软件，是什么原因：d\r\n7.其他建议：o\r\n"
                           "  回执接收邮箱：me@example.org");
        QCOMPARE(feedbackText(a, "tester"), expected);
        a.yes = true;
        QVERIFY(feedbackText(a, "tester").contains(QStringLiteral("打印需求：是\r\n")));
    }

    void emptyScoreOnlyAsks()
    {
        MessageRecorder messages;
        TfrmMeasure form;
        form.show();
        form.edtScore->setText("   ");
        form.memBug->setFocus();
        form.btnSend->click();
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("请认真填写,谢谢")});
        QVERIFY(!form.isSending());
        QCOMPARE(form.lblHints->text(), QString());
    }

    void badReceiptAddressStops()
    {
        MessageRecorder messages;
        TfrmMeasure form;
        form.edtScore->setText("80");
        form.edtReplyto->setText("me@short");
        form.btnSend->click();
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("您的Email地址好像不对")});
        QVERIFY(!form.isSending());
    }

    void answersAreKeptBetweenShowings_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("no");
        QTest::newRow("是") << true << false;
        QTest::newRow("否") << false << true;
        QTest::newRow("neither") << false << false;
    }
    void answersAreKeptBetweenShowings()
    {
        QFETCH(bool, yes);
        QFETCH(bool, no);
        {
            TfrmMeasure form;
            QVERIFY(!form.rbYes->isChecked() && !form.rbNo->isChecked()); // no measure.ini yet
            form.rbNo->setChecked(true);                                  // answered 否 once...
            form.reject();
        }
        {
            TfrmMeasure form;
            QVERIFY(form.rbNo->isChecked());
            if (yes)
                form.rbYes->setChecked(true); // ...and later something else
            if (!yes && !no) {
                form.rbNo->setAutoExclusive(false);
                form.rbNo->setChecked(false);
            }
            form.edtScore->setText("  95 ");
            form.memOther->setPlainText("\n  多行\n建议 C:\\new\\\\x  \n");
            form.reject();
        }
        TfrmMeasure form;
        QCOMPARE(form.rbYes->isChecked(), yes);
        QCOMPARE(form.rbNo->isChecked(), no);
        QCOMPARE(form.edtScore->text(), QStringLiteral("95"));
        QCOMPARE(form.memOther->toPlainText(), QStringLiteral("多行\n建议 C:\\new\\\\x"));
        const IniFile ini(ProgramFolder::file("measure.ini"));
        QCOMPARE(ini.readString("Option", "Yes", "?"), yes ? QString("1") : QString("0"));
        QCOMPARE(ini.readString("Option", "No", "?"), no ? QString("1") : QString("0"));
        // One line in the file, a backslash doubled.
        QCOMPARE(ini.readString("Option", "other", "?"),
                 QStringLiteral("多行\\n建议 C:\\\\new\\\\\\\\x"));
    }

    void sendsTheMailInTheBackground()
    {
        const auto server = startMailServer();
        QVERIFY2(server->isListening(), qPrintable(server->errors()));
        MessageRecorder messages;
        TfrmMeasure form;
        QSignalSpy finished(&form, &TfrmMeasure::sendFinished);
        form.edtScore->setText("90");
        form.rbYes->setChecked(true);
        form.memBug->setPlainText("<script>alert('x')</script> & 朱镕基");
        form.memOther->setPlainText("写信到<%mail%>");
        form.edtReplyto->setText("me@example.org");
        form.btnSend->click();
        // The window goes on while the mail travels.
        QCOMPARE(form.lblHints->text(), QStringLiteral("正在发送邮件..."));
        QVERIFY(form.isSending());
        QVERIFY(finished.wait(30000));
        QVERIFY2(finished.first().first().toBool(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(form.lblHints->text(), QStringLiteral("邮件发送完毕！非常感谢您的支持！"));

        const QJsonObject mail = receivedMail(1);
        QCOMPARE(headersOf(mail), feedbackMailHeaders("me@example.org"));
        const QString body = mail["body"].toString();
        QVERIFY2(
            body.contains(QStringLiteral("&lt;script&gt;alert('x')&lt;/script&gt; &amp; 朱镕基")),
            qPrintable(body));
        QVERIFY(!body.contains(QStringLiteral("<script>")));
        QVERIFY(body.contains(QStringLiteral("7.其他建议：写信到maker@quillet.test")));
        QVERIFY(body.contains(QStringLiteral("满足我的打印需求：是<br>")));
    }

    void noReceiptHeaderUnlessAsked()
    {
        const auto server = startMailServer();
        QVERIFY(server->isListening());
        MessageRecorder messages;
        TfrmMeasure form;
        QSignalSpy finished(&form, &TfrmMeasure::sendFinished);
        form.edtScore->setText("60");
        form.edtReplyto->setText("not an address");
        form.CheckBox1->setChecked(false);
        form.btnSend->click();
        QVERIFY(finished.wait(30000));
        QVERIFY(finished.first().first().toBool());
        QVERIFY(receivedMail(1)["receipt"].isNull());
    }

    void refusedLoginIsShown()
    {
        const auto server = startMailServer();
        QVERIFY(server->isListening());
        IniFile(ProgramFolder::settingsPath()).writeString("Maker", "SmtpPassword", "wrong");
        MessageRecorder messages;
        TfrmMeasure form;
        QSignalSpy finished(&form, &TfrmMeasure::sendFinished);
        form.edtScore->setText("70");
        form.CheckBox1->setChecked(false);
        form.btnSend->click();
        QVERIFY(finished.wait(30000));
        QVERIFY(!finished.first().first().toBool());
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown().first().kind, Messages::Kind::Error);
        QVERIFY(messages.lastText().contains(QStringLiteral("拒绝登录")));
        QCOMPARE(form.lblHints->text(), QStringLiteral("正在发送邮件..."));
    }
};

QTEST_MAIN(FeedbackTest)
#include "tst_feedback.moc"

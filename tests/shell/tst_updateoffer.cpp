#include "support/MessageRecorder.h"
#include "support/UpdateServer.h"

#include "shell/UpdateOffer.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class UpdateOfferTest : public QObject {
    Q_OBJECT
    std::unique_ptr<UpdateServer> m_server;
    QString m_programFile;

    void announce(const QString &name, const QString &version, const QString &path,
                  const QByteArray &sha256)
    {
        m_server->serve(name, "version=" + version.toLatin1() +
                                  "\nfile=" + m_server->url(path).toLatin1() +
                                  "\nsha256=" + sha256.toHex() + "\n");
    }

    // Runs one check to its end with the window given; the messages shown are recorded.
    void runCheck(const QString &versionFile, bool asked, QWidget *window = nullptr)
    {
        UpdateOffer offer(window);
        offer.setProgramFile(m_programFile);
        QSignalSpy done(&offer, &UpdateOffer::done);
        offer.start(m_server->url(versionFile), asked);
        QVERIFY(done.wait(30000));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_server = std::make_unique<UpdateServer>();
        QVERIFY2(m_server->isListening(), qPrintable(m_server->errors()));
    }

    void init() { m_programFile = m_server->freshProgramFile(); }

    void sameVersionIsSilentUnlessAsked_data()
    {
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QStringList>("said");
        QTest::newRow("at start") << false << QStringList();
        QTest::newRow("检测更新") << true << QStringList{QStringLiteral("您使用的已是最新版本。")};
    }
    void sameVersionIsSilentUnlessAsked()
    {
        QFETCH(bool, asked);
        QFETCH(QStringList, said);
        announce("same.inf", "4.9.0.0", "quillet", QByteArray(32, 0));
        MessageRecorder messages;
        QWidget window;
        runCheck("same.inf", asked, &window);
        QCOMPARE(messages.texts(), said);
    }

    void offlineCheckSaysNothing()
    {
        MessageRecorder messages;
        QWidget window;
        UpdateOffer offer(&window);
        QSignalSpy done(&offer, &UpdateOffer::done);
        offer.start("http://127.0.0.1:1/qlver.inf", true);
        QVERIFY(done.wait(30000));
        QCOMPARE(messages.texts(), QStringList());
    }

    void declinedOfferDownloadsNothing()
    {
        announce("newer.inf", "4.9.1.0", "quillet", UpdateServer::newProgramSha256());
        MessageRecorder messages(false);
        QWidget window;
        runCheck("newer.inf", false, &window);
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown().first().kind, Messages::Kind::YesNo);
        QVERIFY(messages.lastText().contains("4.9.1.0"));
        QCOMPARE(contentOf(m_programFile), UpdateServer::oldProgram());
    }

    void acceptedOfferInstallsAfterVerifying()
    {
        announce("newer.inf", "4.9.1.0", "quillet", UpdateServer::newProgramSha256());
        MessageRecorder messages;
        QWidget window;
        runCheck("newer.inf", false, &window);
        QCOMPARE(messages.texts().size(), 2);
        QVERIFY(messages.texts().last().contains(QStringLiteral("重新启动")));
        QCOMPARE(contentOf(m_programFile), UpdateServer::newProgram());
        QVERIFY(!window.findChild<QProgressDialog *>());
    }

    void mismatchedChecksumIsDiscardedWithAMessage()
    {
        announce("bad.inf", "5.0", "quillet", QByteArray(32, 'x'));
        MessageRecorder messages;
        QWidget window;
        runCheck("bad.inf", false, &window);
        QCOMPARE(messages.shown().last().kind, Messages::Kind::Error);
        QVERIFY(messages.lastText().contains(QStringLiteral("校验不符")));
        QCOMPARE(contentOf(m_programFile), UpdateServer::oldProgram());
    }

    void cancelledDownloadKeepsTheProgram()
    {
        announce("slow.inf", "5.0", "slow/quillet", UpdateServer::newProgramSha256());
        MessageRecorder messages;
        QWidget window;
        UpdateOffer offer(&window);
        offer.setProgramFile(m_programFile);
        QSignalSpy done(&offer, &UpdateOffer::done);
        offer.start(m_server->url("slow.inf"), false);
        QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QProgressDialog *>("dlgUpdateProgress"), 20000);
        auto *progress = window.findChild<QProgressDialog *>("dlgUpdateProgress");
        QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0, 20000);
        progress->findChild<QPushButton *>()->click();
        QVERIFY(done.wait(30000));
        QCOMPARE(messages.texts().size(), 1); // the offer only: a cancel needs no word
        QCOMPARE(contentOf(m_programFile), UpdateServer::oldProgram());
    }
};

QTEST_MAIN(UpdateOfferTest)
#include "tst_updateoffer.moc"

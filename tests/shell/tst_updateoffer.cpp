#include "support/MessageRecorder.h"
#include "support/PythonServer.h"

#include "shell/UpdateOffer.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray newProgram()
{
    QByteArray bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += char(i % 253);
    return bytes;
}

} // namespace

class UpdateOfferTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_served, m_program;
    std::unique_ptr<PythonServer> m_server;
    QString m_programFile;

    void announce(const QString &name, const QString &version, const QString &path,
                  const QByteArray &sha256)
    {
        writeFile(m_served.filePath(name), "version=" + version.toLatin1() +
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
        writeFile(m_served.filePath("quillet"), newProgram());
        m_server = std::make_unique<PythonServer>(
            QFINDTESTDATA("../transport/fixtures/http_server.py"), QStringList{m_served.path()});
        QVERIFY2(m_server->isListening(), qPrintable(m_server->errors()));
    }

    void init()
    {
        m_programFile = m_program.filePath("quillet");
        writeFile(m_programFile, "old program");
    }

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
        announce("newer.inf", "4.9.1.0", "quillet",
                 QCryptographicHash::hash(newProgram(), QCryptographicHash::Sha256));
        MessageRecorder messages(false);
        QWidget window;
        runCheck("newer.inf", false, &window);
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown().first().kind, Messages::Kind::YesNo);
        QVERIFY(messages.lastText().contains("4.9.1.0"));
        QCOMPARE(readFile(m_programFile), QByteArray("old program"));
    }

    void acceptedOfferInstallsAfterVerifying()
    {
        announce("newer.inf", "4.9.1.0", "quillet",
                 QCryptographicHash::hash(newProgram(), QCryptographicHash::Sha256));
        MessageRecorder messages;
        QWidget window;
        runCheck("newer.inf", false, &window);
        QCOMPARE(messages.texts().size(), 2);
        QVERIFY(messages.texts().last().contains(QStringLiteral("重新启动")));
        QCOMPARE(readFile(m_programFile), newProgram());
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
        QCOMPARE(readFile(m_programFile), QByteArray("old program"));
    }

    void cancelledDownloadKeepsTheProgram()
    {
        announce("slow.inf", "5.0", "slow/quillet",
                 QCryptographicHash::hash(newProgram(), QCryptographicHash::Sha256));
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
        QCOMPARE(readFile(m_programFile), QByteArray("old program"));
    }
};

QTEST_MAIN(UpdateOfferTest)
#include "tst_updateoffer.moc"

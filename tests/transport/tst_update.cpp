#include "support/UpdateServer.h"

#include "transport/TransportError.h"
#include "transport/UpdateCheck.h"
#include "transport/UpdateDownload.h"

#include <QSignalSpy>
#include <QtTest>

class UpdateTest : public QObject {
    Q_OBJECT
    std::unique_ptr<UpdateServer> m_server;
    QString m_programFile;

    VersionAnnouncement announce(const QString &path, const QByteArray &sha256)
    {
        VersionAnnouncement a;
        a.version = QStringLiteral("4.9.1.0");
        a.programUrl = QUrl(m_server->url(path));
        a.sha256 = sha256;
        return a;
    }

    // Runs a download to its end; returns the finished signal's arguments.
    QList<QVariant> download(UpdateDownload &d, bool cancelAtFirstProgress = false)
    {
        QSignalSpy done(&d, &UpdateDownload::finished);
        if (cancelAtFirstProgress)
            connect(&d, &UpdateDownload::progress, &d, [&d](qint64 got) {
                if (got > 0)
                    d.cancel();
            });
        d.start();
        if (!done.wait(30000))
            return {};
        return done.takeFirst();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_server = std::make_unique<UpdateServer>();
        QVERIFY2(m_server->isListening(), qPrintable(m_server->errors()));
    }

    void init() { m_programFile = m_server->freshProgramFile(); }

    void checkAnnouncesOnlyANewerVersion_data()
    {
        QTest::addColumn<QString>("announced");
        QTest::addColumn<bool>("newer");
        QTest::newRow("newer") << "4.9.1.0" << true;
        QTest::newRow("same") << "4.9.0.0" << false;
        QTest::newRow("older") << "4.8.0.0" << false;
    }
    void checkAnnouncesOnlyANewerVersion()
    {
        QFETCH(QString, announced);
        QFETCH(bool, newer);
        m_server->serve("qlver.inf", "version=" + announced.toLatin1() +
                                         "\nfile=http://127.0.0.1/quillet\nsha256=" +
                                         QByteArray(64, '0') + "\n");
        UpdateCheck check;
        QSignalSpy found(&check, &UpdateCheck::newerVersion);
        QSignalSpy current(&check, &UpdateCheck::upToDate);
        QSignalSpy failed(&check, &UpdateCheck::failed);
        QVERIFY(check.start(m_server->url("qlver.inf"), QStringLiteral("4.9.0.0")));
        QTRY_COMPARE_WITH_TIMEOUT(found.size() + current.size() + failed.size(), 1, 15000);
        QCOMPARE(found.size(), newer ? 1 : 0);
        QCOMPARE(current.size(), newer ? 0 : 1);
        if (newer)
            QCOMPARE(found.first().first().value<VersionAnnouncement>().version, announced);
    }

    void checkFails_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("malformed file") << "bad.inf";
        QTest::newRow("missing file") << "missing.inf";
        QTest::newRow("unreachable server") << "http://127.0.0.1:1/qlver.inf";
    }
    void checkFails()
    {
        QFETCH(QString, url);
        m_server->serve("bad.inf", "<html>not a version file</html>");
        UpdateCheck check;
        QSignalSpy failed(&check, &UpdateCheck::failed);
        QSignalSpy found(&check, &UpdateCheck::newerVersion);
        QVERIFY(check.start(url.startsWith("http") ? url : m_server->url(url), "4.9.0.0"));
        QVERIFY(failed.wait(20000));
        QCOMPARE(found.size(), 0);
        QVERIFY(!failed.first().first().toString().isEmpty());
    }

    void verifiedDownloadReplacesTheProgram()
    {
        UpdateDownload d(announce("quillet", UpdateServer::newProgramSha256()), m_programFile);
        const auto result = download(d);
        QVERIFY(!result.isEmpty());
        QVERIFY2(result[0].toBool(), qPrintable(result[1].toString() + result[2].toString()));
        QCOMPARE(contentOf(m_programFile), UpdateServer::newProgram());
        QVERIFY(QFileInfo(m_programFile).isExecutable());
        QVERIFY(!QFile::exists(UpdateDownload::partialFileOf(m_programFile)));
    }

    void checksumMismatchInstallsNothing()
    {
        UpdateDownload d(announce("quillet", QByteArray(32, '\x11')), m_programFile);
        const auto result = download(d);
        QVERIFY(!result.isEmpty());
        QVERIFY(!result[0].toBool());
        QVERIFY2(result[1].toString().contains(QStringLiteral("校验不符")),
                 qPrintable(result[1].toString()));
        QCOMPARE(contentOf(m_programFile), UpdateServer::oldProgram());
        QVERIFY(!QFile::exists(UpdateDownload::partialFileOf(m_programFile)));
    }

    void cancelledDownloadInstallsNothing()
    {
        UpdateDownload d(announce("slow/quillet", UpdateServer::newProgramSha256()), m_programFile);
        const auto result = download(d, true);
        QVERIFY(!result.isEmpty());
        QVERIFY(!result[0].toBool());
        QCOMPARE(result[1].toString(), QString()); // the user asked for it: nothing to tell
        QCOMPARE(contentOf(m_programFile), UpdateServer::oldProgram());
        QVERIFY(!QFile::exists(UpdateDownload::partialFileOf(m_programFile)));
    }

    void failedReplacementKeepsTheOldProgram()
    {
        QVERIFY_THROWS_EXCEPTION(
            TransportError, replaceProgramFile(m_server->programFolder() + "/gone", m_programFile));
        QCOMPARE(contentOf(m_programFile), UpdateServer::oldProgram());
    }

    void unreachableDownloadKeepsTheOldProgram()
    {
        VersionAnnouncement a = announce("quillet", QByteArray(32, '\0'));
        a.programUrl = QUrl("http://127.0.0.1:1/quillet");
        UpdateDownload d(a, m_programFile);
        const auto result = download(d);
        QVERIFY(!result.isEmpty());
        QVERIFY(!result[0].toBool());
        QVERIFY(!result[1].toString().isEmpty());
        QCOMPARE(contentOf(m_programFile), UpdateServer::oldProgram());
    }
};

QTEST_GUILESS_MAIN(UpdateTest)
#include "tst_update.moc"

#include "transport/TransportError.h"
#include "transport/VersionFile.h"

#include <QtTest>

class VersionFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsTheThreeKeys()
    {
        const auto a = VersionAnnouncement::parse(
            "# comment\r\n\r\n"
            "version = 4.10.0.1\r\n"
            "file=http://127.0.0.1:8000/quillet\r\n"
            "mirror=ignored by this program\r\n"
            "SHA256=e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n");
        QCOMPARE(a.version, QStringLiteral("4.10.0.1"));
        QCOMPARE(a.programUrl, QUrl("http://127.0.0.1:8000/quillet"));
        // SHA-256 of no bytes, as sha256sum gives it.
        QCOMPARE(a.sha256.toHex(),
                 QByteArray("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    }

    void refusesMalformedFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray file = "file=http://h/q\n";
        const QByteArray sum = "sha256=" + QByteArray(64, 'a') + "\n";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("html page") << QByteArray("<html><body>404</body></html>");
        QTest::newRow("no version") << file + sum;
        QTest::newRow("version words") << "version=new\n" + file + sum;
        QTest::newRow("five numbers") << "version=1.2.3.4.5\n" + file + sum;
        QTest::newRow("version twice") << "version=5\nversion=6\n" + file + sum;
        QTest::newRow("no file") << "version=5\n" + sum;
        QTest::newRow("file not http") << "version=5\nfile=ftp://h/q\n" + sum;
        QTest::newRow("file relative") << "version=5\nfile=quillet\n" + sum;
        QTest::newRow("short sum") << "version=5\n" + file + "sha256=abcd\n";
        QTest::newRow("sum not hex") << "version=5\n" + file + "sha256=" + QByteArray(64, 'g');
        QTest::newRow("too large") << "version=5\n" + file + sum + QByteArray(70000, '#');
    }
    void refusesMalformedFiles()
    {
        QFETCH(QByteArray, file);
        QVERIFY_THROWS_EXCEPTION(TransportError, VersionAnnouncement::parse(file));
    }

    void comparesVersions_data()
    {
        QTest::addColumn<QString>("candidate");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("newer");
        QTest::newRow("same") << "4.9.0.0"
                              << "4.9.0.0" << false;
        QTest::newRow("build later") << "4.9.0.1"
                                     << "4.9.0.0" << true;
        QTest::newRow("older") << "4.8.9.9"
                               << "4.9.0.0" << false;
        QTest::newRow("numbers, not text") << "4.10.0.0"
                                           << "4.9.0.0" << true;
        QTest::newRow("short equals padded") << "4.9"
                                             << "4.9.0.0" << false;
        QTest::newRow("major only") << "5"
                                    << "4.9.0.0" << true;
        QTest::newRow("not a version") << "x"
                                       << "4.9.0.0" << false;
    }
    void comparesVersions()
    {
        QFETCH(QString, candidate);
        QFETCH(QString, current);
        QFETCH(bool, newer);
        QCOMPARE(isNewerVersion(candidate, current), newer);
    }
};

QTEST_GUILESS_MAIN(VersionFileTest)
#include "tst_versionfile.moc"

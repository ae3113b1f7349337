#include "support/PythonServer.h"
#include "support/ReceivedMail.h"
#include "support/TestFiles.h"

#include "transport/SmtpMail.h"
#include "transport/TransportError.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

MailMessage sampleMessage()
{
    MailMessage m;
    m.fromName = QStringLiteral("客户");
    m.fromAddress = QStringLiteral("maker@quillet.test");
    m.toAddress = QStringLiteral("maker@quillet.test");
    m.subject = QStringLiteral("Quillet使用建议及反馈");
    // 镕 and 𠀀 are not in gb2312; the second is outside the BMP.
    m.htmlBody = QStringLiteral("朱镕基 𠀀 €<br>\r\n.\r\n第二行");
    return m;
}

} // namespace

class SmtpMailTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    std::unique_ptr<PythonServer> startServer(const QString &mailFolder, bool offerTls)
    {
        QStringList args{mailFolder, QStringLiteral("secret")};
        if (offerTls)
            args << m_dir.filePath("cert.pem") << m_dir.filePath("key.pem");
        return std::make_unique<PythonServer>(QFINDTESTDATA("fixtures/smtp_server.py"), args);
    }

    SmtpAccount account(int port)
    {
        return {QStringLiteral("127.0.0.1"), port, QStringLiteral("maker@quillet.test"),
                QStringLiteral("secret"), m_dir.filePath("cert.pem")};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QProcess openssl;
        openssl.start("openssl",
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                       "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                       m_dir.filePath("key.pem"), "-out", m_dir.filePath("cert.pem")});
        QVERIFY(openssl.waitForFinished(60000));
        QCOMPARE(openssl.exitCode(), 0);
    }

    void deliversTheMessage_data()
    {
        QTest::addColumn<bool>("offerTls");
        QTest::newRow("plain server") << false;
        QTest::newRow("server offering STARTTLS") << true;
    }
    void deliversTheMessage()
    {
        QFETCH(bool, offerTls);
        const QString folder = m_dir.filePath(offerTls ? "tls" : "plain");
        QDir().mkpath(folder);
        const auto server = startServer(folder, offerTls);
        QVERIFY2(server->isListening(), qPrintable(server->errors()));
        MailMessage m = sampleMessage();
        m.extraHeaders << std::pair{QStringLiteral("Disposition-Notification-To"),
                                    QStringLiteral("me@example.org")};
        std::atomic_bool cancel{false};
        try {
            sendMail(account(server->port()), m, cancel);
        } catch (const TransportError &e) {
            QFAIL(qPrintable(e.message() + e.detail()));
        }

        const QJsonObject how = QJsonDocument::fromJson(contentOf(folder + "/1.json")).object();
        QCOMPARE(how["tls"].toBool(), offerTls);
        QCOMPARE(how["mechanism"].toString(), QStringLiteral("LOGIN"));
        QCOMPARE(how["login"].toString(), QStringLiteral("maker@quillet.test"));
        QCOMPARE(how["from"].toString(), QStringLiteral("maker@quillet.test"));
        QCOMPARE(how["to"].toArray().first().toString(), QStringLiteral("maker@quillet.test"));

        const QJsonObject mail = receivedMail(folder + "/1.eml");
        QCOMPARE(headersOf(mail), feedbackMailHeaders("me@example.org"));
        QCOMPARE(mail["body"].toString().trimmed(), sampleMessage().htmlBody);
    }

    void refusedLoginIsAnError()
    {
        const QString folder = m_dir.filePath("refused");
        QDir().mkpath(folder);
        const auto server = startServer(folder, false);
        QVERIFY(server->isListening());
        SmtpAccount a = account(server->port());
        a.password = QStringLiteral("wrong");
        std::atomic_bool cancel{false};
        try {
            sendMail(a, sampleMessage(), cancel);
            QFAIL("a refused login was taken for success");
        } catch (const TransportError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("拒绝登录")), qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(folder + "/1.eml"));
    }

    void unreachableServerIsAnError()
    {
        std::atomic_bool cancel{false};
        QVERIFY_THROWS_EXCEPTION(TransportError, sendMail(account(1), sampleMessage(), cancel));
    }

    void headerInjectionIsRefused()
    {
        MailMessage m = sampleMessage();
        m.extraHeaders << std::pair{QStringLiteral("Disposition-Notification-To"),
                                    QStringLiteral("a@b.cc\r\nBcc: x@y.zz")};
        QVERIFY_THROWS_EXCEPTION(TransportError, m.toBytes());
    }
};

QTEST_GUILESS_MAIN(SmtpMailTest)
#include "tst_smtpmail.moc"

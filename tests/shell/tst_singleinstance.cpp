#include "shell/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

// Two real copies of the program: the second ends at once and silently; a copy killed
// without cleaning up never blocks the next start.
class TestSingleInstance : public QObject {
    Q_OBJECT

    QTemporaryDir m_temp;    // the system temporary folder as the copies see it
    QTemporaryDir m_program; // a program folder of their own

    bool someCopyHoldsLock()
    {
        SingleInstance probe;
        return !probe.acquire();
    }

    bool waitUntilLocked(QProcess &copy)
    {
        for (int i = 0; i < 200; ++i) {
            if (copy.state() != QProcess::Running)
                return false;
            if (someCopyHoldsLock())
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    void start(QProcess &copy)
    {
        copy.setProgram(m_program.filePath("quillet"));
        copy.setWorkingDirectory(m_program.path());
        copy.start();
        QVERIFY(copy.waitForStarted());
    }

    void touchRunMe()
    {
        QFile f(m_program.filePath("RunMe.bat"));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        QCOMPARE(QDir::tempPath(), QDir(m_temp.path()).canonicalPath());
        QVERIFY(
            QFile::copy(QStringLiteral(QUILLET_BIN_DIR "/quillet"), m_program.filePath("quillet")));
    }

    void secondCopyEndsSilently()
    {
        touchRunMe();
        QProcess first;
        start(first);
        QVERIFY(waitUntilLocked(first));
        QTRY_VERIFY(
            !QFile::exists(m_program.filePath("RunMe.bat"))); // deleted from the working folder

        touchRunMe();
        QProcess second;
        start(second);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(second.readAllStandardOutput(), QByteArray());
        QCOMPARE(second.readAllStandardError(), QByteArray());
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(QFile::exists(
            m_program.filePath("RunMe.bat"))); // the second copy ended before touching it

        // A crash leaves the lock file behind; the next copy starts all the same.
        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(QFile::exists(SingleInstance::lockPath("QUILLET")));
        QVERIFY(!someCopyHoldsLock());

        QProcess third;
        start(third);
        QVERIFY(waitUntilLocked(third));
        third.kill();
        third.waitForFinished(10000);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"

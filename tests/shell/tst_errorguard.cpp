#include "support/MainFormTree.h"
#include "support/MessageRecorder.h"
#include "support/TestDatabase.h"

#include "shell/QuilletApplication.h"
#include "shell/TMainForm.h"
#include "store/StoreError.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <QTabWidget>
#include <QtTest>

namespace {

// An event handler that fails the way a command deep in the program may.
class Failing : public QObject {
public:
    std::function<void()> fail;
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            fail();
        return QObject::event(event);
    }
};

// A second process that holds the database file under an exclusive lock until it is ended.
class LockHolder {
public:
    explicit LockHolder(const QString &database)
    {
        m_process.start("/usr/bin/python3", {"-c",
                                             "import sqlite3,sys\n"
                                             "c=sqlite3.connect(sys.argv[1],isolation_level=None)\n"
                                             "c.execute('BEGIN EXCLUSIVE')\n"
                                             "print('locked',flush=True)\n"
                                             "sys.stdin.read()\n",
                                             database});
        m_locked = m_process.waitForReadyRead(30000) && m_process.readAll().startsWith("locked");
    }
    ~LockHolder()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(30000);
    }
    bool locked() const { return m_locked; }

private:
    QProcess m_process;
    bool m_locked = false;
};

} // namespace

// The program's application object: its guard around every event handler, and the guards
// of the main window's commands when the database fails under them.
class TestErrorGuard : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void errorInAHandlerIsShownAndTheProgramGoesOn_data()
    {
        QTest::addColumn<bool>("ours");
        QTest::addColumn<QString>("message");
        QTest::newRow("program error") << true << "数据表“快递运单”不存在";
        QTest::newRow("other exception") << false << "程序内部错误：out of range";
    }
    void errorInAHandlerIsShownAndTheProgramGoesOn()
    {
        QFETCH(bool, ours);
        QFETCH(QString, message);
        QVERIFY(qobject_cast<QuilletApplication *>(qApp));
        MessageRecorder messages;
        Failing failing;
        failing.fail = [ours] {
            if (ours)
                throw StoreError("数据表“快递运单”不存在", "no such table");
            throw std::out_of_range("out of range");
        };
        QEvent event(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&failing, &event));
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Error);
    }

    void qtsOwnTextsAreChinese()
    {
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QString("确定"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("取消"));
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        QCOMPARE(dialog.findChild<QLabel *>("lookInLabel")->text(), QString("查找范围："));
    }

    void refreshWithDamagedDatabaseKeepsTheTree()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        const QStringList before = treeTexts(form);
        QFile file(t.folder() + "/notedb.db");
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(8192, 'x'));
        file.close();
        form.action("actRefreshTree")->trigger();
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Error);
        QCOMPARE(treeTexts(form), before);
        QVERIFY(form.isEnabled());
    }

    void lockedDatabaseStopsCommandsNotTheProgram()
    {
        TestDatabase t;
        MessageRecorder messages;
        TMainForm form;
        select(form, "(A01)快递运单");
        {
            LockHolder lock(t.folder() + "/notedb.db");
            QVERIFY(lock.locked());
            form.action("actOpen")->trigger();
            QCOMPARE(messages.shown().size(), 1);
            QVERIFY2(messages.lastText().contains("占用"), qPrintable(messages.lastText()));
            QCOMPARE(form.tabs()->count(), 0);
            form.action("actRefreshTree")->trigger();
            QCOMPARE(messages.shown().size(), 2);
            QVERIFY(form.FindKindNode("A01"));
        }
        messages.clear();
        form.action("actOpen")->trigger(); // the lock is gone: the kind opens
        QCOMPARE(form.tabs()->count(), 1);
        QVERIFY(messages.shown().isEmpty());
    }
};

int main(int argc, char **argv)
{
    QuilletApplication app(argc, argv);
    TestErrorGuard test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_errorguard.moc"

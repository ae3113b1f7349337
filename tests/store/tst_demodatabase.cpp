#include "store/Database.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// A fresh program folder gets the demo; a folder that held a database never gets a new one.
class TestDemoDatabase : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Database::disconnect(); }

    void firstStartCreatesTheDemo()
    {
        QTemporaryDir dir;
        QVERIFY(Database::createDemoIfFirstStart(dir.path()));
        const QSqlDatabase db = Database::connect(dir.filePath("notedb.db"));
        QCOMPARE(GetSqlValue(db, "SELECT group_concat(kindCode || kindName, ',') FROM noteKind"),
                 QString("A物流单据,A01快递运单,A02收款收据"));
        for (const char *table : {"noteKind", "常用数据", "快递运单", "快递运单sub", "收款收据"})
            QVERIFY2(TableExists(db, table), table);
        QCOMPARE(ReadColumnDefault(db, "收款收据", "收款人"), QString("张会计"));

        // The waybill's template is stored as shipped and has its history file.
        const QByteArray stored =
            GetSqlData(db, "SELECT template FROM noteKind WHERE kindCode = 'A01'")
                .rows[0][0]
                .toByteArray();
        QFile shipped(QStringLiteral(QUILLET_DATA_DIR "/demo_waybill.xml"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QCOMPARE(stored, shipped.readAll());
        QFile history(dir.filePath("Notes/A01_1.fr3"));
        QVERIFY(history.open(QIODevice::ReadOnly));
        QCOMPARE(history.readAll(), stored);
        QCOMPARE(GetSqlValue(db, "SELECT modqty FROM noteKind WHERE kindCode = 'A01'"),
                 QString("1"));
    }

    void existingDatabaseIsLeftAlone()
    {
        QTemporaryDir dir;
        QVERIFY(Database::createDemoIfFirstStart(dir.path()));
        {
            const QSqlDatabase db = Database::connect(dir.filePath("notedb.db"));
            RunSql(db, "DELETE FROM 收款收据");
        }
        Database::disconnect();
        QVERIFY(!Database::createDemoIfFirstStart(dir.path()));
        const QSqlDatabase db = Database::connect(dir.filePath("notedb.db"));
        QCOMPARE(GetSqlValue(db, "SELECT count(*) FROM 收款收据"), QString("0"));
    }

    void missingDatabaseIsNeverReplaced()
    {
        QTemporaryDir dir;
        QVERIFY(Database::createDemoIfFirstStart(dir.path()));
        QVERIFY(QFile::remove(dir.filePath("notedb.db")));
        QVERIFY(!Database::createDemoIfFirstStart(dir.path()));
        try {
            Database::connect(dir.filePath("notedb.db"));
            QFAIL("connected");
        } catch (const StoreError &e) {
            QVERIFY(e.message().startsWith("找不到数据库文件"));
        }
        QVERIFY(!QFile::exists(dir.filePath("notedb.db")));
    }

    void fileThatIsNoDatabaseIsRefused()
    {
        QTemporaryDir dir;
        QFile junk(dir.filePath("notedb.db"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        QVERIFY_THROWS_EXCEPTION(StoreError, Database::connect(dir.filePath("notedb.db")));
    }
};

QTEST_GUILESS_MAIN(TestDemoDatabase)
#include "tst_demodatabase.moc"

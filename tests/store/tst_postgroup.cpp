#include "support/TestDatabase.h"

#include "store/DataSet.h"
#include "store/PostGroup.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"

#include <QSqlQuery>
#include <QtTest>

// Posts grouped into one write: each still stands on its own, and what the database cannot
// keep at the end is not shown as kept.
class TestPostGroup : public QObject {
    Q_OBJECT

    // The value of row id as another program reading the file sees it.
    static QString seenFromOutside(const TestDatabase &t, int id)
    {
        QString value;
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "outside");
            other.setDatabaseName(t.folder() + "/notedb.db");
            other.open();
            value = GetSqlValue(other, "SELECT v FROM T WHERE ID = ?", {id});
        }
        QSqlDatabase::removeDatabase("outside");
        return value;
    }
    static void setV(DataSet &table, int id, int v)
    {
        QVERIFY(table.locate("ID", id));
        table.edit();
        table.setFieldValue("v", v);
        table.post();
    }

private Q_SLOTS:
    void refusedPostLeavesTheOthers()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE T (ID INTEGER PRIMARY KEY AUTOINCREMENT, v Long);\n"
               "INSERT INTO T (v) VALUES (0), (0), (0);\n"
               "CREATE TRIGGER refuse BEFORE UPDATE ON T WHEN NEW.ID = 2\n"
               "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
        DataSet table;
        t.open(table, "T");
        PostGroup group(table);
        setV(table, 1, 5);
        QVERIFY_THROWS_EXCEPTION(StoreError, setV(table, 2, 5));
        table.cancel();
        setV(table, 3, 7);
        QCOMPARE(seenFromOutside(t, 1), QString("0")); // not written yet
        group.finish();
        QCOMPARE(seenFromOutside(t, 1), QString("5"));
        QCOMPARE(seenFromOutside(t, 2), QString("0"));
        QCOMPARE(seenFromOutside(t, 3), QString("7"));
    }

    // A row that breaks a check deferred to the end is refused only then: nothing of the
    // group stays, and the table shows so.
    void writeRefusedAtTheEnd()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE P (id INTEGER PRIMARY KEY);\n"
               "INSERT INTO P (id) VALUES (1);\n"
               "CREATE TABLE T (ID INTEGER PRIMARY KEY AUTOINCREMENT,\n"
               "  v Long REFERENCES P (id) DEFERRABLE INITIALLY DEFERRED);\n"
               "INSERT INTO T (v) VALUES (1), (1);");
        QSqlQuery(t.db()).exec("PRAGMA foreign_keys = ON");
        DataSet table;
        t.open(table, "T");
        {
            PostGroup group(table);
            setV(table, 1, 1);
            setV(table, 2, 99); // no such parent
            QVERIFY_THROWS_EXCEPTION(StoreError, group.finish());
        }
        QCOMPARE(seenFromOutside(t, 2), QString("1"));
        QVERIFY(table.locate("ID", 2));
        QCOMPARE(table.fieldValue("v").toInt(), 1);
        QSqlQuery(t.db()).exec("PRAGMA foreign_keys = OFF");
    }

    void joinsATransactionAlreadyOpen()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE T (ID INTEGER PRIMARY KEY AUTOINCREMENT, v Long);\n"
               "INSERT INTO T (v) VALUES (0);");
        DataSet table;
        t.open(table, "T");
        QSqlDatabase db = t.db();
        QVERIFY(db.transaction());
        {
            PostGroup group(table);
            setV(table, 1, 5);
            group.finish();
        }
        QVERIFY(db.rollback()); // the outer transaction still decides
        QCOMPARE(GetSqlValue(db, "SELECT v FROM T WHERE ID = 1"), QString("0"));
    }
};

QTEST_GUILESS_MAIN(TestPostGroup)
#include "tst_postgroup.moc"

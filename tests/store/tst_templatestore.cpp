#include "support/TestDatabase.h"

#include "store/SqlHelpers.h"
#include "store/StoreError.h"
#include "store/TemplateStore.h"

#include <QtTest>

// A form kind's template in its noteKind row: looked up by the kind code as a value, saved
// with its count raised. The demo's 快递运单 (A01) has a template saved once; 收款收据
// (A02) has none.
class TestTemplateStore : public QObject {
    Q_OBJECT

    static QVariant cell(const TestDatabase &t, const QString &query)
    {
        const DataPacket p = GetSqlData(t.db(), query);
        return p.rows.isEmpty() ? QVariant() : p.rows[0][0];
    }

private Q_SLOTS:
    void lookupFindsTheKindsRow_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("row");
        QTest::addColumn<bool>("hasTemplate");
        QTest::newRow("with template") << "A01" << true << true;
        QTest::newRow("without template") << "A02" << true << false;
        QTest::newRow("category") << "A" << true << false;
        QTest::newRow("unknown code") << "Z99" << false << false;
        QTest::newRow("quote in code") << "Q'1" << true << false;
        // The code is a value, never statement text: this finds nothing, harms nothing.
        QTest::newRow("code as SQL") << "x' OR '1'='1" << false << false;
    }
    void lookupFindsTheKindsRow()
    {
        QFETCH(QString, code);
        QFETCH(bool, row);
        QFETCH(bool, hasTemplate);
        TestDatabase t;
        t.exec("INSERT INTO noteKind (kindCode, kindName, layer) VALUES ('Q''1', '引号单', 2);");
        TemplateStore store(t.db(), code);
        store.lookup();
        QCOMPARE(store.hasRow(), row);
        QCOMPARE(store.hasTemplate(), hasTemplate);
        QCOMPARE(store.templateBytes().isEmpty(), !hasTemplate);
    }

    void saveCountsNullAsNoSave_data()
    {
        QTest::addColumn<QString>("before"); // modqty as SQL
        QTest::addColumn<int>("after");
        QTest::newRow("null") << "NULL" << 1;
        QTest::newRow("zero") << "0" << 1;
        QTest::newRow("seven") << "7" << 8;
    }
    void saveCountsNullAsNoSave()
    {
        QFETCH(QString, before);
        QFETCH(int, after);
        TestDatabase t;
        t.exec(QString("UPDATE noteKind SET modqty = %1 WHERE kindCode = 'A02';").arg(before));
        TemplateStore store(t.db(), "A02");
        store.lookup();
        const TemplateStore::Saved saved = store.save("<bytes/>");
        QCOMPARE(saved.kindCode, QString("A02"));
        QCOMPARE(saved.modqty, after);
        QCOMPARE(cell(t, "SELECT modqty FROM noteKind WHERE kindCode = 'A02'").toInt(), after);
        QCOMPARE(cell(t, "SELECT template FROM noteKind WHERE kindCode = 'A02'").toByteArray(),
                 QByteArray("<bytes/>"));
        QVERIFY(store.hasTemplate());
        // Only the kind's own row changes.
        QCOMPARE(cell(t, "SELECT modqty FROM noteKind WHERE kindCode = 'A01'").toInt(), 1);
    }

    void saveOfAKindDeletedMeanwhileIsRefused()
    {
        TestDatabase t;
        TemplateStore store(t.db(), "A02");
        store.lookup();
        t.exec("DELETE FROM noteKind WHERE kindCode = 'A02';");
        QVERIFY_THROWS_EXCEPTION(StoreError, store.save("<bytes/>"));
        TemplateStore unknown(t.db(), "Z99");
        unknown.lookup();
        QVERIFY_THROWS_EXCEPTION(StoreError, unknown.save("<bytes/>"));
    }
};

QTEST_GUILESS_MAIN(TestTemplateStore)
#include "tst_templatestore.moc"

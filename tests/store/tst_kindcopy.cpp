#include "support/TestDatabase.h"

#include "store/KindCopy.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"

#include <QtTest>

namespace {

// A category X with a kind X03 whose table has every kind of column definition, and rows
// with print flags, fill dates, a deleted record's ID left behind.
const char *const Kinds =
    "INSERT INTO noteKind (kindCode, kindName, parentId, layer) VALUES ('X', '类', NULL, 1);\n"
    "INSERT INTO noteKind (kindCode, kindName, parentId, layer, hasDetail, template) VALUES\n"
    " ('X03', '发货单', (SELECT ID FROM noteKind WHERE kindCode = 'X'), 2, 1, x'3c3e');\n"
    "CREATE TABLE \"发货单\" (ID INTEGER PRIMARY KEY AUTOINCREMENT, \"客户\" Text (50) NOT NULL,"
    " \"备注\" Text (24) DEFAULT 'it''s', \"金额\" Currency, \"打印标记\" yesno NOT NULL DEFAULT 0,"
    " \"填写日期\" Time);\n"
    "INSERT INTO \"发货单\" VALUES (3, '甲', '备', 12.5, -1, '2026-12-01 00:00:00'),\n"
    " (7, '乙', NULL, NULL, 0, '2026-12-02 08:30:00');\n"
    "DELETE FROM \"发货单\" WHERE ID = 7;\n"
    "INSERT INTO \"发货单\" VALUES (5, '丙', 'x', 0.0001, 0, NULL);";

QString count(const QSqlDatabase &db, const QString &query)
{
    return GetSqlValue(db, query);
}

} // namespace

class TestKindCopy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nextCode_data()
    {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("greatest");
        QTest::addColumn<QString>("next");
        QTest::newRow("X07 gives X08") << "X"
                                       << "X07"
                                       << "X08";
        QTest::newRow("two digits kept") << "X"
                                         << "X01"
                                         << "X02";
        QTest::newRow("ten") << "A"
                             << "A09"
                             << "A10";
        QTest::newRow("last one left") << "B"
                                       << "B98"
                                       << "B99";
        QTest::newRow("trimmed") << "C "
                                 << "C05  "
                                 << "C06";
    }
    void nextCode()
    {
        QFETCH(QString, parent);
        QFETCH(QString, greatest);
        QFETCH(QString, next);
        QCOMPARE(KindCopy::NextCode(parent, greatest), next);
    }

    void nextCodeRefused_data()
    {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("greatest");
        QTest::newRow("X99 needs three digits") << "X"
                                                << "X99";
        QTest::newRow("tail no number") << "X"
                                        << "X0A";
        QTest::newRow("parent not in the code") << "Y"
                                                << "X05";
        QTest::newRow("no category row") << ""
                                         << "X05";
    }
    void nextCodeRefused()
    {
        QFETCH(QString, parent);
        QFETCH(QString, greatest);
        QVERIFY_THROWS_EXCEPTION(StoreError, KindCopy::NextCode(parent, greatest));
    }

    void copyKeepsDefinitionsAndRows()
    {
        TestDatabase t(TestDatabase::Demo);
        t.exec(Kinds);
        const QSqlDatabase db = t.db();
        const KindCopy::Plan plan = KindCopy::PlanCopy(db, "X03");
        QCOMPARE(plan.newCode, QString("X04"));
        KindCopy::CopyKind(db, plan, "发货单", " 副本 ");

        const DataPacket row = GetSqlData(
            db, "SELECT kindName, parentId = (SELECT ID FROM noteKind WHERE kindCode = 'X'), "
                "layer, hasDetail, created_by, template IS NULL FROM noteKind WHERE kindCode = "
                "'X04'");
        QCOMPARE(row.rows.size(), 1);
        QCOMPARE(row.rows[0], QVariantList({"副本", 1, 2, 0, "系统", 1}));
        const QString info = "SELECT name, type, \"notnull\", dflt_value, pk FROM "
                             "pragma_table_info('%1') ORDER BY cid";
        QCOMPARE(GetSqlData(db, info.arg("副本")).rows, GetSqlData(db, info.arg("发货单")).rows);
        const QString rows = "SELECT * FROM \"%1\" ORDER BY ID";
        QCOMPARE(GetSqlData(db, rows.arg("副本")).rows, GetSqlData(db, rows.arg("发货单")).rows);
        QCOMPARE(GetSqlData(db, rows.arg("副本")).rows.size(), 2);
        // The counter goes on after the deleted record 7, as in the source.
        RunSql(db, "INSERT INTO \"副本\" (\"客户\") VALUES ('丁')");
        QCOMPARE(count(db, "SELECT max(ID) FROM \"副本\""), QString("8"));
        QVERIFY(!TableExists(db, "副本sub"));
    }

    void anyNameWorks()
    {
        TestDatabase t(TestDatabase::Demo);
        t.exec(Kinds);
        const QString name = "a \"b\" [c]; 'd' (e)";
        KindCopy::CopyKind(t.db(), KindCopy::PlanCopy(t.db(), "X03"), "发货单", name);
        QVERIFY(TableExists(t.db(), name));
        QCOMPARE(count(t.db(), "SELECT count(*) FROM " + quoteName(name)), QString("2"));
    }

    void failedCopyStoresNothing_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty name") << "发货单"
                                    << "  ";
        QTest::newRow("source table missing") << "没有的表"
                                              << "副本";
        QTest::newRow("name of the catalogue") << "发货单"
                                               << "noteKind";
    }
    void failedCopyStoresNothing()
    {
        QFETCH(QString, source);
        QFETCH(QString, name);
        TestDatabase t(TestDatabase::Demo);
        t.exec(Kinds);
        const QString kinds = "SELECT group_concat(kindCode) FROM noteKind";
        const QString before = count(t.db(), kinds);
        const QString tables = "SELECT count(*) FROM sqlite_master";
        const QString tablesBefore = count(t.db(), tables);
        QVERIFY_THROWS_EXCEPTION(
            StoreError,
            KindCopy::CopyKind(t.db(), KindCopy::PlanCopy(t.db(), "X03"), source, name));
        QCOMPARE(count(t.db(), kinds), before);
        QCOMPARE(count(t.db(), tables), tablesBefore);
    }
};

QTEST_GUILESS_MAIN(TestKindCopy)
#include "tst_kindcopy.moc"

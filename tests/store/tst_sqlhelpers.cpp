#include "support/TestDatabase.h"

#include "store/KindCode.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"

#include <QtTest>

class TestSqlHelpers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tableExistsIgnoresCase()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE abcSUB (ID INTEGER PRIMARY KEY);\n"
               "CREATE INDEX 发票索引 ON abcSUB (ID);");
        QVERIFY(TableExists(t.db(), "ABCsub"));
        QVERIFY(TableExists(t.db(), "abcsub"));
        QVERIFY(TableExists(t.db(), "发票索引")); // every kind of object counts
        QVERIFY(!TableExists(t.db(), "abc"));
        QVERIFY(!TableExists(t.db(), "abc*")); // typed names are names, never patterns
        QVERIFY(!TableExists(t.db(), "x' OR '1'='1"));
    }

    void namesWithQuotesAndChineseAreSafe()
    {
        TestDatabase t(TestDatabase::Empty);
        const QString table = "客户\"表' ; DROP TABLE noteKind";
        RunSql(t.db(),
               QString("CREATE TABLE %1 (%2 Text (10))").arg(quoteName(table), quoteName("名 称")));
        RunSql(t.db(), QString("INSERT INTO %1 VALUES (?)").arg(quoteName(table)), {"O'Brien"});
        QVERIFY(TableExists(t.db(), table));
        QCOMPARE(
            GetSqlValue(t.db(),
                        QString("SELECT %1 FROM %2").arg(quoteName("名 称"), quoteName(table))),
            QString("O'Brien"));
        QCOMPARE(GetSqlValue(t.db(), "SELECT " + quoteText("it's") + " || 'x'"), QString("it'sx"));
    }

    void getSqlValueWithoutRowsIsEmpty()
    {
        TestDatabase t;
        QCOMPARE(GetSqlValue(t.db(), "SELECT kindCode FROM noteKind WHERE ID = ?", {-5}),
                 QString());
        // An aggregate over no rows yields one row holding an empty value.
        QCOMPARE(
            GetSqlValue(t.db(), "select max(kindCode) from noteKind where parentId = ?", {999}),
            QString());
        QCOMPARE(GetSqlValue(t.db(), "SELECT count(*) FROM noteKind"), QString("3"));
    }

    void refusedStatementThrowsWithEngineText()
    {
        TestDatabase t(TestDatabase::Empty);
        try {
            RunSql(t.db(), "SELECT * FROM 不存在的表");
            QFAIL("no error");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains("不存在的表"), qPrintable(e.message()));
        }
    }

    void getSqlDataReturnsNamesAndRows()
    {
        TestDatabase t;
        const DataPacket p =
            GetSqlData(t.db(), "SELECT kindCode, kindName FROM noteKind ORDER BY kindCode");
        QCOMPARE(p.columnNames, QStringList({"kindCode", "kindName"}));
        QCOMPARE(p.rows.size(), 3);
        QCOMPARE(p.rows[1][1].toString(), QString("快递运单"));
    }

    void columnDefaultsRoundTripAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("chinese") << "北京";
        QTest::newRow("spaces kept") << "  两边有空格  ";
        QTest::newRow("quotes") << "'带引号' and \"double\"";
        QTest::newRow("looks like a number") << "007";
        QTest::newRow("the word NULL") << "NULL ";
    }
    void columnDefaultsRoundTripAsTyped()
    {
        QFETCH(QString, typed);
        TestDatabase t(TestDatabase::Empty);
        RunSql(t.db(), QString("CREATE TABLE t (ID INTEGER PRIMARY KEY AUTOINCREMENT, a Text (50) "
                               "DEFAULT %1, b Long)")
                           .arg(quoteText(typed)));
        QCOMPARE(ReadColumnDefault(t.db(), "T", "A"), typed);
        QCOMPARE(ReadColumnDefault(t.db(), "t", "b"), QString());
        const QList<ColumnDef> columns = ReadTableColumns(t.db(), "t");
        QCOMPARE(columns[0].type, FieldType::Counter);
        QCOMPARE(columns[1].type, FieldType::Text);
        QCOMPARE(columns[1].size, 50);
        QCOMPARE(columns[2].type, FieldType::Integer);
        QVERIFY_THROWS_EXCEPTION(StoreError, ReadColumnDefault(t.db(), "t", "missing"));
    }

    void splitList_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("three names")
            << "ID;打印标记;填写日期" << QStringList{"ID", "打印标记", "填写日期"};
        QTest::newRow("empty piece between") << "ID;;MID" << QStringList{"ID", "", "MID"};
        QTest::newRow("separator at end") << "ID;MID;" << QStringList{"ID", "MID"};
        QTest::newRow("blanks trimmed") << "  ID ; MID  " << QStringList{"ID", "MID"};
        QTest::newRow("leading separator") << ";ID" << QStringList{"", "ID"};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void splitList()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, pieces);
        QStringList list{"already"};
        QCOMPARE(SplitList(text, &list, u';', true), int(pieces.size()));
        QCOMPARE(list, QStringList{"already"} + pieces);
        QCOMPARE(SplitList("a,b", nullptr, u';', true), 0);
    }

    void kindCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("parentLength");
        QTest::newRow("category") << "X" << 1 << 0;
        QTest::newRow("form kind") << "X01" << 2 << 1;
        QTest::newRow("blanks trimmed") << " X01 " << 2 << 1;
        QTest::newRow("empty") << "" << -1 << 0;
        QTest::newRow("two") << "X0" << -1 << 0;
        QTest::newRow("four") << "X012" << -1 << 0;
    }
    void kindCodes()
    {
        QFETCH(QString, code);
        QFETCH(int, level);
        QFETCH(int, parentLength);
        QCOMPARE(KindCode::KindCodeLevel(code), level);
        QCOMPARE(KindCode::ParentCodeLength(code), parentLength);
    }

    void nodeTexts()
    {
        QCOMPARE(KindCode::CodeFormatMask(), QString("* ** "));
        QCOMPARE(KindCode::NodeText(" X01 ", "发票"), QString("(X01)发票"));
        QCOMPARE(KindCode::NodeKindCode("(X01)发票"), QString("X01"));
        QCOMPARE(KindCode::NodeKindName("(X01)发票"), QString("发票"));
        QCOMPARE(KindCode::NodeKindCode("所有模板"), QString());
        QCOMPARE(KindCode::NodeKindName("基础数据"), QString());
        QCOMPARE(KindCode::NodeKindName("(X01"), QString());
    }
};

QTEST_GUILESS_MAIN(TestSqlHelpers)
#include "tst_sqlhelpers.moc"

#include "support/StructureRows.h"
#include "support/TestDatabase.h"

#include "store/Currency.h"
#include "store/DataSet.h"
#include "store/FieldStructure.h"
#include "store/FieldValue.h"
#include "store/FooterSums.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"
#include "store/TableRebuild.h"

#include <QtTest>
#include <limits>

class TestFieldValue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void doublesThatAreNoWholeNumberAreRefused_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
        QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity();
        QTest::newRow("2^63") << 9223372036854775808.0;
        QTest::newRow("1e300") << 1e300;
        QTest::newRow("-1e19") << -1e19;
        QTest::newRow("a fraction") << 1.5;
    }
    void doublesThatAreNoWholeNumberAreRefused()
    {
        QFETCH(double, value);
        QVERIFY(!FieldValue::coerce(value, FieldType::Integer));
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 单据 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 件数 Long);");
        DataSet table;
        t.open(table, "单据");
        table.append();
        QVERIFY_THROWS_EXCEPTION(StoreError, table.setFieldValue("件数", value));
    }

    void wholeNumbersAtTheEdgesAreKept_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("whole");
        QTest::newRow("-2^63") << -9223372036854775808.0 << std::numeric_limits<qint64>::min();
        QTest::newRow("largest below 2^63") << 9223372036854774784.0 << qint64(9223372036854774784);
        QTest::newRow("zero") << 0.0 << qint64(0);
    }
    void wholeNumbersAtTheEdgesAreKept()
    {
        QFETCH(double, value);
        QFETCH(qint64, whole);
        QCOMPARE(FieldValue::coerce(value, FieldType::Integer)->toLongLong(), whole);
    }

    void storedDoublesBeyondAWholeNumberReadAsEmpty_data()
    {
        QTest::addColumn<double>("stored");
        QTest::newRow("1e300") << 1e300;
        QTest::newRow("-1e19") << -1e19;
    }
    void storedDoublesBeyondAWholeNumberReadAsEmpty()
    {
        QFETCH(double, stored);
        QVERIFY(FieldValue::fromStorage(stored, FieldType::Integer).isNull());
    }

    void floatsRefuseWhatTheStoreCannotHold()
    {
        QVERIFY(!FieldValue::coerce(std::numeric_limits<double>::quiet_NaN(), FieldType::Float));
        QVERIFY(!FieldValue::coerce(std::numeric_limits<double>::infinity(), FieldType::Float));
        QVERIFY(!FieldValue::parse("nan", FieldType::Float));
        QVERIFY(!FieldValue::parse("inf", FieldType::Float));
    }

    void wholeNumbersBeyondTheMoneyRangeAreRefused()
    {
        // 10^15 yuan are 10^19 ten-thousandths: more than 64 bits hold.
        QVERIFY(!FieldValue::coerce(qint64(1000000000000000), FieldType::Currency));
        QCOMPARE(FieldValue::coerce(qint64(-12), FieldType::Currency)->value<Currency>().units(),
                 qint64(-120000));
    }

    // Which amounts a double gives back exactly was worked out with Python's decimal module:
    // the shortest text of the nearest double, rounded to four places, equals the amount.
    void moneyRoundTripsExactlyOrIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("exact");
        QTest::newRow("smallest unit") << "0.0001" << true;
        QTest::newRow("sixteen nines") << "999999999999.9999" << true;
        QTest::newRow("sixteen nines, negative") << "-999999999999.9999" << true;
        QTest::newRow("sixteen digits") << "123456789012.3456" << true;
        QTest::newRow("eighteen digits") << "12345678901234.5678" << false;
        QTest::newRow("seventeen digits") << "1234567890123.4567" << false;
        QTest::newRow("sixteen digits, too fine") << "99999999999999.99" << false;
        QTest::newRow("one unit above a whole") << "5000000000000.0001" << false;
    }
    void moneyRoundTripsExactlyOrIsRefused()
    {
        QFETCH(QString, typed);
        QFETCH(bool, exact);
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 单据 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 金额 Currency);");
        DataSet table;
        t.open(table, "单据");
        table.append();
        try {
            table.setFieldValue("金额", typed);
            QVERIFY2(exact, "not refused");
        } catch (const StoreError &e) {
            QVERIFY2(!exact, qPrintable(e.message()));
            QCOMPARE(e.message(),
                     "栏目“金额”的金额“" + typed +
                         "”位数太多，不能准确保存（整数和小数合计15位以内的金额都能保存）");
            return;
        }
        table.post();
        table.reopen();
        QCOMPARE(table.fieldValue("金额").value<Currency>().toString(), typed);
        QCOMPARE(GetSqlValue(t.db(), "SELECT typeof(金额) FROM 单据"), QString("real"));
    }

    void rebuildIntoMoneyRefusesWhatItCannotKeep()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 单据 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 金额 Text (30), 打印标记 "
               "yesno NOT NULL DEFAULT 0, 填写日期 Time);\n"
               "INSERT INTO 单据 (ID, 金额) VALUES (4, '999999999999.9999'), (9, "
               "'12345678901234.5678');");
        const QString before =
            GetSqlValue(t.db(), "SELECT group_concat(ID || ':' || 金额) FROM 单据");
        try {
            RebuildTable(t.db(), "单据", {row("金额", "货币")}, TableRole::Main);
            QFAIL("not refused");
        } catch (const StoreError &e) {
            QCOMPARE(e.message(),
                     QString("记录（ID=9）中栏目“金额”的金额“12345678901234.5678”位数太多，"
                             "不能准确保存（整数和小数合计15位以内的金额都能保存）"));
        }
        QCOMPARE(GetSqlValue(t.db(), "SELECT group_concat(ID || ':' || 金额) FROM 单据"), before);
        RunSql(t.db(), "DELETE FROM 单据 WHERE ID = 9");
        RebuildTable(t.db(), "单据", {row("金额", "货币")}, TableRole::Main);
        DataSet table;
        t.open(table, "单据");
        QCOMPARE(table.fieldValue("金额").value<Currency>().toString(),
                 QString("999999999999.9999"));
    }

    // 999999999999.9999 + 0.0051 is 1000000000000.005, which shows as ...0.01; one unit less
    // anywhere would show ...0.00. The amounts are stored as the engine writes them from
    // their text, as in tables of earlier versions.
    void moneyFootersAreExact()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 单据 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 金额 Currency);\n"
               "INSERT INTO 单据 (金额) VALUES (999999999999.9999), (0.0051);");
        DataSet table;
        t.open(table, "单据");
        QCOMPARE(table.value(0, 1).value<Currency>().toString(), QString("999999999999.9999"));
        QCOMPARE(FooterTexts(table), QStringList({"2", "￥1000000000000.01"}));
    }
};

QTEST_GUILESS_MAIN(TestFieldValue)
#include "tst_fieldvalue.moc"

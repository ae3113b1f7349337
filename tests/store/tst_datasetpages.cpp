#include "support/TestDatabase.h"

#include "store/DataSet.h"
#include "store/FooterSums.h"

#include <QtTest>

// A data set holds only the row ids in view and reads values a page at a time, keeping the
// pages read lately: tables larger than a page and than what is kept show every row right,
// in a column's order, and the footers stay exact while rows are changed, added and removed.
class TestDataSetPages : public QObject {
    Q_OBJECT

    // Rows 1..count: 名称 as given by nameSql over i, 数量 = i, 金额 = i / 100.
    static void fill(const TestDatabase &t, int count, const QString &nameSql)
    {
        t.exec(QStringLiteral(
                   "CREATE TABLE 大表 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 名称 Text (20), "
                   "数量 Long, 金额 Currency);\n"
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                   "INSERT INTO 大表 (名称, 数量, 金额) SELECT %2, i, i / 100.0 FROM n;\n")
                   .arg(count)
                   .arg(nameSql));
    }

    static QList<qint64> ids(const DataSet &ds)
    {
        QList<qint64> seen;
        for (int r = 0; r < ds.rowCount(); ++r)
            seen << ds.value(r, 0).toLongLong();
        return seen;
    }

private Q_SLOTS:
    void readsEveryRowPastWhatIsKept()
    {
        TestDatabase t(TestDatabase::Empty);
        fill(t, 20000, "'N' || i");
        DataSet ds;
        t.open(ds, "大表", "数量 > 10");
        QCOMPARE(ds.rowCount(), 19990);
        for (int r = 0; r < ds.rowCount(); ++r)
            if (ds.value(r, 2).toLongLong() != r + 11)
                QFAIL(qPrintable(
                    QStringLiteral("row %1 reads %2").arg(r).arg(ds.value(r, 2).toString())));
        // The first page was let go while the last ones were read.
        QCOMPARE(ds.value(0, 1).toString(), QString("N11"));
        // 11 + ... + 20000 = 20000 * 20001 / 2 - 55.
        const QStringList expected{"19990", "", "200009945", "￥2000099.45"};
        QCOMPARE(FooterTexts(ds), expected);
        QCOMPARE(ViewFooter().texts(ds), expected);
    }

    void sortsAcrossPagesCaseIgnoredEmptyFirstAndStable_data()
    {
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QString>("filter");
        // The second filter passes every row but only the program can judge its text equality,
        // so the rows are read and judged here instead of chosen by the database.
        const QString judgedHere = "数量 > 0 or 名称 = 'x'";
        QTest::newRow("ascending") << Qt::AscendingOrder << QString();
        QTest::newRow("descending") << Qt::DescendingOrder << QString();
        QTest::newRow("ascending, judged here") << Qt::AscendingOrder << judgedHere;
        QTest::newRow("descending, judged here") << Qt::DescendingOrder << judgedHere;
    }
    void sortsAcrossPagesCaseIgnoredEmptyFirstAndStable()
    {
        QFETCH(Qt::SortOrder, order);
        QFETCH(QString, filter);
        TestDatabase t(TestDatabase::Empty);
        // i % 3 = 0: no name; 1: "b" and "B" by turns, equal with case ignored; 2: "A".
        fill(t, 1000,
             "CASE i % 3 WHEN 0 THEN NULL WHEN 1 THEN (CASE i % 2 WHEN 0 THEN 'b' ELSE 'B' END) "
             "ELSE 'A' END");
        DataSet ds;
        t.open(ds, "大表", filter);
        ds.setSort("名称", order);
        QList<qint64> empty, a, b;
        for (qint64 i = 1; i <= 1000; ++i)
            (i % 3 == 0 ? empty : i % 3 == 1 ? b : a) << i;
        // Rows that compare equal keep the order they were read in, either way.
        const QList<qint64> expected = order == Qt::AscendingOrder ? empty + a + b : b + a + empty;
        QCOMPARE(ids(ds), expected);
    }

    // More rows in view than the footer reads outright, so the database totals them.
    void footersStayExactAsRowsLeaveTheFilterArriveAndGo()
    {
        TestDatabase t(TestDatabase::Empty);
        fill(t, 5000, "'N' || i");
        DataSet ds;
        t.open(ds, "大表", "数量 < 2500");
        ViewFooter footer;
        // 1 + ... + 2499 = 2499 * 2500 / 2.
        QCOMPARE(footer.texts(ds), QStringList({"2499", "", "3123750", "￥31237.50"}));

        // The first row no longer passes the filter but stays in view, as typed.
        ds.edit();
        ds.setFieldValue("数量", 5000);
        QCOMPARE(footer.texts(ds), QStringList({"2499", "", "3128749", "￥31237.50"}));
        ds.post();
        QCOMPARE(ds.value(0, 2).toLongLong(), 5000);
        QCOMPARE(footer.texts(ds), QStringList({"2499", "", "3128749", "￥31237.50"}));
        QCOMPARE(FooterTexts(ds.columns(), DatabaseFooterTotals(ds).value()), FooterTexts(ds));

        ds.append();
        ds.setFieldValue("数量", 10000);
        ds.setFieldValue("金额", 0.5);
        QCOMPARE(footer.texts(ds), QStringList({"2500", "", "3138749", "￥31238.00"}));
        ds.post();
        QCOMPARE(footer.texts(ds), QStringList({"2500", "", "3138749", "￥31238.00"}));
        QCOMPARE(FooterTexts(ds.columns(), DatabaseFooterTotals(ds).value()), FooterTexts(ds));

        ds.first();
        ds.deleteCurrent();
        QCOMPARE(footer.texts(ds), QStringList({"2499", "", "3133749", "￥31237.99"}));
        QCOMPARE(FooterTexts(ds.columns(), DatabaseFooterTotals(ds).value()), FooterTexts(ds));
    }

    // A footer kept across single posts and deletions follows each by its difference; after
    // every step it must read as one worked out afresh, and as the rows in view add up. The
    // prices are quarters, so that every floating point sum is exact whatever its order.
    void keptFooterReadsAsOneWorkedOutAfresh()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 价表 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 名称 Text (20), "
               "数量 Long, 单价 Number, 金额 Currency);\n"
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
               "INSERT INTO 价表 (名称, 数量, 单价, 金额) SELECT 'N' || i, i, i / 4.0, i / 100.0 "
               "FROM n;");
        DataSet ds;
        t.open(ds, "价表", "数量 > 10");
        ViewFooter kept;
        const auto check = [&](const char *step) {
            const QStringList texts = kept.texts(ds);
            QVERIFY2(texts == ViewFooter().texts(ds), step);
            QVERIFY2(texts == FooterTexts(ds), step);
        };
        // 11 + ... + 3000 = 3000 * 3001 / 2 - 55.
        QCOMPARE(kept.texts(ds), QStringList({"2990", "", "4501445", "1125361.25", "￥45014.45"}));
        // As a grid does, the footer is read after each change.
        const auto edit = [&](int row, const QString &column, const QVariant &value) {
            ds.setCurrentRow(row);
            ds.edit();
            ds.setFieldValue(column, value);
            ds.post();
            kept.texts(ds);
        };
        edit(5, "名称", "改名");
        check("a text edited");
        edit(6, "数量", -7);
        check("a whole number edited");
        edit(7, "金额", "12.34");
        check("money edited");
        edit(8, "单价", 0.75);
        check("a price edited");
        // Followed by differences, the large price would leave its rounding behind in the sum.
        edit(8, "单价", 1e17);
        edit(8, "单价", 0.5);
        check("a price made large and small again");
        // Two huge prices that cancel: a name edited beside one of them must leave the sum of
        // prices alone, as taking the huge price away and adding it back would lose the rest.
        edit(0, "单价", 1e17);
        edit(1, "单价", -1e17);
        edit(0, "名称", "大单价");
        check("a name edited beside a huge price");
        edit(1, "单价", 0.25);
        edit(0, "单价", 0.5);
        edit(9, "数量", 1);
        check("a row left the filter");
        ds.append();
        ds.setFieldValue("数量", 20);
        ds.setFieldValue("金额", "0.5");
        ds.post();
        check("a row added without a price");
        ds.append();
        ds.setFieldValue("单价", 2.25);
        ds.post();
        check("a row added with a price");
        ds.setCurrentRow(0);
        ds.deleteCurrent();
        check("a row deleted");
        edit(1, "金额", "900000000000000");
        check("a large sum of money");
        edit(2, "金额", "100000000000000");
        QCOMPARE(kept.texts(ds)[4], "合计超出范围");
        check("money summed past its range");
    }

    void locatesOnlyRowsInViewInTheirOrder()
    {
        TestDatabase t(TestDatabase::Empty);
        fill(t, 5000, "'N' || i");
        DataSet ds;
        t.open(ds, "大表", "数量 > 100");
        ds.setSort("数量", Qt::DescendingOrder);
        // 5000 is the first row, so 4000 is the thousand-and-first.
        QVERIFY(ds.locate("ID", 4000));
        QCOMPARE(ds.currentRow(), 1000);
        QVERIFY(ds.locate("名称", "n3000"));
        QCOMPARE(ds.currentRow(), 2000);
        QVERIFY(!ds.locate("ID", 50));
        QVERIFY(!ds.locate("ID", 9999));
        QCOMPARE(ds.currentRow(), 2000);
    }

    void rowGoneMeanwhileReadsEmpty()
    {
        TestDatabase t(TestDatabase::Empty);
        fill(t, 10, "'N' || i");
        DataSet ds;
        t.open(ds, "大表");
        t.exec("DELETE FROM 大表 WHERE ID = 3;\n");
        QCOMPARE(ds.value(1, 1).toString(), QString("N2"));
        QVERIFY(ds.value(2, 1).isNull());
        QCOMPARE(ds.rowValues(2).size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestDataSetPages)
#include "tst_datasetpages.moc"

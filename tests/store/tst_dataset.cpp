#include "support/TestDatabase.h"

#include "store/Currency.h"
#include "store/DataSet.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"

#include <QtTest>

// The data layer over the demo waybill kind (快递运单, 4 records, the third printed) and a
// crafted table for refusals.
class TestDataSet : public QObject {
    Q_OBJECT

    static QString tableDump(const QSqlDatabase &db, const QString &table)
    {
        QStringList rows;
        for (const auto &row :
             GetSqlData(db, "SELECT * FROM " + quoteName(table) + " ORDER BY rowid").rows) {
            QStringList cells;
            for (const QVariant &v : row)
                cells << (v.isNull() ? "<null>" : v.toString());
            rows << cells.join('|');
        }
        return rows.join('\n');
    }

    // The waybills and their lines, the lines following the current waybill.
    static void openWaybillsAndLines(const TestDatabase &t, DataSet &master, DataSet &detail)
    {
        master.setDatabase(t.db());
        master.setTableName("快递运单");
        detail.setDatabase(t.db());
        detail.setTableName("快递运单Sub");
        master.open();
        detail.setMasterLink(&master, "ID", "MID");
        detail.open();
    }

private Q_SLOTS:
    void filtersRowsInView_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("numbers");
        QTest::newRow("unprinted")
            << "打印标记=0" << QStringList{"YD20260001", "YD20260002", "YD20260004"};
        QTest::newRow("printed with leading space") << " 打印标记=-1" << QStringList{"YD20260003"};
        QTest::newRow("none") << ""
                              << QStringList{"YD20260001", "YD20260002", "YD20260003",
                                             "YD20260004"};
        QTest::newRow("keyword in any column")
            << " (单号 like '*0002*' or 收货单位 like '*0002*' or 地址 like '*成都*') "
            << QStringList{"YD20260002", "YD20260004"};
        QTest::newRow("case ignored, brackets")
            << "[收货单位] LIKE '*华联*' AND 打印标记=0" << QStringList{"YD20260001"};
        QTest::newRow("money compare exact")
            << "金额 >= 320.25 and 金额 < 1234.5" << QStringList{"YD20260002", "YD20260004"};
        QTest::newRow("not and parentheses") << "not (金额 > 100) " << QStringList{"YD20260003"};
        QTest::newRow("quote doubled") << "收货单位 = 'O''Brien'" << QStringList{};
    }
    void filtersRowsInView()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, numbers);
        TestDatabase t;
        DataSet ds;
        t.open(ds, "快递运单", filter);
        QStringList seen;
        for (int r = 0; r < ds.rowCount(); ++r)
            seen << ds.value(r, 1).toString();
        QCOMPARE(seen, numbers);
    }

    void dateBoundsIncludeTheWholeEndDay()
    {
        TestDatabase t;
        t.exec("UPDATE 快递运单 SET 填写日期 = '2026-12-09 18:00:00' WHERE ID = 1;\n"
               "UPDATE 快递运单 SET 填写日期 = '2026-12-10 00:00:00' WHERE ID = 2;\n"
               "UPDATE 快递运单 SET 填写日期 = '2026-12-02 00:00:00' WHERE ID = 3;\n"
               "UPDATE 快递运单 SET 填写日期 = NULL WHERE ID = 4;");
        DataSet ds;
        t.open(ds, "快递运单", " 填写日期 >= '2026/12/2' and 填写日期 <= '2026-12-09 23:59:59'");
        QCOMPARE(ds.rowCount(), 2);
        QCOMPARE(ds.value(0, 0).toLongLong(), 1);
        QCOMPARE(ds.value(1, 0).toLongLong(), 3);
    }

    void badFilterIsRefusedAndOldStays_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("unknown column") << "没有这栏 = 1";
        QTest::newRow("open quote") << "收货单位 like '*O'Brien*'";
        QTest::newRow("letters for money") << "金额 > 'abc'";
        QTest::newRow("missing parenthesis") << "(打印标记=0";
        QTest::newRow("dangling and") << "打印标记=0 and";
    }
    void badFilterIsRefusedAndOldStays()
    {
        QFETCH(QString, filter);
        TestDatabase t;
        DataSet ds;
        t.open(ds, "快递运单", "打印标记=0");
        ds.setCurrentRow(1);
        try {
            ds.setFilter(filter);
            QFAIL("accepted");
        } catch (const StoreError &e) {
            QVERIFY(!e.message().isEmpty());
        }
        QCOMPARE(ds.filter(), QString("打印标记=0"));
        QCOMPARE(ds.rowCount(), 3);
        QCOMPARE(ds.currentRow(), 1);
    }

    void unchangedFilterKeepsCurrentRowChangedOnePostsAndGoesFirst()
    {
        TestDatabase t;
        DataSet ds;
        t.open(ds, "快递运单", "打印标记=0");
        ds.setCurrentRow(2);
        ds.setFilter("打印标记=0");
        QCOMPARE(ds.currentRow(), 2);
        ds.edit();
        ds.setFieldValue("收货单位", "改过的单位");
        ds.setFilter("");
        QCOMPARE(ds.state(), DataSet::State::Browse);
        QCOMPARE(ds.currentRow(), 0);
        QCOMPARE(GetSqlValue(t.db(), "SELECT 收货单位 FROM 快递运单 WHERE ID = 4"),
                 QString("改过的单位"));
    }

    void refusesWhatTheTableDeclares_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("messagePart");
        QTest::newRow("text too long") << "名称" << QVariant("123456") << "名称";
        QTest::newRow("letters into number") << "数量" << QVariant("十二") << "数量";
        QTest::newRow("letters into money") << "金额" << QVariant("12元") << "金额";
        QTest::newRow("not a date") << "日期" << QVariant("2026-02-30") << "日期";
        QTest::newRow("counter") << "ID" << QVariant(7) << "ID";
    }
    void refusesWhatTheTableDeclares()
    {
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(QString, messagePart);
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 货物 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 名称 Text (5) NOT NULL, "
               "数量 Long, 金额 Currency, 日期 Time);\n"
               "INSERT INTO 货物 (名称, 数量, 金额, 日期) VALUES ('螺丝', 3, 1.5, '2026-01-01 "
               "00:00:00');");
        const QString before = tableDump(t.db(), "货物");
        DataSet ds;
        t.open(ds, "货物");
        ds.edit();
        ds.setFieldValue("数量", 4);
        try {
            ds.setFieldValue(column, value);
            QFAIL("accepted");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(messagePart), qPrintable(e.message()));
        }
        // The refused value never reached the row; what was typed before it is still there.
        QCOMPARE(ds.state(), DataSet::State::Edit);
        QCOMPARE(ds.fieldValue("数量").toLongLong(), 4);
        QCOMPARE(tableDump(t.db(), "货物"), before);
    }

    void requiredColumnRefusedAtPostNothingWritten()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 货物 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 名称 Text (5) NOT NULL, "
               "数量 Long);");
        DataSet ds;
        t.open(ds, "货物");
        ds.append();
        ds.setFieldValue("数量", "12");
        QVERIFY_THROWS_EXCEPTION(StoreError, ds.post());
        QCOMPARE(ds.state(), DataSet::State::Insert);
        QCOMPARE(ds.fieldValue("数量").toLongLong(), 12); // nothing typed is lost
        QCOMPARE(GetSqlValue(t.db(), "SELECT count(*) FROM 货物"), QString("0"));
        ds.setFieldValue("名称", "垫片");
        ds.post();
        QCOMPARE(GetSqlValue(t.db(), "SELECT 名称 || 数量 FROM 货物"), QString("垫片12"));
        QCOMPARE(ds.fieldValue("ID").toLongLong(), 1);
    }

    void moneyIsExactAndStoredDefaultsArrive()
    {
        TestDatabase t;
        DataSet ds;
        t.open(ds, "收款收据");
        ds.append();
        ds.setFieldValue("金额", "0.1");
        ds.post();
        for (int i = 0; i < 2; ++i) {
            ds.append();
            ds.setFieldValue("金额", 0.2);
            ds.post();
        }
        Currency sum;
        for (int r = 2; r < ds.rowCount(); ++r)
            sum += ds.value(r, ds.columnIndex("金额")).value<Currency>();
        QCOMPARE(sum, Currency::fromUnits(5000)); // 0.1 + 0.2 + 0.2, no binary drift
        QCOMPARE(ds.fieldValue("收款事由").toString(), QString("货款"));
        QCOMPARE(ds.fieldValue("打印标记").toBool(), false);
    }

    void untouchedNewRowIsDroppedWhenLeft()
    {
        TestDatabase t;
        DataSet ds;
        ds.setDatabase(t.db());
        ds.setTableName("收款收据");
        ds.afterInsert = [](DataSet &d) { d.setFieldValue("收款人", "李四"); };
        ds.open();
        ds.append();
        QCOMPARE(ds.rowCount(), 3);
        QCOMPARE(ds.fieldValue("收款人").toString(), QString("李四"));
        ds.setCurrentRow(0);
        QCOMPARE(ds.rowCount(), 2);
        QCOMPARE(GetSqlValue(t.db(), "SELECT count(*) FROM 收款收据"), QString("2"));
    }

    void detailFollowsMasterCurrentRow()
    {
        TestDatabase t;
        DataSet master, detail;
        openWaybillsAndLines(t, master, detail);
        QCOMPARE(detail.rowCount(), 2); // record 1: 办公椅, 文件柜
        master.setCurrentRow(1);
        QCOMPARE(detail.rowCount(), 1);
        QCOMPARE(detail.fieldValue("品名").toString(), QString("打印纸"));
        master.append();
        QCOMPARE(detail.rowCount(), 0); // a record not stored yet has no detail rows
        detail.clearMasterLink();
        QCOMPARE(detail.rowCount(), 5);
    }

    // Each move of the master reads the detail rows of its key: through an index, not by
    // passing over the whole table. A database that cannot take the index still shows them.
    void detailIsReadThroughAnIndexOnItsLink_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("writable") << false;
        QTest::newRow("read-only") << true;
    }
    void detailIsReadThroughAnIndexOnItsLink()
    {
        QFETCH(bool, readOnly);
        TestDatabase t;
        if (readOnly)
            RunSql(t.db(), "PRAGMA query_only = 1");
        DataSet master, detail;
        openWaybillsAndLines(t, master, detail);
        QCOMPARE(detail.rowCount(), 2);
        QSqlQuery plan(t.db());
        QVERIFY(plan.exec("EXPLAIN QUERY PLAN SELECT * FROM 快递运单Sub WHERE MID = 1"));
        QVERIFY(plan.next());
        const QString step = plan.value("detail").toString();
        QVERIFY2(step.contains("USING INDEX") != readOnly, qPrintable(step));
    }

    void deleteRemovesOneRowOnly()
    {
        TestDatabase t;
        DataSet ds;
        t.open(ds, "快递运单");
        ds.setCurrentRow(1);
        ds.deleteCurrent();
        QCOMPARE(ds.rowCount(), 3);
        QCOMPARE(ds.fieldValue("单号").toString(), QString("YD20260003"));
        QCOMPARE(GetSqlValue(t.db(), "SELECT group_concat(ID) FROM 快递运单"), QString("1,3,4"));
        QVERIFY(ds.locate("单号", "YD20260004"));
        QCOMPARE(ds.currentRow(), 2);
        QVERIFY(!ds.locate("单号", "YD20260002"));
    }

    // Rows posted in batch mode are not read back: what the data set holds must be what the
    // table holds, defaults and counter included.
    void batchModeHoldsWhatTheTableHolds()
    {
        TestDatabase t;
        DataSet ds;
        t.open(ds, "收款收据");
        ds.setBatchMode(true);
        ds.append();
        ds.setFieldValue("交款单位", "苏州园林");
        ds.setFieldValue("金额", "12.34");
        ds.post();
        ds.append();
        ds.setFieldValue("收款事由", "预付款");
        ds.setFieldValue("填写日期", "2026-12-09 08:30");
        ds.post();
        ds.setBatchMode(false);
        const QList<QVariantList> posted{ds.rowValues(2), ds.rowValues(3)};
        ds.reopen();
        QCOMPARE(ds.rowCount(), 4);
        QCOMPARE((QList<QVariantList>{ds.rowValues(2), ds.rowValues(3)}), posted);
        QCOMPARE(tableDump(t.db(), "收款收据").split('\n').mid(2),
                 (QStringList{"3|苏州园林|货款|12.34|张会计|0|<null>",
                              "4|<null>|预付款|<null>|张会计|0|2026-12-09 08:30:00"}));
    }

    // The rows an export writes: those in view, in view order, whether the view follows the
    // table's order (read in one pass) or a sort; a row deleted meanwhile comes empty.
    void forEachRowGivesTheViewInOrder_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("sortColumn");
        QTest::addColumn<QStringList>("numbers");
        const QStringList all{"YD20260001", "YD20260002", "YD20260003", "YD20260004"};
        QTest::newRow("whole table") << ""
                                     << "" << all;
        QTest::newRow("filtered, gaps in between")
            << "打印标记=0"
            << "" << QStringList{"YD20260001", "YD20260002", "YD20260004"};
        QTest::newRow("sorted") << ""
                                << "单号" << QStringList{all[3], all[2], all[1], all[0]};
    }
    void forEachRowGivesTheViewInOrder()
    {
        QFETCH(QString, filter);
        QFETCH(QString, sortColumn);
        QFETCH(QStringList, numbers);
        TestDatabase t;
        DataSet ds;
        t.open(ds, "快递运单", filter);
        if (!sortColumn.isEmpty())
            ds.setSort(sortColumn, Qt::DescendingOrder);
        // Deleted from outside before the data set read it.
        RunSql(t.db(), "DELETE FROM 快递运单 WHERE 单号 = ?", {numbers[1]});
        numbers[1] = QString();
        QStringList seen;
        QList<qsizetype> sizes;
        ds.forEachRow([&](const QVariantList &values) {
            sizes << values.size();
            seen << values[1].toString();
            return true;
        });
        QCOMPARE(seen, numbers);
        QCOMPARE(sizes, QList<qsizetype>(numbers.size(), ds.columns().size()));
        int calls = 0;
        ds.forEachRow([&](const QVariantList &) { return ++calls < 2; });
        QCOMPARE(calls, 2);
    }

    // A grid told of every row of a long import would redraw for each one.
    void batchModeTellsListenersOnceWhenItEnds()
    {
        TestDatabase t;
        DataSet ds;
        t.open(ds, "收款收据");
        QSignalSpy resets(&ds, &DataSet::reset);
        QSignalSpy appended(&ds, &DataSet::rowAppended);
        QSignalSpy changed(&ds, &DataSet::rowChanged);
        QSignalSpy moved(&ds, &DataSet::currentRowChanged);
        ds.setBatchMode(true);
        for (const char *payer : {"甲", "乙", "丙"}) {
            ds.append();
            ds.setFieldValue("交款单位", payer);
            ds.post();
        }
        QCOMPARE(resets.size() + appended.size() + changed.size() + moved.size(), 0);
        ds.setBatchMode(false);
        QCOMPARE(resets.size(), 1);
        QCOMPARE(moved.size(), 1);
        QCOMPARE(moved[0][0].toInt(), 4);
        QCOMPARE(ds.value(4, 1).toString(), "丙");
        // Signals flow again.
        ds.first();
        QCOMPARE(moved.size(), 2);
    }

    void batchModeNamesTheEngineReasonAndGoesOn()
    {
        TestDatabase t;
        RunSql(t.db(), "CREATE UNIQUE INDEX 单位唯一 ON 收款收据 (交款单位)");
        DataSet ds;
        t.open(ds, "收款收据");
        const QString taken = ds.value(0, 1).toString();
        QVERIFY(!taken.isEmpty());
        ds.setBatchMode(true);
        // A row already shown and then edited in a batch shows its new value.
        ds.edit();
        ds.setFieldValue("收款事由", "改过");
        ds.post();
        QCOMPARE(ds.value(0, 2).toString(), "改过");
        ds.append();
        ds.setFieldValue("交款单位", taken);
        try {
            ds.post();
            QFAIL("a second row of the same payer went in");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().startsWith("保存失败：UNIQUE constraint failed"),
                     qPrintable(e.message()));
        }
        ds.cancel();
        ds.append();
        ds.setFieldValue("交款单位", "新单位");
        ds.post();
        ds.setBatchMode(false);
        QCOMPARE(GetSqlValue(t.db(), "SELECT COUNT(*) FROM 收款收据 WHERE 交款单位 = ?", {taken}),
                 "1");
        QCOMPARE(GetSqlValue(t.db(), "SELECT 收款事由 FROM 收款收据 WHERE 交款单位 = '新单位'"),
                 "货款");
    }
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"

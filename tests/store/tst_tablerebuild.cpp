#include "support/StructureRows.h"
#include "support/TestDatabase.h"

#include "store/DataSet.h"
#include "store/FieldStructure.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"
#include "store/TableRebuild.h"

#include <QtTest>

namespace {

QList<StructureRow> with(QList<StructureRow> rows, int index, const StructureRow &changed)
{
    rows[index] = changed;
    return rows;
}

QList<StructureRow> plus(QList<StructureRow> rows, const StructureRow &added)
{
    rows << added;
    return rows;
}

// A waybill table of an older structure, with records whose IDs are not 1, 2, 3.
const char *const OldWaybill =
    "CREATE TABLE 发货单 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 客户 Text (50), 数量 Text (10), "
    "件数 Long,"
    " 备注 Text (24), 旧名 Text (10), 金额 Currency, 打印标记 yesno NOT NULL DEFAULT 0, 填写日期 "
    "Time);\n"
    "INSERT INTO 发货单 (ID, 客户, 数量, 件数, 备注, 旧名, 金额, 打印标记, 填写日期) VALUES\n"
    " (3, '甲公司', '12', 5, 'it''s', '甲', 1234.5, 1, '2026-12-01 00:00:00'),\n"
    " (7, '乙公司', '0', 0, NULL, '乙', 0.0001, 0, '2026-12-02 08:30:00'),\n"
    " (12, '丙', NULL, NULL, '', NULL, NULL, 0, NULL);";

// The list that the old waybill's structure mostly keeps.
QList<StructureRow> keptWaybill()
{
    return {row("ID", "数字"),        row("客户", "文本", 50),     row("数量", "文本", 10),
            row("件数", "数字"),      row("备注", "文本"),         row("金额", "货币"),
            row("打印标记", "是/否"), row("填写日期", "日期/时间")};
}

// The definition, the counter and every stored value with its storage class.
QStringList dump(const QSqlDatabase &db, const QString &table)
{
    QStringList lines{GetSqlValue(db, "SELECT sql FROM sqlite_master WHERE name = ?", {table}),
                      GetSqlValue(db, "SELECT seq FROM sqlite_sequence WHERE name = ?", {table})};
    QStringList columns;
    for (const ColumnDef &c : ReadTableColumns(db, table))
        columns << "quote(" + quoteName(c.name) + ")";
    const DataPacket rows = GetSqlData(db, "SELECT " + columns.join(" || '|' || ") + " FROM " +
                                               quoteName(table) + " ORDER BY rowid");
    for (const QVariantList &r : rows.rows)
        lines << r[0].toString();
    return lines;
}

QStringList rowsOf(const QSqlDatabase &db, const QString &query)
{
    QStringList lines;
    for (const QVariantList &r : GetSqlData(db, query).rows) {
        QStringList cells;
        for (const QVariant &v : r)
            cells << (v.isNull() ? "NULL" : v.toString());
        lines << cells.join('|');
    }
    return lines;
}

int scratchTables(const QSqlDatabase &db)
{
    return GetSqlValue(db, "SELECT count(*) FROM sqlite_master WHERE name LIKE 'tempNote%'")
        .toInt();
}

} // namespace

class TestTableRebuild : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void workedExampleMakesTheTable()
    {
        TestDatabase t(TestDatabase::Empty);
        FieldStructure::CreateMainTableIfMissing(t.db(), "发货单");
        QVERIFY(RebuildTable(t.db(), "发货单",
                             {row("ID", "数字"), row("客户", "文本", 40, true), row("数量", "数字"),
                              row("备注", "文本", 0, false, "无"), row("打印标记", "是/否"),
                              row("填写日期", "日期/时间")},
                             TableRole::Main));
        QStringList listing;
        for (const StructureRow &r : FieldStructure::ReadStructure(t.db(), "发货单"))
            listing << QString("%1|%2|%3|%4|%5")
                           .arg(r.fieldName, r.dataType)
                           .arg(r.size)
                           .arg(r.required)
                           .arg(r.defaultText);
        QCOMPARE(listing, QStringList({"ID|数字|10|0|", "客户|文本|40|1|", "数量|数字|10|0|",
                                       "备注|文本|24|0|无", "打印标记|是/否|0|1|0",
                                       "填写日期|日期/时间|0|0|"}));
        QCOMPARE(ReadColumnDefault(t.db(), "发货单", "备注"), QString("无"));
        QCOMPARE(scratchTables(t.db()), 0);
    }

    void detailWithoutUserColumns()
    {
        TestDatabase t(TestDatabase::Empty);
        FieldStructure::CreateDetailTableIfMissing(t.db(), "发货单");
        RebuildTable(t.db(), "发货单sub", {row("ID", "数字"), row("MID", "数字")},
                     TableRole::Detail);
        QCOMPARE(rowsOf(t.db(), "SELECT name, upper(type) FROM pragma_table_info('发货单sub')"),
                 QStringList({"ID|INTEGER", "MID|INT"}));
    }

    void recordsAreCarriedOverByName()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec(OldWaybill);
        // Reordered; 数量 made a number, 件数 made a text; 旧名 renamed to 新名; 备注 dropped.
        RebuildTable(t.db(), "发货单",
                     {row("金额", "货币"), row("客户", "文本", 50), row("数量", "数字"),
                      row("件数", "文本", 4), row("新名", "文本", 10)},
                     TableRole::Main);
        QCOMPARE(
            rowsOf(t.db(), "SELECT name FROM pragma_table_info('发货单')"),
            QStringList({"ID", "金额", "客户", "数量", "件数", "新名", "打印标记", "填写日期"}));
        QCOMPARE(
            rowsOf(t.db(),
                   "SELECT ID, quote(金额), 客户, quote(数量), quote(件数), quote(新名), 打印标记, "
                   "填写日期 FROM 发货单 ORDER BY ID"),
            QStringList({"3|1234.5|甲公司|12|'5'|NULL|1|2026-12-01 00:00:00",
                         "7|0.0001|乙公司|0|'0'|NULL|0|2026-12-02 08:30:00",
                         "12|NULL|丙|NULL|NULL|NULL|0|NULL"}));
        QCOMPARE(scratchTables(t.db()), 0);
    }

    void listedStructureKeepsEveryValue()
    {
        TestDatabase t;
        const QStringList before = dump(t.db(), "快递运单").mid(1);
        RebuildTable(t.db(), "快递运单", FieldStructure::ReadStructure(t.db(), "快递运单"),
                     TableRole::Main);
        QCOMPARE(dump(t.db(), "快递运单").mid(1), before);
    }

    void refusalLeavesTheTableAsItWas_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QList<StructureRow>>("rows");
        QTest::addColumn<QString>("message");
        const QList<StructureRow> kept = keptWaybill();
        QTest::newRow("letters into a number")
            << "UPDATE 发货单 SET 数量 = 'abc' WHERE ID = 7;" << with(kept, 2, row("数量", "数字"))
            << "记录（ID=7）中栏目“数量”的值“abc”不能存为数字";
        QTest::newRow("a fraction into a whole number")
            << "UPDATE 发货单 SET 数量 = '1.5' WHERE ID = 12;" << with(kept, 2, row("数量", "数字"))
            << "记录（ID=12）中栏目“数量”的值“1.5”不能存为数字";
        QTest::newRow("no date into a date")
            << "" << with(kept, 1, row("客户", "日期/时间"))
            << "记录（ID=3）中栏目“客户”的值“甲公司”不能存为日期/时间";
        QTest::newRow("empty value in a column made required")
            << "" << with(kept, 4, row("备注", "文本", 0, true))
            << "栏目“备注”设为必填，但记录（ID=7）中它是空的";
        QTest::newRow("empty value in a converted column made required")
            << "" << with(kept, 3, row("件数", "文本", 5, true))
            << "栏目“件数”设为必填，但记录（ID=12）中它是空的";
        QTest::newRow("new required column") << "" << plus(kept, row("新栏", "数字", 0, true))
                                             << "栏目“新栏”设为必填，但记录（ID=3）中它是空的";
        QTest::newRow("text longer than a reduced size")
            << "" << with(kept, 1, row("客户", "文本", 2))
            << "记录（ID=3）中栏目“客户”的文字有3个字，超过了新的大小2";
        QTest::newRow("converted text longer than its size")
            << "UPDATE 发货单 SET 金额 = 123456.5 WHERE ID = 7;"
            << with(kept, 5, row("金额", "文本", 6))
            << "记录（ID=7）中栏目“金额”的文字有8个字，超过了新的大小6";
        QTest::newRow("whole number longer than its new text size")
            << "UPDATE 发货单 SET 件数 = 123456 WHERE ID = 3;"
            << with(kept, 3, row("件数", "文本", 4))
            << "记录（ID=3）中栏目“件数”的文字有6个字，超过了新的大小4";
        QTest::newRow("lower-case id")
            << "" << plus(kept, row("id", "数字")) << "栏目“id”重名（栏目名称不区分大小写）";
        // These names reach the engine's own row id: the table would look empty.
        for (const char *name : {"rowid", "ROWID", "oid", "_rowid_"})
            QTest::addRow("column named %s", name)
                << "" << plus(kept, row(name, "数字"))
                << QString("栏目名称“%1”是数据库自用的名称").arg(name);
        QTest::newRow("a second counter")
            << "" << plus(kept, row("序号", "Counter")) << "栏目“序号”不能设为自动编号";
        QTest::newRow("a type that is none") << "" << plus(kept, row("类别", "文本数字"))
                                             << "栏目“类别”的数据类型“文本数字”无法识别";
        QTest::newRow("no type") << "" << plus(kept, row("类别", ""))
                                 << "栏目“类别”的数据类型“”无法识别";
        // A view over the table makes the engine refuse the rename, after the rows have been
        // copied and the old table dropped.
        QTest::newRow("failing half-way") << "CREATE VIEW 发货视图 AS SELECT 客户 FROM 发货单;"
                                          << plus(kept, row("新栏", "数字")) << "数据库错误：";
    }
    void refusalLeavesTheTableAsItWas()
    {
        QFETCH(QString, setup);
        QFETCH(QList<StructureRow>, rows);
        QFETCH(QString, message);
        TestDatabase t(TestDatabase::Empty);
        t.exec(OldWaybill);
        // A counter ahead of the last ID, as deleting the last record leaves it.
        t.exec(
            "INSERT INTO 发货单 (ID, 客户) VALUES (20, 'x');\nDELETE FROM 发货单 WHERE ID = 20;");
        if (!setup.isEmpty())
            t.exec(setup);
        const QStringList before = dump(t.db(), "发货单");
        try {
            RebuildTable(t.db(), "发货单", rows, TableRole::Main);
            QFAIL("not refused");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().startsWith(message), qPrintable(e.message()));
        }
        QCOMPARE(dump(t.db(), "发货单"), before);
        QCOMPARE(scratchTables(t.db()), 0);
    }

    void percentSignsInNamesStayNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("%2") << "规格%2"
                            << "记录（ID=1）中栏目“规格%2”的文字有6个字，超过了新的大小2";
        QTest::newRow("%1 and %3") << "%1x%3"
                                   << "记录（ID=1）中栏目“%1x%3”的文字有6个字，超过了新的大小2";
    }
    void percentSignsInNamesStayNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        TestDatabase t(TestDatabase::Empty);
        FieldStructure::CreateMainTableIfMissing(t.db(), "单据");
        RebuildTable(t.db(), "单据", {row(name, "文本", 10)}, TableRole::Main);
        RunSql(t.db(), "INSERT INTO 单据 (" + quoteName(name) + ") VALUES ('六个字的规格')");
        const QStringList before = dump(t.db(), "单据");
        try {
            RebuildTable(t.db(), "单据", {row(name, "文本", 2)}, TableRole::Main);
            QFAIL("not refused");
        } catch (const StoreError &e) {
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(dump(t.db(), "单据"), before);
    }

    void floatBecomesTheShortestText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        // Each text is the shortest that reads back as the same double (as Python's repr
        // writes it); fifteen digits would cut the first two.
        QTest::newRow("sixteen digits") << 1234567.123456789 << "1234567.123456789";
        QTest::newRow("sum of tenths") << 0.1 + 0.2 << "0.30000000000000004";
        QTest::newRow("plain") << 2.5 << "2.5";
    }
    void floatBecomesTheShortestText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        TestDatabase t(TestDatabase::Empty);
        FieldStructure::CreateMainTableIfMissing(t.db(), "单据");
        RebuildTable(t.db(), "单据", {row("重量", "浮点型")}, TableRole::Main);
        RunSql(t.db(), "INSERT INTO 单据 (重量) VALUES (?)", {value});
        RebuildTable(t.db(), "单据", {row("重量", "文本", 30)}, TableRole::Main);
        QCOMPARE(GetSqlValue(t.db(), "SELECT 重量 FROM 单据"), text);
        QCOMPARE(GetSqlValue(t.db(), "SELECT 重量 FROM 单据").toDouble(), value);
    }

    void columnsHidingTheRowIdKeepTheirRecords_data()
    {
        QTest::addColumn<QString>("hiding");
        QTest::newRow("rowid") << "rowid";
        QTest::newRow("rowid and oid") << "rowid Long, oid Long";
        QTest::newRow("all three") << "rowid Long, oid Long, _rowid_ Long";
    }
    // Tables made before such names were refused: renaming the column away keeps every record.
    void columnsHidingTheRowIdKeepTheirRecords()
    {
        QFETCH(QString, hiding);
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 单据 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 客户 Text (10), " +
               hiding +
               ", 打印标记 yesno NOT NULL DEFAULT 0, 填写日期 Time);\n"
               "INSERT INTO 单据 (ID, 客户) VALUES (2, '甲'), (5, '乙');");
        DataSet table;
        t.open(table, "单据");
        QCOMPARE(table.rowCount(), 2);
        table.setCurrentRow(1);
        table.edit();
        table.setFieldValue("客户", "丙");
        table.post();
        table.deleteCurrent();
        table.close();
        QCOMPARE(rowsOf(t.db(), "SELECT ID, 客户 FROM 单据"), QStringList({"2|甲"}));
        RebuildTable(t.db(), "单据", {row("客户", "文本", 10), row("编号", "数字")},
                     TableRole::Main);
        QCOMPARE(rowsOf(t.db(), "SELECT ID, 客户 FROM 单据"), QStringList({"2|甲"}));
    }

    void counterTypedByTheUserRenumbersNothing()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 单据 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 客户 Text (10), 打印标记 "
               "yesno NOT NULL DEFAULT 0, 填写日期 Time);\n"
               "CREATE TABLE 单据sub (ID INTEGER PRIMARY KEY AUTOINCREMENT, MID int, 品名 Text "
               "(10));\n"
               "INSERT INTO 单据 (ID, 客户) VALUES (1, '甲'), (3, '乙'), (4, '丙');\n"
               "INSERT INTO 单据sub (MID, 品名) VALUES (3, '乙的货'), (4, '丙的货');");
        const QString joined =
            "SELECT m.ID, m.客户, s.品名 FROM 单据 m JOIN 单据sub s ON s.MID = m.ID";
        const QStringList before = rowsOf(t.db(), joined);
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 RebuildTable(t.db(), "单据",
                                              {row("客户", "文本", 10), row("序号", "Counter")},
                                              TableRole::Main));
        QCOMPARE(rowsOf(t.db(), joined), before);
        // A column declared so by an older version is an ordinary whole number.
        t.exec("ALTER TABLE 单据 ADD COLUMN 序号 Counter;\nUPDATE 单据 SET 序号 = 10 * ID;");
        const QList<StructureRow> listed = FieldStructure::ReadStructure(t.db(), "单据");
        QCOMPARE(listed.last().fieldName, QString("序号"));
        QCOMPARE(listed.last().dataType, QString("数字"));
        RebuildTable(t.db(), "单据", listed, TableRole::Main);
        QCOMPARE(rowsOf(t.db(), joined), before);
        QCOMPARE(rowsOf(t.db(), "SELECT ID, 序号 FROM 单据"),
                 QStringList({"1|10", "3|30", "4|40"}));
    }

    void theProgramsOwnTablesAreNeverRebuilt_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("catalogue") << "noteKind";
        QTest::newRow("common data") << "常用数据";
        QTest::newRow("engine") << "sqlite_sequence";
    }
    void theProgramsOwnTablesAreNeverRebuilt()
    {
        QFETCH(QString, table);
        TestDatabase t;
        const QStringList before = dump(t.db(), table);
        QVERIFY_THROWS_EXCEPTION(
            StoreError, RebuildTable(t.db(), table, {row("名称", "文本")}, TableRole::Main));
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 FieldStructure::CreateMainTableIfMissing(t.db(), table));
        QCOMPARE(dump(t.db(), table), before);
    }

    void leftoverScratchTableNeverBlocks()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec(OldWaybill);
        t.exec("CREATE TABLE tempNote (ID INTEGER, 客户 Text (50));\nINSERT INTO tempNote VALUES "
               "(1, '旧行');");
        RebuildTable(t.db(), "发货单", keptWaybill(), TableRole::Main);
        // Left alone: it may hold the only copy of rows lost by an older version.
        QCOMPARE(rowsOf(t.db(), "SELECT * FROM tempNote"), QStringList({"1|旧行"}));
        QCOMPARE(scratchTables(t.db()), 1);
        QCOMPARE(GetSqlValue(t.db(), "SELECT count(*) FROM 发货单"), QString("3"));
    }

    void masterDetailKeepsItsDetailRows()
    {
        TestDatabase t;
        // Records 1 and 4 deleted and a new one added: the IDs are 2, 3 and 5.
        t.exec("DELETE FROM 快递运单sub WHERE MID IN (1, 4);\nDELETE FROM 快递运单 WHERE ID IN (1, "
               "4);\n"
               "INSERT INTO 快递运单 (单号) VALUES ('YD20260005');\n"
               "INSERT INTO 快递运单sub (MID, 品名) VALUES (5, '台灯'), (5, '灯泡');");
        const QString joined =
            "SELECT m.ID, m.单号, s.品名 FROM 快递运单 m JOIN 快递运单sub s ON s.MID = m.ID "
            "ORDER BY s.ID";
        const QStringList before = rowsOf(t.db(), joined);
        QCOMPARE(before.size(), 4);
        QList<StructureRow> main = FieldStructure::ReadStructure(t.db(), "快递运单");
        main.insert(1, row("备注", "文本", 30));
        QList<StructureRow> detail = FieldStructure::ReadStructure(t.db(), "快递运单sub");
        detail.removeAt(2); // 品名 goes last
        detail << row("品名", "文本", 30);
        RebuildTables(t.db(), {{"快递运单", main, TableRole::Main},
                               {"快递运单sub", detail, TableRole::Detail}});
        QCOMPARE(rowsOf(t.db(), joined), before);
    }

    void counterGoesOnPastDeletedRecords()
    {
        TestDatabase t;
        t.exec("DELETE FROM 快递运单 WHERE ID = 4;");
        RebuildTable(t.db(), "快递运单", FieldStructure::ReadStructure(t.db(), "快递运单"),
                     TableRole::Main);
        RunSql(t.db(), "INSERT INTO 快递运单 (单号) VALUES ('新')");
        QCOMPARE(GetSqlValue(t.db(), "SELECT ID FROM 快递运单 WHERE 单号 = '新'"), QString("5"));
    }

    void tableWithoutRows()
    {
        TestDatabase t;
        t.exec("DELETE FROM 收款收据;");
        RebuildTable(t.db(), "收款收据", {row("交款单位", "文本", 20)}, TableRole::Main);
        QCOMPARE(rowsOf(t.db(), "SELECT name FROM pragma_table_info('收款收据')"),
                 QStringList({"ID", "交款单位", "打印标记", "填写日期"}));
        QCOMPARE(scratchTables(t.db()), 0);
    }

    void newColumnWithDefaultFillsOldRecords()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec(OldWaybill);
        QList<StructureRow> rows = keptWaybill();
        rows << row("经办", "文本", 10, true, "张三");
        rows[4] = row("备注", "文本", 10, true, "无"); // its empty record takes the default
        RebuildTable(t.db(), "发货单", rows, TableRole::Main);
        QCOMPARE(rowsOf(t.db(), "SELECT ID, 备注, 经办 FROM 发货单 ORDER BY ID"),
                 QStringList({"3|it's|张三", "7|无|张三", "12||张三"}));
    }

    void defaultTextRoundTrips_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("blanks") << "  前后有空格  ";
        QTest::newRow("quotes") << "it's \"quoted\"";
        QTest::newRow("quoted already") << "'引号'";
        QTest::newRow("Chinese punctuation") << "中文，标点；（）";
        QTest::newRow("looks like NULL") << "NULL";
        QTest::newRow("looks like a number") << "0";
    }
    void defaultTextRoundTrips()
    {
        QFETCH(QString, text);
        TestDatabase t(TestDatabase::Empty);
        FieldStructure::CreateMainTableIfMissing(t.db(), "单据");
        RebuildTable(t.db(), "单据", {row("备注", "文本", 50, false, text)}, TableRole::Main);
        QCOMPARE(ReadColumnDefault(t.db(), "单据", "备注"), text);
        RunSql(t.db(), "INSERT INTO 单据 DEFAULT VALUES");
        QCOMPARE(GetSqlValue(t.db(), "SELECT 备注 FROM 单据"), text);
    }

    void memoPassesThrough()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 单据 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 说明 Text (10));\n"
               "INSERT INTO 单据 (说明) VALUES ('长长的说明'), ('0123'), ('1.50');");
        RebuildTable(t.db(), "单据", {row("说明", "Memo")}, TableRole::Main);
        const QString typeOf = "SELECT type FROM pragma_table_info('单据') WHERE name = '说明'";
        QVERIFY(GetSqlValue(t.db(), typeOf).startsWith("Memo"));
        // Text that looks like a number stays the text it was.
        QCOMPARE(rowsOf(t.db(), "SELECT typeof(说明), 说明 FROM 单据 ORDER BY ID"),
                 QStringList({"text|长长的说明", "text|0123", "text|1.50"}));
        const QList<StructureRow> listed = FieldStructure::ReadStructure(t.db(), "单据");
        QCOMPARE(listed[1].dataType, QString("OLE 对象"));
        RebuildTable(t.db(), "单据", listed, TableRole::Main);
        QCOMPARE(GetSqlValue(t.db(), typeOf), QString("LONGBINARY"));
        QCOMPARE(
            GetSqlValue(t.db(), "SELECT typeof(说明) || ':' || hex(说明) FROM 单据 WHERE ID = 1"),
            "blob:" + QString::fromLatin1(QString("长长的说明").toUtf8().toHex().toUpper()));
    }
};

QTEST_GUILESS_MAIN(TestTableRebuild)
#include "tst_tablerebuild.moc"

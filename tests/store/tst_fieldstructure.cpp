#include "support/StructureRows.h"
#include "support/TestDatabase.h"

#include "store/FieldStructure.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"

#include <QtTest>

using namespace FieldStructure;

namespace {

StructureRow listed(int position, const QString &name, const QString &type, int size = 0,
                    bool required = false, const QString &defaultText = QString())
{
    StructureRow r = row(name, type, size, required, defaultText);
    r.position = position;
    return r;
}

QStringList namesOf(const QList<StructureRow> &rows)
{
    QStringList names;
    for (const auto &r : rows)
        names << QString("%1:%2").arg(r.position).arg(r.fieldName);
    return names;
}

} // namespace

class TestFieldStructure : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typeNamesBecomeStoreTypes_data()
    {
        QTest::addColumn<QString>("typeName");
        QTest::addColumn<QString>("storeType");
        QTest::newRow("文本") << "文本"
                              << "Text";
        QTest::newRow("数字") << "数字"
                              << "Long";
        QTest::newRow("浮点型") << "浮点型"
                                << "Number";
        QTest::newRow("日期/时间") << "日期/时间"
                                   << "Time";
        QTest::newRow("货币") << "货币"
                              << "Currency";
        QTest::newRow("是/否") << "是/否"
                               << "yesno";
        QTest::newRow("OLE 对象") << "OLE 对象"
                                  << "LONGBINARY";
        QTest::newRow("case ignored") << "ole 对象"
                                      << "LONGBINARY";
        QTest::newRow("store type typed in") << "Memo"
                                             << "Memo";
        QTest::newRow("every occurrence") << "长文本"
                                          << "长Text";
        QTest::newRow("empty") << ""
                               << "";
    }
    void typeNamesBecomeStoreTypes()
    {
        QFETCH(QString, typeName);
        QFETCH(QString, storeType);
        QCOMPARE(StoreTypeOf(typeName), storeType);
    }

    void pickListInOrder()
    {
        QCOMPARE(TypeNames(),
                 QStringList({"文本", "数字", "浮点型", "日期/时间", "货币", "是/否", "OLE 对象"}));
    }

    void listsLiveColumnsByTheTypeTable()
    {
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 样表 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 名称 Text (24) NOT NULL "
               "DEFAULT 'it''s',"
               " 数量 Long, 件数 int, 单价 Number, 日期 Time, 金额 Currency, 标记 yesno NOT NULL "
               "DEFAULT 0,"
               " 图片 LONGBINARY, 说明 Memo, 奇怪 Decimal (10,2));");
        const QList<StructureRow> expected{
            listed(1, "ID", "数字", 10),
            listed(2, "名称", "文本", 24, true, "it's"),
            listed(3, "数量", "数字", 10),
            listed(4, "件数", "数字", 10),
            listed(5, "单价", "浮点型"),
            listed(6, "日期", "日期/时间"),
            listed(7, "金额", "货币"),
            listed(8, "标记", "是/否", 0, true, "0"),
            listed(9, "图片", "OLE 对象"),
            listed(10, "说明", "OLE 对象"), // a long text has no name of its own
            listed(11, "奇怪", ""),         // a type outside the table lists empty
        };
        const QList<StructureRow> rows = ReadStructure(t.db(), "样表");
        QCOMPARE(rows.size(), expected.size());
        for (qsizetype i = 0; i < rows.size(); ++i)
            QVERIFY2(rows[i] == expected[i], qPrintable(rows[i].fieldName));
    }

    void missingTablesAreCreated()
    {
        TestDatabase t;
        CreateMainTableIfMissing(t.db(), "新单据");
        CreateDetailTableIfMissing(t.db(), "新单据");
        QCOMPARE(ReadStructure(t.db(), "新单据"),
                 QList<StructureRow>({listed(1, "ID", "数字", 10)}));
        QCOMPARE(ReadStructure(t.db(), "新单据sub"),
                 QList<StructureRow>({listed(1, "ID", "数字", 10), listed(2, "MID", "数字", 10)}));
        // An existing table, found without regard to case, is left as it is.
        CreateMainTableIfMissing(t.db(), "快递运单");
        CreateDetailTableIfMissing(t.db(), "快递运单");
        QCOMPARE(ReadStructure(t.db(), "快递运单SUB").size(), 5);
    }

    void kindHasDetail()
    {
        TestDatabase t;
        QVERIFY(KindHasDetail(t.db(), "快递运单"));
        QVERIFY(!KindHasDetail(t.db(), "收款收据"));
        QVERIFY(!KindHasDetail(t.db(), "没有这种单据"));
    }

    void createStatement_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QList<StructureRow>>("rows");
        QTest::addColumn<bool>("detail");
        QTest::addColumn<QString>("statement");
        QTest::newRow("worked example")
            << "发货单"
            << QList<StructureRow>{row("ID", "数字"),        row("客户", "文本", 40, true),
                                   row("数量", "数字"),      row("备注", "文本", 0, false, "无"),
                                   row("打印标记", "是/否"), row("填写日期", "日期/时间")}
            << false
            << "create table \"发货单\" ( ID INTEGER PRIMARY KEY AUTOINCREMENT,\"客户\" Text (40)  "
               "not null,"
               "\"数量\" Long,\"备注\" Text (24)  DEFAULT '无',\"打印标记\" yesno NOT NULL DEFAULT "
               "0,"
               "\"填写日期\" Time)";
        QTest::newRow("worked example, detail of ID and MID")
            << "发货单sub" << QList<StructureRow>{row("ID", "数字"), row("MID", "数字")} << true
            << "create table \"发货单sub\" ( ID INTEGER PRIMARY KEY AUTOINCREMENT,\"MID\" int)";
        QTest::newRow("main without user columns")
            << "T" << QList<StructureRow>{} << false
            << "create table \"T\" ( ID INTEGER PRIMARY KEY AUTOINCREMENT,\"打印标记\" yesno NOT "
               "NULL DEFAULT 0,"
               "\"填写日期\" Time)";
        QTest::newRow("detail with user columns")
            << "Tsub" << QList<StructureRow>{row("品名", "文本", 30), row("数量", "数字")} << true
            << "create table \"Tsub\" ( ID INTEGER PRIMARY KEY AUTOINCREMENT,\"MID\" int, \"品名\" "
               "Text (30) ,"
               "\"数量\" Long)";
        QTest::newRow("lower-case id is a user column")
            << "T" << QList<StructureRow>{row("id", "数字")} << true
            << "create table \"T\" ( ID INTEGER PRIMARY KEY AUTOINCREMENT,\"MID\" int, \"id\" "
               "Long)";
        QTest::newRow("fixed names left out whatever they carry")
            << "T"
            << QList<StructureRow>{row("ID", "文本", 5, true, "x"),
                                   row("MID", "文本", 5, true, "y"),
                                   row("打印标记", "文本", 9, true, "z"), row("填写日期", "Memo")}
            << false
            << "create table \"T\" ( ID INTEGER PRIMARY KEY AUTOINCREMENT,\"打印标记\" yesno NOT "
               "NULL DEFAULT 0,"
               "\"填写日期\" Time)";
        QTest::newRow("size of other types ignored, Memo passes through")
            << "T" << QList<StructureRow>{row("金额", "货币", 8), row("说明", "Memo", 8)} << true
            << "create table \"T\" ( ID INTEGER PRIMARY KEY AUTOINCREMENT,\"MID\" int, \"金额\" "
               "Currency,"
               "\"说明\" Memo Text)";
        QTest::newRow("default only for text, with the required flag")
            << "T"
            << QList<StructureRow>{row("数量", "数字", 0, true, "5"),
                                   row("单位", "文本", 4, true, "it's")}
            << true
            << "create table \"T\" ( ID INTEGER PRIMARY KEY AUTOINCREMENT,\"MID\" int, \"数量\" "
               "Long not null,"
               "\"单位\" Text (4)  DEFAULT 'it''s' not null)";
        QTest::newRow("list order, not Position")
            << "T" << QList<StructureRow>{listed(2, "乙", "数字"), listed(1, "甲", "数字")} << true
            << "create table \"T\" ( ID INTEGER PRIMARY KEY AUTOINCREMENT,\"MID\" int, \"乙\" "
               "Long,\"甲\" Long)";
        QTest::newRow("untouched new row dropped")
            << "T" << QList<StructureRow>{row("甲", "数字"), row("", "文本")} << true
            << "create table \"T\" ( ID INTEGER PRIMARY KEY AUTOINCREMENT,\"MID\" int, \"甲\" "
               "Long)";
    }
    void createStatement()
    {
        QFETCH(QString, table);
        QFETCH(QList<StructureRow>, rows);
        QFETCH(bool, detail);
        QFETCH(QString, statement);
        QCOMPARE(CreateStatement(table, rows, detail ? TableRole::Detail : TableRole::Main),
                 statement);
    }

    void listsThatCannotMakeATableAreRefused_data()
    {
        QTest::addColumn<QList<StructureRow>>("rows");
        QTest::addColumn<bool>("detail");
        QTest::addColumn<QString>("message");
        QTest::newRow("no name") << QList<StructureRow>{row("甲", "数字"), row(" ", "数字")}
                                 << false << "第2行没有填写栏目名称";
        QTest::newRow("statement text as a type")
            << QList<StructureRow>{row("甲", "Long) ; DROP TABLE noteKind --")} << false
            << "栏目“甲”的数据类型“Long) ; DROP TABLE noteKind --”无法识别";
        QTest::newRow("constraint as a type")
            << QList<StructureRow>{row("甲", "Long PRIMARY KEY")} << false
            << "栏目“甲”的数据类型“Long PRIMARY KEY”无法识别";
        // The engine takes any type name; the program reads back only those it knows.
        QTest::newRow("a type the program does not know")
            << QList<StructureRow>{row("甲", "Decimal (10, 2)")} << false
            << "栏目“甲”的数据类型“Decimal (10, 2)”无法识别";
        QTest::newRow("no type") << QList<StructureRow>{row("乙", "")} << false
                                 << "栏目“乙”的数据类型“”无法识别";
        QTest::newRow("same name twice")
            << QList<StructureRow>{row("名称", "文本"), row("名称", "数字")} << false
            << "栏目“名称”重名（栏目名称不区分大小写）";
        QTest::newRow("lower-case id beside ID") << QList<StructureRow>{row("id", "数字")} << false
                                                 << "栏目“id”重名（栏目名称不区分大小写）";
        QTest::newRow("mid beside MID in a detail table")
            << QList<StructureRow>{row("mid", "数字")} << true
            << "栏目“mid”重名（栏目名称不区分大小写）";
    }
    void listsThatCannotMakeATableAreRefused()
    {
        QFETCH(QList<StructureRow>, rows);
        QFETCH(bool, detail);
        QFETCH(QString, message);
        try {
            UserColumns(rows, detail ? TableRole::Detail : TableRole::Main);
            QFAIL("not refused");
        } catch (const StoreError &e) {
            QCOMPARE(e.message(), message);
        }
    }

    void acceptedTypes()
    {
        const QList<StructureRow> rows{row("甲", "Memo"), row("乙", "Text (10)"),
                                       row("丙", "OLE 对象"), row("mid", "数字"), row("丁", "int")};
        QCOMPARE(UserColumns(rows, TableRole::Main).size(), 5);
    }

    void titlesAreAppended_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("exclusions");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("main") << QStringList{"ID", "名称", "打印标记", "数量"}
                              << "ID;打印标记;填写日期" << QStringList{"4:名称", "5:数量"};
        QTest::newRow("case ignored") << QStringList{"id", "Mid", "品名", "填写日期"}
                                      << "ID;MID;打印标记;填写日期" << QStringList{"4:品名"};
        QTest::newRow("a title the list holds comes again")
            << QStringList{"甲", "甲"} << "ID" << QStringList{"4:甲", "5:甲"};
        QTest::newRow("nothing") << QStringList{} << "ID" << QStringList{};
    }
    void titlesAreAppended()
    {
        QFETCH(QStringList, titles);
        QFETCH(QString, exclusions);
        QFETCH(QStringList, added);
        const QList<StructureRow> before{listed(1, "ID", "数字", 10), listed(2, "甲", "文本", 10),
                                         listed(3, "乙", "货币")};
        QList<StructureRow> rows = before;
        AppendTitles(&rows, titles, exclusions);
        QCOMPARE(rows.mid(0, 3), before);
        QCOMPARE(namesOf(rows.mid(3)), added);
        for (const StructureRow &r : rows.mid(3)) {
            QCOMPARE(r.dataType, QString("文本"));
            QCOMPARE(r.size, 50);
            QVERIFY(!r.required);
            QVERIFY(r.defaultText.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestFieldStructure)
#include "tst_fieldstructure.moc"

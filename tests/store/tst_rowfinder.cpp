#include "support/TestDatabase.h"

#include "store/DataSet.h"
#include "store/RowFinder.h"

#include <QtTest>

Q_DECLARE_METATYPE(RowFinder::Outcome)

// Find on typing over small lists: codes whose first letters differ in case, rows whose code
// is missing (their names are searched then), a numbered list and a list of one column.
class TestRowFinder : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestDatabase>(TestDatabase::Empty);
        m_db->exec("CREATE TABLE 代码表 (代码 Text (10), 名称 Text (20));\n"
                   "INSERT INTO 代码表 VALUES ('A001', '钢笔'), ('A100', '铅笔'), "
                   "('b150', '墨水'), ('B200', '橡皮'), (NULL, 'xyZ 公司'), (NULL, 'Xya');\n"
                   "CREATE TABLE 编号表 (编号 Long, 名称 Text (20));\n"
                   "INSERT INTO 编号表 VALUES (120, 'alpha'), (15, 'beta'), (7, 'O''Brien');\n"
                   "CREATE TABLE 单列表 (代码 Text (10));\n"
                   "INSERT INTO 单列表 VALUES (NULL), ('K7');\n"
                   "CREATE TABLE 空表 (代码 Text (10), 名称 Text (20));\n"
                   "CREATE TABLE 空单列表 (代码 Text (10));");
    }
    void cleanup() { m_db.reset(); }

    void find_data()
    {
        using O = RowFinder::Outcome;
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("text");
        QTest::addColumn<RowFinder::Outcome>("outcome");
        QTest::addColumn<int>("row");
        QTest::newRow("A1 finds A100, not A001") << "代码表" << 0 << "A1" << O::Found << 1;
        QTest::newRow("A finds the first") << "代码表" << 3 << "A" << O::Found << 0;
        QTest::newRow("C is nowhere") << "代码表" << 0 << "C" << O::NotFound << -1;
        QTest::newRow("code keeps letter case: B") << "代码表" << 0 << "B" << O::Found << 3;
        QTest::newRow("code keeps letter case: b") << "代码表" << 0 << "b" << O::Found << 2;
        QTest::newRow("no code starts so: a name holds it")
            << "代码表" << 0 << "橡皮" << O::Found << 3;
        QTest::newRow("empty code: the names, case ignored")
            << "代码表" << 4 << "XY" << O::Found << 4;
        QTest::newRow("empty code: the second name") << "代码表" << 4 << "xya" << O::Found << 5;
        QTest::newRow("empty code: a code is found inside")
            << "代码表" << 5 << "a10" << O::Found << 1;
        QTest::newRow("empty text moves nothing") << "代码表" << 0 << "" << O::NotFound << -1;
        QTest::newRow("digits begin a number") << "编号表" << 0 << "1" << O::Found << 0;
        QTest::newRow("the longer number") << "编号表" << 0 << "15" << O::Found << 1;
        QTest::newRow("letters against numbers") << "编号表" << 0 << "x" << O::NotFound << -1;
        QTest::newRow("a name in a numbered list") << "编号表" << 0 << "BET" << O::Found << 1;
        QTest::newRow("a quote is only a character") << "编号表" << 0 << "o'b" << O::Found << 2;
        QTest::newRow("one column with its code") << "单列表" << 1 << "K" << O::Found << 1;
        QTest::newRow("one column, code empty") << "单列表" << 0 << "K" << O::MissingColumn << -1;
        QTest::newRow("empty list") << "空表" << -1 << "K" << O::NotFound << -1;
        QTest::newRow("empty list of one column")
            << "空单列表" << -1 << "K" << O::MissingColumn << -1;
    }
    void find()
    {
        QFETCH(QString, table);
        QFETCH(int, current);
        QFETCH(QString, text);
        QFETCH(RowFinder::Outcome, outcome);
        QFETCH(int, row);
        DataSet rows;
        m_db->open(rows, table);
        if (current >= 0)
            rows.setCurrentRow(current);
        QCOMPARE(rows.currentRow(), current);
        const RowFinder::Result result = RowFinder::find(rows, text);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.row, row);
    }

    // The list as sorted by a column title is the list searched.
    void searchesTheRowsInTheirShownOrder()
    {
        DataSet rows;
        m_db->open(rows, "代码表");
        rows.setSort("代码", Qt::DescendingOrder);
        QCOMPARE(rows.value(0, 0).toString(), QString("B200"));
        QCOMPARE(RowFinder::find(rows, "A").row, 2); // A100 before A001 now
    }
};

QTEST_MAIN(TestRowFinder)
#include "tst_rowfinder.moc"

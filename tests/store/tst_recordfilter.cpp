#include "support/TestDatabase.h"

#include "store/DataSet.h"
#include "store/FilterExpression.h"
#include "store/RecordFilter.h"
#include "store/SqlHelpers.h"

#include <QtTest>

class TestRecordFilter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keywordSearchFindsWhateverTheColumnIsCalled_data()
    {
        QTest::addColumn<QString>("column");
        for (const char *name :
             {"收货单位", "not", "NOT", "and",  "or",  "like", "is",  "null",     "true",
              "a]b",      "]",   "[x]", "a\"b", "\"",  "a'b",  "1号", "-x",       "a b",
              "%1",       "x*y", "a=b", "(c)",  "#d#", "a,b",  "!",   "名称.全称"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }
    void keywordSearchFindsWhateverTheColumnIsCalled()
    {
        QFETCH(QString, column);
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 单据 (ID INTEGER PRIMARY KEY AUTOINCREMENT, " + quoteName(column) +
               " Text (20), 备注 Text (20), 打印标记 yesno NOT NULL DEFAULT 0, 填写日期 Time);");
        RunSql(t.db(), "INSERT INTO 单据 (" + quoteName(column) + ", 备注) VALUES (?, ?), (?, ?)",
               {"成都华联", "甲", "北京", "乙"});
        RecordFilter::Conditions c;
        c.keyword = " 华联 ";
        c.textColumns = {column, "备注"};
        c.printState = RecordFilter::PrintState::Any;
        DataSet table;
        t.open(table, "单据", RecordFilter::build(c));
        QCOMPARE(table.rowCount(), 1);
        QCOMPARE(table.fieldValue("备注").toString(), QString("甲"));
    }

    void likePatterns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("fits");
        const QString nul(QChar(0));
        QTest::newRow("NUL before digits") << "ab" + nul + "101"
                                           << "*" + nul + "101*" << true;
        QTest::newRow("NUL before digits is no octal escape") << "价格A"
                                                              << "*" + nul + "101*" << false;
        QTest::newRow("inner star") << "abc"
                                    << "a*c" << true;
        QTest::newRow("percent, case ignored") << "ABC"
                                               << "a%c" << true;
        QTest::newRow("inner star, wrong end") << "abd"
                                               << "a*c" << false;
        QTest::newRow("dot is no wildcard") << "abc"
                                            << "a.c*" << false;
        QTest::newRow("many stars")
            << QString(2000, 'a') + "b" << QString("*a").repeated(30) + "*c" << false;
    }
    void likePatterns()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(bool, fits);
        ColumnDef name;
        name.name = "名称";
        name.type = FieldType::Text;
        const FilterExpression filter =
            FilterExpression::compile("名称 like " + quoteText(pattern), {name});
        QCOMPARE(filter.matches({text}), fits);
    }

    void plainNamesGoInUnchanged()
    {
        RecordFilter::Conditions c;
        c.keyword = "成都";
        c.textColumns = {"单号", "not", "a]b"};
        c.printState = RecordFilter::PrintState::Any;
        QCOMPARE(RecordFilter::build(c),
                 QString(" (单号 like '*成都*' or [not] like '*成都*' or [a]]b] like '*成都*') "));
    }
};

QTEST_GUILESS_MAIN(TestRecordFilter)
#include "tst_recordfilter.moc"

#include "support/TestDatabase.h"

#include "store/DataSet.h"
#include "store/FilterExpression.h"
#include "store/FooterSums.h"
#include "store/RecordFilter.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"
#include "store/StoreFunctions.h"

#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

// The filter and the footers worked out by the database against the same worked out over
// the rows read into memory, over a table of awkward stored values.
class TestFilterSql : public QObject {
    Q_OBJECT

    static QVariant null() { return QVariant(); }

    // Values stored as they are, not as the program would write them: empty fields and
    // texts, letters of several scripts with and without case, wildcard characters, numbers
    // as text, money and dates in every form the program still reads.
    static void fillAwkwardTable(const TestDatabase &t)
    {
        t.exec("CREATE TABLE 单据 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 单号 Text (20), 客户 "
               "Text (50), 备注 Memo, 数量 Long, 重量 Number, 金额 Currency, 打印标记 yesno NOT "
               "NULL DEFAULT 0, 填写日期 Time);");
        const QVariantList texts{null(),        "",         "成都华联", "Straße",         "STRASSE",
                                 "ÄPFEL äpfel", "İstanbul", "it's",     "100%",           "a_b",
                                 "a*b",         "00123",    "1.50",     "客户公司4999号", "ΣΑΣ σας",
                                 "ｋ全角",      "\u212A号", " 空格 ",   "Mixed华联Case"};
        const QVariantList memos{null(), "", 123, 1.5, "华联备注", "MixedCase", "a!b"};
        const QVariantList counts{null(), 0, 5, -3, "7"};
        const QVariantList weights{null(), 0.25, 2.5, -1.75};
        const QVariantList amounts{null(), 0.0001, -12.34, 1.00005, "12.5",
                                   320.25, 1234.5, "abc",  0.0};
        const QVariantList flags{0, 1, -1};
        const QVariantList dates{null(),
                                 "2026-12-09 18:00:00",
                                 "2026-12-09 23:59:59",
                                 "2026-12-10 00:00:00",
                                 "2026-12-03 00:00:00",
                                 "2026-12-02 23:59:59",
                                 "2026/12/9 18:00",
                                 "2026年12月9日",
                                 "abc",
                                 "2026-02-30 00:00:00",
                                 "2026-12-09 23:59:59.500",
                                 ""};
        QSqlDatabase db = t.db();
        db.transaction();
        QSqlQuery insert(db);
        insert.prepare("INSERT INTO 单据 (单号, 客户, 备注, 数量, 重量, 金额, 打印标记, "
                       "填写日期) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < 400; ++i) {
            insert.addBindValue(texts[i % texts.size()]);
            insert.addBindValue(texts[(i * 7 + 3) % texts.size()]);
            insert.addBindValue(memos[i % memos.size()]);
            insert.addBindValue(counts[i % counts.size()]);
            insert.addBindValue(weights[(i / 3) % weights.size()]);
            insert.addBindValue(amounts[i % amounts.size()]);
            insert.addBindValue(flags[(i / 2) % flags.size()]);
            insert.addBindValue(dates[i % dates.size()]);
            QVERIFY(insert.exec());
        }
        db.commit();
    }

    static QList<qint64> referenceRows(const TestDatabase &t, const QString &filter)
    {
        DataSet table;
        t.open(table, "单据", filter);
        QList<qint64> ids;
        for (int r = 0; r < table.rowCount(); ++r)
            ids << table.value(r, 0).toLongLong();
        return ids;
    }

    static QList<qint64> databaseRows(const TestDatabase &t,
                                      const FilterExpression::SqlCondition &condition)
    {
        if (!StoreFunctions::install(t.db()))
            qWarning() << "the store's functions are not installed";
        QSqlQuery query(t.db());
        query.prepare("SELECT ID FROM 单据 WHERE " + condition.where + " ORDER BY ID");
        for (const QVariant &value : condition.values)
            query.addBindValue(value);
        if (!query.exec())
            qWarning() << query.lastError().text() << condition.where;
        QList<qint64> ids;
        while (query.next())
            ids << query.value(0).toLongLong();
        return ids;
    }

    static QList<ColumnDef> columnsOf(const TestDatabase &t)
    {
        return ReadTableColumns(t.db(), "单据");
    }

    // Compares both ways of filtering for one text; false when the text is refused.
    static bool bothAgree(const TestDatabase &t, const QString &filter, bool mustTranslate)
    {
        FilterExpression compiled;
        try {
            compiled = FilterExpression::compile(filter, columnsOf(t));
        } catch (const StoreError &) {
            return false;
        }
        const auto condition = compiled.toSql(columnsOf(t));
        if (!condition) {
            if (mustTranslate)
                qWarning() << "not translated:" << filter;
            return !mustTranslate;
        }
        const QList<qint64> expected = referenceRows(t, filter);
        const QList<qint64> actual = databaseRows(t, *condition);
        if (actual != expected)
            qWarning() << "differs:" << filter << condition->where << condition->values
                       << "expected" << expected.size() << "rows, got" << actual.size();
        return actual == expected;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(QSqlDatabase::isDriverAvailable("QSQLITE")); }

    void searchBoxFiltersAgree_data()
    {
        using PS = RecordFilter::PrintState;
        const QStringList all{"单号", "客户", "备注"};
        const QDate startDay(2026, 12, 3), endDay(2026, 12, 9);
        QTest::addColumn<QString>("filter");
        auto row = [](const char *name, const RecordFilter::Conditions &c) {
            QTest::newRow(name) << RecordFilter::build(c);
        };
        row("nothing chosen", {"", all, {}, {}, PS::Any});
        row("printed only", {"", all, {}, {}, PS::Printed});
        row("unprinted only", {"", all, {}, {}, PS::Unprinted});
        row("keyword, no text column", {"华联", {}, startDay, endDay, PS::Any});
        row("keyword with spaces", {"  华联  ", all, {}, {}, PS::Any});
        row("spaces only", {"   ", all, {}, {}, PS::Unprinted});
        row("only the end box", {"", all, {}, endDay, PS::Any});
        row("only the start box", {"", all, startDay, {}, PS::Printed});
        row("both boxes and a keyword", {"4999号", all, startDay, endDay, PS::Any});
        row("letters of another case", {"strasse", all, {}, {}, PS::Any});
        row("sharp s", {"ß", all, {}, {}, PS::Any});
        row("final sigma", {"σας", all, {}, {}, PS::Any});
        row("kelvin sign", {"k", all, {}, {}, PS::Any});
        row("dotted capital I", {"i̇stanbul", all, {}, {}, PS::Any});
        row("star typed", {"a*b", all, {}, {}, PS::Any});
        row("percent typed", {"100%", all, {}, {}, PS::Any});
        row("underscore typed", {"a_b", all, {}, {}, PS::Any});
        row("escape character typed", {"a!b", all, {}, {}, PS::Any});
        row("number as text", {"0012", all, {}, {}, PS::Any});
        row("number in a memo", {"1.5", all, {}, {}, PS::Any});
        row("full-width letter", {"Ｋ", all, {}, {}, PS::Any});
    }
    void searchBoxFiltersAgree()
    {
        QFETCH(QString, filter);
        TestDatabase t(TestDatabase::Empty);
        fillAwkwardTable(t);
        QVERIFY(bothAgree(t, filter, true));
    }

    void typedFiltersAgree_data()
    {
        QTest::addColumn<QString>("filter");
        for (const char *text : {"金额 >= 320.25 and 金额 < 1234.5",
                                 "金额 = 1.0001",
                                 "金额 = 12.5",
                                 "not 金额 > 1",
                                 "金额 is null",
                                 "not 金额 is not null",
                                 "数量 > 0 or 重量 <= 0.25",
                                 "not (数量 = 5)",
                                 "重量 <> 2.5",
                                 "打印标记 = true",
                                 "打印标记 <> false",
                                 "not 打印标记 = 0",
                                 "打印标记 < 0",
                                 "填写日期 >= #2026-12-09 18:00#",
                                 "not 填写日期 <= '2026-12-09'",
                                 "填写日期 > '2026-12-09 23:59:59'",
                                 "填写日期 is null",
                                 "备注 like 'mixed*'",
                                 "备注 like '*'",
                                 "客户 like ''",
                                 "not 单号 like '*华联*'",
                                 "单号 like 's*e'",
                                 "单号 like '%%'",
                                 "单号 is null",
                                 "(单号 like '*a*' or 客户 like '*A*') and not 数量 is null"})
            QTest::newRow(text) << QString::fromUtf8(text);
    }
    void typedFiltersAgree()
    {
        QFETCH(QString, filter);
        TestDatabase t(TestDatabase::Empty);
        fillAwkwardTable(t);
        QVERIFY(bothAgree(t, filter, true));
    }

    void whatOnlyMemoryJudgesIsNotTranslated_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("text equality") << "单号 = 'straße'";
        QTest::newRow("text order") << "单号 < 'b'";
        QTest::newRow("column against column") << "数量 = 重量";
        QTest::newRow("like over a number") << "数量 like '5*'";
    }
    void whatOnlyMemoryJudgesIsNotTranslated()
    {
        QFETCH(QString, filter);
        TestDatabase t(TestDatabase::Empty);
        fillAwkwardTable(t);
        QVERIFY(!FilterExpression::compile(filter, columnsOf(t)).toSql(columnsOf(t)));
    }

    void generatedSearchBoxFiltersAgree()
    {
        TestDatabase t(TestDatabase::Empty);
        fillAwkwardTable(t);
        const QStringList pieces{"",     "华联", "4999号", "STRASSE", "straße", "ß", "äp",  "Ä",
                                 "i",    "İ",    "σ",      "Σ",       "k",      "K", "*",   "%",
                                 "_",    "!",    "a",      "b",       "100",    "0", "1.5", "空格",
                                 "全角", "ｋ",   " ",      "号",      "\u212A", "s"};
        const QStringList textColumns{"单号", "客户", "备注"};
        QRandomGenerator random(20261210);
        int compared = 0;
        for (int i = 0; i < 400; ++i) {
            QString keyword;
            for (int n = int(random.bounded(3)); n >= 0; --n)
                keyword += pieces[random.bounded(pieces.size())];
            QStringList columns;
            for (const QString &column : textColumns)
                if (random.bounded(4) != 0)
                    columns << column;
            auto day = [&]() -> std::optional<QDate> {
                if (random.bounded(3) == 0)
                    return std::nullopt;
                return QDate(2026, 12, 1 + int(random.bounded(12)));
            };
            const auto start = day();
            const auto end = day();
            const auto state = RecordFilter::PrintState(random.bounded(3));
            const QString filter = RecordFilter::build({keyword, columns, start, end, state});
            QVERIFY2(bothAgree(t, filter, true), qPrintable(filter));
            ++compared;
        }
        QCOMPARE(compared, 400);
    }

    void footersAgree_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("every row") << "";
        QTest::newRow("unprinted") << "打印标记=0";
        QTest::newRow("keyword") << " (单号 like '*华联*' or 客户 like '*华联*') ";
        QTest::newRow("a week") << " 填写日期 >= '2026/12/3' and 填写日期 <= '2026-12-09 23:59:59'";
        QTest::newRow("no row") << "单号 like '*不存在*'";
    }
    void footersAgree()
    {
        QFETCH(QString, filter);
        TestDatabase t(TestDatabase::Empty);
        fillAwkwardTable(t);
        DataSet table;
        t.open(table, "单据", filter);
        const auto inDatabase = DatabaseFooterTotals(table);
        QVERIFY(inDatabase);
        QCOMPARE(FooterTexts(table.columns(), *inDatabase), FooterTexts(table));
    }

    void moneyFooterIsExact()
    {
        // Two amounts of 0.0025, one stored as a number and one as text, make exactly 0.005,
        // which rounds half away from zero to 0.01; the empty one adds nothing.
        TestDatabase t(TestDatabase::Empty);
        t.exec("CREATE TABLE 单据 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 金额 Currency, 打印标记 "
               "yesno NOT NULL DEFAULT 0, 填写日期 Time);");
        RunSql(t.db(), "INSERT INTO 单据 (金额) VALUES (?), (?), (?)",
               {0.0025, "0.0025", QVariant()});
        DataSet table;
        t.open(table, "单据");
        const auto totals = DatabaseFooterTotals(table);
        QVERIFY(totals);
        const QStringList texts = FooterTexts(table.columns(), *totals);
        QCOMPARE(texts.value(0), QString("3"));
        QCOMPARE(texts.value(1), QString("￥0.01"));
    }

    void databaseTotalsLeaveOutTheRowBeingTyped()
    {
        TestDatabase t(TestDatabase::Empty);
        fillAwkwardTable(t);
        DataSet table;
        t.open(table, "单据");
        const int posted = table.rowCount();
        table.append();
        QCOMPARE(DatabaseFooterTotals(table).value().rows, posted);
        QCOMPARE(ViewFooter().texts(table).value(0), QString::number(posted + 1));
    }
};

QTEST_GUILESS_MAIN(TestFilterSql)
#include "tst_filtersql.moc"

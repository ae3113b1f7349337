#include "support/TestDatabase.h"

#include "printing/ReportFunctions.h"
#include "printing/TableReportDataset.h"
#include "report/Report.h"
#include "store/DataSet.h"
#include "store/SqlHelpers.h"

#include <QtTest>

// The demo waybill's template prepared over the record window's tables: the rows in view,
// each with its own detail rows, and FieldIsNull asking about the row being output.
class TestTableReportDataset : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void preparesRowsInViewWithTheirDetailRows()
    {
        TestDatabase t;
        t.exec("UPDATE 快递运单 SET 金额 = NULL WHERE ID = 2;");
        DataSet main, sub;
        main.setDatabase(t.db());
        main.setTableName("快递运单");
        main.setFilter("打印标记=0");
        main.setFiltered(true);
        main.open();
        sub.setDatabase(t.db());
        sub.setTableName("快递运单Sub");
        sub.setMasterLink(&main, "ID", "MID");
        sub.open();
        TableReportDataset note("frxDBDsNote", &main);
        TableReportDataset detail("frxDBDsSub", &sub);

        DatasetDirectory directory;
        directory.add("frxDBDsNote", &note);
        directory.add("frxDBDsSub", &detail);
        ReportFunctions functions(directory.lookup());
        QStringList nullAmountAsked; // FieldIsNull's answer for each record, as it is output
        Report report;
        report.loadFromBytes(
            GetSqlData(t.db(), "SELECT template FROM noteKind WHERE kindCode='A01'")
                .rows[0][0]
                .toByteArray());
        for (const auto &d : reportFunctionDeclarations())
            report.addFunction(d.declaration, d.category, d.description);
        report.setUserFunctionHandler([&](const QString &name, const QVariantList &args) {
            if (name.compare("FieldIsNull", Qt::CaseInsensitive) == 0)
                nullAmountAsked << QString("%1:%2").arg(
                    main.fieldValue("单号").toString(),
                    functions.frxReportUserFunction(name, args).toString());
            return functions.frxReportUserFunction(name, args);
        });
        report.setDataset(&note);
        report.setDataset(&detail);
        report.prepare();

        // One page per unprinted record (the template starts a page per record).
        QCOMPARE(report.preparedPages().size(), 3);
        QCOMPARE(nullAmountAsked,
                 QStringList({"YD20260001:false", "YD20260002:true", "YD20260004:false"}));
        // Each page holds its own record's detail rows only.
        const QStringList expected[] = {{"YD20260001", "办公椅", "文件柜"},
                                        {"YD20260002", "打印纸"},
                                        {"YD20260004", "茶叶礼盒"}};
        const QStringList others{"办公椅", "文件柜", "打印纸", "插线板", "茶叶礼盒"};
        for (int p = 0; p < 3; ++p) {
            QStringList texts;
            for (const PreparedItem &item : report.preparedPages()[p].items)
                texts << item.text;
            for (const QString &want : expected[p])
                QVERIFY2(texts.contains(want), qPrintable(want));
            for (const QString &other : others)
                QCOMPARE(texts.contains(other), expected[p].contains(other));
        }
        QCOMPARE(main.currentRow(), 2); // left on the last row output
        QVERIFY(main.isOpen() && sub.isOpen());
        QCOMPARE(detail.eof(), true);
        QCOMPARE(FieldIsNull("frxDBDsNote.金额", directory.lookup()), false); // on YD20260004
        QCOMPARE(FieldIsNull("frxDBDsSub.没有这栏", directory.lookup()), true);
    }

    void closedDetailTableHasNoRows()
    {
        TestDatabase t;
        DataSet closed;
        TableReportDataset detail("frxDBDsSub", &closed);
        detail.first();
        QVERIFY(detail.eof());
        QVERIFY(detail.fieldNames().isEmpty());
        QVERIFY(!detail.isOpen());
        DatasetDirectory directory;
        directory.add("frxDBDsSub", &detail);
        QCOMPARE(FieldIsNull("frxDBDsSub.品名", directory.lookup()), true);
    }
};

QTEST_MAIN(TestTableReportDataset)
#include "tst_tablereportdataset.moc"

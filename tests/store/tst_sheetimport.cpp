#include "support/Python.h"
#include "support/TestDatabase.h"

#include "store/DataSet.h"
#include "store/SheetImport.h"
#include "store/SqlHelpers.h"
#include "store/Worksheet.h"

#include <QTemporaryDir>
#include <QtTest>
#include <optional>

// A workbook imported as it is read, a run of rows at a time: every row arrives once and in
// order, and whatever stops the import half way (a damaged end, the user) leaves the table as
// it was.
class TestSheetImport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // An empty table of a name and a number; the sheets' first column feeds the name.
    static void openTable(const TestDatabase &t, DataSet &table)
    {
        t.exec("CREATE TABLE 表 (名称 Text (20), 数量 Long);");
        t.open(table, "表");
    }
    static int rowsIn(const TestDatabase &t)
    {
        return GetSqlValue(t.db(), "SELECT COUNT(*) FROM 表").toInt();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(runPython(QStringLiteral(QUILLET_FIXTURES "/make_prefixed.py"), {m_dir.path()}));
    }

    // The sheet's 30000 rows are far more than one run; its first row holds the titles.
    void importsEveryRowOnceInOrder()
    {
        TestDatabase t(TestDatabase::Empty);
        DataSet table;
        openTable(t, table);
        QList<int> seen;
        const std::optional<int> imported =
            SheetImport::importWorkbook(table, path("prefixed.xlsx"), {}, [&](int permille) {
                seen << permille;
                return true;
            });
        QCOMPARE(imported, std::optional<int>(29999));
        QStringList expected;
        for (int row = 2; row <= 30000; ++row)
            expected << QStringLiteral("第%1行").arg(row);
        QStringList names;
        for (const QVariantList &row :
             GetSqlData(t.db(), "SELECT 名称 FROM 表 ORDER BY rowid").rows)
            names << row[0].toString();
        QCOMPARE(names, expected);
        // 2 + 3 + ... + 30000
        QCOMPARE(GetSqlValue(t.db(), "SELECT SUM(数量) FROM 表"), "450014999");
        QCOMPARE(table.rowCount(), 29999);
        QVERIFY(seen.size() > 10);
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QCOMPARE(seen.last(), 1000);
    }

    void stopsWithNothingImported_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("message");
        QTest::newRow("rows cut short after 29999 good ones")
            << "cutrows.xlsx" << false << Worksheet::NotAWorkbook;
        QTest::newRow("stopped half way") << "prefixed.xlsx" << true << "";
        QTest::newRow("no file") << "nothing-here.xlsx" << false << Worksheet::NotAWorkbook;
    }
    void stopsWithNothingImported()
    {
        QFETCH(QString, file);
        QFETCH(bool, cancel);
        QFETCH(QString, message);
        TestDatabase t(TestDatabase::Empty);
        DataSet table;
        openTable(t, table);
        // Rows had gone in before the import stopped, at least for the two sheets.
        int rowsGoneIn = 0;
        const auto progress = [&](int permille) {
            if (permille < 500)
                return true;
            rowsGoneIn = qMax(rowsGoneIn, rowsIn(t));
            return !cancel;
        };
        try {
            const std::optional<int> imported =
                SheetImport::importWorkbook(table, path(file), {}, progress);
            QVERIFY(cancel);
            QCOMPARE(imported, std::nullopt);
        } catch (const SheetImport::Unreadable &e) {
            QVERIFY(!cancel);
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(rowsGoneIn > 1000, file != "nothing-here.xlsx");
        QCOMPARE(rowsIn(t), 0);
        QCOMPARE(table.rowCount(), 0);
    }

    void sheetWithoutDataRowsChangesNothing()
    {
        TestDatabase t(TestDatabase::Empty);
        DataSet table;
        openTable(t, table);
        QCOMPARE(SheetImport::importWorkbook(table, path("emptyrows.xlsx"), {}),
                 std::optional<int>(0));
        QCOMPARE(rowsIn(t), 0);
        QVERIFY(table.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestSheetImport)
#include "tst_sheetimport.moc"

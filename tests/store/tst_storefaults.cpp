#include "support/StructureRows.h"
#include "support/TestDatabase.h"

#include "store/DataSet.h"
#include "store/SheetImport.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"
#include "store/TableRebuild.h"
#include "store/XlsxWriter.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>
#include <memory>

// The rebuild of a table and the import of a sheet meeting a database another program has
// locked, and a disk that fills half-way: the table stays exactly as it was and the user is
// told in plain words.
namespace {

const int Records = 2000;

enum class Fault { WriterHoldsTheDatabase, ExclusiveLock, DiskFills };

// A fault in force while the object lives.
class InjectedFault {
public:
    InjectedFault(const QSqlDatabase &db, Fault fault) : m_db(db)
    {
        QSqlQuery(m_db).exec("PRAGMA busy_timeout = 50");
        if (fault == Fault::DiskFills) {
            // The engine's own size limit stands in for a full disk: a few pages to spare.
            const int pages = GetSqlValue(m_db, "PRAGMA page_count").toInt();
            QSqlQuery(m_db).exec(QString("PRAGMA max_page_count = %1").arg(pages + 3));
            return;
        }
        auto other = QSqlDatabase::addDatabase("QSQLITE", "other program");
        other.setDatabaseName(m_db.databaseName());
        QVERIFY(other.open());
        QSqlQuery lock(other);
        QVERIFY2(lock.exec(fault == Fault::ExclusiveLock ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE"),
                 qPrintable(lock.lastError().text()));
        m_locked = true;
    }
    ~InjectedFault()
    {
        QSqlQuery(m_db).exec("PRAGMA max_page_count = 1073741823");
        QSqlQuery(m_db).exec("PRAGMA busy_timeout = 5000");
        if (m_locked) {
            {
                QSqlDatabase other = QSqlDatabase::database("other program");
                QSqlQuery(other).exec("ROLLBACK");
                other.close();
            }
            QSqlDatabase::removeDatabase("other program");
        }
    }

private:
    QSqlDatabase m_db;
    bool m_locked = false;
};

QString expectedMessage(Fault fault)
{
    return fault == Fault::DiskFills ? "磁盘空间已满（或数据库文件已到大小上限），操作没有完成。"
                                     : "数据库正被其他程序占用，操作没有完成。请稍后再试。";
}

// The definition and every stored value, in order.
QStringList dump(const QSqlDatabase &db)
{
    QStringList lines{GetSqlValue(db, "SELECT group_concat(sql, ';') FROM sqlite_master")};
    for (const QVariantList &r :
         GetSqlData(db, "SELECT quote(ID) || quote(客户) || quote(备注) || quote(打印标记) || "
                        "quote(填写日期) FROM 单据 ORDER BY ID")
             .rows)
        lines << r[0].toString();
    return lines;
}

void fill(const TestDatabase &t)
{
    t.exec("CREATE TABLE 单据 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 客户 Text (200), 备注 Text "
           "(200), 打印标记 yesno NOT NULL DEFAULT 0, 填写日期 Time);");
    RunSql(t.db(),
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
           "INSERT INTO 单据 (客户, 备注, 填写日期) SELECT '客户' || i || printf('%.150c', '甲'), "
           "'备注' || i, '2026-12-09 18:00:00' FROM n",
           {Records});
}

void addFaults()
{
    QTest::addColumn<Fault>("fault");
    QTest::newRow("another program writing") << Fault::WriterHoldsTheDatabase;
    QTest::newRow("another program's exclusive lock") << Fault::ExclusiveLock;
    QTest::newRow("disk fills") << Fault::DiskFills;
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestStoreFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rebuildLeavesTheTable_data() { addFaults(); }
    void rebuildLeavesTheTable()
    {
        QFETCH(Fault, fault);
        TestDatabase t(TestDatabase::Empty);
        fill(t);
        const QStringList before = dump(t.db());
        try {
            InjectedFault injected(t.db(), fault);
            RebuildTable(t.db(), "单据", {row("客户", "文本", 200), row("备注", "文本", 190)},
                         TableRole::Main);
            QFAIL("the rebuild went through");
        } catch (const StoreError &e) {
            QCOMPARE(e.message(), expectedMessage(fault));
            QVERIFY(!e.detail().isEmpty());
        }
        QCOMPARE(dump(t.db()), before);
    }

    void importLeavesTheTable_data() { addFaults(); }
    void importLeavesTheTable()
    {
        QFETCH(Fault, fault);
        TestDatabase t(TestDatabase::Empty);
        fill(t);
        const QString file = t.folder() + "/rows.xlsx";
        {
            XlsxWriter sheet(file, "单据");
            sheet.addRow({"编号", "客户"});
            for (int r = 1; r <= Records; ++r)
                sheet.addRow(
                    {QString::number(r), QString("新客户%1").arg(r) + QString(150, u'乙')});
            sheet.close();
        }
        const QStringList before = dump(t.db());
        DataSet table;
        t.open(table, "单据");
        try {
            InjectedFault injected(t.db(), fault);
            SheetImport::importWorkbook(table, file, {"ID", "打印标记", "填写日期"});
            QFAIL("the import went through");
        } catch (const StoreError &e) {
            QVERIFY2(e.message().contains(expectedMessage(fault)), qPrintable(e.message()));
        }
        QCOMPARE(dump(t.db()), before);
        // Under an exclusive lock the table cannot even be read back; it stays closed then.
        if (fault != Fault::ExclusiveLock)
            QCOMPARE(table.rowCount(), Records);
    }
};

QTEST_GUILESS_MAIN(TestStoreFaults)
#include "tst_storefaults.moc"

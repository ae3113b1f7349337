// Rebuilding a main table of 100,000 records with 10 columns, beside a plain
// INSERT ... SELECT copy of the same table on the same machine.
#include "store/Database.h"
#include "store/FieldStructure.h"
#include "store/SqlHelpers.h"
#include "store/TableRebuild.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int Records = 100000;
const QString Table = QStringLiteral("发货单");

StructureRow column(const QString &name, const QString &type, int size = 0)
{
    StructureRow r;
    r.fieldName = name;
    r.dataType = type;
    r.size = size;
    return r;
}

const QList<StructureRow> Structure{
    column("单号", "文本", 20),      column("客户", "文本", 50), column("地址", "文本", 100),
    column("数量", "数字"),          column("单价", "浮点型"),   column("金额", "货币"),
    column("发货日期", "日期/时间"), column("已付", "是/否"),    column("备注", "文本"),
    column("件数", "数字"),
};

void fill(const QSqlDatabase &db)
{
    RunSql(db, FieldStructure::CreateStatement(Table, Structure, TableRole::Main));
    QSqlDatabase connection = db;
    connection.transaction();
    QSqlQuery insert(db);
    insert.prepare(
        QStringLiteral("INSERT INTO %1 VALUES (NULL,?,?,?,?,?,?,?,?,?,?,0,'2026-12-09 00:00:00')")
            .arg(quoteName(Table)));
    for (int i = 0; i < Records; ++i) {
        insert.bindValue(0, QStringLiteral("YD%1").arg(i, 8, 10, QChar(u'0')));
        insert.bindValue(1, QStringLiteral("客户单位%1").arg(i % 997));
        insert.bindValue(2, QStringLiteral("某省某市某区某路%1号").arg(i));
        insert.bindValue(3, i % 50);
        insert.bindValue(4, i * 0.25);
        insert.bindValue(5, (i % 10000) / 100.0);
        insert.bindValue(6, QStringLiteral("2026-%1-%2 00:00:00")
                                .arg(1 + i % 12, 2, 10, QChar(u'0'))
                                .arg(1 + i % 28, 2, 10, QChar(u'0')));
        insert.bindValue(7, i % 2);
        insert.bindValue(8, QStringLiteral("备注"));
        insert.bindValue(9, i % 7);
        insert.exec();
    }
    connection.commit();
}

double plainCopyMs(const QSqlDatabase &db)
{
    const QString copy = QStringLiteral("平常复制");
    QSqlDatabase connection = db;
    QElapsedTimer timer;
    timer.start();
    connection.transaction();
    RunSql(db, FieldStructure::CreateStatement(copy, Structure, TableRole::Main));
    RunSql(
        db,
        QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(quoteName(copy), quoteName(Table)));
    connection.commit();
    const double ms = timer.nsecsElapsed() / 1e6;
    RunSql(db, QStringLiteral("DROP TABLE ") + quoteName(copy));
    return ms;
}

double rebuildMs(const QSqlDatabase &db, const QList<StructureRow> &rows)
{
    QElapsedTimer timer;
    timer.start();
    RebuildTable(db, Table, rows, TableRole::Main);
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notedb.db"));
    QFile(path).open(QIODevice::WriteOnly);
    {
        const QSqlDatabase db = Database::connect(path);
        fill(db);

        const double copy = plainCopyMs(db);
        const double same = rebuildMs(db, FieldStructure::ReadStructure(db, Table));
        QList<StructureRow> changed = FieldStructure::ReadStructure(db, Table);
        changed.insert(3, column("联系人", "文本", 20)); // a new column in the middle
        const double added = rebuildMs(db, changed);
        changed[5] = column("数量", "文本", 10); // 数字 to 文本: every value converted one by one
        const double converted = rebuildMs(db, changed);

        std::printf("%d records x %d columns\n", Records, int(Structure.size()));
        std::printf("plain INSERT ... SELECT copy:       %8.1f ms\n", copy);
        std::printf("rebuild, structure unchanged:       %8.1f ms  (%.2f x the copy)\n", same,
                    same / copy);
        std::printf("rebuild, a column added:            %8.1f ms  (%.2f x the copy)\n", added,
                    added / copy);
        std::printf("rebuild, a number column made text: %8.1f ms  (%.2f x the copy)\n", converted,
                    converted / copy);
    }
    Database::disconnect();
    return 0;
}

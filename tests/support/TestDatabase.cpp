#include "TestDatabase.h"

#include "store/DataSet.h"
#include "store/Database.h"
#include "store/ProgramFolder.h"
#include "store/SqlHelpers.h"

#include <QFile>

TestDatabase::TestDatabase(Content content)
{
    Database::disconnect();
    ProgramFolder::set(m_dir.path());
    if (content == Demo) {
        Database::createDemoIfFirstStart(m_dir.path());
    } else {
        QFile f(ProgramFolder::databasePath());
        f.open(QIODevice::WriteOnly);
    }
    Database::connect(ProgramFolder::databasePath());
}

TestDatabase::~TestDatabase()
{
    Database::disconnect();
}

QSqlDatabase TestDatabase::db() const
{
    return Database::connection();
}

void TestDatabase::exec(const QString &script) const
{
    Database::runScript(db(), script);
}

void TestDatabase::open(DataSet &dataSet, const QString &table, const QString &filter) const
{
    dataSet.setDatabase(db());
    dataSet.setTableName(table);
    if (!filter.isEmpty()) {
        dataSet.setFilter(filter);
        dataSet.setFiltered(true);
    }
    dataSet.open();
}

QStringList TestDatabase::flaggedWaybills() const
{
    QStringList numbers;
    for (const QVariantList &row :
         GetSqlData(db(), "SELECT 单号 FROM 快递运单 WHERE 打印标记 <> 0 ORDER BY ID").rows)
        numbers << row[0].toString();
    return numbers;
}

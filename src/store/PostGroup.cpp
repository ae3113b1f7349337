#include "PostGroup.h"

#include "DataSet.h"
#include "SqlHelpers.h"

#include <QSqlError>

PostGroup::PostGroup(DataSet &table) : m_table(table)
{
    QSqlDatabase db = table.database();
    m_open = db.transaction();
}

PostGroup::~PostGroup()
{
    try {
        finish();
    } catch (...) {
        // Reaching here, an error is on its way already; it is the one to tell.
    }
}

void PostGroup::finish()
{
    if (!m_open)
        return;
    m_open = false;
    QSqlDatabase db = m_table.database();
    if (db.commit())
        return;
    const QSqlError why = db.lastError();
    db.rollback();
    m_table.reopen();
    throw EngineError(why, QStringLiteral("保存失败"));
}

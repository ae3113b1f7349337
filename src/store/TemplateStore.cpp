#include "TemplateStore.h"

#include "SqlHelpers.h"
#include "StoreError.h"

TemplateStore::TemplateStore(const QSqlDatabase &db, const QString &kindCode)
    : m_db(db), m_kindCode(kindCode)
{
}

void TemplateStore::lookup()
{
    m_rowId.reset();
    m_template = QByteArray();
    const DataPacket row = GetSqlData(
        m_db, QStringLiteral("SELECT ID, template FROM noteKind WHERE kindCode = ?"), {m_kindCode});
    if (row.rows.isEmpty())
        return;
    m_rowId = row.rows[0][0].toLongLong();
    const QVariant bytes = row.rows[0][1];
    if (!bytes.isNull()) {
        m_template = bytes.toByteArray();
        if (m_template.isNull()) // an empty template is still a template
            m_template = QByteArray("");
    }
}

TemplateStore::Saved TemplateStore::save(const QByteArray &bytes)
{
    const auto gone = [this] {
        return StoreError(QStringLiteral("单据种类“%1”已经不存在，模板无法保存。").arg(m_kindCode));
    };
    if (!m_rowId)
        throw gone();
    RunSql(m_db,
           QStringLiteral(
               "UPDATE noteKind SET template = ?, modqty = COALESCE(modqty, 0) + 1 WHERE ID = ?"),
           {bytes, *m_rowId});
    const DataPacket row = GetSqlData(
        m_db, QStringLiteral("SELECT kindCode, modqty FROM noteKind WHERE ID = ?"), {*m_rowId});
    if (row.rows.isEmpty())
        throw gone();
    m_template = bytes.isNull() ? QByteArray("") : bytes;
    return {row.rows[0][0].toString(), row.rows[0][1].toInt()};
}

#include "BatchInsert.h"

#include "SqlHelpers.h"

#include <QSqlError>
#include <sqlite3.h>

namespace {

// The engine's reason as the driver would report it, so that the user reads the same words
// whichever way the row went in.
QSqlError engineError(sqlite3 *db, const QString &description, int code)
{
    return QSqlError(description, QString(reinterpret_cast<const QChar *>(sqlite3_errmsg16(db))),
                     QSqlError::ConnectionError, QString::number(code));
}

} // namespace

BatchInsert::BatchInsert(const QSqlDatabase &db, const QString &sql, const QString &context)
    : m_db(SqliteHandle(db))
{
    if (!m_db)
        throw StoreError(QStringLiteral("数据库没有打开"));
    const int rc = sqlite3_prepare16_v2(m_db, sql.utf16(), int(sql.size() * sizeof(char16_t)),
                                        &m_statement, nullptr);
    if (rc != SQLITE_OK)
        throw EngineError(engineError(m_db, QStringLiteral("Unable to execute statement"), rc),
                          context);
}

BatchInsert::~BatchInsert()
{
    sqlite3_finalize(m_statement);
}

qint64 BatchInsert::insert(const QVariantList &values, const QString &context)
{
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &value = values[i];
        const int place = i + 1;
        if (value.isNull()) {
            sqlite3_bind_null(m_statement, place);
            continue;
        }
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
            sqlite3_bind_int64(m_statement, place, value.toLongLong());
            break;
        case QMetaType::Double:
            sqlite3_bind_double(m_statement, place, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            sqlite3_bind_blob64(m_statement, place, bytes.constData(), sqlite3_uint64(bytes.size()),
                                SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QString: {
            // The list holds the text until the row has gone in.
            const QString &text = *static_cast<const QString *>(value.constData());
            sqlite3_bind_text16(m_statement, place, text.utf16(),
                                int(text.size() * sizeof(char16_t)), SQLITE_STATIC);
            break;
        }
        default: {
            const QString text = value.toString();
            sqlite3_bind_text16(m_statement, place, text.utf16(),
                                int(text.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
        }
        }
    }
    const int step = sqlite3_step(m_statement);
    const int rc = sqlite3_reset(m_statement);
    const QSqlError error = step == SQLITE_DONE
                                ? QSqlError()
                                : engineError(m_db, QStringLiteral("Unable to fetch row"), rc);
    sqlite3_clear_bindings(m_statement);
    if (error.isValid())
        throw EngineError(error, context);
    return sqlite3_last_insert_rowid(m_db);
}

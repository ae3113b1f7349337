#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

// One INSERT statement run row after row on SQLite's own handle. Each value is bound straight
// from its QVariant, without the driver's bookkeeping per row, which costs more than the
// insert itself when thousands of rows go in together.
class BatchInsert {
public:
    // Throws EngineError(context) when the statement does not prepare.
    BatchInsert(const QSqlDatabase &db, const QString &sql, const QString &context);
    ~BatchInsert();
    BatchInsert(const BatchInsert &) = delete;
    BatchInsert &operator=(const BatchInsert &) = delete;

    // Inserts one row of values in stored form (FieldValue::toStorage), bound to the "?"
    // places in order, and returns its row id. Throws EngineError(context) when the engine
    // refuses the row, with the engine's reason.
    qint64 insert(const QVariantList &values, const QString &context);

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
};

#include "SqlHelpers.h"

#include "StoreError.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

StoreError EngineError(const QSqlError &error, const QString &context)
{
    // The engine's primary result codes, as the driver reports them.
    constexpr int Busy = 5, Locked = 6, Full = 13;
    const int code = error.nativeErrorCode().toInt() & 0xff;
    if (code == Busy || code == Locked)
        return StoreError(QStringLiteral("数据库正被其他程序占用，操作没有完成。请稍后再试。"),
                          error.text());
    if (code == Full)
        return StoreError(
            QStringLiteral("磁盘空间已满（或数据库文件已到大小上限），操作没有完成。"),
            error.text());
    return StoreError(context + u'：' + error.text(), error.text());
}

QSqlQuery QuerySql(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        throw EngineError(query.lastError());
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values[i]);
    if (!query.exec())
        throw EngineError(query.lastError());
    return query;
}

QString quoteName(const QString &name)
{
    QString inner = name;
    inner.replace(u'"', QLatin1String("\"\""));
    return u'"' + inner + u'"';
}

QString quoteText(const QString &text)
{
    QString inner = text;
    inner.replace(u'\'', QLatin1String("''"));
    return u'\'' + inner + u'\'';
}

bool TableExists(const QSqlDatabase &db, const QString &name)
{
    return GetSqlValue(
               db,
               QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = ? COLLATE NOCASE"),
               {name})
               .toInt() >= 1;
}

void RunSql(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    QuerySql(db, statement, values);
}

QString GetSqlValue(const QSqlDatabase &db, const QString &query, const QVariantList &values)
{
    QSqlQuery q = QuerySql(db, query, values);
    return q.next() ? q.value(0).toString() : QString();
}

DataPacket GetSqlData(const QSqlDatabase &db, const QString &query, const QVariantList &values)
{
    QSqlQuery q = QuerySql(db, query, values);
    DataPacket packet;
    const QSqlRecord record = q.record();
    for (int i = 0; i < record.count(); ++i)
        packet.columnNames << record.fieldName(i);
    while (q.next()) {
        QVariantList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << q.value(i);
        packet.rows << row;
    }
    return packet;
}

QList<ColumnDef> ReadTableColumns(const QSqlDatabase &db, const QString &table)
{
    const DataPacket info =
        GetSqlData(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(table)));
    // table_info columns: cid, name, type, notnull, dflt_value, pk
    int primaryKeys = 0;
    for (const auto &row : info.rows)
        primaryKeys += row[5].toInt() > 0 ? 1 : 0;
    QList<ColumnDef> columns;
    for (const auto &row : info.rows) {
        ColumnDef c;
        c.name = row[1].toString();
        c.declaredType = row[2].toString();
        c.notNull = row[3].toInt() != 0;
        c.hasDefault = !row[4].isNull();
        c.defaultText = c.hasDefault ? unquoteDefault(row[4].toString()) : QString();
        const bool rowidKey =
            primaryKeys == 1 && row[5].toInt() == 1 &&
            c.declaredType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        classifyDeclaredType(c, rowidKey);
        // Only the row id's own column counts; one merely declared "Counter" holds what it
        // is given.
        if (c.type == FieldType::Counter && !rowidKey)
            c.type = FieldType::Integer;
        columns << c;
    }
    return columns;
}

bool IsRowIdName(const QString &name)
{
    for (const char *reserved : {"rowid", "_rowid_", "oid"})
        if (name.compare(QLatin1String(reserved), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString RowIdName(const QList<ColumnDef> &columns, const QString &table)
{
    const auto taken = [&columns](const QString &name) {
        return std::any_of(columns.begin(), columns.end(), [&name](const ColumnDef &c) {
            return c.name.compare(name, Qt::CaseInsensitive) == 0;
        });
    };
    for (const QString &name :
         {QStringLiteral("rowid"), QStringLiteral("_rowid_"), QStringLiteral("oid")})
        if (!taken(name))
            return name;
    for (const ColumnDef &c : columns)
        if (c.type == FieldType::Counter)
            return quoteName(c.name);
    throw StoreError(
        QStringLiteral("数据表“%1”的栏目名称占用了rowid、_rowid_和oid，无法区分其中的记录")
            .arg(table));
}

QString ReadColumnDefault(const QSqlDatabase &db, const QString &table, const QString &column)
{
    const QList<ColumnDef> columns = ReadTableColumns(db, table);
    if (columns.isEmpty())
        throw StoreError(QStringLiteral("找不到表“%1”").arg(table));
    for (const ColumnDef &c : columns)
        if (c.name.compare(column, Qt::CaseInsensitive) == 0)
            return c.defaultText;
    throw StoreError(QStringLiteral("表“%1”中没有栏目“%2”").arg(table, column));
}

int SplitList(const QString &text, QStringList *list, QChar separator, bool trim)
{
    if (!list || text.isEmpty())
        return 0;
    if (separator.isNull())
        separator = u',';
    int added = 0;
    qsizetype start = 0;
    auto add = [&](qsizetype end) {
        const QString piece = text.mid(start, end - start);
        list->append(trim ? piece.trimmed() : piece);
        ++added;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == separator) {
            add(i);
            start = i + 1;
        }
    }
    if (start < text.size())
        add(text.size());
    return added;
}

qint64 CounterPosition(const QSqlDatabase &db, const QString &table)
{
    return GetSqlValue(
               db, QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ? COLLATE NOCASE"),
               {table})
        .toLongLong();
}

void KeepCounterPosition(const QSqlDatabase &db, const QString &table, qint64 position)
{
    if (position <= CounterPosition(db, table))
        return;
    RunSql(db, QStringLiteral("DELETE FROM sqlite_sequence WHERE name = ? COLLATE NOCASE"),
           {table});
    RunSql(db, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"),
           {table, position});
}

sqlite3 *SqliteHandle(const QSqlDatabase &db)
{
    if (!db.isOpen())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

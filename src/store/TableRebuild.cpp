#include "TableRebuild.h"

#include "FieldValue.h"
#include "SqlHelpers.h"
#include "StoreError.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <optional>

namespace {

// The table rows are copied from, and how its row id is named there.
struct Source {
    QString table;
    QString rowId;
};

struct ColumnCopy {
    ColumnDef to;
    ColumnDef from;
    bool converted = false; // values pass through C++; otherwise the engine copies them as stored
};

[[noreturn]] void throwQueryError(const QSqlQuery &query)
{
    throw EngineError(query.lastError());
}

QString shown(const QVariant &stored)
{
    const QString text = stored.metaType().id() == QMetaType::QByteArray
                             ? QStringLiteral("(二进制数据)")
                             : stored.toString();
    return text.size() > 20 ? text.left(20) + QStringLiteral("…") : text;
}

QString typeNameOf(const ColumnDef &column)
{
    const QString name = FieldStructure::ListedRow(column, 0).dataType;
    return name.isEmpty() ? column.declaredType : name;
}

StoreError refusedValue(qint64 id, const ColumnCopy &c, const QVariant &stored)
{
    return StoreError(QStringLiteral("记录（ID=%1）中栏目“%2”的值“%3”不能存为%4")
                          .arg(QString::number(id), c.to.name, shown(stored), typeNameOf(c.to)));
}

StoreError tooLong(qint64 id, const ColumnDef &to, qsizetype length)
{
    return StoreError(
        QStringLiteral("记录（ID=%1）中栏目“%2”的文字有%3个字，超过了新的大小%4")
            .arg(QString::number(id), to.name, QString::number(length), QString::number(to.size)));
}

StoreError emptyRequired(qint64 id, const ColumnDef &to)
{
    return StoreError(QStringLiteral("栏目“%1”设为必填，但记录（ID=%2）中它是空的")
                          .arg(to.name, QString::number(id)));
}

// Values of these pairs need no conversion: the engine copies them as stored.
bool sameStorage(const ColumnDef &from, const ColumnDef &to)
{
    if (from.type == to.type)
        return true;
    if (from.isTextual() && to.isTextual())
        return true;
    // A text column stores a whole number as its decimal digits by itself.
    if ((from.type == FieldType::Integer || from.type == FieldType::Counter) && to.isTextual())
        return true;
    return from.type == FieldType::Counter && to.type == FieldType::Integer;
}

// The value for the new column; nullopt when it cannot take it. An amount the store would
// not give back exactly comes with its own refusal.
std::optional<QVariant> convertValue(qint64 id, const QVariant &stored, const ColumnDef &from,
                                     const ColumnDef &to)
{
    QVariant value = FieldValue::fromStorage(stored, from.type);
    if (value.isNull()) // stored, yet unreadable as its own type
        return std::nullopt;
    if (value.metaType().id() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        if (to.type == FieldType::Binary || to.type == FieldType::Unknown)
            return QVariant(bytes);
        // Bytes become text only when they are text; anything else would be lost.
        const QString text = QString::fromUtf8(bytes);
        if (text.toUtf8() != bytes)
            return std::nullopt;
        value = text;
    }
    std::optional<QVariant> converted = FieldValue::coerce(value, to.type);
    if (!converted || converted->isNull())
        converted = FieldValue::parse(FieldValue::toText(value, from.type), to.type);
    if (!converted || converted->isNull())
        return std::nullopt;
    if (!FieldValue::storesExactly(*converted, to.type))
        throw StoreError(QStringLiteral("记录（ID=%1）中").arg(id) +
                         FieldValue::inexactMessage(to.name, *converted, to.type));
    return FieldValue::toStorage(*converted, to.type);
}

std::optional<qint64> firstRecordWhere(const QSqlDatabase &db, const Source &source,
                                       const QString &condition)
{
    const QString id =
        GetSqlValue(db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %1 LIMIT 1")
                            .arg(source.rowId, quoteName(source.table), condition));
    if (id.isEmpty())
        return std::nullopt;
    return id.toLongLong();
}

// A value copied as stored still has to fit: not longer than the new size, not empty when
// the column became required (unless its default fills it).
void checkStoredValues(const QSqlDatabase &db, const Source &source, const ColumnCopy &c)
{
    const QString name = quoteName(c.from.name);
    const bool shrunk = !(c.from.type == FieldType::Text && c.from.size <= c.to.size);
    if (c.to.type == FieldType::Text && c.to.size > 0 && shrunk) {
        const auto id = firstRecordWhere(
            db, source, QStringLiteral("length(%1) > %2").arg(name, QString::number(c.to.size)));
        if (id) {
            const QString text = GetSqlValue(db,
                                             QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                                 .arg(name, quoteName(source.table), source.rowId),
                                             {*id});
            throw tooLong(*id, c.to, text.size());
        }
    }
    if (c.to.notNull && !c.to.hasDefault && !c.from.notNull) {
        if (const auto id = firstRecordWhere(db, source, name + QStringLiteral(" IS NULL")))
            throw emptyRequired(*id, c.to);
    }
}

// Converts every value of one column; the rows whose value changes are returned.
QList<std::pair<qint64, QVariant>> convertColumn(const QSqlDatabase &db, const Source &source,
                                                 const ColumnCopy &c)
{
    QList<std::pair<qint64, QVariant>> changes;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1")
                        .arg(source.rowId, quoteName(c.from.name), quoteName(source.table))))
        throwQueryError(query);
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        const QVariant stored = query.value(1);
        if (stored.isNull()) {
            if (c.to.notNull && !c.to.hasDefault)
                throw emptyRequired(id, c.to);
            continue;
        }
        const auto converted = convertValue(id, stored, c.from, c.to);
        if (!converted)
            throw refusedValue(id, c, stored);
        if (c.to.type == FieldType::Text && c.to.size > 0 &&
            converted->toString().size() > c.to.size)
            throw tooLong(id, c.to, converted->toString().size());
        changes.append({id, *converted});
    }
    return changes;
}

// Converted values wait in a temporary table keyed by record, joined in as the rows are
// copied: far faster than updating the copied rows one by one.
QString stageConverted(const QSqlDatabase &db, int index,
                       const QList<std::pair<qint64, QVariant>> &changes)
{
    const QString table = QStringLiteral("temp.quillet_converted_%1").arg(index);
    RunSql(db, QStringLiteral("DROP TABLE IF EXISTS %1").arg(table));
    RunSql(db, QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, v)").arg(table));
    QSqlQuery insert(db);
    if (!insert.prepare(QStringLiteral("INSERT INTO %1 VALUES (?, ?)").arg(table)))
        throwQueryError(insert);
    for (const auto &[id, value] : changes) {
        insert.bindValue(0, id);
        insert.bindValue(1, value);
        if (!insert.exec())
            throwQueryError(insert);
    }
    return table;
}

QString realTableName(const QSqlDatabase &db, const QString &table)
{
    const QString name = GetSqlValue(
        db,
        QStringLiteral(
            "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"),
        {table});
    if (name.isEmpty())
        throw StoreError(QStringLiteral("数据表“%1”不存在").arg(table));
    return name;
}

// The new table's name while it is filled. A table left by an older version under the same
// name is left alone: it may hold the only copy of someone's rows.
QString freeTemporaryName(const QSqlDatabase &db)
{
    QString name = QStringLiteral("tempNote");
    for (int n = 2; TableExists(db, name); ++n)
        name = QStringLiteral("tempNote%1").arg(n);
    return name;
}

// Every value of the old table lives on in the new one, so its pages need not be wiped
// one by one as they are freed (the slow part of dropping a large table).
void dropCopiedTable(const QSqlDatabase &db, const QString &table)
{
    const int wiping = GetSqlValue(db, QStringLiteral("PRAGMA secure_delete")).toInt();
    const QString restore = QStringLiteral("PRAGMA secure_delete = ") +
                            (wiping == 2 ? QStringLiteral("FAST") : QString::number(wiping));
    RunSql(db, QStringLiteral("PRAGMA secure_delete = FAST"));
    try {
        RunSql(db, QStringLiteral("DROP TABLE ") + quoteName(table));
    } catch (...) {
        RunSql(db, restore);
        throw;
    }
    RunSql(db, restore);
}

void rebuildOne(const QSqlDatabase &db, const RebuildJob &job)
{
    if (FieldStructure::IsReservedTableName(job.table))
        throw StoreError(QStringLiteral("“%1”是系统自用的数据表，不能重建").arg(job.table));
    const QString table = realTableName(db, job.table);
    FieldStructure::UserColumns(job.rows, job.role); // refuses a list that cannot make a table
    const QString temporary = freeTemporaryName(db);
    RunSql(db, FieldStructure::CreateStatement(temporary, job.rows, job.role));
    const QString records = QStringLiteral("SELECT count(*) FROM %1");
    const qint64 read = GetSqlValue(db, records.arg(quoteName(table))).toLongLong();
    CopyRowsByName(db, temporary, table, QStringLiteral("ID"));
    // Nothing is dropped unless every record has arrived.
    const qint64 copied = GetSqlValue(db, records.arg(quoteName(temporary))).toLongLong();
    if (copied != read)
        throw StoreError(QStringLiteral("数据表“%1”有%2条记录，重建时只复制了%3条，数据表保持原样")
                             .arg(table, QString::number(read), QString::number(copied)));
    const qint64 counter = CounterPosition(db, table);
    dropCopiedTable(db, table);
    RunSql(
        db,
        QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoteName(temporary), quoteName(table)));
    KeepCounterPosition(db, table, counter);
}

} // namespace

void CopyRowsByName(const QSqlDatabase &db, const QString &target, const QString &source,
                    const QString &exclusions)
{
    const QList<ColumnDef> targetColumns = ReadTableColumns(db, target);
    const QList<ColumnDef> sourceColumns = ReadTableColumns(db, source);
    if (targetColumns.isEmpty() || sourceColumns.isEmpty())
        throw StoreError(
            QStringLiteral("数据表“%1”不存在").arg(targetColumns.isEmpty() ? target : source));
    QStringList excluded;
    SplitList(exclusions.toUpper(), &excluded, u';', true);
    const Source from{source, RowIdName(sourceColumns, source)};
    const std::optional<qint64> firstRecord = firstRecordWhere(db, from, QStringLiteral("1"));

    QList<ColumnCopy> copies;
    QString keyColumn;
    for (const ColumnDef &to : targetColumns) {
        if (to.type == FieldType::Counter) {
            keyColumn = to.name;
            continue;
        }
        if (excluded.contains(to.name.toUpper()))
            continue;
        const auto from =
            std::find_if(sourceColumns.begin(), sourceColumns.end(), [&](const ColumnDef &c) {
                return c.name.compare(to.name, Qt::CaseInsensitive) == 0;
            });
        if (from == sourceColumns.end()) {
            if (to.notNull && !to.hasDefault && firstRecord)
                throw emptyRequired(*firstRecord, to);
            continue; // a new column: empty, or its default
        }
        copies.append({to, *from, !sameStorage(*from, to)});
    }
    if (!firstRecord)
        return;

    QList<QList<std::pair<qint64, QVariant>>> conversions;
    for (const ColumnCopy &c : copies) {
        if (c.converted)
            conversions.append(convertColumn(db, from, c));
        else
            checkStoredValues(db, from, c);
    }

    // A required column's default stands in for an empty value, as on any insert.
    const auto fillsEmpty = [](const ColumnCopy &c) {
        return c.to.notNull && c.to.hasDefault && !c.from.notNull;
    };
    bool sameColumns = targetColumns[0].name == keyColumn &&
                       keyColumn.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0 &&
                       sourceColumns[0].name.compare(keyColumn, Qt::CaseInsensitive) == 0 &&
                       copies.size() + 1 == targetColumns.size() &&
                       targetColumns.size() == sourceColumns.size();
    for (qsizetype i = 0; sameColumns && i < copies.size(); ++i)
        sameColumns = !copies[i].converted && !fillsEmpty(copies[i]) &&
                      copies[i].from.name == sourceColumns[i + 1].name;
    if (sameColumns) {
        // The engine moves whole records when the columns match, far faster than by value.
        RunSql(db, QStringLiteral("INSERT INTO %1 SELECT * FROM %2")
                       .arg(quoteName(target), quoteName(source)));
        return;
    }
    QStringList names, values, joins, staged;
    if (!keyColumn.isEmpty()) {
        names << quoteName(keyColumn);
        values << QStringLiteral("s.") + from.rowId;
    }
    qsizetype next = 0;
    for (const ColumnCopy &c : copies) {
        names << quoteName(c.to.name);
        QString value = QStringLiteral("s.") + quoteName(c.from.name);
        if (c.converted) {
            const QString alias = QStringLiteral("c%1").arg(next);
            staged << stageConverted(db, int(next), conversions[next]);
            joins << QStringLiteral(" LEFT JOIN %1 %2 ON %2.id = s.%3")
                         .arg(staged.last(), alias, from.rowId);
            value = alias + QStringLiteral(".v");
            ++next;
        }
        values << (fillsEmpty(c)
                       ? QStringLiteral("coalesce(%1, %2)").arg(value, quoteText(c.to.defaultText))
                       : value);
    }
    RunSql(db, QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4 s%5 ORDER BY s.%6")
                   .arg(quoteName(target), names.join(u','), values.join(u','), quoteName(source),
                        joins.join(QString()), from.rowId));
    for (const QString &table : staged)
        RunSql(db, QStringLiteral("DROP TABLE %1").arg(table));
}

void RebuildTables(const QSqlDatabase &db, const QList<RebuildJob> &jobs)
{
    QSqlDatabase connection = db;
    if (!connection.transaction())
        throw EngineError(connection.lastError());
    try {
        for (const RebuildJob &job : jobs)
            rebuildOne(connection, job);
    } catch (...) {
        connection.rollback();
        throw;
    }
    if (!connection.commit()) {
        const QSqlError why = connection.lastError();
        connection.rollback();
        throw EngineError(why);
    }
}

bool RebuildTable(const QSqlDatabase &db, const QString &table, const QList<StructureRow> &rows,
                  TableRole role)
{
    RebuildTables(db, {RebuildJob{table, rows, role}});
    return true;
}

#include "DataSet.h"

#include "FieldValue.h"
#include "SqlHelpers.h"
#include "StoreError.h"

#include <QSqlError>

#include <QSqlQuery>
#include <algorithm>

DataSet::DataSet(QObject *parent) : QObject(parent) {}

void DataSet::requireOpen() const
{
    if (m_state == State::Inactive)
        throw StoreError(QStringLiteral("数据表“%1”没有打开").arg(m_tableName));
}

void DataSet::requireEditing() const
{
    if (m_state != State::Edit && m_state != State::Insert)
        throw StoreError(QStringLiteral("数据表不在编辑或插入状态"));
}

void DataSet::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

int DataSet::columnIndex(const QString &name) const
{
    for (qsizetype i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

void DataSet::open()
{
    if (isOpen())
        return;
    const QList<ColumnDef> columns = ReadTableColumns(m_db, m_tableName);
    if (columns.isEmpty())
        throw StoreError(QStringLiteral("数据表“%1”不存在").arg(m_tableName));
    FilterExpression filter =
        FilterExpression::compile(m_filtered ? m_filterText : QString(), columns);
    const QString rowId = RowIdName(columns, m_tableName);

    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    const QString order =
        m_orderBy.isEmpty() ? rowId : quoteName(m_orderBy) + QStringLiteral(", ") + rowId;
    if (!query.exec(QStringLiteral("SELECT %1, * FROM %2 ORDER BY %3")
                        .arg(rowId, quoteName(m_tableName), order)))
        throw EngineError(query.lastError());
    QList<Record> records;
    const int n = int(columns.size());
    while (query.next()) {
        Record r;
        r.rowid = query.value(0).toLongLong();
        r.values.reserve(n);
        for (int i = 0; i < n; ++i)
            r.values << FieldValue::fromStorage(query.value(i + 1), columns[i].type);
        records << std::move(r);
    }
    m_columns = columns;
    m_quotedNames.clear();
    for (const ColumnDef &c : std::as_const(m_columns))
        m_quotedNames << quoteName(c.name);
    m_rowId = rowId;
    m_records = std::move(records);
    m_filter = std::move(filter);
    m_state = State::Browse;
    rebuildView();
    Q_EMIT stateChanged();
}

void DataSet::close()
{
    m_statements.clear();
    if (!isOpen())
        return;
    m_buffer.clear();
    m_modified = false;
    m_records.clear();
    m_view.clear();
    m_columns.clear();
    m_current = -1;
    setState(State::Inactive);
    Q_EMIT reset();
    Q_EMIT currentRowChanged(m_current);
}

void DataSet::reopen()
{
    close();
    open();
}

void DataSet::setFilter(const QString &text)
{
    if (text == m_filterText)
        return;
    if (isOpen()) {
        FilterExpression compiled =
            FilterExpression::compile(m_filtered ? text : QString(), m_columns);
        checkBrowseMode();
        m_filter = std::move(compiled);
        m_filterText = text;
        rebuildView();
    } else {
        m_filterText = text;
    }
}

void DataSet::setFiltered(bool on)
{
    if (on == m_filtered)
        return;
    if (isOpen()) {
        FilterExpression compiled =
            FilterExpression::compile(on ? m_filterText : QString(), m_columns);
        checkBrowseMode();
        m_filter = std::move(compiled);
        m_filtered = on;
        rebuildView();
    } else {
        m_filtered = on;
    }
}

std::optional<FilterExpression::SqlCondition> DataSet::viewCondition() const
{
    if (m_state != State::Browse || m_master)
        return std::nullopt;
    return m_filter.toSql(m_columns);
}

void DataSet::setSort(const QString &column, Qt::SortOrder order)
{
    if (column == m_sortColumn && order == m_sortOrder)
        return;
    if (!isOpen()) {
        m_sortColumn = column;
        m_sortOrder = order;
        return;
    }
    checkBrowseMode();
    const int record = m_current >= 0 ? m_view[m_current] : -1;
    m_sortColumn = column;
    m_sortOrder = order;
    rebuildView();
    const int row = int(m_view.indexOf(record));
    if (row > 0) {
        m_current = row;
        Q_EMIT currentRowChanged(m_current);
    }
}

void DataSet::sortView()
{
    const int column = m_sortColumn.isEmpty() ? -1 : columnIndex(m_sortColumn);
    if (column < 0)
        return;
    const FieldType type = m_columns[column].type;
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    std::stable_sort(m_view.begin(), m_view.end(), [&](int a, int b) {
        const QVariant &x = m_records[a].values[column];
        const QVariant &y = m_records[b].values[column];
        const int order = x.isNull() || y.isNull() ? int(y.isNull()) - int(x.isNull())
                                                   : FieldValue::compare(x, y, type);
        return descending ? order > 0 : order < 0;
    });
}

void DataSet::setMasterLink(DataSet *master, const QString &masterField, const QString &detailField)
{
    if (m_master)
        disconnect(m_master, nullptr, this, nullptr);
    m_master = master;
    m_masterField = masterField;
    m_detailField = detailField;
    connect(master, &DataSet::currentRowChanged, this, &DataSet::masterMoved);
    connect(master, &DataSet::rowChanged, this, [this](int row) {
        if (m_master && row == m_master->currentRow())
            masterMoved();
    });
    if (isOpen())
        rebuildView();
}

void DataSet::clearMasterLink()
{
    if (m_master)
        disconnect(m_master, nullptr, this, nullptr);
    m_master = nullptr;
    if (isOpen()) {
        checkBrowseMode();
        rebuildView();
    }
}

void DataSet::masterMoved()
{
    if (!isOpen())
        return;
    // The detail row being typed belongs to the record that was current until now.
    checkBrowseMode();
    rebuildView();
}

void DataSet::rebuildView()
{
    m_view.clear();
    int linkColumn = -1;
    QVariant masterValue;
    const bool linked = m_master != nullptr;
    if (linked) {
        linkColumn = columnIndex(m_detailField);
        if (m_master->isOpen() && m_master->currentRow() >= 0)
            masterValue = m_master->fieldValue(m_masterField);
    }
    if (!linked || (linkColumn >= 0 && !masterValue.isNull())) {
        const qint64 key = masterValue.toLongLong();
        for (qsizetype i = 0; i < m_records.size(); ++i) {
            if (m_records[i].deleted)
                continue;
            const QVariantList &values = m_records[i].values;
            if (linked && (values[linkColumn].isNull() || values[linkColumn].toLongLong() != key))
                continue;
            if (m_filter.matches(values))
                m_view << int(i);
        }
    }
    sortView();
    m_current = m_view.isEmpty() ? -1 : 0;
    Q_EMIT reset();
    Q_EMIT currentRowChanged(m_current);
}

int DataSet::rowCount() const
{
    return int(m_view.size()) + (m_state == State::Insert ? 1 : 0);
}

bool DataSet::isBufferRow(int row) const
{
    return (m_state == State::Edit || m_state == State::Insert) && row == m_current;
}

void DataSet::setCurrentRow(int row)
{
    requireOpen();
    if (row < 0 || row >= rowCount() || row == m_current)
        return;
    const bool wasInsert = m_state == State::Insert;
    checkBrowseMode();
    // Dropping an untouched new row removes the last row, so a target past it moves back.
    if (wasInsert && m_state == State::Browse)
        row = qMin(row, rowCount() - 1);
    if (row == m_current)
        return;
    m_current = row;
    Q_EMIT currentRowChanged(m_current);
}

QVariant DataSet::value(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columns.size())
        return QVariant();
    if (isBufferRow(row))
        return m_buffer[column];
    return m_records[m_view[row]].values[column];
}

QVariant DataSet::fieldValue(const QString &name) const
{
    return fieldValue(columnIndex(name));
}

QVariantList DataSet::rowValues(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return isBufferRow(row) ? m_buffer : m_records[m_view[row]].values;
}

void DataSet::append()
{
    requireOpen();
    checkBrowseMode();
    m_buffer = QVariantList(m_columns.size());
    m_assigned = QList<bool>(m_columns.size(), false);
    m_current = int(m_view.size());
    setState(State::Insert);
    Q_EMIT rowAppended(m_current);
    Q_EMIT currentRowChanged(m_current);
    if (afterInsert)
        afterInsert(*this);
    // Defaults alone do not make a record: a new row the user leaves untouched is dropped.
    m_modified = false;
}

void DataSet::edit()
{
    requireOpen();
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    if (m_current < 0)
        throw StoreError(QStringLiteral("没有可以修改的记录"));
    m_buffer = m_records[m_view[m_current]].values;
    m_assigned = QList<bool>(m_columns.size(), false);
    m_modified = false;
    setState(State::Edit);
}

void DataSet::setFieldValue(int column, const QVariant &value)
{
    requireEditing();
    if (column < 0 || column >= m_columns.size())
        throw StoreError(QStringLiteral("数据表“%1”中没有这个栏目").arg(m_tableName));
    const ColumnDef &c = m_columns[column];
    if (c.type == FieldType::Counter)
        throw StoreError(QStringLiteral("栏目“%1”由系统自动编号，不能修改").arg(c.name));
    const auto converted = FieldValue::coerce(value, c.type);
    if (!converted)
        throw StoreError(
            QStringLiteral("“%1”不是栏目“%2”能接受的值").arg(value.toString(), c.name));
    if (!FieldValue::storesExactly(*converted, c.type))
        throw StoreError(FieldValue::inexactMessage(c.name, *converted, c.type));
    if (c.type == FieldType::Text && c.size > 0 && converted->toString().size() > c.size)
        throw StoreError(QStringLiteral("“%1”太长：栏目“%2”最多只能有%3个字符")
                             .arg(converted->toString(), c.name, QString::number(c.size)));
    m_buffer[column] = *converted;
    m_assigned[column] = true;
    m_modified = true;
    Q_EMIT rowChanged(m_current);
}

void DataSet::setFieldValue(const QString &name, const QVariant &value)
{
    const int column = columnIndex(name);
    if (column < 0)
        throw StoreError(QStringLiteral("数据表“%1”中没有栏目“%2”").arg(m_tableName, name));
    setFieldValue(column, value);
}

void DataSet::validateBuffer() const
{
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const ColumnDef &c = m_columns[i];
        if (!c.notNull || c.type == FieldType::Counter || !m_buffer[i].isNull())
            continue;
        // A column left unset on a new row still gets its stored default.
        if (m_state == State::Insert && !m_assigned[i] && c.hasDefault)
            continue;
        throw StoreError(QStringLiteral("栏目“%1”必须填写").arg(c.name));
    }
}

void DataSet::setBatchMode(bool on)
{
    m_batchMode = on;
    if (!on)
        m_statements.clear();
}

// A prepared statement: the one kept from an earlier post in batch mode, else a new one in
// local. A statement that does not prepare fails when it runs, with the engine's reason.
QSqlQuery &DataSet::prepared(const QString &sql, std::optional<QSqlQuery> &local) const
{
    if (m_batchMode) {
        std::unique_ptr<QSqlQuery> &kept = m_statements[sql];
        if (!kept) {
            kept = std::make_unique<QSqlQuery>(m_db);
            kept->prepare(sql);
        }
        return *kept;
    }
    local.emplace(m_db);
    local->prepare(sql);
    return *local;
}

DataSet::Record DataSet::readRecord(qint64 rowid) const
{
    std::optional<QSqlQuery> local;
    QSqlQuery &query = prepared(
        QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(quoteName(m_tableName), m_rowId),
        local);
    query.bindValue(0, rowid);
    if (!query.exec() || !query.next())
        throw EngineError(query.lastError());
    Record r;
    r.rowid = rowid;
    for (qsizetype i = 0; i < m_columns.size(); ++i)
        r.values << FieldValue::fromStorage(query.value(int(i)), m_columns[i].type);
    // A kept statement must not hold the table open between posts.
    query.finish();
    return r;
}

// A new row as posted, without reading it back: the values written, the declared defaults
// of the columns left alone, and the counter, which is the row id.
DataSet::Record DataSet::postedRecord(qint64 rowid) const
{
    Record r;
    r.rowid = rowid;
    r.values = m_buffer;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const ColumnDef &c = m_columns[i];
        if (c.type == FieldType::Counter)
            r.values[i] = rowid;
        else if (!m_assigned[i])
            r.values[i] = c.hasDefault ? FieldValue::fromText(c.defaultText, c.type) : QVariant();
    }
    return r;
}

void DataSet::post()
{
    requireEditing();
    validateBuffer();
    QStringList names;
    QVariantList values;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (!m_assigned[i])
            continue;
        names << m_quotedNames[i];
        values << FieldValue::toStorage(m_buffer[i], m_columns[i].type);
    }
    QString sql;
    if (m_state == State::Insert) {
        sql = names.isEmpty()
                  ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(m_tableName))
                  : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(quoteName(m_tableName), names.join(u','),
                             QStringList(names.size(), QStringLiteral("?")).join(u','));
    } else {
        if (names.isEmpty()) {
            setState(State::Browse);
            m_modified = false;
            return;
        }
        sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                  .arg(quoteName(m_tableName), names.join(QStringLiteral(" = ?, ")), m_rowId);
        values << m_records[m_view[m_current]].rowid;
    }
    std::optional<QSqlQuery> local;
    QSqlQuery &query = prepared(sql, local);
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values[i]);
    if (!query.exec())
        throw EngineError(query.lastError(), QStringLiteral("保存失败"));
    const qint64 insertedRowid = query.lastInsertId().toLongLong();
    query.finish();

    if (m_state == State::Insert) {
        m_records << (m_batchMode ? postedRecord(insertedRowid) : readRecord(insertedRowid));
        m_view << int(m_records.size() - 1);
    } else {
        Record &r = m_records[m_view[m_current]];
        r = readRecord(r.rowid);
    }
    m_buffer.clear();
    m_modified = false;
    setState(State::Browse);
    Q_EMIT rowChanged(m_current);
}

void DataSet::cancel()
{
    if (m_state == State::Insert) {
        const int row = m_current;
        m_buffer.clear();
        m_modified = false;
        m_current = m_view.isEmpty() ? -1 : qMin(row, int(m_view.size()) - 1);
        setState(State::Browse);
        Q_EMIT rowRemoved(row);
        Q_EMIT currentRowChanged(m_current);
    } else if (m_state == State::Edit) {
        m_buffer.clear();
        m_modified = false;
        setState(State::Browse);
        Q_EMIT rowChanged(m_current);
    }
}

void DataSet::checkBrowseMode()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    if (m_modified)
        post();
    else
        cancel();
}

void DataSet::deleteCurrent()
{
    requireOpen();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_current < 0)
        return;
    if (m_state == State::Edit)
        cancel();
    Record &record = m_records[m_view[m_current]];
    RunSql(m_db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoteName(m_tableName), m_rowId),
           {record.rowid});
    // Left in place as a tombstone so that the indexes of the view stay valid.
    record.deleted = true;
    const int row = m_current;
    m_view.removeAt(row);
    m_current = m_view.isEmpty() ? -1 : qMin(row, int(m_view.size()) - 1);
    Q_EMIT rowRemoved(row);
    Q_EMIT currentRowChanged(m_current);
}

void DataSet::deleteRowsInView()
{
    requireOpen();
    if (m_state == State::Insert || m_state == State::Edit)
        cancel();
    if (m_view.isEmpty())
        return;
    QSqlDatabase db = m_db;
    if (!db.transaction())
        throw EngineError(db.lastError());
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoteName(m_tableName), m_rowId));
    for (int index : std::as_const(m_view)) {
        query.addBindValue(m_records[index].rowid);
        if (!query.exec()) {
            const QSqlError why = query.lastError();
            db.rollback();
            throw EngineError(why, QStringLiteral("删除失败"));
        }
    }
    if (!db.commit()) {
        const QSqlError why = db.lastError();
        db.rollback();
        throw EngineError(why, QStringLiteral("删除失败"));
    }
    for (int index : std::as_const(m_view))
        m_records[index].deleted = true;
    m_view.clear();
    m_current = -1;
    Q_EMIT reset();
    Q_EMIT currentRowChanged(m_current);
}

bool DataSet::locate(const QString &column, const QVariant &value)
{
    requireOpen();
    const int c = columnIndex(column);
    if (c < 0)
        return false;
    const auto wanted = FieldValue::coerce(value, m_columns[c].type);
    if (!wanted || wanted->isNull())
        return false;
    for (int row = 0; row < m_view.size(); ++row) {
        const QVariant &v = m_records[m_view[row]].values[c];
        if (!v.isNull() && FieldValue::compare(v, *wanted, m_columns[c].type) == 0) {
            setCurrentRow(row);
            return true;
        }
    }
    return false;
}

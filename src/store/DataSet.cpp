#include "DataSet.h"

#include "FieldValue.h"
#include "SqlHelpers.h"
#include "StoreError.h"
#include "StoreFunctions.h"

#include <QSqlError>

#include <QSqlQuery>
#include <algorithm>
#include <numeric>

DataSet::DataSet(QObject *parent) : QObject(parent)
{
    m_rows.setMaxCost(KeptRows);
}

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
    m_filter = FilterExpression::compile(m_filtered ? m_filterText : QString(), columns);
    m_columns = columns;
    m_quotedNames.clear();
    for (const ColumnDef &c : std::as_const(m_columns))
        m_quotedNames << quoteName(c.name);
    m_rowId = RowIdName(columns, m_tableName);
    m_state = State::Browse;
    if (m_master)
        indexLinkColumn();
    try {
        rebuildView();
    } catch (...) {
        m_state = State::Inactive;
        m_columns.clear();
        throw;
    }
    Q_EMIT stateChanged();
}

void DataSet::close()
{
    m_statements.clear();
    if (!isOpen())
        return;
    m_buffer.clear();
    m_modified = false;
    m_rows.clear();
    m_view.clear();
    m_strays.clear();
    ++m_postedChanges;
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
        applyFilter(std::move(compiled));
        m_filterText = text;
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
        applyFilter(std::move(compiled));
        m_filtered = on;
    } else {
        m_filtered = on;
    }
}

// A filter whose rows cannot be read leaves the one in force, and its rows, as they were.
void DataSet::applyFilter(FilterExpression compiled)
{
    std::swap(m_filter, compiled);
    try {
        rebuildView();
    } catch (...) {
        m_filter = std::move(compiled);
        throw;
    }
}

std::optional<FilterExpression::SqlCondition> DataSet::postedViewCondition() const
{
    // Enough for the rows a clerk changes or adds in one sitting, few enough for any
    // database's limit on bound values.
    constexpr qsizetype MostStrays = 500;
    if (!isOpen() || m_master || m_strays.size() > MostStrays)
        return std::nullopt;
    auto condition = m_filter.toSql(m_columns);
    if (!condition || m_strays.isEmpty())
        return condition;
    condition->where = QStringLiteral("(%1) OR %2 IN (%3)")
                           .arg(condition->where, m_rowId,
                                QStringList(m_strays.size(), QStringLiteral("?")).join(u','));
    for (qint64 id : m_strays)
        condition->values << id;
    return condition;
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
    const qint64 record = m_current >= 0 ? m_view[m_current] : -1;
    m_sortColumn = column;
    m_sortOrder = order;
    rebuildView();
    const int row = record < 0 ? -1 : int(m_view.indexOf(record));
    if (row > 0) {
        m_current = row;
        Q_EMIT currentRowChanged(m_current);
    }
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
    if (isOpen()) {
        indexLinkColumn();
        rebuildView();
    }
}

// A detail table is read by its link column at each move of its master: an index keeps that
// from passing over the whole table. It is made on the first reading of a table without one
// (its rebuild drops it). A database that cannot take it, read-only or locked, is still read,
// only slower.
void DataSet::indexLinkColumn() const
{
    const int link = columnIndex(m_detailField);
    if (link < 0)
        return;
    try {
        RunSql(m_db, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                         .arg(quoteName(m_tableName + u'_' + m_columns[link].name),
                              quoteName(m_tableName), m_quotedNames[link]));
    } catch (const StoreError &) {
    }
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

// Reads the rows in view before changing anything, so that a failed reading leaves them.
void DataSet::rebuildView()
{
    m_view = selectView();
    m_rows.clear();
    m_strays.clear();
    ++m_postedChanges;
    m_current = m_view.isEmpty() ? -1 : 0;
    Q_EMIT reset();
    Q_EMIT currentRowChanged(m_current);
}

QString DataSet::viewOrder() const
{
    return m_orderBy.isEmpty() ? m_rowId : quoteName(m_orderBy) + QStringLiteral(", ") + m_rowId;
}

// A column's order is the program's own comparison of values as it reads them (case ignored
// in every script, money exact, dates in time), not the database's, so the rows are sorted
// here by the sort column's value read beside each id.
QList<qint64> DataSet::selectView() const
{
    std::optional<FilterExpression::SqlCondition> condition;
    if (!m_master && StoreFunctions::install(m_db))
        condition = m_filter.toSql(m_columns);
    const int sortColumn = m_sortColumn.isEmpty() ? -1 : columnIndex(m_sortColumn);
    ViewRows rows{sortColumn, {}, {}};
    if (condition)
        selectViewByCondition(*condition, rows);
    else
        selectViewByReading(rows);
    if (sortColumn < 0)
        return rows.ids;
    const FieldType type = m_columns[sortColumn].type;
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    std::vector<qsizetype> order(rows.ids.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const QVariant &x = rows.sortValues[a];
        const QVariant &y = rows.sortValues[b];
        const int compared = x.isNull() || y.isNull() ? int(y.isNull()) - int(x.isNull())
                                                      : FieldValue::compare(x, y, type);
        return descending ? compared > 0 : compared < 0;
    });
    QList<qint64> ids;
    ids.reserve(rows.ids.size());
    for (qsizetype i : order)
        ids << rows.ids[i];
    return ids;
}

void DataSet::selectViewByCondition(const FilterExpression::SqlCondition &condition,
                                    ViewRows &rows) const
{
    const bool sorted = rows.sortColumn >= 0;
    QSqlQuery query = QuerySql(
        m_db,
        QStringLiteral("SELECT %1%2 FROM %3 WHERE %4 ORDER BY %5")
            .arg(m_rowId,
                 sorted ? QStringLiteral(", ") + m_quotedNames[rows.sortColumn] : QString(),
                 quoteName(m_tableName), condition.where, viewOrder()),
        condition.values);
    while (query.next()) {
        rows.ids << query.value(0).toLongLong();
        if (sorted)
            rows.sortValues << FieldValue::fromStorage(query.value(1),
                                                       m_columns[rows.sortColumn].type);
    }
}

// Reads every row that may be in view once and judges it here: for a filter only the program
// can judge, and for a detail table, whose master's key the database narrows the rows to.
void DataSet::selectViewByReading(ViewRows &rows) const
{
    int linkColumn = -1;
    QVariant masterValue;
    if (m_master) {
        linkColumn = columnIndex(m_detailField);
        if (m_master->isOpen() && m_master->currentRow() >= 0)
            masterValue = m_master->fieldValue(m_masterField);
        if (linkColumn < 0 || masterValue.isNull())
            return;
    }
    const qint64 key = masterValue.toLongLong();
    QSqlQuery query =
        QuerySql(m_db,
                 QStringLiteral("SELECT %1, * FROM %2%3 ORDER BY %4")
                     .arg(m_rowId, quoteName(m_tableName),
                          m_master ? QStringLiteral(" WHERE %1 = ?").arg(m_quotedNames[linkColumn])
                                   : QString(),
                          viewOrder()),
                 m_master ? QVariantList{key} : QVariantList());
    while (query.next()) {
        const QVariantList values = valuesOf(query, 1);
        if (m_master && (values[linkColumn].isNull() || values[linkColumn].toLongLong() != key))
            continue;
        if (!m_filter.matches(values))
            continue;
        rows.ids << query.value(0).toLongLong();
        if (rows.sortColumn >= 0)
            rows.sortValues << values[rows.sortColumn];
    }
}

QVariantList DataSet::valuesOf(const QSqlQuery &query, int firstColumn) const
{
    QVariantList values;
    values.reserve(m_columns.size());
    for (qsizetype i = 0; i < m_columns.size(); ++i)
        values << FieldValue::fromStorage(query.value(int(firstColumn + i)), m_columns[i].type);
    return values;
}

// Reads the page of rows in view that holds row, leaving out those already kept. A row gone
// from the table meanwhile reads as empty; a failed read leaves the page empty for now and is
// tried again on the next asking, since a grid painting cannot take an error.
void DataSet::readPage(int row) const
{
    const int first = row - row % PageRows;
    const int last = qMin(first + PageRows, int(m_view.size()));
    QVariantList wanted;
    for (int r = first; r < last; ++r)
        if (!m_rows.contains(m_view[r]))
            wanted << m_view[r];
    QSet<qint64> read;
    try {
        QSqlQuery query =
            QuerySql(m_db,
                     QStringLiteral("SELECT %1, * FROM %2 WHERE %1 IN (%3)")
                         .arg(m_rowId, quoteName(m_tableName),
                              QStringList(wanted.size(), QStringLiteral("?")).join(u',')),
                     wanted);
        while (query.next()) {
            const qint64 id = query.value(0).toLongLong();
            read << id;
            m_rows.insert(id, new QVariantList(valuesOf(query, 1)));
        }
    } catch (const StoreError &e) {
        qWarning("%s", qPrintable(e.detail()));
        return;
    }
    for (const QVariant &id : std::as_const(wanted))
        if (!read.contains(id.toLongLong()))
            m_rows.insert(id.toLongLong(), new QVariantList(m_columns.size()));
}

QVariantList DataSet::postedValues(int row) const
{
    if (row < 0 || row >= m_view.size())
        return {};
    const qint64 id = m_view[row];
    if (const QVariantList *kept = m_rows.object(id))
        return *kept;
    readPage(row);
    if (const QVariantList *kept = m_rows.object(id))
        return *kept;
    return QVariantList(m_columns.size());
}

void DataSet::keepPosted(qint64 rowid, const QVariantList &values)
{
    // A batch of rows would only push the rows on screen out of the cache: they are read
    // again when shown.
    if (m_batchMode)
        m_rows.remove(rowid);
    else
        m_rows.insert(rowid, new QVariantList(values));
    if (m_filter.matches(values))
        m_strays.remove(rowid);
    else
        m_strays.insert(rowid);
    ++m_postedChanges;
}

void DataSet::forEachRow(const std::function<bool(const QVariantList &values)> &f) const
{
    if (m_view.isEmpty())
        return;
    if (!std::is_sorted(m_view.begin(), m_view.end())) {
        for (int row = 0; row < m_view.size(); ++row)
            if (!f(postedValues(row)))
                return;
        return;
    }
    // The rows in view are read in the table's own order, those not in view passed over.
    QSqlQuery query =
        QuerySql(m_db,
                 QStringLiteral("SELECT %1, * FROM %2 WHERE %1 BETWEEN ? AND ? ORDER BY %1")
                     .arg(m_rowId, quoteName(m_tableName)),
                 {m_view.first(), m_view.last()});
    const QVariantList gone(m_columns.size());
    qsizetype row = 0;
    while (row < m_view.size() && query.next()) {
        const qint64 id = query.value(0).toLongLong();
        for (; row < m_view.size() && m_view[row] < id; ++row)
            if (!f(gone))
                return;
        if (row < m_view.size() && m_view[row] == id) {
            if (!f(valuesOf(query, 1)))
                return;
            ++row;
        }
    }
    for (; row < m_view.size(); ++row)
        if (!f(gone))
            return;
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
    return postedValues(row).value(column);
}

QVariant DataSet::fieldValue(const QString &name) const
{
    return fieldValue(columnIndex(name));
}

QVariantList DataSet::rowValues(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return isBufferRow(row) ? m_buffer : postedValues(row);
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
    m_buffer = postedValues(m_current);
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
    const bool ending = m_batchMode && !on;
    m_batchMode = on;
    // A view told of every row of an import would redraw and measure itself anew for each
    // of a hundred thousand rows: listeners hear of the whole batch once, when it ends.
    blockSignals(on);
    if (!on) {
        m_statements.clear();
        m_batchInsert.reset();
    }
    if (ending) {
        Q_EMIT reset();
        Q_EMIT currentRowChanged(m_current);
    }
}

QStringList DataSet::assignedNames() const
{
    QStringList names;
    for (qsizetype i = 0; i < m_columns.size(); ++i)
        if (m_assigned[i])
            names << m_quotedNames[i];
    return names;
}

qint64 DataSet::insertBatched(const QVariantList &values)
{
    const QString context = QStringLiteral("保存失败");
    if (!m_batchInsert || m_batchColumns != m_assigned) {
        m_batchInsert.reset();
        const QStringList names = assignedNames();
        m_batchInsert = std::make_unique<BatchInsert>(
            m_db,
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(quoteName(m_tableName), names.join(u','),
                     QStringList(names.size(), QStringLiteral("?")).join(u',')),
            context);
        m_batchColumns = m_assigned;
    }
    return m_batchInsert->insert(values, context);
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

QVariantList DataSet::readRow(qint64 rowid) const
{
    std::optional<QSqlQuery> local;
    QSqlQuery &query = prepared(
        QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(quoteName(m_tableName), m_rowId),
        local);
    query.bindValue(0, rowid);
    if (!query.exec() || !query.next())
        throw EngineError(query.lastError());
    const QVariantList values = valuesOf(query, 0);
    // A kept statement must not hold the table open between posts.
    query.finish();
    return values;
}

// A new row as posted, without reading it back: the values written, the declared defaults
// of the columns left alone, and the counter, which is the row id.
QVariantList DataSet::rowAsPosted(qint64 rowid) const
{
    QVariantList values = m_buffer;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const ColumnDef &c = m_columns[i];
        if (c.type == FieldType::Counter)
            values[i] = rowid;
        else if (!m_assigned[i])
            values[i] = c.hasDefault ? FieldValue::fromText(c.defaultText, c.type) : QVariant();
    }
    return values;
}

void DataSet::post()
{
    requireEditing();
    validateBuffer();
    QVariantList values;
    for (qsizetype i = 0; i < m_columns.size(); ++i)
        if (m_assigned[i])
            values << FieldValue::toStorage(m_buffer[i], m_columns[i].type);
    if (m_state == State::Edit && values.isEmpty()) {
        setState(State::Browse);
        m_modified = false;
        return;
    }
    const bool inserting = m_state == State::Insert;
    const QVariantList before = inserting ? QVariantList() : postedValues(m_current);
    const qint64 insertedRowid = inserting && m_batchMode && !values.isEmpty()
                                     ? insertBatched(values)
                                     : writeThroughDriver(values);
    const qint64 rowid = inserting ? insertedRowid : m_view[m_current];
    const QVariantList after = inserting && m_batchMode ? rowAsPosted(rowid) : readRow(rowid);
    keepPosted(rowid, after);
    if (inserting)
        m_view << rowid;
    m_lastChange = {m_postedChanges, before, after};
    m_buffer.clear();
    m_modified = false;
    setState(State::Browse);
    Q_EMIT rowChanged(m_current);
}

// Inserts the row being edited, or updates the current row, with the values of the columns
// set on it; returns the new row's id.
qint64 DataSet::writeThroughDriver(QVariantList values)
{
    const QStringList names = assignedNames();
    QString sql;
    if (m_state == State::Insert) {
        sql = names.isEmpty()
                  ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(m_tableName))
                  : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(quoteName(m_tableName), names.join(u','),
                             QStringList(names.size(), QStringLiteral("?")).join(u','));
    } else {
        sql = QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                  .arg(quoteName(m_tableName), names.join(QStringLiteral(" = ?, ")), m_rowId);
        values << m_view[m_current];
    }
    std::optional<QSqlQuery> local;
    QSqlQuery &query = prepared(sql, local);
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values[i]);
    if (!query.exec())
        throw EngineError(query.lastError(), QStringLiteral("保存失败"));
    const qint64 insertedRowid = query.lastInsertId().toLongLong();
    query.finish();
    return insertedRowid;
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
    const qint64 rowid = m_view[m_current];
    const QVariantList before = postedValues(m_current);
    RunSql(m_db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoteName(m_tableName), m_rowId),
           {rowid});
    m_rows.remove(rowid);
    m_strays.remove(rowid);
    m_lastChange = {++m_postedChanges, before, {}};
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
    for (qint64 rowid : std::as_const(m_view)) {
        query.addBindValue(rowid);
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
    m_view.clear();
    m_rows.clear();
    m_strays.clear();
    ++m_postedChanges;
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
    const FieldType type = m_columns[c].type;
    const auto wanted = FieldValue::coerce(value, type);
    if (!wanted || wanted->isNull())
        return false;
    if (type == FieldType::Counter || type == FieldType::Integer) {
        // A whole number is found by the database, and its rows by id in the view, so that
        // locating record after record in a large table does not read the table each time.
        QSet<qint64> holders;
        for (const QVariantList &row :
             GetSqlData(m_db,
                        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                            .arg(m_rowId, quoteName(m_tableName), m_quotedNames[c]),
                        {*wanted})
                 .rows)
            holders << row.value(0).toLongLong();
        // A single holder, as a counter's value has, is looked for by comparing ids only.
        const auto found =
            holders.size() == 1
                ? std::find(m_view.cbegin(), m_view.cend(), *holders.cbegin())
                : std::find_if(m_view.cbegin(), m_view.cend(),
                               [&holders](qint64 id) { return holders.contains(id); });
        if (found == m_view.cend())
            return false;
        setCurrentRow(int(found - m_view.cbegin()));
        return true;
    }
    for (int row = 0; row < m_view.size(); ++row) {
        const QVariant v = postedValues(row).value(c);
        if (!v.isNull() && FieldValue::compare(v, *wanted, type) == 0) {
            setCurrentRow(row);
            return true;
        }
    }
    return false;
}

#pragma once

#include "BatchInsert.h"
#include "ColumnDef.h"
#include "FilterExpression.h"

#include <QCache>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariantList>
#include <functional>
#include <map>
#include <memory>
#include <optional>

// An open table: its column definitions, the rows in view under a filter (and, for a detail
// table, under its master's current row) in the database's order or a column's, a current
// row, and one row at a time being edited or inserted.
//
// Only the row ids in view are held; values are read a page of rows at a time as they are
// asked for and the pages read lately are kept, so a table of a million rows opens at once
// and holds little memory. The database selects the rows in view when it can judge the
// filter (FilterExpression::toSql); otherwise the rows are read past once and judged here.
//
// Every value written is checked against what the table declares (type, text size,
// required) before any statement runs, and each post is one statement, so a refused value
// leaves both the database and the edited row as they were. Errors are thrown as StoreError.
class DataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit DataSet(QObject *parent = nullptr);

    void setDatabase(const QSqlDatabase &db) { m_db = db; }
    QSqlDatabase database() const { return m_db; }
    void setTableName(const QString &name) { m_tableName = name; }
    const QString &tableName() const { return m_tableName; }
    // Rows are read in the order of this column (then as stored); empty: as stored.
    void setOrderBy(const QString &column) { m_orderBy = column; }

    void open();
    // Drops a pending edit, as a closing table does.
    void close();
    // Close and open again: the filter stays, the first row in view becomes current.
    void reopen();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    const QList<ColumnDef> &columns() const { return m_columns; }
    int columnIndex(const QString &name) const; // case ignored; -1 when absent

    // Compiles the filter against the columns. A text that does not parse is refused with
    // the reason and the filter in force stays. An unchanged filter changes nothing; a
    // changed one posts a pending edit first and makes the first row in view current.
    void setFilter(const QString &text);
    const QString &filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool isFiltered() const { return m_filtered; }
    // The rows in view as posted, as a condition over the table for the database to work on
    // them without reading them: a new row not yet posted is left out, an edited one taken
    // as it was. Nothing for a detail table, under a filter that is judged only over rows in
    // memory, or when many rows were changed or added since the filter chose them.
    std::optional<FilterExpression::SqlCondition> postedViewCondition() const;
    // Grows whenever the posted rows in view change (chosen anew, posted, deleted), so that a
    // total worked out over them is known to be still good while it stays.
    quint64 postedChanges() const { return m_postedChanges; }
    // The change a single post or deletion made to the posted rows in view, so that a total
    // can follow it without going over the rows again: the row as it was (empty for a new
    // row) and as it is (empty when deleted), and postedChanges() right after it.
    struct PostedChange {
        quint64 at = 0;
        QVariantList before, after;
    };
    const PostedChange &lastPostedChange() const { return m_lastChange; }

    // The rows in view in the order of a column (empty values first), kept through filtering
    // and reopening; an empty name: as read. The current record stays current.
    void setSort(const QString &column, Qt::SortOrder order);
    const QString &sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    // A detail table shows the rows whose detailField equals masterField of the master's
    // current row. Without a master every row passing the filter is in view.
    void setMasterLink(DataSet *master, const QString &masterField, const QString &detailField);
    void clearMasterLink();
    DataSet *master() const { return m_master; }

    int rowCount() const;
    bool isEmpty() const { return rowCount() == 0; }
    int currentRow() const { return m_current; }
    // Posts a pending edit of another row first; throws when that post is refused.
    void setCurrentRow(int row);
    void first() { setCurrentRow(0); }

    QVariant value(int row, int column) const;
    // The row's values as posted, even while it is being edited.
    QVariantList postedValues(int row) const;
    QVariant fieldValue(int column) const { return value(m_current, column); }
    QVariant fieldValue(const QString &name) const;
    // The row's values as they stand (the edit buffer for the row being edited).
    QVariantList rowValues(int row) const;
    // Every row in view, in view order, with its values as posted, until f returns false: in
    // one pass over the table when the view is in row id order (unsorted), as pages otherwise.
    // A row deleted meanwhile reads as empty. Throws StoreError when the table cannot be read.
    void forEachRow(const std::function<bool(const QVariantList &values)> &f) const;

    // Appends a new row at the end of the view, makes it current and runs afterInsert.
    void append();
    void edit();
    void setFieldValue(int column, const QVariant &value);
    void setFieldValue(const QString &name, const QVariant &value);
    bool isModified() const { return m_modified; }
    void post();
    void cancel();
    // Posts if the row was changed, drops an untouched new row.
    void checkBrowseMode();
    void deleteCurrent();
    // Deletes every row in view in one transaction: all of them or, on an error, none.
    void deleteRowsInView();
    // Makes the first row in view whose column equals value current; false when none.
    bool locate(const QString &column, const QVariant &value);

    // Many posts in a row, as an import makes: while on, posting keeps its prepared statements
    // instead of parsing them anew for every row, and a new row is not read back: it holds
    // the values written, the declared defaults of the other columns and its counter. No
    // signal is sent meanwhile; turning it off sends reset() and currentRowChanged() once.
    // Turning it off, or closing, lets the statements go; keep it off while the connection
    // may change.
    void setBatchMode(bool on);

    // Runs after append: the place to fill in defaults. Throwing cancels nothing; values
    // set before the throw stay. A hook may call cancel().
    std::function<void(DataSet &)> afterInsert;

Q_SIGNALS:
    void reset();             // the rows in view changed wholesale
    void rowChanged(int row); // one row's values changed
    void rowAppended(int row);
    void rowRemoved(int row);
    void currentRowChanged(int row);
    void stateChanged();

private:
    // Rows read together when one of them is asked for, and how many rows are kept.
    static constexpr int PageRows = 256;
    static constexpr int KeptRows = 64 * PageRows;

    QSqlDatabase m_db;
    QString m_tableName;
    QString m_orderBy;
    State m_state = State::Inactive;
    QList<ColumnDef> m_columns;
    QStringList m_quotedNames; // the columns' names as statements write them
    QString m_rowId;           // how statements name the row id: a column may be called "rowid"
    QList<qint64> m_view;      // the row ids in view, in view order
    mutable QCache<qint64, QVariantList> m_rows; // values of rows read lately, by row id
    // Rows in view that the filter's condition would not select: changed or added since it
    // chose the rows. A few are named to the database beside the condition.
    QSet<qint64> m_strays;
    quint64 m_postedChanges = 0;
    PostedChange m_lastChange;
    int m_current = -1;

    QString m_filterText;
    FilterExpression m_filter;
    bool m_filtered = false;

    QString m_sortColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;

    QPointer<DataSet> m_master;
    QString m_masterField, m_detailField;

    QVariantList m_buffer; // the row being edited or inserted
    QList<bool> m_assigned;
    bool m_modified = false;

    bool m_batchMode = false;
    mutable std::map<QString, std::unique_ptr<QSqlQuery>> m_statements;
    // In batch mode, new rows go in through one statement for as long as they set the same
    // columns.
    std::unique_ptr<BatchInsert> m_batchInsert;
    QList<bool> m_batchColumns;
    qint64 insertBatched(const QVariantList &values);
    qint64 writeThroughDriver(QVariantList values);
    // The quoted names of the columns set on the row being edited, in the table's order.
    QStringList assignedNames() const;

    QSqlQuery &prepared(const QString &sql, std::optional<QSqlQuery> &local) const;
    bool isBufferRow(int row) const;
    void applyFilter(FilterExpression compiled);
    void rebuildView();
    void indexLinkColumn() const;
    // The rows chosen for the view, and each one's value of the sort column when it is sorted.
    struct ViewRows {
        int sortColumn = -1;
        QList<qint64> ids;
        QVariantList sortValues;
    };
    QList<qint64> selectView() const;
    void selectViewByCondition(const FilterExpression::SqlCondition &condition,
                               ViewRows &rows) const;
    void selectViewByReading(ViewRows &rows) const;
    // The table's values of the query's current row, from its column firstColumn on.
    QVariantList valuesOf(const QSqlQuery &query, int firstColumn) const;
    void readPage(int row) const;
    void keepPosted(qint64 rowid, const QVariantList &values);
    void setState(State state);
    void requireOpen() const;
    void requireEditing() const;
    QVariantList readRow(qint64 rowid) const;
    QVariantList rowAsPosted(qint64 rowid) const;
    QString viewOrder() const;
    void validateBuffer() const;
    void masterMoved();
};

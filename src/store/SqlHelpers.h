#pragma once

#include "ColumnDef.h"
#include "StoreError.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

// The statement helpers every window reaches the database through. Errors are thrown as
// StoreError with the engine's own text; nothing is caught here.

class QSqlError;
struct sqlite3;

// An error of the engine as the user is told it: a locked database and a full disk in plain
// words, anything else as the context followed by the engine's text. The engine's own text
// is always the detail.
StoreError EngineError(const QSqlError &error,
                       const QString &context = QStringLiteral("数据库错误"));

// A name made safe for a statement: "发票" becomes "\"发票\"", inner quotes doubled.
QString quoteName(const QString &name);
// A text value as an SQL literal: single quotes, inner single quotes doubled.
QString quoteText(const QString &text);

// Whether the database holds an object (table, index, view...) of that name; case ignored.
bool TableExists(const QSqlDatabase &db, const QString &name);
// Runs one statement that returns no rows; values are bound to its "?" places.
void RunSql(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {});
// Runs a statement that returns rows, its values bound to its "?" places; the rows are read
// forward with next(). Throws EngineError when it cannot run.
QSqlQuery QuerySql(const QSqlDatabase &db, const QString &statement,
                   const QVariantList &values = {});
// The first column of the first row as text; empty text when there is no row.
QString GetSqlValue(const QSqlDatabase &db, const QString &query, const QVariantList &values = {});

// A whole query result held in memory.
struct DataPacket {
    QStringList columnNames;
    QList<QVariantList> rows;
};
DataPacket GetSqlData(const QSqlDatabase &db, const QString &query,
                      const QVariantList &values = {});

// The columns of a table in their order, with declared type, size, required flag and default.
QList<ColumnDef> ReadTableColumns(const QSqlDatabase &db, const QString &table);
// How a statement reaches the table's own row id: "rowid", "_rowid_" or "oid", whichever no
// column of the table is called (a column of such a name hides the row id), else the
// counter column. Throws StoreError when neither is left.
QString RowIdName(const QList<ColumnDef> &columns, const QString &table);
// The names that reach a table's own row id; no column may take one of them.
bool IsRowIdName(const QString &name);

// Where a table's counter (AUTOINCREMENT) stands: the last ID it gave, 0 before any.
qint64 CounterPosition(const QSqlDatabase &db, const QString &table);
// Moves the table's counter on to position, never back, so that the ID of a record deleted
// elsewhere is never given again (detail rows may still name it).
void KeepCounterPosition(const QSqlDatabase &db, const QString &table, qint64 position);

// The engine's own handle of an open SQLite connection, for what only SQLite's C interface
// does; null for any other connection.
sqlite3 *SqliteHandle(const QSqlDatabase &db);

// The default text stored with a column, as the user typed it; empty when it has none.
QString ReadColumnDefault(const QSqlDatabase &db, const QString &table, const QString &column);

// Splits text at a one-character separator (',' when given as '\0') and appends the pieces
// to list, trimming each when asked. Returns how many pieces were added.
int SplitList(const QString &text, QStringList *list, QChar separator, bool trim);

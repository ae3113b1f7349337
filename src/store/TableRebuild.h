#pragma once

#include "FieldStructure.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// Making a form kind's table anew from its structure list, keeping its records.
//
// A rebuild is all or nothing: the new table is made under a free temporary name, filled
// from the old one column by column of the same name, the old table dropped and the new one
// renamed, all in one transaction. Any refusal (a statement, a value the new column cannot
// take, an empty value in a column made required, a text longer than its new size) leaves
// the old table with all its rows exactly as they were, and its message names the column
// and the record. Every record keeps its ID, so detail rows stay with their records.

struct RebuildJob {
    QString table;
    QList<StructureRow> rows;
    TableRole role = TableRole::Main;
};

// Rebuilds one table; throws StoreError when refused. Returns true when done.
bool RebuildTable(const QSqlDatabase &db, const QString &table, const QList<StructureRow> &rows,
                  TableRole role);
// Rebuilds several tables (a main table and its detail table) in one transaction.
void RebuildTables(const QSqlDatabase &db, const QList<RebuildJob> &jobs);

// Appends one row to target per row of source, keeping each row's ID, and fills every
// column of target that is not in the ";"-separated exclusion list and that source has
// under the same name (case ignored), converting each value to the target column's type.
// Target columns source has not get their defaults. Throws StoreError naming the column and
// the record of the first value the target refuses. Runs inside the caller's transaction.
void CopyRowsByName(const QSqlDatabase &db, const QString &target, const QString &source,
                    const QString &exclusions);

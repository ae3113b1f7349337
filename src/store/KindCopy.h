#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// Copying a form kind as a new kind beside it: the next free code among its siblings, a new
// catalogue row and a copy of its main table with every record. Only the main table goes
// with it: not the detail table, not the template, not the kind's settings.
namespace KindCopy {

// The code after the greatest sibling code: the parent's code followed by the number after
// it plus one, two digits at least ("X" and "X07" give "X08"). Throws StoreError when that
// number is no number, or would need a third digit the tree cannot place.
QString NextCode(const QString &parentCode, const QString &greatestSiblingCode);

// Where the copy of the kind with that code goes.
struct Plan {
    QVariant parentId; // the source's parent row, null when it has none
    QString newCode;
};
Plan PlanCopy(const QSqlDatabase &db, const QString &code);

// Registers the new kind and copies the source's main table under the new name, in one
// transaction: a copy that fails leaves neither the row nor the table. Throws StoreError
// for an empty name, a name the program keeps for itself, or a failing statement.
void CopyKind(const QSqlDatabase &db, const Plan &plan, const QString &sourceTable,
              const QString &newName);

// Makes target with the column definitions of source (types, defaults, not-null, the
// counter) and every row of it, IDs kept; the counter goes on where the source's left off.
// Runs inside the caller's transaction.
void CopyTable(const QSqlDatabase &db, const QString &source, const QString &target);

} // namespace KindCopy

#pragma once

#include "ColumnDef.h"

#include <QList>
#include <QSqlDatabase>
#include <QStringList>

// The field structure of a form kind's table as the structure dialog lists it: one row per
// column, typed by one of seven Chinese type names, and the statements that make a table
// from such a list.

struct StructureRow {
    int position = 0; // the running number shown in "#"; 0 shows empty
    QString fieldName;
    QString dataType;
    int size = 0; // characters of a 文本 column; 0 is an empty size
    bool required = false;
    QString defaultText;

    bool operator==(const StructureRow &) const = default;
};

enum class TableRole { Main, Detail };

namespace FieldStructure {

// 文本, 数字, 浮点型, 日期/时间, 货币, 是/否, OLE 对象: the pick list, in its order.
const QStringList &TypeNames();
inline constexpr int ListedIntegerSize = 10;
inline constexpr int DefaultTextSize = 24;
inline constexpr int ImportedTextSize = 50;

// The store type a type name becomes: every Chinese type name in the text, found without
// regard to case, is replaced by its store type; any other text stays as it is.
QString StoreTypeOf(const QString &dataType);
// The type name and size under which a live column is listed; an unknown type lists empty.
StructureRow ListedRow(const ColumnDef &column, int position);
// ID in every table, MID in a detail table, 打印标记 and 填写日期 last in a main table; the
// rows of a list bearing one of these names (exactly, case included) are never written.
bool IsFixedColumn(const QString &fieldName);

// The create statement for a table made from the list, the fixed columns in their places.
QString CreateStatement(const QString &table, const QList<StructureRow> &rows, TableRole role);
// The rows of the list that become user columns: fixed names left out, an untouched empty
// row (as a grid leaves behind) dropped. Throws StoreError naming the row that cannot
// become a column (no name, a type that is no type, a name used twice).
QList<StructureRow> UserColumns(const QList<StructureRow> &rows, TableRole role);

// Appends a row (文本, size 50) for each title not in the ";"-separated exclusion list,
// compared without regard to case, numbering on from the rows already there.
void AppendTitles(QList<StructureRow> *rows, const QStringList &titles, const QString &exclusions);

// The columns of a live table as structure rows, numbered from 1, the fixed ones included.
QList<StructureRow> ReadStructure(const QSqlDatabase &db, const QString &table);
// A form kind's tables come into being when its structure is first opened: the main table
// with the single column ID, the detail table ("sub") with ID and MID.
void CreateMainTableIfMissing(const QSqlDatabase &db, const QString &kindName);
void CreateDetailTableIfMissing(const QSqlDatabase &db, const QString &kindName);
QString DetailTableName(const QString &kindName);
// The program's own tables (noteKind, 常用数据, the scratch tables, the engine's) are no form
// kind's tables: a kind of such a name would have its structure rebuilt over them.
bool IsReservedTableName(const QString &name);
// After a form kind's catalogue row is deleted: drops its main table unless another form
// kind of the same name (case ignored) still has it. Its detail table always stays.
enum class DeletedKindTable { Dropped, KeptShared, Missing };
DeletedKindTable DropTableOfDeletedKind(const QSqlDatabase &db, const QString &kindName);
// Whether the form kind of that name is marked master-detail.
bool KindHasDetail(const QSqlDatabase &db, const QString &kindName);

} // namespace FieldStructure

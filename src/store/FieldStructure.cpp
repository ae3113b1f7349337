#include "FieldStructure.h"

#include "SqlHelpers.h"
#include "StoreError.h"

#include <QRegularExpression>
#include <QSet>

namespace FieldStructure {

namespace {

const QString CounterDefinition = QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
const QString TextType = QStringLiteral("Text");

struct TypeName {
    const char16_t *name;
    const char *storeType;
};
// The order of the replacements matters: it is the order of the pick list.
constexpr TypeName TypeTable[] = {
    {u"文本", "Text"},     {u"数字", "Long"},   {u"浮点型", "Number"},       {u"日期/时间", "Time"},
    {u"货币", "Currency"}, {u"是/否", "yesno"}, {u"OLE 对象", "LONGBINARY"},
};

QString sizePart(const StructureRow &row)
{
    return QStringLiteral(" (%1) ").arg(row.size > 0 ? row.size : DefaultTextSize);
}

bool isUntouchedNewRow(const StructureRow &row)
{
    return row.fieldName.trimmed().isEmpty() &&
           (row.dataType.isEmpty() || row.dataType == TypeNames().first()) && row.size == 0 &&
           !row.required && row.defaultText.isEmpty();
}

// The engine turns text that looks like a number into a number unless the declared type
// names text: a long text typed as "Memo" keeps "0123" as it is only when declared
// "Memo Text", which still reads back as a long text.
QString declaredType(const QString &type)
{
    ColumnDef column;
    column.declaredType = type;
    classifyDeclaredType(column, false);
    static const QRegularExpression textAffinity(QStringLiteral("TEXT|CHAR|CLOB"),
                                                 QRegularExpression::CaseInsensitiveOption);
    if (column.isTextual() && !textAffinity.match(type).hasMatch())
        return type + QStringLiteral(" Text");
    return type;
}

QString columnDefinition(const StructureRow &row)
{
    const QString type = StoreTypeOf(row.dataType);
    QString definition = quoteName(row.fieldName) + u' ' + declaredType(type);
    if (type == TextType) {
        definition += sizePart(row);
        // Defaults are written for text columns only, as a literal so that any text survives.
        if (!row.defaultText.isEmpty())
            definition += QStringLiteral(" DEFAULT ") + quoteText(row.defaultText);
    }
    if (row.required)
        definition += QStringLiteral(" not null");
    return definition;
}

QStringList fixedColumnsOf(TableRole role)
{
    if (role == TableRole::Main)
        return {QStringLiteral("ID"), QStringLiteral("打印标记"), QStringLiteral("填写日期")};
    return {QStringLiteral("ID"), QStringLiteral("MID")};
}

} // namespace

const QStringList &TypeNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const TypeName &t : TypeTable)
            list << QString::fromUtf16(t.name);
        return list;
    }();
    return names;
}

QString StoreTypeOf(const QString &dataType)
{
    QString converted = dataType;
    for (const TypeName &t : TypeTable)
        converted.replace(QString::fromUtf16(t.name), QString::fromLatin1(t.storeType),
                          Qt::CaseInsensitive);
    return converted;
}

StructureRow ListedRow(const ColumnDef &column, int position)
{
    StructureRow row;
    row.position = position;
    row.fieldName = column.name;
    row.required = column.notNull;
    row.defaultText = column.defaultText;
    const QStringList &names = TypeNames();
    switch (column.type) {
    case FieldType::Text:
        row.dataType = names[0];
        row.size = column.size;
        break;
    case FieldType::Counter:
    case FieldType::Integer:
        row.dataType = names[1];
        row.size = ListedIntegerSize;
        break;
    case FieldType::Float:
        row.dataType = names[2];
        break;
    case FieldType::DateTime:
        row.dataType = names[3];
        break;
    case FieldType::Currency:
        row.dataType = names[4];
        break;
    case FieldType::Bool:
        row.dataType = names[5];
        break;
    case FieldType::Binary:
    case FieldType::Memo: // a long text has no name of its own in the list
        row.dataType = names[6];
        break;
    case FieldType::Unknown:
        break;
    }
    return row;
}

bool IsFixedColumn(const QString &fieldName)
{
    return fieldName == u"ID" || fieldName == u"MID" || fieldName == u"打印标记" ||
           fieldName == u"填写日期";
}

QList<StructureRow> UserColumns(const QList<StructureRow> &rows, TableRole role)
{
    static const QRegularExpression plainType(
        QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*(\\s*\\(\\s*\\d+\\s*(,\\s*\\d+\\s*)?\\))?$"));
    QList<StructureRow> columns;
    QSet<QString> used;
    for (const QString &fixed : fixedColumnsOf(role))
        used.insert(fixed.toUpper());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const StructureRow &row = rows[i];
        if (IsFixedColumn(row.fieldName) || isUntouchedNewRow(row))
            continue;
        if (row.fieldName.trimmed().isEmpty())
            throw StoreError(QStringLiteral("第%1行没有填写栏目名称").arg(i + 1));
        if (IsRowIdName(row.fieldName))
            throw StoreError(
                QStringLiteral("栏目名称“%1”是数据库自用的名称（rowid、_rowid_、oid），"
                               "请换一个名称")
                    .arg(row.fieldName));
        // The type goes into the statement as typed: only a plain name the program knows may.
        ColumnDef probe;
        probe.declaredType = StoreTypeOf(row.dataType);
        classifyDeclaredType(probe, false);
        if (!plainType.match(probe.declaredType).hasMatch() || probe.type == FieldType::Unknown)
            throw StoreError(
                QStringLiteral("栏目“%1”的数据类型“%2”无法识别").arg(row.fieldName, row.dataType));
        // ID numbers the records and keys the detail rows: a second counter would renumber them.
        if (probe.type == FieldType::Counter)
            throw StoreError(QStringLiteral("栏目“%1”不能设为自动编号：自动编号的只有 ID 栏目，"
                                            "请改用“数字”")
                                 .arg(row.fieldName));
        if (used.contains(row.fieldName.toUpper()))
            throw StoreError(
                QStringLiteral("栏目“%1”重名（栏目名称不区分大小写）").arg(row.fieldName));
        used.insert(row.fieldName.toUpper());
        columns << row;
    }
    return columns;
}

QString CreateStatement(const QString &table, const QList<StructureRow> &rows, TableRole role)
{
    QString sql = QStringLiteral("create table ") + quoteName(table) + QStringLiteral(" ( ID ") +
                  CounterDefinition + u',';
    if (role == TableRole::Detail)
        sql += quoteName(QStringLiteral("MID")) + QStringLiteral(" int, ");
    for (const StructureRow &row : rows) {
        if (IsFixedColumn(row.fieldName) || isUntouchedNewRow(row))
            continue;
        sql += columnDefinition(row) + u',';
    }
    if (role == TableRole::Main) {
        sql += quoteName(QStringLiteral("打印标记")) +
               QStringLiteral(" yesno NOT NULL DEFAULT 0,") +
               quoteName(QStringLiteral("填写日期")) + QStringLiteral(" Time)");
    } else {
        if (sql.endsWith(u' '))
            sql.chop(1);
        sql.chop(1); // the last separator
        sql += u')';
    }
    return sql;
}

void AppendTitles(QList<StructureRow> *rows, const QStringList &titles, const QString &exclusions)
{
    QStringList excluded;
    SplitList(exclusions.toUpper(), &excluded, u';', true);
    int position = int(rows->size());
    for (const QString &title : titles) {
        if (excluded.contains(title.toUpper()))
            continue;
        StructureRow row;
        row.position = ++position;
        row.fieldName = title;
        row.dataType = TypeNames().first();
        row.size = ImportedTextSize;
        rows->append(row);
    }
}

QList<StructureRow> ReadStructure(const QSqlDatabase &db, const QString &table)
{
    const QList<ColumnDef> columns = ReadTableColumns(db, table);
    if (columns.isEmpty())
        throw StoreError(QStringLiteral("数据表“%1”不存在").arg(table));
    QList<StructureRow> rows;
    for (qsizetype i = 0; i < columns.size(); ++i)
        rows << ListedRow(columns[i], int(i + 1));
    return rows;
}

QString DetailTableName(const QString &kindName)
{
    return kindName + QStringLiteral("sub");
}

void CreateMainTableIfMissing(const QSqlDatabase &db, const QString &kindName)
{
    if (IsReservedTableName(kindName))
        throw StoreError(
            QStringLiteral("“%1”是系统自用的数据表，不能作为单据的数据表").arg(kindName));
    if (!TableExists(db, kindName))
        RunSql(
            db,
            QStringLiteral("CREATE TABLE %1 (ID %2)").arg(quoteName(kindName), CounterDefinition));
}

void CreateDetailTableIfMissing(const QSqlDatabase &db, const QString &kindName)
{
    const QString table = DetailTableName(kindName);
    if (!TableExists(db, table))
        RunSql(db, QStringLiteral("CREATE TABLE %1 (ID %2, \"MID\" int)")
                       .arg(quoteName(table), CounterDefinition));
}

bool IsReservedTableName(const QString &name)
{
    const QString n = name.trimmed();
    for (const char16_t *reserved : {u"noteKind", u"常用数据", u"tempNote"})
        if (n.compare(QString::fromUtf16(reserved), Qt::CaseInsensitive) == 0)
            return true;
    return n.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive);
}

DeletedKindTable DropTableOfDeletedKind(const QSqlDatabase &db, const QString &kindName)
{
    if (IsReservedTableName(kindName) || !TableExists(db, kindName))
        return DeletedKindTable::Missing;
    const int users =
        GetSqlValue(
            db, QStringLiteral("SELECT count(*) FROM noteKind WHERE kindName = ? COLLATE NOCASE"),
            {kindName})
            .toInt();
    if (users > 0)
        return DeletedKindTable::KeptShared;
    RunSql(db, QStringLiteral("DROP TABLE ") + quoteName(kindName));
    return DeletedKindTable::Dropped;
}

bool KindHasDetail(const QSqlDatabase &db, const QString &kindName)
{
    return GetSqlValue(
               db,
               QStringLiteral("SELECT hasDetail FROM noteKind WHERE kindName = ? COLLATE NOCASE"),
               {kindName})
               .toInt() != 0;
}

} // namespace FieldStructure

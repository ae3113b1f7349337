#include "RowFinder.h"

#include "DataSet.h"
#include "FieldValue.h"

namespace RowFinder {

namespace {

QString textAt(const DataSet &rows, int row, int column)
{
    return FieldValue::toText(rows.value(row, column), rows.columns()[column].type);
}

bool searchable(const ColumnDef &column)
{
    return column.type != FieldType::Binary;
}

int firstStartingWith(const DataSet &rows, int column, const QString &text, Qt::CaseSensitivity cs)
{
    if (!searchable(rows.columns()[column]))
        return -1;
    for (int row = 0; row < rows.rowCount(); ++row)
        if (!rows.value(row, column).isNull() && textAt(rows, row, column).startsWith(text, cs))
            return row;
    return -1;
}

int firstContaining(const DataSet &rows, const QString &text)
{
    const QList<ColumnDef> &columns = rows.columns();
    for (int row = 0; row < rows.rowCount(); ++row)
        for (int c = 0; c < columns.size(); ++c)
            if (searchable(columns[c]) && textAt(rows, row, c).contains(text, Qt::CaseInsensitive))
                return row;
    return -1;
}

} // namespace

Result find(const DataSet &rows, const QString &text)
{
    const int columnCount = int(rows.columns().size());
    // No current row reads as an empty first value, as an empty list has none.
    const bool firstEmpty = columnCount == 0 || rows.fieldValue(0).isNull();
    const int codeColumn = firstEmpty ? 1 : 0;
    if (codeColumn >= columnCount)
        return {Outcome::MissingColumn, -1};
    if (text.isEmpty())
        return {};
    int row = firstStartingWith(rows, codeColumn, text,
                                firstEmpty ? Qt::CaseInsensitive : Qt::CaseSensitive);
    if (row < 0)
        row = firstContaining(rows, text);
    if (row < 0)
        return {};
    return {Outcome::Found, row};
}

} // namespace RowFinder

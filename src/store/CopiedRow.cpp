#include "CopiedRow.h"

#include "DataSet.h"

bool CopiedRow::copyFrom(const DataSet &table)
{
    if (!table.isOpen() || table.isEmpty())
        return false;
    m_values.clear();
    const QVariantList values = table.rowValues(table.currentRow());
    const QList<ColumnDef> &columns = table.columns();
    for (int c = 0; c < columns.size(); ++c)
        m_values.append({columns[c].name, values[c]});
    return true;
}

void CopiedRow::pasteInto(DataSet &table, const QStringList &leftAlone) const
{
    table.append();
    for (const auto &[name, value] : std::as_const(m_values)) {
        const int c = table.columnIndex(name);
        if (c < 0 || leftAlone.contains(name) || table.columns()[c].type == FieldType::Binary)
            continue;
        table.setFieldValue(c, value);
    }
    table.post();
}

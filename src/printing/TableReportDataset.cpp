#include "TableReportDataset.h"

#include "store/DataSet.h"

TableReportDataset::TableReportDataset(const QString &name, DataSet *table)
    : m_name(name), m_table(table)
{
}

QStringList TableReportDataset::fieldNames() const
{
    QStringList names;
    if (m_table->isOpen())
        for (const ColumnDef &c : m_table->columns())
            names << c.name;
    return names;
}

void TableReportDataset::first()
{
    m_pastEnd = !m_table->isOpen() || m_table->isEmpty();
    if (!m_pastEnd)
        m_table->first();
}

void TableReportDataset::next()
{
    if (m_pastEnd)
        return;
    if (m_table->currentRow() + 1 < m_table->rowCount())
        m_table->setCurrentRow(m_table->currentRow() + 1);
    else
        m_pastEnd = true; // the table stays on its last row
}

bool TableReportDataset::eof() const
{
    return m_pastEnd;
}

QVariant TableReportDataset::value(const QString &field) const
{
    return m_pastEnd ? QVariant() : currentValue(field);
}

bool TableReportDataset::isOpen() const
{
    return m_table->isOpen();
}

bool TableReportDataset::hasField(const QString &fieldName) const
{
    return m_table->isOpen() && m_table->columnIndex(fieldName) >= 0;
}

QVariant TableReportDataset::currentValue(const QString &fieldName) const
{
    if (!m_table->isOpen() || m_table->currentRow() < 0)
        return QVariant();
    return m_table->fieldValue(fieldName);
}

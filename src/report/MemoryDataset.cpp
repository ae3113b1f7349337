#include "MemoryDataset.h"

MemoryDataset::MemoryDataset(const QString &name, const QStringList &fields)
    : m_name(name), m_fields(fields)
{
}

void MemoryDataset::addRow(const QVariantList &values)
{
    QVariantList row = values;
    row.resize(m_fields.size());
    m_rows.append(row);
    m_visible.append(int(m_rows.size() - 1));
}

void MemoryDataset::setMaster(const ReportDataset *master, const QString &masterKey,
                              const QString &detailKey)
{
    m_master = master;
    m_masterKey = masterKey;
    m_detailKeyColumn = int(m_fields.indexOf(detailKey));
}

bool MemoryDataset::rowVisible(const QVariantList &row) const
{
    if (!m_master)
        return true;
    const QVariant key = m_master->value(m_masterKey);
    return key.isValid() && m_detailKeyColumn >= 0 && row[m_detailKeyColumn] == key;
}

void MemoryDataset::first()
{
    m_visible.clear();
    for (int i = 0; i < m_rows.size(); ++i)
        if (rowVisible(m_rows[i]))
            m_visible.append(i);
    m_position = 0;
}

void MemoryDataset::next()
{
    if (!eof())
        ++m_position;
}

QVariant MemoryDataset::value(const QString &field) const
{
    if (eof())
        return {};
    for (qsizetype column = 0; column < m_fields.size(); ++column)
        if (m_fields[column].compare(field, Qt::CaseInsensitive) == 0)
            return m_rows[m_visible[m_position]][column];
    return {};
}

int MemoryDataset::currentRow() const
{
    return eof() ? -1 : m_visible[m_position];
}

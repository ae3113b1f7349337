#pragma once

#include "ReportDataset.h"

#include <QList>
#include <QVariantList>

// Rows held in memory, for tests, benchmarks and headless use. Linked to a master, it
// shows only the rows whose key field equals the master's current value of its key.
class MemoryDataset : public ReportDataset {
public:
    MemoryDataset(const QString &name, const QStringList &fields);

    void addRow(const QVariantList &values);
    void setMaster(const ReportDataset *master, const QString &masterKey, const QString &detailKey);

    QString name() const override { return m_name; }
    QStringList fieldNames() const override { return m_fields; }
    void first() override;
    void next() override;
    bool eof() const override { return m_position >= m_visible.size(); }
    QVariant value(const QString &field) const override;

    // Where the dataset stands: the index in addRow order of the current row, or -1.
    int currentRow() const;

private:
    bool rowVisible(const QVariantList &row) const;

    QString m_name;
    QStringList m_fields;
    QList<QVariantList> m_rows;
    QList<int> m_visible;
    qsizetype m_position = 0;
    const ReportDataset *m_master = nullptr;
    QString m_masterKey;
    int m_detailKeyColumn = -1;
};

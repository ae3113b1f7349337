#pragma once

#include "FieldSource.h"

#include "report/ReportDataset.h"

class DataSet;

// A report dataset over a table of the record window: the main table's rows in view in
// their order (frxDBDsNote), or the detail rows of the main table's current row
// (frxDBDsSub, whose table follows its master by itself). The table is walked in place,
// so it stays on the row being output and FieldIsNull asks about that row. A table that
// is not open has no fields and no rows.
class TableReportDataset : public ReportDataset, public FieldSource {
public:
    TableReportDataset(const QString &name, DataSet *table);

    QString name() const override { return m_name; }
    QStringList fieldNames() const override;
    void first() override;
    void next() override;
    bool eof() const override;
    QVariant value(const QString &field) const override;

    bool isOpen() const override;
    bool hasField(const QString &fieldName) const override;
    QVariant currentValue(const QString &fieldName) const override;

private:
    QString m_name;
    DataSet *m_table;
    bool m_pastEnd = true;
};

#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

class DataSet;

// A row remembered by its columns' names, to be pasted into its table as a new row.
class CopiedRow {
public:
    // Remembers the current row; false when the table is closed or empty.
    bool copyFrom(const DataSet &table);
    bool isEmpty() const { return m_values.isEmpty(); }
    // Appends a row with the values remembered and posts it. The columns named in leftAlone
    // (case as written) and pictures keep what a new row gets. Throws what the table throws.
    void pasteInto(DataSet &table, const QStringList &leftAlone) const;

private:
    QList<QPair<QString, QVariant>> m_values;
};

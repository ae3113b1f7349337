#pragma once

#include "ColumnDef.h"

#include <QStringList>
#include <QVariantList>
#include <optional>

class DataSet;

// The footer row of a grid: the number of rows under column 0, the sum under every numeric
// column other than "ID" (money as "￥0.00"), empty elsewhere. Money sums are exact.
QStringList FooterTexts(const DataSet &dataSet);
// The row count and, per column, the sum: whole numbers and money's units as qint64, others
// as double; null where nothing is summed or a money sum left its range.
struct FooterTotals {
    qint64 rows = 0;
    QVariantList sums;
};
QStringList FooterTexts(const QList<ColumnDef> &columns, const FooterTotals &totals);

// The totals of the posted rows in view worked out by the database, without reading them:
// a row being typed is left out, an edited one counted as posted. Nothing when the database
// cannot tell those rows apart (DataSet::postedViewCondition), cannot run the store's
// functions, or a sum leaves the range of its type.
std::optional<FooterTotals> DatabaseFooterTotals(const DataSet &dataSet);

// The footer of one data set's grid, kept cheap on a large table: the database totals the
// posted rows in view once, a single post or deletion is then followed by its difference,
// and the row being typed is counted in memory. Few rows in view, or rows the database
// cannot tell apart, are read instead.
class ViewFooter {
public:
    QStringList texts(const DataSet &dataSet);

private:
    bool followChange(const DataSet &dataSet);

    std::optional<quint64> m_postedChanges;
    std::optional<FooterTotals> m_posted;
};

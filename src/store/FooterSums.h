#pragma once

#include <QStringList>
#include <optional>

class DataSet;

// The footer row of a grid: the number of rows under column 0, the sum under every numeric
// column other than "ID" (money as "￥0.00"), empty elsewhere. Money sums are exact.
QStringList FooterTexts(const DataSet &dataSet);
// The same texts worked out by the database over the rows in view, without reading them.
// Nothing when the database cannot tell those rows apart (DataSet::viewCondition), cannot
// run the store's functions, or a sum leaves the range of its type.
std::optional<QStringList> DatabaseFooterTexts(const DataSet &dataSet);

#pragma once

#include <QStringList>

class DataSet;

// The footer row of a grid: the number of rows under column 0, the sum under every numeric
// column other than "ID" (money as "￥0.00"), empty elsewhere. Money sums are exact.
QStringList FooterTexts(const DataSet &dataSet);

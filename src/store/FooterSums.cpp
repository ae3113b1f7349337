#include "FooterSums.h"

#include "Currency.h"
#include "DataSet.h"
#include "DataSetModel.h"

#include <QtNumeric>

QStringList FooterTexts(const DataSet &dataSet)
{
    const QList<ColumnDef> &columns = dataSet.columns();
    QStringList texts(columns.size());
    if (!columns.isEmpty())
        texts[0] = QString::number(dataSet.rowCount());
    const int rows = dataSet.rowCount();
    for (int c = 0; c < columns.size(); ++c) {
        const ColumnDef &column = columns[c];
        if (!column.isNumeric() || column.name == u"ID")
            continue;
        switch (column.type) {
        case FieldType::Currency: {
            qint64 units = 0;
            bool overflow = false;
            for (int r = 0; r < rows && !overflow; ++r)
                overflow =
                    qAddOverflow(units, dataSet.value(r, c).value<Currency>().units(), &units);
            texts[c] =
                overflow
                    ? QStringLiteral("合计超出范围")
                    : DataSetModel::formatMoney(QVariant::fromValue(Currency::fromUnits(units)));
            break;
        }
        case FieldType::Float: {
            double sum = 0;
            for (int r = 0; r < rows; ++r)
                sum += dataSet.value(r, c).toDouble();
            texts[c] = QString::number(sum, 'g', 15);
            break;
        }
        default: {
            qint64 sum = 0;
            for (int r = 0; r < rows; ++r)
                sum += dataSet.value(r, c).toLongLong();
            texts[c] = QString::number(sum);
            break;
        }
        }
    }
    return texts;
}

#include "FooterSums.h"

#include "Currency.h"
#include "DataSet.h"
#include "DataSetModel.h"

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
            Currency sum;
            for (int r = 0; r < rows; ++r)
                sum += dataSet.value(r, c).value<Currency>();
            texts[c] = DataSetModel::formatMoney(QVariant::fromValue(sum));
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

#include "FooterSums.h"

#include "Currency.h"
#include "DataSet.h"
#include "DataSetModel.h"
#include "SqlHelpers.h"
#include "StoreFunctions.h"

#include <QSqlQuery>

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

std::optional<QStringList> DatabaseFooterTexts(const DataSet &dataSet)
{
    const auto condition = dataSet.viewCondition();
    if (!condition || !StoreFunctions::install(dataSet.database()))
        return std::nullopt;
    const QList<ColumnDef> &columns = dataSet.columns();
    QStringList sums{QStringLiteral("COUNT(*)")};
    QList<int> summed;
    for (int c = 0; c < columns.size(); ++c) {
        const ColumnDef &column = columns[c];
        if (!column.isNumeric() || column.name == u"ID")
            continue;
        const QString name = quoteName(column.name);
        sums << (column.type == FieldType::Currency
                     ? QStringLiteral("SUM(quillet_money(%1))").arg(name)
                     : QStringLiteral("SUM(%1)").arg(name));
        summed << c;
    }
    QSqlQuery query(dataSet.database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                      .arg(sums.join(QStringLiteral(", ")), quoteName(dataSet.tableName()),
                           condition->where));
    for (const QVariant &value : condition->values)
        query.addBindValue(value);
    // A sum the engine cannot hold (it refuses to overflow) is left to the reading in memory,
    // which names it.
    if (!query.exec() || !query.next())
        return std::nullopt;
    QStringList texts(columns.size());
    if (!columns.isEmpty())
        texts[0] = QString::number(query.value(0).toLongLong());
    for (int i = 0; i < summed.size(); ++i) {
        const int c = summed[i];
        const QVariant sum = query.value(i + 1);
        switch (columns[c].type) {
        case FieldType::Currency:
            texts[c] = DataSetModel::formatMoney(
                QVariant::fromValue(Currency::fromUnits(sum.toLongLong())));
            break;
        case FieldType::Float:
            texts[c] = QString::number(sum.toDouble(), 'g', 15);
            break;
        default:
            texts[c] = QString::number(sum.toLongLong());
            break;
        }
    }
    return texts;
}

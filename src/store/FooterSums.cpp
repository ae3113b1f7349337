#include "FooterSums.h"

#include "Currency.h"
#include "DataSet.h"
#include "DataSetModel.h"
#include "SqlHelpers.h"
#include "StoreError.h"
#include "StoreFunctions.h"

#include <QSqlQuery>

#include <QtNumeric>

namespace {

bool isSummed(const ColumnDef &column)
{
    return column.isNumeric() && column.name != u"ID";
}

FooterTotals noTotals(const QList<ColumnDef> &columns)
{
    FooterTotals totals;
    for (const ColumnDef &column : columns)
        totals.sums << (!isSummed(column)                 ? QVariant()
                        : column.type == FieldType::Float ? QVariant(0.0)
                                                          : QVariant(qint64(0)));
    return totals;
}

// Adds a row's values to the totals, or takes them away (sign -1).
void addRow(FooterTotals &totals, const QList<ColumnDef> &columns, const QVariantList &values,
            int sign)
{
    totals.rows += sign;
    for (qsizetype c = 0; c < columns.size(); ++c) {
        QVariant &sum = totals.sums[c];
        if (!isSummed(columns[c]) || sum.isNull())
            continue;
        const QVariant &value = values.value(c);
        switch (columns[c].type) {
        case FieldType::Currency: {
            qint64 units = sum.toLongLong();
            const qint64 added = value.value<Currency>().units();
            const bool overflow =
                sign > 0 ? qAddOverflow(units, added, &units) : qSubOverflow(units, added, &units);
            sum = overflow ? QVariant() : QVariant(units);
            break;
        }
        case FieldType::Float:
            sum = sum.toDouble() + sign * value.toDouble();
            break;
        default:
            sum = sum.toLongLong() + sign * value.toLongLong();
            break;
        }
    }
}

} // namespace

QStringList FooterTexts(const QList<ColumnDef> &columns, const FooterTotals &totals)
{
    QStringList texts(columns.size());
    if (!columns.isEmpty())
        texts[0] = QString::number(totals.rows);
    for (qsizetype c = 0; c < columns.size(); ++c) {
        if (!isSummed(columns[c]))
            continue;
        const QVariant &sum = totals.sums[c];
        switch (columns[c].type) {
        case FieldType::Currency:
            texts[c] = sum.isNull() ? QStringLiteral("合计超出范围")
                                    : DataSetModel::formatMoney(QVariant::fromValue(
                                          Currency::fromUnits(sum.toLongLong())));
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

std::optional<FooterTotals> DatabaseFooterTotals(const DataSet &dataSet)
{
    const auto condition = dataSet.postedViewCondition();
    if (!condition || !StoreFunctions::install(dataSet.database()))
        return std::nullopt;
    const QList<ColumnDef> &columns = dataSet.columns();
    QStringList sums{QStringLiteral("COUNT(*)")};
    QList<qsizetype> summed;
    for (qsizetype c = 0; c < columns.size(); ++c) {
        if (!isSummed(columns[c]))
            continue;
        const QString name = quoteName(columns[c].name);
        sums << (columns[c].type == FieldType::Currency
                     ? QStringLiteral("SUM(quillet_money(%1))").arg(name)
                     : QStringLiteral("SUM(%1)").arg(name));
        summed << c;
    }
    // A sum the engine cannot hold (it refuses to overflow) is left to the reading in memory,
    // which names it.
    std::optional<QSqlQuery> query;
    try {
        query.emplace(QuerySql(dataSet.database(),
                               QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                   .arg(sums.join(QStringLiteral(", ")),
                                        quoteName(dataSet.tableName()), condition->where),
                               condition->values));
    } catch (const StoreError &) {
        return std::nullopt;
    }
    if (!query->next())
        return std::nullopt;
    FooterTotals totals = noTotals(columns);
    totals.rows = query->value(0).toLongLong();
    for (qsizetype i = 0; i < summed.size(); ++i) {
        const QVariant sum = query->value(int(i + 1));
        totals.sums[summed[i]] = columns[summed[i]].type == FieldType::Float
                                     ? QVariant(sum.toDouble())
                                     : QVariant(sum.toLongLong());
    }
    return totals;
}

QStringList FooterTexts(const DataSet &dataSet)
{
    const QList<ColumnDef> &columns = dataSet.columns();
    FooterTotals totals = noTotals(columns);
    for (int r = 0; r < dataSet.rowCount(); ++r)
        addRow(totals, columns, dataSet.rowValues(r), 1);
    return FooterTexts(columns, totals);
}

// Brings the posted totals up to date with the one post or deletion made since they were
// worked out, when there was only one: counts, whole numbers and money exactly. A change of a
// floating point value, or a money total leaving its range, is summed again instead, so that
// those totals never drift from what the database sums; an unchanged floating point value
// leaves its sum as it was, to the last bit.
bool ViewFooter::followChange(const DataSet &dataSet)
{
    const DataSet::PostedChange &change = dataSet.lastPostedChange();
    if (!m_posted || !m_postedChanges || change.at != *m_postedChanges + 1 ||
        change.at != dataSet.postedChanges())
        return false;
    const QList<ColumnDef> &columns = dataSet.columns();
    FooterTotals totals = *m_posted;
    if (!change.before.isEmpty())
        addRow(totals, columns, change.before, -1);
    if (!change.after.isEmpty())
        addRow(totals, columns, change.after, 1);
    for (qsizetype c = 0; c < columns.size(); ++c) {
        if (!isSummed(columns[c]))
            continue;
        if (columns[c].type == FieldType::Float) {
            if (change.before.value(c).toDouble() != change.after.value(c).toDouble())
                return false;
            totals.sums[c] = m_posted->sums[c];
        } else if (columns[c].type == FieldType::Currency && totals.sums[c].isNull()) {
            return false;
        }
    }
    m_posted = totals;
    return true;
}

QStringList ViewFooter::texts(const DataSet &dataSet)
{
    if (!dataSet.isOpen())
        return {};
    // A few pages of rows are read sooner than the database passes over the whole table.
    constexpr int ReadOutright = 2000;
    if (dataSet.rowCount() <= ReadOutright)
        return FooterTexts(dataSet);
    if (dataSet.postedChanges() != m_postedChanges) {
        if (!followChange(dataSet))
            m_posted = DatabaseFooterTotals(dataSet);
        m_postedChanges = dataSet.postedChanges();
    }
    if (!m_posted)
        return FooterTexts(dataSet);
    FooterTotals totals = *m_posted;
    const QList<ColumnDef> &columns = dataSet.columns();
    const int current = dataSet.currentRow();
    if (dataSet.state() == DataSet::State::Edit)
        addRow(totals, columns, dataSet.postedValues(current), -1);
    if (dataSet.state() == DataSet::State::Edit || dataSet.state() == DataSet::State::Insert)
        addRow(totals, columns, dataSet.rowValues(current), 1);
    return FooterTexts(columns, totals);
}

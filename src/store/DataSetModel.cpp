#include "DataSetModel.h"

#include "Currency.h"
#include "DataSet.h"
#include "FieldValue.h"
#include "StoreError.h"

DataSetModel::DataSetModel(DataSet *dataSet, QObject *parent)
    : QAbstractTableModel(parent), m_dataSet(dataSet)
{
    // The data set has already changed when it signals; the views only re-read.
    connect(dataSet, &DataSet::reset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(dataSet, &DataSet::rowAppended, this, [this](int row) {
        beginInsertRows({}, row, row);
        endInsertRows();
    });
    connect(dataSet, &DataSet::rowRemoved, this, [this](int row) {
        beginRemoveRows({}, row, row);
        endRemoveRows();
    });
    connect(dataSet, &DataSet::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_dataSet ? 0 : m_dataSet->rowCount();
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_dataSet ? 0 : int(m_dataSet->columns().size());
}

QString DataSetModel::formatMoney(const QVariant &currency)
{
    if (currency.isNull())
        return QString();
    const Currency c = currency.value<Currency>();
    const QString digits = c.toFixed(2);
    return digits.startsWith(u'-') ? QStringLiteral("-￥") + digits.mid(1)
                                   : QStringLiteral("￥") + digits;
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_dataSet)
        return {};
    const ColumnDef &column = m_dataSet->columns()[index.column()];
    const QVariant value = m_dataSet->value(index.row(), index.column());
    switch (role) {
    case Qt::DisplayRole:
        if (column.type == FieldType::Bool)
            return {};
        if (column.type == FieldType::Currency)
            return formatMoney(value);
        if (column.type == FieldType::Binary)
            return value.toByteArray().isEmpty() ? QString() : QStringLiteral("(图片)");
        return FieldValue::toText(value, column.type);
    case Qt::EditRole:
        return FieldValue::toText(value, column.type);
    case Qt::CheckStateRole:
        if (column.type == FieldType::Bool)
            return value.toBool() ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        if (column.isNumeric())
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::UserRole:
        return value;
    default:
        return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !m_dataSet)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal && section < m_dataSet->columns().size())
        return m_dataSet->columns()[section].name;
    return {};
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !m_dataSet)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    const FieldType type = m_dataSet->columns()[index.column()].type;
    if (type == FieldType::Bool)
        f |= Qt::ItemIsUserCheckable;
    else if (type != FieldType::Counter && type != FieldType::Binary)
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || !m_dataSet)
        return false;
    QVariant v = value;
    if (role == Qt::CheckStateRole)
        v = QVariant(value.toInt() == Qt::Checked);
    else if (role != Qt::EditRole)
        return false;
    try {
        m_dataSet->setCurrentRow(index.row());
        m_dataSet->edit();
        m_dataSet->setFieldValue(index.column(), v);
        return true;
    } catch (const StoreError &e) {
        Q_EMIT errorOccurred(e.message());
        return false;
    }
}

#include "StructureListModel.h"

StructureListModel::StructureListModel(QObject *parent) : QAbstractTableModel(parent) {}

void StructureListModel::setRows(const QList<StructureRow> &rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

void StructureListModel::insertNewRow(int row)
{
    row = qBound(0, row, int(m_rows.size()));
    beginInsertRows(QModelIndex(), row, row);
    StructureRow added;
    added.dataType = FieldStructure::TypeNames().first();
    m_rows.insert(row, added);
    endInsertRows();
}

void StructureListModel::removeListRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

int StructureListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int StructureListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant StructureListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const StructureRow &r = m_rows[index.row()];
    if (index.column() == Required)
        return role == Qt::CheckStateRole ? QVariant(r.required ? Qt::Checked : Qt::Unchecked)
                                          : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case Position:
        return r.position > 0 ? QVariant(r.position) : QVariant(QString());
    case FieldName:
        return r.fieldName;
    case DataType:
        return r.dataType;
    case Size:
        return r.size > 0 ? QVariant(r.size) : QVariant(QString());
    case Default:
        return r.defaultText;
    default:
        return {};
    }
}

bool StructureListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return false;
    StructureRow &r = m_rows[index.row()];
    if (index.column() == Required) {
        if (role != Qt::CheckStateRole)
            return false;
        r.required = value.toInt() == Qt::Checked;
    } else {
        if (role != Qt::EditRole)
            return false;
        const QString text = value.toString();
        switch (index.column()) {
        case FieldName:
            r.fieldName = text.trimmed().left(FieldNameLength);
            break;
        case DataType:
            r.dataType = text.trimmed().left(DataTypeLength);
            break;
        case Size: {
            bool ok = true;
            const int size = text.trimmed().isEmpty() ? 0 : text.trimmed().toInt(&ok);
            if (!ok || size < 0)
                return false;
            r.size = size;
            break;
        }
        case Default:
            r.defaultText = text.left(DefaultLength);
            break;
        default:
            return false;
        }
    }
    Q_EMIT dataChanged(index, index);
    return true;
}

Qt::ItemFlags StructureListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags base = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == Position)
        return base;
    if (index.column() == Required)
        return base | Qt::ItemIsUserCheckable;
    return base | Qt::ItemIsEditable;
}

QVariant StructureListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole && (section == Position || section == Size))
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    static const char16_t *const titles[] = {u"#",    u"栏目",     u"数据类型",
                                             u"大小", u"是否必填", u"默认值"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf16(titles[section]) : QVariant();
}

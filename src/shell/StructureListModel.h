#pragma once

#include "store/FieldStructure.h"

#include <QAbstractTableModel>

// A structure list as the structure dialog's grids edit it: "#", "栏目", "数据类型", "大小",
// "是否必填", "默认值".
class StructureListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Position, FieldName, DataType, Size, Required, Default, ColumnCount };
    static constexpr int FieldNameLength = 30;
    static constexpr int DataTypeLength = 20;
    static constexpr int DefaultLength = 50;

    explicit StructureListModel(QObject *parent = nullptr);

    const QList<StructureRow> &rows() const { return m_rows; }
    void setRows(const QList<StructureRow> &rows);
    // A row the user adds starts as 文本, its other fields empty.
    void insertNewRow(int row);
    void removeListRow(int row);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<StructureRow> m_rows;
};

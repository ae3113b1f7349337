#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class DataSet;

// Shows a data set's rows in view to a table view and carries typed cell values back.
// Editing a cell edits the data set's current row; leaving the row posts it. A value the
// data set refuses is reported through errorOccurred and the cell keeps its old value.
class DataSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataSetModel(DataSet *dataSet, QObject *parent = nullptr);

    DataSet *dataSet() const { return m_dataSet; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    // Money as the grids show it: "￥1234.50".
    static QString formatMoney(const QVariant &currency);

Q_SIGNALS:
    void errorOccurred(const QString &message);

private:
    QPointer<DataSet> m_dataSet;
};

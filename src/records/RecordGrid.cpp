#include "RecordGrid.h"

#include "PictureDelegate.h"

#include "store/DataSet.h"
#include "store/DataSetModel.h"
#include "store/IniFile.h"
#include "store/StoreError.h"

#include <QHeaderView>
#include <QKeyEvent>

RecordGrid::RecordGrid(DataSet *dataSet, QWidget *parent)
    : QTableView(parent), m_dataSet(dataSet), m_model(new DataSetModel(dataSet, this)),
      m_pictures(new PictureDelegate(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    horizontalHeader()->setMinimumSectionSize(4); // a stored narrow width is kept as stored
    horizontalHeader()->setDefaultSectionSize(DefaultColumnWidth);
    verticalHeader()->setDefaultSectionSize(20);
    connect(m_model, &DataSetModel::errorOccurred, this, &RecordGrid::errorOccurred);
    connect(m_model, &QAbstractItemModel::modelReset, this, &RecordGrid::usePictureDelegateForPictureColumns);
    // The grid follows the data set's current row when code moves it.
    connect(dataSet, &DataSet::currentRowChanged, this, [this](int row) {
        if (row < 0 || row == currentIndex().row())
            return;
        m_followingDataSet = true;
        setCurrentIndex(m_model->index(row, qMax(0, currentIndex().column())));
        m_followingDataSet = false;
    });
}

void RecordGrid::readColumnWidths(const IniFile &ini, const QString &section)
{
    for (int i = 0; i < m_model->columnCount(); ++i)
        setColumnWidth(i, ini.readInteger(section, QString::number(i), DefaultColumnWidth));
}

void RecordGrid::writeColumnWidths(IniFile &ini, const QString &section) const
{
    for (int i = 0; i < m_model->columnCount(); ++i)
        ini.writeInteger(section, QString::number(i), horizontalHeader()->sectionSize(i));
}

void RecordGrid::hideColumns(const QStringList &names)
{
    for (int i = 0; i < m_model->columnCount(); ++i)
        setColumnHidden(i, names.contains(m_model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString()));
}

void RecordGrid::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState) {
        moveToNextCell();
        return;
    }
    // Down on the last row starts a new row, as typing down a form does.
    if (event->key() == Qt::Key_Down && currentIndex().row() == m_model->rowCount() - 1 &&
        m_dataSet->state() != DataSet::State::Insert) {
        try {
            m_dataSet->append();
        } catch (const StoreError &e) {
            Q_EMIT errorOccurred(e.message());
        }
        return;
    }
    QTableView::keyPressEvent(event);
}

void RecordGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_followingDataSet || !current.isValid() || current.row() == previous.row())
        return;
    try {
        m_dataSet->setCurrentRow(current.row());
    } catch (const StoreError &e) {
        // The row left behind could not be saved: go back to it, nothing typed is lost.
        Q_EMIT errorOccurred(e.message());
        m_followingDataSet = true;
        setCurrentIndex(m_model->index(m_dataSet->currentRow(), current.column()));
        m_followingDataSet = false;
    }
}

void RecordGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Enter in a cell editor keeps the value and moves on, as Tab does.
    if (hint == QAbstractItemDelegate::SubmitModelCache) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        moveToNextCell();
        return;
    }
    QTableView::closeEditor(editor, hint);
}

void RecordGrid::moveToNextCell()
{
    const QModelIndex at = currentIndex();
    if (!at.isValid())
        return;
    for (int row = at.row(), column = at.column() + 1; row < m_model->rowCount(); ++row, column = 0) {
        for (; column < m_model->columnCount(); ++column) {
            if (!isColumnHidden(column)) {
                setCurrentIndex(m_model->index(row, column));
                return;
            }
        }
    }
}

void RecordGrid::usePictureDelegateForPictureColumns()
{
    const QList<ColumnDef> &columns = m_dataSet->columns();
    for (int c = 0; c < columns.size(); ++c)
        setItemDelegateForColumn(c, columns[c].type == FieldType::Binary ? m_pictures : nullptr);
}

#include "RecordGrid.h"

#include "PictureDelegate.h"

#include "store/DataSet.h"
#include "store/DataSetModel.h"
#include "store/IniFile.h"
#include "store/QuilletError.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace {
const QAbstractItemView::EditTriggers TypingTriggers = QAbstractItemView::DoubleClicked |
                                                       QAbstractItemView::EditKeyPressed |
                                                       QAbstractItemView::AnyKeyPressed;
} // namespace

RecordGrid::RecordGrid(DataSet *dataSet, QWidget *parent)
    : QTableView(parent), m_dataSet(dataSet), m_model(new DataSetModel(dataSet, this)),
      m_pictures(new PictureDelegate(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(TypingTriggers);
    QHeaderView *header = horizontalHeader();
    header->setMinimumSectionSize(4); // a stored narrow width is kept as stored
    header->setDefaultSectionSize(DefaultColumnWidth);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    verticalHeader()->setDefaultSectionSize(20);
    connect(header, &QHeaderView::sectionClicked, this, &RecordGrid::sortByColumn);
    // Widths the user drags are remembered; the header's own set-up during a reset is not.
    connect(header, &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (m_resetting || width <= 0 || column >= m_model->columnCount())
            return;
        if (m_widths.size() <= column)
            m_widths.resize(column + 1, DefaultColumnWidth);
        m_widths[column] = width;
    });
    connect(m_model, &DataSetModel::errorOccurred, this, &RecordGrid::errorOccurred);
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_resetting = true; });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        usePictureDelegateForPictureColumns();
        applyLayout();
        m_resetting = false;
    });
    // The grid follows the data set's current row when code moves it.
    connect(dataSet, &DataSet::currentRowChanged, this, &RecordGrid::followDataSet);
}

void RecordGrid::applyLayout()
{
    const int count = m_model->columnCount();
    if (count == 0)
        return;
    QHeaderView *header = horizontalHeader();
    for (int i = 0; i < count; ++i) {
        const bool hidden = m_hiddenNames.contains(m_dataSet->columns()[i].name);
        if (!hidden)
            setColumnHidden(i, false);
        header->resizeSection(i, m_widths.value(i, DefaultColumnWidth));
        setColumnHidden(i, hidden);
    }
    const int sorted =
        m_dataSet->sortColumn().isEmpty() ? -1 : m_dataSet->columnIndex(m_dataSet->sortColumn());
    header->setSortIndicatorShown(sorted >= 0);
    if (sorted >= 0)
        header->setSortIndicator(sorted, m_dataSet->sortOrder());
}

void RecordGrid::readColumnWidths(const IniFile &ini, const QString &section)
{
    m_widths.clear();
    for (int i = 0; i < m_model->columnCount(); ++i)
        m_widths << ini.readInteger(section, QString::number(i), DefaultColumnWidth);
    applyLayout();
}

bool RecordGrid::writeColumnWidths(IniFile &ini, const QString &section) const
{
    QList<std::pair<QString, QString>> values;
    for (int i = 0; i < m_model->columnCount(); ++i) {
        const int width =
            isColumnHidden(i) ? m_widths.value(i, DefaultColumnWidth) : columnWidth(i);
        values.append({QString::number(i), QString::number(width)});
    }
    return values.isEmpty() || ini.writeValues(section, values);
}

void RecordGrid::hideColumns(const QStringList &names)
{
    m_hiddenNames = names;
    applyLayout();
}

int RecordGrid::firstEditableColumn() const
{
    int firstVisible = -1;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (isColumnHidden(c))
            continue;
        if (firstVisible < 0)
            firstVisible = c;
        if (m_model->flags(m_model->index(0, c)) & Qt::ItemIsEditable)
            return c;
    }
    return firstVisible;
}

void RecordGrid::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    setEditTriggers(readOnly ? NoEditTriggers : TypingTriggers);
}

void RecordGrid::commitOpenEditor()
{
    if (state() != EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void RecordGrid::followDataSet(int row)
{
    if (row < 0)
        return;
    int column = currentIndex().column();
    // A new row starts where typing can begin, never on a hidden or numbered cell.
    if (m_dataSet->state() == DataSet::State::Insert || column < 0 || isColumnHidden(column))
        column = firstEditableColumn();
    if (row == currentIndex().row() && column == currentIndex().column())
        return;
    m_followingDataSet = true;
    setCurrentIndex(m_model->index(row, qMax(0, column)));
    m_followingDataSet = false;
}

void RecordGrid::appendRow()
{
    try {
        m_dataSet->append();
    } catch (const QuilletError &e) {
        Q_EMIT errorOccurred(e.message());
    }
}

void RecordGrid::sortByColumn(int column)
{
    const QString name = m_dataSet->columns().value(column).name;
    const Qt::SortOrder order =
        m_dataSet->sortColumn() == name && m_dataSet->sortOrder() == Qt::AscendingOrder
            ? Qt::DescendingOrder
            : Qt::AscendingOrder;
    try {
        m_dataSet->setSort(name, order);
    } catch (const QuilletError &e) {
        Q_EMIT errorOccurred(e.message());
    }
}

bool RecordGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (m_readOnly || (index.isValid() && isColumnHidden(index.column())))
        return false;
    if (!QTableView::edit(index, trigger, event))
        return false;
    // A key let go while typing in a cell does not reach the grid by itself.
    if (QWidget *editor = indexWidget(index))
        editor->installEventFilter(this);
    return true;
}

bool RecordGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease && watched != viewport()) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat())
            Q_EMIT keyReleased(key->key());
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void RecordGrid::keyPressEvent(QKeyEvent *event)
{
    if (state() != EditingState && m_dataSet->isOpen() && !m_readOnly) {
        if (m_enterMovesOn && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
            moveToNextCell();
            return;
        }
        if (event->key() == Qt::Key_Insert) {
            appendRow();
            return;
        }
        // Down on the last row starts a new row, as typing down a form does.
        if (event->key() == Qt::Key_Down && currentIndex().row() == m_model->rowCount() - 1 &&
            m_dataSet->state() != DataSet::State::Insert) {
            appendRow();
            return;
        }
        // Typing into a grid without rows starts the first one with what was typed.
        const QString text = event->text();
        if (m_model->rowCount() == 0 && !text.isEmpty() && text.at(0).isPrint() &&
            !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            appendRow();
    }
    QTableView::keyPressEvent(event);
}

void RecordGrid::keyReleaseEvent(QKeyEvent *event)
{
    QTableView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        Q_EMIT keyReleased(event->key());
}

void RecordGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_followingDataSet || !current.isValid() || current.row() == previous.row())
        return;
    try {
        m_dataSet->setCurrentRow(current.row());
    } catch (const QuilletError &e) {
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
    if (hint == QAbstractItemDelegate::SubmitModelCache && m_enterMovesOn) {
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
    for (int row = at.row(), column = at.column() + 1; row < m_model->rowCount();
         ++row, column = 0) {
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

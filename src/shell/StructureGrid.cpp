#include "StructureGrid.h"

#include "StructureListModel.h"

#include "widgets/Messages.h"

#include <QComboBox>
#include <QHeaderView>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>

namespace {

// Editors that keep each field within its length, the pick list of type names for
// 数据类型, and Enter inside an editor moving on as Tab does.
class StructureDelegate : public QStyledItemDelegate {
public:
    explicit StructureDelegate(StructureGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        switch (index.column()) {
        case StructureListModel::DataType: {
            auto *combo = new QComboBox(parent);
            combo->setEditable(true); // any text is accepted and passed on
            combo->addItems(FieldStructure::TypeNames());
            combo->lineEdit()->setMaxLength(StructureListModel::DataTypeLength);
            return combo;
        }
        case StructureListModel::FieldName:
        case StructureListModel::Default:
        case StructureListModel::Size: {
            auto *edit = new QLineEdit(parent);
            if (index.column() == StructureListModel::FieldName)
                edit->setMaxLength(StructureListModel::FieldNameLength);
            else if (index.column() == StructureListModel::Default)
                edit->setMaxLength(StructureListModel::DefaultLength);
            else
                edit->setValidator(new QIntValidator(0, 9999, edit));
            return edit;
        }
        default:
            return QStyledItemDelegate::createEditor(parent, option, index);
        }
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            combo->setCurrentText(index.data(Qt::EditRole).toString());
            // As in the other cells, a key that starts the editing replaces the text.
            combo->lineEdit()->selectAll();
        } else
            QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            model->setData(index, combo->currentText(), Qt::EditRole);
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                auto *editor = qobject_cast<QWidget *>(object);
                Q_EMIT const_cast<StructureDelegate *>(this)->commitData(editor);
                Q_EMIT const_cast<StructureDelegate *>(this)->closeEditor(editor, NoHint);
                QMetaObject::invokeMethod(m_grid, &StructureGrid::moveToNextCell,
                                          Qt::QueuedConnection);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    StructureGrid *m_grid;
};

} // namespace

StructureGrid::StructureGrid(StructureListModel *list, QWidget *parent)
    : QTableView(parent), m_list(list)
{
    setModel(list);
    setItemDelegate(new StructureDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setToolTip(QStringLiteral("删除栏目请按Ctrl+Delete"));
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setStretchLastSection(true);
    // Narrow number columns, so that every column fits the dialog's width.
    horizontalHeader()->setMinimumSectionSize(20);
    horizontalHeader()->setDefaultSectionSize(60);
    verticalHeader()->hide();

    m_menu = new QMenu(this);
    QAction *remove = m_menu->addAction(QStringLiteral("删除"));
    remove->setObjectName(QStringLiteral("actDeleteField"));
    connect(remove, &QAction::triggered, this, &StructureGrid::deleteCurrentRow);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_menu->popup(viewport()->mapToGlobal(pos)); });
}

void StructureGrid::deleteCurrentRow()
{
    m_list->removeListRow(currentIndex().row());
}

void StructureGrid::appendRowAndEdit()
{
    m_list->insertNewRow(m_list->rowCount());
    setCurrentIndex(m_list->index(m_list->rowCount() - 1, StructureListModel::FieldName));
}

void StructureGrid::moveToNextCell()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        appendRowAndEdit();
        return;
    }
    if (current.column() + 1 < StructureListModel::ColumnCount)
        setCurrentIndex(current.siblingAtColumn(current.column() + 1));
    else if (current.row() + 1 < m_list->rowCount())
        setCurrentIndex(m_list->index(current.row() + 1, StructureListModel::FieldName));
    else
        appendRowAndEdit();
}

void StructureGrid::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
        if (currentIndex().isValid() && Messages::askOkCancel(this, QStringLiteral("确定删除吗？")))
            deleteCurrentRow();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        moveToNextCell();
        return;
    }
    if (key == Qt::Key_Insert) {
        const int row = currentIndex().isValid() ? currentIndex().row() : m_list->rowCount();
        m_list->insertNewRow(row);
        setCurrentIndex(m_list->index(row, StructureListModel::FieldName));
        return;
    }
    if (key == Qt::Key_Down &&
        (m_list->rowCount() == 0 || currentIndex().row() == m_list->rowCount() - 1)) {
        // One empty row at the end at a time, as a data grid keeps it.
        if (m_list->rowCount() == 0 || !m_list->rows().last().fieldName.isEmpty())
            appendRowAndEdit();
        return;
    }
    QTableView::keyPressEvent(event);
}

// The form-kind tree: building it from noteKind, finding nodes, and the node commands.
#include "TMainForm.h"

#include "NodeImages.h"
#include "widgets/Messages.h"

#include "store/Catalogue.h"
#include "store/DataSet.h"
#include "store/Database.h"
#include "store/FieldStructure.h"
#include "store/KindCode.h"
#include "store/ProgramFolder.h"
#include "store/QuilletError.h"
#include "store/SqlHelpers.h"

#include <QTreeWidget>

using namespace KindCode;

namespace {
const QString RootText = QStringLiteral("所有模板");
const QString CommonDataText = QStringLiteral("基础数据");

int depthOf(const QTreeWidgetItem *item)
{
    int depth = 0;
    for (; item && item->parent(); item = item->parent())
        ++depth;
    return depth;
}
} // namespace

void TMainForm::OpenDatabase()
{
    Database::connect(ProgramFolder::databasePath());
    m_tblNote->setDatabase(Database::connection());
    m_tblNote->close();
    m_tblNote->open();
}

void TMainForm::BuildKindTree()
{
    OpenDatabase();
    fillKindTree();
}

void TMainForm::fillKindTree()
{
    if (!m_tblNote->isOpen())
        return;
    auto *root = new QTreeWidgetItem(m_tree, {RootText});
    root->setIcon(0, NodeImages::icon(NodeImages::Root));
    m_tree->setCurrentItem(root);
    auto *common = new QTreeWidgetItem(root, {CommonDataText});
    common->setIcon(0, NodeImages::icon(NodeImages::CommonData));

    QTreeWidgetItem *parent = root;
    int currentLevel = 0;
    const int codeColumn = m_tblNote->columnIndex(QStringLiteral("kindCode"));
    const int nameColumn = m_tblNote->columnIndex(QStringLiteral("kindName"));
    for (int row = 0; row < m_tblNote->rowCount(); ++row) {
        const QString code = m_tblNote->value(row, codeColumn).toString().trimmed();
        const QString name = m_tblNote->value(row, nameColumn).toString();
        const int level = KindCodeLevel(code);
        QTreeWidgetItem *under = nullptr;
        if (level > currentLevel) {
            under = parent;
        } else if (level == currentLevel) {
            under = parent->parent();
        } else if (level == 1) {
            under = root;
        } else {
            // A code of another length walks up past the root: the building stops there.
            under = parent;
            for (int i = 0; i < currentLevel - level + 1 && under; ++i)
                under = under->parent();
        }
        if (!under)
            break;
        // A form kind whose category row is missing goes straight under the root, never
        // under the category that happens to precede it.
        if (level == 2 && under != root &&
            NodeKindCode(under->text(0)) != code.left(ParentCodeLength(code)))
            under = root;
        auto *node = new QTreeWidgetItem(under, {NodeText(code, name)});
        parent = node;
        currentLevel = level;
        if (level == 1)
            node->setIcon(0, NodeImages::icon(NodeImages::Category));
        else if (level == 2)
            node->setIcon(0, NodeImages::icon(NodeImages::FormKind));
    }
    m_tree->expandAll();
}

QTreeWidgetItem *TMainForm::FindKindNode(const QString &code) const
{
    const QString needle = u'(' + code + u')';
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if ((*it)->text(0).contains(needle))
            return *it;
    return nullptr;
}

QTreeWidgetItem *TMainForm::FindParentNode(const QString &code) const
{
    const QString prefix = code.left(ParentCodeLength(code));
    return prefix.isEmpty() ? nullptr : FindKindNode(prefix);
}

int TMainForm::KindIdOf(const QString &code)
{
    if (!m_tblNote->isOpen() || !m_tblNote->locate(QStringLiteral("kindCode"), code))
        return -1;
    return int(m_tblNote->fieldValue(QStringLiteral("ID")).toLongLong());
}

bool TMainForm::KindHasChildren(const QString &code) const
{
    return Catalogue::KindsWithCodePrefix(Database::connection(), code) > 1;
}

void TMainForm::OpenSelectedNode()
{
    QTreeWidgetItem *node = m_tree->currentItem();
    if (!node)
        return;
    if (node->text(0) == CommonDataText) {
        OpenCommonDataTab(action(QStringLiteral("actBaseTable"))->text());
        return;
    }
    if (depthOf(node) < 2)
        return;
    m_currentKindCode = NodeKindCode(node->text(0));
    m_currentKindName = NodeKindName(node->text(0));
    const QString name = m_currentKindName;
    if (!TableExists(Database::connection(), name))
        return;
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (m_tabs->tabText(i) == name) {
            m_tabs->setCurrentIndex(i);
            return;
        }
    }
    if (m_tabs->count() >= MaxKindTabs) {
        Messages::information(this, QStringLiteral("已经打开太多窗口了"));
        return;
    }
    OpenKindTab(name, m_currentKindCode);
}

void TMainForm::deleteSelectedNode()
{
    QTreeWidgetItem *node = m_tree->currentItem();
    if (!node)
        return;
    const QString code = NodeKindCode(node->text(0));
    if (code.isEmpty())
        return;
    const QString name = NodeKindName(node->text(0));
    if (KindIdOf(code) == -1)
        return;
    if (!Messages::askYesNo(this, QStringLiteral("你确信要删除该记录吗？"), windowTitle()))
        return;
    if (KindHasChildren(code)) {
        Messages::information(this, QStringLiteral("非末结点不能删除！"), windowTitle());
        return;
    }
    if (!m_tblNote->locate(QStringLiteral("kindCode"), code))
        return;
    m_tblNote->deleteCurrent();
    delete node;
    // Only the main table goes; the detail table, template files and settings stay.
    switch (FieldStructure::DropTableOfDeletedKind(Database::connection(), name)) {
    case FieldStructure::DeletedKindTable::Dropped:
        OpenDatabase();
        break;
    case FieldStructure::DeletedKindTable::KeptShared:
        Messages::information(
            this,
            QStringLiteral("数据表“%1”还有同名的其他单据在使用，所以保留了它和其中的记录。")
                .arg(name),
            windowTitle());
        break;
    case FieldStructure::DeletedKindTable::Missing:
        break;
    }
}

void TMainForm::openSelectedStructure()
{
    QTreeWidgetItem *node = m_tree->currentItem();
    if (!node || depthOf(node) < 2)
        return;
    m_currentKindCode = NodeKindCode(node->text(0));
    m_currentKindName = NodeKindName(node->text(0));
    editStructure(m_currentKindName);
}

void TMainForm::refreshTree()
{
    // The kinds are read first: a database that cannot be read leaves the tree as it was.
    OpenDatabase();
    m_tree->clear();
    fillKindTree();
}

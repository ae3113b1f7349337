// 另存为...: a form kind copied as a new kind beside it, with its table and records.
#include "TMainForm.h"

#include "widgets/Messages.h"
#include "widgets/TChildForm.h"

#include "store/Database.h"
#include "store/KindCode.h"
#include "store/KindCopy.h"
#include "store/SqlHelpers.h"

#include <QInputDialog>
#include <QTabWidget>
#include <QTreeWidget>

using namespace KindCode;

namespace {

// Cancelling keeps the proposed name: the copy goes on under it.
QString askNewKindName(QWidget *parent)
{
    const QString proposed = QStringLiteral("新单据");
    QInputDialog ask(parent);
    ask.setObjectName(QStringLiteral("InputQuery"));
    ask.setWindowTitle(QStringLiteral("输入"));
    ask.setLabelText(QStringLiteral("请输入新单据名称"));
    ask.setTextValue(proposed);
    return ask.exec() == QDialog::Accepted ? ask.textValue() : proposed;
}

} // namespace

void TMainForm::saveKindAs()
{
    const QTreeWidgetItem *node = m_tree->currentItem();
    if (!node || !node->parent() || !node->parent()->parent())
        return; // only a form kind, never a category, the root or the common data
    m_currentKindCode = NodeKindCode(node->text(0));
    m_currentKindName = NodeKindName(node->text(0));
    const QSqlDatabase db = Database::connection();
    const KindCopy::Plan plan = KindCopy::PlanCopy(db, m_currentKindCode);
    const QString newName = askNewKindName(this).trimmed();
    if (TableExists(db, newName)) {
        Messages::information(this, newName + QStringLiteral("已存在"));
        return;
    }
    // The records being typed in the kind's window belong in the copy too.
    for (int i = 0; i < m_tabs->count(); ++i)
        if (tabKeyword(i) == m_currentKindCode)
            if (auto *window = qobject_cast<TChildForm *>(m_tabs->widget(i)))
                window->PostPendingEdits();
    KindCopy::CopyKind(db, plan, m_currentKindName, newName);
    refreshTree();
    if (QTreeWidgetItem *copy = FindKindNode(plan.newCode))
        m_tree->setCurrentItem(copy);
}

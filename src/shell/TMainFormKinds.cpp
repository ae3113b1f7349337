// Maintaining form kinds from the tree: the kind dialog and the structure dialog.
#include "TMainForm.h"

#include "TfmNoteSrt.h"
#include "widgets/Messages.h"
#include "widgets/TChildForm.h"

#include "shell/TStructureDlg.h"
#include "store/KindCode.h"
#include "store/QuilletError.h"

#include <QTabWidget>
#include <QTreeWidget>

using namespace KindCode;

void TMainForm::addKindNode()
{
    ShowKindDialog(this, QString(), -1);
}

void TMainForm::modifyKindNode()
{
    const QTreeWidgetItem *node = m_tree->currentItem();
    if (!node)
        return;
    const QString code = NodeKindCode(node->text(0));
    if (code.isEmpty())
        return;
    const int id = KindIdOf(code);
    if (id != -1)
        ShowKindDialog(this, code, id);
}

bool TMainForm::CloseKindWindows(const QString &kindName, QStringList *closedCodes)
{
    for (int i = m_tabs->count() - 1; i >= 0; --i) {
        const QString code = tabKeyword(i);
        if (code.isEmpty() || m_tabs->tabText(i).compare(kindName, Qt::CaseInsensitive) != 0)
            continue;
        auto *window = qobject_cast<TChildForm *>(m_tabs->widget(i));
        try {
            // What was typed into the window is kept, not dropped with it.
            if (window)
                window->PostPendingEdits();
        } catch (const QuilletError &e) {
            m_tabs->setCurrentIndex(i);
            Messages::error(this,
                            QStringLiteral("“%1”窗口中的修改不能保存：%2\n请先改正或取消这些修改。")
                                .arg(m_tabs->tabText(i), e.message()));
            return false;
        }
        const int before = m_tabs->count();
        CloseTab(i);
        if (m_tabs->count() == before)
            return false; // the window refused to close and said why
        closedCodes->append(code);
    }
    if (m_tabs->count() == 0)
        showTabArea(false);
    return true;
}

void TMainForm::editStructure(const QString &kindName)
{
    // A record window of the kind is closed before its tables are rebuilt, and opened again
    // on the new structure once the dialog is done.
    QStringList closedCodes;
    ShowStructureDialog(this, kindName, [&] { return CloseKindWindows(kindName, &closedCodes); });
    for (const QString &code : closedCodes)
        OpenKindTab(kindName, code);
}

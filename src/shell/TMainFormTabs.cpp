// The tab area: opening record and common-data windows, closing tabs, enabling the tab
// commands and sending them to the window of the active tab.
#include "TMainForm.h"

#include "KindTabBar.h"
#include "widgets/Messages.h"
#include "widgets/TChildForm.h"

#include "records/TbaseDataForm.h"
#include "records/TmakeNote.h"
#include "store/DataSet.h"
#include "store/QuilletError.h"

#include <QAction>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>

namespace {
const QStringList RecordWindowCommands{"actDesign", "actPreview", "actPrint",
                                       "actClose",  "actImport",  "actExport",
                                       "actCopy",   "actDelete",  "actClearAll"};
const QStringList CommonDataCommands{"actClose", "actImport", "actExport", "actCopy", "actDelete"};
const QStringList AllTabCommands{"actDesign", "actPreview", "actPrint",    "actClose", "actImport",
                                 "actExport", "actDelete",  "actClearAll", "actCopy",  "actPaste"};
} // namespace

void TMainForm::showTabArea(bool visible)
{
    if (visible)
        m_rightSide->setCurrentWidget(m_tabs);
    else
        m_rightSide->setCurrentWidget(m_background);
}

void TMainForm::setTabCommandsEnabled(const QStringList &names, bool enabled)
{
    for (const QString &n : names) {
        if (n == u"actDelete")
            m_deleteEnabledByTabs = enabled;
        else
            m_actions.value(n)->setEnabled(enabled);
    }
    updateDeleteAction();
}

void TMainForm::bindDeleteAction(TChildForm *child)
{
    if (m_deleteTarget)
        disconnect(m_deleteTarget, nullptr, this, nullptr);
    m_deleteTarget = child->mainDataSet();
    if (m_deleteTarget) {
        for (auto signal : {&DataSet::reset, &DataSet::stateChanged})
            connect(m_deleteTarget, signal, this, &TMainForm::updateDeleteAction);
        connect(m_deleteTarget, &DataSet::rowAppended, this, &TMainForm::updateDeleteAction);
        connect(m_deleteTarget, &DataSet::rowRemoved, this, &TMainForm::updateDeleteAction);
        connect(m_deleteTarget, &QObject::destroyed, this, &TMainForm::updateDeleteAction,
                Qt::QueuedConnection);
    }
}

void TMainForm::updateDeleteAction()
{
    // Greyed out while the data it acts on is closed or shows no row.
    const bool hasRows =
        !m_deleteTarget || (m_deleteTarget->isOpen() && !m_deleteTarget->isEmpty());
    m_actions.value(QStringLiteral("actDelete"))->setEnabled(m_deleteEnabledByTabs && hasRows);
}

void TMainForm::addChildTab(TChildForm *child, const QString &caption, const QString &keyword,
                            const std::function<void()> &open, const QStringList &commands)
{
    showTabArea(true);
    const int index = m_tabs->addTab(child, caption);
    m_tabBar->setTabData(index, keyword);
    try {
        open();
    } catch (const QuilletError &e) {
        m_tabs->removeTab(index);
        delete child;
        showTabArea(m_tabs->count() > 0);
        Messages::error(this, e.message());
        return;
    }
    connect(child, &TChildForm::rowCopied, this,
            [this] { m_actions.value(QStringLiteral("actPaste"))->setEnabled(true); });
    bindDeleteAction(child);
    setTabCommandsEnabled(commands, true);
    m_tabs->setCurrentIndex(index);
}

void TMainForm::OpenKindTab(const QString &name, const QString &code)
{
    auto *window = new TmakeNote(code, m_tabs);
    addChildTab(
        window, name, code, [window, name] { window->openKind(name); }, RecordWindowCommands);
}

void TMainForm::OpenCommonDataTab(const QString &caption)
{
    showTabArea(true);
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (m_tabs->tabText(i) == caption) {
            m_tabs->setCurrentIndex(i);
            return;
        }
    }
    auto *window = new TbaseDataForm(m_tabs);
    addChildTab(
        window, caption, QString(), [window] { window->openTable(); }, CommonDataCommands);
}

QString TMainForm::tabKeyword(int index) const
{
    return m_tabBar->tabData(index).toString();
}

TChildForm *TMainForm::activeChild() const
{
    return qobject_cast<TChildForm *>(m_tabs->currentWidget());
}

void TMainForm::dispatch(void (TChildForm::*operation)())
{
    if (TChildForm *child = activeChild())
        (child->*operation)();
}

void TMainForm::CloseTab(int index)
{
    if (index >= 0 && index < m_tabs->count()) {
        const int count = m_tabs->count();
        QWidget *page = m_tabs->widget(index);
        if (auto *child = qobject_cast<TChildForm *>(page)) {
            if (!postOrDiscard(child, index))
                return;
            try {
                child->SaveLayout();
            } catch (const QuilletError &e) {
                // A setting that cannot be stored as it stands: the tab stays open.
                Messages::error(this, e.message());
                return;
            }
        }
        // The tab that followed the closed one becomes active, wrapping to the first.
        const int next = index + 1 < count ? index : 0;
        m_tabs->removeTab(index);
        delete page;
        if (m_tabs->count() > 0)
            m_tabs->setCurrentIndex(next);
    }
    if (m_tabs->count() == 0)
        setTabCommandsEnabled(AllTabCommands, false);
}

bool TMainForm::postOrDiscard(TChildForm *child, int index)
{
    try {
        child->PostPendingEdits();
        return true;
    } catch (const QuilletError &e) {
        m_tabs->setCurrentIndex(index);
        if (!Messages::askYesNo(this, e.message() + QStringLiteral("\n\n放弃修改?"), windowTitle()))
            return false;
        child->DiscardPendingEdits();
        return true;
    }
}

void TMainForm::closeActiveTab()
{
    if (m_tabs->count() > 0)
        CloseTab(m_tabs->currentIndex());
    if (m_tabs->count() == 0)
        showTabArea(false);
}

void TMainForm::closeTabFromMouse(int index)
{
    CloseTab(index);
    if (m_tabs->count() == 0)
        showTabArea(false);
}

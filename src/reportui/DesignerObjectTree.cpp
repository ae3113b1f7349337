#include "DesignerObjectTree.h"

#include "DesignerNames.h"

namespace {

constexpr int PageRole = Qt::UserRole;
constexpr int BandRole = Qt::UserRole + 1;
constexpr int IdRole = Qt::UserRole + 2; // objects only

} // namespace

DesignerObjectTree::DesignerObjectTree(TemplateDocument *document, QWidget *parent)
    : QTreeWidget(parent), m_document(document)
{
    setObjectName(QStringLiteral("treeObjects"));
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    rebuild();
    connect(document, &TemplateDocument::reset, this, &DesignerObjectTree::rebuild);
    connect(document, &TemplateDocument::objectsAdded, this, &DesignerObjectTree::rebuild);
    connect(document, &TemplateDocument::objectsRemoved, this, &DesignerObjectTree::rebuild);
    connect(document, &TemplateDocument::objectsChanged, this, &DesignerObjectTree::objectsChange);
    connect(document, &TemplateDocument::bandsChanged, this, &DesignerObjectTree::rebuild);
    connect(document, &TemplateDocument::pagesChanged, this, &DesignerObjectTree::rebuild);
    connect(document, &TemplateDocument::selectionChanged, this,
            &DesignerObjectTree::followSelection);
    connect(this, &QTreeWidget::itemSelectionChanged, this,
            &DesignerObjectTree::treeSelectionChange);
}

QTreeWidgetItem *DesignerObjectTree::itemOf(TemplateDocument::ObjectId id) const
{
    return m_items.value(id);
}

void DesignerObjectTree::rebuild()
{
    m_following = true;
    clear();
    m_items.clear();
    const ReportTemplate &definition = m_document->definition();
    for (int p = 0; p < definition.pages.size(); ++p) {
        const ReportPage &page = definition.pages[p];
        auto *pageItem = new QTreeWidgetItem(this, {DesignerNames::page(page, p)});
        pageItem->setData(0, PageRole, p);
        pageItem->setFlags(Qt::ItemIsEnabled);
        for (int b = 0; b < page.bands.size(); ++b) {
            auto *bandItem = new QTreeWidgetItem(pageItem, {DesignerNames::band(page.bands[b])});
            bandItem->setData(0, PageRole, p);
            bandItem->setData(0, BandRole, b);
            for (TemplateDocument::ObjectId id : m_document->objectIds(p, b)) {
                auto *item =
                    new QTreeWidgetItem(bandItem, {DesignerNames::object(m_document->object(id))});
                item->setData(0, IdRole, id);
                m_items.insert(id, item);
            }
        }
    }
    expandAll();
    m_following = false;
    followSelection();
}

// Most changes are of geometry or properties: the items stay, with their names renewed, and
// the tree keeps what the user folded and where it was scrolled. A move to another band or
// place in the z-order rebuilds it.
void DesignerObjectTree::objectsChange(const QList<TemplateDocument::ObjectId> &ids)
{
    for (TemplateDocument::ObjectId id : ids) {
        QTreeWidgetItem *item = m_items.value(id);
        const std::optional<TemplateDocument::Place> place = m_document->place(id);
        if (!item || !place || item->parent()->data(0, PageRole).toInt() != place->page ||
            item->parent()->data(0, BandRole).toInt() != place->band ||
            item->parent()->indexOfChild(item) != place->index) {
            rebuild();
            return;
        }
    }
    for (TemplateDocument::ObjectId id : ids)
        m_items.value(id)->setText(0, DesignerNames::object(m_document->object(id)));
}

void DesignerObjectTree::followSelection()
{
    m_following = true;
    clearSelection();
    QTreeWidgetItem *first = nullptr;
    for (TemplateDocument::ObjectId id : m_document->selection()) {
        if (QTreeWidgetItem *item = m_items.value(id)) {
            item->setSelected(true);
            if (!first)
                first = item;
        }
    }
    if (first)
        scrollToItem(first);
    m_following = false;
}

void DesignerObjectTree::treeSelectionChange()
{
    if (m_following)
        return;
    QList<TemplateDocument::ObjectId> ids;
    const QList<QTreeWidgetItem *> picked = selectedItems();
    for (QTreeWidgetItem *item : picked)
        if (item->data(0, IdRole).isValid())
            ids.append(item->data(0, IdRole).value<TemplateDocument::ObjectId>());
    m_following = true;
    m_document->setSelection(ids);
    m_following = false;
    if (ids.isEmpty() && picked.size() == 1 && picked.first()->data(0, BandRole).isValid())
        Q_EMIT bandChosen(picked.first()->data(0, PageRole).toInt(),
                          picked.first()->data(0, BandRole).toInt());
}

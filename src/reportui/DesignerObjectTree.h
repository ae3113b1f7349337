#pragma once

#include "report/TemplateDocument.h"

#include <QTreeWidget>

// The template as a tree of pages, bands and objects. Picking objects here selects them in
// the document, and the tree follows the document's selection; picking a band offers it
// through bandChosen, for its settings.
class DesignerObjectTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit DesignerObjectTree(TemplateDocument *document, QWidget *parent = nullptr);

    // The object's item, or nullptr.
    QTreeWidgetItem *itemOf(TemplateDocument::ObjectId id) const;

Q_SIGNALS:
    void bandChosen(int page, int band);

private:
    void rebuild();
    void objectsChange(const QList<TemplateDocument::ObjectId> &ids);
    void followSelection();
    void treeSelectionChange();

    TemplateDocument *m_document;
    QHash<TemplateDocument::ObjectId, QTreeWidgetItem *> m_items;
    bool m_following = false;
};

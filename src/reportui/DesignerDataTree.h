#pragma once

#include <QTreeWidget>

class Report;

// What a template can print: the report's datasets with their fields, the system
// variables, and the functions by category with their descriptions. Each leaf carries its
// expression; dragging one carries it in brackets as `expressionMimeType` (and as plain
// text, for text boxes), and double-clicking one offers it through expressionChosen.
class DesignerDataTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit DesignerDataTree(const Report &report, QWidget *parent = nullptr);

    // The expression of a leaf, without brackets; empty for a heading.
    static QString expressionOf(const QTreeWidgetItem *item);

Q_SIGNALS:
    void expressionChosen(const QString &expression);

protected:
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override;

private:
    QTreeWidgetItem *heading(QTreeWidgetItem *parent, const QString &text);
    void leaf(QTreeWidgetItem *parent, const QString &text, const QString &expression,
              const QString &description);
    void addDatasets(const Report &report);
    void addVariables();
    void addFunctions(const Report &report);
};

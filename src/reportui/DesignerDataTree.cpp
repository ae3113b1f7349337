#include "DesignerDataTree.h"

#include "DesignerPanels.h"
#include "report/Report.h"
#include "report/ReportDataset.h"

#include <QMimeData>
#include <QRegularExpression>

namespace {

constexpr int ExpressionRole = Qt::UserRole;

struct Entry {
    const char *category;
    const char *name;
    const char *call; // what is inserted; the words in it say what goes where
    const char *description;
};

// The functions the engine itself answers.
const Entry builtins[] = {
    {"日期和时间", "Date", "Date", "当天的日期"},
    {"日期和时间", "Now", "Now", "当前的日期和时间"},
    {"格式", "FormatFloat", "FormatFloat('#,##0.00', 数值)", "按格式写数值，如 #,##0.00"},
    {"格式", "FormatDateTime", "FormatDateTime('yyyy年mm月dd日', 日期)",
     "按格式写日期时间，如 yyyy年mm月dd日"},
    {"文本", "Trim", "Trim(文本)", "去掉文本首尾的空格"},
    {"文本", "Copy", "Copy(文本, 起始位置, 字符数)", "取文本的一段，位置从 1 数起"},
    {"文本", "Length", "Length(文本)", "文本的字符数"},
    {"文本", "UpperCase", "UpperCase(文本)", "字母转为大写"},
    {"文本", "LowerCase", "LowerCase(文本)", "字母转为小写"},
    {"文本", "IntToStr", "IntToStr(数值)", "整数转为文本"},
    {"条件", "IIF", "IIF(条件, 成立时的值, 不成立时的值)", "按条件取两个值之一"},
};

const Entry variables[] = {
    {"", "页码", "Page#", "当前页的页码"},
    {"", "总页数", "TotalPages#", "报表的总页数"},
    {"", "行号", "Line#", "数据行在本数据带中的序号"},
    {"", "日期", "Date", "打印当天的日期"},
    {"", "日期时间", "Now", "打印时的日期和时间"},
};

// "function rmbToBIG4Fill(Value: Currency; len: Integer): string" gives
// "rmbToBIG4Fill(Value, len)": the parameter names stand where the arguments go.
QString callOf(const QString &name, const QString &declaration)
{
    const qsizetype open = declaration.indexOf(u'('), close = declaration.indexOf(u')');
    if (open < 0 || close < open)
        return name + QStringLiteral("()");
    QStringList parameters;
    static const QRegularExpression separator(QStringLiteral("[;,]"));
    for (const QString &part : declaration.mid(open + 1, close - open - 1).split(separator)) {
        const QString parameter = part.section(u':', 0, 0).trimmed();
        if (!parameter.isEmpty())
            parameters.append(parameter);
    }
    return name + u'(' + parameters.join(QStringLiteral(", ")) + u')';
}

} // namespace

DesignerDataTree::DesignerDataTree(const Report &report, QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("treeData"));
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("名称"), QStringLiteral("说明")});
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
    addDatasets(report);
    addVariables();
    addFunctions(report);
    expandToDepth(0);
    resizeColumnToContents(0);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        const QString expression = expressionOf(item);
        if (!expression.isEmpty())
            Q_EMIT expressionChosen(expression);
    });
}

QString DesignerDataTree::expressionOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, ExpressionRole).toString() : QString();
}

QTreeWidgetItem *DesignerDataTree::heading(QTreeWidgetItem *parent, const QString &text)
{
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

void DesignerDataTree::leaf(QTreeWidgetItem *parent, const QString &text, const QString &expression,
                            const QString &description)
{
    auto *item = new QTreeWidgetItem(parent);
    item->setText(0, text);
    item->setText(1, description);
    item->setToolTip(0, QStringLiteral("[%1]").arg(expression));
    item->setToolTip(1, description);
    item->setData(0, ExpressionRole, expression);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
}

void DesignerDataTree::addDatasets(const Report &report)
{
    QTreeWidgetItem *data = heading(nullptr, QStringLiteral("数据"));
    for (const ReportDataset *dataset : report.datasets()) {
        QTreeWidgetItem *node = heading(data, dataset->name());
        for (const QString &field : dataset->fieldNames())
            leaf(node, field, QStringLiteral("<%1.\"%2\">").arg(dataset->name(), field), {});
    }
}

void DesignerDataTree::addVariables()
{
    QTreeWidgetItem *node = heading(nullptr, QStringLiteral("系统变量"));
    for (const Entry &v : variables)
        leaf(node, QString::fromUtf8(v.name), QString::fromUtf8(v.call),
             QString::fromUtf8(v.description));
}

void DesignerDataTree::addFunctions(const Report &report)
{
    QTreeWidgetItem *functions = heading(nullptr, QStringLiteral("函数"));
    QHash<QString, QTreeWidgetItem *> categories;
    const auto category = [&](const QString &name) {
        QTreeWidgetItem *&node = categories[name];
        if (!node)
            node = heading(functions, name);
        return node;
    };
    const QMap<QString, QList<UserFunctions::Function>> declared = report.functions().byCategory();
    for (auto it = declared.cbegin(); it != declared.cend(); ++it)
        for (const UserFunctions::Function &f : it.value())
            leaf(category(it.key()), f.name, callOf(f.name, f.declaration), f.description);
    for (const Entry &f : builtins)
        leaf(category(QString::fromUtf8(f.category)), QString::fromUtf8(f.name),
             QString::fromUtf8(f.call), QString::fromUtf8(f.description));
}

QStringList DesignerDataTree::mimeTypes() const
{
    return {expressionMimeType, QStringLiteral("text/plain")};
}

QMimeData *DesignerDataTree::mimeData(const QList<QTreeWidgetItem *> &items) const
{
    const QString expression = items.isEmpty() ? QString() : expressionOf(items.first());
    if (expression.isEmpty())
        return nullptr;
    auto *data = new QMimeData;
    const QString bracketed = QStringLiteral("[%1]").arg(expression);
    data->setData(expressionMimeType, bracketed.toUtf8());
    data->setText(bracketed);
    return data;
}

#include "DesignerExpressionEditor.h"

#include "DesignerDataTree.h"
#include "report/Expression.h"
#include "report/Report.h"
#include "report/ReportError.h"
#include "report/TextExpression.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

DesignerExpressionEditor::DesignerExpressionEditor(const QString &objectName, const QString &text,
                                                   Mode mode, const Report &report, QWidget *parent)
    : QDialog(parent), m_objectName(objectName), m_mode(mode), m_report(report)
{
    setObjectName(QStringLiteral("DesignerExpressionEditor"));
    setWindowTitle(mode == Mode::Condition ? QStringLiteral("编辑条件")
                                           : QStringLiteral("编辑文本"));
    m_text = new QPlainTextEdit(text, this);
    m_text->setObjectName(QStringLiteral("edtExpression"));
    auto *tree = new DesignerDataTree(report, this);
    connect(tree, &DesignerDataTree::expressionChosen, this, &DesignerExpressionEditor::insert);

    auto *hint = new QLabel(mode == Mode::Condition
                                ? QStringLiteral("一个表达式，如 <frxDBDsNote.\"ID\"> > 1")
                                : QStringLiteral("文字原样打印，[ ] 中的表达式打印它的值。"
                                                 "双击右边的项目插入到光标处。"),
                            this);
    hint->setWordWrap(true);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lblCheckResult"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *left = new QWidget(this);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(hint);
    leftLayout->addWidget(m_text);
    leftLayout->addWidget(m_result);
    auto *splitter = new QSplitter(this);
    splitter->addWidget(left);
    splitter->addWidget(tree);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *check = buttons->addButton(QStringLiteral("检查"), QDialogButtonBox::ActionRole);
    check->setObjectName(QStringLiteral("btnCheck"));
    connect(check, &QPushButton::clicked, this, &DesignerExpressionEditor::btnCheckClick);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    layout->addWidget(buttons);
    resize(760, 420);
}

QString DesignerExpressionEditor::text() const
{
    return m_text->toPlainText();
}

bool DesignerExpressionEditor::btnCheckClick()
{
    const QString source = text();
    try {
        if (m_mode == Mode::Condition)
            Expression::parse(source, m_report.functions());
        else
            TextExpression::compile(m_objectName, source, m_report.functions());
    } catch (const ReportError &e) {
        m_result->setText(QStringLiteral("有错误：%1").arg(e.message()));
        m_result->setStyleSheet(QStringLiteral("color: #b00000"));
        return false;
    }
    m_result->setText(QStringLiteral("检查通过，没有发现错误。"));
    m_result->setStyleSheet(QStringLiteral("color: #006000"));
    return true;
}

void DesignerExpressionEditor::insert(const QString &expression)
{
    m_text->insertPlainText(m_mode == Mode::Condition ? expression
                                                      : QStringLiteral("[%1]").arg(expression));
    m_text->setFocus();
}

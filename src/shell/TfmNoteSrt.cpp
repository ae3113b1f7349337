#include "TfmNoteSrt.h"

#include "TMainForm.h"
#include "widgets/Messages.h"

#include "store/DataSet.h"
#include "store/Database.h"
#include "store/FieldStructure.h"
#include "store/KindCode.h"
#include "store/StoreError.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

using namespace KindCode;

namespace {

const QString Title = QStringLiteral("单据信息维护");
const QString CodeColumn = QStringLiteral("kindCode");

// Codes are letters and digits: a bracket or blank would break the node text they go into.
bool plainCode(const QString &code)
{
    return std::all_of(code.begin(), code.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

} // namespace

TfmNoteSrt::TfmNoteSrt(TMainForm *mainForm, const QString &oldCode, int id)
    : QDialog(mainForm), m_mainForm(mainForm), m_oldCode(oldCode), m_id(id)
{
    setObjectName(QStringLiteral("TfmNoteSrt"));
    setWindowTitle(Title);
    m_qryMain = new DataSet(this);
    m_qryMain->setObjectName(QStringLiteral("qryMain"));
    m_qryMain->setDatabase(Database::connection());
    m_qryMain->setTableName(QStringLiteral("noteKind"));

    m_code = new QLineEdit(this);
    m_code->setObjectName(QStringLiteral("dbedt_Code"));
    m_code->setToolTip(QStringLiteral("类别编码，例如X01"));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("dbedt_Name"));
    m_name->setToolTip(QStringLiteral("类别名称，例如发票"));
    m_name->setMaxLength(50);
    m_hasDetail = new QCheckBox(QStringLiteral("主从单据"), this);
    m_hasDetail->setObjectName(QStringLiteral("cbHasDetail"));
    auto *format = new QLabel(CodeFormatMask(), this);
    format->setObjectName(QStringLiteral("lbl_code_Fmt"));
    auto *save = new QPushButton(QStringLiteral("保存"), this);
    save->setObjectName(QStringLiteral("btnSave"));
    save->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(save, &QPushButton::clicked, this, [this] {
        if (SaveKind())
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("类别编码"), this), 0, 0);
    layout->addWidget(m_code, 1, 0);
    layout->addWidget(new QLabel(QStringLiteral("类别名称"), this), 2, 0);
    layout->addWidget(m_name, 3, 0);
    layout->addWidget(m_hasDetail, 4, 0);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("格式："), this));
    bottom->addWidget(format);
    bottom->addStretch();
    bottom->addWidget(save);
    bottom->addWidget(cancel);
    layout->addLayout(bottom, 5, 0);

    openRow();
}

void TfmNoteSrt::openRow()
{
    m_qryMain->open();
    if (m_id == -1) {
        m_qryMain->append();
        const QTreeWidgetItem *selected = m_mainForm->tree()->currentItem();
        m_code->setText(selected ? NodeKindCode(selected->text(0)) : QString());
        return;
    }
    if (!m_qryMain->locate(QStringLiteral("ID"), m_id))
        throw StoreError(QStringLiteral("找不到编码为“%1”的单据类别").arg(m_oldCode));
    m_code->setText(m_qryMain->fieldValue(CodeColumn).toString());
    m_name->setText(m_qryMain->fieldValue(QStringLiteral("kindName")).toString());
    m_hasDetail->setChecked(m_qryMain->fieldValue(QStringLiteral("hasDetail")).toBool());
    m_qryMain->edit();
}

QString TfmNoteSrt::nameRefusal() const
{
    // A nameless kind would give its tables an empty name.
    if (m_name->text().trimmed().isEmpty())
        return QStringLiteral("名称必须填写！");
    if (FieldStructure::IsReservedTableName(m_name->text()))
        return QStringLiteral("“%1”是系统自用的名称，请换一个名称！").arg(m_name->text().trimmed());
    return QString();
}

bool TfmNoteSrt::refuse(const QString &message)
{
    Messages::information(this, message, Title);
    return false;
}

bool TfmNoteSrt::SaveKind()
{
    const QString code = m_code->text().trimmed();
    const QString parentCode = code.left(ParentCodeLength(code));
    if (m_name->text().contains(u'(') || m_name->text().contains(u')'))
        return refuse(QStringLiteral("类别名称中包含了不规则字符（'('')'）!"));
    if (KindCodeLevel(code) == -1 || !plainCode(code))
        return refuse(QStringLiteral("编码不符合规范!"));
    if (m_qryMain->state() == DataSet::State::Insert)
        return addKind(code, parentCode);
    return modifyKind(code, parentCode);
}

bool TfmNoteSrt::addKind(const QString &code, const QString &parentCode)
{
    QVariant parentId;
    if (!parentCode.isEmpty()) {
        const int id = m_mainForm->KindIdOf(parentCode);
        if (id == -1)
            return refuse(QStringLiteral("上级编码不存在"));
        parentId = id;
    }
    if (m_mainForm->KindIdOf(code) != -1)
        return refuse(QStringLiteral("编码已经存在"));
    if (const QString why = nameRefusal(); !why.isEmpty())
        return refuse(why);
    try {
        storeRow(code, parentId);
        m_id = m_mainForm->KindIdOf(code);
        m_qryMain->close();
        m_qryMain->open();
        m_qryMain->locate(QStringLiteral("ID"), m_id);
        m_oldCode = code;
        placeNode(code);
    } catch (const QuilletError &e) {
        Messages::error(this, e.message(), Title);
        return false;
    }
    return true;
}

bool TfmNoteSrt::modifyKind(const QString &code, const QString &parentCode)
{
    const QString oldCode = m_oldCode.trimmed();
    const bool codeChanged = oldCode != code; // a change of letter case counts
    QVariant parentId = m_qryMain->fieldValue(QStringLiteral("parentId"));
    if (codeChanged) {
        if (m_mainForm->KindHasChildren(oldCode))
            return refuse(QStringLiteral("非末结点不能修改代码！"));
        if (KindCodeLevel(code) == 2) {
            if (parentCode.toUpper() == oldCode.toUpper() || m_mainForm->KindIdOf(parentCode) == -1)
                return refuse(QStringLiteral("上级编码不存在"));
            parentId = m_mainForm->KindIdOf(parentCode);
        } else {
            parentId = QVariant(); // a category has no parent
        }
        if (m_mainForm->KindIdOf(code) != -1)
            return refuse(QStringLiteral("编码已经存在"));
    }
    if (const QString why = nameRefusal(); !why.isEmpty())
        return refuse(why);
    try {
        storeRow(code, parentId);
        if (codeChanged) {
            delete m_mainForm->FindKindNode(oldCode);
            m_oldCode = code;
            placeNode(code);
            return true;
        }
        QTreeWidgetItem *node = m_mainForm->FindKindNode(code);
        if (!node)
            return false;
        node->setText(0, NodeText(code, m_name->text().trimmed()));
    } catch (const QuilletError &e) {
        Messages::error(this, e.message(), Title);
        return false;
    }
    return true;
}

void TfmNoteSrt::storeRow(const QString &code, const QVariant &parentId)
{
    m_qryMain->edit();
    m_qryMain->setFieldValue(CodeColumn, code);
    // Stored trimmed: the name is also the name of the kind's tables and of its node.
    m_qryMain->setFieldValue(QStringLiteral("kindName"), m_name->text().trimmed());
    m_qryMain->setFieldValue(QStringLiteral("parentId"), parentId);
    m_qryMain->setFieldValue(QStringLiteral("layer"), KindCodeLevel(code));
    m_qryMain->setFieldValue(QStringLiteral("hasDetail"), m_hasDetail->isChecked());
    m_qryMain->post();
    m_mainForm->OpenDatabase();
}

void TfmNoteSrt::placeNode(const QString &code)
{
    QTreeWidget *tree = m_mainForm->tree();
    QTreeWidgetItem *parent = m_mainForm->FindParentNode(code);
    if (!parent)
        parent = tree->topLevelItem(0);
    auto *node = new QTreeWidgetItem({NodeText(code, m_name->text().trimmed())});
    if (parent)
        parent->addChild(node);
    else
        tree->addTopLevelItem(node);
    tree->setCurrentItem(node);
}

void ShowKindDialog(TMainForm *mainForm, const QString &oldCode, int id)
{
    try {
        TfmNoteSrt dialog(mainForm, oldCode, id);
        dialog.move(mainForm->geometry().center() - dialog.rect().center());
        dialog.exec();
    } catch (const QuilletError &e) {
        Messages::error(mainForm, e.message(), Title);
    }
}

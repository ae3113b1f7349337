#include "TDFindForm.h"

#include "widgets/Messages.h"
#include "widgets/RecordGrid.h"
#include "widgets/WindowFont.h"

#include "store/DataSet.h"
#include "store/DataSetModel.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "store/RowFinder.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString Section = QStringLiteral("dsFndlg");
const QString Title = QStringLiteral("查找");
} // namespace

TDFindForm::TDFindForm(DataSet *rows, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_rows(rows)
{
    setObjectName(QStringLiteral("DFindForm"));
    setWindowTitle(Title);
    setFont(WindowFont::songTi());
    setFixedSize(470, 426);

    m_lblFind = new QLabel(QStringLiteral("查找:"), this);
    m_lblFind->setObjectName(QStringLiteral("lblFind"));
    m_edtFind = new QLineEdit(this);
    m_edtFind->setObjectName(QStringLiteral("edtFind"));
    m_edtFind->setFixedWidth(239);
    m_dbgFind = new RecordGrid(rows, this);
    m_dbgFind->setObjectName(QStringLiteral("dbgFind"));
    m_dbgFind->setReadOnly(true);
    m_dbgFind->setFixedSize(433, 305);
    m_dbgFind->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_OKBtn = new QPushButton(QStringLiteral("确 定"), this);
    m_OKBtn->setObjectName(QStringLiteral("OKBtn"));
    m_OKBtn->setDefault(true);
    m_CancelBtn = new QPushButton(QStringLiteral("取 消"), this);
    m_CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto *findRow = new QHBoxLayout;
    findRow->addWidget(m_lblFind);
    findRow->addWidget(m_edtFind);
    findRow->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_OKBtn);
    buttons->addWidget(m_CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(m_dbgFind, 0, Qt::AlignHCenter);
    layout->addStretch();
    layout->addLayout(buttons);
    setTabOrder(m_OKBtn, m_CancelBtn);
    setTabOrder(m_CancelBtn, m_dbgFind);
    setTabOrder(m_dbgFind, m_edtFind);

    // The list starts on a cell worth taking: the first one that holds typed values.
    if (rows->currentRow() >= 0)
        m_dbgFind->setCurrentIndex(m_dbgFind->model()->index(
            rows->currentRow(), qMax(0, m_dbgFind->firstEditableColumn())));
    IniFile ini(ProgramFolder::settingsPath());
    if (ini.exists())
        m_dbgFind->readColumnWidths(ini, Section);
    // The user can type the code at once.
    m_edtFind->setFocus();

    connect(m_edtFind, &QLineEdit::textChanged, this, &TDFindForm::edtFindChange);
    connect(m_OKBtn, &QPushButton::clicked, this, &TDFindForm::btnOkClick);
    connect(m_CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TDFindForm::edtFindChange(const QString &text)
{
    const RowFinder::Result found = RowFinder::find(*m_rows, text);
    if (found.outcome == RowFinder::Outcome::MissingColumn)
        Messages::information(this, QStringLiteral("查找代码出错"), Title);
    else if (found.outcome == RowFinder::Outcome::Found)
        m_rows->setCurrentRow(found.row);
}

void TDFindForm::btnOkClick()
{
    if (m_rows->isEmpty()) {
        Messages::information(this, QStringLiteral("请选择查找编码"), Title);
        reject();
        return;
    }
    accept();
}

QString TDFindForm::selectedValue() const
{
    const QModelIndex at = m_dbgFind->currentIndex();
    if (!at.isValid())
        return QString();
    return m_dbgFind->model()->data(at, Qt::EditRole).toString();
}

void TDFindForm::done(int result)
{
    IniFile ini(ProgramFolder::settingsPath());
    if (!m_dbgFind->writeColumnWidths(ini, Section))
        Messages::settingsNotSaved(this, ini.path(), ini.errorString());
    QDialog::done(result);
}

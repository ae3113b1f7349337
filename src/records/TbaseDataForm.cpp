#include "TbaseDataForm.h"

#include "widgets/RecordGrid.h"
#include "widgets/WindowFont.h"

#include "store/CopiedRow.h"
#include "store/DataSet.h"
#include "store/Database.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "store/QuilletError.h"
#include "widgets/ExcelRoutines.h"
#include "widgets/Messages.h"

#include <QVBoxLayout>

namespace {
const QString Section = QStringLiteral("baseData");
const QString Caption = QStringLiteral("基础数据");
} // namespace

TbaseDataForm::TbaseDataForm(QWidget *parent)
    : TChildForm(parent), m_table(new DataSet(this)), m_grid(new RecordGrid(m_table, this))
{
    setObjectName(QStringLiteral("TbaseDataForm"));
    setWindowTitle(Caption);
    setFont(WindowFont::songTi());
    m_table->setObjectName(QStringLiteral("tblNote"));
    m_grid->setObjectName(QStringLiteral("dbgrdNote"));
    m_grid->setEnterMovesOn(false);
    connect(m_grid, &RecordGrid::errorOccurred, this,
            [this](const QString &message) { Messages::error(this, message); });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);
}

void TbaseDataForm::openTable()
{
    m_table->setDatabase(Database::connection());
    m_table->setTableName(QStringLiteral("常用数据"));
    m_table->open();
    SetUpGrid();
}

void TbaseDataForm::SetUpGrid()
{
    IniFile ini(ProgramFolder::settingsPath());
    if (ini.exists())
        m_grid->readColumnWidths(ini, Section);
}

void TbaseDataForm::SaveGridWidths()
{
    IniFile ini(ProgramFolder::settingsPath());
    if (!m_grid->writeColumnWidths(ini, Section))
        Messages::settingsNotSaved(this, ini.path(), ini.errorString());
}

void TbaseDataForm::SaveLayout()
{
    SaveGridWidths();
}

void TbaseDataForm::PostPendingEdits()
{
    m_table->checkBrowseMode();
}

void TbaseDataForm::DiscardPendingEdits()
{
    m_table->cancel();
}

void TbaseDataForm::ExportToExcel()
{
    if (!m_table->isOpen() || m_table->isEmpty())
        return;
    try {
        m_table->checkBrowseMode();
        ExportGridToExcel(this, m_table, Caption);
    } catch (const QuilletError &e) {
        Messages::error(this, e.message(), QStringLiteral("错误"));
    }
}

void TbaseDataForm::ImportFromExcel()
{
    if (!m_table->isOpen())
        return;
    m_grid->setUpdatesEnabled(false);
    try {
        m_table->checkBrowseMode();
        ImportExcelRows(this, m_table, QStringLiteral("ID"));
    } catch (const QuilletError &e) {
        Messages::error(this, e.message());
    }
    m_grid->setUpdatesEnabled(true);
    try {
        m_table->reopen();
        SetUpGrid();
    } catch (const QuilletError &e) {
        Messages::error(this, e.message());
    }
}

void TbaseDataForm::CopyRow()
{
    if (m_copied.copyFrom(*m_table))
        Q_EMIT rowCopied();
}

void TbaseDataForm::PasteRow()
{
    // Nothing copied in this window yet: there is no row to paste.
    if (m_copied.isEmpty() || !m_table->isOpen())
        return;
    try {
        m_copied.pasteInto(*m_table, {QStringLiteral("ID")});
        m_table->reopen();
        SetUpGrid();
    } catch (const QuilletError &e) {
        Messages::error(this, e.message());
    }
}

void TbaseDataForm::DeleteRow()
{
    if (!m_table->isOpen() || m_table->currentRow() < 0) {
        Messages::information(this, QStringLiteral("没有可以删除的单位信息。"));
        return;
    }
    if (!Messages::askOkCancel(this, QStringLiteral("确定删除此单位信息吗？")))
        return;
    try {
        m_table->deleteCurrent();
    } catch (const QuilletError &e) {
        Messages::error(this, e.message());
    }
}

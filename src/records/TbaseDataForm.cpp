#include "TbaseDataForm.h"

#include "widgets/RecordGrid.h"
#include "widgets/WindowFont.h"

#include "store/DataSet.h"
#include "store/Database.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "widgets/Messages.h"

#include <QVBoxLayout>

namespace {
const QString Section = QStringLiteral("baseData");
}

TbaseDataForm::TbaseDataForm(QWidget *parent)
    : TChildForm(parent), m_table(new DataSet(this)), m_grid(new RecordGrid(m_table, this))
{
    setObjectName(QStringLiteral("TbaseDataForm"));
    setFont(WindowFont::songTi());
    m_table->setObjectName(QStringLiteral("tblBase"));
    m_grid->setObjectName(QStringLiteral("dbgrdBase"));
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
    IniFile ini(ProgramFolder::settingsPath());
    if (ini.exists())
        m_grid->readColumnWidths(ini, Section);
}

void TbaseDataForm::SaveLayout()
{
    IniFile ini(ProgramFolder::settingsPath());
    if (!m_grid->writeColumnWidths(ini, Section))
        Messages::settingsNotSaved(this, ini.path(), ini.errorString());
}

void TbaseDataForm::PostPendingEdits()
{
    m_table->checkBrowseMode();
}

void TbaseDataForm::DiscardPendingEdits()
{
    m_table->cancel();
}

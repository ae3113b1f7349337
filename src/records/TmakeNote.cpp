#include "TmakeNote.h"

#include "RecordGrid.h"
#include "WindowFont.h"

#include "shell/Messages.h"
#include "store/Database.h"
#include "store/DataSet.h"
#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QVBoxLayout>

TmakeNote::TmakeNote(const QString &kindCode, QWidget *parent)
    : TChildForm(parent), m_kindCode(kindCode), m_tblNote(new DataSet(this)),
      m_tblNoteSub(new DataSet(this))
{
    setObjectName(QStringLiteral("TmakeNote"));
    setFont(WindowFont::songTi());
    m_tblNote->setObjectName(QStringLiteral("tblNote"));
    m_tblNoteSub->setObjectName(QStringLiteral("tblNoteSub"));

    m_filterBox = new QGroupBox(QStringLiteral("过滤条件"), this);
    m_filterBox->setObjectName(QStringLiteral("GroupBox1"));
    m_filterBox->setFixedHeight(73);
    auto *filterLayout = new QHBoxLayout(m_filterBox);
    filterLayout->addStretch();
    auto *copiesLabel = new QLabel(QStringLiteral("打印份数："), m_filterBox);
    QFont bold = copiesLabel->font();
    bold.setBold(true);
    copiesLabel->setFont(bold);
    m_edtCopies = new QLineEdit(QStringLiteral("2"), m_filterBox);
    m_edtCopies->setObjectName(QStringLiteral("edtCopies"));
    m_edtCopies->setFixedWidth(25);
    filterLayout->addWidget(copiesLabel);
    filterLayout->addWidget(m_edtCopies);

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setHandleWidth(3);
    m_dbgrdNote = new RecordGrid(m_tblNote, m_splitter);
    m_dbgrdNote->setObjectName(QStringLiteral("dbgrdNote"));
    m_dbgrdSub = new RecordGrid(m_tblNoteSub, m_splitter);
    m_dbgrdSub->setObjectName(QStringLiteral("dbgrdSub"));
    m_dbgrdSub->hide();
    m_splitter->setChildrenCollapsible(false);
    for (RecordGrid *grid : {m_dbgrdNote, m_dbgrdSub})
        connect(grid, &RecordGrid::errorOccurred, this, &TmakeNote::showError);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_filterBox);
    layout->addWidget(m_splitter, 1);

    connect(m_edtCopies, &QLineEdit::textChanged, this, [this] {
        try {
            SaveGridWidths(m_dbgrdNote, true);
        } catch (const StoreError &e) {
            showError(e.message());
        }
    });
}

void TmakeNote::showError(const QString &message)
{
    Messages::error(this, message);
}

void TmakeNote::openKind(const QString &kindName)
{
    const QSqlDatabase db = Database::connection();
    m_tblNote->setDatabase(db);
    m_tblNote->setTableName(kindName);
    m_tblNote->setFilter(QStringLiteral("打印标记=0"));
    m_tblNote->setFiltered(true);
    m_tblNote->open();
    SetUpGrid(m_dbgrdNote, true);
    const QString detailName = kindName + QStringLiteral("Sub");
    if (TableExists(db, detailName)) {
        m_tblNoteSub->setDatabase(db);
        m_tblNoteSub->setTableName(detailName);
        m_tblNoteSub->setMasterLink(m_tblNote, QStringLiteral("ID"), QStringLiteral("MID"));
        m_tblNoteSub->open();
        m_dbgrdSub->show();
        applyDetailHeight();
        SetUpGrid(m_dbgrdSub, false);
    }
}

void TmakeNote::applyDetailHeight()
{
    if (!m_tblNoteSub->isOpen())
        return;
    const int detail = height() * 50 / 100;
    m_splitter->setSizes({qMax(0, m_splitter->height() - detail), detail});
}

void TmakeNote::resizeEvent(QResizeEvent *event)
{
    TChildForm::resizeEvent(event);
    applyDetailHeight();
}

void TmakeNote::SetUpGrid(RecordGrid *grid, bool isMain)
{
    const QString section = isMain ? m_kindCode : m_kindCode + QStringLiteral("sub");
    IniFile ini(ProgramFolder::settingsPath());
    if (ini.exists())
        grid->readColumnWidths(ini, section);
    grid->hideColumns(isMain ? QStringList{QStringLiteral("MID")}
                             : QStringList{QStringLiteral("MID"), QStringLiteral("ID")});
    if (isMain && ini.exists()) {
        const QSignalBlocker quiet(m_edtCopies); // reading the value is no change to store
        m_edtCopies->setText(ini.readString(QStringLiteral("Option"), QStringLiteral("copies"),
                                            QStringLiteral("1")));
    }
}

void TmakeNote::SaveGridWidths(RecordGrid *grid, bool isMain)
{
    const QString section = isMain ? m_kindCode : m_kindCode + QStringLiteral("sub");
    IniFile ini(ProgramFolder::settingsPath());
    grid->writeColumnWidths(ini, section);
    if (!isMain)
        return;
    int copies = 0;
    if (!IniFile::parseInteger(m_edtCopies->text(), &copies) ||
        m_edtCopies->text().trimmed().startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        throw StoreError(QStringLiteral("'%1' is not a valid integer value").arg(m_edtCopies->text()));
    ini.writeInteger(QStringLiteral("Option"), QStringLiteral("copies"), copies);
}

void TmakeNote::SaveLayout()
{
    SaveGridWidths(m_dbgrdNote, true);
    SaveGridWidths(m_dbgrdSub, false);
}

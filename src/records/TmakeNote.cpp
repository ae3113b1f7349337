#include "TmakeNote.h"

#include "FilterControls.h"
#include "widgets/GridFooter.h"
#include "widgets/RecordGrid.h"
#include "widgets/WindowFont.h"

#include "store/DataSet.h"
#include "store/Database.h"
#include "store/IniFile.h"
#include "store/KindRecords.h"
#include "store/ProgramFolder.h"
#include "store/QuilletError.h"
#include "store/RecordFilter.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

QWidget *gridWithFooter(RecordGrid *grid, GridFooter *footer, QWidget *parent)
{
    auto *pane = new QWidget(parent);
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    grid->setParent(pane);
    footer->setParent(pane);
    layout->addWidget(grid, 1);
    layout->addWidget(footer);
    return pane;
}

} // namespace

TmakeNote::TmakeNote(const QString &kindCode, QWidget *parent)
    : TChildForm(parent), m_kindCode(kindCode), m_tblNote(new DataSet(this)),
      m_tblNoteSub(new DataSet(this)), m_records(m_tblNote, m_tblNoteSub),
      m_frxReport(m_records.report())
{
    setObjectName(QStringLiteral("TmakeNote"));
    setFont(WindowFont::songTi());
    m_tblNote->setObjectName(QStringLiteral("tblNote"));
    m_tblNoteSub->setObjectName(QStringLiteral("tblNoteSub"));
    m_tblNote->afterInsert = [this](DataSet &table) { tblNoteAfterInsert(table); };
    m_tblNoteSub->afterInsert = [this](DataSet &table) { tblNoteSubAfterInsert(table); };

    createFilterBox();
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setHandleWidth(3);
    m_splitter->setChildrenCollapsible(false);
    m_dbgrdNote = new RecordGrid(m_tblNote, this);
    m_dbgrdNote->setObjectName(QStringLiteral("dbgrdNote"));
    m_mainFooter = new GridFooter(m_dbgrdNote, this);
    m_splitter->addWidget(gridWithFooter(m_dbgrdNote, m_mainFooter, m_splitter));
    m_dbgrdSub = new RecordGrid(m_tblNoteSub, this);
    m_dbgrdSub->setObjectName(QStringLiteral("dbgrdSub"));
    m_detailFooter = new GridFooter(m_dbgrdSub, this);
    m_detailPane = gridWithFooter(m_dbgrdSub, m_detailFooter, m_splitter);
    m_splitter->addWidget(m_detailPane);
    m_detailPane->hide();
    for (RecordGrid *grid : {m_dbgrdNote, m_dbgrdSub}) {
        connect(grid, &RecordGrid::errorOccurred, this, &TmakeNote::showError);
        connect(grid, &QAbstractItemView::doubleClicked, this,
                [this, grid](const QModelIndex &index) { dbgrdNoteDblClick(grid, index); });
        // F2 belongs to the pick-up here, not to opening the cell editor.
        grid->setEditTriggers(grid->editTriggers() & ~QAbstractItemView::EditKeyPressed);
        connect(grid, &RecordGrid::keyReleased, this,
                [this, grid](int key) { dbgrdNoteKeyUp(grid, key); });
    }
    createGridMenus();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_filterBox);
    layout->addWidget(m_splitter, 1);
}

void TmakeNote::createFilterBox()
{
    m_filterBox = new QGroupBox(QStringLiteral("过滤条件"), this);
    m_filterBox->setObjectName(QStringLiteral("GroupBox1"));
    m_filterBox->setFixedHeight(73);
    const QDate today = QDate::currentDate();
    m_datebegin = new CheckedDateEdit(today.addDays(-7), m_filterBox);
    m_datebegin->setObjectName(QStringLiteral("datebegin"));
    m_dateEnd = new CheckedDateEdit(today, m_filterBox);
    m_dateEnd->setObjectName(QStringLiteral("dateEnd"));
    m_edtKeyWord = new QLineEdit(m_filterBox);
    m_edtKeyWord->setObjectName(QStringLiteral("edtKeyWord"));
    m_rgPrint = new RadioGroup(
        {QStringLiteral("未打印"), QStringLiteral("已打印"), QStringLiteral("不限")}, m_filterBox);
    m_rgPrint->setObjectName(QStringLiteral("rgPrint"));
    m_rgPrint->setItemIndex(0);
    m_btnSearch = new QPushButton(QStringLiteral("查询"), m_filterBox);
    m_btnSearch->setObjectName(QStringLiteral("btnSearch"));
    auto *copiesLabel = new QLabel(QStringLiteral("打印份数："), m_filterBox);
    QFont bold = copiesLabel->font();
    bold.setBold(true);
    copiesLabel->setFont(bold);
    m_edtCopies = new QLineEdit(KindRecords::FirstCopies, m_filterBox);
    m_edtCopies->setObjectName(QStringLiteral("edtCopies"));
    m_edtCopies->setFixedWidth(25);

    auto *row = new QHBoxLayout(m_filterBox);
    row->addWidget(new QLabel(QStringLiteral("填写日期："), m_filterBox));
    row->addWidget(m_datebegin);
    row->addWidget(new QLabel(QStringLiteral("至"), m_filterBox));
    row->addWidget(m_dateEnd);
    row->addSpacing(8);
    row->addWidget(new QLabel(QStringLiteral("关键字："), m_filterBox));
    row->addWidget(m_edtKeyWord, 1);
    row->addWidget(m_rgPrint);
    row->addWidget(copiesLabel);
    row->addWidget(m_edtCopies);
    row->addWidget(m_btnSearch);

    // Typing a keyword runs nothing: the search, or Enter in the keyword box, does.
    connect(m_btnSearch, &QPushButton::clicked, this, &TmakeNote::btnSearchClick);
    connect(m_edtKeyWord, &QLineEdit::returnPressed, this, &TmakeNote::btnSearchClick);
    connect(m_datebegin, &CheckedDateEdit::changed, this, &TmakeNote::btnSearchClick);
    connect(m_dateEnd, &CheckedDateEdit::changed, this, &TmakeNote::btnSearchClick);
    connect(m_rgPrint, &RadioGroup::changed, this, &TmakeNote::btnSearchClick);
    connect(m_edtCopies, &QLineEdit::textChanged, this, [this] {
        try {
            SaveGridWidths(m_dbgrdNote, true);
        } catch (const QuilletError &e) {
            showError(e.message());
        }
    });
}

void TmakeNote::createGridMenus()
{
    auto addMenu = [this](RecordGrid *grid, const QString &name, QList<QAction *> actions) {
        auto *menu = new QMenu(grid);
        menu->setObjectName(name);
        menu->addActions(actions);
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid, &QWidget::customContextMenuRequested, menu, [grid, menu](const QPoint &pos) {
            menu->popup(grid->viewport()->mapToGlobal(pos));
        });
        return menu;
    };
    auto makeAction = [this](const QString &name, const QString &caption, const QString &hint) {
        auto *a = new QAction(caption, this);
        a->setObjectName(name);
        a->setStatusTip(hint);
        return a;
    };
    QAction *deleteMain = makeAction(QStringLiteral("actDeleteMain"), QStringLiteral("删除"),
                                     QStringLiteral("删除此行"));
    connect(deleteMain, &QAction::triggered, this, [this] { deleteCurrentOf(m_tblNote); });
    addMenu(m_dbgrdNote, QStringLiteral("pm1"), {deleteMain});

    QAction *deleteSub = makeAction(QStringLiteral("actDeleteSub"), QStringLiteral("删除"),
                                    QStringLiteral("删除该记录"));
    connect(deleteSub, &QAction::triggered, this, [this] { deleteCurrentOf(m_tblNoteSub); });
    QAction *importSub = makeAction(QStringLiteral("actImportsub"), QStringLiteral("导入明细"),
                                    QStringLiteral("从Excel导入明细"));
    connect(importSub, &QAction::triggered, this, &TmakeNote::importDetailRows);
    QMenu *sub = addMenu(m_dbgrdSub, QStringLiteral("PopupMenuSub"), {deleteSub});
    sub->addSeparator();
    sub->addAction(importSub);
}

void TmakeNote::showError(const QString &message)
{
    Messages::error(this, message);
}

void TmakeNote::openKind(const QString &kindName)
{
    const QSqlDatabase db = Database::connection();
    m_qryNoteTPL.emplace(db, m_kindCode);
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
        m_detailPane->show();
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
        m_edtCopies->setText(KindRecords::storedCopies(ini));
    }
}

void TmakeNote::SaveGridWidths(RecordGrid *grid, bool isMain)
{
    const QString section = isMain ? m_kindCode : m_kindCode + QStringLiteral("sub");
    IniFile ini(ProgramFolder::settingsPath());
    if (!grid->writeColumnWidths(ini, section))
        Messages::settingsNotSaved(this, ini.path(), ini.errorString());
    if (!isMain)
        return;
    const int copies = copiesValue();
    if (!ini.writeInteger(QStringLiteral("Option"), QStringLiteral("copies"), copies))
        Messages::settingsNotSaved(this, ini.path(), ini.errorString());
}

int TmakeNote::copiesValue() const
{
    return KindRecords::copiesNumber(m_edtCopies->text());
}

void TmakeNote::SaveLayout()
{
    SaveGridWidths(m_dbgrdNote, true);
    SaveGridWidths(m_dbgrdSub, false);
}

void TmakeNote::PostPendingEdits()
{
    for (DataSet *table : {m_tblNoteSub, m_tblNote}) {
        try {
            table->checkBrowseMode();
        } catch (const QuilletError &) {
            // The engine's words for a table deleted under an open window say nothing useful.
            if (table->isOpen() && !TableExists(table->database(), table->tableName()))
                throw StoreError(QStringLiteral("数据表“%1”已经不存在（它的单据已被删除），"
                                                "正在输入的内容无法保存。")
                                     .arg(table->tableName()));
            throw;
        }
    }
}

void TmakeNote::DiscardPendingEdits()
{
    m_tblNoteSub->cancel();
    m_tblNote->cancel();
}

void TmakeNote::btnSearchClick()
{
    if (!m_tblNote->isOpen())
        return;
    RecordFilter::Conditions c;
    c.keyword = m_edtKeyWord->text();
    c.textColumns = KindRecords::textColumns(m_tblNote->columns());
    if (m_datebegin->isChecked())
        c.start = m_datebegin->date();
    if (m_dateEnd->isChecked())
        c.end = m_dateEnd->date();
    const int print = m_rgPrint->itemIndex();
    c.printState = print == 0   ? RecordFilter::PrintState::Unprinted
                   : print == 1 ? RecordFilter::PrintState::Printed
                                : RecordFilter::PrintState::Any;
    try {
        m_tblNote->setFilter(RecordFilter::build(c));
    } catch (const QuilletError &e) {
        showError(e.message());
    }
}

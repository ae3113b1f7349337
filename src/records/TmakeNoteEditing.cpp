// What changes records in the record window: new-record defaults, the detail rows' tie to
// their record, deleting, copying and pasting, and moving records to and from workbooks.
#include "TmakeNote.h"

#include "widgets/RecordGrid.h"

#include "store/CopiedRow.h"
#include "store/DataSet.h"
#include "store/KindRecords.h"
#include "store/StoreError.h"
#include "widgets/ExcelRoutines.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"

#include <QFile>

namespace {
const QString Caption = QStringLiteral("ChildForm");
const QString FillDate = QStringLiteral("填写日期");
} // namespace

void TmakeNote::tblNoteAfterInsert(DataSet &table)
{
    KindRecords::applyNewRecordDefaults(table);
}

void TmakeNote::tblNoteSubAfterInsert(DataSet &table)
{
    const int mid = table.columnIndex(QStringLiteral("MID"));
    if (mid < 0)
        return;
    const QVariant id = m_tblNote->isOpen() && m_tblNote->currentRow() >= 0
                            ? m_tblNote->fieldValue(QStringLiteral("ID"))
                            : QVariant();
    if (id.isNull() || id.toLongLong() < 1) {
        table.cancel(); // a detail row belongs to a stored record
        return;
    }
    if (table.fieldValue(mid).isNull())
        table.setFieldValue(mid, id);
}

void TmakeNote::deleteCurrentOf(DataSet *table)
{
    if (!Messages::askOkCancel(this, QStringLiteral("确定删除吗？")))
        return;
    if (!table->isOpen() || table->currentRow() < 0)
        return;
    try {
        table->deleteCurrent();
    } catch (const QuilletError &e) {
        showError(e.message());
    }
}

void TmakeNote::DeleteRow()
{
    deleteCurrentOf(m_tblNote);
}

void TmakeNote::ClearAll()
{
    if (!Messages::askOkCancel(this, QStringLiteral("确定删除全部记录吗？")))
        return;
    try {
        m_tblNote->deleteRowsInView();
    } catch (const QuilletError &e) {
        showError(e.message());
    }
}

void TmakeNote::CopyRow()
{
    if (m_copied.copyFrom(*m_tblNote))
        Q_EMIT rowCopied();
}

void TmakeNote::PasteRow()
{
    if (m_copied.isEmpty() || !m_tblNote->isOpen())
        return;
    try {
        // The copy is a new record: not printed yet, and filled in today.
        m_copied.pasteInto(*m_tblNote,
                           {QStringLiteral("ID"), QStringLiteral("打印标记"), FillDate});
        m_tblNote->reopen();
        SetUpGrid(m_dbgrdNote, true);
    } catch (const QuilletError &e) {
        showError(e.message());
    }
}

void TmakeNote::ExportToExcel()
{
    if (!m_tblNote->isOpen() || m_tblNote->isEmpty())
        return;
    try {
        m_tblNote->checkBrowseMode();
        ExportGridToExcel(this, m_tblNote, Caption);
        if (m_tblNoteSub->isOpen()) {
            // Every detail row of the kind, those of deleted records included, by record.
            m_tblNoteSub->clearMasterLink();
            m_tblNoteSub->setOrderBy(QStringLiteral("MID"));
            m_tblNoteSub->reopen();
            ExportGridToExcel(this, m_tblNoteSub, Caption + QStringLiteral("明细"));
        }
    } catch (const QuilletError &e) {
        Messages::error(this, e.message(), QStringLiteral("错误"));
    }
    if (m_tblNoteSub->isOpen() && !m_tblNoteSub->master()) {
        m_tblNoteSub->setOrderBy(QString());
        m_tblNoteSub->setMasterLink(m_tblNote, QStringLiteral("ID"), QStringLiteral("MID"));
        m_tblNoteSub->reopen();
        m_tblNote->first();
    }
}

void TmakeNote::importInto(RecordGrid *grid, const QString &exclusions, bool isMain)
{
    DataSet *table = grid->dataSet();
    grid->setUpdatesEnabled(false);
    try {
        table->checkBrowseMode();
        ImportExcelRows(this, table, exclusions);
    } catch (const QuilletError &e) {
        showError(e.message());
    }
    grid->setUpdatesEnabled(true);
    try {
        table->reopen();
        SetUpGrid(grid, isMain);
    } catch (const QuilletError &e) {
        showError(e.message());
    }
}

void TmakeNote::ImportFromExcel()
{
    if (m_tblNote->isOpen())
        importInto(m_dbgrdNote, KindRecords::MainImportExclusions, true);
}

void TmakeNote::importDetailRows()
{
    if (!m_tblNoteSub->isOpen())
        return;
    const QVariant id =
        m_tblNote->currentRow() >= 0 ? m_tblNote->fieldValue(QStringLiteral("ID")) : QVariant();
    if (id.isNull() || id.toLongLong() < 1) {
        Messages::information(this, QStringLiteral("请先保存当前记录，再导入它的明细。"));
        return;
    }
    importInto(m_dbgrdSub, QStringLiteral("ID;MID"), false);
}

void TmakeNote::dbgrdNoteDblClick(RecordGrid *grid, const QModelIndex &index)
{
    DataSet *table = grid->dataSet();
    if (!index.isValid() || !table->isOpen() ||
        table->columns()[index.column()].type != FieldType::Binary)
        return;
    const QString path = FileDialogs::getOpenFileName(
        this, QStringLiteral("打开图片"),
        QStringLiteral("图片文件(*.jpg *.jpeg *.bmp *.png *.gif *.ico *.wmf *.emf);;所有文件(*)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        showError(QStringLiteral("无法读取图片文件：%1").arg(file.errorString()));
        return;
    }
    try {
        table->setCurrentRow(index.row());
        table->edit();
        table->setFieldValue(index.column(), file.readAll());
        table->post();
    } catch (const QuilletError &e) {
        showError(e.message());
    }
}

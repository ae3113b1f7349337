// The record window's template operations: design, preview and print.

#include "TmakeNote.h"

#include "ReportOutlets.h"

#include "printing/DesignerSave.h"
#include "store/DataSet.h"
#include "store/PostGroup.h"
#include "store/ProgramFolder.h"
#include "store/QuilletError.h"
#include "widgets/Messages.h"
#include "widgets/RecordGrid.h"

#include <QScopeGuard>

void TmakeNote::setUpReport()
{
    m_datasets.add(m_frxDBDsNote.name(), &m_frxDBDsNote);
    m_datasets.add(m_frxDBDsSub.name(), &m_frxDBDsSub);
    m_functions.setDatasetLookup(m_datasets.lookup());
    m_frxReport.setDataset(&m_frxDBDsNote);
    m_frxReport.setDataset(&m_frxDBDsSub);
    for (const ReportFunctionDeclaration &d : reportFunctionDeclarations())
        m_frxReport.addFunction(d.declaration, d.category, d.description);
    m_frxReport.setUserFunctionHandler([this](const QString &name, const QVariantList &args) {
        return m_functions.frxReportUserFunction(name, args);
    });
}

void TmakeNote::outputRefresh()
{
    PostPendingEdits();
    m_tblNote->reopen();
    SetUpGrid(m_dbgrdNote, true);
    m_qryNoteTPL->lookup();
}

void TmakeNote::loadTemplate()
{
    m_frxReport.loadFromBytes(m_qryNoteTPL->templateBytes());
}

void TmakeNote::frxReportPrintPage(ReportPage &page, int /*copyNumber*/)
{
    // The scanned form is there to lay the fields out on; the paper already carries it.
    page.background = QByteArray();
}

void TmakeNote::printPrepared(int copies)
{
    ReportOutlets::current().printer(
        m_frxReport.preparedPages(),
        {m_frxReport.definition().printerName, copies, &TmakeNote::frxReportPrintPage});
}

void TmakeNote::DesignTemplate()
{
    if (!m_qryNoteTPL)
        return;
    try {
        m_qryNoteTPL->lookup();
        if (m_qryNoteTPL->hasTemplate())
            loadTemplate();
    } catch (const QuilletError &e) {
        // A stored template the engine cannot read can still be replaced in the designer
        // (by opening a file there and saving), so the designer opens all the same.
        showError(e.message());
        if (!m_qryNoteTPL->hasRow())
            return;
    }
    ReportOutlets::current().designer(this, m_frxReport, [this](Report &report, bool saveAs) {
        return frxDesigner1SaveReport(report, saveAs);
    });
}

bool TmakeNote::frxDesigner1SaveReport(Report &report, bool /*saveAs*/)
{
    try {
        saveDesignedTemplate(*m_qryNoteTPL, report, ProgramFolder::notesFolder());
    } catch (const HistoryFileError &e) {
        showError(e.message());
        return true; // the database holds the template: it is saved
    } catch (const QuilletError &e) {
        showError(e.message());
        return false;
    }
    return true;
}

void TmakeNote::PreviewReport()
{
    if (!m_qryNoteTPL)
        return;
    try {
        outputRefresh();
        loadTemplate();
        m_frxReport.prepare();
        ReportOutlets::current().preview(this, m_frxReport, [this](int copies) {
            try {
                printPrepared(copies);
            } catch (const QuilletError &e) {
                showError(e.message());
            }
        });
    } catch (const QuilletError &e) {
        showError(e.message());
    }
}

void TmakeNote::PrintReport()
{
    if (!m_qryNoteTPL)
        return;
    try {
        outputRefresh();
        if (!m_qryNoteTPL->hasTemplate())
            return;
        loadTemplate();
        const int copies = std::max(copiesValue(), 0);
        m_frxReport.prepare();
        printPrepared(copies);
        markViewPrinted();
    } catch (const QuilletError &e) {
        showError(e.message());
    }
}

void TmakeNote::markViewPrinted()
{
    m_dbgrdNote->setUpdatesEnabled(false);
    const auto resume = qScopeGuard([this] { m_dbgrdNote->setUpdatesEnabled(true); });
    const int idColumn = m_tblNote->columnIndex(QStringLiteral("ID"));
    QVariantList ids;
    for (int row = 0; row < m_tblNote->rowCount(); ++row)
        ids << m_tblNote->value(row, idColumn);
    // Filtered off, so that a record leaving the view once marked does not shift the rest.
    m_tblNote->setFiltered(false);
    PostGroup marks(*m_tblNote);
    try {
        for (const QVariant &id : ids) {
            if (!m_tblNote->locate(QStringLiteral("ID"), id))
                continue;
            m_tblNote->edit();
            m_tblNote->setFieldValue(QStringLiteral("打印标记"), true);
            m_tblNote->post();
        }
    } catch (const QuilletError &) {
        // The record that could not be marked is given up; the view the user chose comes
        // back before the error is told, and the records marked so far stay marked.
        m_tblNote->cancel();
        m_tblNote->setFiltered(true);
        marks.finish();
        throw;
    }
    m_tblNote->setFiltered(true);
    marks.finish();
}

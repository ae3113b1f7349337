// The record window's template operations: design, preview and print.

#include "TmakeNote.h"

#include "ReportOutlets.h"

#include "printing/DesignerSave.h"
#include "store/DataSet.h"
#include "store/KindRecords.h"
#include "store/ProgramFolder.h"
#include "store/QuilletError.h"
#include "widgets/Messages.h"
#include "widgets/RecordGrid.h"

#include <QScopeGuard>

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

void TmakeNote::printPrepared(int copies)
{
    ReportOutlets::current().printer(
        m_frxReport.preparedPages(),
        {m_frxReport.definition().printerName, copies, &RecordReport::frxReportPrintPage});
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
        ReportOutlets::current().preview(
            this, m_frxReport,
            {&RecordReport::frxReportPrintPage, [this] { return editFromPreview(); }});
    } catch (const QuilletError &e) {
        showError(e.message());
    }
}

// The designer opened from the preview: after a save the preview shows the template as the
// database now holds it, like the next preview would.
bool TmakeNote::editFromPreview()
{
    bool saved = false;
    ReportOutlets::current().designer(
        this, m_frxReport, [this, &saved](Report &report, bool saveAs) {
            const bool stored = frxDesigner1SaveReport(report, saveAs);
            saved = saved || stored;
            return stored;
        });
    m_qryNoteTPL->lookup();
    loadTemplate();
    if (saved)
        m_frxReport.prepare();
    return saved;
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
    KindRecords::markViewPrinted(*m_tblNote);
}

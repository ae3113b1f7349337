#include "RecordReport.h"

RecordReport::RecordReport(DataSet *note, DataSet *sub)
    : m_frxDBDsNote(QStringLiteral("frxDBDsNote"), note),
      m_frxDBDsSub(QStringLiteral("frxDBDsSub"), sub)
{
    m_datasets.add(m_frxDBDsNote.name(), &m_frxDBDsNote);
    m_datasets.add(m_frxDBDsSub.name(), &m_frxDBDsSub);
    m_functions.setDatasetLookup(m_datasets.lookup());
    m_report.setDataset(&m_frxDBDsNote);
    m_report.setDataset(&m_frxDBDsSub);
    for (const ReportFunctionDeclaration &d : reportFunctionDeclarations())
        m_report.addFunction(d.declaration, d.category, d.description);
    m_report.setUserFunctionHandler([this](const QString &name, const QVariantList &args) {
        return m_functions.frxReportUserFunction(name, args);
    });
}

void RecordReport::frxReportPrintPage(ReportPage &page, int /*copyNumber*/)
{
    page.background = QByteArray();
}

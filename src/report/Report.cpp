#include "Report.h"

#include "ReportDataset.h"
#include "ReportPdfWriter.h"
#include "ReportPreparer.h"
#include "ReportXmlReader.h"
#include "ReportXmlWriter.h"

#include <algorithm>

QByteArray Report::saveToBytes() const
{
    return ReportXmlWriter::write(m_definition);
}

void Report::loadFromBytes(const QByteArray &bytes)
{
    m_definition = ReportXmlReader::read(bytes);
}

void Report::setDataset(ReportDataset *dataset)
{
    m_datasets.insert(dataset->name().toLower(), dataset);
}

QList<const ReportDataset *> Report::datasets() const
{
    QList<const ReportDataset *> sorted(m_datasets.cbegin(), m_datasets.cend());
    std::sort(sorted.begin(), sorted.end(), [](const ReportDataset *a, const ReportDataset *b) {
        return a->name().compare(b->name(), Qt::CaseInsensitive) < 0;
    });
    return sorted;
}

void Report::addFunction(const QString &declaration, const QString &category,
                         const QString &description)
{
    m_functions.add(declaration, category, description);
}

void Report::setUserFunctionHandler(UserFunctions::Handler handler)
{
    m_functions.setHandler(std::move(handler));
}

void Report::prepare()
{
    m_pages.clear();
    m_pages = ReportPreparer(m_definition, m_datasets, m_functions).prepare();
}

void Report::exportPdf(const QString &fileName) const
{
    ReportPdfWriter::write(m_pages, fileName);
}

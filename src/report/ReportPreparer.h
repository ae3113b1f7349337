#pragma once

#include "PreparedPage.h"
#include "ReportTemplate.h"

#include <QHash>
#include <QList>

class ReportDataset;
class UserFunctions;

// Lays a template out over its datasets into pages. Each template page runs its master
// band once per row of its dataset and, under each master row, its detail band once per
// detail row; the report title opens the first page, the page header and footer frame
// every page. Bands that do not fit above the footer go to a new page.
class ReportPreparer {
public:
    // datasets: keyed by name in lower case.
    ReportPreparer(const ReportTemplate &definition,
                   const QHash<QString, ReportDataset *> &datasets, const UserFunctions &functions);

    // Throws ReportError naming the object and expression at fault.
    QList<PreparedPage> prepare();

private:
    class Run;
    const ReportTemplate &m_definition;
    const QHash<QString, ReportDataset *> &m_datasets;
    const UserFunctions &m_functions;
};

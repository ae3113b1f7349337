#pragma once

#include "FieldSource.h"
#include "ReportFunctions.h"
#include "TableReportDataset.h"

#include "report/Report.h"

class DataSet;

// The report object over a form kind's records (the record window's frxReport, and the
// command line's): the template reads the main table as frxDBDsNote and the detail table as
// frxDBDsSub, and calls the program's functions. The tables are not owned.
class RecordReport {
public:
    RecordReport(DataSet *note, DataSet *sub);
    RecordReport(const RecordReport &) = delete;
    RecordReport &operator=(const RecordReport &) = delete;

    Report &report() { return m_report; }

    // The rule for every printed sheet: the scanned form is there to lay the fields out on;
    // the paper already carries it.
    static void frxReportPrintPage(ReportPage &page, int copyNumber);

private:
    TableReportDataset m_frxDBDsNote;
    TableReportDataset m_frxDBDsSub;
    DatasetDirectory m_datasets;
    ReportFunctions m_functions;
    Report m_report;
};

#pragma once

#include "PreparedPage.h"
#include "ReportTemplate.h"
#include "UserFunctions.h"

#include <QByteArray>
#include <QHash>
#include <QList>

class ReportDataset;

// A report object (the record window's frxReport): one template, the datasets and
// functions it may use, and the pages last prepared from it.
class Report {
public:
    const ReportTemplate &definition() const { return m_definition; }
    ReportTemplate &definition() { return m_definition; }

    QByteArray saveToBytes() const;
    // Replaces the whole template. Throws ReportError, leaving the report as it was,
    // for bytes that saveToBytes did not write.
    void loadFromBytes(const QByteArray &bytes);

    // Datasets are not owned; a later one of the same name (ignoring case) replaces it.
    void setDataset(ReportDataset *dataset);
    // The datasets given, in the order of their names.
    QList<const ReportDataset *> datasets() const;

    void addFunction(const QString &declaration, const QString &category,
                     const QString &description);
    void setUserFunctionHandler(UserFunctions::Handler handler);
    const UserFunctions &functions() const { return m_functions; }

    // Discards the pages prepared before, then prepares anew. Throws ReportError naming
    // the object and expression at fault; no pages remain then.
    void prepare();
    const QList<PreparedPage> &preparedPages() const { return m_pages; }

    // Writes the prepared pages as the preview shows them. Throws ReportError, writing
    // nothing, when no pages were prepared.
    void exportPdf(const QString &fileName) const;

private:
    ReportTemplate m_definition;
    QHash<QString, ReportDataset *> m_datasets;
    UserFunctions m_functions;
    QList<PreparedPage> m_pages;
};

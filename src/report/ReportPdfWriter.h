#pragma once

#include "PreparedPage.h"

#include <QList>
#include <QString>

// Writes prepared pages to a PDF file as they look in the preview: background drawn,
// no print calibration.
namespace ReportPdfWriter {
// Throws ReportError, writing nothing, when there are no pages; throws ReportError when
// the file cannot be written.
void write(const QList<PreparedPage> &pages, const QString &fileName);
} // namespace ReportPdfWriter

#pragma once

#include "PreparedPage.h"

#include <QByteArray>
#include <QList>

// The one reader of the file of prepared pages. Accepts what PreparedReportWriter wrote;
// any other bytes throw ReportError saying what is wrong and where.
namespace PreparedReportReader {
QList<PreparedPage> read(const QByteArray &bytes);
} // namespace PreparedReportReader

#pragma once

#include "ReportTemplate.h"

#include <QByteArray>

// The one reader of the template's stored form. Accepts what ReportXmlWriter wrote;
// any other bytes throw ReportError with a message that says what is wrong and where.
namespace ReportXmlReader {
ReportTemplate read(const QByteArray &bytes);
} // namespace ReportXmlReader

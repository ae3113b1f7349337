#pragma once

#include "ReportTemplate.h"

#include <QByteArray>

// The one writer of the template's stored form (read back by ReportXmlReader).
// Properties at their default values are left out; pictures are embedded.
namespace ReportXmlWriter {
inline constexpr int formatVersion = 1;
QByteArray write(const ReportTemplate &report);
} // namespace ReportXmlWriter

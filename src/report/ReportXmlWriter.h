#pragma once

#include "ReportTemplate.h"

#include <QByteArray>

// The one writer of the template's stored form (read back by ReportXmlReader).
// Properties at their default values are left out; pictures are embedded.
namespace ReportXmlWriter {
// 2 added the text styles, character cells, shrinking, display formats, visibility,
// barcodes, check marks, the background's placement and the printer's scale.
inline constexpr int formatVersion = 2;
QByteArray write(const ReportTemplate &report);
} // namespace ReportXmlWriter

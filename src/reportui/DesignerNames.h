#pragma once

#include "report/ReportPage.h"

#include <QString>

// How the designer's panels name pages, bands and objects to the user.
namespace DesignerNames {
QString page(const ReportPage &page, int index);
QString band(const ReportBand &band);
QString objectKind(ReportObject::Kind kind);
QString object(const ReportObject &object);
} // namespace DesignerNames

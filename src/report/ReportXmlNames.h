#pragma once

#include "ReportBand.h"
#include "ReportObject.h"

#include <QString>
#include <optional>

// Element and attribute vocabulary shared by the template's writer and reader.
namespace ReportXmlNames {
inline const QString root = QStringLiteral("QuilletReport");

QString bandTypeName(ReportBand::Type type);
std::optional<ReportBand::Type> bandType(const QString &name);
QString objectKindName(ReportObject::Kind kind);
std::optional<ReportObject::Kind> objectKind(const QString &name);
QString symbologyName(ReportObject::Symbology symbology);
std::optional<ReportObject::Symbology> symbology(const QString &name);
QString horizontalName(Qt::Alignment alignment);
QString verticalName(Qt::Alignment alignment);
std::optional<Qt::Alignment> horizontal(const QString &name);
std::optional<Qt::Alignment> vertical(const QString &name);
} // namespace ReportXmlNames

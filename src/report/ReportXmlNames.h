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
QString horizontalName(Qt::Alignment alignment);
QString verticalName(Qt::Alignment alignment);
std::optional<Qt::Alignment> horizontal(const QString &name);
std::optional<Qt::Alignment> vertical(const QString &name);
} // namespace ReportXmlNames

// Texts may hold characters that XML cannot carry (most control characters, U+FFFE,
// U+FFFF, unpaired surrogates). They are written as U+E000 followed by a private-use
// character, and U+E000 itself is doubled, so every text reads back unchanged.
namespace ReportXmlText {
QString escape(const QString &text);
// nullopt for an escape that escape() never writes.
std::optional<QString> unescape(const QString &text);
} // namespace ReportXmlText

#pragma once

#include "PreparedPage.h"

#include <QByteArray>
#include <QList>

// The one writer of the engine's file of prepared pages (read back by PreparedReportReader):
// XML like the template's, every picture stored once however many pages show it, and
// properties at their default values left out.
namespace PreparedReportWriter {
// 2 added every property a template object has, and the check marks drawn.
inline constexpr int formatVersion = 2;
inline const QString root = QStringLiteral("QuilletPreparedReport");
QByteArray write(const QList<PreparedPage> &pages);
} // namespace PreparedReportWriter

#pragma once

#include "PreparedPage.h"

#include <QByteArray>
#include <QList>

// The one writer of the engine's file of prepared pages (read back by PreparedReportReader):
// XML like the template's, every picture stored once however many pages show it, and
// properties at their default values left out.
namespace PreparedReportWriter {
inline constexpr int formatVersion = 1;
inline const QString root = QStringLiteral("QuilletPreparedReport");
QByteArray write(const QList<PreparedPage> &pages);
} // namespace PreparedReportWriter

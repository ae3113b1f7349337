#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

// The number and date patterns that templates write in FormatFloat and FormatDateTime,
// in the script language's notation ("#,##0.00", "yyyy年mm月dd日 hh:nn").
namespace FormatPatterns {
// value: a whole number, double or Currency. Rounds half away from zero on the decimal
// digits of the value, so money formats exactly.
QString formatFloat(const QString &pattern, const QVariant &value);
QString formatDateTime(const QString &pattern, const QDateTime &value);
} // namespace FormatPatterns

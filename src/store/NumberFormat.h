#pragma once

#include <QString>
#include <QVariant>

// What a spreadsheet's number formats and serial day numbers mean to the values read.
namespace NumberFormat {

// Whether a format code shows a date or a time: a date part outside quoted text, escapes
// and bracketed colours or conditions, or an elapsed time such as [h].
bool isDateCode(const QString &code);
// Whether a built-in format (one without a code in the file) shows a date or a time, in
// any locale.
bool isBuiltInDate(int id);
// The width a code of zeros alone ("00000") pads whole numbers to; 0 for any other code.
int zeroPadding(const QString &code);
// A serial day number as a date (and time); the number itself when it is out of range.
QVariant dateFromSerial(double serial, bool date1904);

} // namespace NumberFormat

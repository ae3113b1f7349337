#pragma once

#include "ColumnDef.h"

#include <QDateTime>
#include <QVariant>
#include <optional>

// How values of each column type live in memory: Text and Memo as QString, Counter and
// Integer as qint64, Float as double, Currency as Currency, DateTime as QDateTime, Bool as
// bool, Binary as QByteArray; an empty field is a null QVariant.
namespace FieldValue {

// Typed text ("12", "1234.5", "2026-12-09 18:00:00", "-1") into a value of the type;
// nullopt when the text does not fit the type. Empty text is an empty field, except for
// text columns where it is the empty text.
std::optional<QVariant> parse(const QString &text, FieldType type);
// Like parse, but returns a null QVariant for text that does not fit.
QVariant fromText(const QString &text, FieldType type);
// Any value (a QString from an editor, a number, a date) into the column's type.
std::optional<QVariant> coerce(const QVariant &value, FieldType type);

QVariant fromStorage(const QVariant &stored, FieldType type);
QVariant toStorage(const QVariant &value, FieldType type);

// Whether a value of the column's type reads back from the store as exactly the same value:
// a money amount of more than about 15 significant digits may not.
bool storesExactly(const QVariant &value, FieldType type);
// The refusal of such a value, naming the column and the value.
QString inexactMessage(const QString &column, const QVariant &value, FieldType type);

// The text a cell editor starts from and the filter's like compares with.
QString toText(const QVariant &value, FieldType type);
// Both values non-null and of the column's type; -1, 0 or 1. Text ignores case.
int compare(const QVariant &a, const QVariant &b, FieldType type);

// Field dates are wall-clock dates without a time zone. They are kept as UTC date-times so
// that no local-time lookup runs per value and every comparison is between wall clocks.
QDateTime wallClock(const QDate &date, const QTime &time = QTime(0, 0));

// The date forms typed dates may take: "2026-12-09", "2026/12/9 18:00", "2026年12月9日"...
std::optional<QDateTime> parseDateTime(const QString &text);

} // namespace FieldValue

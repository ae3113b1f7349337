#pragma once

#include <QString>
#include <QVariant>

// Operations on the engine's values, held in a QVariant: invalid (an empty field), bool,
// whole number (qint64 or int), double, Currency, QString, QDate or QDateTime.
// Failures throw ReportError with the reason in Chinese.
namespace EngineValues {

enum class Type { Null, Boolean, Integer, Double, Currency, Text, DateTime };
Type typeOf(const QVariant &value);

// What a text object prints for the value.
QString toText(const QVariant &value);
bool toBoolean(const QVariant &value);
qint64 toInteger(const QVariant &value);
QDateTime toDateTime(const QVariant &value);

enum class Arithmetic { Add, Subtract, Multiply, Divide, IntegerDivide, Modulo };
QVariant arithmetic(Arithmetic op, const QVariant &left, const QVariant &right);
QVariant negate(const QVariant &value);
// Text concatenation, an empty field counting as empty text.
QVariant concatenate(const QVariant &left, const QVariant &right);

enum class Comparison { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual };
bool compare(Comparison op, const QVariant &left, const QVariant &right);

} // namespace EngineValues

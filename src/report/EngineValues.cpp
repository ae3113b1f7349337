#include "EngineValues.h"

#include "ReportError.h"
#include "store/Currency.h"

#include <QDateTime>
#include <cmath>
#include <compare>
#include <limits>
#include <optional>

namespace EngineValues {

namespace {

[[noreturn]] void typeMismatch(const QVariant &left, const QVariant &right)
{
    throw ReportError(
        QStringLiteral("类型不匹配：%1 与 %2")
            .arg(QString::fromLatin1(left.typeName()), QString::fromLatin1(right.typeName())));
}

bool isNumber(Type type)
{
    return type == Type::Integer || type == Type::Double || type == Type::Currency;
}

double toDouble(const QVariant &value)
{
    if (typeOf(value) == Type::Currency)
        return value.value<Currency>().toDouble();
    return value.toDouble();
}

[[noreturn]] void integerOverflow(const QString &operation)
{
    throw ReportError(QStringLiteral("整数运算溢出：%1 超出整数范围").arg(operation));
}

[[noreturn]] void currencyOverflow(const QString &what)
{
    throw ReportError(
        QStringLiteral("金额运算溢出：%1 超出金额范围（±922337203685477.5807）").arg(what));
}

Currency toCurrency(const QVariant &value)
{
    switch (typeOf(value)) {
    case Type::Currency:
        return value.value<Currency>();
    case Type::Integer:
        if (const auto c = Currency::fromWhole(value.toLongLong()))
            return *c;
        break;
    default:
        if (const auto c = Currency::fromDouble(value.toDouble()))
            return *c;
        break;
    }
    currencyOverflow(toText(value));
}

QString symbol(Arithmetic op)
{
    switch (op) {
    case Arithmetic::Add:
        return QStringLiteral("+");
    case Arithmetic::Subtract:
        return QStringLiteral("-");
    case Arithmetic::Multiply:
        return QStringLiteral("*");
    case Arithmetic::Divide:
        return QStringLiteral("/");
    case Arithmetic::IntegerDivide:
        return QStringLiteral("div");
    case Arithmetic::Modulo:
        break;
    }
    return QStringLiteral("mod");
}

// The exact result of a + b, a - b or a * b, or nothing when it leaves the 64-bit range.
std::optional<qint64> exact(Arithmetic op, qint64 a, qint64 b)
{
    qint64 result = 0;
    bool overflow = false;
    switch (op) {
    case Arithmetic::Add:
        overflow = __builtin_add_overflow(a, b, &result);
        break;
    case Arithmetic::Subtract:
        overflow = __builtin_sub_overflow(a, b, &result);
        break;
    default:
        overflow = __builtin_mul_overflow(a, b, &result);
        break;
    }
    if (overflow)
        return std::nullopt;
    return result;
}

QVariant integerArithmetic(Arithmetic op, qint64 a, qint64 b)
{
    const auto operation = [&] { return QStringLiteral("%1 %2 %3").arg(a).arg(symbol(op)).arg(b); };
    switch (op) {
    case Arithmetic::Add:
    case Arithmetic::Subtract:
    case Arithmetic::Multiply:
        if (const auto result = exact(op, a, b))
            return *result;
        integerOverflow(operation());
    case Arithmetic::IntegerDivide:
        // The one quotient of two 64-bit numbers that has no 64-bit value.
        if (a == std::numeric_limits<qint64>::min() && b == -1)
            integerOverflow(operation());
        return a / b;
    case Arithmetic::Modulo:
        return b == -1 ? qint64(0) : a % b;
    case Arithmetic::Divide:
        break;
    }
    return double(a) / double(b);
}

// Money stays exact where it can: sums, differences and multiples by whole numbers.
QVariant currencyArithmetic(Arithmetic op, const QVariant &left, const QVariant &right)
{
    const Type lt = typeOf(left), rt = typeOf(right);
    const auto money = [&](std::optional<Currency> amount) {
        if (!amount)
            currencyOverflow(
                QStringLiteral("%1 %2 %3").arg(toText(left), symbol(op), toText(right)));
        return QVariant::fromValue(*amount);
    };
    const auto exactMoney = [op](qint64 a, qint64 b) -> std::optional<Currency> {
        if (const auto units = exact(op, a, b))
            return Currency::fromUnits(*units);
        return std::nullopt;
    };
    if ((op == Arithmetic::Add || op == Arithmetic::Subtract) && lt != Type::Double &&
        rt != Type::Double)
        return money(exactMoney(toCurrency(left).units(), toCurrency(right).units()));
    if (op == Arithmetic::Multiply && (lt == Type::Integer || rt == Type::Integer)) {
        const qint64 units =
            lt == Type::Currency ? left.value<Currency>().units() : right.value<Currency>().units();
        const qint64 factor = lt == Type::Integer ? left.toLongLong() : right.toLongLong();
        return money(exactMoney(units, factor));
    }
    const double a = toDouble(left), b = toDouble(right);
    switch (op) {
    case Arithmetic::Add:
        return money(Currency::fromDouble(a + b));
    case Arithmetic::Subtract:
        return money(Currency::fromDouble(a - b));
    case Arithmetic::Multiply:
        return money(Currency::fromDouble(a * b));
    default:
        return a / b;
    }
}

// Money against a whole number, exactly: the whole number may lie beyond the range of money.
std::strong_ordering compareMoneyWithWhole(qint64 units, qint64 whole)
{
    // 128 bits hold any 64-bit number times the scale.
    return __int128(units) <=> __int128(whole) * Currency::Scale;
}

bool holds(Comparison op, std::strong_ordering order)
{
    switch (op) {
    case Comparison::Equal:
        return order == 0;
    case Comparison::NotEqual:
        return order != 0;
    case Comparison::Less:
        return order < 0;
    case Comparison::Greater:
        return order > 0;
    case Comparison::LessOrEqual:
        return order <= 0;
    case Comparison::GreaterOrEqual:
        return order >= 0;
    }
    return false;
}

template <typename T> bool compareOrdered(Comparison op, const T &a, const T &b)
{
    switch (op) {
    case Comparison::Equal:
        return a == b;
    case Comparison::NotEqual:
        return a != b;
    case Comparison::Less:
        return a < b;
    case Comparison::Greater:
        return a > b;
    case Comparison::LessOrEqual:
        return a <= b;
    case Comparison::GreaterOrEqual:
        return a >= b;
    }
    return false;
}

} // namespace

Type typeOf(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return Type::Null;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return Type::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return Type::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return Type::Double;
    case QMetaType::QString:
        return Type::Text;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return Type::DateTime;
    default:
        if (value.typeId() == qMetaTypeId<Currency>())
            return Type::Currency;
        throw ReportError(
            QStringLiteral("不支持的数据类型 %1").arg(QString::fromLatin1(value.typeName())));
    }
}

QString toText(const QVariant &value)
{
    switch (typeOf(value)) {
    case Type::Null:
        return {};
    case Type::Boolean:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case Type::Currency:
        return value.value<Currency>().toString();
    case Type::DateTime: {
        const QDateTime dt = toDateTime(value);
        return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("yyyy-MM-dd"))
                                        : dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    default:
        return value.toString();
    }
}

bool toBoolean(const QVariant &value)
{
    if (typeOf(value) != Type::Boolean)
        throw ReportError(QStringLiteral("需要布尔值，得到的是“%1”").arg(toText(value)));
    return value.toBool();
}

qint64 toInteger(const QVariant &value)
{
    switch (typeOf(value)) {
    case Type::Integer:
    case Type::Boolean:
        return value.toLongLong();
    case Type::Double: {
        // Every double in [-2^63, 2^63) has a 64-bit value; NaN fails both tests.
        const double rounded = std::round(value.toDouble());
        if (rounded >= -0x1p63 && rounded < 0x1p63)
            return qint64(rounded);
        break;
    }
    case Type::Currency:
        return value.value<Currency>().roundedTo(0, Currency::Rounding::HalfAwayFromZero);
    case Type::Text: {
        bool ok = false;
        const qint64 number = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return number;
        break;
    }
    default:
        break;
    }
    throw ReportError(QStringLiteral("“%1”不是有效的整数").arg(toText(value)));
}

QDateTime toDateTime(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    throw ReportError(QStringLiteral("“%1”不是日期").arg(toText(value)));
}

QVariant arithmetic(Arithmetic op, const QVariant &left, const QVariant &right)
{
    const Type lt = typeOf(left), rt = typeOf(right);
    if (lt == Type::Null || rt == Type::Null)
        return {};
    if (lt == Type::DateTime && rt == Type::Integer &&
        (op == Arithmetic::Add || op == Arithmetic::Subtract)) {
        const auto outOfRange = [&] {
            return ReportError(QStringLiteral("日期运算超出范围：%1 %2 %3 天")
                                   .arg(toText(left), symbol(op), toText(right)));
        };
        qint64 days = right.toLongLong();
        if (op == Arithmetic::Subtract) {
            if (days == std::numeric_limits<qint64>::min())
                throw outOfRange();
            days = -days;
        }
        // Whole days move the date alone; the years stay those a date field holds.
        QDateTime moved = toDateTime(left);
        const QDate date = moved.date().addDays(days);
        if (!date.isValid() || date.year() < 1 || date.year() > 9999)
            throw outOfRange();
        moved.setDate(date);
        return moved;
    }
    if (!isNumber(lt) || !isNumber(rt))
        typeMismatch(left, right);
    const bool integerOnly = op == Arithmetic::IntegerDivide || op == Arithmetic::Modulo;
    if (integerOnly && (lt != Type::Integer || rt != Type::Integer))
        throw ReportError(QStringLiteral("div 与 mod 只用于整数"));
    if ((op == Arithmetic::Divide || integerOnly) && toDouble(right) == 0)
        throw ReportError(QStringLiteral("除数为零"));
    if (lt == Type::Currency || rt == Type::Currency)
        return currencyArithmetic(op, left, right);
    if (lt == Type::Integer && rt == Type::Integer)
        return integerArithmetic(op, left.toLongLong(), right.toLongLong());
    const double a = left.toDouble(), b = right.toDouble();
    switch (op) {
    case Arithmetic::Add:
        return a + b;
    case Arithmetic::Subtract:
        return a - b;
    case Arithmetic::Multiply:
        return a * b;
    default:
        return a / b;
    }
}

QVariant negate(const QVariant &value)
{
    switch (typeOf(value)) {
    case Type::Null:
        return {};
    case Type::Integer:
        if (value.toLongLong() == std::numeric_limits<qint64>::min())
            integerOverflow(QStringLiteral("-(%1)").arg(toText(value)));
        return -value.toLongLong();
    case Type::Double:
        return -value.toDouble();
    case Type::Currency: {
        const qint64 units = value.value<Currency>().units();
        if (units == std::numeric_limits<qint64>::min())
            currencyOverflow(QStringLiteral("-(%1)").arg(toText(value)));
        return QVariant::fromValue(Currency::fromUnits(-units));
    }
    default:
        throw ReportError(QStringLiteral("“%1”不是数").arg(toText(value)));
    }
}

QVariant concatenate(const QVariant &left, const QVariant &right)
{
    return QVariant(toText(left) + toText(right));
}

bool compare(Comparison op, const QVariant &left, const QVariant &right)
{
    const Type lt = typeOf(left), rt = typeOf(right);
    if (lt == Type::Null || rt == Type::Null) {
        const bool bothNull = lt == rt;
        if (op == Comparison::Equal)
            return bothNull;
        if (op == Comparison::NotEqual)
            return !bothNull;
        return false;
    }
    if (isNumber(lt) && isNumber(rt)) {
        if (lt == Type::Double || rt == Type::Double)
            return compareOrdered(op, toDouble(left), toDouble(right));
        if (lt == Type::Currency && rt == Type::Currency)
            return compareOrdered(op, left.value<Currency>().units(),
                                  right.value<Currency>().units());
        if (lt == Type::Currency)
            return holds(op,
                         compareMoneyWithWhole(left.value<Currency>().units(), right.toLongLong()));
        if (rt == Type::Currency)
            return holds(op, 0 <=> compareMoneyWithWhole(right.value<Currency>().units(),
                                                         left.toLongLong()));
        return compareOrdered(op, left.toLongLong(), right.toLongLong());
    }
    if (lt != rt)
        typeMismatch(left, right);
    switch (lt) {
    case Type::Text:
        return compareOrdered(op, left.toString(), right.toString());
    case Type::DateTime:
        return compareOrdered(op, toDateTime(left), toDateTime(right));
    default:
        return compareOrdered(op, int(left.toBool()), int(right.toBool()));
    }
}

} // namespace EngineValues

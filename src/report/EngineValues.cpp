#include "EngineValues.h"

#include "ReportError.h"
#include "store/Currency.h"

#include <QDateTime>
#include <cmath>
#include <limits>

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

Currency toCurrency(const QVariant &value)
{
    switch (typeOf(value)) {
    case Type::Currency:
        return value.value<Currency>();
    case Type::Integer:
        return Currency::fromUnits(value.toLongLong() * Currency::Scale);
    default:
        if (const auto c = Currency::fromDouble(value.toDouble()))
            return *c;
        throw ReportError(QStringLiteral("数值超出金额范围"));
    }
}

using Operation = bool (*)(qint64, qint64, qint64 *);

// The builtin's result only once it has been computed, overflow refused.
qint64 checked(Operation operation, qint64 a, qint64 b)
{
    qint64 result = 0;
    if (operation(a, b, &result))
        throw ReportError(QStringLiteral("整数运算溢出"));
    return result;
}

bool add(qint64 a, qint64 b, qint64 *r)
{
    return __builtin_add_overflow(a, b, r);
}
bool subtract(qint64 a, qint64 b, qint64 *r)
{
    return __builtin_sub_overflow(a, b, r);
}
bool multiply(qint64 a, qint64 b, qint64 *r)
{
    return __builtin_mul_overflow(a, b, r);
}

QVariant integerArithmetic(Arithmetic op, qint64 a, qint64 b)
{
    switch (op) {
    case Arithmetic::Add:
        return checked(add, a, b);
    case Arithmetic::Subtract:
        return checked(subtract, a, b);
    case Arithmetic::Multiply:
        return checked(multiply, a, b);
    case Arithmetic::IntegerDivide:
        return a / b;
    case Arithmetic::Modulo:
        return a % b;
    case Arithmetic::Divide:
        break;
    }
    return double(a) / double(b);
}

// Money stays exact where it can: sums, differences and multiples by whole numbers.
QVariant currencyArithmetic(Arithmetic op, const QVariant &left, const QVariant &right)
{
    const Type lt = typeOf(left), rt = typeOf(right);
    if (op == Arithmetic::Add || op == Arithmetic::Subtract) {
        if (lt != Type::Double && rt != Type::Double) {
            const qint64 a = toCurrency(left).units(), b = toCurrency(right).units();
            return QVariant::fromValue(
                Currency::fromUnits(checked(op == Arithmetic::Add ? add : subtract, a, b)));
        }
    } else if (op == Arithmetic::Multiply && (lt == Type::Integer || rt == Type::Integer)) {
        const qint64 units =
            lt == Type::Currency ? left.value<Currency>().units() : right.value<Currency>().units();
        const qint64 factor = lt == Type::Integer ? left.toLongLong() : right.toLongLong();
        return QVariant::fromValue(Currency::fromUnits(checked(multiply, units, factor)));
    }
    const double a = toDouble(left), b = toDouble(right);
    switch (op) {
    case Arithmetic::Add:
        return QVariant::fromValue(toCurrency(a + b));
    case Arithmetic::Subtract:
        return QVariant::fromValue(toCurrency(a - b));
    case Arithmetic::Multiply:
        return QVariant::fromValue(toCurrency(a * b));
    default:
        return a / b;
    }
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
    case Type::Double:
        return std::llround(value.toDouble());
    case Type::Currency: {
        const qint64 units = value.value<Currency>().units();
        const qint64 half = units < 0 ? -Currency::Scale / 2 : Currency::Scale / 2;
        return (units + half) / Currency::Scale;
    }
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
        (op == Arithmetic::Add || op == Arithmetic::Subtract))
        return toDateTime(left).addDays(op == Arithmetic::Add ? right.toLongLong()
                                                              : -right.toLongLong());
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
        return -value.toLongLong();
    case Type::Double:
        return -value.toDouble();
    case Type::Currency:
        return QVariant::fromValue(Currency::fromUnits(-value.value<Currency>().units()));
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
        if (lt == Type::Currency || rt == Type::Currency)
            return compareOrdered(op, toCurrency(left).units(), toCurrency(right).units());
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

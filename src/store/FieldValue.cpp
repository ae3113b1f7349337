#include "FieldValue.h"

#include "Currency.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace FieldValue {

QDateTime wallClock(const QDate &date, const QTime &time)
{
    return QDateTime(date, time, Qt::UTC);
}

namespace {

// A double as a whole number, when it is one that fits: casting any other double (NaN, an
// infinity, one beyond 64 bits) to an integer is undefined.
std::optional<qint64> wholeNumber(double d)
{
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (!std::isfinite(d) || d < -limit || d >= limit || d != std::trunc(d))
        return std::nullopt;
    return qint64(d);
}

// A double read from an integer column, rounded as the engine reads it; nothing when it
// lies beyond any whole number.
std::optional<qint64> roundedWhole(double d)
{
    return wholeNumber(std::round(d));
}

// The form the store writes, read without a regular expression: opening a table of many
// thousand records parses one of these per row.
std::optional<QDateTime> parseStoredForm(const QString &t)
{
    // A day alone, "2026-12-09", is that day at midnight.
    const bool dayOnly = t.size() == 10;
    if ((!dayOnly && t.size() != 19) || t[4] != u'-' || t[7] != u'-' ||
        (!dayOnly && (t[10] != u' ' || t[13] != u':' || t[16] != u':')))
        return std::nullopt;
    auto number = [&t](int from, int length, int *out) {
        int v = 0;
        for (int i = from; i < from + length; ++i) {
            const char16_t c = t[i].unicode();
            if (c < u'0' || c > u'9')
                return false;
            v = v * 10 + (c - u'0');
        }
        *out = v;
        return true;
    };
    int y, mo, d, h = 0, mi = 0, s = 0;
    if (!number(0, 4, &y) || !number(5, 2, &mo) || !number(8, 2, &d) ||
        (!dayOnly && (!number(11, 2, &h) || !number(14, 2, &mi) || !number(17, 2, &s))))
        return std::nullopt;
    const QDate date(y, mo, d);
    const QTime time(h, mi, s);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return wallClock(date, time);
}

// "2026-12-09 18:30:00", written digit by digit: an import stores one per row, and Qt's
// formatting by pattern costs more than the row's insert.
QString storedForm(const QDateTime &d)
{
    const QDate date = d.date();
    const QTime time = d.time();
    if (date.year() < 1 || date.year() > 9999 || !time.isValid())
        return d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    char16_t text[] = u"0000-00-00 00:00:00";
    auto put = [&text](int at, int length, int value) {
        for (int i = at + length - 1; i >= at; --i, value /= 10)
            text[i] = char16_t(u'0' + value % 10);
    };
    put(0, 4, date.year());
    put(5, 2, date.month());
    put(8, 2, date.day());
    put(11, 2, time.hour());
    put(14, 2, time.minute());
    put(17, 2, time.second());
    return QString(reinterpret_cast<const QChar *>(text), 19);
}

} // namespace

std::optional<QDateTime> parseDateTime(const QString &text)
{
    if (const auto stored = parseStoredForm(text))
        return stored;
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{4})[-/.年](\\d{1,2})[-/.月](\\d{1,2})日?"
                       "(?:[ T]+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2})(?:\\.\\d+)?)?)?\\s*$"));
    const auto m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return wallClock(date, time);
}

std::optional<QVariant> parse(const QString &text, FieldType type)
{
    if (type == FieldType::Text || type == FieldType::Memo || type == FieldType::Unknown)
        return QVariant(text);
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QVariant();
    bool ok = false;
    switch (type) {
    case FieldType::Counter:
    case FieldType::Integer: {
        const qint64 v = t.toLongLong(&ok);
        if (ok)
            return QVariant(v);
        return std::nullopt;
    }
    case FieldType::Float: {
        const double v = t.toDouble(&ok);
        if (ok && std::isfinite(v))
            return QVariant(v);
        return std::nullopt;
    }
    case FieldType::Currency: {
        QString digits = t;
        digits.remove(u'￥').remove(u'¥').remove(u',');
        if (const auto c = Currency::fromString(digits))
            return QVariant::fromValue(*c);
        return std::nullopt;
    }
    case FieldType::DateTime:
        if (const auto d = parseDateTime(t))
            return QVariant(*d);
        return std::nullopt;
    case FieldType::Bool: {
        const QString l = t.toLower();
        if (l == u"true" || l == u"yes" || l == u"是")
            return QVariant(true);
        if (l == u"false" || l == u"no" || l == u"否")
            return QVariant(false);
        const qint64 v = t.toLongLong(&ok);
        if (ok)
            return QVariant(v != 0);
        return std::nullopt;
    }
    case FieldType::Binary:
        return QVariant(text.toUtf8());
    default:
        return QVariant(text);
    }
}

QVariant fromText(const QString &text, FieldType type)
{
    return parse(text, type).value_or(QVariant());
}

std::optional<QVariant> coerce(const QVariant &value, FieldType type)
{
    if (value.isNull())
        return QVariant();
    const int id = value.metaType().id();
    switch (type) {
    case FieldType::Counter:
    case FieldType::Integer:
        if (id == QMetaType::Int || id == QMetaType::LongLong || id == QMetaType::UInt)
            return QVariant(value.toLongLong());
        if (id == QMetaType::Double) {
            if (const auto whole = wholeNumber(value.toDouble()))
                return QVariant(*whole);
            return std::nullopt;
        }
        break;
    case FieldType::Float:
        if (id == QMetaType::Double) {
            if (!std::isfinite(value.toDouble()))
                return std::nullopt;
            return value;
        }
        if (id == QMetaType::Int || id == QMetaType::LongLong)
            return QVariant(value.toDouble());
        if (value.canConvert<Currency>() && id == qMetaTypeId<Currency>())
            return QVariant(value.value<Currency>().toDouble());
        break;
    case FieldType::Currency:
        if (id == qMetaTypeId<Currency>())
            return value;
        if (id == QMetaType::Int || id == QMetaType::LongLong) {
            if (const auto c = Currency::fromWhole(value.toLongLong()))
                return QVariant::fromValue(*c);
            return std::nullopt;
        }
        if (id == QMetaType::Double) {
            if (const auto c = Currency::fromDouble(value.toDouble()))
                return QVariant::fromValue(*c);
            return std::nullopt;
        }
        break;
    case FieldType::DateTime:
        if (id == QMetaType::QDateTime) {
            const QDateTime d = value.toDateTime();
            return QVariant(wallClock(d.date(), d.time()));
        }
        if (id == QMetaType::QDate)
            return QVariant(wallClock(value.toDate()));
        break;
    case FieldType::Bool:
        if (id == QMetaType::Bool)
            return value;
        if (id == QMetaType::Int || id == QMetaType::LongLong)
            return QVariant(value.toLongLong() != 0);
        break;
    case FieldType::Binary:
        if (id == QMetaType::QByteArray)
            return value;
        break;
    case FieldType::Text:
    case FieldType::Memo:
    case FieldType::Unknown:
        if (id == QMetaType::QString)
            return value;
        return QVariant(toText(value, FieldType::Unknown));
    }
    if (id == QMetaType::QString)
        return parse(value.toString(), type);
    return std::nullopt;
}

QVariant fromStorage(const QVariant &stored, FieldType type)
{
    if (stored.isNull())
        return QVariant();
    const int id = stored.metaType().id();
    switch (type) {
    case FieldType::Counter:
    case FieldType::Integer:
        if (id == QMetaType::LongLong)
            return stored;
        if (id == QMetaType::Double) {
            if (const auto whole = roundedWhole(stored.toDouble()))
                return QVariant(*whole);
            return QVariant();
        }
        return QVariant(stored.toLongLong());
    case FieldType::Float:
        return id == QMetaType::Double ? stored : QVariant(stored.toDouble());
    case FieldType::Currency: {
        const auto c = id == QMetaType::QString ? Currency::fromString(stored.toString())
                                                : Currency::fromDouble(stored.toDouble());
        return c ? QVariant::fromValue(*c) : QVariant();
    }
    case FieldType::DateTime:
        if (const auto d = parseDateTime(stored.toString()))
            return QVariant(*d);
        return QVariant();
    case FieldType::Bool:
        if (id == QMetaType::Double)
            return QVariant(stored.toDouble() != 0);
        return QVariant(stored.toLongLong() != 0);
    case FieldType::Binary:
        return QVariant(stored.toByteArray());
    case FieldType::Text:
    case FieldType::Memo:
        return id == QMetaType::QString ? stored : QVariant(stored.toString());
    case FieldType::Unknown:
        return stored;
    }
    return stored;
}

QVariant toStorage(const QVariant &value, FieldType type)
{
    if (value.isNull())
        return QVariant();
    switch (type) {
    case FieldType::Currency:
        return QVariant(value.value<Currency>().toDouble());
    case FieldType::DateTime:
        return QVariant(storedForm(value.toDateTime()));
    case FieldType::Bool:
        return QVariant(value.toBool() ? 1 : 0);
    default:
        return value;
    }
}

bool storesExactly(const QVariant &value, FieldType type)
{
    if (type != FieldType::Currency || value.isNull())
        return true;
    const Currency amount = value.value<Currency>();
    return Currency::fromDouble(amount.toDouble()) == amount;
}

QString inexactMessage(const QString &column, const QVariant &value, FieldType type)
{
    return QStringLiteral(
               "栏目“%1”的金额“%2”位数太多，不能准确保存（整数和小数合计15位以内的金额都能保存）")
        .arg(column, toText(value, type));
}

QString toText(const QVariant &value, FieldType type)
{
    if (value.isNull())
        return QString();
    const int id = value.metaType().id();
    if (id == qMetaTypeId<Currency>())
        return value.value<Currency>().toString();
    if (id == QMetaType::QDateTime) {
        const QDateTime d = value.toDateTime();
        return d.time() == QTime(0, 0) ? d.toString(QStringLiteral("yyyy-MM-dd"))
                                       : d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    if (id == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (id == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    if (id == QMetaType::QByteArray && type == FieldType::Binary)
        return QStringLiteral("(二进制数据)");
    return value.toString();
}

int compare(const QVariant &a, const QVariant &b, FieldType type)
{
    auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    switch (type) {
    case FieldType::Counter:
    case FieldType::Integer:
        if (b.metaType().id() == QMetaType::Double)
            return sign(a.toDouble(), b.toDouble());
        return sign(a.toLongLong(), b.toLongLong());
    case FieldType::Float:
        return sign(a.toDouble(), b.toDouble());
    case FieldType::Currency:
        return sign(a.value<Currency>().units(), b.value<Currency>().units());
    case FieldType::DateTime:
        return sign(a.toDateTime(), b.toDateTime());
    case FieldType::Bool:
        // A set flag compares as -1, a cleared one as 0.
        return sign(a.toBool() ? -1 : 0, b.toBool() ? -1 : 0);
    default:
        return sign(QString::compare(toText(a, type), toText(b, type), Qt::CaseInsensitive), 0);
    }
}

} // namespace FieldValue

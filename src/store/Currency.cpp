#include "Currency.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

// The magnitude of the amount in ten-thousandths, from decimal digits with an optional
// point already stripped of sign and blanks; nothing when it is not such text or exceeds
// limit.
std::optional<quint64> unitsFromDigits(QStringView digits, quint64 limit)
{
    const qsizetype point = digits.indexOf(u'.');
    const QStringView whole = point < 0 ? digits : digits.left(point);
    const QStringView fraction = point < 0 ? QStringView() : digits.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    const auto isDigit = [](QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; };
    quint64 units = 0;
    const auto append = [&](QChar c) {
        const quint64 digit = c.unicode() - '0';
        if (units > (limit - digit) / 10)
            return false;
        units = units * 10 + digit;
        return true;
    };
    for (QChar c : whole)
        if (!isDigit(c) || !append(c))
            return std::nullopt;
    for (int i = 0; i < 4; ++i) {
        const QChar c = i < fraction.size() ? fraction[i] : u'0';
        if (!isDigit(c) || !append(c))
            return std::nullopt;
    }
    for (qsizetype i = 4; i < fraction.size(); ++i)
        if (!isDigit(fraction[i]))
            return std::nullopt;
    if (fraction.size() > 4 && fraction[4].unicode() >= '5') {
        if (units == limit)
            return std::nullopt;
        ++units; // half away from zero: the sign is applied afterwards
    }
    return units;
}

// The magnitude of an amount, with room for the smallest one.
quint64 magnitudeOf(qint64 units)
{
    return units < 0 ? 0 - quint64(units) : quint64(units);
}

} // namespace

std::optional<Currency> Currency::fromString(const QString &text)
{
    QStringView s = QStringView(text).trimmed();
    bool negative = false;
    if (!s.isEmpty() && (s.front() == u'-' || s.front() == u'+')) {
        negative = s.front() == u'-';
        s = s.mid(1);
    }
    // The negative side reaches one ten-thousandth further than the positive one.
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    const auto magnitude = unitsFromDigits(s, limit);
    if (!magnitude)
        return std::nullopt;
    // Two's complement wrap-around, defined for unsigned numbers and their conversion.
    return fromUnits(qint64(negative ? 0 - *magnitude : *magnitude));
}

double Currency::toDouble() const
{
    // Up to 2^53 units both numbers are exact and the one division rounds once; beyond, the
    // units would be rounded before the division, so the decimal text is read instead.
    constexpr qint64 exactUnits = qint64(1) << 53;
    if (m_units > -exactUnits && m_units < exactUnits)
        return double(m_units) / double(Scale);
    const QByteArray text = toString().toLatin1();
    double value = 0;
    std::from_chars(text.constData(), text.constData() + text.size(), value);
    return value;
}

std::optional<Currency> Currency::fromDouble(double value)
{
    // Well beyond the range, so that the text below stays short; the exact bound is the
    // text's own check.
    if (!std::isfinite(value) || std::fabs(value) >= 1e16)
        return std::nullopt;
    // Amounts read back from the store are four-decimal values already: when the scaled
    // value is that close to a whole number, no halfway case can arise.
    // Below 10^9 the scaled value is off by far less than 0.01, so the test is sound.
    const double scaled = value * Scale;
    const double nearest = std::nearbyint(scaled);
    if (std::fabs(scaled - nearest) < 0.01 && std::fabs(value) < 1e9)
        return fromUnits(qint64(nearest));
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return std::nullopt;
    return fromString(QString::fromLatin1(buffer, result.ptr - buffer));
}

QString Currency::toFixed(int decimals) const
{
    decimals = qBound(0, decimals, 4);
    quint64 magnitude = magnitudeOf(m_units);
    quint64 divisor = 1;
    for (int i = decimals; i < 4; ++i)
        divisor *= 10;
    magnitude = (magnitude + divisor / 2) / divisor;
    quint64 scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    QString text = QString::number(magnitude / scale);
    if (decimals > 0)
        text += u'.' + QString::number(magnitude % scale).rightJustified(decimals, u'0');
    if (m_units < 0 && magnitude != 0)
        text.prepend(u'-');
    return text;
}

QString Currency::toString() const
{
    QString text = toFixed(4);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text;
}

std::optional<Currency> Currency::fromWhole(qint64 yuan)
{
    if (yuan > std::numeric_limits<qint64>::max() / Scale ||
        yuan < std::numeric_limits<qint64>::min() / Scale)
        return std::nullopt;
    return fromUnits(yuan * Scale);
}

qint64 Currency::roundedTo(int decimals, Rounding rounding) const
{
    decimals = qBound(0, decimals, 4);
    quint64 divisor = 1;
    for (int i = decimals; i < 4; ++i)
        divisor *= 10;
    // Unsigned, so that the magnitude of the smallest amount has room.
    const quint64 magnitude = magnitudeOf(m_units);
    quint64 quotient = magnitude / divisor;
    const quint64 remainder = magnitude % divisor;
    if (divisor > 1) {
        const quint64 twice = remainder * 2;
        if (twice > divisor ||
            (twice == divisor && (rounding == Rounding::HalfAwayFromZero || quotient % 2 == 1)))
            ++quotient;
    }
    return qint64(m_units < 0 ? 0 - quotient : quotient);
}

QString Currency::toGeneralString(int significantDigits) const
{
    significantDigits = qBound(1, significantDigits, 19);
    quint64 magnitude = magnitudeOf(m_units);
    // Round the integer count of ten-thousandths at the wanted digit; exact, since the
    // amount is decimal already.
    int digits = 0;
    for (quint64 rest = magnitude; rest != 0; rest /= 10)
        ++digits;
    if (digits > significantDigits) {
        quint64 divisor = 1;
        for (int i = significantDigits; i < digits; ++i)
            divisor *= 10;
        quint64 kept = magnitude / divisor;
        if ((magnitude % divisor) * 2 >= divisor)
            ++kept;
        magnitude = kept * divisor; // at most 10^19, within an unsigned 64-bit number
    }
    QString text = QString::number(magnitude / quint64(Scale));
    QString fraction = QString::number(magnitude % quint64(Scale)).rightJustified(4, u'0');
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    if (!fraction.isEmpty())
        text += u'.' + fraction;
    if (m_units < 0)
        text.prepend(u'-');
    return text;
}

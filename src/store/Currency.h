#pragma once

#include <QMetaType>
#include <QString>
#include <QtGlobal>
#include <optional>

// An exact money amount: a signed 64-bit count of ten-thousandths, so sums over any
// number of rows never drift the way binary floating point does.
class Currency {
public:
    static constexpr qint64 Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromUnits(qint64 units)
    {
        Currency c;
        c.m_units = units;
        return c;
    }
    // Rounded half away from zero to four decimals, judged on the shortest decimal text
    // that reads back as the same double (so 1.00005 rounds up as written).
    static std::optional<Currency> fromDouble(double value);
    // Plain decimal text: optional sign, digits, optional point and digits, surrounding
    // blanks allowed. Rounded half away from zero to four decimals.
    static std::optional<Currency> fromString(const QString &text);
    // A whole number of yuan; nothing when it lies outside the range of the type.
    static std::optional<Currency> fromWhole(qint64 yuan);

    constexpr qint64 units() const { return m_units; }
    // The nearest double to the amount, so that fromDouble gives the same amount back
    // wherever a double can tell it from its neighbours.
    double toDouble() const;
    // Shortest plain decimal text: "1234.5", "-0.0001", "0".
    QString toString() const;
    // Fixed number of decimals, rounded half away from zero: toFixed(2) of 1234.5 is "1234.50".
    QString toFixed(int decimals) const;
    // The "general format": at most significantDigits (1 to 19) significant digits, the
    // last rounded half away from zero, never an exponent, no trailing zeros after the
    // point and no point for whole amounts: "1.5", "100", "0.05", "-12.3". With 15 digits,
    // 123456789012.3456 gives "123456789012.346". This is the text rmbToBIG starts from.
    QString toGeneralString(int significantDigits = 15) const;

    enum class Rounding { HalfAwayFromZero, HalfToEven };
    // The amount as a whole count of 10^-decimals (decimals 0 to 4): roundedTo(2, HalfToEven)
    // is the amount in fen with ties to the even fen (0.125 gives 12, 0.135 gives 14),
    // roundedTo(0, ...) the amount in whole yuan. The magnitude is rounded and the sign kept.
    qint64 roundedTo(int decimals, Rounding rounding) const;

    friend constexpr bool operator==(Currency a, Currency b) { return a.m_units == b.m_units; }
    friend constexpr auto operator<=>(Currency a, Currency b) { return a.m_units <=> b.m_units; }
    constexpr Currency &operator+=(Currency other)
    {
        m_units += other.m_units;
        return *this;
    }
    friend constexpr Currency operator+(Currency a, Currency b) { return a += b; }
    friend constexpr Currency operator-(Currency a, Currency b)
    {
        return fromUnits(a.m_units - b.m_units);
    }

private:
    qint64 m_units = 0;
};

Q_DECLARE_METATYPE(Currency)

#include "store/Currency.h"

#include <QTest>
#include <limits>

// The exact money type: conversions in, text forms out, and the rounding rules that the
// Chinese amount forms rely on.
class TestCurrency : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fromString_data();
    void fromString();
    void fromDouble_data();
    void fromDouble();
    void fromWhole();
    void throughDouble_data();
    void throughDouble();
    void toStringAndFixed_data();
    void toStringAndFixed();
    void roundedTo_data();
    void roundedTo();
    void generalString_data();
    void generalString();
    void variant();
};

void TestCurrency::fromString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("units");
    QTest::newRow("plain") << "1.5" << true << qint64(15000);
    QTest::newRow("blanks and sign") << "  -12.3 " << true << qint64(-123000);
    QTest::newRow("plus") << "+7" << true << qint64(70000);
    QTest::newRow("half up at the fifth decimal") << "1.00005" << true << qint64(10001);
    QTest::newRow("half away from zero") << "-1.00005" << true << qint64(-10001);
    QTest::newRow("below half") << "1.00004999" << true << qint64(10000);
    QTest::newRow("point first") << ".5" << true << qint64(5000);
    QTest::newRow("point last") << "5." << true << qint64(50000);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("letters") << "abc" << false << qint64(0);
    QTest::newRow("two points") << "1.2.3" << false << qint64(0);
    QTest::newRow("too large") << "99999999999999999999" << false << qint64(0);
    // The range is that of a signed 64-bit count of ten-thousandths:
    // -9223372036854775808 .. 9223372036854775807.
    const qint64 max = std::numeric_limits<qint64>::max();
    const qint64 min = std::numeric_limits<qint64>::min();
    QTest::newRow("largest") << "922337203685477.5807" << true << max;
    QTest::newRow("one past the largest") << "922337203685477.5808" << false << qint64(0);
    QTest::newRow("near the top") << "922337203685477.5710" << true << qint64(9223372036854775710);
    QTest::newRow("rounds down onto the largest") << "922337203685477.58074" << true << max;
    QTest::newRow("rounds up past the largest") << "922337203685477.58075" << false << qint64(0);
    QTest::newRow("smallest") << "-922337203685477.5808" << true << min;
    QTest::newRow("one below the smallest") << "-922337203685477.5809" << false << qint64(0);
    QTest::newRow("rounds onto the smallest") << "-922337203685477.58075" << true << min;
    QTest::newRow("near the bottom")
        << "-922337203685477.5800" << true << qint64(-9223372036854775800);
    QTest::newRow("a digit too many") << "9223372036854775.807" << false << qint64(0);
}

void TestCurrency::fromString()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, units);
    const auto c = Currency::fromString(text);
    QCOMPARE(c.has_value(), valid);
    if (valid)
        QCOMPARE(c->units(), units);
}

void TestCurrency::fromDouble_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("units");
    QTest::newRow("1.5") << 1.5 << true << qint64(15000);
    QTest::newRow("as written, 1.00005") << 1.00005 << true << qint64(10001);
    QTest::newRow("0.125") << 0.125 << true << qint64(1250);
    QTest::newRow("-2.00005") << -2.00005 << true << qint64(-20001);
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << false << qint64(0);
    QTest::newRow("1e15") << 1e15 << false << qint64(0);
    QTest::newRow("9e14") << 9e14 << true << qint64(9000000000000000000);
    QTest::newRow("-9e14") << -9e14 << true << qint64(-9000000000000000000);
    // Near 9.2e14 doubles lie 0.125 apart: 922337203685477.5 is the last that fits, the next
    // one (…477.625, shortest text …477.6) lies past 922337203685477.5807.
    QTest::newRow("last double that fits")
        << 922337203685477.5 << true << qint64(9223372036854775000);
    QTest::newRow("first double past the top") << 922337203685477.625 << false << qint64(0);
    QTest::newRow("last negative double that fits")
        << -922337203685477.5 << true << qint64(-9223372036854775000);
    QTest::newRow("first double past the bottom") << -922337203685477.625 << false << qint64(0);
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << qint64(0);
    QTest::newRow("largest double") << std::numeric_limits<double>::max() << false << qint64(0);
}

void TestCurrency::fromDouble()
{
    QFETCH(double, value);
    QFETCH(bool, valid);
    QFETCH(qint64, units);
    const auto c = Currency::fromDouble(value);
    QCOMPARE(c.has_value(), valid);
    if (valid)
        QCOMPARE(c->units(), units);
}

// An amount sent through the nearest double comes back the same wherever a double tells
// it from its neighbours: below 2^53 ten-thousandths always, and at 999999999999.9999
// (spacing 2^-14 there, under half a ten-thousandth) too.
void TestCurrency::throughDouble_data()
{
    QTest::addColumn<QString>("amount");
    QTest::newRow("cent") << "0.01";
    QTest::newRow("just under 2^53 units") << "900719925474.0991";
    QTest::newRow("twelve nines and four") << "999999999999.9999";
    QTest::newRow("negative") << "-999999999999.9999";
}

void TestCurrency::throughDouble()
{
    QFETCH(QString, amount);
    const auto c = Currency::fromString(amount);
    QVERIFY(c);
    QCOMPARE(Currency::fromDouble(c->toDouble()), c);
}

void TestCurrency::fromWhole()
{
    QCOMPARE(Currency::fromWhole(10)->units(), qint64(100000));
    QCOMPARE(Currency::fromWhole(-3)->units(), qint64(-30000));
    QVERIFY(!Currency::fromWhole(std::numeric_limits<qint64>::max() / 1000).has_value());
    QVERIFY(!Currency::fromWhole(std::numeric_limits<qint64>::min() / 1000).has_value());
}

void TestCurrency::toStringAndFixed_data()
{
    QTest::addColumn<qint64>("units");
    QTest::addColumn<QString>("shortest");
    QTest::addColumn<QString>("twoDecimals");
    QTest::newRow("1234.5") << qint64(12345000) << "1234.5"
                            << "1234.50";
    QTest::newRow("zero") << qint64(0) << "0"
                          << "0.00";
    QTest::newRow("smallest negative") << qint64(-1) << "-0.0001"
                                       << "0.00";
    QTest::newRow("half away from zero") << qint64(-12350) << "-1.235"
                                         << "-1.24";
    QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "922337203685477.5807"
                             << "922337203685477.58";
    QTest::newRow("smallest") << std::numeric_limits<qint64>::min() << "-922337203685477.5808"
                              << "-922337203685477.58";
}

void TestCurrency::toStringAndFixed()
{
    QFETCH(qint64, units);
    QFETCH(QString, shortest);
    QFETCH(QString, twoDecimals);
    QCOMPARE(Currency::fromUnits(units).toString(), shortest);
    QCOMPARE(Currency::fromUnits(units).toFixed(2), twoDecimals);
}

void TestCurrency::roundedTo_data()
{
    QTest::addColumn<qint64>("units");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("toEven");
    QTest::addColumn<qint64>("expected");
    const qint64 min = std::numeric_limits<qint64>::min();
    const qint64 max = std::numeric_limits<qint64>::max();
    QTest::newRow("12.5 fen to even") << qint64(1250) << 2 << true << qint64(12);
    QTest::newRow("13.5 fen to even") << qint64(1350) << 2 << true << qint64(14);
    QTest::newRow("10.5 fen to even") << qint64(1050) << 2 << true << qint64(10);
    QTest::newRow("120.1 fen") << qint64(12010) << 2 << true << qint64(120);
    QTest::newRow("above the tie") << qint64(1251) << 2 << true << qint64(13);
    QTest::newRow("negative tie") << qint64(-1250) << 2 << true << qint64(-12);
    QTest::newRow("2.5 yuan to even") << qint64(25000) << 0 << true << qint64(2);
    QTest::newRow("3.5 yuan to even") << qint64(35000) << 0 << true << qint64(4);
    QTest::newRow("99999.5 yuan to even") << qint64(999995000) << 0 << true << qint64(100000);
    QTest::newRow("2.5 away from zero") << qint64(25000) << 0 << false << qint64(3);
    QTest::newRow("-2.5 away from zero") << qint64(-25000) << 0 << false << qint64(-3);
    QTest::newRow("four decimals") << qint64(-12345) << 4 << true << qint64(-12345);
    QTest::newRow("largest in fen") << max << 2 << true << qint64(92233720368547758);
    QTest::newRow("smallest in yuan") << min << 0 << true << qint64(-922337203685478);
}

void TestCurrency::roundedTo()
{
    QFETCH(qint64, units);
    QFETCH(int, decimals);
    QFETCH(bool, toEven);
    QFETCH(qint64, expected);
    const auto mode =
        toEven ? Currency::Rounding::HalfToEven : Currency::Rounding::HalfAwayFromZero;
    QCOMPARE(Currency::fromUnits(units).roundedTo(decimals, mode), expected);
}

void TestCurrency::generalString_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1.5") << "1.5" << 15 << "1.5";
    QTest::newRow("100") << "100" << 15 << "100";
    QTest::newRow("0.05") << "0.05" << 15 << "0.05";
    QTest::newRow("-12.3") << "-12.3" << 15 << "-12.3";
    QTest::newRow("zero") << "0" << 15 << "0";
    QTest::newRow("smallest") << "0.0001" << 15 << "0.0001";
    QTest::newRow("exactly 15 digits") << "12345678901234.5" << 15 << "12345678901234.5";
    QTest::newRow("16 digits rounded") << "123456789012.3456" << 15 << "123456789012.346";
    QTest::newRow("16 digits, half away from zero")
        << "-123456789012.3455" << 15 << "-123456789012.346";
    QTest::newRow("16 digits, below half") << "123456789012.3454" << 15 << "123456789012.345";
    QTest::newRow("rounding carries to a new digit")
        << "999999999999.9999" << 15 << "1000000000000";
    QTest::newRow("trailing zeros after rounding") << "100000000000.0004" << 15 << "100000000000";
    QTest::newRow("three digits, no exponent") << "1234.5" << 3 << "1230";
}

void TestCurrency::generalString()
{
    QFETCH(QString, amount);
    QFETCH(int, digits);
    QFETCH(QString, expected);
    QCOMPARE(Currency::fromString(amount)->toGeneralString(digits), expected);
}

void TestCurrency::variant()
{
    const QVariant v = QVariant::fromValue(Currency::fromUnits(15000));
    QCOMPARE(v.metaType(), QMetaType::fromType<Currency>());
    QCOMPARE(v.value<Currency>(), Currency::fromUnits(15000));
    // The extremes have room in the text forms.
    QCOMPARE(Currency::fromUnits(std::numeric_limits<qint64>::max()).toGeneralString(),
             QStringLiteral("922337203685478"));
    QCOMPARE(Currency::fromUnits(std::numeric_limits<qint64>::min()).toGeneralString(),
             QStringLiteral("-922337203685478"));
}

QTEST_APPLESS_MAIN(TestCurrency)
#include "tst_currency.moc"

#include "printing/ChineseAmount.h"
#include "printing/ReportFunctionError.h"

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>
#include <limits>
#include <optional>

// The worked examples and edge cases as table rows; the box forms' refusals; and
// rmbToBIG on a few thousand generated amounts, checked against rules stated here on their
// own, not taken from the code.
class TestChineseAmount : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rmbToBIG_data();
    void rmbToBIG();
    void boxes_data();
    void boxes();
    void boxesExactFormat();
    void boxesRefuse_data();
    void boxesRefuse();
    void generatedAmounts();
};

namespace {

// "max" is the largest amount of the type, 922337203685477.5807 (Currency::fromString keeps
// a margin below it).
Currency amount(const QString &text)
{
    if (text == u"max")
        return Currency::fromUnits(std::numeric_limits<qint64>::max());
    const auto c = Currency::fromString(text);
    if (!c)
        qFatal("bad amount in a test row: %s", qPrintable(text));
    return *c;
}

// "零零零壹" -> " 零 零 零 壹": one space before each numeral.
QString spaced(const QString &numerals)
{
    QString text;
    for (QChar c : numerals)
        text += u' ' + QString(c);
    return text;
}

} // namespace

void TestChineseAmount::rmbToBIG_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("expected");
    // Worked examples.
    QTest::newRow("0") << "0"
                       << "零整";
    QTest::newRow("0.05") << "0.05"
                          << "零角伍分";
    QTest::newRow("0.5") << "0.5"
                         << "伍角整";
    QTest::newRow("1") << "1"
                       << "壹元整";
    QTest::newRow("1.05") << "1.05"
                          << "壹元零角伍分";
    QTest::newRow("1.5") << "1.5"
                         << "壹元伍角整";
    QTest::newRow("10") << "10"
                        << "壹拾元整";
    QTest::newRow("1005") << "1005"
                          << "壹仟零伍元整";
    QTest::newRow("1010") << "1010"
                          << "壹仟零壹拾元整";
    QTest::newRow("3050.7") << "3050.7"
                            << "叁仟零伍拾元柒角整";
    QTest::newRow("10001") << "10001"
                           << "壹万零壹元整";
    QTest::newRow("101000") << "101000"
                            << "壹拾万壹仟元整";
    QTest::newRow("1000100") << "1000100"
                             << "壹佰万零壹佰元整";
    QTest::newRow("100000001") << "100000001"
                               << "壹亿零壹元整";
    QTest::newRow("100010000") << "100010000"
                               << "壹亿零壹万元整";
    QTest::newRow("120000005") << "120000005"
                               << "壹亿贰仟万零伍元整";
    QTest::newRow("123456789.12") << "123456789.12"
                                  << "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元壹角贰分";
    QTest::newRow("1000000000000") << "1000000000000"
                                   << "壹兆元整";
    QTest::newRow("1.201") << "1.201"
                           << "壹元贰角零分壹厘整";
    QTest::newRow("1.2305") << "1.2305"
                            << "壹元贰角叁分零厘伍";
    QTest::newRow("-1.5") << "-1.5"
                          << "负壹元伍角整";
    QTest::newRow("-1.55") << "-1.55"
                           << "负壹元伍角伍分";
    // Edge cases.
    QTest::newRow("tie to even fen, 0.105") << "0.105"
                                            << "壹角零分伍厘整";
    QTest::newRow("tie to even fen, 0.125") << "0.125"
                                            << "壹角贰分伍厘";
    QTest::newRow("trailing zero groups, 100000000") << "100000000"
                                                     << "壹亿元整";
    QTest::newRow("trailing zeros, 10000") << "10000"
                                           << "壹万元整";
    QTest::newRow("more than 15 digits")
        << "123456789012.3456"
        << "壹仟贰佰叁拾肆亿伍仟陆佰柒拾捌万玖仟零壹拾贰元叁角肆分陆厘";
    QTest::newRow("15 digits round up to a new digit") << "999999999999.9999"
                                                       << "壹兆元整";
    // Written from its 15-digit form, but 整 judged on the amount itself (…758.07 fen).
    QTest::newRow("largest amount, 922337203685477.5807")
        << "max"
        << "玖佰贰拾贰兆叁仟叁佰柒拾贰亿零叁佰陆拾捌万伍仟肆佰柒拾捌元";
    QTest::newRow("smallest step") << "0.0001"
                                   << "零角零分零厘壹整";
    QTest::newRow("negative smallest step") << "-0.0001"
                                            << "负零角零分零厘壹整";
    QTest::newRow("whole group of zeros between") << "1000000001000"
                                                  << "壹兆零壹仟元整";
    QTest::newRow("zero at a group's units place") << "1010000000"
                                                   << "壹拾亿壹仟万元整";
    QTest::newRow("zeros across a group border") << "100100"
                                                 << "壹拾万零壹佰元整";
    QTest::newRow("tens of a group after zeros") << "1000000010"
                                                 << "壹拾亿零壹拾元整";
    QTest::newRow("no fen, no 角 written") << "7.0"
                                           << "柒元整";
    QTest::newRow("12 yuan 3 li") << "12.003"
                                  << "壹拾贰元零角零分叁厘整";
}

void TestChineseAmount::rmbToBIG()
{
    QFETCH(QString, amount);
    QFETCH(QString, expected);
    QCOMPARE(::rmbToBIG(::amount(amount)), expected);
}

void TestChineseAmount::boxes_data()
{
    QTest::addColumn<bool>("round");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<int>("len");
    QTest::addColumn<QString>("numerals");
    // Worked examples.
    QTest::newRow("Fill 123.45, 8") << false << "123.45" << 8 << "零零零壹贰叁肆伍";
    QTest::newRow("Fill 123.45, 10") << false << "123.45" << 10 << "零零零零零壹贰叁肆伍";
    QTest::newRow("Fill 123.45, 3 as 8") << false << "123.45" << 3 << "零零零壹贰叁肆伍";
    QTest::newRow("Fill 0.125, ties to even") << false << "0.125" << 8 << "零零零零零零壹贰";
    QTest::newRow("Fill 0.135, ties to even") << false << "0.135" << 8 << "零零零零零零壹肆";
    QTest::newRow("Round 123.45, 5") << true << "123.45" << 5 << "零零壹贰叁";
    QTest::newRow("Round 2.5, ties to even") << true << "2.5" << 5 << "零零零零贰";
    QTest::newRow("Round 3.5, ties to even") << true << "3.5" << 5 << "零零零零肆";
    // Edge cases.
    QTest::newRow("Fill zero") << false << "0" << 8 << "零零零零零零零零";
    QTest::newRow("Round zero") << true << "0" << 5 << "零零零零零";
    QTest::newRow("Fill len 0 as 8") << false << "1" << 0 << "零零零零零壹零零";
    QTest::newRow("Fill negative len as 8") << false << "1" << -4 << "零零零零零壹零零";
    QTest::newRow("Round len 3 as 5") << true << "7" << 3 << "零零零零柒";
    QTest::newRow("Fill exactly as many digits as boxes")
        << false << "123456.78" << 8 << "壹贰叁肆伍陆柒捌";
    QTest::newRow("Fill 1234567.89 fits 9 boxes")
        << false << "1234567.89" << 9 << "壹贰叁肆伍陆柒捌玖";
    QTest::newRow("Round 99999.5 fits 6 boxes") << true << "99999.5" << 6 << "壹零零零零零";
    QTest::newRow("Round 99999.4 fits 5 boxes") << true << "99999.4" << 5 << "玖玖玖玖玖";
    QTest::newRow("Fill rounds below half down") << false << "0.0049" << 8 << "零零零零零零零零";
    QTest::newRow("Fill the largest amount")
        << false << "max" << 17 << "玖贰贰叁叁柒贰零叁陆捌伍肆柒柒伍捌";
}

void TestChineseAmount::boxes()
{
    QFETCH(bool, round);
    QFETCH(QString, amount);
    QFETCH(int, len);
    QFETCH(QString, numerals);
    const Currency value = ::amount(amount);
    QCOMPARE(round ? rmbToBIG4Round(value, len) : rmbToBIG4Fill(value, len), spaced(numerals));
}

void TestChineseAmount::boxesExactFormat()
{
    // Spelled out once: n spaces and n numerals, a space first.
    QCOMPARE(rmbToBIG4Fill(amount("123.45"), 8), QStringLiteral(" 零 零 零 壹 贰 叁 肆 伍"));
    QCOMPARE(rmbToBIG4Round(amount("123.45"), 5), QStringLiteral(" 零 零 壹 贰 叁"));
}

void TestChineseAmount::boxesRefuse_data()
{
    QTest::addColumn<bool>("round");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<int>("len");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("Fill negative") << false << "-1.5" << 8 << "负数";
    QTest::newRow("Fill tiny negative") << false << "-0.0001" << 8 << "负数";
    QTest::newRow("Round negative") << true << "-123" << 5 << "负数";
    QTest::newRow("Fill 1234567.89 in 8 boxes") << false << "1234567.89" << 8 << "格子";
    QTest::newRow("Fill too many digits, len below minimum") << false << "1000000" << 3 << "格子";
    QTest::newRow("Round 99999.5 in 5 boxes") << true << "99999.5" << 5 << "格子";
    QTest::newRow("Round 123456 in 5 boxes") << true << "123456" << 5 << "格子";
    QTest::newRow("absurd len") << false << "1" << MaxAmountBoxes + 1 << "格子数";
}

void TestChineseAmount::boxesRefuse()
{
    QFETCH(bool, round);
    QFETCH(QString, amount);
    QFETCH(int, len);
    QFETCH(QString, mentions);
    const Currency value = ::amount(amount);
    try {
        round ? rmbToBIG4Round(value, len) : rmbToBIG4Fill(value, len);
        QFAIL("no error raised");
    } catch (const ReportFunctionError &e) {
        QVERIFY2(e.message().contains(mentions), qPrintable(e.message()));
        QVERIFY(e.message().startsWith(round ? u"rmbToBIG4Round" : u"rmbToBIG4Fill"));
        QVERIFY(e.message().contains(amount));
        QCOMPARE(QString::fromStdString(e.what()), e.message());
    }
}

namespace {

// The rules, stated on their own.

int numeralValue(QChar c)
{
    return QStringLiteral("零壹贰叁肆伍陆柒捌玖").indexOf(c);
}

// Reads a whole amount in words back, strictly: place units 拾佰仟 fall within a section,
// section units 万亿兆 fall from left to right, every non-zero numeral is followed by a
// unit or closes a section, 零 stands only between numerals. Nothing on any violation.
std::optional<quint64> readWhole(const QString &text)
{
    quint64 total = 0;
    quint64 section = 0;
    int pending = -1;    // a numeral not yet given a unit
    int lastPlace = 4;   // 拾 1, 佰 2, 仟 3: must fall within a section
    quint64 lastBig = 0; // 0: no section unit yet
    for (QChar c : text) {
        const int digit = numeralValue(c);
        const int place = QStringLiteral("_拾佰仟").indexOf(c);
        const int big = QStringLiteral("_万亿兆").indexOf(c);
        if (digit == 0) {
            if (pending != -1)
                return std::nullopt;
        } else if (digit > 0) {
            if (pending != -1)
                return std::nullopt;
            pending = digit;
        } else if (place > 0) {
            if (pending == -1 || place >= lastPlace)
                return std::nullopt;
            quint64 weight = 1;
            for (int i = 0; i < place; ++i)
                weight *= 10;
            section += quint64(pending) * weight;
            pending = -1;
            lastPlace = place;
        } else if (big > 0) {
            quint64 weight = 1;
            for (int i = 0; i < big; ++i)
                weight *= 10000;
            if ((lastBig != 0 && weight >= lastBig) || (section == 0 && pending == -1))
                return std::nullopt;
            total += (section + quint64(qMax(pending, 0))) * weight;
            section = 0;
            pending = -1;
            lastPlace = 4;
            lastBig = weight;
        } else {
            return std::nullopt;
        }
    }
    return total + section + quint64(qMax(pending, 0));
}

// How many 零 the whole part needs: one for each run of zero digits between two non-zero
// digits, unless the run lies at the units end of a group of four without filling a group
// (101000 is 壹拾万壹仟, but 100100 is 壹拾万零壹佰 and 1000000001000 is 壹兆零壹仟).
int zerosNeeded(const QString &whole)
{
    int needed = 0;
    QString digits = whole; // units first
    std::reverse(digits.begin(), digits.end());
    qsizetype p = 0;
    while (p < digits.size() && digits[p] == u'0')
        ++p;
    while (p < digits.size()) {
        while (p < digits.size() && digits[p] != u'0')
            ++p;
        const qsizetype low = p;
        while (p < digits.size() && digits[p] == u'0')
            ++p;
        if (p == digits.size() || low == p)
            break; // no zeros, or leading zeros (none in a whole number's text)
        const qsizetype high = p - 1;
        const bool fillsGroup = (low + 3) / 4 * 4 + 3 <= high;
        if (low % 4 != 0 || fillsGroup)
            ++needed;
    }
    return needed;
}

} // namespace

void TestChineseAmount::generatedAmounts()
{
    QRandomGenerator random(20261209);
    const QString decimalUnits = QStringLiteral("角分厘");
    for (int i = 0; i < 5000; ++i) {
        // Amounts with many zeros, up to 15 whole digits and 4 decimals.
        auto digit = [&random](bool nonZero) {
            const bool zero = !nonZero && random.bounded(10) < 5;
            return QChar(u'0' + (zero ? 0 : 1 + random.bounded(9)));
        };
        const int wholeDigits = random.bounded(16);
        QString whole;
        for (int k = 0; k < wholeDigits; ++k)
            whole += digit(k == 0);
        if (whole.size() == 15 && whole[0] == u'9')
            whole[0] = u'8'; // within the type's range
        if (whole.isEmpty())
            whole = QStringLiteral("0");
        QString decimals;
        for (int k = random.bounded(5); k > 0; --k)
            decimals += digit(false);
        const bool negative =
            random.bounded(5) == 0 && (whole != u"0" || decimals.count(u'0') != decimals.size());
        const QString written = (negative ? QStringLiteral("-") : QString()) + whole +
                                (decimals.isEmpty() ? QString() : u'.' + decimals);
        const Currency value = amount(written);
        const QString text = ::rmbToBIG(value);
        const QByteArray tag = (written + u' ' + text).toUtf8();

        // What the text must read back as: the amount, rounded half away from zero to 15
        // significant digits when it has more.
        quint64 units = quint64(value.units() < 0 ? -value.units() : value.units());
        int significant = QString::number(units).size();
        if (units != 0 && significant > 15) {
            quint64 drop = 1;
            for (; significant > 15; --significant)
                drop *= 10;
            units = (units + drop / 2) / drop * drop;
        }
        const QString expectedWhole = QString::number(units / 10000);
        QString expectedDecimals = QString::number(units % 10000).rightJustified(4, u'0');
        while (expectedDecimals.endsWith(u'0'))
            expectedDecimals.chop(1);

        QString rest = text;
        // Sign.
        QVERIFY2(rest.startsWith(u'负') == negative, tag.constData());
        if (negative)
            rest.remove(0, 1);
        QVERIFY2(!rest.contains(u'负'), tag.constData());
        // 整 exactly when the amount in fen, ties to the even fen, ends in 0.
        const qint64 u = value.units() < 0 ? -value.units() : value.units();
        qint64 fen = u / 100;
        if (u % 100 > 50 || (u % 100 == 50 && fen % 2 == 1))
            ++fen;
        QVERIFY2(rest.endsWith(u'整') == (fen % 10 == 0), tag.constData());
        if (rest.endsWith(u'整'))
            rest.chop(1);
        QVERIFY2(!rest.contains(u'整'), tag.constData());

        if (units == 0) {
            QVERIFY2(rest == QStringLiteral("零"), tag.constData());
            continue;
        }
        // 元 once when there are whole yuan, else never.
        QString wholeText, decimalText;
        if (expectedWhole != u"0") {
            QVERIFY2(rest.count(u'元') == 1, tag.constData());
            wholeText = rest.section(u'元', 0, 0);
            decimalText = rest.section(u'元', 1);
        } else {
            QVERIFY2(!rest.contains(u'元'), tag.constData());
            decimalText = rest;
        }
        // Decimals: each digit written, zeros too, followed by 角, 分, 厘 and nothing.
        QString readDecimals;
        for (qsizetype k = 0; k < decimalText.size(); ++k) {
            const int position = int(readDecimals.size());
            QVERIFY2(numeralValue(decimalText[k]) >= 0, tag.constData());
            readDecimals += QChar(u'0' + numeralValue(decimalText[k]));
            if (position < 3) {
                QVERIFY2(k + 1 < decimalText.size() && decimalText[k + 1] == decimalUnits[position],
                         tag.constData());
                ++k;
            }
        }
        QVERIFY2(readDecimals == expectedDecimals, tag.constData());
        // Whole part: reads back as the amount, with as many 零 as the zero runs need,
        // never two together, never at either end.
        if (expectedWhole != u"0") {
            const auto read = readWhole(wholeText);
            QVERIFY2(read.has_value(), tag.constData());
            QVERIFY2(QString::number(*read) == expectedWhole, tag.constData());
            QVERIFY2(wholeText.count(u'零') == zerosNeeded(expectedWhole), tag.constData());
            QVERIFY2(!wholeText.contains(QStringLiteral("零零")), tag.constData());
            QVERIFY2(!wholeText.startsWith(u'零') && !wholeText.endsWith(u'零'), tag.constData());
        }
    }
}

QTEST_APPLESS_MAIN(TestChineseAmount)
#include "tst_chineseamount.moc"

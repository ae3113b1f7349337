#include "printing/ChineseDate.h"

#include <QRegularExpression>
#include <QTest>

// The worked examples and edge cases as table rows, and structural rules checked
// on every calendar day from 1900-01-01 to 2100-12-31.
class TestChineseDate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dateForms_data();
    void dateForms();
    void timeOfDayIgnored();
    void ordinaryZeroIsWhiteCircle();
    void excludeYMD_data();
    void excludeYMD();
    void invalidDate();
    void everyDay();
};

void TestChineseDate::dateForms_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("hz");
    QTest::addColumn<QString>("hz2");
    // Worked examples.
    QTest::newRow("5 January 2009") << QDate(2009, 1, 5) << "二○○九年一月五日"
                                    << "贰零零玖年零壹月零伍日";
    QTest::newRow("10 October 2009") << QDate(2009, 10, 10) << "二○○九年十月十日"
                                     << "贰零零玖年壹拾月壹拾日";
    QTest::newRow("15 February 2009") << QDate(2009, 2, 15) << "二○○九年二月十五日"
                                      << "贰零零玖年零贰月壹拾伍日";
    QTest::newRow("20 November 2010") << QDate(2010, 11, 20) << "二○一○年十一月二十日"
                                      << "贰零壹零年壹拾壹月贰拾日";
    QTest::newRow("21 March 2011") << QDate(2011, 3, 21) << "二○一一年三月二十一日"
                                   << "贰零壹壹年零叁月贰拾壹日";
    QTest::newRow("30 June 2000") << QDate(2000, 6, 30) << "二○○○年六月三十日"
                                  << "贰零零零年零陆月叁拾日";
    QTest::newRow("31 December 2008") << QDate(2008, 12, 31) << "二○○八年十二月三十一日"
                                      << "贰零零捌年壹拾贰月叁拾壹日";
    // Edge cases.
    QTest::newRow("year 1900 digit by digit") << QDate(1900, 1, 1) << "一九○○年一月一日"
                                              << "壹玖零零年零壹月零壹日";
    QTest::newRow("day 20") << QDate(2021, 4, 20) << "二○二一年四月二十日"
                            << "贰零贰壹年零肆月贰拾日";
    QTest::newRow("day 10, month 12") << QDate(1999, 12, 10) << "一九九九年十二月十日"
                                      << "壹玖玖玖年壹拾贰月壹拾日";
    QTest::newRow("day 31") << QDate(2100, 1, 31) << "二一○○年一月三十一日"
                            << "贰壹零零年零壹月叁拾壹日";
    QTest::newRow("day 11, month 11") << QDate(2011, 11, 11) << "二○一一年十一月十一日"
                                      << "贰零壹壹年壹拾壹月壹拾壹日";
    QTest::newRow("day 29, leap year") << QDate(2024, 2, 29) << "二○二四年二月二十九日"
                                       << "贰零贰肆年零贰月贰拾玖日";
    QTest::newRow("three-digit year") << QDate(987, 6, 5) << "九八七年六月五日"
                                      << "玖捌柒年零陆月零伍日";
}

void TestChineseDate::dateForms()
{
    QFETCH(QDate, date);
    QFETCH(QString, hz);
    QFETCH(QString, hz2);
    QCOMPARE(DateToHz(date), hz);
    QCOMPARE(DateToHz2(date), hz2);
}

void TestChineseDate::timeOfDayIgnored()
{
    const QDateTime midnight(QDate(2009, 1, 5), QTime(0, 0));
    const QDateTime lateEvening(QDate(2009, 1, 5), QTime(23, 59, 59, 999));
    QCOMPARE(DateToHz(lateEvening), DateToHz(midnight));
    QCOMPARE(DateToHz2(lateEvening), DateToHz2(midnight));
    QCOMPARE(DateToHz(lateEvening), QStringLiteral("二○○九年一月五日"));
    QCOMPARE(DateToHz2(lateEvening), QStringLiteral("贰零零玖年零壹月零伍日"));
}

void TestChineseDate::ordinaryZeroIsWhiteCircle()
{
    const QString text = DateToHz(QDate(2000, 10, 30));
    QCOMPARE(text.count(QChar(0x25CB)), 3);
    QVERIFY(!text.contains(QChar(0x3007)));
    QVERIFY(!text.contains(u'零'));
}

void TestChineseDate::excludeYMD_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString four = QStringLiteral("    ");
    QTest::newRow("DateToHz2 of 5 January 2009") << "贰零零玖年零壹月零伍日"
                                                 << "贰零零玖" + four + "零壹" + four + "零伍";
    QTest::newRow("DateToHz of 20 November 2010") << "二○一○年十一月二十日"
                                                  << "二○一○" + four + "十一" + four + "二十";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("no unit characters") << "2009-01-05 abc"
                                        << "2009-01-05 abc";
    QTest::newRow("any text, every occurrence") << "年年月日日x" << four + four + four + "x";
    QTest::newRow("other characters pass") << "甲日乙"
                                           << "甲乙";
}

void TestChineseDate::excludeYMD()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(HzDateExcludeYMD(text), expected);
}

void TestChineseDate::invalidDate()
{
    QCOMPARE(DateToHz(QDate()), QString());
    QCOMPARE(DateToHz2(QDateTime()), QString());
}

namespace {

// Numeral tables restated for reading texts back, independently of the code under test.
int ordinaryDigit(QChar c)
{
    return QStringLiteral("○一二三四五六七八九").indexOf(c);
}

int upperDigit(QChar c)
{
    return QStringLiteral("零壹贰叁肆伍陆柒捌玖").indexOf(c);
}

// A month or day of DateToHz: "五", "十", "十五", "二十", "二十一". The tens digit 1 is
// left out, and no zero numeral appears. -1 for anything else.
int readOrdinarySmall(const QString &s)
{
    if (s.contains(u'○') || s.contains(u'零') || s.isEmpty())
        return -1;
    const qsizetype ten = s.indexOf(u'十');
    if (ten < 0)
        return s.size() == 1 && ordinaryDigit(s[0]) > 0 ? ordinaryDigit(s[0]) : -1;
    const QString tensText = s.left(ten);
    const QString unitsText = s.mid(ten + 1);
    if (tensText.size() > 1 || unitsText.size() > 1)
        return -1;
    int tens = 1;
    if (!tensText.isEmpty()) {
        tens = ordinaryDigit(tensText[0]);
        if (tens < 2) // 一十 is never written
            return -1;
    }
    int units = 0;
    if (!unitsText.isEmpty() && (units = ordinaryDigit(unitsText[0])) < 1)
        return -1;
    return tens * 10 + units;
}

// A month or day of DateToHz2: "零伍", "壹拾", "壹拾伍", "贰拾", "贰拾壹": always two
// numerals at least, 零 before a single digit, the tens digit always written.
int readUpperSmall(const QString &s)
{
    if (s.size() == 2 && s[0] == u'零')
        return upperDigit(s[1]) > 0 ? upperDigit(s[1]) : -1;
    if ((s.size() != 2 && s.size() != 3) || s[1] != u'拾')
        return -1;
    const int tens = upperDigit(s[0]);
    if (tens < 1)
        return -1;
    int units = 0;
    if (s.size() == 3 && (units = upperDigit(s[2])) < 1)
        return -1;
    return tens * 10 + units;
}

struct Parts {
    QString year, month, day;
};

// Splits at the unit characters, which must each appear once, in the order 年 月 日, with
// 日 last.
bool splitAtUnits(const QString &text, Parts &parts)
{
    if (text.count(u'年') != 1 || text.count(u'月') != 1 || text.count(u'日') != 1)
        return false;
    const qsizetype y = text.indexOf(u'年');
    const qsizetype m = text.indexOf(u'月');
    const qsizetype d = text.indexOf(u'日');
    if (!(y < m && m < d && d == text.size() - 1))
        return false;
    parts = {text.left(y), text.mid(y + 1, m - y - 1), text.mid(m + 1, d - m - 1)};
    return true;
}

} // namespace

void TestChineseDate::everyDay()
{
    const QDate last(2100, 12, 31);
    int days = 0;
    for (QDate date(1900, 1, 1); date <= last; date = date.addDays(1), ++days) {
        const QString tag = date.toString(Qt::ISODate);
        const QString hz = DateToHz(date);
        const QString hz2 = DateToHz2(date);
        Parts p;

        QVERIFY2(splitAtUnits(hz, p), qPrintable(tag + u' ' + hz));
        QCOMPARE(p.year.size(), 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(ordinaryDigit(p.year[i]), QString::number(date.year())[i].digitValue());
        QVERIFY2(readOrdinarySmall(p.month) == date.month(), qPrintable(tag + u' ' + hz));
        QVERIFY2(readOrdinarySmall(p.day) == date.day(), qPrintable(tag + u' ' + hz));
        QVERIFY(!hz.contains(u'零') && !hz.contains(QChar(0x3007)));
        QCOMPARE(HzDateExcludeYMD(hz), p.year + "    " + p.month + "    " + p.day);

        QVERIFY2(splitAtUnits(hz2, p), qPrintable(tag + u' ' + hz2));
        QCOMPARE(p.year.size(), 4);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(upperDigit(p.year[i]), QString::number(date.year())[i].digitValue());
        QVERIFY2(readUpperSmall(p.month) == date.month(), qPrintable(tag + u' ' + hz2));
        QVERIFY2(readUpperSmall(p.day) == date.day(), qPrintable(tag + u' ' + hz2));
        QCOMPARE(p.month.startsWith(u'零'), date.month() < 10);
        QCOMPARE(p.day.startsWith(u'零'), date.day() < 10);
        QVERIFY(!hz2.contains(u'○') && !hz2.contains(u'十'));
        QCOMPARE(HzDateExcludeYMD(hz2), p.year + "    " + p.month + "    " + p.day);

        // The time of day never matters.
        const QDateTime evening(date, QTime(18, 30));
        QCOMPARE(DateToHz(evening), hz);
        QCOMPARE(DateToHz2(evening), hz2);
    }
    QCOMPARE(days, 73414);
}

QTEST_APPLESS_MAIN(TestChineseDate)
#include "tst_chinesedate.moc"

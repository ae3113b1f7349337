#include "ChineseDate.h"

namespace {

// Indexed by a digit's value, and by 10 for the ten.
constexpr char16_t OrdinaryNumerals[] = u"○一二三四五六七八九十";
constexpr char16_t UpperNumerals[] = u"零壹贰叁肆伍陆柒捌玖拾";
static_assert(OrdinaryNumerals[0] == 0x25CB, "the ordinary zero is U+25CB");

struct Numerals {
    const char16_t *table;
    // Upper-case forms write 10 to 19 as 壹拾..., put 零 before a single digit.
    bool upperCase;
};

QString yearText(int year, const Numerals &n)
{
    QString text;
    for (QChar digit : QString::number(year < 0 ? -year : year))
        text += QChar(n.table[digit.unicode() - '0']);
    return text;
}

// A month (1 to 12) or day (1 to 31) as the date forms write it.
QString smallNumberText(int value, const Numerals &n)
{
    const QChar ten(n.table[10]);
    const int tens = value / 10;
    const int units = value % 10;
    QString text;
    if (tens == 0) {
        if (n.upperCase)
            text += QChar(n.table[0]);
        text += QChar(n.table[units]);
        return text;
    }
    if (tens > 1 || n.upperCase)
        text += QChar(n.table[tens]);
    text += ten;
    if (units != 0)
        text += QChar(n.table[units]);
    return text;
}

QString dateText(const QDate &date, const Numerals &n)
{
    if (!date.isValid())
        return QString();
    return yearText(date.year(), n) + u'年' + smallNumberText(date.month(), n) + u'月' +
           smallNumberText(date.day(), n) + u'日';
}

} // namespace

QString DateToHz(const QDate &date)
{
    return dateText(date, {OrdinaryNumerals, false});
}

QString DateToHz(const QDateTime &dateTime)
{
    return DateToHz(dateTime.date());
}

QString DateToHz2(const QDate &date)
{
    return dateText(date, {UpperNumerals, true});
}

QString DateToHz2(const QDateTime &dateTime)
{
    return DateToHz2(dateTime.date());
}

QString HzDateExcludeYMD(const QString &text)
{
    QString result = text;
    result.replace(u'年', QStringLiteral("    "));
    result.replace(u'月', QStringLiteral("    "));
    result.remove(u'日');
    return result;
}

#include "ChineseAmount.h"

#include "ReportFunctionError.h"

#include <algorithm>

namespace {

constexpr char16_t Numerals[] = u"零壹贰叁肆伍陆柒捌玖";
// Position within a group of four, units place first.
constexpr char16_t PlaceUnits[] = u"\0拾佰仟";
// Group 1 has no unit; 兆 is 10^12 here.
constexpr char16_t GroupUnits[] = u"\0万亿兆";
constexpr char16_t DecimalUnits[] = u"角分厘";

QChar numeral(QChar digit)
{
    return QChar(Numerals[digit.unicode() - '0']);
}

QString boxes(const char *function, Currency value, qint64 whole, int len, int minimum,
              const QString &what)
{
    const QString name = QString::fromLatin1(function);
    if (value.units() < 0)
        throw ReportFunctionError(
            QStringLiteral("%1：金额 %2 为负数，无法填入金额格子").arg(name, value.toString()));
    if (len > MaxAmountBoxes)
        throw ReportFunctionError(QStringLiteral("%1：格子数 %2 过大（最多 %3 个）")
                                      .arg(name)
                                      .arg(len)
                                      .arg(MaxAmountBoxes));
    const int n = len < minimum ? minimum : len;
    const QString digits = QString::number(whole).rightJustified(n, u'0');
    if (digits.size() > n)
        throw ReportFunctionError(QStringLiteral("%1：金额 %2 按%3有 %4 位数字，多于 %5 个格子，"
                                                 "请加大格子数")
                                      .arg(name, value.toString(), what)
                                      .arg(digits.size())
                                      .arg(n));
    QString text;
    text.reserve(2 * n);
    for (QChar digit : digits) {
        text += u' ';
        text += numeral(digit);
    }
    return text;
}

} // namespace

QString rmbToBIG(Currency value)
{
    QString form = value.toGeneralString(15);
    const bool negative = form.startsWith(u'-');
    if (negative)
        form.remove(0, 1);
    const qsizetype point = form.indexOf(u'.');
    QString whole = point < 0 ? form : form.left(point);
    const QString decimals = point < 0 ? QString() : form.mid(point + 1);
    std::reverse(whole.begin(), whole.end());

    QString result;
    bool previousWasZero = true; // Z: set once, carried from group to group
    const qsizetype groups = (whole.size() + 3) / 4;
    for (qsizetype g = 0; g < groups; ++g) {
        const QString group = whole.mid(4 * g, 4);
        QString groupText;
        for (qsizetype p = 0; p < group.size(); ++p) {
            if (group[p] == u'0') {
                if (!previousWasZero && p != 0)
                    groupText.prepend(u'零');
                previousWasZero = true;
            } else {
                if (p != 0)
                    groupText.prepend(QChar(PlaceUnits[p]));
                groupText.prepend(numeral(group[p]));
                previousWasZero = false;
            }
        }
        if (groupText.isEmpty()) {
            if (!result.isEmpty() && !result.startsWith(u'零'))
                result.prepend(u'零');
        } else {
            if (g != 0)
                groupText += QChar(GroupUnits[g]);
            result.prepend(groupText);
        }
    }
    if (!result.isEmpty())
        result += u'元';
    for (qsizetype i = 0; i < decimals.size() && i < 4; ++i) {
        result += numeral(decimals[i]);
        if (i < 3)
            result += QChar(DecimalUnits[i]);
    }
    if (result.isEmpty())
        result = QStringLiteral("零");
    if (negative)
        result.prepend(u'负');
    if (value.roundedTo(2, Currency::Rounding::HalfToEven) % 10 == 0)
        result += u'整';
    return result;
}

QString rmbToBIG4Fill(Currency value, int len)
{
    return boxes("rmbToBIG4Fill", value, value.roundedTo(2, Currency::Rounding::HalfToEven), len, 8,
                 QStringLiteral("分计"));
}

QString rmbToBIG4Round(Currency value, int len)
{
    return boxes("rmbToBIG4Round", value, value.roundedTo(0, Currency::Rounding::HalfToEven), len,
                 5, QStringLiteral("元计"));
}

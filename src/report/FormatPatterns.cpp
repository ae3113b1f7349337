#include "FormatPatterns.h"

#include "EngineValues.h"
#include "ReportError.h"
#include "store/Currency.h"

#include <QLocale>
#include <algorithm>

namespace {

// The value as plain decimal text without exponent: "-1234.5".
QString plainDecimal(const QVariant &value)
{
    switch (EngineValues::typeOf(value)) {
    case EngineValues::Type::Currency:
        return value.value<Currency>().toString();
    case EngineValues::Type::Integer:
        return QString::number(value.toLongLong());
    case EngineValues::Type::Double:
        return QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    default:
        throw ReportError(QStringLiteral("“%1”不是数").arg(EngineValues::toText(value)));
    }
}

// Rounds the digits of a non-negative plain decimal to `decimals` places, half away from zero.
QString roundDigits(QString whole, QString fraction, int decimals)
{
    const bool roundUp = fraction.size() > decimals && fraction[decimals] >= u'5';
    fraction = fraction.left(decimals).leftJustified(decimals, u'0');
    QString digits = whole + fraction;
    if (roundUp) {
        int i = int(digits.size()) - 1;
        for (; i >= 0 && digits[i] == u'9'; --i)
            digits[i] = u'0';
        if (i < 0)
            digits.prepend(u'1');
        else
            digits[i] = QChar(digits[i].unicode() + 1);
    }
    if (decimals == 0)
        return digits;
    return digits.left(digits.size() - decimals) + u'.' + digits.right(decimals);
}

struct NumberPattern {
    QString prefix, suffix;
    int minWhole = 0, minDecimals = 0, maxDecimals = 0;
    bool grouped = false;
};

// Literal text of a pattern outside the digit placeholders, quotes removed.
QString literal(const QString &text)
{
    QString out;
    QChar quote;
    for (QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out += c;
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else {
            out += c;
        }
    }
    return out;
}

NumberPattern parsePattern(const QString &pattern)
{
    NumberPattern p;
    const QString section = pattern.section(u';', 0, 0);
    static const QString placeholders = QStringLiteral("0#,.");
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < section.size(); ++i) {
        if (placeholders.contains(section[i])) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0) {
        p.prefix = literal(section);
        return p;
    }
    p.prefix = literal(section.left(first));
    p.suffix = literal(section.mid(last + 1));
    const QString body = section.mid(first, last - first + 1);
    const qsizetype point = body.indexOf(u'.');
    const QString whole = point < 0 ? body : body.left(point);
    const QString fraction = point < 0 ? QString() : body.mid(point + 1);
    p.grouped = whole.contains(u',');
    p.minWhole = int(whole.count(u'0'));
    p.minDecimals = int(fraction.count(u'0'));
    p.maxDecimals = int(fraction.count(u'0') + fraction.count(u'#'));
    return p;
}

QString groupThousands(const QString &digits)
{
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += u',';
        out += digits[i];
    }
    return out;
}

} // namespace

QString FormatPatterns::formatFloat(const QString &pattern, const QVariant &value)
{
    const NumberPattern p = parsePattern(pattern);
    QString text = plainDecimal(value);
    const bool negative = text.startsWith(u'-');
    if (negative)
        text.remove(0, 1);
    const qsizetype point = text.indexOf(u'.');
    QString rounded = roundDigits(point < 0 ? text : text.left(point),
                                  point < 0 ? QString() : text.mid(point + 1), p.maxDecimals);
    qsizetype dot = rounded.indexOf(u'.');
    QString whole = dot < 0 ? rounded : rounded.left(dot);
    QString fraction = dot < 0 ? QString() : rounded.mid(dot + 1);
    while (fraction.size() > p.minDecimals && fraction.endsWith(u'0'))
        fraction.chop(1);
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole == u"0" && p.minWhole == 0)
        whole.clear();
    whole = whole.rightJustified(p.minWhole, u'0');
    if (p.grouped)
        whole = groupThousands(whole);
    const QString digits = whole + fraction;
    const bool zero =
        std::all_of(digits.begin(), digits.end(), [](QChar c) { return c < u'1' || c > u'9'; });
    QString number = fraction.isEmpty() ? whole : whole + u'.' + fraction;
    if (number.isEmpty())
        number = QStringLiteral("0");
    return p.prefix + (negative && !zero ? QStringLiteral("-") : QString()) + number + p.suffix;
}

QString FormatPatterns::formatDateTime(const QString &pattern, const QDateTime &value)
{
    const QDate date = value.date();
    const QTime time = value.time();
    QString out;
    bool afterHour = false; // "m" right after an hour means minutes
    qsizetype i = 0;
    auto run = [&](QChar c) {
        qsizetype n = 0;
        while (i + n < pattern.size() && pattern[i + n].toLower() == c)
            ++n;
        return n;
    };
    auto two = [](int v) { return QString::number(v).rightJustified(2, u'0'); };
    while (i < pattern.size()) {
        const QChar c = pattern[i].toLower();
        if (c == u'\'' || c == u'"') {
            const qsizetype end = pattern.indexOf(pattern[i], i + 1);
            out += pattern.mid(i + 1, end < 0 ? -1 : end - i - 1);
            i = end < 0 ? pattern.size() : end + 1;
            continue;
        }
        const qsizetype n = (c == u'y' || c == u'm' || c == u'd' || c == u'h' || c == u'n' ||
                             c == u's' || c == u'z')
                                ? run(c)
                                : 1;
        bool hour = false;
        if (c == u'y') {
            out += n <= 2 ? two(date.year() % 100) : QString::number(date.year());
        } else if (c == u'm' && afterHour) {
            out += n >= 2 ? two(time.minute()) : QString::number(time.minute());
        } else if (c == u'm') {
            out += n >= 2 ? two(date.month()) : QString::number(date.month());
        } else if (c == u'd') {
            out += n >= 2 ? two(date.day()) : QString::number(date.day());
        } else if (c == u'h') {
            out += n >= 2 ? two(time.hour()) : QString::number(time.hour());
            hour = true;
        } else if (c == u'n') {
            out += n >= 2 ? two(time.minute()) : QString::number(time.minute());
        } else if (c == u's') {
            out += n >= 2 ? two(time.second()) : QString::number(time.second());
        } else if (c == u'z') {
            out += QString::number(time.msec()).rightJustified(n >= 3 ? 3 : 1, u'0');
        } else {
            out += pattern[i];
        }
        if (c.isLetter())
            afterHour = hour;
        i += n;
    }
    return out;
}

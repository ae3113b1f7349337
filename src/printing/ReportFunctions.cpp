#include "ReportFunctions.h"

#include "ChineseAmount.h"
#include "ChineseDate.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <limits>

namespace {

const QString Category = QStringLiteral("自定义");

// Days of the engine's date numbers count from here, as in the script language's date numbers.
const QDate DayZero(1899, 12, 30);
constexpr qint64 MsecsPerDay = 86400000;
// Beyond these, the date falls outside the years 1 to 9999.
constexpr double MaxDayNumber = 3.0e6;

bool isNullValue(const QVariant &value)
{
    return !value.isValid() || value.isNull();
}

bool isIntegerType(int id)
{
    switch (id) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

bool isTextType(int id)
{
    return id == QMetaType::QString || id == QMetaType::QByteArray || id == QMetaType::QChar;
}

[[noreturn]] void fail(const QString &message)
{
    throw ReportFunctionError(message);
}

QString shown(const QVariant &value)
{
    return engineValueToText(value);
}

QDateTime checkedYear(const QDateTime &dateTime, const QString &function, const QVariant &value)
{
    if (!dateTime.isValid() || dateTime.date().year() < 1 || dateTime.date().year() > 9999)
        fail(QStringLiteral("函数 %1：“%2”不是有效的日期").arg(function, shown(value)));
    return dateTime;
}

QDateTime fromMsecsSinceDayZero(qint64 msecs)
{
    // The whole days count from day zero; the fraction is the time of day, also for days
    // before it (-1.25 is 1899-12-29 06:00).
    const qint64 days = msecs / MsecsPerDay;
    const qint64 time = std::abs(msecs % MsecsPerDay);
    return QDateTime(DayZero.addDays(days), QTime::fromMSecsSinceStartOfDay(int(time)));
}

QDateTime dateTimeFromText(const QString &text)
{
    const QString s = text.trimmed();
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{1,4})(?:-|/|\\.|年)(\\d{1,2})(?:-|/|\\.|月)(\\d{1,2})日?"
        "(?:(?:\\s+|T)(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2})(?:\\.(\\d{1,3})\\d*)?)?)?$"));
    const QRegularExpressionMatch m = pattern.match(s);
    if (m.hasMatch()) {
        const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        QTime time(0, 0);
        if (m.hasCaptured(4))
            time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                         m.captured(7).leftJustified(3, u'0').toInt());
        if (date.isValid() && time.isValid())
            return QDateTime(date, time);
        return QDateTime();
    }
    return QDateTime::fromString(s, Qt::ISODateWithMs);
}

} // namespace

const QList<ReportFunctionDeclaration> &reportFunctionDeclarations()
{
    static const QList<ReportFunctionDeclaration> declarations = {
        {QStringLiteral("DateToHz"), QStringLiteral("function DateToHz(Date: Tdatetime): string"),
         Category, QStringLiteral("转换中文日期格式")},
        {QStringLiteral("DateToHz2"), QStringLiteral("function DateToHz2(Date: Tdatetime): string"),
         Category, QStringLiteral("转换中文大写日期格式 没有年月日汉字")},
        {QStringLiteral("HzDateExcludeYMD"),
         QStringLiteral("function HzDateExcludeYMD(sDate: string): string"), Category,
         QStringLiteral("套打日期(去除年月日汉字)")},
        {QStringLiteral("FieldIsNull"),
         QStringLiteral("function FieldIsNull(FieldName: string): Boolean"), Category,
         QStringLiteral("判断FieldName是否为空")},
        {QStringLiteral("rmbToBIG"), QStringLiteral("function rmbToBIG(Value: Currency): string"),
         Category, QStringLiteral("小写金额转大写金额")},
        {QStringLiteral("rmbToBIG4Fill"),
         QStringLiteral("function rmbToBIG4Fill(Value: Currency; len: Integer): string"), Category,
         QStringLiteral("小写金额转大写金额，无金额单位")},
        {QStringLiteral("rmbToBIG4Round"),
         QStringLiteral("function rmbToBIG4Round(Value: Currency; len: Integer): string"), Category,
         QStringLiteral("小写金额转大写,忽略角分，无金额单位")},
        // Not among the seven; declared so that templates can use it for long
        // text in fixed-width boxes.
        {QStringLiteral("ShowRichText"),
         QStringLiteral("function ShowRichText(FieldName: string): string"), Category,
         QStringLiteral("长文本按固定宽度分行(每行41个汉字)")},
    };
    return declarations;
}

QString engineValueToText(const QVariant &value)
{
    if (isNullValue(value))
        return QString();
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<Currency>())
        return value.value<Currency>().toString();
    switch (type.id()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        if (dateTime.time() == QTime(0, 0))
            return dateTime.toString(QStringLiteral("yyyy-MM-dd"));
        return dateTime.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    default:
        return value.toString();
    }
}

QDateTime engineValueToDateTime(const QVariant &value, const QString &function)
{
    if (isNullValue(value))
        fail(QStringLiteral("函数 %1：参数为空值，不能转换为日期").arg(function));
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<Currency>()) {
        const qint64 units = value.value<Currency>().units();
        constexpr qint64 maxUnits = qint64(MaxDayNumber) * Currency::Scale;
        if (units > maxUnits || units < -maxUnits)
            fail(QStringLiteral("函数 %1：“%2”不是有效的日期").arg(function, shown(value)));
        // A ten-thousandth of a day is exactly 8640 ms.
        return checkedYear(fromMsecsSinceDayZero(units * (MsecsPerDay / Currency::Scale)), function,
                           value);
    }
    const int id = type.id();
    if (id == QMetaType::QDateTime)
        return checkedYear(value.toDateTime(), function, value);
    if (id == QMetaType::QDate)
        return checkedYear(value.toDate().startOfDay(), function, value);
    if (isIntegerType(id) || id == QMetaType::Double || id == QMetaType::Float) {
        const double days = value.toDouble();
        if (!std::isfinite(days) || std::fabs(days) > MaxDayNumber)
            fail(QStringLiteral("函数 %1：“%2”不是有效的日期").arg(function, shown(value)));
        return checkedYear(fromMsecsSinceDayZero(std::llround(days * MsecsPerDay)), function,
                           value);
    }
    if (isTextType(id))
        return checkedYear(dateTimeFromText(value.toString()), function, value);
    fail(QStringLiteral("函数 %1：“%2”不能转换为日期").arg(function, shown(value)));
}

Currency engineValueToCurrency(const QVariant &value, const QString &function)
{
    if (isNullValue(value))
        fail(QStringLiteral("函数 %1：参数为空值，不能转换为金额").arg(function));
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<Currency>())
        return value.value<Currency>();
    const int id = type.id();
    std::optional<Currency> amount;
    if (id == QMetaType::ULongLong || id == QMetaType::ULong) {
        const qulonglong whole = value.toULongLong();
        if (whole <= qulonglong(std::numeric_limits<qint64>::max()))
            amount = Currency::fromWhole(qint64(whole));
    } else if (isIntegerType(id)) {
        amount = Currency::fromWhole(value.toLongLong());
    } else if (id == QMetaType::Double || id == QMetaType::Float) {
        amount = Currency::fromDouble(value.toDouble());
    } else if (isTextType(id)) {
        amount = Currency::fromString(value.toString());
    } else {
        fail(QStringLiteral("函数 %1：“%2”不能转换为金额").arg(function, shown(value)));
    }
    if (!amount)
        fail(QStringLiteral("函数 %1：“%2”不是有效的金额").arg(function, shown(value)));
    return *amount;
}

int textToWholeNumber(const QString &text, const QString &function)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    bool ok = false;
    const int number = pattern.match(text).hasMatch() ? text.trimmed().toInt(&ok) : 0;
    if (!ok)
        fail(QStringLiteral("函数 %1：“%2”不是有效的整数").arg(function, text));
    return number;
}

namespace {

struct FieldRef {
    const FieldSource *source = nullptr;
    QString field;
};

// The table and field that "dataset.field" names, or no source when FieldIsNull answers
// true without looking at a value.
FieldRef resolveField(const QString &argument, const DatasetLookup &lookup)
{
    const qsizetype dot = argument.indexOf(u'.');
    if (dot < 0 || !lookup)
        return {};
    const QString field = argument.mid(dot + 1).left(255);
    const FieldSource *source = lookup(argument.left(dot));
    if (!source || !source->isOpen() || !source->hasField(field))
        return {};
    return {source, field};
}

} // namespace

bool FieldIsNull(const QString &fieldName, const DatasetLookup &lookup)
{
    const FieldRef ref = resolveField(fieldName, lookup);
    return !ref.source || isNullValue(ref.source->currentValue(ref.field));
}

QString ShowRichText(const QString &fieldName, const DatasetLookup &lookup)
{
    const FieldRef ref = resolveField(fieldName, lookup);
    if (!ref.source)
        return QString();
    return breakIntoLines(engineValueToText(ref.source->currentValue(ref.field)));
}

namespace {

bool isHalfWidth(char32_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
           c == '.' || c == '(' || c == ')' || c == '/' || c == ' ';
}

bool isClosingMark(char32_t c)
{
    return c == U'。' || c == U'）' || c == U')' || c == U'、' || c == U'，';
}

} // namespace

QString breakIntoLines(const QString &text, int fullWidthPerLine)
{
    const int capacity = 2 * qMax(1, fullWidthPerLine); // in half-width units
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines;
    for (const QString &paragraph : text.split(lineBreak)) {
        const QList<uint> chars = paragraph.toUcs4();
        const qsizetype n = chars.size();
        qsizetype start = 0;
        while (start < n) {
            qsizetype end = start;
            int width = 0;
            while (end < n && width + (isHalfWidth(chars[end]) ? 1 : 2) <= capacity)
                width += isHalfWidth(chars[end++]) ? 1 : 2;
            if (end < n && isClosingMark(chars[end])) {
                if (end + 1 < n && isClosingMark(chars[end + 1]) && end - 1 > start)
                    --end; // the last character goes down with the two marks
                else
                    ++end; // the mark stays with what it closes
            }
            lines += QString::fromUcs4(
                reinterpret_cast<const char32_t *>(chars.constData()) + start, end - start);
            start = end;
        }
    }
    return lines.join(QStringLiteral("\r\n"));
}

ReportFunctions::ReportFunctions(DatasetLookup lookup) : m_lookup(std::move(lookup)) {}

void ReportFunctions::setDatasetLookup(DatasetLookup lookup)
{
    m_lookup = std::move(lookup);
}

QVariant ReportFunctions::frxReportUserFunction(const QString &name,
                                                const QVariantList &arguments) const
{
    auto is = [&name](QStringView known) { return AsciiCase::equal(name, known); };
    auto argument = [&arguments](const QString &function, int index) -> const QVariant & {
        if (index >= arguments.size())
            fail(QStringLiteral("函数 %1：缺少第 %2 个参数").arg(function).arg(index + 1));
        return arguments[index];
    };

    // In the order of the declarations, ShowRichText between FieldIsNull and rmbToBIG.
    if (is(u"DateToHz")) {
        const QString f = QStringLiteral("DateToHz");
        return DateToHz(engineValueToDateTime(argument(f, 0), f));
    }
    if (is(u"DateToHz2")) {
        const QString f = QStringLiteral("DateToHz2");
        return DateToHz2(engineValueToDateTime(argument(f, 0), f));
    }
    if (is(u"HzDateExcludeYMD")) {
        const QString f = QStringLiteral("HzDateExcludeYMD");
        return HzDateExcludeYMD(engineValueToText(argument(f, 0)));
    }
    if (is(u"FieldIsNull")) {
        const QString f = QStringLiteral("FieldIsNull");
        return FieldIsNull(engineValueToText(argument(f, 0)), m_lookup);
    }
    if (is(u"ShowRichText")) {
        const QString f = QStringLiteral("ShowRichText");
        return ShowRichText(engineValueToText(argument(f, 0)), m_lookup);
    }
    if (is(u"rmbToBIG")) {
        const QString f = QStringLiteral("rmbToBIG");
        return rmbToBIG(engineValueToCurrency(argument(f, 0), f));
    }
    if (is(u"rmbToBIG4Fill")) {
        const QString f = QStringLiteral("rmbToBIG4Fill");
        const Currency value = engineValueToCurrency(argument(f, 0), f);
        const int len = textToWholeNumber(engineValueToText(argument(f, 1)), f);
        return rmbToBIG4Fill(value, len);
    }
    if (is(u"rmbToBIG4Round")) {
        const QString f = QStringLiteral("rmbToBIG4Round");
        const Currency value = engineValueToCurrency(argument(f, 0), f);
        const int len = textToWholeNumber(engineValueToText(argument(f, 1)), f);
        return rmbToBIG4Round(value, len);
    }
    return QVariant();
}

#include "BuiltinFunctions.h"

#include "EngineValues.h"
#include "FormatPatterns.h"

#include <QDateTime>
#include <QHash>

namespace {

using EngineValues::Type;
using EngineValues::typeOf;

// Empty fields print as nothing rather than stopping the whole report.
QVariant formatFloat(const QVariantList &a)
{
    if (typeOf(a[1]) == Type::Null)
        return QString();
    return FormatPatterns::formatFloat(EngineValues::toText(a[0]), a[1]);
}

QVariant formatDateTime(const QVariantList &a)
{
    if (typeOf(a[1]) == Type::Null)
        return QString();
    return FormatPatterns::formatDateTime(EngineValues::toText(a[0]),
                                          EngineValues::toDateTime(a[1]));
}

QVariant date(const QVariantList &)
{
    return QDate::currentDate();
}
QVariant now(const QVariantList &)
{
    return QDateTime::currentDateTime();
}
QVariant trim(const QVariantList &a)
{
    return EngineValues::toText(a[0]).trimmed();
}
QVariant upperCase(const QVariantList &a)
{
    return EngineValues::toText(a[0]).toUpper();
}
QVariant lowerCase(const QVariantList &a)
{
    return EngineValues::toText(a[0]).toLower();
}
QVariant length(const QVariantList &a)
{
    return qint64(EngineValues::toText(a[0]).size());
}

// Copy(text, index, count): index counts from 1; out-of-range parts give less text.
QVariant copy(const QVariantList &a)
{
    const QString text = EngineValues::toText(a[0]);
    const qint64 index = std::max<qint64>(EngineValues::toInteger(a[1]), 1);
    const qint64 count = EngineValues::toInteger(a[2]);
    if (count <= 0 || index > text.size())
        return QString();
    return text.mid(index - 1, count);
}

QVariant intToStr(const QVariantList &a)
{
    return QString::number(EngineValues::toInteger(a[0]));
}

} // namespace

const BuiltinFunctions::Function *BuiltinFunctions::find(const QString &name)
{
    static const QHash<QString, Function> functions = {
        {QStringLiteral("formatfloat"), {2, 2, formatFloat}},
        {QStringLiteral("formatdatetime"), {2, 2, formatDateTime}},
        {QStringLiteral("date"), {0, 0, date}},
        {QStringLiteral("now"), {0, 0, now}},
        {QStringLiteral("trim"), {1, 1, trim}},
        {QStringLiteral("copy"), {3, 3, copy}},
        {QStringLiteral("length"), {1, 1, length}},
        {QStringLiteral("uppercase"), {1, 1, upperCase}},
        {QStringLiteral("lowercase"), {1, 1, lowerCase}},
        {QStringLiteral("inttostr"), {1, 1, intToStr}},
    };
    const auto it = functions.constFind(name.toLower());
    return it == functions.constEnd() ? nullptr : &*it;
}

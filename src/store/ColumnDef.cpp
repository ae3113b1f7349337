#include "ColumnDef.h"

#include <QRegularExpression>

void classifyDeclaredType(ColumnDef &column, bool isIntegerPrimaryKey)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([A-Za-z]+)\\s*(?:\\(\\s*(\\d+))?"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(column.declaredType);
    const QString base = match.captured(1).toLower();
    const int size = match.captured(2).toInt();
    column.size = 0;
    if (isIntegerPrimaryKey) {
        column.type = FieldType::Counter;
    } else if (base == u"counter" || base == u"autoincrement") {
        column.type = FieldType::Counter;
    } else if (base == u"text" || base == u"varchar" || base == u"char" || base == u"nvarchar" ||
               base == u"string") {
        column.type = FieldType::Text;
        column.size = size > 0 ? size : 255;
    } else if (base == u"memo" || base == u"longtext" || base == u"clob") {
        column.type = FieldType::Memo;
    } else if (base == u"long" || base == u"int" || base == u"integer" || base == u"smallint" ||
               base == u"short" || base == u"byte" || base == u"bigint") {
        column.type = FieldType::Integer;
    } else if (base == u"number" || base == u"double" || base == u"float" || base == u"real" ||
               base == u"single") {
        column.type = FieldType::Float;
    } else if (base == u"currency" || base == u"money") {
        column.type = FieldType::Currency;
    } else if (base == u"time" || base == u"datetime" || base == u"date") {
        column.type = FieldType::DateTime;
    } else if (base == u"yesno" || base == u"bit" || base == u"logical" || base == u"boolean") {
        column.type = FieldType::Bool;
    } else if (base == u"longbinary" || base == u"oleobject" || base == u"blob" ||
               base == u"image" || base == u"binary") {
        column.type = FieldType::Binary;
    } else {
        column.type = FieldType::Unknown;
    }
}

QString unquoteDefault(const QString &stored)
{
    const QString s = stored.trimmed();
    if (s.size() >= 2 && s.startsWith(u'\'') && s.endsWith(u'\''))
        return s.mid(1, s.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
    if (s.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
        return QString();
    return s;
}

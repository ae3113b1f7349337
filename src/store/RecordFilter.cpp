#include "RecordFilter.h"

#include "SqlHelpers.h"

namespace RecordFilter {

namespace {

bool isPlainName(const QString &name)
{
    if (name.isEmpty() || name.front().isDigit())
        return false;
    for (const char *word : {"and", "or", "not", "like", "is", "null", "true", "false"})
        if (name.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return false;
    for (QChar c : name)
        if (c.isSpace() || QStringView(u"()'\"#[]=<>!,*+-.%").contains(c))
            return false;
    return true;
}

// Plain names go in unchanged; any other is bracketed, so that whatever a column is called
// it reads back as that one name.
QString columnReference(const QString &name)
{
    if (isPlainName(name))
        return name;
    QString inner = name;
    inner.replace(u']', QLatin1String("]]"));
    return u'[' + inner + u']';
}

} // namespace

QString build(const Conditions &c)
{
    QString keywordClause;
    const QString keyword = c.keyword.trimmed();
    if (!keyword.isEmpty()) {
        QStringList terms;
        // The keyword is quoted like any literal, so a quote in it is searched for as typed.
        const QString pattern = quoteText(u'*' + keyword + u'*');
        for (const QString &column : c.textColumns)
            terms << QStringLiteral("%1 like %2").arg(columnReference(column), pattern);
        if (!terms.isEmpty())
            keywordClause =
                QStringLiteral(" (") + terms.join(QStringLiteral(" or ")) + QStringLiteral(") ");
    }

    QString dateClause;
    if (c.start)
        dateClause = QStringLiteral(" 填写日期 >= ") +
                     quoteText(c.start->toString(QLatin1String(ShortDateFormat)));
    if (c.end) {
        const QString bound = quoteText(c.end->toString(QStringLiteral("yyyy-MM-dd 23:59:59")));
        dateClause += dateClause.isEmpty() ? QStringLiteral(" 填写日期 <= ") + bound
                                           : QStringLiteral(" and 填写日期 <= ") + bound;
    }

    QString filter;
    if (!keywordClause.isEmpty() && !dateClause.isEmpty())
        filter = keywordClause + QStringLiteral(" and ") + dateClause;
    else
        filter = keywordClause.isEmpty() ? dateClause : keywordClause;

    switch (c.printState) {
    case PrintState::Unprinted:
        filter = filter.isEmpty() ? QStringLiteral("打印标记=0")
                                  : filter + QStringLiteral(" and 打印标记=0");
        break;
    case PrintState::Printed:
        filter = filter.isEmpty() ? QStringLiteral(" 打印标记=-1")
                                  : filter + QStringLiteral(" and 打印标记=-1");
        break;
    case PrintState::Any:
        break;
    }
    return filter;
}

} // namespace RecordFilter

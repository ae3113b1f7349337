#include "TextExpression.h"

#include "EngineValues.h"
#include "FormatPatterns.h"
#include "ReportError.h"

namespace {

// Index just past the "]" closing the "[" at start; brackets nest and quoted text
// ('...' or "...") may hold brackets. -1 when unclosed.
qsizetype closingBracket(const QString &text, qsizetype start)
{
    int depth = 0;
    QChar quote;
    for (qsizetype i = start; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'[') {
            ++depth;
        } else if (c == u']' && --depth == 0) {
            return i + 1;
        }
    }
    return -1;
}

QString formatted(const QVariant &value, const QString &displayFormat)
{
    if (!displayFormat.isEmpty()) {
        switch (EngineValues::typeOf(value)) {
        case EngineValues::Type::Integer:
        case EngineValues::Type::Double:
        case EngineValues::Type::Currency:
            return FormatPatterns::formatFloat(displayFormat, value);
        case EngineValues::Type::DateTime:
            return FormatPatterns::formatDateTime(displayFormat, EngineValues::toDateTime(value));
        default:
            break;
        }
    }
    return EngineValues::toText(value);
}

} // namespace

TextExpression TextExpression::compile(const QString &objectName, const QString &text,
                                       const UserFunctions &functions)
{
    TextExpression compiled;
    compiled.m_objectName = objectName;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(u'[', i);
        if (open < 0) {
            compiled.m_parts.append({text.mid(i), {}, {}});
            break;
        }
        if (open > i)
            compiled.m_parts.append({text.mid(i, open - i), {}, {}});
        const qsizetype end = closingBracket(text, open);
        if (end < 0)
            compiled.fail(text.mid(open), QStringLiteral("缺少“]”"));
        const QString source = text.mid(open + 1, end - open - 2);
        try {
            compiled.m_parts.append({{}, source, Expression::parse(source, functions)});
        } catch (const ReportError &e) {
            compiled.fail(source, e.message());
        }
        i = end;
    }
    return compiled;
}

QString TextExpression::evaluate(const ExpressionContext &context,
                                 const QString &displayFormat) const
{
    QString out;
    for (const Part &part : m_parts) {
        if (part.source.isEmpty()) {
            out += part.literal;
            continue;
        }
        try {
            out += formatted(part.expression.evaluate(context), displayFormat);
        } catch (const ReportError &e) {
            fail(part.source, e.message());
        } catch (const std::exception &e) {
            fail(part.source, QString::fromUtf8(e.what()));
        }
    }
    return out;
}

bool TextExpression::uses(const QString &variable) const
{
    for (const Part &part : m_parts)
        if (!part.source.isEmpty() && part.expression.uses(variable))
            return true;
    return false;
}

void TextExpression::fail(const QString &source, const QString &why) const
{
    // Enough to find the expression in the designer; a whole runaway one would fill the screen.
    constexpr qsizetype shown = 80;
    const QString quoted = source.size() > shown ? source.left(shown) + u'…' : source;
    throw ReportError(
        QStringLiteral("对象 %1 的表达式 [%2] 出错：%3").arg(m_objectName, quoted, why));
}

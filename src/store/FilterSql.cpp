#include "FilterExpression.h"

#include "Currency.h"
#include "FilterNode.h"
#include "SqlHelpers.h"
#include "StoreFunctions.h"

namespace {

using Node = FilterExpression::Node;
using Cmp = Node::Cmp;
using LikeShape = Node::LikeShape;

// Characters without case, none of which another character folds into: ASCII other than
// letters, Chinese characters and their punctuation, full-width digits. A pattern of these
// alone is matched as typed, the common keyword of digits and Chinese characters without a
// function call per value.
bool isCaseless(const QString &text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool caseless = (u < 0x80 && !c.isLetter()) || c.script() == QChar::Script_Han ||
                              (u >= 0x3000 && u <= 0x303f) || (u >= 0xff10 && u <= 0xff19);
        if (!caseless)
            return false;
    }
    return true;
}

// A like pattern in the database's terms: the filter's wildcards become %, and the
// database's own wildcard _ and the escape character stand for themselves.
QString sqlPattern(const QString &pattern)
{
    QString out;
    out.reserve(pattern.size() + 2);
    for (QChar c : pattern) {
        if (c == u'*' || c == u'%')
            out += u'%';
        else if (c == u'_' || c == u'!')
            out += u'!' + QString(c);
        else
            out += c;
    }
    return out;
}

QString likePatternOf(const Node &node)
{
    switch (node.likeShape) {
    case LikeShape::Equals:
        return sqlPattern(node.likeText);
    case LikeShape::Contains:
        return u'%' + sqlPattern(node.likeText) + u'%';
    case LikeShape::StartsWith:
        return sqlPattern(node.likeText) + u'%';
    case LikeShape::EndsWith:
        return u'%' + sqlPattern(node.likeText);
    case LikeShape::Pattern:
        break;
    }
    return sqlPattern(node.likePattern);
}

class Translator {
public:
    explicit Translator(const QList<ColumnDef> &columns) : m_columns(columns) {}

    bool translate(const Node &node, QString &sql)
    {
        switch (node.kind) {
        case Node::And:
        case Node::Or: {
            QString left, right;
            if (!translate(*node.left, left) || !translate(*node.right, right))
                return false;
            sql =
                QStringLiteral("(%1 %2 %3)")
                    .arg(left, node.kind == Node::And ? QLatin1String("AND") : QLatin1String("OR"),
                         right);
            return true;
        }
        case Node::Not: {
            QString inner;
            if (!translate(*node.left, inner))
                return false;
            // A comparison with an empty field is unknown to the database but false in
            // memory; judged so here, "not" turns it true as it does in memory.
            sql = QStringLiteral("(CASE WHEN %1 THEN 0 ELSE 1 END = 1)").arg(inner);
            return true;
        }
        case Node::Compare:
            return compare(node, sql);
        }
        return false;
    }

    QVariantList values;

private:
    const QList<ColumnDef> &m_columns;

    // The stored value as the program reads it, in a form whose order the database keeps.
    QString valueOf(const Node &node) const
    {
        const QString column = quoteName(m_columns[node.column].name);
        switch (node.type) {
        case FieldType::DateTime:
            return QStringLiteral("quillet_when(%1)").arg(column);
        case FieldType::Currency:
            return QStringLiteral("quillet_money(%1)").arg(column);
        case FieldType::Bool:
            // A set flag reads as -1, a cleared one as 0.
            return QStringLiteral("(CASE WHEN %1 <> 0 THEN -1 ELSE 0 END)").arg(column);
        default:
            return column;
        }
    }

    QVariant boundLiteral(const Node &node) const
    {
        switch (node.type) {
        case FieldType::DateTime:
            return node.literal.toDateTime().toString(QLatin1String(StoreFunctions::DateOrder));
        case FieldType::Currency:
            return node.literal.value<Currency>().units();
        case FieldType::Bool:
            return node.literal.toBool() ? -1 : 0;
        default:
            return node.literal;
        }
    }

    bool compare(const Node &node, QString &sql)
    {
        if (node.otherColumn >= 0)
            return false;
        const bool text = node.type == FieldType::Text || node.type == FieldType::Memo;
        if (node.op == Cmp::IsNull || node.op == Cmp::IsNotNull) {
            // A bool column reads every stored value as a flag, so only an empty one is null.
            const QString value = node.type == FieldType::Bool
                                      ? quoteName(m_columns[node.column].name)
                                      : valueOf(node);
            sql = value + (node.op == Cmp::IsNull ? QStringLiteral(" IS NULL")
                                                  : QStringLiteral(" IS NOT NULL"));
            return true;
        }
        if (node.op == Cmp::Like) {
            if (!text)
                return false;
            const QString pattern = likePatternOf(node);
            const QString column = quoteName(m_columns[node.column].name);
            // A memo column does not store text as text, so it is always read as the program does.
            if (node.type == FieldType::Text && isCaseless(pattern)) {
                sql = column + QStringLiteral(" LIKE ? ESCAPE '!'");
                values << pattern;
            } else {
                sql = QStringLiteral("quillet_fold(%1) LIKE ? ESCAPE '!'").arg(column);
                values << pattern.toCaseFolded();
            }
            return true;
        }
        if (text || node.type == FieldType::Binary || node.type == FieldType::Unknown)
            return false;
        static const char *const symbols[] = {"=", "<>", "<", ">", "<=", ">="};
        sql = QStringLiteral("%1 %2 ?").arg(valueOf(node), QLatin1String(symbols[int(node.op)]));
        values << boundLiteral(node);
        return true;
    }
};

} // namespace

std::optional<FilterExpression::SqlCondition>
FilterExpression::toSql(const QList<ColumnDef> &columns) const
{
    if (!m_root)
        return SqlCondition{QStringLiteral("1=1"), {}};
    Translator translator(columns);
    QString where;
    if (!translator.translate(*m_root, where))
        return std::nullopt;
    return SqlCondition{where, translator.values};
}

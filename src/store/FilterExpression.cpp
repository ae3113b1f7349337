#include "FilterExpression.h"

#include "FilterNode.h"

#include "Currency.h"
#include "FieldValue.h"
#include "StoreError.h"

#include <QDateTime>

namespace {

using Cmp = FilterExpression::Node::Cmp;
using LikeShape = FilterExpression::Node::LikeShape;

enum class Tok { End, Name, Text, Date, Number, LParen, RParen, Op };

struct Token {
    Tok kind = Tok::End;
    QString text;
    int position = 0;
    bool quoted = false; // a name in [brackets] or "quotes" is never a keyword
};

bool isNameChar(QChar c)
{
    return !c.isSpace() && !QStringView(u"()'\"#[]=<>!,").contains(c);
}

QList<Token> tokenize(const QString &s)
{
    QList<Token> tokens;
    qsizetype i = 0;
    auto fail = [&](const QString &why) {
        throw StoreError(
            QStringLiteral("过滤条件有误（第%1个字符）：%2").arg(QString::number(i + 1), why));
    };
    while (i < s.size()) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.position = int(i);
        if (c == u'(' || c == u')') {
            t.kind = c == u'(' ? Tok::LParen : Tok::RParen;
            ++i;
        } else if (c == u'\'') {
            t.kind = Tok::Text;
            for (++i;; ++i) {
                if (i >= s.size())
                    fail(QStringLiteral("引号没有配对"));
                if (s[i] == u'\'') {
                    if (i + 1 < s.size() && s[i + 1] == u'\'') {
                        t.text += u'\'';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.text += s[i];
            }
        } else if (c == u'#') {
            t.kind = Tok::Date;
            const qsizetype end = s.indexOf(u'#', i + 1);
            if (end < 0)
                fail(QStringLiteral("日期缺少结尾的#"));
            t.text = s.mid(i + 1, end - i - 1);
            i = end + 1;
        } else if (c == u'[' || c == u'"') {
            // A doubled closing character stands for itself, so that any name can be written.
            const QChar close = c == u'[' ? u']' : u'"';
            t.kind = Tok::Name;
            t.quoted = true;
            for (++i;; ++i) {
                if (i >= s.size())
                    fail(QStringLiteral("栏目名缺少结尾的%1").arg(close));
                if (s[i] == close) {
                    if (i + 1 < s.size() && s[i + 1] == close) {
                        t.text += close;
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.text += s[i];
            }
        } else if (QStringView(u"=<>!").contains(c)) {
            t.kind = Tok::Op;
            t.text = c;
            ++i;
            if (i < s.size() && (s[i] == u'=' || (c == u'<' && s[i] == u'>'))) {
                t.text += s[i];
                ++i;
            }
        } else if (c.isDigit() || ((c == u'-' || c == u'+' || c == u'.') && i + 1 < s.size() &&
                                   (s[i + 1].isDigit() || s[i + 1] == u'.'))) {
            t.kind = Tok::Number;
            t.text += c;
            for (++i; i < s.size() && (s[i].isDigit() || s[i] == u'.'); ++i)
                t.text += s[i];
        } else if (isNameChar(c)) {
            t.kind = Tok::Name;
            for (; i < s.size() && isNameChar(s[i]); ++i)
                t.text += s[i];
        } else {
            fail(QStringLiteral("无法识别的字符“%1”").arg(c));
        }
        tokens << t;
    }
    tokens << Token{Tok::End, QString(), int(s.size())};
    return tokens;
}

bool isWild(QChar c)
{
    return c == u'*' || c == u'%';
}

// Whether the text fits the pattern, both case-folded: a wildcard stands for any run of
// characters, anything else for itself. Going back only to the last wildcard keeps it within
// text length times pattern length, whatever the pattern.
bool fitsPattern(QStringView text, QStringView pattern)
{
    qsizetype t = 0, p = 0, star = -1, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && isWild(pattern[p])) {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star >= 0) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && isWild(pattern[p]))
        ++p;
    return p == pattern.size();
}

} // namespace

bool FilterExpression::Node::evaluate(const QVariantList &row) const
{
    switch (kind) {
    case And:
        return left->evaluate(row) && right->evaluate(row);
    case Or:
        return left->evaluate(row) || right->evaluate(row);
    case Not:
        return !left->evaluate(row);
    case Compare:
        break;
    }
    const QVariant &value = row[column];
    if (op == Cmp::IsNull)
        return value.isNull();
    if (op == Cmp::IsNotNull)
        return !value.isNull();
    if (value.isNull())
        return false;
    if (op == Cmp::Like) {
        const QString s = FieldValue::toText(value, type);
        switch (likeShape) {
        case LikeShape::Equals:
            return s.compare(likeText, Qt::CaseInsensitive) == 0;
        case LikeShape::Contains:
            return s.contains(likeText, Qt::CaseInsensitive);
        case LikeShape::StartsWith:
            return s.startsWith(likeText, Qt::CaseInsensitive);
        case LikeShape::EndsWith:
            return s.endsWith(likeText, Qt::CaseInsensitive);
        case LikeShape::Pattern:
            return fitsPattern(s.toCaseFolded(), likePattern);
        }
    }
    const QVariant &other = otherColumn >= 0 ? row[otherColumn] : literal;
    if (other.isNull())
        return false;
    const int c = FieldValue::compare(value, other, type);
    switch (op) {
    case Cmp::Eq:
        return c == 0;
    case Cmp::Ne:
        return c != 0;
    case Cmp::Lt:
        return c < 0;
    case Cmp::Gt:
        return c > 0;
    case Cmp::Le:
        return c <= 0;
    case Cmp::Ge:
        return c >= 0;
    default:
        return false;
    }
}

namespace {

class Parser {
public:
    Parser(const QString &text, const QList<ColumnDef> &columns)
        : m_tokens(tokenize(text)), m_columns(columns)
    {
    }

    std::unique_ptr<FilterExpression::Node> parseAll()
    {
        auto node = parseOr();
        if (peek().kind != Tok::End)
            fail(QStringLiteral("多余的内容“%1”").arg(describe(peek())));
        return node;
    }

private:
    using NodePtr = std::unique_ptr<FilterExpression::Node>;

    QList<Token> m_tokens;
    const QList<ColumnDef> &m_columns;
    qsizetype m_pos = 0;

    const Token &peek() const { return m_tokens[m_pos]; }
    Token take() { return m_tokens[m_pos++]; }
    bool isWord(const Token &t, const char *word) const
    {
        return t.kind == Tok::Name && !t.quoted &&
               t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    static QString describe(const Token &t)
    {
        return t.kind == Tok::End ? QStringLiteral("结尾") : t.text;
    }
    [[noreturn]] void fail(const QString &why) const
    {
        throw StoreError(QStringLiteral("过滤条件有误（第%1个字符）：%2")
                             .arg(QString::number(peek().position + 1), why));
    }

    NodePtr binary(FilterExpression::Node::Kind kind, NodePtr l, NodePtr r)
    {
        auto n = std::make_unique<FilterExpression::Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }

    NodePtr parseOr()
    {
        NodePtr node = parseAnd();
        while (isWord(peek(), "or")) {
            take();
            node = binary(FilterExpression::Node::Or, std::move(node), parseAnd());
        }
        return node;
    }

    NodePtr parseAnd()
    {
        NodePtr node = parseNot();
        while (isWord(peek(), "and")) {
            take();
            node = binary(FilterExpression::Node::And, std::move(node), parseNot());
        }
        return node;
    }

    NodePtr parseNot()
    {
        if (isWord(peek(), "not")) {
            take();
            return binary(FilterExpression::Node::Not, parseNot(), nullptr);
        }
        if (peek().kind == Tok::LParen) {
            take();
            NodePtr inner = parseOr();
            if (peek().kind != Tok::RParen)
                fail(QStringLiteral("缺少右括号"));
            take();
            return inner;
        }
        return parseComparison();
    }

    int columnIndex(const QString &name) const
    {
        for (qsizetype i = 0; i < m_columns.size(); ++i)
            if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
                return int(i);
        return -1;
    }

    NodePtr parseComparison()
    {
        if (peek().kind != Tok::Name)
            fail(QStringLiteral("这里应是栏目名，而不是“%1”").arg(describe(peek())));
        auto node = std::make_unique<FilterExpression::Node>();
        const Token name = take();
        node->column = columnIndex(name.text);
        if (node->column < 0)
            throw StoreError(QStringLiteral("过滤条件中的栏目“%1”不存在").arg(name.text));
        node->type = m_columns[node->column].type;

        const Token op = take();
        if (isWord(op, "is")) {
            const bool negated = isWord(peek(), "not");
            if (negated)
                take();
            if (!isWord(peek(), "null"))
                fail(QStringLiteral("is 之后应是 null"));
            take();
            node->op = negated ? Cmp::IsNotNull : Cmp::IsNull;
            return node;
        }
        if (isWord(op, "like")) {
            node->op = Cmp::Like;
            if (peek().kind != Tok::Text)
                fail(QStringLiteral("like 之后应是带引号的文字"));
            setLikePattern(*node, take().text);
            return node;
        }
        static const QHash<QString, Cmp> ops{{"=", Cmp::Eq}, {"<>", Cmp::Ne}, {"!=", Cmp::Ne},
                                             {"<", Cmp::Lt}, {">", Cmp::Gt},  {"<=", Cmp::Le},
                                             {">=", Cmp::Ge}};
        if (op.kind != Tok::Op || !ops.contains(op.text)) {
            m_pos--;
            fail(QStringLiteral("这里应是比较符号，而不是“%1”").arg(describe(op)));
        }
        node->op = ops.value(op.text);

        const Token value = peek();
        if (value.kind == Tok::Name && !isWord(value, "true") && !isWord(value, "false")) {
            take();
            node->otherColumn = columnIndex(value.text);
            if (node->otherColumn < 0)
                throw StoreError(QStringLiteral("过滤条件中的栏目“%1”不存在").arg(value.text));
            return node;
        }
        if (value.kind != Tok::Text && value.kind != Tok::Date && value.kind != Tok::Number &&
            value.kind != Tok::Name)
            fail(QStringLiteral("这里应是一个值，而不是“%1”").arg(describe(value)));
        take();
        const QString literal = isWord(value, "true")    ? QStringLiteral("-1")
                                : isWord(value, "false") ? QStringLiteral("0")
                                                         : value.text;
        node->literal = FieldValue::fromText(literal, node->type);
        if (node->literal.isNull())
            throw StoreError(QStringLiteral("过滤条件中的“%1”不是栏目“%2”能比较的值")
                                 .arg(value.text, m_columns[node->column].name));
        return node;
    }

    static void setLikePattern(FilterExpression::Node &node, const QString &pattern)
    {
        QString core = pattern;
        const bool lead = !core.isEmpty() && isWild(core.front());
        if (lead)
            core.remove(0, 1);
        const bool trail = !core.isEmpty() && isWild(core.back());
        if (trail)
            core.chop(1);
        if (!core.contains(u'*') && !core.contains(u'%')) {
            node.likeText = core;
            node.likeShape = lead && trail ? LikeShape::Contains
                             : lead        ? LikeShape::EndsWith
                             : trail       ? LikeShape::StartsWith
                                           : LikeShape::Equals;
            return;
        }
        node.likeShape = LikeShape::Pattern;
        node.likePattern = pattern.toCaseFolded();
    }
};

} // namespace

FilterExpression::FilterExpression() = default;
FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression &&) noexcept = default;
FilterExpression &FilterExpression::operator=(FilterExpression &&) noexcept = default;

FilterExpression FilterExpression::compile(const QString &text, const QList<ColumnDef> &columns)
{
    FilterExpression expression;
    if (!text.trimmed().isEmpty())
        expression.m_root = Parser(text, columns).parseAll();
    return expression;
}

bool FilterExpression::matches(const QVariantList &row) const
{
    return !m_root || m_root->evaluate(row);
}

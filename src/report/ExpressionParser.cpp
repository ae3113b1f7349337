#include "ExpressionParser.h"

#include "ExpressionLexer.h"
#include "ReportError.h"
#include "UserFunctions.h"

namespace {

using Arithmetic = EngineValues::Arithmetic;
using Comparison = EngineValues::Comparison;
using Node = ExpressionNode;
using NodePtr = std::unique_ptr<Node>;
using Token = ExpressionToken;

const QStringList &variables()
{
    static const QStringList names = {QStringLiteral("Page#"), QStringLiteral("TotalPages#"),
                                      QStringLiteral("Line#")};
    return names;
}

// Parentheses, signs, "not" and function calls nest; each level costs stack here and in
// evaluation, and real templates use a handful.
constexpr int MaxNesting = 256;

NodePtr makeNode(Node::Kind kind, std::vector<NodePtr> children = {})
{
    auto node = std::make_unique<Node>();
    node->kind = kind;
    node->children = std::move(children);
    return node;
}

class Parser {
public:
    Parser(const QString &source, const UserFunctions &functions)
        : m_tokens(ExpressionLexer::tokenize(source)), m_functions(functions)
    {
    }

    NodePtr parseAll()
    {
        NodePtr node = parseOr();
        if (current().kind != Token::Kind::End)
            fail(QStringLiteral("多余的内容"));
        return node;
    }

private:
    // One level of nesting for as long as it lives.
    class Nesting {
    public:
        explicit Nesting(Parser &parser) : m_parser(parser)
        {
            if (++m_parser.m_depth > MaxNesting)
                m_parser.fail(QStringLiteral("表达式嵌套过深（最多 %1 层）").arg(MaxNesting));
        }
        ~Nesting() { --m_parser.m_depth; }
        Nesting(const Nesting &) = delete;
        Nesting &operator=(const Nesting &) = delete;

    private:
        Parser &m_parser;
    };

    const Token &current() const { return m_tokens[m_index]; }

    [[noreturn]] void fail(const QString &why) const
    {
        throw ReportError(
            QStringLiteral("%1（第 %2 个字符）").arg(why).arg(current().position + 1));
    }

    bool isKeyword(const char *word) const
    {
        return current().kind == Token::Kind::Name &&
               current().text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool isOperator(const char *op) const
    {
        return current().kind == Token::Kind::Operator && current().text == QLatin1String(op);
    }
    void expect(const char *op)
    {
        if (!isOperator(op))
            fail(QStringLiteral("缺少“%1”").arg(QLatin1String(op)));
        ++m_index;
    }

    NodePtr binary(Node::Kind kind, NodePtr left, NodePtr right)
    {
        std::vector<NodePtr> children;
        children.push_back(std::move(left));
        children.push_back(std::move(right));
        return makeNode(kind, std::move(children));
    }

    NodePtr parseOr()
    {
        const Nesting nesting(*this);
        NodePtr left = parseAnd();
        while (isKeyword("or")) {
            ++m_index;
            left = binary(Node::Kind::Or, std::move(left), parseAnd());
        }
        return left;
    }

    NodePtr parseAnd()
    {
        NodePtr left = parseNot();
        while (isKeyword("and")) {
            ++m_index;
            left = binary(Node::Kind::And, std::move(left), parseNot());
        }
        return left;
    }

    NodePtr parseNot()
    {
        if (!isKeyword("not"))
            return parseComparison();
        const Nesting nesting(*this);
        ++m_index;
        std::vector<NodePtr> operand;
        operand.push_back(parseNot());
        return makeNode(Node::Kind::Not, std::move(operand));
    }

    NodePtr parseComparison()
    {
        static const QList<std::pair<const char *, Comparison>> operators = {
            {"=", Comparison::Equal},        {"<>", Comparison::NotEqual},
            {"<", Comparison::Less},         {">", Comparison::Greater},
            {"<=", Comparison::LessOrEqual}, {">=", Comparison::GreaterOrEqual}};
        NodePtr left = parseAdditive();
        for (const auto &[op, comparison] : operators) {
            if (isOperator(op)) {
                ++m_index;
                NodePtr node = binary(Node::Kind::Compare, std::move(left), parseAdditive());
                node->comparison = comparison;
                return node;
            }
        }
        return left;
    }

    NodePtr parseAdditive()
    {
        NodePtr left = parseMultiplicative();
        while (true) {
            if (isOperator("+")) {
                ++m_index;
                left = binary(Node::Kind::Plus, std::move(left), parseMultiplicative());
            } else if (isOperator("-")) {
                ++m_index;
                left = binary(Node::Kind::Arithmetic, std::move(left), parseMultiplicative());
                left->arithmetic = Arithmetic::Subtract;
            } else if (isOperator("&")) {
                ++m_index;
                left = binary(Node::Kind::Concatenate, std::move(left), parseMultiplicative());
            } else {
                return left;
            }
        }
    }

    NodePtr parseMultiplicative()
    {
        NodePtr left = parseUnary();
        while (true) {
            Arithmetic op;
            if (isOperator("*"))
                op = Arithmetic::Multiply;
            else if (isOperator("/"))
                op = Arithmetic::Divide;
            else if (isKeyword("div"))
                op = Arithmetic::IntegerDivide;
            else if (isKeyword("mod"))
                op = Arithmetic::Modulo;
            else
                return left;
            ++m_index;
            left = binary(Node::Kind::Arithmetic, std::move(left), parseUnary());
            left->arithmetic = op;
        }
    }

    NodePtr parseUnary()
    {
        if (isOperator("-") || isOperator("+")) {
            const bool minus = isOperator("-");
            const Nesting nesting(*this);
            ++m_index;
            NodePtr operand = parseUnary();
            if (!minus)
                return operand;
            std::vector<NodePtr> children;
            children.push_back(std::move(operand));
            return makeNode(Node::Kind::Negate, std::move(children));
        }
        return parsePrimary();
    }

    NodePtr constant(const QVariant &value)
    {
        NodePtr node = makeNode(Node::Kind::Constant);
        node->constant = value;
        ++m_index;
        return node;
    }

    NodePtr parsePrimary()
    {
        const Token &token = current();
        switch (token.kind) {
        case Token::Kind::Number:
            return constant(token.number);
        case Token::Kind::Text:
            return constant(token.text);
        case Token::Kind::Field: {
            NodePtr node = makeNode(Node::Kind::Field);
            node->name = token.text;
            node->field = token.field;
            ++m_index;
            return node;
        }
        case Token::Kind::Name:
            return parseName();
        case Token::Kind::Operator:
            if (isOperator("(")) {
                ++m_index;
                NodePtr inner = parseOr();
                expect(")");
                return inner;
            }
            fail(QStringLiteral("意外的“%1”").arg(token.text));
        case Token::Kind::End:
            break;
        }
        fail(QStringLiteral("表达式不完整"));
    }

    std::vector<NodePtr> parseArguments()
    {
        std::vector<NodePtr> args;
        if (!isOperator("("))
            return args;
        ++m_index;
        if (isOperator(")")) {
            ++m_index;
            return args;
        }
        args.push_back(parseOr());
        while (isOperator(",")) {
            ++m_index;
            args.push_back(parseOr());
        }
        expect(")");
        return args;
    }

    NodePtr parseName()
    {
        const QString name = current().text;
        if (isKeyword("true") || isKeyword("false"))
            return constant(name.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0);
        for (const QString &variable : variables()) {
            if (variable.compare(name, Qt::CaseInsensitive) == 0) {
                NodePtr node = makeNode(Node::Kind::Variable);
                node->name = variable;
                ++m_index;
                return node;
            }
        }
        const qsizetype namePosition = m_index++;
        std::vector<NodePtr> args = parseArguments();
        const int count = int(args.size());
        NodePtr node;
        if (name.compare(QLatin1String("IIF"), Qt::CaseInsensitive) == 0) {
            checkCount(name, count, 3, 3);
            node = makeNode(Node::Kind::Iif, std::move(args));
        } else if (const BuiltinFunctions::Function *builtin = BuiltinFunctions::find(name)) {
            checkCount(name, count, builtin->minArgs, builtin->maxArgs);
            node = makeNode(Node::Kind::Builtin, std::move(args));
            node->builtin = builtin;
        } else if (const auto declared = m_functions.find(name)) {
            checkCount(name, count, declared->parameterCount, declared->parameterCount);
            node = makeNode(Node::Kind::User, std::move(args));
            node->name = declared->name;
            return node;
        } else {
            m_index = namePosition;
            fail(QStringLiteral("未声明的函数或名称“%1”").arg(name));
        }
        node->name = name;
        return node;
    }

    void checkCount(const QString &name, int count, int min, int max) const
    {
        if (count < min || count > max)
            fail(QStringLiteral("函数 %1 的参数个数不对").arg(name));
    }

    QList<Token> m_tokens;
    qsizetype m_index = 0;
    int m_depth = 0;
    const UserFunctions &m_functions;
};

} // namespace

std::unique_ptr<ExpressionNode> ExpressionParser::parse(const QString &source,
                                                        const UserFunctions &functions)
{
    return Parser(source, functions).parseAll();
}

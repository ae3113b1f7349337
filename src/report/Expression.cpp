#include "Expression.h"

#include "ExpressionContext.h"
#include "ExpressionParser.h"

namespace {

using Node = ExpressionNode;
using NodePtr = std::unique_ptr<Node>;
using Arithmetic = EngineValues::Arithmetic;

QVariant evaluate(const Node &node, const ExpressionContext &context);

// The binary operators that chain to the left: a + b - c is ((a + b) - c).
bool isChainLink(const Node &node)
{
    switch (node.kind) {
    case Node::Kind::And:
    case Node::Kind::Or:
    case Node::Kind::Plus:
    case Node::Kind::Arithmetic:
    case Node::Kind::Concatenate:
        return true;
    default:
        return false;
    }
}

// One link of a chain applied to the value of everything left of it.
QVariant combine(const Node &link, const QVariant &left, const ExpressionContext &context)
{
    const auto right = [&] { return evaluate(*link.children[1], context); };
    switch (link.kind) {
    case Node::Kind::And:
        return EngineValues::toBoolean(left) && EngineValues::toBoolean(right());
    case Node::Kind::Or:
        return EngineValues::toBoolean(left) || EngineValues::toBoolean(right());
    case Node::Kind::Plus: {
        const QVariant r = right();
        if (EngineValues::typeOf(left) == EngineValues::Type::Text ||
            EngineValues::typeOf(r) == EngineValues::Type::Text)
            return EngineValues::concatenate(left, r);
        return EngineValues::arithmetic(Arithmetic::Add, left, r);
    }
    case Node::Kind::Arithmetic:
        return EngineValues::arithmetic(link.arithmetic, left, right());
    default:
        return EngineValues::concatenate(left, right());
    }
}

// A chain of any length is walked in a loop, so a long sum needs no deep stack.
QVariant evaluateChain(const Node &top, const ExpressionContext &context)
{
    std::vector<const Node *> links;
    const Node *first = &top;
    for (; isChainLink(*first); first = first->children[0].get())
        links.push_back(first);
    QVariant value = evaluate(*first, context);
    for (auto link = links.rbegin(); link != links.rend(); ++link)
        value = combine(**link, value, context);
    return value;
}

QVariant evaluate(const Node &node, const ExpressionContext &context)
{
    if (isChainLink(node))
        return evaluateChain(node, context);
    const auto child = [&](size_t i) { return evaluate(*node.children[i], context); };
    switch (node.kind) {
    case Node::Kind::Constant:
        return node.constant;
    case Node::Kind::Field:
        return context.field(node.name, node.field);
    case Node::Kind::Variable:
        return context.variable(node.name);
    case Node::Kind::Negate:
        return EngineValues::negate(child(0));
    case Node::Kind::Not:
        return !EngineValues::toBoolean(child(0));
    case Node::Kind::Compare:
        return EngineValues::compare(node.comparison, child(0), child(1));
    case Node::Kind::Iif:
        return EngineValues::toBoolean(child(0)) ? child(1) : child(2);
    case Node::Kind::Builtin:
    case Node::Kind::User: {
        QVariantList args;
        for (size_t i = 0; i < node.children.size(); ++i)
            args.append(child(i));
        if (node.kind == Node::Kind::Builtin)
            return node.builtin->call(args);
        return context.callUserFunction(node.name, args);
    }
    default:
        break;
    }
    return {};
}

bool uses(const Node &root, const QString &variable)
{
    std::vector<const Node *> pending = {&root};
    while (!pending.empty()) {
        const Node *node = pending.back();
        pending.pop_back();
        if (node->kind == Node::Kind::Variable && node->name == variable)
            return true;
        for (const NodePtr &child : node->children)
            pending.push_back(child.get());
    }
    return false;
}

} // namespace

Expression Expression::parse(const QString &source, const UserFunctions &functions)
{
    Expression expression;
    expression.m_root = ExpressionParser::parse(source, functions);
    return expression;
}

QVariant Expression::evaluate(const ExpressionContext &context) const
{
    return ::evaluate(*m_root, context);
}

bool Expression::uses(const QString &variable) const
{
    return ::uses(*m_root, variable);
}

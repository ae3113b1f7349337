#include "Expression.h"

#include "ExpressionContext.h"
#include "ExpressionParser.h"

namespace {

using Node = ExpressionNode;
using NodePtr = std::unique_ptr<Node>;
using Arithmetic = EngineValues::Arithmetic;

QVariant evaluate(const Node &node, const ExpressionContext &context)
{
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
    case Node::Kind::And:
        return EngineValues::toBoolean(child(0)) && EngineValues::toBoolean(child(1));
    case Node::Kind::Or:
        return EngineValues::toBoolean(child(0)) || EngineValues::toBoolean(child(1));
    case Node::Kind::Plus: {
        const QVariant left = child(0), right = child(1);
        if (EngineValues::typeOf(left) == EngineValues::Type::Text ||
            EngineValues::typeOf(right) == EngineValues::Type::Text)
            return EngineValues::concatenate(left, right);
        return EngineValues::arithmetic(Arithmetic::Add, left, right);
    }
    case Node::Kind::Arithmetic:
        return EngineValues::arithmetic(node.arithmetic, child(0), child(1));
    case Node::Kind::Concatenate:
        return EngineValues::concatenate(child(0), child(1));
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
    }
    return {};
}

bool uses(const Node &node, const QString &variable)
{
    if (node.kind == Node::Kind::Variable && node.name == variable)
        return true;
    for (const NodePtr &child : node.children)
        if (uses(*child, variable))
            return true;
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

#pragma once

#include "BuiltinFunctions.h"
#include "EngineValues.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

// A node of a parsed expression; its children are its operands or arguments, in order.
struct ExpressionNode {
    enum class Kind {
        Constant,
        Field,
        Variable,
        Negate,
        Not,
        And,
        Or,
        Plus,
        Arithmetic,
        Concatenate,
        Compare,
        Iif,
        Builtin,
        User
    };
    Kind kind = Kind::Constant;
    QVariant constant;
    QString name;  // dataset, variable or function
    QString field; // of a field reference
    EngineValues::Arithmetic arithmetic = EngineValues::Arithmetic::Add;
    EngineValues::Comparison comparison = EngineValues::Comparison::Equal;
    const BuiltinFunctions::Function *builtin = nullptr;
    std::vector<std::unique_ptr<ExpressionNode>> children;

    ExpressionNode() = default;
    ExpressionNode(const ExpressionNode &) = delete;
    ExpressionNode &operator=(const ExpressionNode &) = delete;
    // Frees the subtree without recursion: a sum of many terms is a chain as long as the sum.
    ~ExpressionNode()
    {
        std::vector<std::unique_ptr<ExpressionNode>> pending = std::move(children);
        while (!pending.empty()) {
            std::unique_ptr<ExpressionNode> node = std::move(pending.back());
            pending.pop_back();
            for (std::unique_ptr<ExpressionNode> &child : node->children)
                pending.push_back(std::move(child));
            node->children.clear();
        }
    }
};

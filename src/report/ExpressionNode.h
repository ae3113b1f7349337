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
};

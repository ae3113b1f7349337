#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

// Functions every template can call. IIF is not here: it evaluates its arguments
// lazily, so the expression evaluator handles it itself.
namespace BuiltinFunctions {
struct Function {
    int minArgs;
    int maxArgs;
    QVariant (*call)(const QVariantList &args);
};
// nullptr when the name (compared without regard to case) is no built-in.
const Function *find(const QString &name);
} // namespace BuiltinFunctions

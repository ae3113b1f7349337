#pragma once

#include "ExpressionNode.h"

#include <QString>
#include <memory>

class UserFunctions;

namespace ExpressionParser {
// Throws ReportError on a syntax error or a call of an undeclared function.
std::unique_ptr<ExpressionNode> parse(const QString &source, const UserFunctions &functions);
} // namespace ExpressionParser

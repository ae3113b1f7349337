#pragma once

#include <QString>
#include <QVariant>
#include <memory>

class ExpressionContext;
class UserFunctions;
struct ExpressionNode;

// One compiled expression of the template language: literals, <dataset."field">,
// + - * / div mod, & and + on text, comparisons, and/or/not, parentheses, IIF,
// the built-in functions and the declared user functions.
// Precedence, loosest first: or; and; not; comparisons; + - &; * / div mod; unary minus.
class Expression {
public:
    // Throws ReportError on a syntax error or a call of an undeclared function.
    static Expression parse(const QString &source, const UserFunctions &functions);

    // Throws ReportError (or passes on what a user function threw).
    QVariant evaluate(const ExpressionContext &context) const;
    // Whether the expression reads this variable (Page#, TotalPages#, Line#).
    bool uses(const QString &variable) const;

private:
    std::shared_ptr<const ExpressionNode> m_root;
};

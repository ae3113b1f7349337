#pragma once

#include "Expression.h"

#include <QList>
#include <QString>

// The text of a text object: literal text with expressions in [...], compiled once and
// printed for each row. Errors name the object and the expression.
class TextExpression {
public:
    // Throws ReportError on a syntax error or an undeclared function.
    static TextExpression compile(const QString &objectName, const QString &text,
                                  const UserFunctions &functions);

    // displayFormat: applied to the values of the expressions (see ReportObject).
    QString evaluate(const ExpressionContext &context, const QString &displayFormat = {}) const;
    bool uses(const QString &variable) const;

private:
    struct Part {
        QString literal; // printed as is when source is empty
        QString source;  // the expression between the brackets
        Expression expression;
    };
    [[noreturn]] void fail(const QString &source, const QString &why) const;

    QString m_objectName;
    QList<Part> m_parts;
};

#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

// What an expression reads while it is evaluated: fields of the datasets, the engine's
// variables (Page#, TotalPages#, Line#) and the program's functions.
class ExpressionContext {
public:
    virtual ~ExpressionContext() = default;
    virtual QVariant field(const QString &dataset, const QString &field) const = 0;
    virtual QVariant variable(const QString &name) const = 0;
    virtual QVariant callUserFunction(const QString &name, const QVariantList &args) const = 0;
};

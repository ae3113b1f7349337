#pragma once

#include "FilterExpression.h"

#include <QVariant>

// The parsed form of a filter, shared by its two ways of being carried out: over rows held
// in memory and as a condition the database evaluates.

struct FilterExpression::Node {
    enum class Cmp { Eq, Ne, Lt, Gt, Le, Ge, Like, IsNull, IsNotNull };
    enum class LikeShape { Equals, Contains, StartsWith, EndsWith, Pattern };

    enum Kind { And, Or, Not, Compare } kind = Compare;
    std::unique_ptr<Node> left, right;
    // Compare: column index on the left; the right side is a second column or a literal
    // already converted to the left column's type.
    int column = -1;
    int otherColumn = -1;
    FieldType type = FieldType::Unknown;
    Cmp op = Cmp::Eq;
    QVariant literal;
    LikeShape likeShape = LikeShape::Equals;
    QString likeText;
    QString likePattern; // case-folded

    bool evaluate(const QVariantList &row) const;
};

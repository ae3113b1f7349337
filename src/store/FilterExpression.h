#pragma once

#include "ColumnDef.h"

#include <QList>
#include <QVariantList>
#include <memory>
#include <optional>

// A record filter as the record window writes it: column comparisons (=, <>, <, >, <=, >=,
// like with * for any run of characters, is null, is not null) joined by "and", "or" and
// "not", with parentheses, quoted text ('it''s'), dates as quoted text or #...#, numbers,
// and the print flag compared with 0 (false) and -1 (true). Column names are matched
// without regard to case and may be written in [brackets] or "double quotes", the closing
// character doubled inside: [a]]b] and "a""b".
//
// The text is parsed once against the table's columns and never reaches the database, so
// typed text cannot change any statement.
class FilterExpression {
public:
    FilterExpression(); // matches every row
    ~FilterExpression();
    FilterExpression(FilterExpression &&) noexcept;
    FilterExpression &operator=(FilterExpression &&) noexcept;

    // Throws StoreError with a Chinese message naming what could not be understood.
    static FilterExpression compile(const QString &text, const QList<ColumnDef> &columns);

    bool matches(const QVariantList &row) const;

    // The same filter as a condition the database evaluates over the table's columns (the
    // ones it was compiled against), its values bound to the "?" places in order, so that
    // typed text never becomes part of a statement. It selects exactly the rows matches()
    // accepts, given the functions of StoreFunctions. Nothing when some part can only be
    // judged over rows in memory (text ordered or compared for equality, one column against
    // another, like over a column that is not text); an empty filter gives "1=1".
    struct SqlCondition {
        QString where;
        QVariantList values;
    };
    std::optional<SqlCondition> toSql(const QList<ColumnDef> &columns) const;

    struct Node;

private:
    std::unique_ptr<Node> m_root;
};

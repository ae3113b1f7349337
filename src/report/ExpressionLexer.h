#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// Splits an expression into tokens. Keywords and names keep their spelling; the parser
// compares them without regard to case.
struct ExpressionToken {
    enum class Kind { Number, Text, Name, Field, Operator, End };
    Kind kind = Kind::End;
    QString text;    // name, operator, or the dataset of a field
    QString field;   // field of a <dataset."field"> reference
    QVariant number; // qint64 or double
    qsizetype position = 0;
};

namespace ExpressionLexer {
// Throws ReportError on a character that starts no token or on an unclosed text.
QList<ExpressionToken> tokenize(const QString &source);
} // namespace ExpressionLexer

#include "ExpressionLexer.h"

#include "ReportError.h"

#include <QRegularExpression>

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == u'_';
}
bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// <dataset."field">, <dataset.field> or a variable such as <Page#>; anything else
// starting with "<" is the operator.
bool readField(const QString &s, qsizetype &i, ExpressionToken &token)
{
    static const QRegularExpression field(
        QStringLiteral(R"re(\G<\s*([\w]+#?)\s*(?:\.\s*(?:"([^"]*)"|([^<>"]*?))\s*)?>)re"),
        QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch m = field.match(s, i);
    if (!m.hasMatch())
        return false;
    token.kind = ExpressionToken::Kind::Field;
    token.text = m.captured(1);
    if (m.capturedStart(2) >= 0)
        token.field = m.captured(2);
    else if (m.capturedStart(3) >= 0)
        token.field = m.captured(3);
    else
        token.kind = ExpressionToken::Kind::Name;
    if (token.kind == ExpressionToken::Kind::Field && token.field.isEmpty())
        return false;
    i = m.capturedEnd(0);
    return true;
}

// ASCII digits, and the full-width ones a Chinese input method types (０-９); -1 for
// anything else.
int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'０' && u <= u'９')
        return u - u'０';
    return -1;
}

bool isPoint(QChar c)
{
    return c == u'.' || c == u'．';
}

QChar at(const QString &s, qsizetype i)
{
    return i < s.size() ? s[i] : QChar();
}

// Digits, an optional point with digits, an optional exponent; full-width digits and
// point read as their ASCII forms.
void readNumber(const QString &s, qsizetype &i, ExpressionToken &token)
{
    QString ascii;
    const auto digits = [&] {
        for (; digitValue(at(s, i)) >= 0; ++i)
            ascii += QChar(u'0' + digitValue(s[i]));
    };
    digits();
    if (isPoint(at(s, i)) && digitValue(at(s, i + 1)) >= 0) {
        ascii += u'.';
        ++i;
        digits();
    }
    const QChar e = at(s, i);
    if (e == u'e' || e == u'E') {
        const qsizetype sign = at(s, i + 1) == u'+' || at(s, i + 1) == u'-' ? 1 : 0;
        if (digitValue(at(s, i + 1 + sign)) >= 0) {
            ascii += u'e';
            if (sign)
                ascii += s[i + 1];
            i += 1 + sign;
            digits();
        }
    }
    token.kind = ExpressionToken::Kind::Number;
    bool whole = false;
    const qint64 integer = ascii.toLongLong(&whole);
    token.number = whole ? QVariant(integer) : QVariant(ascii.toDouble());
}

void readText(const QString &s, qsizetype &i, ExpressionToken &token)
{
    token.kind = ExpressionToken::Kind::Text;
    for (++i; i < s.size(); ++i) {
        if (s[i] == u'\'') {
            if (i + 1 < s.size() && s[i + 1] == u'\'') {
                token.text += u'\'';
                ++i;
            } else {
                ++i;
                return;
            }
        } else {
            token.text += s[i];
        }
    }
    throw ReportError(QStringLiteral("文本缺少结束的单引号"));
}

} // namespace

QList<ExpressionToken> ExpressionLexer::tokenize(const QString &s)
{
    static const QStringList twoCharOperators = {QStringLiteral("<>"), QStringLiteral("<="),
                                                 QStringLiteral(">=")};
    static const QString oneCharOperators = QStringLiteral("+-*/&=<>(),");
    QList<ExpressionToken> tokens;
    qsizetype i = 0;
    while (true) {
        while (i < s.size() && s[i].isSpace())
            ++i;
        ExpressionToken token;
        token.position = i;
        if (i >= s.size()) {
            tokens.append(token);
            return tokens;
        }
        const QChar c = s[i];
        if (c == u'<' && readField(s, i, token)) {
        } else if (digitValue(c) >= 0) {
            readNumber(s, i, token);
        } else if (c == u'\'') {
            readText(s, i, token);
        } else if (isNameStart(c)) {
            token.kind = ExpressionToken::Kind::Name;
            while (i < s.size() && isNamePart(s[i]))
                token.text += s[i++];
            if (i < s.size() && s[i] == u'#')
                token.text += s[i++];
        } else if (twoCharOperators.contains(s.mid(i, 2))) {
            token.kind = ExpressionToken::Kind::Operator;
            token.text = s.mid(i, 2);
            i += 2;
        } else if (oneCharOperators.contains(c)) {
            token.kind = ExpressionToken::Kind::Operator;
            token.text = c;
            ++i;
        } else {
            throw ReportError(QStringLiteral("无法识别的字符“%1”（第 %2 个字符）")
                                  .arg(s.mid(i, c.isHighSurrogate() ? 2 : 1))
                                  .arg(i + 1));
        }
        tokens.append(token);
    }
}

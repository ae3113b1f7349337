#include "KindCode.h"

namespace KindCode {

int KindCodeLevel(const QString &code)
{
    int remaining = int(code.trimmed().size());
    int level = 0;
    for (const char *digit = LevelPattern; *digit; ++digit) {
        ++level;
        const int width = *digit - '0';
        if (remaining == width)
            return level;
        remaining -= width;
        if (remaining < 0)
            return -1;
    }
    return -1;
}

int ParentCodeLength(const QString &code)
{
    const int level = KindCodeLevel(code);
    int length = 0;
    for (int i = 0; i < level - 1; ++i)
        length += LevelPattern[i] - '0';
    return length;
}

QString CodeFormatMask()
{
    QString mask;
    for (const char *digit = LevelPattern; *digit; ++digit)
        mask += QString(*digit - '0', u'*') + u' ';
    return mask;
}

QString NodeKindCode(const QString &nodeText)
{
    const qsizetype open = nodeText.indexOf(u'(');
    const qsizetype close = nodeText.indexOf(u')');
    if (open < 0 || close < 0 || close < open)
        return QString();
    return nodeText.mid(open + 1, close - open - 1);
}

QString NodeKindName(const QString &nodeText)
{
    const qsizetype open = nodeText.indexOf(u'(');
    const qsizetype close = nodeText.indexOf(u')');
    if (open < 0 || close < 0)
        return QString();
    // Removes (position of ")" counted from 1) characters starting at "(".
    QString name = nodeText;
    name.remove(open, close + 1);
    return name;
}

QString NodeText(const QString &code, const QString &name)
{
    return u'(' + code.trimmed() + u')' + name;
}

} // namespace KindCode

#include "ReportXmlText.h"

namespace {

constexpr char16_t escapeMark = 0xE000;
constexpr char16_t controlBase = 0xE100;      // U+0000..U+001F
constexpr char16_t nonCharacterBase = 0xE120; // U+FFFE, U+FFFF
constexpr char16_t surrogateBase = 0xE800;    // U+D800..U+DFFF

bool allowedInXml(const QString &text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    if (c < 0x20)
        return c == u'\t' || c == u'\n' || c == u'\r';
    if (c == 0xFFFE || c == 0xFFFF)
        return false;
    if (QChar::isHighSurrogate(c))
        return i + 1 < text.size() && text[i + 1].isLowSurrogate();
    if (QChar::isLowSurrogate(c))
        return i > 0 && text[i - 1].isHighSurrogate();
    return true;
}

char16_t escaped(char16_t c)
{
    if (c < 0x20)
        return char16_t(controlBase + c);
    if (c >= 0xFFFE)
        return char16_t(nonCharacterBase + (c - 0xFFFE));
    return char16_t(surrogateBase + (c - 0xD800));
}

std::optional<char16_t> unescaped(char16_t c)
{
    if (c == escapeMark)
        return escapeMark;
    if (c >= controlBase && c < controlBase + 0x20)
        return char16_t(c - controlBase);
    if (c == nonCharacterBase || c == nonCharacterBase + 1)
        return char16_t(0xFFFE + (c - nonCharacterBase));
    if (c >= surrogateBase && c < surrogateBase + 0x800)
        return char16_t(0xD800 + (c - surrogateBase));
    return std::nullopt;
}

} // namespace

QString ReportXmlText::escape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == escapeMark) {
            out += QChar(escapeMark);
            out += QChar(escapeMark);
        } else if (allowedInXml(text, i)) {
            out += QChar(c);
        } else {
            out += QChar(escapeMark);
            out += QChar(escaped(c));
        }
    }
    return out;
}

std::optional<QString> ReportXmlText::unescape(const QString &text)
{
    if (!text.contains(QChar(escapeMark)))
        return text;
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() != escapeMark) {
            out += text[i];
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        const auto c = unescaped(text[i].unicode());
        if (!c)
            return std::nullopt;
        out += QChar(*c);
    }
    return out;
}

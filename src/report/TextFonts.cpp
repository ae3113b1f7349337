#include "TextFonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <algorithm>

namespace {

// Chinese fonts that map each glyph back to one character and shape without substitutes.
QString faithfulChineseFamily()
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char *candidate : {"WenQuanYi Micro Hei", "WenQuanYi Zen Hei", "AR PL UMing CN"})
            if (installed.contains(QLatin1String(candidate)))
                return QString::fromLatin1(candidate);
        return QString();
    }();
    return family;
}

QFont styled(const ReportObject &object, const QStringList &families)
{
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(object.fontSize);
    font.setBold(object.bold);
    font.setItalic(object.italic);
    return font;
}

QString withoutSpaces(const QString &text)
{
    QString kept;
    for (const QChar c : text)
        if (!c.isSpace())
            kept += c;
    return kept;
}

QString fontKey(const QRawFont &font)
{
    return QStringLiteral("%1|%2|%3|%4")
        .arg(font.familyName(), font.styleName())
        .arg(font.weight())
        .arg(int(font.style()));
}

} // namespace

QFont TextFonts::fontFor(const ReportObject &object, const QString &text)
{
    QFont named(object.fontFamily);
    // The family as matched (a Western name may stand for a look-alike), ahead of the Chinese
    // font, so that only what it lacks falls back.
    const QString family = QFontInfo(named).family();
    const QString chinese = faithfulChineseFamily();
    const QFont font = styled(object, {family, chinese});
    if (chinese.isEmpty() || readsBack(font, text))
        return font;
    const QFont fallback = styled(object, {chinese});
    return readsBack(fallback, text) ? fallback : font;
}

bool TextFonts::readsBack(const QFont &font, const QString &text)
{
    QString expected = withoutSpaces(text);
    QTextLayout layout(expected, font);
    layout.beginLayout();
    while (layout.createLine().isValid()) {
    }
    layout.endLayout();
    QString readBack;
    for (const QGlyphRun &run : layout.glyphRuns()) {
        const QHash<quint32, QChar> &characters = characterOf(run.rawFont());
        for (const quint32 glyph : run.glyphIndexes()) {
            const auto found = characters.constFind(glyph);
            if (found == characters.constEnd())
                return false;
            readBack += *found;
        }
    }
    std::sort(expected.begin(), expected.end());
    std::sort(readBack.begin(), readBack.end());
    return readBack == expected;
}

const QHash<quint32, QChar> &TextFonts::characterOf(const QRawFont &font)
{
    const QString key = fontKey(font);
    auto it = m_characters.find(key);
    if (it != m_characters.end())
        return *it;
    QString all;
    for (uint code = 1; code <= 0xFFFF; ++code)
        if (!QChar::isSurrogate(code))
            all += QChar(char16_t(code));
    QList<quint32> glyphs(all.size());
    int count = int(all.size());
    font.glyphIndexesForChars(all.constData(), count, glyphs.data(), &count);
    QHash<quint32, QChar> characters;
    for (int i = 0; i < count; ++i)
        if (glyphs[i] != 0 && !characters.contains(glyphs[i]))
            characters.insert(glyphs[i], all[i]);
    return *m_characters.insert(key, characters);
}

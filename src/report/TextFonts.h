#pragma once

#include "ReportObject.h"

#include <QFont>
#include <QHash>
#include <QString>

class QRawFont;

// Chooses the font a text object's text is drawn with, so that a PDF of it (an export, or
// a page printed, which reaches the printing system as PDF) gives back the very text when
// copied or searched. Qt's PDF writer tells a reader which character each drawn glyph is by
// looking the glyph up in the font's character map, the lowest code point first, and tells
// nothing for a glyph that shaping put in place of the mapped one. Some CJK fonts defeat
// that: Noto CJK draws the radical ⼀ (U+2F00) and the ideograph 一 (U+4E00) with one glyph,
// and, under a locale that is not Chinese, swaps digits after Latin letters for alternates
// that no character maps to. A text that would not read back so is drawn in a Chinese font
// that does; Chinese in a Western font falls back to that font too.
class TextFonts {
public:
    QFont fontFor(const ReportObject &object, const QString &text);

private:
    bool readsBack(const QFont &font, const QString &text);
    const QHash<quint32, QChar> &characterOf(const QRawFont &font);

    QHash<QString, QHash<quint32, QChar>> m_characters; // by font: glyph -> its character
};

#include "TextPainter.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {

constexpr double fitTolerance = 1e-6;
constexpr double shrinkStep = 0.25; // points

QStringList characters(const QString &text)
{
    QStringList out;
    for (char32_t c : text.toUcs4())
        out.append(QString::fromUcs4(&c, 1));
    return out;
}

struct Layout {
    QRectF inner;     // padded box, in the rotated frame
    QRectF box;       // the whole object, in the rotated frame
    double cellWidth; // device units
    int flags;
};

bool fits(const QFont &font, const QPaintDevice *device, const Layout &layout,
          const ReportObject &object, const QString &text)
{
    const QFontMetricsF metrics(font, device);
    if (object.cellCount > 0) {
        if (metrics.height() > layout.inner.height() + fitTolerance)
            return false;
        for (const QString &c : characters(text))
            if (metrics.horizontalAdvance(c) > layout.cellWidth + fitTolerance)
                return false;
        return true;
    }
    const QRectF needed = metrics.boundingRect(layout.inner, layout.flags, text);
    return needed.width() <= layout.inner.width() + fitTolerance &&
           needed.height() <= layout.inner.height() + fitTolerance;
}

QFont sized(QFont font, const ReportObject &object, double pointSize)
{
    font.setPointSizeF(pointSize);
    font.setUnderline(object.underline);
    return font;
}

double fittingSize(const QPaintDevice *device, const Layout &layout, const ReportObject &object,
                   const QString &text, const QFont &chosen)
{
    double size = object.fontSize;
    while (size - shrinkStep >= object.minFontSize &&
           !fits(sized(chosen, object, size), device, layout, object, text))
        size -= shrinkStep;
    return size;
}

void drawCells(QPainter &painter, const ReportObject &object, const Layout &layout,
               const QString &text)
{
    // Blanks take no box: rmbToBIG4Fill and rmbToBIG4Round put one before every digit,
    // which would otherwise fill every other box and push half the amount out.
    QStringList chars = characters(text);
    chars.removeIf([](const QString &c) { return c.trimmed().isEmpty(); });
    const int n = int(chars.size());
    const Qt::Alignment horizontal = object.alignment & Qt::AlignHorizontal_Mask;
    int first = 0;
    if (horizontal & Qt::AlignRight)
        first = object.cellCount - n;
    else if (horizontal & Qt::AlignHCenter)
        first = (object.cellCount - n) / 2;
    const int flags = Qt::AlignHCenter | int(object.alignment & Qt::AlignVertical_Mask) |
                      (object.clip ? 0 : int(Qt::TextDontClip));
    for (int i = 0; i < n; ++i) {
        const int cell = first + i;
        if (cell < 0 || cell >= object.cellCount)
            continue;
        const QRectF cellRect(layout.box.left() + cell * layout.cellWidth, layout.inner.top(),
                              layout.cellWidth, layout.inner.height());
        painter.drawText(cellRect, flags, chars[i]);
    }
}

} // namespace

QFont TextPainter::font(const ReportObject &object, double pointSize)
{
    QFont font;
    font.setFamilies({object.fontFamily, QStringLiteral("Noto Sans CJK SC")});
    font.setPointSizeF(pointSize);
    font.setBold(object.bold);
    font.setItalic(object.italic);
    font.setUnderline(object.underline);
    return font;
}

void TextPainter::draw(QPainter &painter, const ReportObject &object, const QRectF &rect,
                       double unitsPerMm, const QString &text, const QFont &chosen)
{
    painter.save();
    painter.translate(rect.center());
    painter.rotate(-object.rotation);
    const bool across = object.rotation == 90 || object.rotation == 270;
    const QSizeF size = across ? rect.size().transposed() : rect.size();
    const QRectF box(QPointF(-size.width() / 2, -size.height() / 2), size);
    const double pad = object.padding * unitsPerMm;
    int flags = int(object.alignment);
    if (object.wordWrap)
        flags |= Qt::TextWordWrap;
    const Layout layout{box.adjusted(pad, pad, -pad, -pad), box, object.cellWidth * unitsPerMm,
                        flags};
    const double pointSize = object.shrinkToFit
                                 ? fittingSize(painter.device(), layout, object, text, chosen)
                                 : object.fontSize;
    painter.setFont(sized(chosen, object, pointSize));
    painter.setPen(object.textColor);
    if (object.cellCount > 0)
        drawCells(painter, object, layout, text);
    else
        painter.drawText(layout.inner, object.clip ? flags : flags | Qt::TextDontClip, text);
    painter.restore();
}

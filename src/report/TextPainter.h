#pragma once

#include "ReportObject.h"

#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

// Draws the text of a text object: style, colour, alignment, wrapping, clipping,
// rotation, character cells and shrinking to fit.
namespace TextPainter {
// The object's font at the given size; Chinese falls back to a CJK face, so a template
// written in Arial still shows its Chinese.
QFont font(const ReportObject &object, double pointSize);
// rect: the object's rectangle in device units; unitsPerMm: device units per millimetre;
// chosen: the family and style to draw in (TextFonts), sized here.
void draw(QPainter &painter, const ReportObject &object, const QRectF &rect, double unitsPerMm,
          const QString &text, const QFont &chosen);
} // namespace TextPainter

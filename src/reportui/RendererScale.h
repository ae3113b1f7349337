#pragma once

#include <QPaintDevice>
#include <QPainter>

// The renderer measures a millimetre by the resolution its device reports; this scales the
// painter so that a millimetre comes out as the given pixels on each axis instead.
inline void scaleRendererTo(QPainter &painter, double xPixelsPerMm, double yPixelsPerMm)
{
    painter.scale(xPixelsPerMm * 25.4 / painter.device()->logicalDpiX(),
                  yPixelsPerMm * 25.4 / painter.device()->logicalDpiY());
}

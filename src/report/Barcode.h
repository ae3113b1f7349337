#pragma once

#include "ReportObject.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

// A barcode symbol as libzint lays it out: filled shapes and human-readable texts in the
// symbol's own units (one unit is the narrowest bar), drawn scaled into any rectangle.
class Barcode {
public:
    struct Caption {
        QPointF baseline; // the text's anchor on its baseline
        double size;      // character height
        int anchor;       // libzint's: 0 the centre, 1 the left end, 2 the right end
        QString text;
    };

    // Throws ReportError with libzint's reason when the data does not fit the symbology
    // (an EAN-13 of letters, say). Empty data gives an empty symbol.
    static Barcode encode(ReportObject::Symbology symbology, const QString &data);

    bool isEmpty() const { return m_size.isEmpty(); }
    // Draws the symbol filling `target` (device units); a QR code keeps its square shape
    // and sits centred.
    void draw(QPainter &painter, const QRectF &target) const;

private:
    ReportObject::Symbology m_symbology = ReportObject::Symbology::Code128;
    QSizeF m_size;
    QList<QRectF> m_bars;
    QList<Caption> m_captions;
};

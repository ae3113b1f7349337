#include "Barcode.h"

#include "ReportError.h"

#include <QFont>
#include <QPainter>
#include <memory>
#include <zint.h>

namespace {

int zintSymbology(ReportObject::Symbology symbology)
{
    switch (symbology) {
    case ReportObject::Symbology::Ean13:
        return BARCODE_EANX;
    case ReportObject::Symbology::QrCode:
        return BARCODE_QRCODE;
    case ReportObject::Symbology::Code128:
        break;
    }
    return BARCODE_CODE128;
}

} // namespace

Barcode Barcode::encode(ReportObject::Symbology symbology, const QString &data)
{
    Barcode barcode;
    barcode.m_symbology = symbology;
    if (data.isEmpty())
        return barcode;
    const std::unique_ptr<zint_symbol, decltype(&ZBarcode_Delete)> symbol(ZBarcode_Create(),
                                                                          &ZBarcode_Delete);
    if (!symbol)
        throw std::bad_alloc();
    symbol->symbology = zintSymbology(symbology);
    symbol->input_mode = UNICODE_MODE;
    const QByteArray utf8 = data.toUtf8();
    const int result = ZBarcode_Encode(
        symbol.get(), reinterpret_cast<const unsigned char *>(utf8.constData()), int(utf8.size()));
    if (result < ZINT_ERROR)
        ZBarcode_Buffer_Vector(symbol.get(), 0);
    if (result >= ZINT_ERROR || !symbol->vector)
        throw ReportError(
            QStringLiteral("条码内容“%1”无效：%2").arg(data, QString::fromUtf8(symbol->errtxt)));
    const zint_vector &vector = *symbol->vector;
    barcode.m_size = QSizeF(vector.width, vector.height);
    for (const zint_vector_rect *r = vector.rectangles; r; r = r->next)
        if (r->colour == -1)
            barcode.m_bars.append(QRectF(r->x, r->y, r->width, r->height));
    for (const zint_vector_string *s = vector.strings; s; s = s->next)
        barcode.m_captions.append(
            {QPointF(s->x, s->y), s->fsize, s->halign,
             QString::fromUtf8(reinterpret_cast<const char *>(s->text), s->length)});
    return barcode;
}

void Barcode::draw(QPainter &painter, const QRectF &target) const
{
    if (isEmpty() || target.isEmpty())
        return;
    double sx = target.width() / m_size.width();
    double sy = target.height() / m_size.height();
    QPointF origin = target.topLeft();
    if (m_symbology == ReportObject::Symbology::QrCode) {
        sx = sy = std::min(sx, sy);
        origin += QPointF((target.width() - m_size.width() * sx) / 2,
                          (target.height() - m_size.height() * sy) / 2);
    }
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const QRectF &bar : m_bars)
        painter.drawRect(QRectF(origin.x() + bar.x() * sx, origin.y() + bar.y() * sy,
                                bar.width() * sx, bar.height() * sy));
    painter.setPen(Qt::black);
    for (const Caption &caption : m_captions) {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(std::max(1, int(caption.size * sy)));
        painter.setFont(font);
        const QPointF at(origin.x() + caption.baseline.x() * sx,
                         origin.y() + caption.baseline.y() * sy);
        const double width = painter.fontMetrics().horizontalAdvance(caption.text);
        const double shift = caption.anchor == 1 ? 0 : caption.anchor == 2 ? width : width / 2;
        painter.drawText(QPointF(at.x() - shift, at.y()), caption.text);
    }
    painter.restore();
}

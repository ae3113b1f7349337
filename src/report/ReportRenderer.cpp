#include "ReportRenderer.h"

#include "Barcode.h"
#include "ReportError.h"
#include "TextPainter.h"

#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <cmath>

namespace {

class MmToDevice {
public:
    explicit MmToDevice(const QPaintDevice &device)
        : m_x(device.logicalDpiX() / 25.4), m_y(device.logicalDpiY() / 25.4)
    {
    }
    QPointF point(QPointF mm) const { return {mm.x() * m_x, mm.y() * m_y}; }
    QRectF rect(const QRectF &mm) const
    {
        return QRectF(point(mm.topLeft()), QSizeF(mm.width() * m_x, mm.height() * m_y));
    }
    double length(double mm) const { return mm * m_x; }
    // A correction in mm as the same correction in device units.
    QTransform transform(const QTransform &mm) const
    {
        return QTransform(mm.m11(), mm.m12(), mm.m21(), mm.m22(), mm.dx() * m_x, mm.dy() * m_y);
    }

private:
    double m_x, m_y;
};

void drawCheckMark(QPainter &painter, const QRectF &rect, const QPen &pen)
{
    const double side = std::min(rect.width(), rect.height());
    const QRectF square(rect.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
    const QPointF tick[] = {square.topLeft() + QPointF(0.2 * side, 0.55 * side),
                            square.topLeft() + QPointF(0.42 * side, 0.78 * side),
                            square.topLeft() + QPointF(0.82 * side, 0.22 * side)};
    QPen thick = pen;
    thick.setWidthF(std::max(pen.widthF() * 2, side / 10));
    thick.setCapStyle(Qt::RoundCap);
    thick.setJoinStyle(Qt::RoundJoin);
    painter.setPen(thick);
    painter.drawPolyline(tick, 3);
}

void drawBarcode(QPainter &painter, const ReportObject &object, const QString &data,
                 const QRectF &rect)
{
    try {
        Barcode::encode(object.symbology, data).draw(painter, rect);
    } catch (const ReportError &) {
        // Preparing already refused bad data; a page edited since draws no symbol.
    }
}

} // namespace

QPageLayout ReportRenderer::pageLayout(const ReportPage &page)
{
    return QPageLayout(
        QPageSize(page.paperSizeMm(), QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
        page.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
        QPageLayout::Millimeter);
}

const QImage &ReportRenderer::image(const QByteArray &bytes)
{
    auto it = m_images.find(bytes);
    if (it == m_images.end())
        it = m_images.insert(bytes, QImage::fromData(bytes));
    return *it;
}

void ReportRenderer::drawPage(QPainter &painter, const PreparedPage &page,
                              const QTransform &correction)
{
    const MmToDevice mm(*painter.device());
    painter.save();
    painter.setTransform(mm.transform(correction), true);
    if (!page.page.background.isEmpty()) {
        const QImage &background = image(page.page.background);
        painter.drawImage(mm.rect(page.page.backgroundRectMm()), background);
    }
    for (const PreparedItem &item : page.items) {
        const ReportObject &object = item.object;
        const QRectF rect = mm.rect(item.rect);
        QPen pen(Qt::black, mm.length(object.lineWidth));
        switch (object.kind) {
        case ReportObject::Kind::Text: {
            TextPainter::draw(painter, object, rect, mm.length(1), item.text,
                              m_fonts.fontFor(object, item.text));
            if (object.frame) {
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(rect);
            }
            break;
        }
        case ReportObject::Kind::Picture:
            if (!item.picture.isEmpty())
                painter.drawImage(rect, image(item.picture));
            break;
        case ReportObject::Kind::Line:
            painter.setPen(pen);
            painter.drawLine(rect.topLeft(), rect.bottomRight());
            break;
        case ReportObject::Kind::Rectangle:
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect);
            break;
        case ReportObject::Kind::Barcode:
            drawBarcode(painter, object, item.text, rect);
            break;
        case ReportObject::Kind::CheckMark:
            painter.setBrush(Qt::NoBrush);
            if (object.frame) {
                painter.setPen(pen);
                painter.drawRect(rect);
            }
            if (item.checked)
                drawCheckMark(painter, rect, pen);
            break;
        }
    }
    painter.restore();
}

QImage ReportRenderer::renderImage(const PreparedPage &page, double dotsPerInch,
                                   const QTransform &correction)
{
    const QSizeF sizeMm = page.page.sizeMm();
    const QSize pixels(int(std::lround(sizeMm.width() / 25.4 * dotsPerInch)),
                       int(std::lround(sizeMm.height() / 25.4 * dotsPerInch)));
    QImage image(pixels, QImage::Format_RGB32);
    const int dotsPerMeter = int(std::lround(dotsPerInch / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // An image reports its resolution in whole dots per inch (any zoom of the preview is a
    // fraction), and positions, pens and fonts all scale from it: this scale makes up the
    // difference, so the page is drawn at the exact resolution asked for.
    painter.scale(dotsPerInch / image.logicalDpiX(), dotsPerInch / image.logicalDpiY());
    drawPage(painter, page, correction);
    return image;
}

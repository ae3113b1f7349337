#include "ReportRenderer.h"

#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <cmath>

namespace {

class MmToDevice {
public:
    MmToDevice(const QPaintDevice &device, QPointF offset)
        : m_x(device.logicalDpiX() / 25.4), m_y(device.logicalDpiY() / 25.4), m_offset(offset)
    {
    }
    QPointF point(QPointF mm) const
    {
        return {(mm.x() + m_offset.x()) * m_x, (mm.y() + m_offset.y()) * m_y};
    }
    QRectF rect(const QRectF &mm) const
    {
        return QRectF(point(mm.topLeft()), QSizeF(mm.width() * m_x, mm.height() * m_y));
    }
    double length(double mm) const { return mm * m_x; }

private:
    double m_x, m_y;
    QPointF m_offset;
};

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

void ReportRenderer::drawPage(QPainter &painter, const PreparedPage &page, QPointF offset)
{
    const MmToDevice mm(*painter.device(), offset);
    painter.save();
    if (!page.page.background.isEmpty()) {
        const QImage &background = image(page.page.background);
        painter.drawImage(mm.rect(QRectF(QPointF(), page.page.sizeMm())), background);
    }
    for (const PreparedItem &item : page.items) {
        const ReportObject &object = item.object;
        const QRectF rect = mm.rect(item.rect);
        QPen pen(Qt::black, mm.length(object.lineWidth));
        switch (object.kind) {
        case ReportObject::Kind::Text: {
            const double pad = object.padding;
            painter.setFont(m_fonts.fontFor(object, item.text));
            painter.setPen(Qt::black);
            int flags = int(object.alignment);
            if (object.wordWrap)
                flags |= Qt::TextWordWrap;
            painter.drawText(mm.rect(item.rect.adjusted(pad, pad, -pad, -pad)), flags, item.text);
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
        }
    }
    painter.restore();
}

QImage ReportRenderer::renderImage(const PreparedPage &page, double dotsPerInch)
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
    drawPage(painter, page);
    return image;
}

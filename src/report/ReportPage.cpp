#include "ReportPage.h"

#include "PaperSizes.h"

QSizeF ReportPage::paperSizeMm() const
{
    const QSizeF named = PaperSizes::sizeOf(paper);
    return named.isEmpty() ? customSize : named;
}

QSizeF ReportPage::sizeMm() const
{
    const QSizeF portrait = paperSizeMm();
    return landscape ? portrait.transposed() : portrait;
}

QRectF ReportPage::backgroundRectMm() const
{
    return backgroundRect.isEmpty() ? QRectF(QPointF(), sizeMm()) : backgroundRect;
}

QTransform ReportPage::printCorrection() const
{
    return QTransform::fromTranslate(printOffset.x(), printOffset.y())
        .scale(printScaleX / 100, printScaleY / 100);
}

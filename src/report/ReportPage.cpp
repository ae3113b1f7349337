#include "ReportPage.h"

#include "PaperSizes.h"

#include <QSet>

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

const ReportBand *ReportPage::repeatedBand() const
{
    QSet<ReportBand::Type> seen;
    for (const ReportBand &band : bands) {
        if (seen.contains(band.type))
            return &band;
        seen.insert(band.type);
    }
    return nullptr;
}

QString ReportPage::repeatedBandMessage(const ReportBand &band) const
{
    const QString title = ReportBand::typeTitle(band.type);
    return QStringLiteral("页面 %1 有多个%2（重复的是 %3），每页只能有一个%2")
        .arg(name, title, band.name.isEmpty() ? QStringLiteral("未命名的带") : band.name);
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

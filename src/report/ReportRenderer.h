#pragma once

#include "PreparedPage.h"
#include "TextFonts.h"

#include <QHash>
#include <QImage>
#include <QPageLayout>
#include <QTransform>

class QPainter;

// The one renderer for every output (preview, printer, PDF, image): draws a prepared page
// at its exact physical size, in millimetres from the paper's edge, on whatever device
// the painter paints. Keeps decoded pictures so that repeated ones decode once and a PDF
// embeds them once.
class ReportRenderer {
public:
    // correction: designed mm to drawn mm (the print calibration of printed pages). The
    // device's resolution is taken as it reports it, in whole dots per inch; to draw at a
    // fractional one, scale the painter by the exact resolution over the reported one.
    void drawPage(QPainter &painter, const PreparedPage &page,
                  const QTransform &correction = QTransform());
    // The page alone on an image of the given resolution (any, fractions too), white
    // underneath; drawn with the correction as drawPage does.
    QImage renderImage(const PreparedPage &page, double dotsPerInch,
                       const QTransform &correction = QTransform());

    // The paper of a page, exact, without margins: coordinates start at the paper's edge.
    static QPageLayout pageLayout(const ReportPage &page);

private:
    const QImage &image(const QByteArray &bytes);

    QHash<QByteArray, QImage> m_images;
    TextFonts m_fonts;
};

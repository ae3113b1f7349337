#pragma once

#include "ReportTemplate.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <optional>

// The arithmetic of fitting a scanned form under a template and of tuning a printer's
// paper feed. Pure functions; the designer collects the points and applies the results
// as ordinary edits.
namespace Calibration {

// A point clicked on the scan: where it is in the picture, and where it truly is on the
// paper (mm from the paper's top-left edge).
struct ScanPoint {
    QPointF pixel;
    QPointF mm;
};

// The background's rectangle (mm) that puts both clicked points at their true places.
// The scan keeps its proportions: one scale from the two points' distances, the offset
// from the first point. nullopt when the two points share a pixel or a true position.
std::optional<QRectF> backgroundFromPoints(QSize imagePixels, const ScanPoint &a,
                                           const ScanPoint &b);

// The same when only the true distance between the two points is known: the scale comes
// from the distance, and the first point stays where `current` draws it now.
std::optional<QRectF> backgroundFromDistance(QSize imagePixels, const QRectF &current,
                                             QPointF pixelA, QPointF pixelB, double distanceMm);

// The printer correction of a page: a printed point lands at designed × scale + offset.
struct PrinterCorrection {
    QPointF offset; // mm
    double scaleXPercent = 100;
    double scaleYPercent = 100;

    bool operator==(const PrinterCorrection &) const = default;
};
PrinterCorrection correctionOf(const ReportPage &page);
void applyCorrection(ReportPage &page, const PrinterCorrection &correction);

// A cross of the calibration sheet: where it was designed, and where the user measured it
// on the printed sheet (both mm from the paper's top-left edge).
struct Cross {
    QPointF designed;
    QPointF measured;
};

// The crosses' designed positions on a sheet of this size: the four corners 20 mm in
// from the edges and the centre.
QList<QPointF> sheetCrosses(QSizeF paperMm);
// A one-page template that draws the crosses, each labelled with its designed position,
// on the given page's paper (margins zero, background and bands dropped).
ReportTemplate calibrationSheet(const ReportPage &paper);

// The correction that makes the crosses land where they were designed, given the
// correction in force when the sheet was printed. Each axis is fitted by least squares
// over all crosses; nullopt when the crosses do not span both axes (fewer than two
// distinct positions in x or in y) or the fit is degenerate.
std::optional<PrinterCorrection> correctionFromSheet(const QList<Cross> &crosses,
                                                     const PrinterCorrection &printedWith);

} // namespace Calibration

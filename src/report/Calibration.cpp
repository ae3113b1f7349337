#include "Calibration.h"

#include <cmath>

namespace {

constexpr double tiny = 1e-9;
constexpr double crossArm = 5;    // mm on each side of a cross's centre
constexpr double crossInset = 20; // mm from the paper's edges

double distance(QPointF a, QPointF b)
{
    return std::hypot(b.x() - a.x(), b.y() - a.y());
}

QRectF placed(QSize imagePixels, QPointF pixel, QPointF mm, double mmPerPixel)
{
    const QPointF topLeft = mm - pixel * mmPerPixel;
    return QRectF(topLeft,
                  QSizeF(imagePixels.width() * mmPerPixel, imagePixels.height() * mmPerPixel));
}

// Least-squares line measured = slope × designed + intercept.
struct Line {
    double slope, intercept;
};

std::optional<Line> fit(const QList<double> &designed, const QList<double> &measured)
{
    const int n = int(designed.size());
    double sx = 0, sy = 0;
    for (int i = 0; i < n; ++i) {
        sx += designed[i];
        sy += measured[i];
    }
    const double mx = sx / n, my = sy / n;
    double sxx = 0, sxy = 0;
    for (int i = 0; i < n; ++i) {
        sxx += (designed[i] - mx) * (designed[i] - mx);
        sxy += (designed[i] - mx) * (measured[i] - my);
    }
    if (sxx < tiny || std::abs(sxy) < tiny)
        return std::nullopt;
    const double slope = sxy / sxx;
    return Line{slope, my - slope * mx};
}

// One axis: printed with p → p·c + o_c, the printer maps q → q·s + o, so a fitted
// measured = d·A + B gives s = A / c and o = B − o_c·s; the new correction undoes the
// printer: c' = 1 / s, o' = −o / s.
std::pair<double, double> axisCorrection(const Line &line, double scale, double offset)
{
    const double printerScale = line.slope / scale;
    const double printerOffset = line.intercept - offset * printerScale;
    return {1 / printerScale, -printerOffset / printerScale};
}

ReportObject lineObject(QPointF from, QPointF to)
{
    ReportObject line;
    line.kind = ReportObject::Kind::Line;
    line.rect = QRectF(from, to);
    return line;
}

} // namespace

std::optional<QRectF> Calibration::backgroundFromPoints(QSize imagePixels, const ScanPoint &a,
                                                        const ScanPoint &b)
{
    const double pixels = distance(a.pixel, b.pixel);
    const double mm = distance(a.mm, b.mm);
    if (pixels < tiny || mm < tiny)
        return std::nullopt;
    return placed(imagePixels, a.pixel, a.mm, mm / pixels);
}

std::optional<QRectF> Calibration::backgroundFromDistance(QSize imagePixels, const QRectF &current,
                                                          QPointF pixelA, QPointF pixelB,
                                                          double distanceMm)
{
    const double pixels = distance(pixelA, pixelB);
    if (pixels < tiny || distanceMm < tiny || imagePixels.isEmpty() || current.isEmpty())
        return std::nullopt;
    const QPointF nowAt(current.left() + pixelA.x() * current.width() / imagePixels.width(),
                        current.top() + pixelA.y() * current.height() / imagePixels.height());
    return placed(imagePixels, pixelA, nowAt, distanceMm / pixels);
}

Calibration::PrinterCorrection Calibration::correctionOf(const ReportPage &page)
{
    return {page.printOffset, page.printScaleX, page.printScaleY};
}

void Calibration::applyCorrection(ReportPage &page, const PrinterCorrection &correction)
{
    page.printOffset = correction.offset;
    page.printScaleX = correction.scaleXPercent;
    page.printScaleY = correction.scaleYPercent;
}

QList<QPointF> Calibration::sheetCrosses(QSizeF paperMm)
{
    const double right = paperMm.width() - crossInset, bottom = paperMm.height() - crossInset;
    return {QPointF(crossInset, crossInset), QPointF(right, crossInset),
            QPointF(paperMm.width() / 2, paperMm.height() / 2), QPointF(crossInset, bottom),
            QPointF(right, bottom)};
}

ReportTemplate Calibration::calibrationSheet(const ReportPage &paper)
{
    ReportPage page = paper;
    page.margins = QMarginsF();
    page.background.clear();
    page.backgroundRect = QRectF();
    page.bands.clear();
    ReportBand band;
    band.type = ReportBand::Type::ReportTitle;
    band.height = page.sizeMm().height();
    for (const QPointF &c : sheetCrosses(page.sizeMm())) {
        band.objects.append(lineObject(c - QPointF(crossArm, 0), c + QPointF(crossArm, 0)));
        band.objects.append(lineObject(c - QPointF(0, crossArm), c + QPointF(0, crossArm)));
        ReportObject label;
        label.rect = QRectF(c + QPointF(1, 1), QSizeF(30, 5));
        label.fontSize = 8;
        label.text = QStringLiteral("(%1, %2)").arg(c.x()).arg(c.y());
        band.objects.append(label);
    }
    page.bands.append(band);
    ReportTemplate sheet;
    sheet.pages.append(page);
    return sheet;
}

std::optional<Calibration::PrinterCorrection>
Calibration::correctionFromSheet(const QList<Cross> &crosses, const PrinterCorrection &printedWith)
{
    if (crosses.size() < 2)
        return std::nullopt;
    QList<double> dx, mx, dy, my;
    for (const Cross &c : crosses) {
        dx.append(c.designed.x());
        mx.append(c.measured.x());
        dy.append(c.designed.y());
        my.append(c.measured.y());
    }
    const auto lineX = fit(dx, mx), lineY = fit(dy, my);
    if (!lineX || !lineY || printedWith.scaleXPercent <= 0 || printedWith.scaleYPercent <= 0)
        return std::nullopt;
    const auto [scaleX, offsetX] =
        axisCorrection(*lineX, printedWith.scaleXPercent / 100, printedWith.offset.x());
    const auto [scaleY, offsetY] =
        axisCorrection(*lineY, printedWith.scaleYPercent / 100, printedWith.offset.y());
    return PrinterCorrection{QPointF(offsetX, offsetY), scaleX * 100, scaleY * 100};
}

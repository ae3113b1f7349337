#include "DesignerSnapping.h"

#include <cmath>

namespace DesignerSnapping {

double toGrid(double value, double step)
{
    if (step <= 0)
        return value;
    return std::round(value / step) * step;
}

AxisSnap snapAxis(const QList<double> &moving, const QList<double> &targets, double tolerance,
                  double grid)
{
    AxisSnap best;
    double closest = tolerance;
    for (double from : moving) {
        for (double to : targets) {
            const double distance = std::abs(to - from);
            // The first pair at the smallest distance wins, so edges come before centres.
            if (distance < closest || (!best.guide && distance <= closest)) {
                closest = distance;
                best.shift = to - from;
                best.guide = to;
            }
        }
    }
    if (!best.guide && !moving.isEmpty())
        best.shift = toGrid(moving.first(), grid) - moving.first();
    return best;
}

QList<double> horizontalStops(const QRectF &rect)
{
    return {rect.left(), rect.center().x(), rect.right()};
}

QList<double> verticalStops(const QRectF &rect)
{
    return {rect.top(), rect.center().y(), rect.bottom()};
}

MoveSnap snapMove(const QRectF &moving, QPointF delta, const QList<QRectF> &others,
                  double tolerance, double grid)
{
    const QRectF wished = moving.translated(delta);
    QList<double> xs, ys;
    for (const QRectF &other : others) {
        xs << horizontalStops(other);
        ys << verticalStops(other);
    }
    const AxisSnap x = snapAxis(horizontalStops(wished), xs, tolerance, grid);
    const AxisSnap y = snapAxis(verticalStops(wished), ys, tolerance, grid);
    return {delta + QPointF(x.shift, y.shift), x.guide, y.guide};
}

} // namespace DesignerSnapping

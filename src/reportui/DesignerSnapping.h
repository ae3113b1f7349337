#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <optional>

// Where dragged objects come to rest: on another object's edge or centre when one is
// near enough (a smart guide, shown as a line at that position), else on the grid.
// Pure arithmetic in millimetres from the paper's edge.
namespace DesignerSnapping {

// The nearest multiple of `step`; `value` itself for a step of 0 or less.
double toGrid(double value, double step);

// One axis. `moving` are the dragged positions (e.g. left, centre, right), the first the
// one the grid holds; `targets` the other objects' positions. The shift brings the
// closest pair within `tolerance` together and names the target as the guide; failing
// that it puts moving[0] on the grid (no shift when the grid is off).
struct AxisSnap {
    double shift = 0;
    std::optional<double> guide;
};
AxisSnap snapAxis(const QList<double> &moving, const QList<double> &targets, double tolerance,
                  double grid);

// A whole move: the selection's bounding rectangle `moving`, wished moved by `delta`,
// among the rectangles of the other objects. Guides: x of vertical lines, y of horizontal.
struct MoveSnap {
    QPointF delta;
    std::optional<double> verticalGuide;
    std::optional<double> horizontalGuide;
};
MoveSnap snapMove(const QRectF &moving, QPointF delta, const QList<QRectF> &others,
                  double tolerance, double grid);

// Edges and centre of a rectangle along one axis, smallest first.
QList<double> horizontalStops(const QRectF &rect);
QList<double> verticalStops(const QRectF &rect);

} // namespace DesignerSnapping

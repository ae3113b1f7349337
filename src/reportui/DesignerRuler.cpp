#include "DesignerRuler.h"

#include "DesignerPageView.h"

#include <QPainter>
#include <cmath>

namespace {

// The spacing of labelled ticks, so that labels never crowd at small zooms.
int labelEvery(double pixelsPerMm)
{
    for (int step : {10, 20, 50, 100})
        if (step * pixelsPerMm >= 40)
            return step;
    return 200;
}

} // namespace

DesignerRuler::DesignerRuler(Qt::Orientation orientation, const DesignerPageView *view,
                             QWidget *parent)
    : QWidget(parent), m_orientation(orientation), m_view(view)
{
    setObjectName(orientation == Qt::Horizontal ? QStringLiteral("rulerHorizontal")
                                                : QStringLiteral("rulerVertical"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

double DesignerRuler::along(QPointF point) const
{
    return m_orientation == Qt::Horizontal ? point.x() : point.y();
}

void DesignerRuler::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const bool horizontal = m_orientation == Qt::Horizontal;
    const double length = horizontal ? width() : height();
    const double thickness = horizontal ? height() : width();
    const auto line = [&](double at, double from, double to) {
        if (horizontal)
            painter.drawLine(QPointF(at, from), QPointF(at, to));
        else
            painter.drawLine(QPointF(from, at), QPointF(to, at));
    };

    const QRectF selection = m_view->selectionRectMm();
    if (!selection.isNull()) {
        const double from = along(m_view->mmToViewport(selection.topLeft()));
        const double to = along(m_view->mmToViewport(selection.bottomRight()));
        const QRectF span = horizontal ? QRectF(from, 0, to - from, thickness)
                                       : QRectF(0, from, thickness, to - from);
        painter.fillRect(span, QColor(120, 170, 240, 120));
    }

    const double perMm = m_view->pixelsPerMm();
    const int labels = labelEvery(perMm);
    const int ticks = perMm >= 3 ? 1 : (perMm >= 0.6 ? 5 : 10);
    const double first = std::floor(along(m_view->viewportToMm(QPointF(0, 0))));
    const double last = std::ceil(along(m_view->viewportToMm(QPointF(length, length))));
    painter.setPen(palette().color(QPalette::ButtonText));
    QFont small = font();
    small.setPixelSize(9);
    painter.setFont(small);
    for (int mm = int(first) - int(first) % ticks; mm <= last; mm += ticks) {
        const double at = along(m_view->mmToViewport(QPointF(mm, mm)));
        const bool labelled = mm % labels == 0;
        const double tick = labelled ? thickness : (mm % 5 == 0 ? thickness / 2 : thickness / 4);
        line(at, thickness - tick, thickness);
        if (labelled) {
            const QString text = QString::number(mm);
            if (horizontal) {
                painter.drawText(QPointF(at + 2, 10), text);
            } else {
                painter.save();
                painter.translate(10, at + 2);
                painter.rotate(90);
                painter.drawText(QPointF(0, 0), text);
                painter.restore();
            }
        }
    }

    if (const std::optional<QPointF> cursor = m_view->cursorMm()) {
        painter.setPen(Qt::red);
        line(along(m_view->mmToViewport(*cursor)), 0, thickness);
    }
}

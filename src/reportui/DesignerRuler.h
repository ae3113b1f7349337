#pragma once

#include <QWidget>

class DesignerPageView;

// A ruler in millimetres along one side of the page view, marking the cursor and the span
// of the selection.
class DesignerRuler : public QWidget {
    Q_OBJECT

public:
    DesignerRuler(Qt::Orientation orientation, const DesignerPageView *view, QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double along(QPointF point) const;

    Qt::Orientation m_orientation;
    const DesignerPageView *m_view;
};

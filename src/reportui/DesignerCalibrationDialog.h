#pragma once

#include <QDialog>
#include <QImage>
#include <QRectF>
#include <optional>

class QDoubleSpinBox;
class QGraphicsEllipseItem;
class QGraphicsView;
class QLabel;
class QRadioButton;

// Two-point calibration of the scanned form: the user clicks two marks on the scan (the
// first click places A, the next B, then A again), and types either the true distance
// between them or their true positions on the paper, in mm. The result is where the
// background must lie for the marks to land there.
class DesignerCalibrationDialog : public QDialog {
    Q_OBJECT

public:
    // currentMm: where the scan lies now (mm from the paper's edge).
    DesignerCalibrationDialog(const QImage &scan, const QRectF &currentMm,
                              QWidget *parent = nullptr);

    // The background's new rectangle; nullopt until two distinct points and their true
    // distance or positions are known.
    std::optional<QRectF> backgroundRect() const;
    QGraphicsView *view() const { return m_view; }
    // Refuses to close until backgroundRect() is known.
    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void zoom(double factor);
    void pick(QPointF pixel);
    QDoubleSpinBox *millimetres(const char *name, double maximum);

    QImage m_scan;
    QRectF m_current;
    QGraphicsView *m_view;
    std::optional<QPointF> m_points[2];
    QGraphicsEllipseItem *m_marks[2];
    int m_next = 0;
    QLabel *m_pointLabels[2];
    QRadioButton *m_byDistance;
    QDoubleSpinBox *m_distance;
    QDoubleSpinBox *m_trueA[2], *m_trueB[2];
};

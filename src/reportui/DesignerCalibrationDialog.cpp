#include "DesignerCalibrationDialog.h"

#include "report/Calibration.h"
#include "widgets/Messages.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGraphicsEllipseItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWheelEvent>

DesignerCalibrationDialog::DesignerCalibrationDialog(const QImage &scan, const QRectF &currentMm,
                                                     QWidget *parent)
    : QDialog(parent), m_scan(scan), m_current(currentMm)
{
    setObjectName(QStringLiteral("DesignerCalibrationDialog"));
    setWindowTitle(QStringLiteral("两点校准背景图片"));
    auto *scene = new QGraphicsScene(this);
    scene->addPixmap(QPixmap::fromImage(scan));
    scene->setSceneRect(QRectF(QPointF(), scan.size()));
    const QColor colours[] = {Qt::red, Qt::blue};
    for (int i = 0; i < 2; ++i) {
        // Markers keep their size on screen at any zoom.
        m_marks[i] = scene->addEllipse(-6, -6, 12, 12, QPen(colours[i], 2));
        m_marks[i]->setFlag(QGraphicsItem::ItemIgnoresTransformations);
        m_marks[i]->setVisible(false);
    }
    m_view = new QGraphicsView(scene, this);
    m_view->setObjectName(QStringLiteral("viewScan"));
    m_view->setDragMode(QGraphicsView::NoDrag);
    m_view->setCursor(Qt::CrossCursor);
    m_view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_view->viewport()->installEventFilter(this);

    auto *zoomIn = new QPushButton(QStringLiteral("放大"), this);
    zoomIn->setObjectName(QStringLiteral("btnZoomIn"));
    connect(zoomIn, &QPushButton::clicked, this, [this] { zoom(1.25); });
    auto *zoomOut = new QPushButton(QStringLiteral("缩小"), this);
    zoomOut->setObjectName(QStringLiteral("btnZoomOut"));
    connect(zoomOut, &QPushButton::clicked, this, [this] { zoom(0.8); });
    auto *tools = new QHBoxLayout;
    tools->addWidget(new QLabel(QStringLiteral("在图上依次点击两个标记（A 红、B 蓝）；"
                                               "Ctrl+滚轮缩放。"),
                                this));
    tools->addStretch();
    tools->addWidget(zoomIn);
    tools->addWidget(zoomOut);

    for (int i = 0; i < 2; ++i) {
        m_pointLabels[i] = new QLabel(QStringLiteral("未点选"), this);
        m_pointLabels[i]->setObjectName(i == 0 ? QStringLiteral("lblPointA")
                                               : QStringLiteral("lblPointB"));
    }
    m_byDistance = new QRadioButton(QStringLiteral("已知两点间的实际距离"), this);
    m_byDistance->setObjectName(QStringLiteral("rdoDistance"));
    m_byDistance->setChecked(true);
    auto *byPositions = new QRadioButton(QStringLiteral("已知两点在纸上的位置"), this);
    byPositions->setObjectName(QStringLiteral("rdoPositions"));
    m_distance = millimetres("spnDistance", 2000);
    m_trueA[0] = millimetres("spnAX", 2000);
    m_trueA[1] = millimetres("spnAY", 2000);
    m_trueB[0] = millimetres("spnBX", 2000);
    m_trueB[1] = millimetres("spnBY", 2000);
    const auto enable = [this] {
        const bool distance = m_byDistance->isChecked();
        m_distance->setEnabled(distance);
        for (int i = 0; i < 2; ++i) {
            m_trueA[i]->setEnabled(!distance);
            m_trueB[i]->setEnabled(!distance);
        }
    };
    connect(m_byDistance, &QRadioButton::toggled, this, enable);
    enable();

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("点 A："), this), 0, 0);
    grid->addWidget(m_pointLabels[0], 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("点 B："), this), 1, 0);
    grid->addWidget(m_pointLabels[1], 1, 1);
    grid->addWidget(m_byDistance, 2, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("A 到 B 的距离 (毫米)："), this), 3, 0);
    grid->addWidget(m_distance, 3, 1);
    grid->addWidget(byPositions, 4, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("A 的位置 X / Y (毫米)："), this), 5, 0);
    grid->addWidget(m_trueA[0], 5, 1);
    grid->addWidget(m_trueA[1], 5, 2);
    grid->addWidget(new QLabel(QStringLiteral("B 的位置 X / Y (毫米)："), this), 6, 0);
    grid->addWidget(m_trueB[0], 6, 1);
    grid->addWidget(m_trueB[1], 6, 2);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &DesignerCalibrationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(m_view, 1);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    resize(900, 700);
}

QDoubleSpinBox *DesignerCalibrationDialog::millimetres(const char *name, double maximum)
{
    auto *box = new QDoubleSpinBox(this);
    box->setObjectName(QLatin1String(name));
    box->setDecimals(2);
    box->setRange(0, maximum);
    box->setSingleStep(0.1);
    return box;
}

void DesignerCalibrationDialog::zoom(double factor)
{
    const double scale = m_view->transform().m11() * factor;
    if (scale >= 0.05 && scale <= 40)
        m_view->scale(factor, factor);
}

void DesignerCalibrationDialog::pick(QPointF pixel)
{
    const int i = m_next;
    m_points[i] = pixel;
    m_marks[i]->setPos(pixel);
    m_marks[i]->setVisible(true);
    m_pointLabels[i]->setText(
        QStringLiteral("像素 (%1, %2)").arg(pixel.x(), 0, 'f', 1).arg(pixel.y(), 0, 'f', 1));
    m_next = 1 - i;
}

bool DesignerCalibrationDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_view->viewport())
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QPointF pixel = m_view->mapToScene(mouse->position().toPoint());
            if (QRectF(QPointF(), m_scan.size()).contains(pixel))
                pick(pixel);
            return true;
        }
    } else if (event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            zoom(wheel->angleDelta().y() > 0 ? 1.25 : 0.8);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<QRectF> DesignerCalibrationDialog::backgroundRect() const
{
    if (!m_points[0] || !m_points[1])
        return std::nullopt;
    if (m_byDistance->isChecked())
        return Calibration::backgroundFromDistance(m_scan.size(), m_current, *m_points[0],
                                                   *m_points[1], m_distance->value());
    return Calibration::backgroundFromPoints(
        m_scan.size(), {*m_points[0], QPointF(m_trueA[0]->value(), m_trueA[1]->value())},
        {*m_points[1], QPointF(m_trueB[0]->value(), m_trueB[1]->value())});
}

void DesignerCalibrationDialog::accept()
{
    if (!backgroundRect()) {
        Messages::information(this, QStringLiteral("请先在图上点选两个不同的标记，"
                                                   "再输入它们的实际距离或在纸上的位置。"));
        return;
    }
    QDialog::accept();
}

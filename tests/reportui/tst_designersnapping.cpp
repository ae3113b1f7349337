#include "reportui/DesignerSnapping.h"

#include <QTest>

using namespace DesignerSnapping;

class TestDesignerSnapping : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void toGridTakesTheNearestMultiple_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("expected");
        QTest::newRow("down to 2.5") << 3.7 << 2.5 << 2.5; // 3.7 / 2.5 = 1.48
        QTest::newRow("up to 5") << 3.8 << 2.5 << 5.0;     // 3.8 / 2.5 = 1.52
        QTest::newRow("whole mm") << 12.34 << 1.0 << 12.0;
        QTest::newRow("5 mm") << 47.6 << 5.0 << 50.0;
        QTest::newRow("left of the paper") << -1.3 << 2.5 << -2.5; // -0.52 steps
        QTest::newRow("grid off") << 7.3 << 0.0 << 7.3;
    }
    void toGridTakesTheNearestMultiple()
    {
        QFETCH(double, value);
        QFETCH(double, step);
        QFETCH(double, expected);
        QCOMPARE(toGrid(value, step), expected);
    }

    void axisSnapsToTheClosestTargetWithinTolerance_data()
    {
        QTest::addColumn<QList<double>>("moving");
        QTest::addColumn<QList<double>>("targets");
        QTest::addColumn<double>("grid");
        QTest::addColumn<double>("shift");
        QTest::addColumn<double>("guide"); // -1: none
        // Right edge 20 is 1 mm short of the target 21; the other pairs are far apart.
        QTest::newRow("right edge to an edge")
            << QList<double>{10, 15, 20} << QList<double>{30, 21, 50} << 2.5 << 1.0 << 21.0;
        // 0.5 mm beats 1.5 mm.
        QTest::newRow("closer pair wins")
            << QList<double>{10, 20} << QList<double>{11.5, 20.5} << 0.0 << 0.5 << 20.5;
        // Centre 15 meets centre 15 exactly, and so do the edges: the left edge is named.
        QTest::newRow("same rectangle")
            << QList<double>{10, 15, 20} << QList<double>{10, 15, 20} << 2.5 << 0.0 << 10.0;
        // Nothing within 2 mm: the first position goes to the grid, 11.2 to 10.
        QTest::newRow("grid instead")
            << QList<double>{11.2, 16.2} << QList<double>{30.0} << 2.5 << -1.2 << -1.0;
        QTest::newRow("neither") << QList<double>{11.2} << QList<double>{30.0} << 0.0 << 0.0
                                 << -1.0;
    }
    void axisSnapsToTheClosestTargetWithinTolerance()
    {
        QFETCH(QList<double>, moving);
        QFETCH(QList<double>, targets);
        QFETCH(double, grid);
        QFETCH(double, shift);
        QFETCH(double, guide);
        const AxisSnap snap = snapAxis(moving, targets, 2, grid);
        QVERIFY2(std::abs(snap.shift - shift) < 1e-9, qPrintable(QString::number(snap.shift)));
        QCOMPARE(snap.guide.has_value(), guide >= 0);
        if (snap.guide)
            QCOMPARE(*snap.guide, guide);
    }

    void moveSnapsEachAxisOnItsOwn()
    {
        // A 20 × 10 mm box at (10, 10), dragged 29.6 mm right and 3.3 mm down, beside a
        // box whose left edge is at 60 mm: its right edge would stop at 59.6, 0.4 mm short,
        // so it goes on to 60 (a guide at x = 60); downwards nothing is near, and its top
        // edge, wished at 13.3, goes to the 2.5 mm grid line at 12.5.
        const MoveSnap snap =
            snapMove(QRectF(10, 10, 20, 10), QPointF(29.6, 3.3), {QRectF(60, 80, 10, 10)}, 1, 2.5);
        QVERIFY(std::abs(snap.delta.x() - 30.0) < 1e-9);
        QVERIFY(std::abs(snap.delta.y() - 2.5) < 1e-9);
        QCOMPARE(snap.verticalGuide, std::optional<double>(60));
        QVERIFY(!snap.horizontalGuide);
    }
};

QTEST_APPLESS_MAIN(TestDesignerSnapping)
#include "tst_designersnapping.moc"

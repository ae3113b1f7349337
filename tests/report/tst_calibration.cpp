#include "report/Calibration.h"

#include <QTest>

using namespace Calibration;

namespace {

bool near(double a, double b, double tolerance = 1e-6)
{
    return qAbs(a - b) < tolerance;
}

// A printer that stretches x by 0.98 and shifts it 1.5 mm right, stretches y by 1.01 and
// shifts it 2 mm up: where it puts a point it was told to draw at p.
QPointF feed(QPointF p)
{
    return {0.98 * p.x() + 1.5, 1.01 * p.y() - 2};
}

} // namespace

class TestCalibration : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A scan of 2000 × 1000 pixels; pixel (100, 100) is truly at 15, 12 mm and pixel
    // (1100, 100) at 65, 12 mm: 1000 pixels are 50 mm, so 0.05 mm a pixel; the picture is
    // 100 × 50 mm and its corner lies 5 mm up and left of the first point, at 10, 7 mm.
    void twoPointsWithTheirTruePositions()
    {
        const auto rect =
            backgroundFromPoints({2000, 1000}, {{100, 100}, {15, 12}}, {{1100, 100}, {65, 12}});
        QVERIFY(rect);
        QCOMPARE(*rect, QRectF(10, 7, 100, 50));
        QVERIFY(!backgroundFromPoints({2000, 1000}, {{5, 5}, {1, 1}}, {{5, 5}, {2, 2}}));
    }

    // The same scan drawn now at 200 × 100 mm from the paper's corner (0.1 mm a pixel), so
    // the first point shows at 10, 10 mm. The true distance of 50 mm over 1000 pixels gives
    // 0.05 mm a pixel; the first point stays at 10, 10 mm: the corner moves to 5, 5 mm.
    void twoPointsWithTheirTrueDistance()
    {
        const auto rect =
            backgroundFromDistance({2000, 1000}, {0, 0, 200, 100}, {100, 100}, {1100, 100}, 50);
        QVERIFY(rect);
        QCOMPARE(*rect, QRectF(5, 5, 100, 50));
        QVERIFY(!backgroundFromDistance({2000, 1000}, {0, 0, 200, 100}, {1, 1}, {1, 1}, 50));
    }

    // Printed uncorrected, the crosses land where feed() puts them. Undoing the printer:
    // x' = (x − 1.5) / 0.98, so scale 100 / 0.98 = 102.0408 % and offset −1.5 / 0.98 =
    // −1.5306 mm; y' = (y + 2) / 1.01, so 99.0099 % and 2 / 1.01 = 1.9802 mm.
    // Printed with an earlier correction, the crosses land elsewhere but the answer is the
    // same: the correction undoes the printer, not the sheet.
    void sheetMeasurementsGiveThePrinterCorrection_data()
    {
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<double>("scaleX");
        QTest::addColumn<double>("scaleY");
        QTest::newRow("printed uncorrected") << QPointF() << 100.0 << 100.0;
        QTest::newRow("printed with an old correction") << QPointF(1, -0.5) << 101.0 << 99.0;
    }

    void sheetMeasurementsGiveThePrinterCorrection()
    {
        QFETCH(QPointF, offset);
        QFETCH(double, scaleX);
        QFETCH(double, scaleY);
        const PrinterCorrection printedWith{offset, scaleX, scaleY};
        QList<Cross> crosses;
        for (const QPointF &c : sheetCrosses({210, 297})) {
            const QPointF sent(c.x() * scaleX / 100 + offset.x(),
                               c.y() * scaleY / 100 + offset.y());
            crosses.append({c, feed(sent)});
        }
        const auto correction = correctionFromSheet(crosses, printedWith);
        QVERIFY(correction);
        QVERIFY(near(correction->scaleXPercent, 102.0408163265));
        QVERIFY(near(correction->offset.x(), -1.5306122449));
        QVERIFY(near(correction->scaleYPercent, 99.0099009901));
        QVERIFY(near(correction->offset.y(), 1.9801980198));
    }

    void sheetNeedsCrossesAcrossBothAxes()
    {
        QVERIFY(!correctionFromSheet({{{20, 20}, {21, 19}}}, {}));
        QVERIFY(!correctionFromSheet({{{20, 20}, {21, 19}}, {{190, 20}, {188, 19}}}, {}));
    }

    void sheetHasACrossAtEachCornerAndTheCentre()
    {
        QCOMPARE(sheetCrosses({210, 297}),
                 QList<QPointF>({{20, 20}, {190, 20}, {105, 148.5}, {20, 277}, {190, 277}}));
        const ReportTemplate sheet = calibrationSheet(ReportPage());
        QCOMPARE(sheet.pages.size(), 1);
        QCOMPARE(sheet.pages[0].bands[0].objects.size(), 15); // two strokes and a label each
    }
};

QTEST_MAIN(TestCalibration)
#include "tst_calibration.moc"

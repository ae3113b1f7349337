#include "printer/ReportPrinter.h"
#include "support/CupsPdfQueue.h"
#include "support/DemoWaybill.h"
#include "support/PdfText.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>

using namespace DemoWaybill;

namespace {

constexpr int dotsPerMm = 10;

// The bounding box of the ink (darker than mid-grey) inside a region of a page image.
QRect inkBox(const QImage &image, const QRect &region)
{
    QRect box;
    const QRect within = region & image.rect();
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

// The demo waybill printed on a real CUPS queue (cups-pdf): what comes out of the printing
// system is measured, not what Qt meant to send.
class TestCupsPrinting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void waybillsComeOutWhereTheTemplatePutsThem_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QSizeF>("sheetMm");
        QTest::newRow("continuous form 241 x 140") << "Form241x140" << false << QSizeF(241, 139.7);
        QTest::newRow("A4 landscape") << "A4" << true << QSizeF(297, 210);
        QTest::newRow("custom 250.5 x 150.2") << "Custom" << false << QSizeF(250.5, 150.2);
    }

    void waybillsComeOutWhereTheTemplatePutsThem()
    {
        QFETCH(QString, paper);
        QFETCH(bool, landscape);
        QFETCH(QSizeF, sheetMm);
        CupsPdfQueue queue;
        if (!queue.isReady())
            QSKIP(qPrintable(queue.problem()));
        WaybillData data(3, 2);
        Report report = demoReport(data);
        const QPointF correction(1.5, -2.25);
        ReportPage &page = report.definition().pages[0];
        page.printOffset = correction;
        page.paper = paper;
        page.landscape = landscape;
        page.customSize = sheetMm;
        report.prepare();
        QCOMPARE(report.preparedPages().size(), 3);
        const int copies = 2;
        const auto removeBackground = [](ReportPage &page, int) { page.background.clear(); };

        queue.expectJob();
        ReportPrinter::print(report.preparedPages(), {queue.name(), copies, removeBackground});
        const QString printed = queue.waitForJob();
        QVERIFY2(!printed.isEmpty(), "the queue wrote no PDF in time");

        QCOMPARE(PdfText::pageCount(printed), 3 * copies);
        QCOMPARE(PdfText::imageCount(printed), 0);
        // Every sheet is the form's paper, neither scaled nor laid on another paper. The
        // printing system gives a custom size in whole points (0.35 mm), and feeds a
        // landscape page as the paper comes, turned a quarter.
        const QSizeF fed = page.paperSizeMm();
        const QList<QSizeF> sizes = PdfText::pageSizesMm(printed);
        const bool turned = landscape && qAbs(sizes.value(0).width() - fed.width()) < 0.36;
        for (const QSizeF &size : sizes) {
            const QSizeF want = turned ? fed : sheetMm;
            QVERIFY2(qAbs(size.width() - want.width()) < 0.36 &&
                         qAbs(size.height() - want.height()) < 0.36,
                     qPrintable(QStringLiteral("%1 x %2 mm").arg(size.width()).arg(size.height())));
        }

        // On its way through PostScript the sheet loses its text layer (the fonts become
        // drawings), so the ink is compared with the same job printed by Qt to a file,
        // whose texts lie within 0.3 mm of the template's positions plus the correction as
        // their glyph boxes show: where the queue's ink lies within 0.2 mm (2 dots) of
        // that, every field is within 0.5 mm of where the template puts it.
        QTemporaryDir dir;
        QPrinter file(QPrinter::HighResolution);
        file.setOutputFormat(QPrinter::PdfFormat);
        file.setOutputFileName(dir.filePath(QStringLiteral("reference.pdf")));
        ReportPrinter::print(report.preparedPages(), {{}, copies, removeBackground}, file);
        verifyPlacement(report, file.outputFileName(), correction, copies, 0.3);
        if (QTest::currentTestFailed())
            return;
        for (int sheet = 0; sheet < 3 * copies; ++sheet) {
            QImage fromQueue = PdfText::pageImage(printed, sheet, dotsPerMm);
            // The page's top runs down the fed sheet's left edge: a quarter turn clockwise
            // brings it upright.
            if (turned)
                fromQueue = fromQueue.transformed(QTransform().rotate(90));
            const QImage reference = PdfText::pageImage(file.outputFileName(), sheet, dotsPerMm);
            QVERIFY2(qAbs(fromQueue.width() - reference.width()) <= 4 &&
                         qAbs(fromQueue.height() - reference.height()) <= 4,
                     qPrintable(QStringLiteral("sheet %1 drawn %2 x %3 dots, expected %4 x %5")
                                    .arg(sheet + 1)
                                    .arg(fromQueue.width())
                                    .arg(fromQueue.height())
                                    .arg(reference.width())
                                    .arg(reference.height())));
            for (const PreparedItem &item : report.preparedPages()[sheet % 3].items) {
                const QRectF mm = item.rect.translated(correction).adjusted(-0.5, -0.5, 0.5, 0.5);
                const QRect region(
                    QPoint(int(mm.left() * dotsPerMm), int(mm.top() * dotsPerMm)),
                    QPoint(int(mm.right() * dotsPerMm), int(mm.bottom() * dotsPerMm)));
                const QRect expected = inkBox(reference, region);
                const QRect found = inkBox(fromQueue, region);
                const QString where = QStringLiteral("sheet %1 \"%2\": ink at %3,%4-%5,%6, "
                                                     "expected %7,%8-%9,%10 (dots)")
                                          .arg(sheet + 1)
                                          .arg(item.text)
                                          .arg(found.left())
                                          .arg(found.top())
                                          .arg(found.right())
                                          .arg(found.bottom())
                                          .arg(expected.left())
                                          .arg(expected.top())
                                          .arg(expected.right())
                                          .arg(expected.bottom());
                QVERIFY2(!expected.isEmpty(), qPrintable(where));
                QVERIFY2(qAbs(found.left() - expected.left()) <= 2 &&
                             qAbs(found.top() - expected.top()) <= 2 &&
                             qAbs(found.right() - expected.right()) <= 2 &&
                             qAbs(found.bottom() - expected.bottom()) <= 2,
                         qPrintable(where));
            }
        }
    }
};

QTEST_MAIN(TestCupsPrinting)
#include "tst_cupsprinting.moc"

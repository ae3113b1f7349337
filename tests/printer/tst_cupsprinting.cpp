#include "printer/ReportPrinter.h"
#include "support/CupsPdfQueue.h"
#include "support/DemoWaybill.h"
#include "support/PdfText.h"
#include "support/PrintedInk.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace DemoWaybill;

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
        PrintedInk::verifySameInk(report.preparedPages(), printed, file.outputFileName(),
                                  correction, copies, turned);
    }
};

QTEST_MAIN(TestCupsPrinting)
#include "tst_cupsprinting.moc"

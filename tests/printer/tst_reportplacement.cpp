#include "printer/ReportPrinter.h"
#include "report/Report.h"
#include "support/DemoWaybill.h"
#include "support/PdfText.h"
#include "support/SampleReports.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace SampleReports;
using namespace DemoWaybill;

class TestReportPlacement : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fieldsLandWhereTheTemplatePutsThem_data()
    {
        QTest::addColumn<bool>("withBackground");
        QTest::addColumn<bool>("onA4Landscape");
        QTest::newRow("with background") << true << false;
        QTest::newRow("background removed") << false << false;
        QTest::newRow("A4 landscape, with background") << true << true;
        QTest::newRow("A4 landscape, background removed") << false << true;
    }

    void fieldsLandWhereTheTemplatePutsThem()
    {
        QFETCH(bool, withBackground);
        QFETCH(bool, onA4Landscape);
        WaybillData data(3, 4);
        Report report = demoReport(data);
        if (onA4Landscape) {
            ReportPage &page = report.definition().pages[0];
            page.paper = QStringLiteral("A4");
            page.landscape = true;
            page.margins = QMarginsF(12.5, 7.5, 0, 0);
        }
        report.prepare();
        QCOMPARE(report.preparedPages().size(), 3);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("demo.pdf"));
        if (withBackground) {
            report.exportPdf(pdf);
        } else {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            ReportPrinter::print(
                report.preparedPages(),
                {QString(), 1, [](ReportPage &page, int) { page.background.clear(); }}, printer);
        }
        QCOMPARE(PdfText::imageCount(pdf), withBackground ? 3 : 0);
        verifyPlacement(report, pdf);
    }

    // The text box is 20..100 mm across and 30..50 mm down, 1 mm padding inside.
    void alignmentPlacesTheTextInsideThePadding_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("edge");
        QTest::addColumn<double>("expectedMm");
        const int left = Qt::AlignLeft, right = Qt::AlignRight, centre = Qt::AlignHCenter;
        const int top = Qt::AlignTop, bottom = Qt::AlignBottom, middle = Qt::AlignVCenter;
        QTest::newRow("left") << (left | top) << "left" << 21.0;
        QTest::newRow("top") << (left | top) << "top" << 31.0;
        QTest::newRow("right") << (right | top) << "right" << 99.0;
        QTest::newRow("centre") << (centre | top) << "centre" << 60.0;
        QTest::newRow("bottom") << (left | bottom) << "bottom" << 49.0;
        QTest::newRow("middle") << (left | middle) << "middle" << 40.0;
    }

    void alignmentPlacesTheTextInsideThePadding()
    {
        QFETCH(int, alignment);
        QFETCH(QString, edge);
        QFETCH(double, expectedMm);
        ReportObject object =
            text(QStringLiteral("Memo1"), {20, 30, 80, 20}, QStringLiteral("HXH"));
        object.alignment = Qt::Alignment(alignment);
        object.padding = 1;
        object.fontSize = 14;
        ReportPage page;
        page.margins = QMarginsF();
        page.bands = {band(ReportBand::Type::PageHeader, 60, {}, {object})};
        Report report;
        report.definition().pages = {page};
        report.prepare();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("aligned.pdf"));
        report.exportPdf(pdf);
        const QList<PdfText::Word> words = PdfText::words(pdf);
        QCOMPARE(words.size(), 1);
        const PdfText::Word &w = words[0];
        const QHash<QString, double> edges = {{"left", w.xMm},
                                              {"top", w.yMm},
                                              {"right", w.rightMm},
                                              {"bottom", w.bottomMm},
                                              {"centre", (w.xMm + w.rightMm) / 2},
                                              {"middle", (w.yMm + w.bottomMm) / 2}};
        QVERIFY2(qAbs(edges.value(edge) - expectedMm) < toleranceMm,
                 qPrintable(QString::number(edges.value(edge))));
    }
};

QTEST_MAIN(TestReportPlacement)
#include "tst_reportplacement.moc"

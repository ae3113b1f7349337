#include "printer/ReportPrinter.h"
#include "report/Report.h"
#include "report/ReportError.h"
#include "report/ReportPdfWriter.h"
#include "report/ReportRenderer.h"
#include "support/PdfText.h"
#include "support/SampleReports.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace SampleReports;

namespace {

// One page per master row over a green background, a text at 35 mm / 50 mm.
ReportTemplate overlay()
{
    ReportPage page;
    page.margins = QMarginsF(10, 10, 10, 10);
    page.background = png({210, 297}, QColor(0, 200, 0));
    page.printOffset = QPointF(2, -1.5);
    ReportObject field =
        text(QStringLiteral("No"), {25, 40, 60, 8}, QStringLiteral("[<frxDBDsNote.\"单号\">]"));
    field.padding = 0;
    ReportBand master =
        band(ReportBand::Type::MasterData, 100, QStringLiteral("frxDBDsNote"), {field});
    master.startNewPage = true;
    page.bands = {master};
    ReportTemplate definition;
    definition.pages = {page};
    return definition;
}

// Stands for the printer: Qt's own PDF printer engine, read back with poppler.
struct FilePrinter {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("printed.pdf"));
    QPrinter printer{QPrinter::HighResolution};
    FilePrinter()
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
    }
};

// The overlay prepared over a number of waybills.
struct PreparedOverlay {
    WaybillData data;
    Report report;
    explicit PreparedOverlay(int waybills) : data(waybills, 0)
    {
        report.definition() = overlay();
        report.setDataset(&data.note);
        report.prepare();
    }
};

} // namespace

class TestReportPrinter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hookRemovesBackgroundOnPrintedPagesOnly()
    {
        PreparedOverlay prepared(2);
        Report &report = prepared.report;

        QList<int> copies;
        const ReportPrinter::PageHook hook = [&](ReportPage &page, int copy) {
            copies.append(copy);
            page.background.clear();
        };
        FilePrinter printed;
        ReportPrinter::print(report.preparedPages(), {QString(), 2, hook}, printed.printer);
        QCOMPARE(copies, QList<int>({1, 1, 2, 2}));
        QCOMPARE(PdfText::pageCount(printed.path), 4);
        QCOMPARE(PdfText::imageCount(printed.path), 0);

        // The prepared pages keep their background: the preview and a PDF still show it.
        QVERIFY(!report.preparedPages()[0].page.background.isEmpty());
        const QString exported = printed.dir.filePath(QStringLiteral("exported.pdf"));
        report.exportPdf(exported);
        QCOMPARE(PdfText::pageCount(exported), 2);
        QCOMPARE(PdfText::imageCount(exported), 2);
        const QImage preview = ReportRenderer().renderImage(report.preparedPages()[0], 50);
        QCOMPARE(preview.pixelColor(10, 10), QColor(0, 200, 0));
    }

    void withoutHookTheBackgroundIsPrinted()
    {
        PreparedOverlay prepared(1);
        Report &report = prepared.report;
        FilePrinter printed;
        ReportPrinter::print(report.preparedPages(), {QString(), 1, {}}, printed.printer);
        QCOMPARE(PdfText::imageCount(printed.path), 1);
    }

    void zeroCopiesPrintNothing()
    {
        PreparedOverlay prepared(1);
        Report &report = prepared.report;
        int calls = 0;
        FilePrinter printed;
        ReportPrinter::print(report.preparedPages(),
                             {QString(), 0, [&](ReportPage &, int) { ++calls; }}, printed.printer);
        QCOMPARE(calls, 0);
        QVERIFY(!QFile::exists(printed.path));
    }

    // The calibration moves printed ink only; the PDF export stays where the template says.
    void calibrationShiftsPrintedPagesOnly()
    {
        PreparedOverlay prepared(1);
        Report &report = prepared.report;
        FilePrinter printed;
        ReportPrinter::print(report.preparedPages(), {QString(), 1, {}}, printed.printer);
        const QString exported = printed.dir.filePath(QStringLiteral("exported.pdf"));
        report.exportPdf(exported);

        const QList<PdfText::Word> onPaper = PdfText::words(printed.path);
        const QList<PdfText::Word> inPdf = PdfText::words(exported);
        QCOMPARE(onPaper.size(), 1);
        QCOMPARE(inPdf.size(), 1);
        // Margin 10 + object 25 = 35 mm; 10 + 40 = 50 mm from the top; then the offset.
        QVERIFY2(qAbs(inPdf[0].xMm - 35) < 0.5, qPrintable(QString::number(inPdf[0].xMm)));
        QVERIFY2(qAbs(onPaper[0].xMm - 37) < 0.5, qPrintable(QString::number(onPaper[0].xMm)));
        QVERIFY2(qAbs(inPdf[0].yMm - 50) < 0.5, qPrintable(QString::number(inPdf[0].yMm)));
        QVERIFY2(qAbs(onPaper[0].yMm - 48.5) < 0.5, qPrintable(QString::number(onPaper[0].yMm)));
    }

    // No rows, no pages: an export would be an empty, unreadable file reported as done.
    void exportingNoPagesIsRefusedAndWritesNothing()
    {
        PreparedOverlay prepared(0);
        QVERIFY(prepared.report.preparedPages().isEmpty());
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("empty.pdf"));
        try {
            prepared.report.exportPdf(pdf);
            QFAIL("an empty report was exported");
        } catch (const ReportError &e) {
            QCOMPARE(e.message(), QStringLiteral("没有可导出的页面"));
        }
        QVERIFY(!QFile::exists(pdf));
    }

    // The correction's scale acts from the paper's corner: printed with 90 % × 110 % and an
    // offset of 5, −3 mm, a point designed at x, y lands at 0.9 x + 5, 1.1 y − 3; the PDF
    // export shows the text where it was designed, at 100, 50 mm.
    void calibrationScalesPrintedPagesOnly()
    {
        ReportPage page;
        page.margins = QMarginsF();
        page.printOffset = QPointF(5, -3);
        page.printScaleX = 90;
        page.printScaleY = 110;
        ReportObject word = text(QStringLiteral("W"), {100, 50, 30, 8}, QStringLiteral("HERE"));
        word.padding = 0;
        page.bands = {band(ReportBand::Type::ReportTitle, 100, {}, {word})};
        Report report;
        report.definition().pages = {page};
        report.prepare();
        FilePrinter printed;
        ReportPrinter::print(report.preparedPages(), {QString(), 1, {}}, printed.printer);
        const QString exported = printed.dir.filePath(QStringLiteral("exported.pdf"));
        report.exportPdf(exported);

        const QList<PdfText::Word> onPaper = PdfText::words(printed.path);
        const QList<PdfText::Word> asDesigned = PdfText::words(exported);
        QCOMPARE(onPaper.size(), 1);
        QCOMPARE(asDesigned.size(), 1);
        const PdfText::Word &p = onPaper[0], &d = asDesigned[0];
        const QString where = QStringLiteral("designed %1, %2; printed %3, %4")
                                  .arg(d.xMm)
                                  .arg(d.yMm)
                                  .arg(p.xMm)
                                  .arg(p.yMm);
        QVERIFY2(qAbs(d.xMm - 100) < 0.3, qPrintable(where));
        QVERIFY2(qAbs(p.xMm - (0.9 * d.xMm + 5)) < 0.3, qPrintable(where));
        QVERIFY2(qAbs(p.yMm - (1.1 * d.yMm - 3)) < 0.3, qPrintable(where));
    }

    void eachPageHasItsExactPaperSize()
    {
        ReportPage a4;
        ReportPage a5Landscape;
        a5Landscape.paper = QStringLiteral("A5");
        a5Landscape.landscape = true;
        ReportPage form;
        form.paper = QStringLiteral("Form241x93");
        ReportPage custom;
        custom.paper = QStringLiteral("Custom");
        custom.customSize = QSizeF(99.5, 150.25);
        ReportTemplate definition;
        definition.pages = {a4, a5Landscape, form, custom};
        Report report;
        report.definition() = definition;
        report.prepare();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("sizes.pdf"));
        report.exportPdf(pdf);
        const QList<QSizeF> sizes = PdfText::pageSizesMm(pdf);
        const QList<QSizeF> expected = {{210, 297}, {210, 148}, {241, 93.1}, {99.5, 150.25}};
        QCOMPARE(sizes.size(), expected.size());
        for (int i = 0; i < sizes.size(); ++i) {
            // Qt writes media boxes in whole points: within half a point (0.18 mm).
            const QSizeF size = sizes[i];
            const QSizeF want = expected[i];
            const bool same = qAbs(size.width() - want.width()) < 0.18 &&
                              qAbs(size.height() - want.height()) < 0.18;
            QVERIFY2(same, qPrintable(QStringLiteral("page %1: %2 x %3 mm")
                                          .arg(i + 1)
                                          .arg(size.width())
                                          .arg(size.height())));
        }
    }

    void picturesComeFromTheTemplateOrAField()
    {
        MemoryDataset photos(QStringLiteral("photos"), {QStringLiteral("照片")});
        photos.addRow({png({8, 8}, Qt::blue)});
        ReportObject fixed;
        fixed.kind = ReportObject::Kind::Picture;
        fixed.rect = QRectF(10, 10, 20, 20);
        fixed.picture = png({8, 8}, Qt::red);
        ReportObject fromField = fixed;
        fromField.rect = QRectF(50, 10, 20, 20);
        fromField.picture.clear();
        fromField.pictureExpression = QStringLiteral("<photos.\"照片\">");
        ReportPage page;
        page.margins = QMarginsF();
        page.bands = {
            band(ReportBand::Type::MasterData, 40, QStringLiteral("photos"), {fixed, fromField})};
        Report report;
        report.definition().pages = {page};
        report.setDataset(&photos);
        report.prepare();
        const QImage image = ReportRenderer().renderImage(report.preparedPages()[0], 25.4);
        QCOMPARE(image.pixelColor(20, 20), QColor(Qt::red));
        QCOMPARE(image.pixelColor(60, 20), QColor(Qt::blue));
        QCOMPARE(image.pixelColor(40, 20), QColor(Qt::white));
    }

    // A zoomed preview draws at any resolution. A 1 mm line at 230 mm across and one at
    // 270 mm down on a 241 x 279.4 mm form: a line's centre lies at mm / 25.4 * dpi dots,
    // and at these resolutions 1 mm is over 2 dots, so the dot column (row) holding that
    // centre is wholly inked while one 1.5 line widths away is untouched. Rounding the
    // resolution to whole dots per inch moves the far lines by 3.5 to 4.5 dots.
    void fractionalResolutionKeepsGeometryExact_data()
    {
        QTest::addColumn<double>("dotsPerInch");
        QTest::newRow("72.5") << 72.5;
        QTest::newRow("96.5") << 96.5;
        QTest::newRow("100.45") << 100.45;
        QTest::newRow("150.5") << 150.5;
        QTest::newRow("200.4") << 200.4;
    }

    void fractionalResolutionKeepsGeometryExact()
    {
        QFETCH(double, dotsPerInch);
        PreparedPage page;
        page.page.paper = QStringLiteral("Form241x280");
        auto line = [](QRectF rect) {
            PreparedItem item{ReportObject(), rect, {}, {}};
            item.object.kind = ReportObject::Kind::Line;
            item.object.lineWidth = 1;
            return item;
        };
        page.items = {line(QRectF(230, 10, 0, 200)), line(QRectF(10, 270, 200, 0))};
        const QImage image = ReportRenderer().renderImage(page, dotsPerInch);
        const double dotsPerMm = dotsPerInch / 25.4;
        QCOMPARE(image.size(),
                 QSize(int(std::lround(241 * dotsPerMm)), int(std::lround(279.4 * dotsPerMm))));
        const int column = int(230 * dotsPerMm), row = int(270 * dotsPerMm);
        const int away = int(std::ceil(1.5 * dotsPerMm));
        const int middleRow = int(100 * dotsPerMm), middleColumn = int(100 * dotsPerMm);
        const auto where = [&](int x, int y) {
            return qPrintable(QStringLiteral("dot %1, %2 is %3")
                                  .arg(x)
                                  .arg(y)
                                  .arg(image.pixelColor(x, y).name()));
        };
        QVERIFY2(image.pixelColor(column, middleRow) == Qt::black, where(column, middleRow));
        QVERIFY2(image.pixelColor(column - away, middleRow) == Qt::white,
                 where(column - away, middleRow));
        QVERIFY2(image.pixelColor(column + away, middleRow) == Qt::white,
                 where(column + away, middleRow));
        QVERIFY2(image.pixelColor(middleColumn, row) == Qt::black, where(middleColumn, row));
        QVERIFY2(image.pixelColor(middleColumn, row - away) == Qt::white,
                 where(middleColumn, row - away));
        QVERIFY2(image.pixelColor(middleColumn, row + away) == Qt::white,
                 where(middleColumn, row + away));
    }

    void imageHasThePaperSizeAtItsResolution()
    {
        PreparedPage page;
        page.page.paper = QStringLiteral("Form241x93");
        page.page.landscape = false;
        PreparedItem box{ReportObject(), QRectF(20, 30, 10, 10), {}, {}};
        box.object.kind = ReportObject::Kind::Rectangle;
        box.object.lineWidth = 0.5;
        page.items = {box};
        const QImage image = ReportRenderer().renderImage(page, 254); // 10 dots per mm
        QCOMPARE(image.size(), QSize(2410, 931));
        QCOMPARE(image.pixelColor(200, 350), QColor(Qt::black)); // left edge at 20 mm
        QCOMPARE(image.pixelColor(250, 350), QColor(Qt::white));
        QCOMPARE(image.pixelColor(250, 300), QColor(Qt::black)); // top edge at 30 mm
    }
};

QTEST_MAIN(TestReportPrinter)
#include "tst_reportprinter.moc"

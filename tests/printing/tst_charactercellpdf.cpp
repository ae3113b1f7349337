#include "printing/ReportFunctions.h"
#include "support/DemoWaybill.h"

#include <QTemporaryDir>
#include <QTest>

// An amount in boxes, as a cheque or an invoice has them, printed over the demo waybill:
// each digit must sit in the middle of its own box.
class TestCharacterCellPdf : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachDigitIsCentredInItsCell_data()
    {
        QTest::addColumn<double>("cellWidth");
        QTest::addColumn<double>("fontSize");
        // poppler reads wide glyphs closer than 0.4 em as one word; these boxes leave more
        // room between the digits, so that each digit reads back with its own box.
        QTest::newRow("6.5 mm boxes, 12 pt") << 6.5 << 12.0;
        QTest::newRow("5 mm boxes, 8 pt") << 5.0 << 8.0;
        QTest::newRow("7.5 mm boxes, 14 pt") << 7.5 << 14.0;
    }
    void eachDigitIsCentredInItsCell()
    {
        QFETCH(double, cellWidth);
        QFETCH(double, fontSize);
        SampleReports::WaybillData data(1, 2);
        Report report = DemoWaybill::demoReport(data);
        const ReportFunctions functions;
        for (const ReportFunctionDeclaration &f : reportFunctionDeclarations())
            report.addFunction(f.declaration, f.category, f.description);
        report.setUserFunctionHandler([&functions](const QString &name, const QVariantList &a) {
            return functions.frxReportUserFunction(name, a);
        });
        ReportObject boxes;
        boxes.name = QStringLiteral("金额格");
        boxes.rect = QRectF(35, 44, 10 * cellWidth, 8);
        boxes.text = QStringLiteral("[rmbToBIG4Fill(<frxDBDsNote.\"金额\">, 10)]");
        boxes.fontFamily = QStringLiteral("Noto Sans CJK SC");
        boxes.fontSize = fontSize;
        boxes.alignment = Qt::AlignLeft | Qt::AlignVCenter;
        boxes.cellCount = 10;
        boxes.cellWidth = cellWidth;
        ReportPage &page = report.definition().pages[0];
        QCOMPARE(page.margins.left(), 0.0);
        QCOMPARE(page.bands[0].type, ReportBand::Type::MasterData);
        page.bands[0].objects.append(boxes);
        report.prepare();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("cells.pdf"));
        report.exportPdf(pdf);

        // The first record's amount is 123.45 yuan, 12345 fen: in ten boxes five leading
        // 零, then 壹贰叁肆伍.
        const QString digits = QStringLiteral("零零零零零壹贰叁肆伍");
        // The master band starts at the page's top edge (no top margin), so the boxes span
        // 44..52 mm down; box i spans 35 + i × cellWidth .. 35 + (i + 1) × cellWidth across.
        QList<PdfText::Word> glyphs;
        for (const PdfText::Word &w : PdfText::words(pdf))
            if (w.page == 0 && w.yMm > 43 && w.bottomMm < 53 && w.xMm > 30)
                glyphs.append(w);
        QString read;
        for (const PdfText::Word &w : glyphs)
            read += w.text;
        QCOMPARE(read, digits);
        QCOMPARE(glyphs.size(), digits.size());
        for (int i = 0; i < glyphs.size(); ++i) {
            const double centre = (glyphs[i].xMm + glyphs[i].rightMm) / 2;
            const double cellCentre = 35 + (i + 0.5) * cellWidth;
            QVERIFY2(qAbs(centre - cellCentre) < 0.3,
                     qPrintable(QStringLiteral("box %1 (%2): centre %3 mm, box centre %4 mm")
                                    .arg(i + 1)
                                    .arg(glyphs[i].text)
                                    .arg(centre)
                                    .arg(cellCentre)));
        }
    }
};

QTEST_MAIN(TestCharacterCellPdf)
#include "tst_charactercellpdf.moc"

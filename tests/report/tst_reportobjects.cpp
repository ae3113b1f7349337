#include "report/Report.h"
#include "report/ReportError.h"
#include "report/ReportRenderer.h"
#include "support/PdfText.h"
#include "support/SampleReports.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace SampleReports;

// The object features of the engine: stored form, preparation and what is drawn.
namespace {

constexpr double dpi = 254; // 10 pixels per millimetre

// One page, no margins, one master band of 100 mm over the waybills; the objects on it.
ReportTemplate onePage(const QList<ReportObject> &objects)
{
    ReportPage page;
    page.margins = QMarginsF();
    page.bands = {band(ReportBand::Type::MasterData, 100, QStringLiteral("frxDBDsNote"), objects)};
    ReportTemplate definition;
    definition.pages = {page};
    return definition;
}

struct Prepared {
    WaybillData data;
    Report report;
    Prepared(const QList<ReportObject> &objects, int waybills = 1) : data(waybills, 0)
    {
        report.definition() = onePage(objects);
        report.setDataset(&data.note);
        report.prepare();
    }
    QImage image(int page = 0) const
    {
        return ReportRenderer().renderImage(report.preparedPages()[page], dpi);
    }
};

bool isInk(QRgb pixel)
{
    return qGray(pixel) < 200;
}

// The box of the drawn pixels, in mm; empty when nothing was drawn.
QRectF inkMm(const QImage &image, const std::function<bool(QRgb)> &ink = isInk)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (ink(image.pixel(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0)
        return {};
    return QRectF(left / 10.0, top / 10.0, (right - left + 1) / 10.0, (bottom - top + 1) / 10.0);
}

ReportObject textObject(QRectF rect, const QString &content)
{
    ReportObject o = text(QStringLiteral("T"), rect, content);
    o.padding = 0;
    return o;
}

ReportObject ofKind(ReportObject::Kind kind, QRectF rect)
{
    ReportObject o;
    o.kind = kind;
    o.name = QStringLiteral("O");
    o.rect = rect;
    return o;
}

} // namespace

class TestReportObjects : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyNewPropertyRoundTrips()
    {
        ReportObject t = textObject({1.25, 2.5, 40, 8}, QStringLiteral("[1+2]"));
        t.underline = true;
        t.textColor = QColor(0x12, 0x34, 0x56);
        t.clip = false;
        t.rotation = 270;
        t.displayFormat = QStringLiteral("#,##0.00");
        t.cellCount = 12;
        t.cellWidth = 4.8;
        t.shrinkToFit = true;
        t.minFontSize = 6.5;
        t.visibleExpression = QStringLiteral("<frxDBDsNote.\"ID\"> > 1");
        t.locked = true;
        ReportObject translucent = t;
        translucent.textColor = QColor(255, 0, 0, 128);
        ReportObject code = ofKind(ReportObject::Kind::Barcode, {0, 0, 50, 15});
        code.symbology = ReportObject::Symbology::Ean13;
        code.text = QStringLiteral("[<frxDBDsNote.\"单号\">]");
        ReportObject qr = ofKind(ReportObject::Kind::Barcode, {0, 0, 20, 20});
        qr.symbology = ReportObject::Symbology::QrCode;
        ReportObject mark = ofKind(ReportObject::Kind::CheckMark, {0, 0, 5, 5});
        mark.checkExpression = QStringLiteral("<frxDBDsNote.\"ID\"> = 1");
        ReportTemplate definition = onePage({t, translucent, code, qr, mark});
        definition.pages[0].printScaleX = 98.5;
        definition.pages[0].printScaleY = 101.25;
        definition.pages[0].background = png({20, 10}, Qt::green);
        definition.pages[0].backgroundRect = QRectF(-1.5, 2, 200.25, 100.125);

        Report saved;
        saved.definition() = definition;
        Report loaded;
        loaded.loadFromBytes(saved.saveToBytes());
        QVERIFY(loaded.definition() == definition);
        QCOMPARE(loaded.saveToBytes(), saved.saveToBytes());
    }

    void badNewValuesAreRefused_data()
    {
        QTest::addColumn<QString>("object");
        QTest::newRow("rotation") << QStringLiteral("<Text rotation=\"45\"/>");
        QTest::newRow("cells") << QStringLiteral("<Text cells=\"-1\"/>");
        QTest::newRow("cell width") << QStringLiteral("<Text cellWidth=\"0\"/>");
        QTest::newRow("colour") << QStringLiteral("<Text color=\"red\"/>");
        QTest::newRow("symbology") << QStringLiteral("<Barcode symbology=\"pdf417\"/>");
    }

    void badNewValuesAreRefused()
    {
        QFETCH(QString, object);
        const QString xml =
            QStringLiteral("<QuilletReport version=\"2\"><Page><MasterData>%1</MasterData></Page>"
                           "</QuilletReport>")
                .arg(object);
        Report report;
        QVERIFY_THROWS_EXCEPTION(ReportError, report.loadFromBytes(xml.toUtf8()));
    }

    // What the designer creates: Arial 10 pt objects on A4 portrait pages with 10 mm margins.
    void newObjectsAndPagesTakeTheDesignerDefaults()
    {
        const ReportObject object;
        QCOMPARE(object.fontFamily, QStringLiteral("Arial"));
        QCOMPARE(object.fontSize, 10.0);
        const ReportPage page;
        QCOMPARE(page.sizeMm(), QSizeF(210, 297));
        QCOMPARE(page.margins, QMarginsF(10, 10, 10, 10));
    }

    // Arial has no Chinese; it falls back to the Chinese face whose glyphs read back as their
    // characters in a PDF, and draws the same glyphs that face itself draws.
    void chineseShowsInTheDefaultFont()
    {
        const QString words = QStringLiteral("中文运单");
        ReportObject arial = textObject({10, 10, 80, 10}, words);
        ReportObject cjk = arial;
        cjk.fontFamily = QStringLiteral("WenQuanYi Micro Hei");
        const QImage drawn = Prepared({arial}).image();
        const QImage expected = Prepared({cjk}).image();
        // The line's height comes from the primary (Western) face, so compare the glyphs
        // where each image has its ink (10 px per mm).
        const auto inkOf = [](const QImage &image) {
            const QRectF mm = inkMm(image);
            return image.copy(QRectF(mm.topLeft() * 10, mm.size() * 10).toRect());
        };
        QVERIFY(!inkMm(drawn).isEmpty());
        QCOMPARE(inkOf(drawn), inkOf(expected));
    }

    void colourUnderlineAndClipping()
    {
        ReportObject red = textObject({10, 10, 80, 10}, QStringLiteral("ABC"));
        red.textColor = Qt::red;
        const QImage image = Prepared({red}).image();
        const auto reddish = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 80; };
        QVERIFY(!inkMm(image, reddish).isEmpty());
        QVERIFY(inkMm(image, [](QRgb p) { return qGray(p) < 60; }).isEmpty());

        ReportObject plain = textObject({10, 10, 80, 10}, QStringLiteral("ace"));
        ReportObject underlined = plain;
        underlined.underline = true;
        QVERIFY(inkMm(Prepared({underlined}).image()).bottom() >
                inkMm(Prepared({plain}).image()).bottom() + 0.2);

        ReportObject wide = textObject({20, 10, 10, 6}, QStringLiteral("WWWWWWWWWWWW"));
        QVERIFY(inkMm(Prepared({wide}).image()).right() <= 30.1);
        wide.clip = false;
        QVERIFY(inkMm(Prepared({wide}).image()).right() > 31);
    }

    // Turned by 90°, a line of text runs upwards: its ink is tall and narrow.
    void rotatedTextRunsUpwards()
    {
        ReportObject turned = textObject({20, 10, 10, 60}, QStringLiteral("ABCDEFGHIJ"));
        turned.rotation = 90;
        turned.alignment = Qt::AlignCenter;
        const QRectF ink = inkMm(Prepared({turned}).image());
        QVERIFY2(ink.height() > 3 * ink.width(),
                 qPrintable(QStringLiteral("%1 x %2").arg(ink.width()).arg(ink.height())));
        QVERIFY(QRectF(20, 10, 10, 60).contains(ink));
    }

    void shrinkToFitStopsAtTheMinimum()
    {
        ReportObject long_ = textObject({20, 10, 30, 8}, QStringLiteral("一段很长的收货单位名称"));
        long_.fontSize = 14;
        long_.clip = false; // to see where the text ends
        QVERIFY(inkMm(Prepared({long_}).image()).right() > 50.5);
        long_.shrinkToFit = true;
        long_.minFontSize = 4;
        QVERIFY(QRectF(20, 10, 30.1, 8.1).contains(inkMm(Prepared({long_}).image())));
        long_.minFontSize = 12; // not small enough to fit: the text stays at 12 points
        const QRectF atMinimum = inkMm(Prepared({long_}).image());
        QVERIFY(atMinimum.right() > 50.5);
        ReportObject twelve = long_;
        twelve.shrinkToFit = false;
        twelve.fontSize = 12;
        QCOMPARE(atMinimum, inkMm(Prepared({twelve}).image()));
    }

    void displayFormatAppliesToNumbersAndDates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("shown");
        // Waybill 1: 金额 123.45, 填写日期 2024-05-02, 单号 YD0001.
        QTest::newRow("money") << QStringLiteral("[<frxDBDsNote.\"金额\"> * 100]")
                               << QStringLiteral("#,##0.00") << QStringLiteral("12,345.00");
        QTest::newRow("number") << QStringLiteral("共[2.5 * 3]件") << QStringLiteral("0.0")
                                << QStringLiteral("共7.5件");
        QTest::newRow("date") << QStringLiteral("[<frxDBDsNote.\"填写日期\">]")
                              << QStringLiteral("yyyy年mm月dd日")
                              << QStringLiteral("2024年05月02日");
        QTest::newRow("text untouched") << QStringLiteral("[<frxDBDsNote.\"单号\">]")
                                        << QStringLiteral("0.00") << QStringLiteral("YD0001");
        QTest::newRow("no format")
            << QStringLiteral("[<frxDBDsNote.\"金额\">]") << QString() << QStringLiteral("123.45");
    }

    void displayFormatAppliesToNumbersAndDates()
    {
        QFETCH(QString, text);
        QFETCH(QString, format);
        QFETCH(QString, shown);
        ReportObject o = textObject({0, 0, 50, 6}, text);
        o.displayFormat = format;
        QCOMPARE(Prepared({o}).report.preparedPages()[0].items[0].text, shown);
    }

    void visibilityAndCheckMarkFollowTheirExpressions()
    {
        ReportObject second = textObject({0, 0, 50, 6}, QStringLiteral("second"));
        second.visibleExpression = QStringLiteral("<frxDBDsNote.\"ID\"> = 2");
        ReportObject mark = ofKind(ReportObject::Kind::CheckMark, {40, 40, 6, 6});
        mark.checkExpression = QStringLiteral("<frxDBDsNote.\"ID\"> = 1");
        Prepared prepared({second, mark}, 2);
        const QList<PreparedItem> items = prepared.report.preparedPages()[0].items;
        QCOMPARE(items.size(), 3); // mark on row 1; text and mark on row 2
        QCOMPARE(items[0].object.kind, ReportObject::Kind::CheckMark);
        QVERIFY(items[0].checked);
        QCOMPARE(items[1].text, QStringLiteral("second"));
        QVERIFY(!items[2].checked);

        // Row 1 fills the band from 0 to 100 mm, row 2 the one below.
        const QImage image = prepared.image();
        const QRectF firstRow = inkMm(image.copy(0, 0, image.width(), 1000));
        QVERIFY(!firstRow.isEmpty());
        QVERIFY(QRectF(40, 40, 6, 6).contains(firstRow));
        QVERIFY(inkMm(image.copy(390, 1390, 80, 80)).isEmpty());
    }

    void barcodesAreDrawnAsVectorsInTheirBox_data()
    {
        QTest::addColumn<int>("symbology");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QRectF>("box");
        QTest::newRow("Code 128") << int(ReportObject::Symbology::Code128)
                                  << QStringLiteral("[<frxDBDsNote.\"单号\">]")
                                  << QRectF(20, 20, 60, 15);
        QTest::newRow("EAN-13") << int(ReportObject::Symbology::Ean13)
                                << QStringLiteral("690123456789") << QRectF(20, 20, 40, 20);
        QTest::newRow("QR") << int(ReportObject::Symbology::QrCode)
                            << QStringLiteral("https://example.com/运单/[<frxDBDsNote.\"ID\">]")
                            << QRectF(20, 20, 40, 25);
    }

    void barcodesAreDrawnAsVectorsInTheirBox()
    {
        QFETCH(int, symbology);
        QFETCH(QString, data);
        QFETCH(QRectF, box);
        ReportObject code = ofKind(ReportObject::Kind::Barcode, box);
        code.symbology = ReportObject::Symbology(symbology);
        code.text = data;
        Prepared prepared({code});
        const QRectF ink = inkMm(prepared.image());
        QVERIFY2(box.adjusted(-0.1, -0.1, 0.1, 0.1).contains(ink),
                 qPrintable(QStringLiteral("%1 %2 %3 %4")
                                .arg(ink.x())
                                .arg(ink.y())
                                .arg(ink.width())
                                .arg(ink.height())));
        if (code.symbology == ReportObject::Symbology::QrCode) {
            QVERIFY(qAbs(ink.width() - ink.height()) < 0.3); // square, centred
            QVERIFY(qAbs(ink.center().x() - box.center().x()) < 0.3);
        } else {
            QVERIFY(ink.width() > 0.8 * box.width());
        }
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("code.pdf"));
        prepared.report.exportPdf(pdf);
        QCOMPARE(PdfText::imageCount(pdf), 0);
    }

    void dataABarcodeCannotHoldIsAnError()
    {
        ReportObject code = ofKind(ReportObject::Kind::Barcode, {0, 0, 40, 20});
        code.symbology = ReportObject::Symbology::Ean13;
        code.text = QStringLiteral("[<frxDBDsNote.\"单号\">]"); // letters
        QVERIFY_THROWS_EXCEPTION(ReportError, Prepared({code}));
    }

    // The amount in fen in ten digit boxes of 5 mm over the demo waybill: read back from
    // the PDF, each digit sits in the middle of its box.
    void characterCellsCentreEachDigitOverTheDemoWaybill()
    {
        QFile file(QStringLiteral(QUILLET_DATA_DIR "/demo_waybill.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        WaybillData data(1, 1);
        Report report;
        report.loadFromBytes(file.readAll());
        report.addFunction(QStringLiteral("function FieldIsNull(FieldName: string): Boolean"),
                           QStringLiteral("自定义"), {});
        report.addFunction(QStringLiteral("function rmbToBIG(Value: Currency): string"),
                           QStringLiteral("自定义"), {});
        report.setUserFunctionHandler([](const QString &, const QVariantList &) { return true; });
        report.setDataset(&data.note);
        report.setDataset(&data.sub);
        ReportObject cells =
            textObject({150, 45, 50, 8}, QStringLiteral("[<frxDBDsNote.\"金额\"> * 100]"));
        cells.displayFormat = QStringLiteral("0");
        cells.cellCount = 10;
        cells.cellWidth = 5;
        cells.alignment = Qt::AlignRight | Qt::AlignVCenter;
        cells.fontSize = 12;
        ReportPage &page = report.definition().pages[0];
        page.bands[0].objects.append(cells);
        report.prepare();
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("cells.pdf"));
        report.exportPdf(pdf);

        // 123.45 yuan is 12345 fen: five digits in the last five of ten cells.
        const double left = page.margins.left() + 150;
        const QString digits = QStringLiteral("12345");
        QList<PdfText::Word> found;
        for (const PdfText::Word &w : PdfText::words(pdf))
            if (w.yMm > 40 && w.yMm < 60 && w.xMm > left - 1)
                found.append(w);
        QCOMPARE(found.size(), digits.size());
        std::sort(found.begin(), found.end(),
                  [](const PdfText::Word &a, const PdfText::Word &b) { return a.xMm < b.xMm; });
        for (int i = 0; i < digits.size(); ++i) {
            QCOMPARE(found[i].text, QString(digits[i]));
            const double cellCentre = left + (5 + i) * 5 + 2.5;
            const double centre = (found[i].xMm + found[i].rightMm) / 2;
            QVERIFY2(qAbs(centre - cellCentre) < 0.3,
                     qPrintable(QStringLiteral("digit %1 centred at %2 mm, cell centre %3 mm")
                                    .arg(digits[i])
                                    .arg(centre)
                                    .arg(cellCentre)));
        }
    }
};

QTEST_MAIN(TestReportObjects)
#include "tst_reportobjects.moc"

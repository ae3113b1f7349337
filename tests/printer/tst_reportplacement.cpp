#include "printer/ReportPrinter.h"
#include "report/Report.h"
#include "support/PdfText.h"
#include "support/SampleReports.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace SampleReports;

namespace {

constexpr double toleranceMm = 0.5;

Report demoReport(WaybillData &data)
{
    QFile file(QStringLiteral(QUILLET_DATA_DIR "/demo_waybill.xml"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("demo template missing");
    Report report;
    report.loadFromBytes(file.readAll());
    report.setDataset(&data.note);
    report.setDataset(&data.sub);
    // Stand-ins for the program's functions: they print a recognisable word.
    report.addFunction(QStringLiteral("function FieldIsNull(FieldName: string): Boolean"),
                       QStringLiteral("自定义"), {});
    report.addFunction(QStringLiteral("function rmbToBIG(Value: Currency): string"),
                       QStringLiteral("自定义"), {});
    report.setUserFunctionHandler([](const QString &name, const QVariantList &) {
        return name == u"FieldIsNull" ? QVariant(false) : QVariant(QStringLiteral("大写金额"));
    });
    return report;
}

// Where the template puts the first glyph of each text on a page: the band's top (laid
// out here from the band heights, independently of the engine), plus the object's
// position, plus its padding.
struct Expected {
    QString text;
    double xMm, yMm;
};

QList<Expected> expectedOnPage(const Report &report, const PreparedPage &prepared)
{
    const ReportPage &page = report.definition().pages[0];
    const ReportBand &master = page.bands[0], &detail = page.bands[1], &footer = page.bands[2];
    QList<Expected> expected;
    auto add = [&](const ReportObject &object, double bandTop, const QString &text) {
        expected.append({text, page.margins.left() + object.rect.x() + object.padding,
                         bandTop + object.rect.y() + object.padding});
    };
    // The prepared page tells which texts were printed, in band order; positions come
    // from the template alone.
    QList<PreparedItem> items = prepared.items;
    const double footerTop = page.sizeMm().height() - page.margins.bottom() - footer.height;
    for (const ReportObject &object : footer.objects)
        add(object, footerTop, items.takeFirst().text);
    for (const ReportObject &object : master.objects)
        add(object, page.margins.top(), items.takeFirst().text);
    for (int row = 0; !items.isEmpty(); ++row)
        for (const ReportObject &object : detail.objects)
            add(object, page.margins.top() + master.height + row * detail.height,
                items.takeFirst().text);
    return expected;
}

void verifyPlacement(const Report &report, const QString &pdf)
{
    const QList<PdfText::Word> words = PdfText::words(pdf);
    const QList<PreparedPage> &pages = report.preparedPages();
    QCOMPARE(PdfText::pageCount(pdf), int(pages.size()));
    int checked = 0;
    for (int p = 0; p < pages.size(); ++p) {
        for (const Expected &e : expectedOnPage(report, pages[p])) {
            // Poppler may give a Kangxi radical for an ideograph of the same glyph (⼤ for
            // 大); compatibility normalisation folds most back, so the first character is
            // compared, and the word is the one nearest to where the text should be.
            const QChar first = e.text.normalized(QString::NormalizationForm_KC).front();
            const auto found =
                std::find_if(words.begin(), words.end(), [&](const PdfText::Word &w) {
                    return w.page == p &&
                           w.text.normalized(QString::NormalizationForm_KC).front() == first &&
                           qAbs(w.xMm - e.xMm) < 5 && qAbs(w.yMm - e.yMm) < 5;
                });
            QVERIFY2(found != words.end(),
                     qPrintable(QStringLiteral("page %1: %2 not found near %3, %4")
                                    .arg(p + 1)
                                    .arg(e.text)
                                    .arg(e.xMm)
                                    .arg(e.yMm)));
            const QString where =
                QStringLiteral("page %1 \"%2\": expected %3, %4 mm, printed %5, %6 mm")
                    .arg(p + 1)
                    .arg(e.text)
                    .arg(e.xMm)
                    .arg(e.yMm)
                    .arg(found->xMm)
                    .arg(found->yMm);
            QVERIFY2(qAbs(found->xMm - e.xMm) < toleranceMm, qPrintable(where));
            QVERIFY2(qAbs(found->yMm - e.yMm) < toleranceMm, qPrintable(where));
            ++checked;
        }
    }
    QVERIFY(checked > 0);
}

} // namespace

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

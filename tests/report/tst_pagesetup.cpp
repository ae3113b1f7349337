#include "report/Report.h"
#include "support/SampleReports.h"

#include <QTest>

using namespace SampleReports;

namespace {

// Two template pages: "Waybill" with one text per master row, "Notes" with a title.
ReportTemplate twoPages()
{
    ReportPage waybill;
    waybill.name = QStringLiteral("Waybill");
    waybill.background = png({10, 10}, Qt::green);
    waybill.bands = {band(
        ReportBand::Type::MasterData, 20, QStringLiteral("frxDBDsNote"),
        {text(QStringLiteral("No"), {5, 2, 40, 6}, QStringLiteral("[<frxDBDsNote.\"单号\">]"))})};
    ReportPage notes;
    notes.name = QStringLiteral("Notes");
    notes.bands = {band(ReportBand::Type::ReportTitle, 10, {},
                        {text(QStringLiteral("T"), {0, 0, 40, 6}, QStringLiteral("说明"))})};
    ReportTemplate t;
    t.pages = {waybill, notes};
    return t;
}

} // namespace

class TestPageSetup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Margins 25 mm left and 30 mm top: the first row's text at 25 + 5 mm and 30 + 2 mm; a
    // landscape A5 sheet is 210 mm wide and 148 mm high.
    void setupTakesEffectOnTheNextPreparation()
    {
        WaybillData data(1, 0);
        Report report;
        report.definition() = twoPages();
        report.setDataset(&data.note);
        report.prepare();
        ReportPage settings = report.preparedPages()[0].page;
        settings.paper = QStringLiteral("A5");
        settings.landscape = true;
        settings.margins = QMarginsF(25, 30, 10, 10);
        settings.printOffset = QPointF(1.5, -2);
        report.definition().applyPageSetup(settings);
        report.prepare();

        const PreparedPage &page = report.preparedPages()[0];
        QCOMPARE(page.page.sizeMm(), QSizeF(210, 148));
        QCOMPARE(page.page.printOffset, QPointF(1.5, -2));
        QCOMPARE(page.items[0].rect.topLeft(), QPointF(30, 32));
        QCOMPARE(report.definition().pages[0].bands, twoPages().pages[0].bands);
        QCOMPARE(report.definition().pages[0].background, twoPages().pages[0].background);
        // The other template page keeps its own setup.
        QVERIFY(report.definition().pages[1] == twoPages().pages[1]);
    }
};

QTEST_GUILESS_MAIN(TestPageSetup)
#include "tst_pagesetup.moc"

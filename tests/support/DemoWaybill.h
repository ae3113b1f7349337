#pragma once

// Where the texts of the shipped demo waybill (SampleReports::demoReport) must land on
// paper, worked out from the template's bands and objects independently of the engine.

#include "report/Report.h"
#include "store/TemplateStore.h"
#include "support/PdfText.h"
#include "support/SampleReports.h"

#include <QTest>

namespace DemoWaybill {

using namespace SampleReports;

inline constexpr double toleranceMm = 0.5;

// The demo kind 快递运单 (A01) given its own template tuned to a printer whose feed is off by
// the correction, as a user does in the page setup.
inline void storeCorrectedTemplate(const QSqlDatabase &db, QPointF correction)
{
    TemplateStore store(db, QStringLiteral("A01"));
    store.lookup();
    Report tuned;
    tuned.loadFromBytes(store.templateBytes());
    tuned.definition().pages[0].printOffset = correction;
    store.save(tuned.saveToBytes());
}

// Where the template puts the first glyph of each text on a page: the band's top (laid
// out here from the band heights, independently of the engine), plus the object's
// position, plus its padding.
struct Expected {
    QString text;
    double xMm, yMm;
};

inline QList<Expected> expectedOnPage(const Report &report, const PreparedPage &prepared)
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

// The PDF's pages hold `copies` copies of the prepared pages, one after the other, each
// text moved by offsetMm (a printer correction); each lies within `tolerance` mm.
inline void verifyPlacement(const Report &report, const QString &pdf, QPointF offsetMm = {},
                            int copies = 1, double tolerance = toleranceMm)
{
    const QList<PdfText::Word> words = PdfText::words(pdf);
    const QList<PreparedPage> &pages = report.preparedPages();
    const int sheets = int(pages.size()) * copies;
    QCOMPARE(PdfText::pageCount(pdf), sheets);
    int checked = 0;
    for (int p = 0; p < sheets; ++p) {
        for (Expected e : expectedOnPage(report, pages[p % pages.size()])) {
            e.xMm += offsetMm.x();
            e.yMm += offsetMm.y();
            // The text reads back as printed; a word ends at a space.
            const QString first = e.text.section(u' ', 0, 0);
            const auto found =
                std::find_if(words.begin(), words.end(), [&](const PdfText::Word &w) {
                    return w.page == p && w.text == first && qAbs(w.xMm - e.xMm) < 5 &&
                           qAbs(w.yMm - e.yMm) < 5;
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
            QVERIFY2(qAbs(found->xMm - e.xMm) < tolerance, qPrintable(where));
            QVERIFY2(qAbs(found->yMm - e.yMm) < tolerance, qPrintable(where));
            ++checked;
        }
    }
    QVERIFY(checked > 0);
}

} // namespace DemoWaybill

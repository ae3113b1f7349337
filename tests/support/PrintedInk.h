#pragma once

// Where a printing system's PDF puts its ink, compared with a reference PDF of the same
// job written by Qt to a file. On its way through PostScript a queue's sheet loses its text
// layer (the fonts become drawings), so its fields are found by their ink instead.

#include "report/PreparedPage.h"
#include "support/PdfText.h"

#include <QTest>
#include <QTransform>

namespace PrintedInk {

inline constexpr int dotsPerMm = 10;

// The bounding box of the ink (darker than mid-grey) inside a region of a page image.
inline QRect inkBox(const QImage &image, const QRect &region)
{
    QRect box;
    const QRect within = region & image.rect();
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Sheet by sheet (`copies` copies of the pages, one after the other), the ink of every
// item's place, moved by the printer correction, lies within 0.2 mm (2 dots) of the
// reference's. `turned`: the queue fed the sheets a quarter turn round (landscape).
inline void verifySameInk(const QList<PreparedPage> &pages, const QString &printed,
                          const QString &reference, QPointF correction, int copies,
                          bool turned = false)
{
    for (int sheet = 0; sheet < int(pages.size()) * copies; ++sheet) {
        QImage fromQueue = PdfText::pageImage(printed, sheet, dotsPerMm);
        // The page's top runs down the fed sheet's left edge: a quarter turn clockwise
        // brings it upright.
        if (turned)
            fromQueue = fromQueue.transformed(QTransform().rotate(90));
        const QImage expectedImage = PdfText::pageImage(reference, sheet, dotsPerMm);
        QVERIFY2(qAbs(fromQueue.width() - expectedImage.width()) <= 4 &&
                     qAbs(fromQueue.height() - expectedImage.height()) <= 4,
                 qPrintable(QStringLiteral("sheet %1 drawn %2 x %3 dots, expected %4 x %5")
                                .arg(sheet + 1)
                                .arg(fromQueue.width())
                                .arg(fromQueue.height())
                                .arg(expectedImage.width())
                                .arg(expectedImage.height())));
        for (const PreparedItem &item : pages[sheet % pages.size()].items) {
            const QRectF mm = item.rect.translated(correction).adjusted(-0.5, -0.5, 0.5, 0.5);
            const QRect region(QPoint(int(mm.left() * dotsPerMm), int(mm.top() * dotsPerMm)),
                               QPoint(int(mm.right() * dotsPerMm), int(mm.bottom() * dotsPerMm)));
            const QRect expected = inkBox(expectedImage, region);
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

} // namespace PrintedInk

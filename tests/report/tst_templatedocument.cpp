#include "report/Calibration.h"
#include "report/ReportError.h"
#include "report/ReportXmlReader.h"
#include "report/TemplateDocument.h"
#include "support/SampleReports.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace SampleReports;
using Id = TemplateDocument::ObjectId;
using Edit = std::function<void(TemplateDocument &, const QList<Id> &)>;
Q_DECLARE_METATYPE(Edit)

namespace {

ReportObject boxAt(const QString &name, QRectF rect)
{
    return text(name, rect, name);
}

// Header: H. Master: A, B, C, L (a line drawn right to left). Detail: D.
ReportTemplate sample()
{
    ReportObject line;
    line.kind = ReportObject::Kind::Line;
    line.name = QStringLiteral("L");
    line.rect = QRectF(95, 30, -15, 0);
    ReportPage page;
    page.background = png({40, 20}, Qt::green);
    page.bands = {band(ReportBand::Type::PageHeader, 15, {}, {boxAt("H", {5, 5, 50, 6})}),
                  band(ReportBand::Type::MasterData, 60, QStringLiteral("frxDBDsNote"),
                       {boxAt("A", {10, 10, 20, 5}), boxAt("B", {40, 12, 30, 6}),
                        boxAt("C", {15, 25, 10, 8}), line}),
                  band(ReportBand::Type::DetailData, 7, QStringLiteral("frxDBDsSub"),
                       {boxAt("D", {1, 0.5, 30, 6})})};
    ReportTemplate t;
    t.pages = {page};
    return t;
}

// Ids in the sample's order: H, A, B, C, L, D.
QList<Id> allIds(const TemplateDocument &document)
{
    QList<Id> ids;
    for (int b = 0; b < 3; ++b)
        ids += document.objectIds(0, b);
    return ids;
}

enum { H, A, B, C, L, D };

QByteArray pictureAtDpi(QSize pixels, int dotsPerMeter)
{
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestTemplateDocument : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyEditUndoesAndRedoesToTheExactBytes_data()
    {
        QTest::addColumn<Edit>("edit");
        using Doc = TemplateDocument;
        auto row = [](const char *name, Edit edit) { QTest::newRow(name) << edit; };
        row("add", [](Doc &d, auto) { d.addObjects(0, 1, {boxAt("N", {1, 2, 3, 4})}); });
        row("delete", [](Doc &d, auto ids) { d.removeObjects({ids[B], ids[L]}); });
        row("delete across bands", [](Doc &d, auto ids) { d.removeObjects({ids[D], ids[H]}); });
        row("move", [](Doc &d, auto ids) { d.moveObjects({ids[B], ids[C]}, {1.5, -0.25}); });
        row("resize", [](Doc &d, auto ids) { d.setObjectRects({ids[B]}, {{1, 2, 3, 4}}); });
        row("font size", [](Doc &d, auto ids) {
            d.editObjects({ids[A], ids[D]}, "字号", [](ReportObject &o) { o.fontSize = 14; });
        });
        row("colour", [](Doc &d, auto ids) {
            d.editObjects({ids[A]}, "颜色", [](ReportObject &o) { o.textColor = Qt::blue; });
        });
        row("cells", [](Doc &d, auto ids) {
            d.editObjects({ids[A]}, "字格", [](ReportObject &o) { o.cellCount = 8; });
        });
        row("lock", [](Doc &d, auto ids) { d.setLocked({ids[A], ids[B]}, true); });
        row("to another band", [](Doc &d, auto ids) {
            d.moveObjectsToBand({ids[H], ids[A]}, 0, 2);
        });
        row("to front", [](Doc &d, auto ids) { d.bringToFront({ids[A], ids[B]}); });
        row("to back", [](Doc &d, auto ids) { d.sendToBack({ids[L], ids[D]}); });
        const QList<std::pair<const char *, Doc::Alignment>> alignments = {
            {"align left", Doc::Alignment::Left},
            {"align right", Doc::Alignment::Right},
            {"align top", Doc::Alignment::Top},
            {"align bottom", Doc::Alignment::Bottom},
            {"align centres across", Doc::Alignment::HorizontalCentres},
            {"align centres down", Doc::Alignment::VerticalCentres}};
        for (const auto &[name, alignment] : alignments)
            row(name, [alignment](Doc &d, auto ids) {
                d.align({ids[A], ids[B], ids[L]}, alignment);
            });
        row("same width", [](Doc &d, auto ids) { d.makeSameWidth({ids[A], ids[B], ids[C]}); });
        row("same height", [](Doc &d, auto ids) { d.makeSameHeight({ids[B], ids[C]}); });
        row("distribute across", [](Doc &d, auto ids) {
            d.distribute({ids[A], ids[B], ids[C]}, Doc::Direction::Horizontal);
        });
        row("distribute down", [](Doc &d, auto ids) {
            d.distribute({ids[A], ids[B], ids[C]}, Doc::Direction::Vertical);
        });
        row("paste", [](Doc &d, auto ids) { d.paste(0, 2, d.copy({ids[A], ids[C]}), {2.5, 2.5}); });
        row("add band", [](Doc &d, auto) {
            d.addBand(0, band(ReportBand::Type::PageFooter, 12, {}, {boxAt("F", {0, 0, 9, 9})}));
        });
        row("remove band", [](Doc &d, auto) { d.removeBand(0, 1); });
        row("band settings", [](Doc &d, auto) {
            d.editBand(0, 1, "带区", [](ReportBand &b) {
                b.height = 80.25;
                b.startNewPage = true;
            });
        });
        row("add page", [](Doc &d, auto) { d.addPage(ReportPage()); });
        row("remove page", [](Doc &d, auto) { d.removePage(0); });
        row("page settings", [](Doc &d, auto) {
            d.editPage(0, "页面", [](ReportPage &p) {
                p.paper = QStringLiteral("A5");
                p.landscape = true;
                p.margins = QMarginsF(3, 4, 5, 6);
            });
        });
        row("printer correction", [](Doc &d, auto) {
            d.editPage(0, "打印校正", [](ReportPage &p) {
                Calibration::applyCorrection(p, {{1.5, -2}, 99.5, 100.75});
            });
        });
        row("background by resolution", [](Doc &d, auto) {
            d.setBackground(0, pictureAtDpi({300, 150}, 11811),
                            Doc::BackgroundSize::FromResolution);
        });
        row("background fit to paper", [](Doc &d, auto) {
            d.setBackground(0, pictureAtDpi({30, 15}, 3780), Doc::BackgroundSize::FitToPaper);
        });
        row("background of given size", [](Doc &d, auto) {
            d.setBackground(0, pictureAtDpi({30, 15}, 3780), Doc::BackgroundSize::Given,
                            {241, 93.1});
        });
        row("background removed", [](Doc &d, auto) { d.removeBackground(0); });
        row("background calibrated", [](Doc &d, auto) {
            d.setBackgroundRect(0, {-1, 2, 200, 100});
        });
        row("printer", [](Doc &d, auto) { d.setPrinterName(QStringLiteral("票据打印机")); });
    }

    void everyEditUndoesAndRedoesToTheExactBytes()
    {
        QFETCH(Edit, edit);
        TemplateDocument document;
        document.setDefinition(sample());
        const QByteArray before = document.save();
        edit(document, allIds(document));
        QCOMPARE(document.undoStack()->count(), 1);
        const QByteArray after = document.save();
        QVERIFY(after != before);
        for (int round = 0; round < 2; ++round) {
            document.undoStack()->undo();
            QCOMPARE(document.save(), before);
            document.undoStack()->redo();
            QCOMPARE(document.save(), after);
        }
    }

    void editsThatChangeNothingLeaveNoUndoStep()
    {
        TemplateDocument document;
        document.setDefinition(sample());
        const QList<Id> ids = allIds(document);
        document.moveObjects({ids[A]}, {});
        document.editObjects({ids[A]}, "字号", [](ReportObject &o) { o.fontSize = 10; });
        document.bringToFront({ids[L]});
        document.align({ids[A]}, TemplateDocument::Alignment::Left);
        document.setPrinterName(document.definition().printerName);
        QCOMPARE(document.undoStack()->count(), 0);
    }

    void undoAndRedoSelectWhatTheyChanged()
    {
        TemplateDocument document;
        document.setDefinition(sample());
        const QList<Id> ids = allIds(document);
        QSignalSpy changed(&document, &TemplateDocument::objectsChanged);
        document.moveObjects({ids[B], ids[C]}, {1, 1});
        document.setSelection({});
        document.undoStack()->undo();
        QCOMPARE(document.selection(), QList<Id>({ids[B], ids[C]}));
        QCOMPARE(changed.size(), 2);

        document.removeObjects({ids[B]});
        QVERIFY(document.selection().isEmpty());
        QVERIFY(!document.place(ids[B]));
        document.undoStack()->undo();
        QCOMPARE(document.selection(), QList<Id>({ids[B]}));
        QCOMPARE(document.object(ids[B]).name, QStringLiteral("B")); // the same id again
        QCOMPARE(document.place(ids[B])->index, 1);
    }

    void lockedObjectsStayWhereTheyAre()
    {
        TemplateDocument document;
        document.setDefinition(sample());
        const QList<Id> ids = allIds(document);
        document.setLocked({ids[A]}, true);
        document.moveObjects({ids[A], ids[B]}, {5, 0});
        QCOMPARE(document.object(ids[A]).rect, QRectF(10, 10, 20, 5));
        QCOMPARE(document.object(ids[B]).rect, QRectF(45, 12, 30, 6));
        document.editObjects({ids[A]}, "粗体", [](ReportObject &o) { o.bold = true; });
        QVERIFY(document.object(ids[A]).bold);
    }

    // Reference A spans x 10..30, y 10..15; B is 30 × 6 at 40, 12; the line L spans x 80..95.
    void alignmentLinesUpWithTheFirst_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QPointF>("bAt");
        QTest::addColumn<QRectF>("lineRect");
        using Al = TemplateDocument::Alignment;
        QTest::newRow("left") << int(Al::Left) << QPointF(10, 12) << QRectF(25, 30, -15, 0);
        QTest::newRow("right") << int(Al::Right) << QPointF(0, 12) << QRectF(30, 30, -15, 0);
        QTest::newRow("top") << int(Al::Top) << QPointF(40, 10) << QRectF(95, 10, -15, 0);
        QTest::newRow("bottom") << int(Al::Bottom) << QPointF(40, 9) << QRectF(95, 15, -15, 0);
        QTest::newRow("centres across")
            << int(Al::HorizontalCentres) << QPointF(5, 12) << QRectF(27.5, 30, -15, 0);
        QTest::newRow("centres down")
            << int(Al::VerticalCentres) << QPointF(40, 9.5) << QRectF(95, 12.5, -15, 0);
    }

    void alignmentLinesUpWithTheFirst()
    {
        QFETCH(int, alignment);
        QFETCH(QPointF, bAt);
        QFETCH(QRectF, lineRect);
        TemplateDocument document;
        document.setDefinition(sample());
        const QList<Id> ids = allIds(document);
        document.align({ids[A], ids[B], ids[L]}, TemplateDocument::Alignment(alignment));
        QCOMPARE(document.object(ids[A]).rect, QRectF(10, 10, 20, 5));
        QCOMPARE(document.object(ids[B]).rect, QRectF(bAt, QSizeF(30, 6)));
        QCOMPARE(document.object(ids[L]).rect, lineRect);
    }

    // A: x 10..30, C: x 15..25, B: x 40..70. Sorted A, C, B: span 60, widths 60, no room
    // left, so the gaps become 0: C at 30, B stays at 40 as the last.
    // Across the y axis: A 10..15, B 12..18, C 25..33: span 23, heights 19, gaps 2:
    // B at 17, C stays at 25.
    void distributionEvensTheGaps()
    {
        TemplateDocument document;
        document.setDefinition(sample());
        const QList<Id> ids = allIds(document);
        document.distribute({ids[A], ids[B], ids[C]}, TemplateDocument::Direction::Horizontal);
        QCOMPARE(document.object(ids[A]).rect.x(), 10.0);
        QCOMPARE(document.object(ids[C]).rect.x(), 30.0);
        QCOMPARE(document.object(ids[B]).rect.x(), 40.0);
        document.undoStack()->undo();
        document.distribute({ids[A], ids[B], ids[C]}, TemplateDocument::Direction::Vertical);
        QCOMPARE(document.object(ids[A]).rect.y(), 10.0);
        QCOMPARE(document.object(ids[B]).rect.y(), 17.0);
        QCOMPARE(document.object(ids[C]).rect.y(), 25.0);
    }

    void sameSizeTakesTheFirstsSize()
    {
        TemplateDocument document;
        document.setDefinition(sample());
        const QList<Id> ids = allIds(document);
        document.makeSameWidth({ids[C], ids[A], ids[B]});
        QCOMPARE(document.object(ids[A]).rect, QRectF(10, 10, 10, 5));
        QCOMPARE(document.object(ids[B]).rect, QRectF(40, 12, 10, 6));
        document.makeSameHeight({ids[C], ids[A]});
        QCOMPARE(document.object(ids[A]).rect, QRectF(10, 10, 10, 8));
    }

    // The clipboard holds template bytes, so another kind's designer takes the objects.
    void pasteIntoAnotherDocument()
    {
        TemplateDocument source;
        source.setDefinition(sample());
        const QList<Id> ids = allIds(source);
        const QByteArray payload = source.copy({ids[B], ids[A]});
        QVERIFY(!ReportXmlReader::read(payload).pages.isEmpty());

        TemplateDocument other;
        ReportTemplate empty;
        empty.pages = {ReportPage()};
        empty.pages[0].bands = {band(ReportBand::Type::ReportTitle, 30)};
        other.setDefinition(empty);
        const QList<Id> pasted = other.paste(0, 0, payload, {1, 2});
        QCOMPARE(pasted.size(), 2);
        QCOMPARE(other.selection(), pasted);
        ReportObject a = source.object(ids[A]);
        a.rect.translate(1, 2);
        QCOMPARE(other.object(pasted[0]), a); // in the source's order: A before B
        QCOMPARE(other.object(pasted[1]).name, QStringLiteral("B"));
        QVERIFY_THROWS_EXCEPTION(ReportError, other.paste(0, 0, "不是模板"));
        QCOMPARE(other.undoStack()->count(), 1);
    }

    // Positions written and read back any number of times stay exactly the same numbers.
    void saveAndLoadKeepPositionsExactly()
    {
        QRandomGenerator random(20240506);
        ReportTemplate t = sample();
        for (ReportObject &o : t.pages[0].bands[1].objects)
            o.rect = QRectF(random.bounded(200.0), random.bounded(100.0), 0.1 + 0.2, 1.0 / 3);
        t.pages[0].bands[1].objects[0].rect.translate(0.01, -0.01);
        TemplateDocument document;
        document.setDefinition(t);
        for (int cycle = 0; cycle < 100; ++cycle)
            document.load(document.save());
        QVERIFY(document.definition() == t);
    }

    void backgroundSizeFromItsResolution()
    {
        TemplateDocument document;
        document.setDefinition(sample());
        // 300 × 150 pixels at 300 dpi (11811 dots per metre): one inch by half an inch.
        document.setBackground(0, pictureAtDpi({300, 150}, 11811),
                               TemplateDocument::BackgroundSize::FromResolution);
        const QRectF rect = document.definition().pages[0].backgroundRect;
        QCOMPARE(rect.topLeft(), QPointF(0, 0));
        QVERIFY(qAbs(rect.width() - 25.4) < 0.001);
        QVERIFY(qAbs(rect.height() - 12.7) < 0.001);
        QVERIFY_THROWS_EXCEPTION(
            ReportError,
            document.setBackground(0, "junk", TemplateDocument::BackgroundSize::FitToPaper));
    }
};

QTEST_MAIN(TestTemplateDocument)
#include "tst_templatedocument.moc"

#include "report/PreparedReportReader.h"
#include "report/PreparedReportWriter.h"
#include "report/Report.h"
#include "report/ReportError.h"
#include "support/SampleReports.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace SampleReports;

namespace {

// A page with every setting away from its default and an item of every kind.
PreparedPage everyFeaturePage()
{
    PreparedPage prepared;
    ReportPage &page = prepared.page;
    page.name = QStringLiteral("Page1");
    page.paper = QStringLiteral("Custom");
    page.customSize = QSizeF(241.3, 93.15);
    page.landscape = true;
    page.margins = QMarginsF(3.5, 0, 7.25, 1);
    page.background = png({40, 20}, Qt::green);
    page.printOffset = QPointF(-1.5, 2.25);
    page.printScaleX = 99.5;
    page.printScaleY = 100.25;
    page.backgroundRect = QRectF(1, 2, 200, 90);

    ReportObject styled = text(QStringLiteral("Memo1"), QRectF(35, 12.7, 60.05, 8),
                               QStringLiteral("单号：[<frxDBDsNote.\"单号\">]"));
    styled.fontFamily = QStringLiteral("宋体");
    styled.fontSize = 10.5;
    styled.bold = styled.italic = styled.wordWrap = styled.frame = true;
    styled.alignment = Qt::AlignRight | Qt::AlignBottom;
    styled.padding = 0;
    styled.lineWidth = 0.35;
    prepared.items.append(
        {styled, QRectF(38.5, 22.7, 60.05, 8), QStringLiteral("单号：YD0001\r\n\x01第二行"), {}});

    ReportObject picture;
    picture.kind = ReportObject::Kind::Picture;
    picture.rect = QRectF(1, 2, 3, 4);
    picture.picture = png({4, 4}, Qt::red);
    prepared.items.append({picture, QRectF(4.5, 12, 3, 4), {}, picture.picture});
    ReportObject field = picture;
    field.picture.clear();
    field.pictureExpression = QStringLiteral("<frxDBDsNote.\"照片\">");
    prepared.items.append({field, QRectF(4.5, 30, 3, 4), {}, png({2, 2}, Qt::blue)});

    ReportObject line;
    line.kind = ReportObject::Kind::Line;
    line.rect = QRectF(100, 5, -100, 0);
    prepared.items.append({line, QRectF(103.5, 5, -100, 0), {}, {}});
    ReportObject box;
    box.kind = ReportObject::Kind::Rectangle;
    box.rect = QRectF(-2, -1, 10, 10);
    prepared.items.append({box, QRectF(1.5, -1, 10, 10), {}, {}});

    // Digit boxes of an amount, shrunk to fit, turned, styled and shown on a condition.
    ReportObject cells = text(QStringLiteral("Amount"), QRectF(5, 40, 50, 6),
                              QStringLiteral("[<frxDBDsNote.\"金额\">]"));
    cells.cellCount = 10;
    cells.cellWidth = 4.8;
    cells.shrinkToFit = true;
    cells.minFontSize = 6.5;
    cells.rotation = 90;
    cells.underline = true;
    cells.textColor = QColor(12, 34, 56, 200);
    cells.clip = false;
    cells.displayFormat = QStringLiteral("#,##0.00");
    cells.visibleExpression = QStringLiteral("<frxDBDsNote.\"金额\"> > 0");
    cells.locked = true;
    prepared.items.append({cells, QRectF(8.5, 50, 50, 6), QStringLiteral("1,234.50"), {}});

    ReportObject barcode;
    barcode.kind = ReportObject::Kind::Barcode;
    barcode.rect = QRectF(60, 40, 30, 30);
    barcode.symbology = ReportObject::Symbology::QrCode;
    barcode.text = QStringLiteral("[<frxDBDsNote.\"单号\">]");
    prepared.items.append({barcode, QRectF(63.5, 50, 30, 30), QStringLiteral("YD0001"), {}});

    ReportObject check;
    check.kind = ReportObject::Kind::CheckMark;
    check.rect = QRectF(95, 40, 4, 4);
    check.checkExpression = QStringLiteral("<frxDBDsNote.\"加急\">");
    PreparedItem checked{check, QRectF(98.5, 50, 4, 4), {}, {}};
    checked.checked = true;
    prepared.items.append(checked);
    prepared.items.append({check, QRectF(98.5, 60, 4, 4), {}, {}});
    return prepared;
}

} // namespace

class TestPreparedReportFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QList<PreparedPage>>("pages");
        QTest::newRow("no pages") << QList<PreparedPage>();
        QTest::newRow("one default page") << QList<PreparedPage>{PreparedPage()};
        QTest::newRow("every feature") << QList<PreparedPage>{everyFeaturePage(), PreparedPage()};
        QTest::newRow("prepared waybills") << [] {
            WaybillData data(3, 2);
            Report report;
            QFile demo(QStringLiteral(QUILLET_DATA_DIR "/demo_waybill.xml"));
            if (!demo.open(QIODevice::ReadOnly))
                return QList<PreparedPage>();
            report.loadFromBytes(demo.readAll());
            report.setDataset(&data.note);
            report.setDataset(&data.sub);
            for (const char *f : {"function FieldIsNull(FieldName: string): Boolean",
                                  "function rmbToBIG(Value: Currency): string"})
                report.addFunction(QLatin1String(f), QStringLiteral("自定义"), {});
            report.setUserFunctionHandler(
                [](const QString &, const QVariantList &) { return QVariant(false); });
            report.prepare();
            return report.preparedPages();
        }();
    }

    void roundTrip()
    {
        QFETCH(QList<PreparedPage>, pages);
        const QByteArray bytes = PreparedReportWriter::write(pages);
        const QList<PreparedPage> read = PreparedReportReader::read(bytes);
        QCOMPARE(read.size(), pages.size());
        for (qsizetype i = 0; i < pages.size(); ++i)
            QVERIFY2(read[i] == pages[i], qPrintable(QStringLiteral("page %1").arg(i + 1)));
        QCOMPARE(PreparedReportWriter::write(read), bytes);
    }

    // Three pages over one scanned form and one logo twice on each: two pictures in the
    // file, each once.
    void repeatedPicturesAreStoredOnce()
    {
        QList<PreparedPage> pages(3, everyFeaturePage());
        for (PreparedPage &page : pages) {
            page.items.remove(2); // the field picture, blue
            page.items.append(page.items[1]);
        }
        const QByteArray bytes = PreparedReportWriter::write(pages);
        QCOMPARE(bytes.count("<Image "), 2);
        QCOMPARE(bytes.count(png({40, 20}, Qt::green).toBase64()), 1);
        QCOMPARE(bytes.count(png({4, 4}, Qt::red).toBase64()), 1);
        QCOMPARE(bytes.count("background=\"1\""), 3);
    }

    // A file written before the pages carried every object property still opens.
    void firstVersionStillOpens()
    {
        const QByteArray v1 = "<?xml version=\"1.0\"?>\n"
                              "<QuilletPreparedReport version=\"1\">\n"
                              " <Page paper=\"Custom\" width=\"241\" height=\"140\">\n"
                              "  <Text x=\"12\" y=\"20.5\" width=\"60\" height=\"6\" "
                              "value=\"YD0001\" name=\"单号\" objectX=\"2\" objectY=\"10.5\" "
                              "objectWidth=\"60\" objectHeight=\"6\" bold=\"1\"/>\n"
                              " </Page>\n"
                              "</QuilletPreparedReport>\n";
        const QList<PreparedPage> pages = PreparedReportReader::read(v1);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0].page.customSize, QSizeF(241, 140));
        QCOMPARE(pages[0].items.size(), 1);
        const PreparedItem &item = pages[0].items[0];
        QCOMPARE(item.rect, QRectF(12, 20.5, 60, 6));
        QCOMPARE(item.text, QStringLiteral("YD0001"));
        QCOMPARE(item.object.rect, QRectF(2, 10.5, 60, 6));
        QVERIFY(item.object.bold);
    }

    void badBytesAreRefused_data()
    {
        QTest::addColumn<QString>("fileName");
        const QDir dir(QStringLiteral(QUILLET_FIXTURES "/prepared"));
        const QStringList files = dir.entryList(QDir::Files);
        QVERIFY(files.size() >= 10);
        for (const QString &name : files)
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }

    void badBytesAreRefused()
    {
        QFETCH(QString, fileName);
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        try {
            PreparedReportReader::read(file.readAll());
            QFAIL("the bytes were accepted");
        } catch (const ReportError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("无法读取预览文件")),
                     qPrintable(e.message()));
        }
    }

    // Every cut of a valid file is refused, never a crash.
    void truncatedFilesAreRefused()
    {
        const QByteArray bytes = PreparedReportWriter::write({everyFeaturePage()});
        for (qsizetype length = 0; length < bytes.size() - 2; length += 5)
            QVERIFY_THROWS_EXCEPTION(ReportError, PreparedReportReader::read(bytes.left(length)));
    }
};

QTEST_GUILESS_MAIN(TestPreparedReportFile)
#include "tst_preparedreportfile.moc"

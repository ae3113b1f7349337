#include "report/PreparedReportReader.h"
#include "report/PreparedReportWriter.h"
#include "report/Report.h"
#include "report/ReportError.h"
#include "support/FixtureRows.h"
#include "support/SampleReports.h"

#include <QFile>
#include <QTest>

using namespace SampleReports;

namespace {

// A page with every setting away from its default and an item of every kind.
PreparedPage everyFeaturePage()
{
    PreparedPage prepared;
    prepared.page = everySetting();

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

    const QList<ReportObject> more = cellsBarcodeAndCheckMark();
    const ReportObject &cells = more[0], &barcode = more[1], &check = more[2];
    prepared.items.append({cells, QRectF(8.5, 50, 50, 6), QStringLiteral("1,234.50"), {}});
    prepared.items.append({barcode, QRectF(63.5, 50, 30, 30), QStringLiteral("YD0001"), {}});
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
            Report report = demoReport(data);
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

    // A file of the second version, written by hand: a picture stored once and named by a
    // page and an item, a check mark drawn, the properties the version added.
    void secondVersionFileOpens()
    {
        QFile file(QStringLiteral(QUILLET_FIXTURES "/prepared_version2.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QByteArray picture =
            QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAMAAAACCAIAAAASFvFNAAAADklEQVR4nGP4DwM"
                                   "McBYAs2AR7za3GVIAAAAASUVORK5CYII=");

        PreparedPage expected;
        expected.page.name = QStringLiteral("Page1");
        expected.page.paper = QStringLiteral("Custom");
        expected.page.customSize = QSizeF(241, 93.1);
        expected.page.printScaleX = 99.5;
        expected.page.background = picture;
        ReportObject amount = text(QStringLiteral("Amount"), QRectF(2, 10.5, 60, 6),
                                   QStringLiteral("[<frxDBDsNote.\"金额\">]"));
        amount.underline = true;
        amount.displayFormat = QStringLiteral("#,##0.00");
        amount.cellCount = 10;
        amount.visibleExpression = QStringLiteral("<frxDBDsNote.\"金额\"> > 0");
        expected.items.append({amount, QRectF(12, 20.5, 60, 6), QStringLiteral("1,234.50"), {}});
        ReportObject photo;
        photo.kind = ReportObject::Kind::Picture;
        photo.rect = QRectF(1, 2, 3, 4);
        photo.pictureExpression = QStringLiteral("<frxDBDsNote.\"照片\">");
        expected.items.append({photo, QRectF(4.5, 12, 3, 4), {}, picture});
        ReportObject check;
        check.kind = ReportObject::Kind::CheckMark;
        check.rect = QRectF(95, 40, 4, 4);
        check.checkExpression = QStringLiteral("FieldIsNull('frxDBDsNote.地址')");
        expected.items.append({check, QRectF(98.5, 50, 4, 4), {}, {}, true});
        ReportObject line;
        line.kind = ReportObject::Kind::Line;
        line.rect = QRectF(100, 5, -100, 0);
        expected.items.append({line, QRectF(103.5, 5, -100, 0), {}, {}});

        const QList<PreparedPage> pages = PreparedReportReader::read(bytes);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0] == expected);
        QCOMPARE(PreparedReportWriter::write(pages), bytes);
    }

    void badBytesAreRefused_data()
    {
        QVERIFY(FixtureRows::addFiles(QStringLiteral(QUILLET_FIXTURES "/prepared"), 10));
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

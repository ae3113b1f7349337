#include "report/Report.h"
#include "report/ReportError.h"
#include "support/FixtureRows.h"
#include "support/SampleReports.h"

#include <QFile>
#include <QTest>

class TestReportXml : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<ReportTemplate>("definition");
        QTest::newRow("new report") << ReportTemplate();
        QTest::newRow("no script lines") << [] {
            ReportTemplate t;
            t.script.clear();
            return t;
        }();
        QTest::newRow("one default page") << [] {
            ReportTemplate t;
            t.pages.append(ReportPage());
            return t;
        }();
        QTest::newRow("every feature") << SampleReports::everyFeature();
        QTest::newRow("lines drawn upward and leftward") << [] {
            ReportObject up;
            up.kind = ReportObject::Kind::Line;
            up.rect = QRectF(10, 40, 25.5, -30);
            ReportObject left = up;
            left.rect = QRectF(80, 5, -60.25, 0);
            ReportObject back = up;
            back.rect = QRectF(50, 50, -12, -8);
            ReportPage page;
            page.bands = {
                SampleReports::band(ReportBand::Type::PageHeader, 60, {}, {up, left, back})};
            ReportTemplate t;
            t.pages = {page};
            return t;
        }();
        QTest::newRow("control characters in texts") << [] {
            ReportTemplate t = SampleReports::everyFeature();
            t.pages[0].bands[2].objects[0].text = QStringLiteral("a\tb\x01c\x1f\uFFFEd");
            t.pages[0].name = QStringLiteral("\x02");
            t.script = {QStringLiteral("x\x03"), QStringLiteral("\r")};
            return t;
        }();
    }

    void roundTrip()
    {
        QFETCH(ReportTemplate, definition);
        Report written;
        written.definition() = definition;
        const QByteArray bytes = written.saveToBytes();
        Report read;
        read.loadFromBytes(bytes);
        QVERIFY(read.definition() == definition);
        QCOMPARE(read.saveToBytes(), bytes);
    }

    void loadReplacesWholeContent()
    {
        Report report;
        report.definition() = SampleReports::everyFeature();
        report.loadFromBytes(Report().saveToBytes());
        QVERIFY(report.definition() == ReportTemplate());
        QCOMPARE(report.definition().script,
                 QStringList({QStringLiteral("begin"), QString(), QStringLiteral("end.")}));
    }

    void defaultsAreNotWritten()
    {
        ReportTemplate definition;
        ReportPage page;
        ReportBand band;
        band.objects.append(ReportObject());
        page.bands.append(band);
        definition.pages.append(page);
        Report report;
        report.definition() = definition;
        const QString xml = QString::fromUtf8(report.saveToBytes());
        QVERIFY2(xml.contains(QStringLiteral("<Page>")), qPrintable(xml));
        QVERIFY2(xml.contains(QStringLiteral("<MasterData>")), qPrintable(xml));
        QVERIFY2(xml.contains(QStringLiteral("<Text/>")), qPrintable(xml));
        QVERIFY2(!xml.contains(QStringLiteral("Script")), qPrintable(xml));
    }

    // A file written by the first version of the format keeps loading to the same report.
    void firstVersionFileLoads()
    {
        QFile file(QStringLiteral(QUILLET_FIXTURES "/version1.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        Report report;
        report.loadFromBytes(file.readAll());
        const ReportTemplate &t = report.definition();
        QCOMPARE(t.pages.size(), 1);
        const ReportPage &page = t.pages[0];
        QCOMPARE(page.sizeMm(), QSizeF(241, 93.1));
        QCOMPARE(page.margins, QMarginsF(5, 10, 10, 10));
        QCOMPARE(page.printOffset, QPointF(1.5, -0.5));
        QCOMPARE(page.background.left(4), QByteArray("\x89PNG"));
        QCOMPARE(page.bands.size(), 2);
        QCOMPARE(page.bands[0].type, ReportBand::Type::MasterData);
        QCOMPARE(page.bands[0].dataset, QStringLiteral("frxDBDsNote"));
        QVERIFY(page.bands[0].startNewPage);
        const ReportObject &memo = page.bands[0].objects[0];
        QCOMPARE(memo.rect, QRectF(30, 5.5, 60, 7));
        QCOMPARE(memo.text, QStringLiteral("[<frxDBDsNote.\"单号\">]"));
        QCOMPARE(memo.alignment, Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(memo.fontFamily, QStringLiteral("Arial"));
        QCOMPARE(page.bands[1].type, ReportBand::Type::DetailData);
        QCOMPARE(page.bands[1].objects[0].kind, ReportObject::Kind::Line);
    }

    // A file of the second version, written by hand with every property it added and the
    // others away from their defaults, loads to the report it describes and saves unchanged.
    void secondVersionFileLoads()
    {
        QFile file(QStringLiteral(QUILLET_FIXTURES "/version2.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();

        ReportObject amount = SampleReports::text(QStringLiteral("Amount"), QRectF(10, 5, 50, 8),
                                                  QStringLiteral("[<frxDBDsNote.\"金额\">]"));
        amount.fontFamily = QStringLiteral("宋体");
        amount.fontSize = 10.5;
        amount.bold = amount.italic = amount.underline = amount.wordWrap = true;
        amount.textColor = QColor(255, 0, 0, 128);
        amount.alignment = Qt::AlignRight | Qt::AlignBottom;
        amount.clip = false;
        amount.rotation = 270;
        amount.padding = 0;
        amount.displayFormat = QStringLiteral("#,##0.00");
        amount.cellCount = 10;
        amount.cellWidth = 4.8;
        amount.shrinkToFit = true;
        amount.minFontSize = 6.5;
        amount.frame = true;
        amount.lineWidth = 0.35;
        amount.visibleExpression = QStringLiteral("<frxDBDsNote.\"金额\"> > 0");
        amount.locked = true;
        ReportObject photo;
        photo.kind = ReportObject::Kind::Picture;
        photo.name = QStringLiteral("Photo");
        photo.rect = QRectF(1, 2, 3, 4);
        photo.pictureExpression = QStringLiteral("<frxDBDsNote.\"照片\">");
        ReportObject ean;
        ean.kind = ReportObject::Kind::Barcode;
        ean.rect = QRectF(60, 25, 40, 20);
        ean.text = QStringLiteral("6901234567892");
        ean.symbology = ReportObject::Symbology::Ean13;
        ReportObject check;
        check.kind = ReportObject::Kind::CheckMark;
        check.rect = QRectF(160, 25, 5, 5);
        check.checkExpression = QStringLiteral("FieldIsNull('frxDBDsNote.地址')");

        ReportBand master =
            SampleReports::band(ReportBand::Type::MasterData, 60, QStringLiteral("frxDBDsNote"),
                                {amount, photo, ean, check});
        master.name = QStringLiteral("MasterData1");
        master.startNewPage = true;
        ReportPage page;
        page.name = QStringLiteral("Page1");
        page.paper = QStringLiteral("Custom");
        page.customSize = QSizeF(241, 93.1);
        page.landscape = true;
        page.margins = QMarginsF(5, 0, 7.25, 1);
        page.printOffset = QPointF(1.5, -0.5);
        page.printScaleX = 99.5;
        page.printScaleY = 100.25;
        page.backgroundRect = QRectF(1, 2, 200, 90);
        page.bands = {master};
        ReportTemplate expected;
        expected.printerName = QStringLiteral("LQ-730K");
        expected.pages = {page};

        Report report;
        report.loadFromBytes(bytes);
        QVERIFY(report.definition() == expected);
        QCOMPARE(report.saveToBytes(), bytes);
    }

    // The shipped demo is in the writer's own form, so saving it changes nothing.
    void demoTemplateIsStoredAsSaved()
    {
        QFile file(QStringLiteral(QUILLET_DATA_DIR "/demo_waybill.xml"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        Report report;
        report.loadFromBytes(bytes);
        QCOMPARE(report.definition().pages.size(), 1);
        QVERIFY(!report.definition().pages[0].background.isEmpty());
        QCOMPARE(report.saveToBytes(), bytes);
    }

    void badBytesAreRefused_data()
    {
        QVERIFY(FixtureRows::addFiles(QStringLiteral(QUILLET_FIXTURES "/bad"), 10));
    }

    void badBytesAreRefused()
    {
        QFETCH(QString, fileName);
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        Report report;
        report.definition() = SampleReports::everyFeature();
        try {
            report.loadFromBytes(file.readAll());
            QFAIL("the bytes were accepted");
        } catch (const ReportError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("无法读取报表模板")),
                     qPrintable(e.message()));
        }
        QVERIFY(report.definition() == SampleReports::everyFeature());
    }

    // The engine lays out one band of each kind per page; a second one would vanish from
    // the output without a word, so the template is refused naming it.
    void repeatedBandIsRefused_data()
    {
        QTest::addColumn<QString>("bands");
        QTest::addColumn<QString>("message");
        QTest::newRow("two master bands")
            << R"(<MasterData name="MasterData1"/><MasterData name="MasterData2"/>)"
            << "页面 Page1 有多个主数据带（重复的是 MasterData2），每页只能有一个主数据带";
        QTest::newRow("two page headers, apart")
            << R"(<PageHeader name="Head"/><MasterData/><PageHeader name="Head2"/>)"
            << "页面 Page1 有多个页眉（重复的是 Head2），每页只能有一个页眉";
        QTest::newRow("two unnamed footers")
            << "<PageFooter/><PageFooter/>"
            << "页面 Page1 有多个页脚（重复的是 未命名的带），每页只能有一个页脚";
    }

    void repeatedBandIsRefused()
    {
        QFETCH(QString, bands);
        QFETCH(QString, message);
        const QString xml =
            QStringLiteral(R"(<QuilletReport version="1"><Page name="Page1">%1</Page>)"
                           "</QuilletReport>")
                .arg(bands);
        Report report;
        try {
            report.loadFromBytes(xml.toUtf8());
            QFAIL("the template was accepted");
        } catch (const ReportError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("无法读取报表模板")),
                     qPrintable(e.message()));
            QVERIFY2(e.message().endsWith(message), qPrintable(e.message()));
        }
    }

    // Every cut of a valid file is refused or read, never a crash.
    void truncatedSavesAreRefused()
    {
        Report source;
        source.definition() = SampleReports::everyFeature();
        const QByteArray bytes = source.saveToBytes();
        for (qsizetype length = 0; length < bytes.size() - 2; length += 7) {
            Report report;
            QVERIFY_THROWS_EXCEPTION(ReportError, report.loadFromBytes(bytes.left(length)));
            QVERIFY(report.definition() == ReportTemplate());
        }
    }
};

QTEST_GUILESS_MAIN(TestReportXml)
#include "tst_reportxml.moc"

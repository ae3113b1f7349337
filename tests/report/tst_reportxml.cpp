#include "report/Report.h"
#include "report/ReportError.h"
#include "support/SampleReports.h"

#include <QDir>
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
        QTest::addColumn<QString>("fileName");
        const QDir dir(QStringLiteral(QUILLET_FIXTURES "/bad"));
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

#include "support/CupsPdfQueue.h"
#include "support/DemoWaybill.h"
#include "support/MessageRecorder.h"
#include "support/PdfText.h"
#include "support/PrintedInk.h"
#include "support/RecordWindowFixture.h"

#include "printer/ReportPrinter.h"
#include "records/ReportOutlets.h"
#include "records/TmakeNote.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

// The record window's 打印 on the demo waybill, all the way through a real CUPS queue
// (cups-pdf) that is the system's default printer, and the sheets it wrote measured.
class TestRecordCups : public QObject, private RecordWindowFixture {
    Q_OBJECT

    // The demo template tuned to a printer whose feed runs 1.5 mm right and 2.25 mm high.
    const QPointF m_correction{1.5, -2.25};

private Q_SLOTS:
    void printedWaybillsLandOnTheirBlanks()
    {
        CupsPdfQueue queue;
        if (!queue.isReady())
            QSKIP(qPrintable(queue.problem()));
        startDatabase();
        DemoWaybill::storeCorrectedTemplate(m_db->db(), m_correction);
        // The printer left as the window has it; the pages it is sent are kept to be
        // measured against.
        QList<PreparedPage> sent;
        ReportPrinter::Job job;
        ReportOutlets outlets;
        outlets.printer = [&](const QList<PreparedPage> &pages, const ReportPrinter::Job &given) {
            sent = pages;
            job = given;
            ReportPrinter::print(pages, given);
        };
        ReportOutlets::install(outlets);
        MessageRecorder messages;
        open("A01", "快递运单"); // the unprinted records 1, 2 and 4, two copies
        queue.expectJob();
        m_window->PrintReport();
        const QString printed = queue.waitForJob();
        QCOMPARE(messages.texts(), QStringList());
        QVERIFY2(!printed.isEmpty(), "the queue wrote no PDF in time");

        const int records = 3, copies = 2;
        QCOMPARE(sent.size(), records);
        QCOMPARE(job.copies, copies);
        QCOMPARE(PdfText::pageCount(printed), records * copies);
        QCOMPARE(PdfText::imageCount(printed), 0);
        QCOMPARE(m_db->flaggedWaybills(),
                 QStringList({"YD20260001", "YD20260002", "YD20260003", "YD20260004"}));

        // The same job printed by Qt to a file keeps its text layer: its glyph boxes lie
        // within 0.3 mm of the template's places plus the correction; the queue's ink lies
        // within 0.2 mm of that, so every field is within 0.5 mm of its blank.
        QTemporaryDir dir;
        QPrinter file(QPrinter::HighResolution);
        file.setOutputFormat(QPrinter::PdfFormat);
        file.setOutputFileName(dir.filePath(QStringLiteral("reference.pdf")));
        ReportPrinter::print(sent, job, file);
        DemoWaybill::verifyPlacement(m_window->report(), file.outputFileName(), m_correction,
                                     copies, 0.3);
        if (QTest::currentTestFailed())
            return;
        PrintedInk::verifySameInk(sent, printed, file.outputFileName(), m_correction, copies);
    }

    void cleanup()
    {
        ReportOutlets::install({});
        closeAll();
    }
};

QTEST_MAIN(TestRecordCups)
#include "tst_recordcups.moc"

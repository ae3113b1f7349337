#include "report/Report.h"
#include "report/TemplateDocument.h"
#include "reportui/DesignerBackgroundDialog.h"
#include "reportui/DesignerCalibrationDialog.h"
#include "reportui/DesignerCalibrationSheet.h"
#include "reportui/DesignerPageCommands.h"
#include "reportui/DesignerPanels.h"
#include "support/FileDialogAnswers.h"
#include "support/MessageRecorder.h"
#include "support/ModalAnswer.h"
#include "support/PdfText.h"
#include "support/SampleReports.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGraphicsView>
#include <QMainWindow>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace SampleReports;

namespace {

template <typename T> T *in(QObject *parent, const char *name)
{
    auto *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

struct Host {
    Report report;
    TemplateDocument document;
    QMainWindow window;

    explicit Host(const ReportPage &page = ReportPage())
    {
        ReportTemplate definition;
        definition.printerName = QStringLiteral("针式打印机 LQ-730K");
        definition.pages = {page};
        definition.pages[0].bands = {band(ReportBand::Type::MasterData, 60)};
        document.setDefinition(definition);
        addDesignerPanels(&window, &document, report);
        window.show();
    }
    void trigger(const char *action) { in<QAction>(&window, action)->trigger(); }
    const ReportPage &page() const { return document.definition().pages[0]; }
};

// A 200 × 100 pixel scan, drawn 100 × 50 mm from the paper's corner: 0.5 mm a pixel.
ReportPage scannedPage()
{
    ReportPage page;
    page.background = png({200, 100}, Qt::white);
    page.backgroundRect = QRectF(0, 0, 100, 50);
    return page;
}

void click(QGraphicsView *view, QPointF pixel)
{
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(pixel));
}

} // namespace

class TestDesignerPageCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Paper, margins, printer correction and printer change together, as one step.
    void pageSettingsApplyAsOneStep_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QSizeF>("expectedMm");
        QTest::newRow("A5 landscape") << QStringLiteral("A5") << QSizeF(210, 148);
        QTest::newRow("custom") << QStringLiteral("Custom") << QSizeF(140, 241.3);
    }
    void pageSettingsApplyAsOneStep()
    {
        QFETCH(QString, paper);
        QFETCH(QSizeF, expectedMm);
        Host host;
        const QByteArray before = host.document.save();
        whenModal<QDialog>([paper](QDialog *dialog) {
            auto *papers = in<QComboBox>(dialog, "cboPaper");
            papers->setCurrentIndex(papers->findData(paper));
            in<QDoubleSpinBox>(dialog, "spnPaperWidth")->setValue(241.3);
            in<QDoubleSpinBox>(dialog, "spnPaperHeight")->setValue(140);
            in<QComboBox>(dialog, "cboOrientation")->setCurrentIndex(1);
            in<QDoubleSpinBox>(dialog, "spnMarginLeft")->setValue(15.5);
            in<QDoubleSpinBox>(dialog, "spnMarginTop")->setValue(0);
            in<QDoubleSpinBox>(dialog, "spnOffsetX")->setValue(1.5);
            in<QDoubleSpinBox>(dialog, "spnOffsetY")->setValue(-0.75);
            in<QDoubleSpinBox>(dialog, "spnScaleX")->setValue(98.5);
            in<QDoubleSpinBox>(dialog, "spnScaleY")->setValue(101.25);
            auto *printers = in<QComboBox>(dialog, "cboPrinter");
            // The template's printer is not installed here; it is still offered, chosen.
            QVERIFY(printers->currentText().contains(QStringLiteral("针式打印机 LQ-730K")));
            printers->setCurrentIndex(0);
            dialog->accept();
        });
        host.trigger("actPageSettings");
        const ReportPage &page = host.page();
        QCOMPARE(page.paper, paper);
        QVERIFY(page.landscape);
        QCOMPARE(page.sizeMm(), expectedMm);
        QCOMPARE(page.margins, QMarginsF(15.5, 0, 10, 10));
        QCOMPARE(page.printOffset, QPointF(1.5, -0.75));
        QCOMPARE(page.printScaleX, 98.5);
        QCOMPARE(page.printScaleY, 101.25);
        QCOMPARE(page.bands.size(), 1);
        QCOMPARE(host.document.definition().printerName, QString());
        QCOMPARE(host.document.undoStack()->count(), 1);
        host.document.undoStack()->undo();
        QCOMPARE(host.document.save(), before);
    }

    void pageSettingsUnchangedMakeNoStep()
    {
        Host host;
        whenModal<QDialog>([](QDialog *dialog) { dialog->accept(); });
        host.trigger("actPageSettings");
        QCOMPARE(host.document.undoStack()->count(), 0);
        QCOMPARE(host.document.definition().printerName, QStringLiteral("针式打印机 LQ-730K"));
    }

    // A 600 × 300 pixel scan at 300 dpi is 50.8 × 25.4 mm (600 / 300 inch = 2 inch).
    void scannedFormIsPlacedAsChosen_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QRectF>("expected");
        const QRectF trueSize(0, 0, 50.8, 25.4);
        for (const char *format : {"png", "jpg", "bmp", "tiff"})
            QTest::addRow("%s at its resolution", format)
                << QString::fromLatin1(format) << QStringLiteral("rdoTrueSize") << trueSize;
        QTest::newRow("fitted to A4")
            << QStringLiteral("png") << QStringLiteral("rdoFitPaper") << QRectF(0, 0, 210, 297);
        QTest::newRow("given size") << QStringLiteral("png") << QStringLiteral("rdoGivenSize")
                                    << QRectF(0, 0, 120.5, 60.25);
    }
    void scannedFormIsPlacedAsChosen()
    {
        QFETCH(QString, format);
        QFETCH(QString, choice);
        QFETCH(QRectF, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("form.") + format);
        QImage scan(600, 300, QImage::Format_RGB32);
        scan.fill(Qt::white);
        scan.setDotsPerMeterX(qRound(300 / 0.0254));
        scan.setDotsPerMeterY(qRound(300 / 0.0254));
        QVERIFY(scan.save(path));
        Host host;
        FileDialogAnswers files;
        files.answer(path);
        whenModal<DesignerBackgroundDialog>([choice](DesignerBackgroundDialog *dialog) {
            in<QRadioButton>(dialog, qPrintable(choice))->setChecked(true);
            in<QDoubleSpinBox>(dialog, "spnBackgroundWidth")->setValue(120.5);
            in<QDoubleSpinBox>(dialog, "spnBackgroundHeight")->setValue(60.25);
            dialog->accept();
        });
        host.trigger("actSetBackground");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(host.page().background, file.readAll());
        const QRectF placed = host.page().backgroundRectMm();
        QVERIFY2(qAbs(placed.width() - expected.width()) < 0.01 &&
                     qAbs(placed.height() - expected.height()) < 0.01 &&
                     placed.topLeft() == expected.topLeft(),
                 qPrintable(QStringLiteral("%1 × %2").arg(placed.width()).arg(placed.height())));
        QCOMPARE(host.document.undoStack()->count(), 1);

        host.trigger("actRemoveBackground");
        QVERIFY(host.page().background.isEmpty());
        QCOMPARE(host.document.undoStack()->count(), 2);
    }

    void aFileThatIsNoPictureIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("form.png"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a picture");
        file.close();
        Host host;
        FileDialogAnswers files;
        files.answer(path);
        MessageRecorder messages;
        host.trigger("actSetBackground");
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.lastText().contains(QStringLiteral("无法读取图片文件")));
        QCOMPARE(host.document.undoStack()->count(), 0);
    }

    // The scan draws 0.5 mm a pixel; marks clicked at pixels (20, 30) and (120, 30) lie 100
    // pixels apart. Told they are 80 mm apart, the scan becomes 0.8 mm a pixel (160 × 80
    // mm). Mark A stays where it is drawn now, (10, 15) mm, so the corner moves to
    // 10 - 20 × 0.8 = -6 and 15 - 30 × 0.8 = -9. Told instead that A is at (30, 40) and B at
    // (110, 40), the scale is again 80 / 100, and the corner is at 30 - 16 = 14 and
    // 40 - 24 = 16.
    void twoPointCalibrationScalesTheScan_data()
    {
        QTest::addColumn<bool>("byDistance");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("distance") << true << QRectF(-6, -9, 160, 80);
        QTest::newRow("positions") << false << QRectF(14, 16, 160, 80);
    }
    void twoPointCalibrationScalesTheScan()
    {
        QFETCH(bool, byDistance);
        QFETCH(QRectF, expected);
        Host host(scannedPage());
        whenModal<DesignerCalibrationDialog>([byDistance](DesignerCalibrationDialog *dialog) {
            // Zooming in and out again leaves a scale of one screen pixel a scan pixel.
            in<QPushButton>(dialog, "btnZoomIn")->click();
            in<QPushButton>(dialog, "btnZoomOut")->click();
            click(dialog->view(), {20, 30});
            click(dialog->view(), {120, 30});
            in<QRadioButton>(dialog, byDistance ? "rdoDistance" : "rdoPositions")->setChecked(true);
            in<QDoubleSpinBox>(dialog, "spnDistance")->setValue(80);
            in<QDoubleSpinBox>(dialog, "spnAX")->setValue(30);
            in<QDoubleSpinBox>(dialog, "spnAY")->setValue(40);
            in<QDoubleSpinBox>(dialog, "spnBX")->setValue(110);
            in<QDoubleSpinBox>(dialog, "spnBY")->setValue(40);
            dialog->accept();
        });
        host.trigger("actCalibrateBackground");
        const QRectF placed = host.page().backgroundRect;
        QVERIFY2(qAbs(placed.x() - expected.x()) < 1e-6 && qAbs(placed.y() - expected.y()) < 1e-6 &&
                     qAbs(placed.width() - expected.width()) < 1e-6 &&
                     qAbs(placed.height() - expected.height()) < 1e-6,
                 qPrintable(QStringLiteral("%1, %2, %3 × %4")
                                .arg(placed.x())
                                .arg(placed.y())
                                .arg(placed.width())
                                .arg(placed.height())));
        QCOMPARE(host.document.undoStack()->count(), 1);
    }

    // OK with one mark only is refused with a word, and the dialog stays.
    void calibrationNeedsTwoMarks()
    {
        const ReportPage page = scannedPage();
        DesignerCalibrationDialog dialog(QImage::fromData(page.background), page.backgroundRect);
        dialog.show();
        MessageRecorder messages;
        click(dialog.view(), {20, 30});
        in<QDoubleSpinBox>(&dialog, "spnDistance")->setValue(80);
        dialog.accept();
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.backgroundRect());
    }

    // The sheet printed through a PDF printer carries the crosses' labels. The printer then
    // draws 2 % too wide and 0.5 mm right (measured x = 1.02 × designed + 0.5) and 1 mm too
    // high (measured y = designed - 1). To land on the designed x, the page must print at
    // (x - 0.5) / 1.02: scale 100 / 1.02 = 98.0392 %, offset -0.5 / 1.02 = -0.4902 mm; and
    // at y + 1: scale 100 %, offset +1 mm.
    void calibrationSheetMeasurementsGiveTheCorrection()
    {
        Host host;
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        in<DesignerPageCommands>(&host.window, "pageCommands")->setSheetPrinter(&printer);
        MessageRecorder messages;
        whenModal<DesignerSheetDialog>([](DesignerSheetDialog *dialog) {
            const QList<QPointF> designed = Calibration::sheetCrosses({210, 297});
            for (int i = 0; i < designed.size(); ++i) {
                in<QDoubleSpinBox>(dialog, qPrintable(QStringLiteral("spnMeasuredX%1").arg(i)))
                    ->setValue(designed[i].x() * 1.02 + 0.5);
                in<QDoubleSpinBox>(dialog, qPrintable(QStringLiteral("spnMeasuredY%1").arg(i)))
                    ->setValue(designed[i].y() - 1);
            }
            dialog->accept();
        });
        host.trigger("actCalibrationSheet");
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(messages.lastText().contains(QStringLiteral("针式打印机 LQ-730K")));
        QCOMPARE(PdfText::pageCount(pdf), 1);
        QStringList words;
        for (const PdfText::Word &w : PdfText::words(pdf))
            words << w.text;
        QVERIFY2(words.contains(QStringLiteral("(105,")), qPrintable(words.join(u' ')));

        const ReportPage &page = host.page();
        QVERIFY(qAbs(page.printScaleX - 100 / 1.02) < 1e-3);
        QVERIFY(qAbs(page.printOffset.x() + 0.5 / 1.02) < 1e-3);
        QVERIFY(qAbs(page.printScaleY - 100) < 1e-3);
        QVERIFY(qAbs(page.printOffset.y() - 1) < 1e-3);
        QCOMPARE(host.document.undoStack()->count(), 1);
    }

    void calibrationWithoutScanIsExplained()
    {
        Host host;
        MessageRecorder messages;
        host.trigger("actCalibrateBackground");
        QVERIFY(messages.lastText().contains(QStringLiteral("还没有背景图片")));
    }
};

QTEST_MAIN(TestDesignerPageCommands)
#include "tst_designerpagecommands.moc"

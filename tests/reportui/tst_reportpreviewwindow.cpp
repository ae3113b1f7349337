#include "report/PreparedReportReader.h"
#include "report/Report.h"
#include "reportui/PageThumbnailModel.h"
#include "reportui/PreviewPageView.h"
#include "reportui/PrintDialogs.h"
#include "reportui/ReportPreviewWindow.h"
#include "support/FileDialogAnswers.h"
#include "support/MessageRecorder.h"
#include "support/ModalAnswer.h"
#include "support/PdfText.h"
#include "support/SampleReports.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QDoubleSpinBox>
#include <QImageReader>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPrinter>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

namespace {

// A page of the given size over a green scanned form, with one framed text per word.
PreparedPage page(QSizeF sizeMm, const QStringList &words = {})
{
    PreparedPage prepared;
    prepared.page.paper = QStringLiteral("Custom");
    prepared.page.customSize = sizeMm;
    prepared.page.background = SampleReports::png({60, 30}, QColor(0, 200, 0));
    double y = 10;
    for (const QString &word : words) {
        ReportObject object = SampleReports::text(QStringLiteral("Memo"), {}, {});
        object.fontSize = 8;
        prepared.items.append({object, QRectF(10, y, 80, 20), word, {}});
        y += 25;
    }
    return prepared;
}

QList<PreparedPage> a4Pages(int count)
{
    QList<PreparedPage> pages;
    for (int i = 1; i <= count; ++i)
        pages.append(page({210, 297}, {QStringLiteral("第%1页").arg(i)}));
    return pages;
}

QAction *act(QWidget &window, const char *name)
{
    auto *a = window.findChild<QAction *>(QLatin1String(name));
    if (!a)
        qFatal("no action %s", name);
    return a;
}

struct ShownWindow {
    ReportPreviewWindow window;
    explicit ShownWindow(QList<PreparedPage> pages) : window(std::move(pages))
    {
        window.resize(900, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    PreviewPageView &view() { return *window.pageView(); }
    QWidget &viewport() { return *view().viewport(); }
};

} // namespace

class TestReportPreviewWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensAtTrueSize()
    {
        ShownWindow shown(a4Pages(5));
        QCOMPARE(shown.view().zoom(), 1.0);
        QCOMPARE(shown.window.findChild<QLabel *>("lblZoom")->text(), QStringLiteral("100%"));
        QCOMPARE(shown.window.findChild<QLabel *>("lblPageCount")->text(),
                 QStringLiteral("/ 5 页"));
        QCOMPARE(shown.window.findChild<QSpinBox *>("spnPage")->value(), 1);
        // 210 mm at the screen's resolution: 210 / 25.4 inches.
        const double expected = 210 / 25.4 * shown.viewport().logicalDpiX();
        QVERIFY(std::abs(shown.view().pageRect(0).width() - expected) <= 1);
        QVERIFY(shown.window.isModal());
    }

    void navigatorMovesThroughThePages()
    {
        ShownWindow shown(a4Pages(5));
        ReportPreviewWindow &w = shown.window;
        auto *number = w.findChild<QSpinBox *>("spnPage");
        QVERIFY(!act(w, "actPriorPage")->isEnabled());
        QVERIFY(!act(w, "actFirstPage")->isEnabled());
        act(w, "actNextPage")->trigger();
        QCOMPARE(w.currentPage(), 1);
        QCOMPARE(number->value(), 2);
        act(w, "actLastPage")->trigger();
        QCOMPARE(w.currentPage(), 4);
        QCOMPARE(number->value(), 5);
        QVERIFY(!act(w, "actNextPage")->isEnabled());
        QVERIFY(!act(w, "actLastPage")->isEnabled());
        act(w, "actPriorPage")->trigger();
        QCOMPARE(w.currentPage(), 3);
        act(w, "actFirstPage")->trigger();
        QCOMPARE(w.currentPage(), 0);
        number->setValue(3);
        QCOMPARE(w.currentPage(), 2);
        // The page typed in comes to the top of the view.
        QCOMPARE(shown.view().pageRect(2).top(), PreviewPageView::gap);
    }

    void zoomStepsInAndOut()
    {
        ShownWindow shown(a4Pages(2));
        act(shown.window, "actZoomIn")->trigger();
        QCOMPARE(shown.view().zoom(), 1.25);
        act(shown.window, "actZoom100")->trigger();
        act(shown.window, "actZoomOut")->trigger();
        QCOMPARE(shown.view().zoom(), 0.8);
        QCOMPARE(shown.window.findChild<QLabel *>("lblZoom")->text(), QStringLiteral("80%"));
        // Ctrl with the wheel turned away from the user zooms in; without Ctrl it scrolls.
        const QPointF centre = shown.viewport().rect().center();
        QWheelEvent zoomIn(centre, shown.viewport().mapToGlobal(centre), {}, {0, 120}, Qt::NoButton,
                           Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&shown.viewport(), &zoomIn);
        QCOMPARE(shown.view().zoom(), 1.0);
        QWheelEvent scroll(centre, shown.viewport().mapToGlobal(centre), {}, {0, -120},
                           Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&shown.viewport(), &scroll);
        QCOMPARE(shown.view().zoom(), 1.0);
        QVERIFY(shown.view().pageRect(0).top() < PreviewPageView::gap);
    }

    // Page width: the page spans the viewport less the gap on either side, so its width
    // plus two gaps is the viewport's width, whatever the screen's resolution.
    void pageWidthFillsTheViewportWidth()
    {
        ShownWindow shown(a4Pages(2));
        act(shown.window, "actPageWidth")->trigger();
        const QRect rect = shown.view().pageRect(0);
        const int width = shown.viewport().width();
        QVERIFY2(std::abs(rect.width() + 2 * PreviewPageView::gap - width) <= 1,
                 qPrintable(QStringLiteral("%1 in %2").arg(rect.width()).arg(width)));
        QCOMPARE(rect.left(), PreviewPageView::gap);
        QVERIFY(shown.view().zoom() != 1.0);
        // A wider window keeps the page at its width.
        shown.window.resize(1100, 700);
        QTRY_VERIFY(std::abs(shown.view().pageRect(0).width() + 2 * PreviewPageView::gap -
                             shown.viewport().width()) <= 1);
    }

    // Whole page: the page shows in full, and its height or width is the tight one.
    void wholePageShowsThePageInFull()
    {
        ShownWindow shown(a4Pages(3));
        act(shown.window, "actLastPage")->trigger();
        act(shown.window, "actWholePage")->trigger();
        const QRect rect = shown.view().pageRect(2);
        const QRect inner =
            shown.viewport().rect().adjusted(PreviewPageView::gap - 1, PreviewPageView::gap - 1,
                                             1 - PreviewPageView::gap, 1 - PreviewPageView::gap);
        QVERIFY2(inner.contains(rect), qPrintable(QStringLiteral("%1x%2 at %3,%4")
                                                      .arg(rect.width())
                                                      .arg(rect.height())
                                                      .arg(rect.x())
                                                      .arg(rect.y())));
        // A4 is taller than wide for this window: the height is the tight side.
        QVERIFY(std::abs(rect.height() - (inner.height() - 2)) <= 2);
        QCOMPARE(shown.window.currentPage(), 2);
    }

    void multiplePagesStandSideBySide()
    {
        ShownWindow shown(a4Pages(4));
        act(shown.window, "actMultiplePages")->trigger();
        const QRect first = shown.view().pageRect(0);
        const QRect second = shown.view().pageRect(1);
        QCOMPARE(first.top(), second.top());
        QCOMPARE(second.left(), first.right() + 1 + PreviewPageView::gap);
        QVERIFY(shown.viewport().rect().contains(first.united(second)));
        QVERIFY(shown.view().pageRect(2).top() > first.bottom());
    }

    void findHighlightsAndWraps()
    {
        QList<PreparedPage> pages = {
            page({210, 297}, {QStringLiteral("运单 YD0001"), QStringLiteral("甲公司")}),
            page({210, 297}, {QStringLiteral("乙公司")}),
            page({210, 297}, {QStringLiteral("yd0003 小写"), QStringLiteral("运单 YD0003")}),
        };
        for (PreparedPage &p : pages)
            p.page.background.clear();
        ShownWindow shown(pages);
        ReportPreviewWindow &w = shown.window;
        MessageRecorder messages;
        act(w, "actFind")->trigger();
        auto *text = w.findChild<QLineEdit *>("edtFind");
        QVERIFY(text->isVisible());
        text->setText(QStringLiteral("YD000"));

        // Without the case option: page 1, then both texts of page 3, then page 1 again.
        QList<int> pagesFound;
        for (int i = 0; i < 4; ++i) {
            act(w, "actFindNext")->trigger();
            pagesFound << w.currentPage();
        }
        QCOMPARE(pagesFound, QList<int>({0, 2, 2, 0}));
        act(w, "actFindPrevious")->trigger();
        QCOMPARE(w.currentPage(), 2);

        // Both matches of the page are tinted in their boxes' free lower parts, the one
        // found last in orange, the other in yellow; outside the boxes the page is white.
        act(w, "actFindPrevious")->trigger();
        act(w, "actFindNext")->trigger();
        const QImage image = shown.viewport().grab().toImage();
        const QRect rect = shown.view().pageRect(2);
        const double perMm = rect.width() / 210.0;
        const auto at = [&](double xMm, double yMm) {
            return image.pixelColor(rect.topLeft() + QPoint(int(xMm * perMm), int(yMm * perMm)));
        };
        const QColor found = at(80, 50), other = at(80, 25), plain = at(150, 50);
        QVERIFY2(found.red() > 240 && found.green() < 215 && found.blue() < 180,
                 qPrintable(found.name()));
        QVERIFY2(other.red() > 240 && other.green() > 225 && other.blue() < 180,
                 qPrintable(other.name()));
        QCOMPARE(plain, QColor(Qt::white));

        // With the case option the lower-case text no longer counts.
        w.findChild<QCheckBox *>("chkMatchCase")->setChecked(true);
        act(w, "actFirstPage")->trigger();
        pagesFound.clear();
        for (int i = 0; i < 3; ++i) {
            act(w, "actFindNext")->trigger();
            pagesFound << w.currentPage();
        }
        QCOMPARE(pagesFound, QList<int>({0, 2, 0}));
        QVERIFY(messages.shown().isEmpty());

        text->setText(QStringLiteral("丙公司"));
        act(w, "actFindNext")->trigger();
        QCOMPARE(messages.lastText(), QStringLiteral("没有找到“丙公司”。"));
    }

    void savedPagesOpenEqual()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("运单"));
        QList<PreparedPage> pages = a4Pages(3);
        pages[1].items.append(pages[0].items);
        FileDialogAnswers files;
        files.answer(path);
        files.answer(path + QStringLiteral(".qpr"));
        MessageRecorder messages;
        ReportPreviewWindow saving(pages);
        act(saving, "actSave")->trigger();
        QVERIFY(QFile::exists(path + QStringLiteral(".qpr")));

        ReportPreviewWindow opening({});
        opening.setReprepare([](const ReportPage &) { return QList<PreparedPage>(); });
        act(opening, "actOpen")->trigger();
        QVERIFY(opening.pages() == pages);
        QCOMPARE(opening.findChild<QLabel *>("lblPageCount")->text(), QStringLiteral("/ 3 页"));
        // Pages from a file have no template behind them to set up or edit.
        QVERIFY(!act(opening, "actPageSetup")->isEnabled());
        QVERIFY(!act(opening, "actEdit")->isEnabled());
        QVERIFY(messages.shown().isEmpty());
    }

    void brokenFileIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("broken.qpr"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<QuilletPreparedReport version=\"1\"><Page");
        file.close();
        FileDialogAnswers files;
        files.answer(path);
        MessageRecorder messages;
        ReportPreviewWindow window(a4Pages(2));
        act(window, "actOpen")->trigger();
        QVERIFY(messages.lastText().startsWith(QStringLiteral("无法读取预览文件")));
        QCOMPARE(window.pages().size(), 2);
    }

    // 254 mm is 10 inches and 127 mm 5 inches: at 100 dpi, 1000 × 500 pixels.
    void imagesArePagesAtTheChosenResolution_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("PNG") << QStringLiteral("png") << QByteArray("png");
        QTest::newRow("JPEG") << QStringLiteral("jpg") << QByteArray("jpeg");
    }

    void imagesArePagesAtTheChosenResolution()
    {
        QFETCH(QString, suffix);
        QFETCH(QByteArray, format);
        QTemporaryDir dir;
        FileDialogAnswers files;
        files.answer(dir.filePath(QStringLiteral("page.") + suffix));
        MessageRecorder messages;
        ReportPreviewWindow window(
            {page({254, 127}), page({254, 127}), page({127, 254}, {QStringLiteral("x")})});
        whenModal<QInputDialog>([](QInputDialog *ask) {
            ask->setIntValue(100);
            ask->accept();
        });
        act(window, "actExport")->trigger();
        QVERIFY(messages.shown().isEmpty());
        const QStringList written = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(written,
                 QStringList({"page_1." + suffix, "page_2." + suffix, "page_3." + suffix}));
        const QList<QSize> sizes = {{1000, 500}, {1000, 500}, {500, 1000}};
        for (int i = 0; i < 3; ++i) {
            QImageReader reader(dir.filePath(written[i]));
            QCOMPARE(reader.format(), format);
            QCOMPARE(reader.size(), sizes[i]);
        }
    }

    // The printed sheets (pages 2 and 3, two copies) carry no scanned form; the exported
    // PDF keeps it on every page.
    void printLeavesTheBackgroundOffExportKeepsIt()
    {
        QTemporaryDir dir;
        const QString printed = dir.filePath(QStringLiteral("printed.pdf"));
        const QString exported = dir.filePath(QStringLiteral("exported.pdf"));
        PrintDialogs::setResponder([&](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            printer.setCopyCount(2);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(2, 3);
            return true;
        });
        FileDialogAnswers files;
        files.answer(exported);
        MessageRecorder messages;
        ReportPreviewWindow window(a4Pages(4));
        QList<int> copies;
        window.setPrintHook([&](ReportPage &page, int copy) {
            copies << copy;
            page.background.clear();
        });
        act(window, "actPrint")->trigger();
        PrintDialogs::setResponder({});
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
        QCOMPARE(copies, QList<int>({1, 1, 2, 2}));
        QCOMPARE(PdfText::pageCount(printed), 4);
        QCOMPARE(PdfText::imageCount(printed), 0);
        const QList<PdfText::Word> words = PdfText::words(printed);
        QStringList texts;
        for (const PdfText::Word &word : words)
            texts << word.text;
        QCOMPARE(texts, QStringList({"第2页", "第3页", "第2页", "第3页"}));

        act(window, "actExport")->trigger();
        QCOMPARE(PdfText::pageCount(exported), 4);
        QCOMPARE(PdfText::imageCount(exported), 4);
        QCOMPARE(window.pages()[0].page.background.isEmpty(), false);
    }

    void cancelledPrintPrintsNothing()
    {
        int asked = 0;
        PrintDialogs::setResponder([&](QPrinter &) {
            ++asked;
            return false;
        });
        ReportPreviewWindow window(a4Pages(1));
        int hooked = 0;
        window.setPrintHook([&](ReportPage &, int) { ++hooked; });
        act(window, "actPrint")->trigger();
        PrintDialogs::setResponder({});
        QCOMPARE(asked, 1);
        QCOMPARE(hooked, 0);
    }

    void quickExportWritesThePdfInOneStep()
    {
        QTemporaryDir dir;
        FileDialogAnswers files;
        files.answer(dir.filePath(QStringLiteral("快速")));
        ReportPreviewWindow window(a4Pages(2));
        act(window, "actQuickExport")->trigger();
        QCOMPARE(files.requests().size(), 1);
        QCOMPARE(PdfText::pageCount(dir.filePath(QStringLiteral("快速.pdf"))), 2);
    }

    void nothingToExport_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("export") << "actExport"
                                << "没有可导出的页面。";
        QTest::newRow("quick export") << "actQuickExport"
                                      << "没有可导出的页面。";
        QTest::newRow("save") << "actSave"
                              << "没有可保存的页面。";
        QTest::newRow("print") << "actPrint"
                               << "没有可打印的页面。";
    }

    void nothingToExport()
    {
        QFETCH(QString, command);
        QFETCH(QString, message);
        FileDialogAnswers files;
        MessageRecorder messages;
        PrintDialogs::setResponder([](QPrinter &) { return true; });
        ReportPreviewWindow window({});
        act(window, command.toLatin1())->trigger();
        PrintDialogs::setResponder({});
        QCOMPARE(messages.texts(), QStringList({message}));
        QVERIFY(files.requests().isEmpty());
    }

    void pageSetupPreparesAgain()
    {
        ShownWindow shown(a4Pages(3));
        ReportPreviewWindow &w = shown.window;
        QList<ReportPage> asked;
        w.setReprepare([&](const ReportPage &settings) {
            asked << settings;
            QList<PreparedPage> pages = a4Pages(2);
            for (PreparedPage &p : pages)
                p.page = settings;
            return pages;
        });
        act(w, "actNextPage")->trigger();
        whenModal<QDialog>([](QDialog *dialog) {
            dialog->findChild<QDoubleSpinBox *>("spnOffsetX")->setValue(2.5);
            dialog->findChild<QDoubleSpinBox *>("spnOffsetY")->setValue(-1);
            dialog->findChild<QDoubleSpinBox *>("spnMarginLeft")->setValue(20);
            dialog->accept();
        });
        act(w, "actPageSetup")->trigger();
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].printOffset, QPointF(2.5, -1));
        QCOMPARE(asked[0].margins, QMarginsF(20, 10, 10, 10));
        QCOMPARE(asked[0].background, a4Pages(1)[0].page.background);
        QCOMPARE(w.pages().size(), 2);
        QCOMPARE(w.pages()[1].page.printOffset, QPointF(2.5, -1));
        QCOMPARE(w.findChild<QLabel *>("lblPageCount")->text(), QStringLiteral("/ 2 页"));
        QCOMPARE(w.currentPage(), 1);

        whenModal<QDialog>([](QDialog *dialog) { dialog->reject(); });
        act(w, "actPageSetup")->trigger();
        QCOMPARE(asked.size(), 1);
    }

    // Over a report, page setup goes into the template page it was made on, which is then
    // prepared again: a 30 mm top margin puts the first row's text 30 mm + 2 mm down.
    void pageSetupOverAReportChangesItsTemplate()
    {
        SampleReports::WaybillData data(2, 0);
        Report report;
        ReportPage form;
        form.name = QStringLiteral("Waybill");
        form.bands = {
            SampleReports::band(ReportBand::Type::MasterData, 20, QStringLiteral("frxDBDsNote"),
                                {SampleReports::text(QStringLiteral("No"), {5, 2, 40, 6},
                                                     QStringLiteral("[<frxDBDsNote.\"单号\">]"))})};
        form.bands[0].startNewPage = true;
        report.definition().pages = {form};
        report.definition().printerName = QStringLiteral("针式打印机");
        report.setDataset(&data.note);
        report.prepare();
        ReportPreviewWindow window(report);
        QCOMPARE(window.pages().size(), 2);
        QVERIFY(act(window, "actPageSetup")->isEnabled());
        whenModal<QDialog>([](QDialog *dialog) {
            dialog->findChild<QDoubleSpinBox *>("spnMarginTop")->setValue(30);
            dialog->accept();
        });
        act(window, "actPageSetup")->trigger();
        QCOMPARE(report.definition().pages[0].margins, QMarginsF(10, 30, 10, 10));
        QCOMPARE(window.pages().size(), 2);
        QCOMPARE(window.pages()[1].items[0].rect.topLeft(), QPointF(15, 32));
        QCOMPARE(window.pages()[1].items[0].text, QStringLiteral("YD0002"));
    }

    void editPreparesAgainAfterASave()
    {
        ReportPreviewWindow window(a4Pages(3));
        QVERIFY(!act(window, "actEdit")->isEnabled());
        bool saved = false;
        window.setEditTemplate([&]() -> std::optional<QList<PreparedPage>> {
            if (!saved)
                return std::nullopt;
            return a4Pages(5);
        });
        act(window, "actEdit")->trigger();
        QCOMPARE(window.pages().size(), 3);
        saved = true;
        act(window, "actEdit")->trigger();
        QCOMPARE(window.pages().size(), 5);
    }

    // A file may hold pages of no width or of a kilometre: they show, bounded, in every mode.
    void oddPageSizesAreShown()
    {
        ShownWindow shown({page({0, 297}), page({1e6, 1e6}), page({210, 297})});
        for (const char *mode : {"actPageWidth", "actWholePage", "actMultiplePages", "actZoomIn",
                                 "actLastPage", "actOutline", "actFirstPage", "actNextPage"}) {
            act(shown.window, mode)->trigger();
            shown.viewport().repaint();
        }
        QCOMPARE(shown.window.currentPage(), 1);
        QVERIFY(shown.view().pageRect(1).width() <= 100'000);
        QVERIFY(shown.view().pageRect(0).width() >= 1);
    }

    // A thousand pages: only those in sight are drawn, and the outline draws the
    // thumbnails it shows.
    void onlyPagesInSightAreDrawn()
    {
        ShownWindow shown(a4Pages(1000));
        QTRY_VERIFY(shown.view().renderedPages() > 0);
        QVERIFY(shown.view().renderedPages() <= 3);
        act(shown.window, "actOutline")->trigger();
        auto *outline = shown.window.findChild<QListView *>("lstOutline");
        QVERIFY(outline->isVisible());
        QTRY_VERIFY(shown.window.thumbnails()->renderedThumbnails() > 0);
        QVERIFY(shown.window.thumbnails()->renderedThumbnails() < 20);
        outline->clicked(shown.window.thumbnails()->index(700));
        QCOMPARE(shown.window.currentPage(), 700);
        act(shown.window, "actLastPage")->trigger();
        QCOMPARE(shown.window.currentPage(), 999);
        QTest::qWait(50);
        QVERIFY(shown.view().renderedPages() <= 8);
    }
};

QTEST_MAIN(TestReportPreviewWindow)
#include "tst_reportpreviewwindow.moc"

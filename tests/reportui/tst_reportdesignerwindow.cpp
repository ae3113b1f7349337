#include "report/Report.h"
#include "reportui/DesignerPageView.h"
#include "reportui/DesignerPanels.h"
#include "reportui/ReportDesignerWindow.h"
#include "support/FileDialogAnswers.h"
#include "support/MessageRecorder.h"
#include "support/SampleReports.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace {

using ObjectId = TemplateDocument::ObjectId;

const QString field = QStringLiteral("[<frxDBDsNote.\"收货单位\">]");

ReportObject text(const QString &name, QRectF rect)
{
    ReportObject object;
    object.name = name;
    object.rect = rect;
    object.text = name;
    return object;
}

// An A4 page, 10 mm margins, one master band over the printable area: a band position is
// the paper position less 10 mm each way.
ReportTemplate formTemplate(const QList<ReportObject> &objects)
{
    ReportPage page;
    page.name = QStringLiteral("Page1");
    ReportBand band;
    band.name = QStringLiteral("MasterData1");
    band.dataset = QStringLiteral("frxDBDsNote");
    band.height = 277;
    band.objects = objects;
    page.bands << band;
    ReportTemplate definition;
    definition.pages << page;
    return definition;
}

struct Designer {
    Report report;
    QList<QByteArray> saved;
    QList<bool> saveAs;
    bool answer = true;
    int previews = 0;
    std::unique_ptr<ReportDesignerWindow> window;

    explicit Designer(const QList<ReportObject> &objects = {})
    {
        report.definition() = formTemplate(objects);
        window = std::make_unique<ReportDesignerWindow>(
            report,
            [this](Report &r, bool as) {
                saved << r.saveToBytes();
                saveAs << as;
                return answer;
            },
            [this](QWidget *, Report &) { ++previews; });
        window->resize(1000, 800);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("designer not shown");
        view().horizontalScrollBar()->setValue(0);
        view().verticalScrollBar()->setValue(0);
    }
    DesignerPageView &view() { return *window->findChild<DesignerPageView *>("pageView"); }
    QWidget &viewport() { return *view().viewport(); }
    TemplateDocument &document() { return *window->document(); }
    QAction *act(const char *name) { return window->findChild<QAction *>(QLatin1String(name)); }
    ObjectId id(int index) { return document().objectIds(0, 0).at(index); }
    QRectF rect(int index) { return document().object(id(index)).rect; }

    // Screen pixels per mm at the zoom, from the screen's resolution.
    double perMm() { return viewport().logicalDpiX() / 25.4 * view().zoom(); }

    // The paper's top-left corner as seen on the screen: where the grey desk meets the page.
    QPoint paperCorner()
    {
        const QImage image = viewport().grab().toImage();
        const QRgb desk = image.pixel(1, 1);
        const int row = image.height() / 2;
        int left = 0;
        while (left < image.width() && image.pixel(left, row) == desk)
            ++left;
        int top = 0;
        while (top < image.height() && image.pixel(left + 3, top) == desk)
            ++top;
        return {left, top};
    }
    QPoint pixelOf(QPointF paperMm)
    {
        const QPointF at = QPointF(paperCorner()) + paperMm * perMm();
        return at.toPoint();
    }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, at, viewport().mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&viewport(), &event);
    }
    void drag(QPoint from, QPoint to)
    {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
        const QPoint halfway = (from + to) / 2;
        mouse(QEvent::MouseMove, halfway, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }
    void dropField(QPoint at)
    {
        QMimeData data;
        data.setData(expressionMimeType, field.toUtf8());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&viewport(), &move);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&viewport(), &drop);
    }
};

bool near(double actual, double expected, double tolerance)
{
    return std::abs(actual - expected) <= tolerance;
}

} // namespace

class TestReportDesignerWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensModalInChinese()
    {
        Report report;
        ReportDesignerWindow window(
            report, [](Report &, bool) { return true; }, [](QWidget *, Report &) {});
        QVERIFY(window.windowTitle().startsWith(QStringLiteral("模板设计")));
        // A report without pages starts with an A4 portrait page, 10 mm margins.
        const ReportPage &page = window.document()->definition().pages.at(0);
        QCOMPARE(page.sizeMm(), QSizeF(210, 297));
        QCOMPARE(page.margins, QMarginsF(10, 10, 10, 10));
    }

    void droppedFieldLandsUnderThePoint_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("250 %") << 2.5;
    }
    void droppedFieldLandsUnderThePoint()
    {
        QFETCH(double, zoom);
        Designer d;
        d.view().setZoom(zoom);
        d.view().horizontalScrollBar()->setValue(0);
        d.view().verticalScrollBar()->setValue(0);
        // 50 mm across, 60 mm down the paper: 40 and 50 mm into the band.
        d.dropField(d.pixelOf({50, 60}));
        QCOMPARE(d.document().objectIds(0, 0).size(), 1);
        const ReportObject &made = d.document().object(d.id(0));
        QCOMPARE(made.kind, ReportObject::Kind::Text);
        QCOMPARE(made.text, field);
        QCOMPARE(made.fontFamily, QStringLiteral("Arial"));
        QCOMPARE(made.fontSize, 10.0);
        // Within a pixel and the tenth the position is rounded to.
        const double tolerance = 1 / d.perMm() + 0.05;
        QVERIFY2(near(made.rect.x(), 40, tolerance), qPrintable(QString::number(made.rect.x())));
        QVERIFY2(near(made.rect.y(), 50, tolerance), qPrintable(QString::number(made.rect.y())));
        QCOMPARE(d.document().selection(), QList<ObjectId>{d.id(0)});
    }

    void dragSnapsToTheGrid()
    {
        Designer d({text("Memo1", QRectF(20, 20, 30, 5))});
        QVERIFY(d.window->findChild<QCheckBox *>("chkSnapToGrid")->isChecked());
        QCOMPARE(d.view().gridStep(), 2.5);
        // Grabbed in its middle (paper 45, 32.5) and dragged 7.3 mm right, 4.1 mm down: the
        // top-left corner, wished at (37.3, 34.1) on the paper, goes to the grid's (37.5, 35).
        const QPoint from = d.pixelOf({45, 32.5});
        d.drag(from, d.pixelOf({45 + 7.3, 32.5 + 4.1}));
        QCOMPARE(d.rect(0), QRectF(27.5, 25, 30, 5));
    }

    void dragSnapsToAnotherObjectsEdge()
    {
        Designer d({text("Memo1", QRectF(20, 20, 30, 5)), text("Memo2", QRectF(80, 40, 20, 5))});
        d.window->findChild<QCheckBox *>("chkSnapToGrid")->setChecked(false);
        // Memo1's right edge (paper 60) dragged 29.5 mm right stops 0.5 mm, about two
        // pixels, short of Memo2's left edge (paper 90): it snaps on to it.
        d.drag(d.pixelOf({45, 32.5}), d.pixelOf({45 + 29.5, 32.5 + 12}));
        QCOMPARE(d.rect(0).right(), 80.0);
        QCOMPARE(d.rect(0).width(), 30.0);
        QVERIFY2(near(d.rect(0).y(), 32, 0.4), qPrintable(QString::number(d.rect(0).y())));
    }

    void bandHeightIsDraggedAtItsLowerEdge()
    {
        Designer d;
        d.document().editBand(0, 0, QStringLiteral("带高"),
                              [](ReportBand &band) { band.height = 50; });
        // The band runs from 10 to 60 mm down the paper; its edge dragged 10.3 mm down
        // makes 60.3 mm, which the 2.5 mm grid takes to 60.
        d.drag(d.pixelOf({100, 60}), d.pixelOf({100, 70.3}));
        QCOMPARE(d.document().definition().pages[0].bands[0].height, 60.0);
    }

    void arrowsNudgeAndResize()
    {
        Designer d({text("Memo1", QRectF(20, 20, 30, 5))});
        d.document().setSelection({d.id(0)});
        d.view().setFocus();
        QTest::keyClick(&d.view(), Qt::Key_Right);
        QTest::keyClick(&d.view(), Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(&d.view(), Qt::Key_Left, Qt::ControlModifier);
        const QRectF moved = d.rect(0);
        QVERIFY(near(moved.x(), 20.1, 1e-9));
        QVERIFY(near(moved.y(), 21, 1e-9));
        QVERIFY(near(moved.width(), 29.9, 1e-9));
        QCOMPARE(moved.height(), 5.0);
    }

    void undoTakesAMoveBack()
    {
        Designer d({text("Memo1", QRectF(20, 20, 30, 5))});
        const QByteArray before = d.document().save();
        d.drag(d.pixelOf({45, 32.5}), d.pixelOf({65, 52.5}));
        QCOMPARE(d.rect(0), QRectF(40, 40, 30, 5));
        QVERIFY(d.window->isWindowModified());
        d.act("actUndo")->trigger();
        QCOMPARE(d.document().save(), before);
        d.act("actRedo")->trigger();
        QCOMPARE(d.rect(0), QRectF(40, 40, 30, 5));
    }

    void saveHandsTheHookBytesThatLoadBack()
    {
        Designer d({text("Memo1", QRectF(20, 20, 30, 5))});
        d.document().moveObjects({d.id(0)}, QPointF(0.3, 0.7));
        d.act("actSave")->trigger();
        QCOMPARE(d.saved.size(), 1);
        QCOMPARE(d.saveAs, QList<bool>{false});
        Report loaded;
        loaded.loadFromBytes(d.saved[0]);
        QCOMPARE(loaded.definition(), d.document().definition());
        QVERIFY(d.document().undoStack()->isClean());
        d.act("actSaveAs")->trigger();
        QCOMPARE(d.saveAs, (QList<bool>{false, true}));
    }

    void refusedSaveLeavesTheChangesUnsaved()
    {
        Designer d({text("Memo1", QRectF(20, 20, 30, 5))});
        d.answer = false;
        d.document().moveObjects({d.id(0)}, QPointF(1, 1));
        d.act("actSave")->trigger();
        QCOMPARE(d.saved.size(), 1);
        QVERIFY(!d.document().undoStack()->isClean());
    }

    void closingWithChangesAsks_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes saves") << true;
        QTest::newRow("no discards") << false;
    }
    void closingWithChangesAsks()
    {
        QFETCH(bool, yes);
        MessageRecorder messages(yes);
        Designer d({text("Memo1", QRectF(20, 20, 30, 5))});
        d.document().moveObjects({d.id(0)}, QPointF(5, 0));
        QVERIFY(d.window->close());
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::YesNoCancel);
        QCOMPARE(d.saved.size(), yes ? 1 : 0);
        if (yes)
            QCOMPARE(d.saveAs, QList<bool>{false});
        // Saved or not, the report keeps the design.
        QCOMPARE(d.report.definition().pages[0].bands[0].objects[0].rect, QRectF(25, 20, 30, 5));
    }

    void closingUnchangedAsksNothing()
    {
        MessageRecorder messages;
        Designer d({text("Memo1", QRectF(20, 20, 30, 5))});
        QVERIFY(d.window->close());
        QVERIFY(messages.shown().isEmpty());
        QVERIFY(d.saved.isEmpty());
    }

    void openReadsAHistoryFile()
    {
        QTemporaryDir dir;
        Report history;
        history.definition() = formTemplate({text("Memo9", QRectF(12.3, 45.6, 20, 5))});
        const QString path = dir.filePath(QStringLiteral("A01_3.fr3"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(history.saveToBytes());
        file.close();

        FileDialogAnswers dialogs;
        dialogs.answer(path);
        Designer d;
        d.act("actOpen")->trigger();
        QCOMPARE(dialogs.requests().size(), 1);
        QCOMPARE(d.document().definition(), history.definition());
        // Opened, not yet saved as the form kind's template.
        QVERIFY(d.window->isWindowModified());
    }

    void openOfAFileThatIsNoTemplateTellsAndKeepsTheDesign()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.fr3"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("no template");
        file.close();
        MessageRecorder messages;
        FileDialogAnswers dialogs;
        dialogs.answer(path);
        Designer d({text("Memo1", QRectF(20, 20, 30, 5))});
        const QByteArray before = d.document().save();
        d.act("actOpen")->trigger();
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Error);
        QCOMPARE(d.document().save(), before);
    }

    void copyAndPasteCarryTemplateBytes()
    {
        Designer d({text("Memo1", QRectF(20, 20, 30, 5))});
        d.document().setSelection({d.id(0)});
        d.act("actCopy")->trigger();
        QVERIFY(QApplication::clipboard()->mimeData()->hasFormat(TemplateDocument::mimeType));
        Designer other;
        other.act("actPaste")->trigger();
        QCOMPARE(other.document().objectIds(0, 0).size(), 1);
        QCOMPARE(other.rect(0), QRectF(20, 20, 30, 5));
    }

    void ctrlWheelZoomsWithinBounds()
    {
        Designer d;
        const QPoint centre = d.viewport().rect().center();
        for (int i = 0; i < 20; ++i) {
            QWheelEvent wheel(centre, d.viewport().mapToGlobal(centre), {}, {0, 120}, Qt::NoButton,
                              Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&d.viewport(), &wheel);
        }
        QCOMPARE(d.view().zoom(), 8.0);
        d.act("actZoom100")->trigger();
        QCOMPARE(d.view().zoom(), 1.0);
        for (int i = 0; i < 10; ++i)
            d.act("actZoomOut")->trigger();
        QCOMPARE(d.view().zoom(), 0.25);
    }

    void unparsableExpressionIsMarked()
    {
        ReportObject bad = text("Memo1", QRectF(20, 20, 30, 5));
        bad.text = QStringLiteral("[1 + ]");
        Designer d({bad, text("Memo2", QRectF(20, 40, 30, 5))});
        QVERIFY(d.view().isMarked(d.id(0)));
        QVERIFY(!d.view().isMarked(d.id(1)));
        d.document().editObjects({d.id(0)}, QStringLiteral("文本"),
                                 [](ReportObject &o) { o.text = QStringLiteral("[1 + 2]"); });
        QVERIFY(!d.view().isMarked(d.id(0)));
    }

    // The scan shows at its rectangle, washed towards white by the slider, which changes
    // nothing in the template.
    void scanIsDimmedInTheDesignerOnly()
    {
        Designer d;
        d.document().setBackground(0, SampleReports::png({60, 30}, QColor(0, 200, 0)),
                                   TemplateDocument::BackgroundSize::Given, QSizeF(100, 50));
        QVERIFY(QTest::qWaitFor([&] {
            d.viewport().repaint();
            return d.view().scanShown();
        }));
        const QByteArray bytes = d.document().save();
        auto *slider = d.window->findChild<QSlider *>("sldLightness");
        const auto colourAt = [&](QPointF mm) {
            d.viewport().repaint();
            return QColor(d.viewport().grab().toImage().pixel(d.pixelOf(mm)));
        };
        slider->setValue(0);
        // In the top margin, inside the scan, off the grid's lines.
        QCOMPARE(colourAt({40.6, 5.6}), QColor(0, 200, 0));
        slider->setValue(50);
        const QColor washed = colourAt({40.6, 5.6});
        QVERIFY2(std::abs(washed.red() - 128) <= 2 && std::abs(washed.green() - 228) <= 2,
                 qPrintable(washed.name()));
        QCOMPARE(colourAt({140.6, 5.6}), QColor(Qt::white)); // beside the scan
        QCOMPARE(d.document().save(), bytes);
    }

    // Decoding a large scan takes long: the paint that meets a new scan leaves it to a
    // worker thread, and the page shows without it until it is ready.
    void scanIsDecodedOutsideThePaint()
    {
        Designer d;
        d.document().setBackground(0, SampleReports::png({600, 300}, QColor(0, 200, 0)),
                                   TemplateDocument::BackgroundSize::Given, QSizeF(100, 50));
        d.viewport().repaint();
        QVERIFY(!d.view().scanShown());
        QVERIFY(QTest::qWaitFor([&] {
            d.viewport().repaint();
            return d.view().scanShown();
        }));
    }

    void previewGetsTheDesign()
    {
        Designer d({text("Memo1", QRectF(20, 20, 30, 5))});
        d.document().moveObjects({d.id(0)}, QPointF(1, 0));
        d.act("actPreview")->trigger();
        QCOMPARE(d.previews, 1);
        QCOMPARE(d.report.definition(), d.document().definition());
    }
};

QTEST_MAIN(TestReportDesignerWindow)
#include "tst_reportdesignerwindow.moc"

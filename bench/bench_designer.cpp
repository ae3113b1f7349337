// Opens the template designer on 300 objects over an A4 scan at 300 dpi and reports: time
// to the first page drawn, time per frame while one object is dragged across the page, and
// time to zoom from 100 % to 400 % and draw. Pass a file name to keep a picture of the
// window.

#include "report/Report.h"
#include "reportui/DesignerPageView.h"
#include "reportui/ReportDesignerWindow.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWindow>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int objectCount = 300;

// A form-like scan: ruled boxes and printed captions on tinted paper.
QByteArray scan()
{
    QImage image(2480, 3508, QImage::Format_RGB32); // A4 at 300 dpi
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(11811);
    image.fill(QColor(250, 246, 235));
    QPainter painter(&image);
    painter.setPen(QPen(QColor(200, 60, 60), 4));
    QFont caption(QStringLiteral("Noto Sans CJK SC"));
    caption.setPixelSize(40);
    painter.setFont(caption);
    for (int row = 0; row < 30; ++row)
        for (int column = 0; column < 4; ++column) {
            const QRect box(120 + column * 560, 200 + row * 105, 540, 95);
            painter.drawRect(box);
            painter.drawText(box.adjusted(10, 5, 0, 0), QStringLiteral("收货单位 %1").arg(row));
        }
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

ReportTemplate formTemplate()
{
    ReportPage page;
    page.name = QStringLiteral("Page1");
    page.background = scan();
    ReportBand band;
    band.name = QStringLiteral("MasterData1");
    band.dataset = QStringLiteral("frxDBDsNote");
    band.height = 277;
    for (int i = 0; i < objectCount; ++i) {
        ReportObject object;
        object.name = QStringLiteral("Memo%1").arg(i + 1);
        object.rect = QRectF(5 + (i % 6) * 31, 3 + (i / 6) * 5.4, 30, 5);
        object.text = i % 3 == 0 ? QStringLiteral("[<frxDBDsNote.\"收货单位\">]")
                                 : QStringLiteral("地址：[<frxDBDsNote.\"地址\">] 号");
        if (i % 25 == 0) {
            object.kind = ReportObject::Kind::Barcode;
            object.text = QStringLiteral("[<frxDBDsNote.\"单号\">]");
        }
        band.objects << object;
    }
    page.bands << band;
    ReportTemplate definition;
    definition.pages << page;
    return definition;
}

double milliseconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

void mouse(QWidget *viewport, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Report report;
    report.definition() = formTemplate();

    QElapsedTimer timer;
    timer.start();
    ReportDesignerWindow window(
        report, [](Report &, bool) { return true; }, [](QWidget *, Report &) {});
    window.resize(1280, 960);
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QApplication::processEvents();
    DesignerPageView *view = window.pageView();
    QWidget *viewport = view->viewport();
    viewport->repaint();
    const double open = milliseconds(timer);
    while (!view->scanShown())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    viewport->repaint();
    const double scanShown = milliseconds(timer);

    // One object grabbed by its middle and dragged in 120 steps of about 1.5 mm.
    const QPointF grab = view->objectRectMm(window.document()->objectIds(0, 0).at(40)).center();
    QPoint at = view->mmToViewport(grab).toPoint();
    mouse(viewport, QEvent::MouseButtonPress, at, Qt::LeftButton);
    QList<double> frames;
    for (int step = 0; step < 120; ++step) {
        at += QPoint(step % 40 < 20 ? 6 : -6, 3);
        timer.restart();
        mouse(viewport, QEvent::MouseMove, at, Qt::LeftButton);
        viewport->repaint();
        frames << milliseconds(timer);
    }
    mouse(viewport, QEvent::MouseButtonRelease, at, Qt::NoButton);
    const double first = frames.first();
    frames.removeFirst(); // the first frame lays the still objects down once
    std::sort(frames.begin(), frames.end());
    double sum = 0;
    for (double frame : frames)
        sum += frame;

    view->setZoom(1);
    viewport->repaint();
    timer.restart();
    view->setZoom(4);
    viewport->repaint();
    const double zoom = milliseconds(timer);

    std::printf("objects: %d over a 2480 x 3508 scan (A4 at 300 dpi), window 1280 x 960\n",
                objectCount);
    std::printf("open the designer, first page drawn: %.1f ms; the scan, decoded meanwhile, "
                "shown after %.1f ms\n",
                open, scanShown);
    std::printf("drag one object: first frame %.1f ms; then mean %.2f ms, median %.2f ms, "
                "slowest %.2f ms per frame\n",
                first, sum / frames.size(), frames[frames.size() / 2], frames.last());
    std::printf("zoom 100 %% -> 400 %% and draw: %.1f ms\n", zoom);

    if (argc > 1) {
        view->setZoom(1);
        view->horizontalScrollBar()->setValue(0);
        view->verticalScrollBar()->setValue(0);
        window.document()->setSelection({window.document()->objectIds(0, 0).at(7)});
        window.grab().save(QString::fromLocal8Bit(argv[1]));
    }
    return 0;
}

// Opens the preview on the demo waybill over 1,000 master rows of 5 detail rows each and
// reports: time to the first page shown, time to find a text of the last page, time to
// export every page to PDF through the window, and that PDF's size per page with its
// scanned form (which it must hold once, not once per page).

#include "reportui/PreviewPageView.h"
#include "reportui/ReportPreviewWindow.h"
#include "support/PdfText.h"
#include "support/SampleReports.h"
#include "widgets/FileDialogs.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int masterRows = 1000;
constexpr int detailRows = 5;

double seconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    SampleReports::WaybillData data(masterRows, detailRows);
    Report report = SampleReports::demoReport(data);
    report.prepare();
    const QList<PreparedPage> &pages = report.preparedPages();
    const int pageCount = int(pages.size());

    QElapsedTimer timer;
    timer.start();
    ReportPreviewWindow window(pages);
    window.resize(1200, 900);
    window.show();
    while (window.pageView()->renderedPages() == 0)
        QApplication::processEvents();
    const double firstPage = seconds(timer);

    timer.restart();
    // The last waybill's number (four digits in the sample data), printed on the last page only.
    const QString lastNumber = QStringLiteral("YD%1").arg(masterRows);
    window.findChild<QLineEdit *>(QStringLiteral("edtFind"))->setText(lastNumber);
    window.findChild<QAction *>(QStringLiteral("actFindNext"))->trigger();
    const int rendered = window.pageView()->renderedPages();
    while (window.pageView()->renderedPages() == rendered)
        QApplication::processEvents();
    const double find = seconds(timer);
    const bool foundOnLast = window.currentPage() == pageCount - 1;

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("preview.pdf"));
    FileDialogs::setResponder([&](const FileDialogs::Request &) { return pdf; });
    timer.restart();
    window.findChild<QAction *>(QStringLiteral("actQuickExport"))->trigger();
    const double exportPdf = seconds(timer);
    FileDialogs::setResponder({});

    const qint64 size = QFileInfo(pdf).size();
    const int uses = PdfText::imageCount(pdf);
    const int objects = PdfText::storedImageCount(pdf);
    const QFileInfo form(QStringLiteral(QUILLET_DATA_DIR "/demo_waybill_form.png"));
    std::printf("pages: %d (%d master rows x %d detail rows)\n", pageCount, masterRows, detailRows);
    std::printf("first page shown: %.3f s\n", firstPage);
    std::printf("find on the last page: %.3f s (%s)\n", find,
                foundOnLast ? "found there" : "NOT FOUND THERE");
    std::printf("export to PDF: %.2f s (%.0f pages/s)\n", exportPdf, pageCount / exportPdf);
    std::printf("PDF: %.1f KB in all, %.1f KB per page; scanned form %.1f KB as PNG\n",
                size / 1024.0, size / 1024.0 / pageCount, form.size() / 1024.0);
    std::printf("background images: %d uses, %d stored (%s)\n", uses, objects,
                objects == 1 ? "once" : "NOT ONCE");
    return 0;
}

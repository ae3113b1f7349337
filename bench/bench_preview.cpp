// Opens the preview on the demo waybill over 1,000 master rows of 5 detail rows each and
// reports: time to the first page shown, time to find a text of the last page, time to
// export every page to PDF through the window, and that PDF's size per page with its
// scanned form (which it must hold once, not once per page).

#include "report/MemoryDataset.h"
#include "report/Report.h"
#include "reportui/PreviewPageView.h"
#include "reportui/ReportPreviewWindow.h"
#include "store/Currency.h"
#include "widgets/FileDialogs.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int masterRows = 1000;
constexpr int detailRows = 5;

QString number(int m)
{
    return QStringLiteral("YD%1").arg(m, 6, 10, QChar(u'0'));
}

void fill(MemoryDataset &note, MemoryDataset &sub)
{
    for (int m = 1; m <= masterRows; ++m) {
        note.addRow({m, number(m), QStringLiteral("收货单位%1").arg(m),
                     QStringLiteral("北京市朝阳区%1号").arg(m),
                     QVariant::fromValue(Currency::fromUnits(m * 12345)),
                     QDate(2024, 1, 1).addDays(m)});
        for (int d = 1; d <= detailRows; ++d)
            sub.addRow({m, QStringLiteral("货品%1").arg(d), d,
                        QVariant::fromValue(Currency::fromUnits(d * 15000))});
    }
    sub.setMaster(&note, QStringLiteral("ID"), QStringLiteral("MID"));
}

// Image uses and distinct image objects in a PDF, by poppler's pdfimages.
std::pair<int, int> images(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    process.waitForFinished(120000);
    const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
    QSet<QByteArray> objects;
    for (qsizetype i = 2; i < lines.size(); ++i)
        objects.insert(lines[i].simplified().split(' ').value(10)); // the "object" column
    return {int(lines.size()) - 2, int(objects.size())};
}

double seconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QFile file(QFileInfo(QStringLiteral(__FILE__))
                   .dir()
                   .filePath(QStringLiteral("../data/demo_waybill.xml")));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
        return 1;
    }
    MemoryDataset note(QStringLiteral("frxDBDsNote"),
                       {QStringLiteral("ID"), QStringLiteral("单号"), QStringLiteral("收货单位"),
                        QStringLiteral("地址"), QStringLiteral("金额"),
                        QStringLiteral("填写日期")});
    MemoryDataset sub(QStringLiteral("frxDBDsSub"),
                      {QStringLiteral("MID"), QStringLiteral("品名"), QStringLiteral("数量"),
                       QStringLiteral("单价")});
    fill(note, sub);
    Report report;
    report.loadFromBytes(file.readAll());
    report.setDataset(&note);
    report.setDataset(&sub);
    report.addFunction(QStringLiteral("function FieldIsNull(FieldName: string): Boolean"),
                       QStringLiteral("自定义"), {});
    report.addFunction(QStringLiteral("function rmbToBIG(Value: Currency): string"),
                       QStringLiteral("自定义"), {});
    report.setUserFunctionHandler([](const QString &name, const QVariantList &) {
        return name == u"FieldIsNull" ? QVariant(false)
                                      : QVariant(QStringLiteral("壹佰贰拾叁元肆角伍分"));
    });
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
    window.findChild<QLineEdit *>(QStringLiteral("edtFind"))->setText(number(masterRows));
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
    const auto [uses, objects] = images(pdf);
    QFile form(QFileInfo(file.fileName()).dir().filePath(QStringLiteral("demo_waybill_form.png")));
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

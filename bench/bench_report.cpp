// Prepares the demo waybill over 1,000 master rows of 5 detail rows each and writes it to
// PDF, reporting pages per second for each step.

#include "support/SampleReports.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int masterRows = 1000;
constexpr int detailRows = 5;
constexpr int rounds = 3;

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    SampleReports::WaybillData data(masterRows, detailRows);
    Report report = SampleReports::demoReport(data);

    QTemporaryDir dir;
    double bestPrepare = 0, bestPdf = 0;
    qsizetype pages = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        report.prepare();
        const double prepareSeconds = timer.nsecsElapsed() / 1e9;
        pages = report.preparedPages().size();
        timer.restart();
        report.exportPdf(dir.filePath(QStringLiteral("bench.pdf")));
        const double pdfSeconds = timer.nsecsElapsed() / 1e9;
        bestPrepare = std::max(bestPrepare, pages / prepareSeconds);
        bestPdf = std::max(bestPdf, pages / pdfSeconds);
    }
    std::printf("pages: %lld (%d master rows x %d detail rows)\n", static_cast<long long>(pages),
                masterRows, detailRows);
    std::printf("prepare: %.0f pages/s (goal 200)\n", bestPrepare);
    std::printf("PDF output: %.0f pages/s (goal 50)\n", bestPdf);
    return 0;
}

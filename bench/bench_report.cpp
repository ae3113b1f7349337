// Prepares the demo waybill over 1,000 master rows of 5 detail rows each and writes it to
// PDF, reporting pages per second for each step.

#include "report/MemoryDataset.h"
#include "report/Report.h"
#include "store/Currency.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int masterRows = 1000;
constexpr int detailRows = 5;
constexpr int rounds = 3;

void fill(MemoryDataset &note, MemoryDataset &sub)
{
    for (int m = 1; m <= masterRows; ++m) {
        note.addRow({m, QStringLiteral("YD%1").arg(m, 6, 10, QChar(u'0')),
                     QStringLiteral("收货单位%1").arg(m), QStringLiteral("北京市朝阳区%1号").arg(m),
                     QVariant::fromValue(Currency::fromUnits(m * 12345)),
                     QDate(2024, 1, 1).addDays(m)});
        for (int d = 1; d <= detailRows; ++d)
            sub.addRow({m, QStringLiteral("货品%1").arg(d), d,
                        QVariant::fromValue(Currency::fromUnits(d * 15000))});
    }
    sub.setMaster(&note, QStringLiteral("ID"), QStringLiteral("MID"));
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    // The build passes sources by absolute path, so the data folder is found beside bench/.
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

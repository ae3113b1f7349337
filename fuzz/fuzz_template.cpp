// Template bytes into the loader; a template that loads is prepared over a two-row waybill
// with the program's own functions, as a record window would prepare it.
#include "printing/ReportFunctions.h"
#include "report/MemoryDataset.h"
#include "report/Report.h"
#include "store/QuilletError.h"

#include <QCoreApplication>
#include <QDate>
#include <cstdint>

namespace {

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz_template";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    Report report;
    try {
        report.loadFromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    } catch (const QuilletError &) {
        return 0;
    }
    MemoryDataset note(QStringLiteral("frxDBDsNote"),
                       {QStringLiteral("单号"), QStringLiteral("收货单位"), QStringLiteral("地址"),
                        QStringLiteral("填写日期"), QStringLiteral("金额")});
    note.addRow({QStringLiteral("YD0001"), QStringLiteral("甲公司"), QString(), QDate(2024, 5, 1),
                 QVariant::fromValue(Currency::fromUnits(12345000))});
    MemoryDataset sub(QStringLiteral("frxDBDsSub"),
                      {QStringLiteral("单号"), QStringLiteral("品名"), QStringLiteral("数量"),
                       QStringLiteral("单价")});
    sub.addRow({QStringLiteral("YD0001"), QStringLiteral("螺丝"), qint64(3),
                QVariant::fromValue(Currency::fromUnits(1000))});
    sub.addRow({QStringLiteral("YD0001"), QVariant(), qint64(-2), 0.5});
    sub.setMaster(&note, QStringLiteral("单号"), QStringLiteral("单号"));
    report.setDataset(&note);
    report.setDataset(&sub);
    for (const ReportFunctionDeclaration &f : reportFunctionDeclarations())
        report.addFunction(f.declaration, f.category, f.description);
    DatasetDirectory directory;
    const ReportFunctions functions(directory.lookup());
    report.setUserFunctionHandler([&functions](const QString &name, const QVariantList &args) {
        return functions.frxReportUserFunction(name, args);
    });
    try {
        report.prepare();
    } catch (const QuilletError &) {
    }
    return 0;
}

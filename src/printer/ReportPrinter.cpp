#include "ReportPrinter.h"

#include "report/PagedOutput.h"
#include "report/ReportError.h"

#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

// The options a job hands to CUPS, as name and value one after the other: the property
// through which Qt's own print dialog passes them to its CUPS print engine.
constexpr auto cupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// A form is printed at its own size, where the template puts each field: never shrunk
// into the printer's printable area, whatever the printer does by default.
void keepPaperAsItIs(QPrinter &printer)
{
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return;
    QStringList options = printer.printEngine()->property(cupsOptions).toStringList();
    options << QStringLiteral("fit-to-page") << QStringLiteral("false")
            << QStringLiteral("print-scaling") << QStringLiteral("none");
    printer.printEngine()->setProperty(cupsOptions, options);
}

} // namespace

void ReportPrinter::print(const QList<PreparedPage> &pages, const Job &job)
{
    QPrinterInfo info = QPrinterInfo::printerInfo(job.printerName);
    if (job.printerName.isEmpty() || info.isNull())
        info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw ReportError(QStringLiteral("没有可用的打印机"));
    QPrinter printer(info, QPrinter::HighResolution);
    print(pages, job, printer);
}

void ReportPrinter::print(const QList<PreparedPage> &pages, const Job &job, QPrinter &printer)
{
    printer.setFullPage(true);
    printer.setCopyCount(1); // copies are drawn here, so the hook sees each one
    keepPaperAsItIs(printer);
    const int pageCount = int(pages.size());
    const int copies = std::max(job.copies, 0);
    PreparedPage sheet;
    PagedOutput::paint(printer, pageCount * copies, [&](int i) {
        sheet = pages[i % pageCount];
        if (job.hook)
            job.hook(sheet.page, i / pageCount + 1);
        return PagedOutput::Sheet{&sheet, sheet.page.printCorrection()};
    });
}

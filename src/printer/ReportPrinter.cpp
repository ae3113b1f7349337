#include "ReportPrinter.h"

#include "report/PagedOutput.h"
#include "report/ReportError.h"

#include <QPrinter>
#include <QPrinterInfo>

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

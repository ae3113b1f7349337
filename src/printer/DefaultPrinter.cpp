#include "DefaultPrinter.h"

#include "report/ReportError.h"

#include <QPrinterInfo>
#include <cups/cups.h>
#include <strings.h>

namespace DefaultPrinter {

QStringList installedPrinters()
{
    return QPrinterInfo::availablePrinterNames();
}

QString current()
{
    return QPrinterInfo::defaultPrinterName();
}

void makeUserDefault(const QString &queue)
{
    // CUPS's own list and writer keep the user's other printer options as they were; the
    // writer stores them where lpoptions does (the user's file, or the system's for root).
    cups_dest_t *destinations = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &destinations);
    const QByteArray name = queue.toUtf8();
    bool found = false;
    for (int i = 0; i < count; ++i) {
        cups_dest_t &d = destinations[i];
        d.is_default = !d.instance && strcasecmp(d.name, name.constData()) == 0;
        found = found || d.is_default;
    }
    const int stored = found ? cupsSetDests2(CUPS_HTTP_DEFAULT, count, destinations) : 0;
    cupsFreeDests(count, destinations);
    if (!found)
        throw ReportError(QStringLiteral("找不到打印机“%1”").arg(queue));
    if (stored != 0)
        throw ReportError(QStringLiteral("无法把“%1”设为默认打印机").arg(queue),
                          QString::fromUtf8(cupsLastErrorString()));
}

} // namespace DefaultPrinter

// Bytes into the reader of prepared pages; a file that reads must write back to bytes that
// read to the same pages.
#include "report/PreparedReportReader.h"
#include "report/PreparedReportWriter.h"
#include "store/QuilletError.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

namespace {

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "fuzz_prepared";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    QList<PreparedPage> pages;
    try {
        pages = PreparedReportReader::read(
            QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    } catch (const QuilletError &) {
        return 0;
    }
    if (PreparedReportReader::read(PreparedReportWriter::write(pages)) != pages)
        std::abort();
    return 0;
}

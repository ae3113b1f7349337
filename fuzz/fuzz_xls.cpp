// Our side of .xls reading over arbitrary bytes. A compound document (one starting with its
// signature) goes through the checks and the raw cell records the reader process reads
// before and after freexl; anything else is taken as the record stream the program reads
// back from the reader process. freexl itself is left out: its crashes are the library's,
// and the reader process keeps them from the program.
#include "store/BiffCells.h"
#include "store/SheetStream.h"
#include "store/StoreError.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

void readCompoundDocument(const QByteArray &bytes)
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("fuzz_xls_%1.xls").arg(getpid()));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        file.write(bytes);
    }
    const BiffCells cells(path);
    if (cells.isWorkbook())
        cells.visitFirstSheet([](int, int, const BiffCells::Value &) {});
}

void readStream(const QByteArray &bytes)
{
    SheetStream::Reader reader(Worksheet::MaxColumns, [](int) {});
    try {
        // In pieces, as a pipe delivers them.
        for (qsizetype at = 0; at < bytes.size(); at += 7)
            reader.feed(bytes.mid(at, 7));
        const Worksheet sheet = reader.finish();
        sheet.forEachCell([](int, int, const QVariant &value) { Worksheet::cellText(value); });
    } catch (const StoreError &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (bytes.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")))
        readCompoundDocument(bytes);
    else
        readStream(bytes);
    return 0;
}

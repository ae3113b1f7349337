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
#include <QString>
#include <QTemporaryFile>
#include <cstddef>
#include <cstdint>

namespace {

void readCompoundDocument(const QByteArray &bytes)
{
    // Removed when the run ends.
    static QTemporaryFile file(QDir::temp().filePath(QStringLiteral("fuzz_xls_XXXXXX.xls")));
    if (!file.isOpen() && !file.open())
        return;
    file.resize(0);
    file.seek(0);
    file.write(bytes);
    file.flush();
    const QString path = file.fileName();
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

// The .xlsx reader over arbitrary files: zip archives, relationships, shared strings, styles
// and sheet XML as a damaged or hostile workbook may hold them. Refusals are fine; a crash,
// a sanitizer report or runaway memory is not.
#include "store/StoreError.h"
#include "store/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("fuzz_xlsx_%1.xlsx").arg(getpid()));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    try {
        const Worksheet sheet = XlsxReader::readFirstSheet(path);
        for (int row = 0; row < sheet.rowCount(); ++row)
            Worksheet::cellText(sheet.cell(row, sheet.columnCount(row) - 1));
    } catch (const StoreError &) {
    }
    return 0;
}

// The .xlsx reader over arbitrary files: zip archives, relationships, shared strings, styles
// and sheet XML as a damaged or hostile workbook may hold them. Refusals are fine; a crash,
// a sanitizer report or runaway memory is not.
#include "store/StoreError.h"
#include "store/XlsxReader.h"

#include <QDir>
#include <QString>
#include <QTemporaryFile>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Removed when the run ends.
    static QTemporaryFile file(QDir::temp().filePath(QStringLiteral("fuzz_xlsx_XXXXXX.xlsx")));
    if (!file.isOpen() && !file.open())
        return 0;
    file.resize(0);
    file.seek(0);
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.flush();
    const QString path = file.fileName();
    try {
        const Worksheet sheet = XlsxReader::readFirstSheet(path);
        for (int row = 0; row < sheet.rowCount(); ++row)
            Worksheet::cellText(sheet.cell(row, sheet.columnCount(row) - 1));
    } catch (const StoreError &) {
    }
    return 0;
}
